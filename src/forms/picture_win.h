#pragma once
// A reference-counted picture: the platform's OLE picture, which owns its bitmap
// (and palette) and frees them when its last holder lets go.
#include <windows.h>
#include <olectl.h>

namespace corvalinth::forms {

class Picture {
public:
    Picture() = default;
    // Takes ownership of the bitmap and palette; an empty picture if the platform
    // refuses (the handles are then deleted here, so nothing leaks).
    static Picture FromBitmap(HBITMAP bitmap, HPALETTE palette);

    Picture(const Picture& other);
    Picture& operator=(const Picture& other);
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    ~Picture();

    explicit operator bool() const { return picture_ != nullptr; }
    HBITMAP Handle() const;
    HPALETTE PaletteHandle() const;
    int Width() const;   // pixels
    int Height() const;  // pixels

private:
    explicit Picture(IPicture* adopted) : picture_(adopted) {}
    void Reset();

    IPicture* picture_ = nullptr;
};

}  // namespace corvalinth::forms
