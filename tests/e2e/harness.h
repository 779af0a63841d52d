#pragma once
// The end-to-end harness: starts the real Corvalinth.scr from a private copy in
// a fresh folder, finds its windows, drives it with real input, looks at the
// screen and reads the settings file beside it.
//
// Every wait pumps this thread's messages, because the program under test may
// send messages to windows the test made (a preview box, a blocking window) and
// must never hang on a test that is not listening.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../win/test_support.h"

namespace corvalinth::e2e {

using namespace wintest;
using UniqueHandle = forms::KernelHandle;

// Long enough for a slow Wine start, short enough that a hang fails the test.
inline constexpr Milliseconds kStartTimeout = 15s;

inline bool Eventually(const std::function<bool()>& done, Milliseconds timeout = 5s) { return PumpUntil(done, timeout); }
// Gives the program a moment to take what was sent (input is asynchronous).
inline void LetInputSettle() { PumpFor(300ms); }
// What the screen shows in r once it has stopped changing, so that a look still
// being drawn is not taken for the settled one.
core::PixelSurface SteadyCapture(const RECT& r, Milliseconds timeout = 5s);
// Whether what the screen shows in r changes within the time: a run under way.
bool WaitForChange(const RECT& r, Milliseconds timeout = 5s);
// Tab, then wait for the focus in `window`'s thread to move on to another of
// its controls: the next key goes to the new place.
inline bool Tab(HWND window)
{
    const HWND from = FocusIn(window);
    PressKey(VK_TAB);
    return Eventually([&] { return FocusIn(window) != from && ::IsChild(window, FocusIn(window)); });
}
// Under Wine the X focus follows a change of the foreground a moment later: a
// window's own activation comes back once more (after a run took the foreground
// back, or a prompt went), and the key state is read afresh, which can drop a
// held Shift or Alt. What is sent in that moment is lost. So: send when `target`
// has the keyboard, until what was sent has `arrived`, a few times.
inline bool SendWhenFocused(HWND target, const std::function<void()>& send, const std::function<bool()>& arrived)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!WaitForFocus(target)) return false;
        send();
        if (Eventually(arrived, 2s)) return true;
    }
    return false;
}
inline void AltF4()
{
    KeyDown(VK_MENU);
    PressKey(VK_F4);
    KeyUp(VK_MENU);
}

struct WindowFacts {
    HWND hwnd = nullptr;
    std::wstring caption, className;
    LONG_PTR style = 0;
    RECT rect{};            // screen pixels, the whole window
    RECT clientRect{};      // client area in client coordinates
    HWND parent = nullptr;  // the real parent of a child window, else nullptr
    bool topmost = false;
    DWORD processId = 0;
};
WindowFacts FactsOf(HWND hwnd);

std::vector<HWND> TopLevelWindowsOf(DWORD processId);  // the visible ones
// All descendants of `parent`, whichever process made them.
std::vector<HWND> ChildWindowsOf(HWND parent);
// Polls for a top-level window with this caption (or its absence).
HWND WaitForWindow(std::wstring_view caption, Milliseconds timeout = kStartTimeout);
bool WaitForNoWindow(std::wstring_view caption, Milliseconds timeout = kStartTimeout);

// A window of the test process: a top-level one with a caption (a stand-in for
// a running instance), or a host with a child "preview box" of an exact client
// size, like the one the display settings give a saver.
class TestWindow {
public:
    static TestWindow TopLevel(std::wstring_view caption);
    static TestWindow PreviewBox(int width, int height);
    HWND Get() const { return box_ != nullptr ? box_ : top_.Get(); }  // the box, if any
    // The handle as the display settings write it on a command line: unsigned.
    std::wstring HandleText() const
    {
        return std::to_wstring(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Get())));
    }
    void Destroy();

private:
    forms::UniqueWindow top_;  // the box goes with it
    HWND box_ = nullptr;
};

// The system's screen-saver-running mark as a fresh process sees it (Wine keeps
// the setting per process once read); nullopt when the probe could not run.
std::optional<bool> SaverRunningMark();
bool CursorShowing();

// The per-user settings folder of the program (in the local application data).
std::filesystem::path PerUserFolder();
// A process's exit code once it has ended, or nullopt on time-out.
std::optional<DWORD> WaitForExitOf(HANDLE process, Milliseconds timeout = kStartTimeout);

// Each test gets its own copy of the program in a fresh temporary folder, so the
// settings file beside it starts absent and nothing leaks between tests; the
// per-user settings folder is absent at the start and the end of every test. A
// process still running at the end is killed.
class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path IniPath() const { return folder_ / L"Corvalinth.ini"; }
    std::filesystem::path PerUserIniPath() const { return PerUserFolder() / L"Corvalinth.ini"; }
    // The program's folder refuses new files, even to an administrator, until
    // the test ends (the immutable flag of the file system under the rig).
    void MakeProgramFolderRefuseWrites();
    void WriteIniBytes(std::string_view bytes) const;
    std::optional<std::string> ReadIniBytes() const { return FileBytes(IniPath()); }  // nullopt when absent

    // Starts the copy with this argument text (the path is put in front of it).
    void Launch(std::wstring_view arguments);
    // Starts two copies with this argument text at the same instant (both made
    // suspended, then let go together): Launch's process and the one returned,
    // which is killed at the end like the first.
    HANDLE LaunchTwoAtOnce(std::wstring_view arguments);
    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_.Get(); }
    bool Running() const { return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }
    // The exit code once the process has ended, or nullopt on time-out.
    std::optional<DWORD> WaitForExit(Milliseconds timeout = kStartTimeout)
    {
        return WaitForExitOf(process_.Get(), timeout);
    }
    void Kill();
    std::vector<HWND> VisibleWindows() const { return TopLevelWindowsOf(processId_); }

private:
    UniqueHandle StartCopy(std::wstring_view arguments, DWORD flags, DWORD* processId, UniqueHandle* thread = nullptr);

    std::filesystem::path folder_;
    std::string refusingUnixPath_;  // the folder's flag is cleared at the end
    UniqueHandle process_, second_;
    DWORD processId_ = 0;
};

}  // namespace corvalinth::e2e
