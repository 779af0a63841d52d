#pragma once
// 32-bit pixel surfaces shared by the saver, the preview picture, the dialog's
// illustration and the button faces. Pixels are 0x00RRGGBB, rows top-down, the
// layout of a top-down 32-bit DIB section, so a window surface and a test
// surface are the same memory shape.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvalinth::core {

using Pixel = std::uint32_t;

constexpr Pixel Rgb(int red, int green, int blue)
{
    return (static_cast<Pixel>(red & 0xFF) << 16) | (static_cast<Pixel>(green & 0xFF) << 8) |
           static_cast<Pixel>(blue & 0xFF);
}
constexpr int RedOf(Pixel p) { return static_cast<int>((p >> 16) & 0xFF); }
constexpr int GreenOf(Pixel p) { return static_cast<int>((p >> 8) & 0xFF); }
constexpr int BlueOf(Pixel p) { return static_cast<int>(p & 0xFF); }

// The platform's colour number (red + 256 * green + 65536 * blue) as a pixel.
constexpr Pixel PixelFromColorRef(std::uint32_t color)
{
    return Rgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
               static_cast<int>((color >> 16) & 0xFF));
}

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

Rect Intersect(const Rect& a, const Rect& b);
Rect Union(const Rect& a, const Rect& b);  // an empty side is ignored

// The bounds of some rectangles, and whether they fill at least half of them:
// then one copy of the bounds costs less than a copy of each rectangle.
struct Extent {
    Rect bounds;
    bool mostlyFilled = false;
};
Extent ExtentOf(std::span<const Rect> rects);

// A non-owning view of pixels; what portable drawing code writes into.
class SurfaceView {
public:
    SurfaceView() = default;
    SurfaceView(Pixel* pixels, int width, int height, int stride_pixels)
        : pixels_(pixels), width_(width), height_(height), stride_(stride_pixels)
    {
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    Rect Bounds() const { return {0, 0, width_, height_}; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Pixel* Row(int y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    Pixel At(int x, int y) const { return Row(y)[x]; }
    // Writes are clipped: a point off the surface draws nothing.
    void Set(int x, int y, Pixel p) const
    {
        if (Contains(x, y)) Row(y)[x] = p;
    }

    void Fill(Pixel p) const;
    void FillRect(Rect r, Pixel p) const;
    // A square dot of `size` pixels whose top-left is at (x, y), clipped.
    void Dot(int x, int y, int size, Pixel p) const;
    // Bresenham line including both ends, clipped pixel by pixel.
    void Line(int x0, int y0, int x1, int y1, Pixel p) const;

private:
    Pixel* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
};

// Copies a width x height block from src (sx, sy) to dst (dx, dy), clipped to both
// surfaces like a block transfer; a negative width or height copies nothing.
// Returns the destination rectangle actually written.
Rect Copy(const SurfaceView& dst, int dx, int dy, int width, int height, const SurfaceView& src,
          int sx, int sy);

// An owning surface, for tests, pictures made at build time and off-screen work.
class PixelSurface {
public:
    PixelSurface() = default;
    PixelSurface(int width, int height, Pixel fill = 0);

    SurfaceView View() { return {pixels_.data(), width_, height_, width_}; }
    SurfaceView View() const
    {
        return {const_cast<Pixel*>(pixels_.data()), width_, height_, width_};
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Pixel At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const std::vector<Pixel>& Pixels() const { return pixels_; }

    friend bool operator==(const PixelSurface&, const PixelSurface&) = default;

private:
    int width_ = 0, height_ = 0;
    std::vector<Pixel> pixels_;
};

}  // namespace corvalinth::core
