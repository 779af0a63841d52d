#pragma once
// What the window tests and the end-to-end tests share: waiting on the message
// loop, real mouse and keyboard input, and reading the screen back.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/bmp.h"
#include "core/surface.h"
#include "forms/app_win.h"
#include "forms/dib_surface_win.h"
#include "forms/handles_win.h"

namespace corvalinth::wintest {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

// Runs this thread's message loop (timers included) until the condition holds
// or the limit passes; returns whether it held.
inline bool PumpUntil(const std::function<bool()>& done, Milliseconds limit = 3s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        forms::DoEvents();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        ::Sleep(5);
    }
}
inline void PumpFor(Milliseconds duration) { PumpUntil([] { return false; }, duration); }

// Input goes where the focus is when it is queued, not when it is read: before
// typing or pressing keys, wait until the window that must take them has it.
// The window with the keyboard focus in `window`'s thread, whichever process.
inline HWND FocusIn(HWND window)
{
    GUITHREADINFO info{sizeof info};
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}
inline bool WaitForForeground(HWND window, Milliseconds limit = 5s)
{
    return PumpUntil([&] { return window != nullptr && ::GetForegroundWindow() == window; }, limit);
}
// `control` has the focus and its top-level window the foreground, so keys reach it.
inline bool WaitForFocus(HWND control, Milliseconds limit = 5s)
{
    return PumpUntil([&] {
        return control != nullptr && FocusIn(control) == control &&
               ::GetForegroundWindow() == ::GetAncestor(control, GA_ROOT);
    }, limit);
}

inline RECT VirtualScreen()
{
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

inline void Send(std::initializer_list<INPUT> inputs)
{
    ::SendInput(static_cast<UINT>(inputs.size()), const_cast<INPUT*>(inputs.begin()), sizeof(INPUT));
}
inline INPUT Mouse(DWORD flags)
{
    INPUT in{INPUT_MOUSE};
    in.mi.dwFlags = flags;
    return in;
}
// To the absolute screen pixel: normalised so the system's scaling lands on it exactly.
inline void MoveMouseTo(int x, int y)
{
    const RECT v = VirtualScreen();
    const auto normalise = [](long long offset, LONG extent) {
        return static_cast<LONG>((offset * 65536 + extent - 1) / extent);
    };
    INPUT in = Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK);
    in.mi.dx = normalise(x - v.left, v.right - v.left);
    in.mi.dy = normalise(y - v.top, v.bottom - v.top);
    Send({in});
}
// MOUSEEVENTF_LEFTDOWN, _RIGHTDOWN or _MIDDLEDOWN; each up flag follows its down flag.
inline void ClickAt(int x, int y, DWORD down = MOUSEEVENTF_LEFTDOWN)
{
    MoveMouseTo(x, y);
    // The press goes to whatever is under the pointer when it is queued.
    PumpUntil([&] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == x && at.y == y;
    }, 2s);
    Send({Mouse(down), Mouse(down << 1)});
}
inline void ClickAt(POINT p) { ClickAt(p.x, p.y); }

inline INPUT Key(WORD virtualKey, bool up)
{
    INPUT in{INPUT_KEYBOARD};
    in.ki.wVk = virtualKey;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    // The navigation keys share scan codes with the number pad; the flag tells them apart.
    for (int extended : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_DELETE})
        if (virtualKey == extended) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    if (up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
    return in;
}
inline void KeyDown(WORD key) { Send({Key(key, false)}); }
inline void KeyUp(WORD key) { Send({Key(key, true)}); }
inline void PressKey(WORD key) { Send({Key(key, false), Key(key, true)}); }
// As typed text, not keys.
inline void TypeText(std::wstring_view text)
{
    for (wchar_t c : text) {
        INPUT in{INPUT_KEYBOARD};
        in.ki.wScan = static_cast<WORD>(c);
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = in;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        Send({in, up});
    }
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
    ::BitBlt(shot.Dc(), 0, 0, w, h, source ? source : screen.Get(), r.left, r.top, SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
    core::PixelSurface out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.View().Set(x, y, shot.View().At(x, y) & 0x00FFFFFFu);  // no alpha
    return out;
}
inline core::PixelSurface CaptureScreen() { return Capture(VirtualScreen()); }

// A file's bytes, nullopt when it cannot be read.
inline std::optional<std::string> FileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// For the documentation's pictures (scripts/button-looks.sh converts them).
inline bool WriteBmp(const std::filesystem::path& path, const core::PixelSurface& image)
{
    const auto bytes = core::EncodeBmp24(image.View());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace corvalinth::wintest
