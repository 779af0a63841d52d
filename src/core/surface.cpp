#include "core/surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace corvalinth::core {

Rect Intersect(const Rect& a, const Rect& b)
{
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.Empty()) return {};
    return r;
}

Rect Union(const Rect& a, const Rect& b)
{
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Extent ExtentOf(std::span<const Rect> rects)
{
    const auto area = [](const Rect& r) { return std::int64_t{r.Width()} * r.Height(); };
    Extent extent;
    std::int64_t filled = 0;
    for (const Rect& r : rects) {
        extent.bounds = Union(extent.bounds, r);
        filled += area(r);
    }
    extent.mostlyFilled = !extent.bounds.Empty() && filled * 2 >= area(extent.bounds);
    return extent;
}

void SurfaceView::Fill(Pixel p) const { FillRect(Bounds(), p); }

void SurfaceView::FillRect(Rect r, Pixel p) const
{
    r = Intersect(r, Bounds());
    for (int y = r.top; y < r.bottom; ++y) std::fill(Row(y) + r.left, Row(y) + r.right, p);
}

void SurfaceView::Dot(int x, int y, int size, Pixel p) const
{
    FillRect({x, y, x + size, y + size}, p);
}

void SurfaceView::Line(int x0, int y0, int x1, int y1, Pixel p) const
{
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Set(x0, y0, p);
        if (x0 == x1 && y0 == y1) return;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

Rect Copy(const SurfaceView& dst, int dx, int dy, int width, int height, const SurfaceView& src,
          int sx, int sy)
{
    if (width <= 0 || height <= 0) return {};
    // Clip against the source, moving the destination with it, then the destination.
    Rect source = Intersect({sx, sy, sx + width, sy + height}, src.Bounds());
    if (source.Empty()) return {};
    dx += source.left - sx;
    dy += source.top - sy;
    sx = source.left;
    sy = source.top;
    Rect target = Intersect({dx, dy, dx + source.Width(), dy + source.Height()}, dst.Bounds());
    if (target.Empty()) return {};
    sx += target.left - dx;
    sy += target.top - dy;
    const std::size_t bytes = static_cast<std::size_t>(target.Width()) * sizeof(Pixel);
    // Source and destination may be the same surface with overlapping blocks.
    if (target.top <= sy) {
        for (int row = 0; row < target.Height(); ++row)
            std::memmove(dst.Row(target.top + row) + target.left, src.Row(sy + row) + sx, bytes);
    } else {
        for (int row = target.Height() - 1; row >= 0; --row)
            std::memmove(dst.Row(target.top + row) + target.left, src.Row(sy + row) + sx, bytes);
    }
    return target;
}

PixelSurface::PixelSurface(int width, int height, Pixel fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill)
{
}

}  // namespace corvalinth::core
