#include "settings/illustration.h"

#include "saver/animation.h"
#include "settings/dialog_layout.h"

namespace corvalinth::settings {
namespace {

// A desktop for the swarm to crawl over: a calm background with two windows.
void DrawDesktop(const core::SurfaceView& s)
{
    for (int y = 0; y < s.Height(); ++y) {
        const int shade = 40 + y * 50 / s.Height();
        s.FillRect({0, y, s.Width(), y + 1}, core::Rgb(0, shade + 30, shade + 60));
    }
    const auto window = [&s](core::Rect r) {
        s.FillRect({r.left + 3, r.top + 3, r.right + 3, r.bottom + 3}, core::Rgb(0, 40, 60));  // shadow
        s.FillRect(r, core::Rgb(236, 236, 236));
        s.FillRect({r.left, r.top, r.right, r.top + 14}, core::Rgb(40, 70, 150));              // title bar
        s.FillRect({r.right - 12, r.top + 3, r.right - 3, r.top + 11}, core::Rgb(200, 70, 70));  // close box
        for (int line = r.top + 22; line + 3 < r.bottom - 6; line += 9)
            s.FillRect({r.left + 8, line, r.right - 8 - (line * 7) % 40, line + 3}, core::Rgb(180, 180, 190));
    };
    window({22, 24, 160, 118});
    window({128, 92, 276, 190});
    // A taskbar along the bottom of the visible part.
    s.FillRect({0, kIllustrationVisibleRows - 16, s.Width(), kIllustrationVisibleRows}, core::Rgb(30, 34, 48));
    s.FillRect({4, kIllustrationVisibleRows - 13, 40, kIllustrationVisibleRows - 3}, core::Rgb(70, 110, 190));
}

}  // namespace

core::PixelSurface MakeIllustration()
{
    core::PixelSurface picture(kIllustrationWidth, kIllustrationHeight);
    DrawDesktop(picture.View());
    saver::StillOptions still;
    still.count = 50;
    still.ticks = 240;
    still.gColor = 0;
    still.penWidth = 1;
    saver::DrawStill(picture.View(), still);
    return picture;
}

}  // namespace corvalinth::settings
