#pragma once
// A retained 32-bit pixel surface: a top-down DIB section selected into its own
// memory DC, so portable code can draw into its memory and GDI can copy from it.
#include <windows.h>

#include "core/surface.h"
#include "forms/handles_win.h"

namespace corvalinth::forms {

// A DIB section with top-down rows (like core::SurfaceView) of bitCount bits per
// pixel; *bits receives its pixels. Null on failure.
HBITMAP CreateTopDownDib(HDC reference, int width, int height, WORD bitCount = 32, void** bits = nullptr);

class DibSurface {
public:
    DibSurface() = default;
    DibSurface(int width, int height);
    DibSurface(DibSurface&&) noexcept;
    DibSurface& operator=(DibSurface&&) noexcept;
    ~DibSurface();

    bool Valid() const { return bits_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    core::SurfaceView View() const { return {bits_, width_, height_, width_}; }
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }

    // Copies a rectangle of this surface to a device context at the same place.
    void Present(HDC target, const core::Rect& area) const;

private:
    void Deselect();

    int width_ = 0, height_ = 0;
    core::Pixel* bits_ = nullptr;
    forms::Bitmap bitmap_;
    MemoryDC dc_;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace corvalinth::forms
