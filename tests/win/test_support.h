#pragma once
// What the in-process window tests share: waiting on the message loop, real
// mouse and keyboard input, and reading the screen back.
#include <windows.h>

#include <functional>

#include "core/surface.h"
#include "forms/app_win.h"
#include "forms/dib_surface_win.h"
#include "forms/handles_win.h"

namespace corvalinth::wintest {

// Runs the message loop (timers included) until the condition holds or the
// limit passes; returns whether it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 3000)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        forms::DoEvents();
        if (done()) return true;
        if (::GetTickCount() - start > limitMs) return false;
        ::Sleep(5);
    }
}
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

// A mouse event; a move goes to the absolute screen pixel (x, y).
inline void SendMouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65535 + (w - 1) / 2) / (w - 1));
        in.mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65535 + (h - 1) / 2) / (h - 1));
        in.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    }
    ::SendInput(1, &in, sizeof in);
}
inline void ClickAt(POINT p)
{
    SendMouse(MOUSEEVENTF_MOVE, p.x, p.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}
inline void SendKey(WORD key)
{
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof in[0]);
}

inline POINT CentreOnScreen(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// What `source` shows in the rectangle r (0, 0 at its top left): the screen by default.
inline core::PixelSurface Capture(const RECT& r, HDC source = nullptr)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    forms::DibSurface shot(w, h);
    forms::ScopedGetDC screen(nullptr);
    ::BitBlt(shot.Dc(), 0, 0, w, h, source ? source : screen.Get(), r.left, r.top, SRCCOPY);
    ::GdiFlush();
    core::PixelSurface out(w, h);
    core::Copy(out.View(), 0, 0, w, h, shot.View(), 0, 0);
    return out;
}

}  // namespace corvalinth::wintest
