#include "settings/illustration.h"

#include "resources/product_pictures.h"
#include "settings/dialog_layout.h"

namespace corvalinth::settings {

core::PixelSurface MakeIllustration()
{
    return resources::MakeSwarmPicture(kIllustrationWidth, kIllustrationHeight, kIllustrationVisibleRows, 50, 240);
}

}  // namespace corvalinth::settings
