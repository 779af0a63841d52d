#include "forms/picture_win.h"

#include <ocidl.h>

#include <utility>

namespace corvalinth::forms {

Picture Picture::FromBitmap(HBITMAP bitmap, HPALETTE palette)
{
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    description.bmp.hpal = palette;
    IPicture* picture = nullptr;
    const HRESULT hr = ::OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                                  reinterpret_cast<void**>(&picture));
    if (FAILED(hr) || !picture) {
        if (bitmap) ::DeleteObject(bitmap);
        if (palette) ::DeleteObject(palette);
        return {};
    }
    return Picture(picture);
}

Picture::Picture(const Picture& other) : picture_(other.picture_)
{
    if (picture_) picture_->AddRef();
}

Picture& Picture::operator=(const Picture& other)
{
    if (this != &other) {
        if (other.picture_) other.picture_->AddRef();
        Reset();
        picture_ = other.picture_;
    }
    return *this;
}

Picture::Picture(Picture&& other) noexcept : picture_(std::exchange(other.picture_, nullptr)) {}

Picture& Picture::operator=(Picture&& other) noexcept
{
    if (this != &other) {
        Reset();
        picture_ = std::exchange(other.picture_, nullptr);
    }
    return *this;
}

Picture::~Picture() { Reset(); }

void Picture::Reset()
{
    if (picture_) std::exchange(picture_, nullptr)->Release();
}

HBITMAP Picture::Handle() const
{
    OLE_HANDLE handle = 0;
    if (!picture_ || FAILED(picture_->get_Handle(&handle))) return nullptr;
    return reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(static_cast<LONG>(handle)));
}

HPALETTE Picture::PaletteHandle() const
{
    OLE_HANDLE handle = 0;
    if (!picture_ || FAILED(picture_->get_hPal(&handle))) return nullptr;
    return reinterpret_cast<HPALETTE>(static_cast<INT_PTR>(static_cast<LONG>(handle)));
}

namespace {
BITMAP BitmapInfo(HBITMAP bitmap)
{
    BITMAP info{};
    if (bitmap) ::GetObjectW(bitmap, sizeof(info), &info);
    return info;
}
}  // namespace

int Picture::Width() const { return BitmapInfo(Handle()).bmWidth; }
int Picture::Height() const { return BitmapInfo(Handle()).bmHeight; }

}  // namespace corvalinth::forms
