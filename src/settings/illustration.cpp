#include "settings/illustration.h"

#include "resources/product_pictures.h"
#include "saver/animation.h"
#include "settings/dialog_layout.h"

namespace corvalinth::settings {

core::PixelSurface MakeIllustration()
{
    core::PixelSurface picture(kIllustrationWidth, kIllustrationHeight);
    resources::DrawSampleDesktop(picture.View(), kIllustrationVisibleRows);
    saver::StillOptions still;
    still.count = 50;
    still.ticks = 240;
    still.gColor = 0;
    still.penWidth = 1;
    saver::DrawStill(picture.View(), still);
    return picture;
}

}  // namespace corvalinth::settings
