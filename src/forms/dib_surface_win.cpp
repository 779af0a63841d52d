#include "forms/dib_surface_win.h"

#include <algorithm>
#include <utility>

namespace corvalinth::forms {

HBITMAP CreateTopDownDib(HDC reference, int width, int height, WORD bitCount, void** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    void* ignored = nullptr;
    return ::CreateDIBSection(reference, &info, DIB_RGB_COLORS, bits ? bits : &ignored, nullptr, 0);
}

DibSurface::DibSurface(int width, int height)
{
    if (width <= 0 || height <= 0) return;
    void* bits = nullptr;
    bitmap_.Reset(CreateTopDownDib(nullptr, width, height, 32, &bits));
    dc_ = CreateMemoryDC();
    if (!bitmap_ || !bits || !dc_) {
        bitmap_.Reset();
        dc_.Reset();
        return;
    }
    previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
    bits_ = static_cast<core::Pixel*>(bits);
    width_ = width;
    height_ = height;
}

DibSurface::DibSurface(DibSurface&& other) noexcept { *this = std::move(other); }

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept
{
    if (this == &other) return *this;
    Deselect();
    dc_ = std::move(other.dc_);
    bitmap_ = std::move(other.bitmap_);
    previous_ = std::exchange(other.previous_, nullptr);
    bits_ = std::exchange(other.bits_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    return *this;
}

DibSurface::~DibSurface() { Deselect(); }

void DibSurface::Deselect()
{
    // The bitmap cannot be deleted while it is selected into the DC.
    if (dc_ && previous_) ::SelectObject(dc_.Get(), previous_);
    previous_ = nullptr;
    dc_.Reset();
    bitmap_.Reset();
    bits_ = nullptr;
}

void DibSurface::Present(HDC target, const core::Rect& area) const
{
    const core::Rect r = core::Intersect(area, {0, 0, width_, height_});
    if (r.Empty() || !target) return;
    ::BitBlt(target, r.left, r.top, r.Width(), r.Height(), dc_.Get(), r.left, r.top, SRCCOPY);
}

}  // namespace corvalinth::forms
