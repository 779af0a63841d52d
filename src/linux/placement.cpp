#include "linux/placement.h"

#include <algorithm>
#include <cstdint>

namespace corvalinth::linux_host {

core::Rect PicturePlacement(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return {};
    int w = pictureWidth, h = pictureHeight;
    if (w > windowWidth || h > windowHeight) {
        // The tighter side decides; the other is rounded and never overflows.
        const std::int64_t byWidth = std::int64_t{windowWidth} * pictureHeight;
        const std::int64_t byHeight = std::int64_t{windowHeight} * pictureWidth;
        if (byWidth <= byHeight) {
            w = windowWidth;
            h = static_cast<int>((byWidth + pictureWidth / 2) / pictureWidth);
        } else {
            h = windowHeight;
            w = static_cast<int>((byHeight + pictureHeight / 2) / pictureHeight);
        }
        w = std::clamp(w, 1, windowWidth);
        h = std::clamp(h, 1, windowHeight);
    }
    const int left = (windowWidth - w) / 2, top = (windowHeight - h) / 2;
    return {left, top, left + w, top + h};
}

void PlacePicture(const core::SurfaceView& window, const core::SurfaceView& picture)
{
    window.Fill(0);
    const core::Rect r = PicturePlacement(picture.Width(), picture.Height(), window.Width(), window.Height());
    if (r.Empty()) return;
    if (r.Width() == picture.Width() && r.Height() == picture.Height()) {
        core::Copy(window, r.left, r.top, r.Width(), r.Height(), picture, 0, 0);
        return;
    }
    for (int y = r.top; y < r.bottom; ++y) {
        // Pixel centres map to pixel centres.
        const int sy = static_cast<int>((std::int64_t{y - r.top} * 2 + 1) * picture.Height() / (2 * r.Height()));
        const core::Pixel* source = picture.Row(sy);
        core::Pixel* target = window.Row(y);
        for (int x = r.left; x < r.right; ++x)
            target[x] = source[(std::int64_t{x - r.left} * 2 + 1) * picture.Width() / (2 * r.Width())];
    }
}

}  // namespace corvalinth::linux_host
