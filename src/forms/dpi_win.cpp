#include "forms/dpi_win.h"

#include "forms/handles_win.h"

namespace corvalinth::forms {
namespace {

// Newer user32 entry points are looked up at run time so that the program still
// starts where they are missing.
template <class Fn>
Fn User32Function(const char* name)
{
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int SystemDpi()
{
    ScopedGetDC screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

int WindowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int ScaleForDpi(int value, int dpi) { return ::MulDiv(value, dpi, kDefaultDpi); }

bool IsPerMonitorV2Aware()
{
    using GetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AreEqualFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    static const auto getContext = User32Function<GetContextFn>("GetThreadDpiAwarenessContext");
    static const auto areEqual = User32Function<AreEqualFn>("AreDpiAwarenessContextsEqual");
    if (!getContext || !areEqual) return false;
    return areEqual(getContext(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE;
}

}  // namespace corvalinth::forms
