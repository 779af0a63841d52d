#include "saver/snapshot_win.h"

#include <array>
#include <cstddef>

#include "forms/dib_surface_win.h"
#include "forms/handles_win.h"
#include "forms/screen_win.h"

namespace corvalinth {

namespace {
struct SystemPalette {
    WORD palVersion;
    WORD palNumEntries;
    std::array<PALETTEENTRY, 256> entries;
};
}  // namespace

forms::Picture SnapDesktop()
{
    // The desktop's device context spans every monitor in screen coordinates.
    const core::Rect screen = forms::Screen::VirtualPixels();
    return SnapWindow(::GetDesktopWindow(), 0, screen.left, screen.top, screen.Width(), screen.Height());
}

forms::Picture SnapWindow(HWND source, std::int16_t clientArea, int left, int top, int width,
                          int height)
{
    if (width <= 0 || height <= 0) return {};
    forms::ScopedGetDC sourceDc(source, clientArea == 0);
    if (!sourceDc) return {};
    forms::MemoryDC memory = forms::CreateMemoryDC(sourceDc.Get());
    if (!memory) return {};

    const bool hasPalette = (::GetDeviceCaps(sourceDc.Get(), RASTERCAPS) & RC_PALETTE) != 0;
    const bool systemPalette = hasPalette && ::GetDeviceCaps(sourceDc.Get(), SIZEPALETTE) == 256;
    // Palette displays keep the device's own format; everything else gets pixels
    // the program can read directly.
    forms::Bitmap bitmap(hasPalette ? ::CreateCompatibleBitmap(sourceDc.Get(), width, height)
                                    : forms::CreateTopDownDib(sourceDc.Get(), width, height));
    if (!bitmap) return {};

    forms::Palette palette;
    {
        forms::ScopedSelectObject selectBitmap(memory.Get(), bitmap.Get());
        std::optional<forms::ScopedSelectPalette> selectPalette;
        if (systemPalette) {
            SystemPalette record{};
            record.palVersion = 0x300;
            record.palNumEntries = 256;
            ::GetSystemPaletteEntries(sourceDc.Get(), 0, 256, record.entries.data());
            palette.Reset(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record)));
            if (palette) {
                selectPalette.emplace(memory.Get(), palette.Get(), FALSE);
                ::RealizePalette(memory.Get());
            }
        }
        ::BitBlt(memory.Get(), 0, 0, width, height, sourceDc.Get(), left, top, SRCCOPY);
    }
    return PictureFromBitmap(bitmap.Release(), palette.Release());
}

forms::Picture PictureFromBitmap(HBITMAP bitmap, HPALETTE palette)
{
    return forms::Picture::FromBitmap(bitmap, palette);
}

forms::Picture BlackPicture(int width, int height)
{
    if (width <= 0 || height <= 0) return {};
    // A fresh DIB section is zero-filled: black.
    return PictureFromBitmap(forms::CreateTopDownDib(nullptr, width, height), nullptr);
}

std::optional<core::SurfaceView> PicturePixels(const forms::Picture& picture)
{
    const HBITMAP bitmap = picture ? picture.Handle() : nullptr;
    DIBSECTION dib{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib)) return std::nullopt;
    if (!dib.dsBm.bmBits || dib.dsBmih.biBitCount != 32 || dib.dsBmih.biCompression != BI_RGB ||
        dib.dsBm.bmWidth <= 0 || dib.dsBm.bmHeight <= 0 || dib.dsBm.bmWidthBytes != dib.dsBm.bmWidth * 4)
        return std::nullopt;
    // The reported header does not reliably keep the sign that marks top-down
    // rows, so ask the bitmap itself where its top-left pixel lives.
    auto* bits = static_cast<core::Pixel*>(dib.dsBm.bmBits);
    forms::MemoryDC dc = forms::CreateMemoryDC();
    if (!dc) return std::nullopt;
    bool topDown = false;
    {
        forms::ScopedSelectObject select(dc.Get(), bitmap);
        const core::Pixel saved = bits[0];
        bits[0] = 0;
        ::GdiFlush();
        topDown = ::GetPixel(dc.Get(), 0, 0) == RGB(0, 0, 0);
        bits[0] = 0x00FFFFFF;
        ::GdiFlush();
        topDown = topDown && ::GetPixel(dc.Get(), 0, 0) == RGB(255, 255, 255);
        bits[0] = saved;
    }
    if (!topDown && dib.dsBm.bmHeight > 1) return std::nullopt;
    return core::SurfaceView(bits, dib.dsBm.bmWidth, dib.dsBm.bmHeight, dib.dsBm.bmWidth);
}

}  // namespace corvalinth
