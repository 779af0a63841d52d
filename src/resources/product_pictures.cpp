#include "resources/product_pictures.h"

#include <algorithm>

#include "swarm/animation.h"

namespace corvalinth::resources {
namespace {

using core::Rgb;

int Scale(int value, int size, int base) { return value * size / base; }

// A window with a frame, a title bar and a pale client area; coordinates on a
// 1000 x 1000 grid so the scene keeps its look at any size.
void DrawWindow(const core::SurfaceView& s, int h, int left, int top, int right, int bottom, core::Pixel title)
{
    const int w = s.Width();
    const core::Rect frame{Scale(left, w, 1000), Scale(top, h, 1000), Scale(right, w, 1000),
                           Scale(bottom, h, 1000)};
    s.FillRect(frame, Rgb(64, 64, 72));
    const core::Rect inner{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1};
    s.FillRect(inner, Rgb(236, 236, 232));
    const int titleHeight = std::max(3, h / 22);
    s.FillRect({inner.left, inner.top, inner.right, inner.top + titleHeight}, title);
    // A few lines of "text" in the client area.
    for (int y = inner.top + titleHeight + 3; y + 1 < inner.bottom - 2; y += std::max(3, h / 28))
        s.FillRect({inner.left + 3, y, inner.left + 3 + (inner.Width() - 6) * (2 + (y % 3)) / 4, y + 1},
                   Rgb(150, 150, 160));
}

}  // namespace

void DrawSampleDesktop(const core::SurfaceView& s, int visibleRows)
{
    const int h = visibleRows > 0 ? std::min(visibleRows, s.Height()) : s.Height();
    for (int y = 0; y < s.Height(); ++y) {
        const int shade = 40 * y / std::max(1, h - 1);
        s.FillRect({0, y, s.Width(), y + 1}, Rgb(20 + shade / 2, 96 + shade, 128 + shade));
    }
    DrawWindow(s, h, 80, 90, 560, 640, Rgb(40, 90, 180));
    DrawWindow(s, h, 430, 300, 930, 820, Rgb(120, 60, 150));
    const int taskbar = std::max(4, h / 14);
    s.FillRect({0, h - taskbar, s.Width(), h}, Rgb(32, 36, 48));
    s.FillRect({2, h - taskbar + 1, 2 + taskbar * 2, h - 1}, Rgb(70, 160, 90));
}

core::PixelSurface MakeSwarmPicture(int width, int height, int visibleRows, std::int16_t count, int ticks)
{
    core::PixelSurface picture(width, height);
    DrawSampleDesktop(picture.View(), visibleRows);
    swarm::StillOptions options;
    options.count = count;
    options.ticks = ticks;
    options.penWidth = 1;
    swarm::DrawStill(picture.View(), options);
    return picture;
}

core::PixelSurface MakePreviewPicture() { return MakeSwarmPicture(kPreviewWidth, kPreviewHeight, 0, 16, 140); }

}  // namespace corvalinth::resources
