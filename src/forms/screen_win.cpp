#include "forms/screen_win.h"

#include <vector>

#include "forms/handles_win.h"

namespace corvalinth::forms {
namespace {
MousePointer g_pointer = MousePointer::Default;
}  // namespace

core::Rect Screen::PrimaryPixels()
{
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

core::MonitorLayout Screen::Layout()
{
    std::vector<core::Monitor> monitors;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM context) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (::GetMonitorInfoW(monitor, &info)) {
                const RECT& r = info.rcMonitor;
                reinterpret_cast<std::vector<core::Monitor>*>(context)->push_back(
                    {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    // Without monitor enumeration, the virtual-screen metrics still tell the whole area.
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const core::Rect virtualScreen{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                   top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return core::MonitorLayout(monitors, virtualScreen.Empty() ? PrimaryPixels() : virtualScreen);
}

int Screen::WidthPixels() { return PrimaryPixels().Width(); }
int Screen::HeightPixels() { return PrimaryPixels().Height(); }

void Screen::SetMousePointer(MousePointer pointer)
{
    g_pointer = pointer;
    ::SetCursor(::LoadCursorW(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

MousePointer Screen::CurrentMousePointer() { return g_pointer; }

}  // namespace corvalinth::forms
