// The button's look: the state picture's frame around the gradient face, the
// caption over it, and the container's pixels where the face is transparent.
#include "button/command_win.h"

#include <cmath>

#include "core/number_rules.h"
#include "forms/font_win.h"

namespace corvalinth::button {
namespace {

COLORREF ColourRefOf(std::int32_t colour)
{
    const auto u = static_cast<std::uint32_t>(colour);
    if (u & 0x80000000u) return ::GetSysColor(static_cast<int>(u & 0xFFu));
    return static_cast<COLORREF>(u & 0xFFFFFFu);
}

// The plain face's ring: its system colour and width for each look.
struct PlainRing {
    int colour;
    int width;
};
PlainRing PlainRingOf(StatePicture picture)
{
    switch (picture) {
    case StatePicture::Normal: return {COLOR_BTNTEXT, 1};
    case StatePicture::HighLight: return {COLOR_HIGHLIGHT, 1};
    case StatePicture::Disable: return {COLOR_GRAYTEXT, 1};
    case StatePicture::Pressed:
    case StatePicture::HighLightSelect:
    case StatePicture::Selected: break;
    }
    return {COLOR_HIGHLIGHT, 2};  // the focused looks
}

}  // namespace

void Command::SetHighContrast(bool on)
{
    highContrast_ = on;
    PaintFace(lastPicture_, core_.Fields());
    Refresh();
}

void Command::PaintPlainFace(StatePicture picture)
{
    face_.View().Fill(core::PixelFromColorRef(::GetSysColor(COLOR_BTNFACE)));
    const PlainRing ring = PlainRingOf(picture);
    RECT r{0, 0, face_.Width(), face_.Height()};
    for (int i = 0; i < ring.width; ++i) {
        ::FrameRect(face_.Dc(), &r, ::GetSysColorBrush(ring.colour));
        ::InflateRect(&r, -1, -1);
    }
}

void Command::PaintFace(StatePicture picture, CommandFields& f)
{
    lastPicture_ = picture;
    if (!face_.Valid()) return;
    const bool gradient = PrepareGradient(f.mVert, f.mGradRect, f.mHighlight != 0, face_.Width(), face_.Height());
    if (highContrast_) {
        PaintPlainFace(picture);
        ::GdiFlush();
        return;
    }
    face_.View().Fill(core::PixelFromColorRef(::GetSysColor(COLOR_BTNFACE)));

    if (gradient) {
        TRIVERTEX vert[2];
        for (int i = 0; i < 2; ++i) {
            const TriVertex& v = f.mVert[static_cast<std::size_t>(i)];
            vert[i] = TRIVERTEX{v.x, v.y, v.red, v.green, v.blue, v.alpha};
        }
        GRADIENT_RECT rect{f.mGradRect.upperLeft, f.mGradRect.lowerRight};
        ::GradientFill(face_.Dc(), vert, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    }

    const HBITMAP bitmap = pictures_[static_cast<std::size_t>(picture)].Get();
    if (bitmap && pictureDc_) {
        forms::ScopedSelectObject select(pictureDc_.Get(), bitmap);
        const int oldMode = ::SetStretchBltMode(face_.Dc(), COLORONCOLOR);
        for (const FrameSlice& slice : FrameSlices(f.frame)) {
            const PixelRect s = ToPixels(slice.source, kPictureTwipsPerPixel, kPictureTwipsPerPixel);
            const PixelRect d = ToPixels(slice.dest, tppX_, tppY_);
            // A control too small for its frame gets negative middles; drawing
            // those would mirror the slice, so they are left out.
            if (d.width <= 0 || d.height <= 0) continue;
            ::StretchBlt(face_.Dc(), d.x, d.y, d.width, d.height, pictureDc_.Get(), s.x, s.y, s.width, s.height,
                         SRCCOPY);
        }
        ::SetStretchBltMode(face_.Dc(), oldMode);
    }
    ::GdiFlush();
}

void Command::Refresh()
{
    if (!hWnd()) return;
    ::InvalidateRect(hWnd(), nullptr, FALSE);
    ::UpdateWindow(hWnd());
}

void Command::CaptionChanged()
{
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, FALSE);
}

void Command::ResizeSurface()
{
    RECT r{};
    ::GetClientRect(hWnd(), &r);
    if (r.right != face_.Width() || r.bottom != face_.Height()) face_ = forms::DibSurface(r.right, r.bottom);
}

HFONT Command::CaptionFont() const
{
    const FontObject& font = core_.LblMsg().font;
    if (!font) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const int dpi = core::NearestInt32(1440.0 / tppY_);
    if (!captionFont_ || !(captionFontFor_ == *font) || captionFontDpi_ != dpi) {
        forms::FontRequest wanted;
        wanted.face = font->name;
        wanted.points = font->size;
        wanted.weight = font->weight;
        wanted.italic = font->italic;
        wanted.underline = font->underline;
        wanted.strikeOut = font->strikethrough;
        wanted.charset = static_cast<BYTE>(font->charset);
        captionFont_ = forms::CreateUiFont(wanted, dpi);
        captionFontFor_ = *font;
        captionFontDpi_ = dpi;
    }
    return captionFont_.Get();
}

void Command::DrawCaption(HDC target) const
{
    const CaptionLabel& label = core_.LblMsg();
    if (label.caption.empty()) return;
    RECT r{core::NearestInt32(label.left / tppX_), core::NearestInt32(label.top / tppY_), 0, 0};
    r.right = r.left + core::NearestInt32(label.width / tppX_);
    r.bottom = r.top + core::NearestInt32(label.height / tppY_);
    forms::ScopedSelectObject selectFont(target, CaptionFont());
    const int oldMode = ::SetBkMode(target, TRANSPARENT);
    // The label does not clip: a tall face must not lose the bottom of its glyphs.
    constexpr UINT kFormat = DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP;
    const int length = static_cast<int>(label.caption.size());
    if (highContrast_) {
        ::SetTextColor(target, ::GetSysColor(label.enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        ::DrawTextW(target, label.caption.c_str(), length, &r, kFormat);
    } else if (label.enabled) {
        ::SetTextColor(target, ColourRefOf(label.foreColour));
        ::DrawTextW(target, label.caption.c_str(), length, &r, kFormat);
    } else {
        // Greyed as the platform draws disabled text: a highlight one pixel down
        // and right, the shadow colour on top.
        RECT shifted = r;
        ::OffsetRect(&shifted, 1, 1);
        ::SetTextColor(target, ::GetSysColor(COLOR_3DHILIGHT));
        ::DrawTextW(target, label.caption.c_str(), length, &shifted, kFormat);
        ::SetTextColor(target, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextW(target, label.caption.c_str(), length, &r, kFormat);
    }
    ::SetBkMode(target, oldMode);
}

void Command::DrawContainerBehind(HDC target) const
{
    HWND container = ::GetParent(hWnd());
    if (!container || drawingBehind_) return;
    drawingBehind_ = true;
    POINT origin{0, 0};
    ::MapWindowPoints(hWnd(), container, &origin, 1);
    POINT previous{};
    ::SetViewportOrgEx(target, -origin.x, -origin.y, &previous);
    ::SendMessageW(container, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0);
    ::SendMessageW(container, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target), PRF_CLIENT);
    ::SetViewportOrgEx(target, previous.x, previous.y, nullptr);
    drawingBehind_ = false;
}

void Command::Compose(HDC target, int width, int height) const
{
    if (core_.BackStyle() != 0) {
        if (face_.Valid()) ::BitBlt(target, 0, 0, width, height, face_.Dc(), 0, 0, SRCCOPY);
    } else {
        // Transparent: the face stays retained but only the caption shows.
        DrawContainerBehind(target);
    }
    DrawCaption(target);
}

core::PixelSurface Command::Snapshot() const
{
    const int w = face_.Width(), h = face_.Height();
    forms::DibSurface buffer(w, h);
    if (!buffer.Valid()) return {};
    Compose(buffer.Dc(), w, h);
    ::GdiFlush();
    core::PixelSurface out(w, h);
    core::Copy(out.View(), 0, 0, w, h, buffer.View(), 0, 0);
    return out;
}

}  // namespace corvalinth::button
