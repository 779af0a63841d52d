#include "forms/app_win.h"

namespace corvalinth::forms {
namespace {
bool g_ending = false;
int g_exitCode = 0;
}  // namespace

void SetSaverRunning(bool running)
{
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, nullptr, 0);
}

void EndProgram(int exitCode)
{
    if (g_ending) return;
    g_ending = true;
    g_exitCode = exitCode;
    ::PostQuitMessage(exitCode);
}

bool Ending() { return g_ending; }
int ExitCode() { return g_exitCode; }

void ResetEndingForTests()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    g_ending = false;
    g_exitCode = 0;
}

namespace detail {

bool NextMessage(MSG& msg)
{
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got > 0) return true;
    // WM_QUIT (or a failure): make sure every enclosing loop stops as well.
    if (got == 0) EndProgram(static_cast<int>(msg.wParam));
    else EndProgram(g_exitCode);
    ::PostQuitMessage(g_exitCode);
    return false;
}

void Dispatch(MSG& msg, HWND dialog)
{
    if (dialog && ::IsDialogMessageW(dialog, &msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

}  // namespace detail

void DoEvents()
{
    MSG msg;
    while (!g_ending && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            EndProgram(static_cast<int>(msg.wParam));
            ::PostQuitMessage(g_exitCode);
            return;
        }
        detail::Dispatch(msg);
    }
}

}  // namespace corvalinth::forms
