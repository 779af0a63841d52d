#include "forms/dpi_win.h"

#include "core/number_rules.h"
#include "forms/handles_win.h"

#include <utility>

namespace corvalinth::forms {
namespace {

int g_windowDpiForTests = 0;

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

void SetWindowDpiForTests(int dpi) { g_windowDpiForTests = dpi; }

int TwipsToPixelsAt(double twips, int dpi) { return core::NearestInt32(twips / TwipsPerPixelAt(dpi)); }

int WindowDpi(HWND window)
{
    if (g_windowDpiForTests > 0) return g_windowDpiForTests;
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int ScaleForDpi(int value, int dpi) { return ::MulDiv(value, dpi, kDefaultDpi); }

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi)
{
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
    style &= ~WS_VISIBLE;
    if (adjustForDpi && dpi > 0 && adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

DpiAwareness CurrentDpiAwareness()
{
    using GetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AreEqualFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    static const auto getContext = User32Function<GetContextFn>("GetThreadDpiAwarenessContext");
    static const auto areEqual = User32Function<AreEqualFn>("AreDpiAwarenessContextsEqual");
    if (!getContext || !areEqual) return DpiAwareness::Unknown;
    const DPI_AWARENESS_CONTEXT context = getContext();
    const std::pair<DPI_AWARENESS_CONTEXT, DpiAwareness> known[] = {
        {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, DpiAwareness::PerMonitorV2},
        {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, DpiAwareness::PerMonitor},
        {DPI_AWARENESS_CONTEXT_SYSTEM_AWARE, DpiAwareness::System},
        {DPI_AWARENESS_CONTEXT_UNAWARE, DpiAwareness::Unaware},
    };
    for (const auto& [candidate, awareness] : known)
        if (areEqual(context, candidate)) return awareness;
    return DpiAwareness::Unknown;
}

bool PerMonitorV2Known()
{
    using IsValidFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    static const auto isValid = User32Function<IsValidFn>("IsValidDpiAwarenessContext");
    return isValid && isValid(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE;
}

}  // namespace corvalinth::forms
