#include "forms/screen_win.h"

#include "forms/dpi_win.h"
#include "forms/handles_win.h"

namespace corvalinth::forms {
namespace {
MousePointer g_pointer = MousePointer::Default;

int ScreenCaps(int index)
{
    ScopedGetDC screen(nullptr);
    const int value = screen ? ::GetDeviceCaps(screen.Get(), index) : 0;
    return value > 0 ? value : kDefaultDpi;
}
}  // namespace

float Screen::TwipsPerPixelX() { return TwipsPerPixelAt(ScreenCaps(LOGPIXELSX)); }
float Screen::TwipsPerPixelY() { return TwipsPerPixelAt(ScreenCaps(LOGPIXELSY)); }

core::Rect Screen::PrimaryPixels()
{
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

int Screen::WidthPixels() { return PrimaryPixels().Width(); }
int Screen::HeightPixels() { return PrimaryPixels().Height(); }
float Screen::Width() { return static_cast<float>(WidthPixels()) * TwipsPerPixelX(); }
float Screen::Height() { return static_cast<float>(HeightPixels()) * TwipsPerPixelY(); }

void Screen::SetMousePointer(MousePointer pointer)
{
    g_pointer = pointer;
    ::SetCursor(::LoadCursorW(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

MousePointer Screen::CurrentMousePointer() { return g_pointer; }

}  // namespace corvalinth::forms
