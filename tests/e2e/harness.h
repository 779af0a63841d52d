#pragma once
// The end-to-end harness: starts the real Corvalinth.scr from a private copy in
// a fresh folder, finds its windows, drives it with real input, looks at the
// screen and reads the settings file beside it.
//
// Every wait below pumps this thread's messages, because the program under test
// may send messages to windows the test made (a preview box, a blocking window)
// and must never hang on a test that is not listening.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/surface.h"
#include "forms/handles_win.h"

namespace corvalinth::e2e {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;
using UniqueHandle = forms::KernelHandle;

// Long enough for a slow Wine start, short enough that a hang fails the test.
inline constexpr Milliseconds kStartTimeout = 15s;

// Processes this thread's messages for about `duration`.
void PumpFor(Milliseconds duration);
// Polls, pumping, until `done` holds; false on time-out.
bool Eventually(const std::function<bool()>& done, Milliseconds timeout = 5s);

// --- windows -----------------------------------------------------------------

struct WindowFacts {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring className;
    LONG_PTR style = 0;
    RECT rect{};        // screen pixels, the whole window
    RECT clientRect{};  // client area in client coordinates
    HWND parent = nullptr;  // the real parent of a child window, else nullptr
    bool visible = false;
    bool topmost = false;
    DWORD processId = 0;
};
WindowFacts FactsOf(HWND hwnd);

// Top-level windows of a process (EnumWindows); only visible ones when asked.
std::vector<HWND> TopLevelWindowsOf(DWORD processId, bool visibleOnly);
// All descendants of `parent`, whichever process made them.
std::vector<HWND> ChildWindowsOf(HWND parent);

// Polls FindWindowW until a top-level window with this caption exists.
HWND WaitForWindow(std::wstring_view caption, Milliseconds timeout = kStartTimeout);
// Polls until no top-level window with this caption exists.
bool WaitForNoWindow(std::wstring_view caption, Milliseconds timeout = kStartTimeout);

// A window made by the test process: a top-level window with a caption (as a
// stand-in for a running instance), or a host with a child "preview box" of an
// exact client size, like the one the display settings give a saver.
class TestWindow {
public:
    // A top-level window; shown without activation when `visible`.
    static TestWindow TopLevel(std::wstring_view caption, bool visible = false);
    // A visible host window holding one child box of width x height pixels.
    static TestWindow PreviewBox(int width, int height);

    HWND Get() const { return box_ != nullptr ? box_ : top_.Get(); }  // the box, if any
    // The handle as the display settings would write it on a command line.
    std::wstring HandleText() const;
    void Destroy();

private:
    forms::UniqueWindow top_;  // the box goes with it
    HWND box_ = nullptr;
};

// --- input and screen ----------------------------------------------------------

void MoveMouseTo(int x, int y);  // absolute screen pixels
enum class MouseButton { Left, Right, Middle };
void ClickAt(int x, int y, MouseButton button = MouseButton::Left);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
void PressKey(WORD virtualKey);  // down and up
void TypeCharacter(wchar_t c);   // as typed text, not a key
void TypeText(std::wstring_view text);
// Gives the program a moment to take what was sent (input is asynchronous).
void LetInputSettle();

// The system's screen-saver-running mark as a fresh process sees it (Wine keeps
// the setting per process once read, so this process could not tell); nullopt
// when the probe could not run.
std::optional<bool> SaverRunningMark();

// Whether the cursor is shown, as the system reports it.
bool CursorShowing();

RECT VirtualScreen();
// A copy of the screen (or part of it, in screen pixels) as 0x00RRGGBB pixels.
core::PixelSurface CaptureScreen();
core::PixelSurface CaptureScreen(const RECT& area);

// --- folders ---------------------------------------------------------------------

// Makes a folder refuse new files, even to an administrator, until it goes out
// of scope (the immutable flag of the file system under the test rig).
class RefusingFolder {
public:
    explicit RefusingFolder(const std::filesystem::path& folder);
    ~RefusingFolder();
    RefusingFolder(const RefusingFolder&) = delete;
    RefusingFolder& operator=(const RefusingFolder&) = delete;
    bool Refusing() const { return refusing_; }

private:
    std::filesystem::path folder_;
    std::string unixPath_;
    bool refusing_ = false;
};

// The per-user settings folder of the program (in the local application data).
std::filesystem::path PerUserFolder();

// A file's bytes, nullopt when it cannot be read.
std::optional<std::string> FileBytes(const std::filesystem::path& file);

// --- the program under test ------------------------------------------------------

// Each test gets its own copy of the program in a fresh temporary folder, so the
// settings file beside it starts absent and nothing leaks between tests; the
// per-user settings folder is absent at the start and the end of every test. A
// process still running at the end is killed.
class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path ProgramPath() const { return folder_ / L"Corvalinth.scr"; }
    std::filesystem::path IniPath() const { return folder_ / L"Corvalinth.ini"; }
    std::filesystem::path PerUserIniPath() const { return PerUserFolder() / L"Corvalinth.ini"; }
    // The program's folder refuses new files until the test ends.
    void MakeProgramFolderRefuseWrites();

    // Settings file as raw bytes (nullopt when absent) ...
    void WriteIniBytes(std::string_view bytes) const;
    std::optional<std::string> ReadIniBytes() const;
    // ... and through the system's own profile functions.
    void WriteIniValue(std::wstring_view section, std::wstring_view key,
                       std::wstring_view value) const;
    std::optional<std::wstring> ReadIniValue(std::wstring_view section, std::wstring_view key) const
    {
        return ReadIniValue(section, key, IniPath());
    }
    static std::optional<std::wstring> ReadIniValue(std::wstring_view section, std::wstring_view key,
                                                    const std::filesystem::path& file);

    // Starts the copy with this argument text (the path is put in front of it).
    void Launch(std::wstring_view arguments);
    DWORD ProcessId() const { return processId_; }
    bool Running() const;
    // The exit code once the process has ended, or nullopt on time-out.
    std::optional<DWORD> WaitForExit(Milliseconds timeout = kStartTimeout);
    void Kill();

    struct RunOutcome {
        std::optional<DWORD> exitCode;  // nullopt: still running at the time-out
        // Every window of the program seen while waiting: visible top-level
        // ones, and any inside `watched` (a preview box, say), visible or not.
        std::vector<WindowFacts> windowsSeen;
    };
    RunOutcome WaitForExitWatchingWindows(Milliseconds timeout = kStartTimeout,
                                          HWND watched = nullptr);

    // The program's visible top-level windows right now.
    std::vector<HWND> VisibleWindows() const { return TopLevelWindowsOf(processId_, true); }

private:
    std::filesystem::path folder_;
    std::unique_ptr<RefusingFolder> refusing_;
    UniqueHandle process_;
    DWORD processId_ = 0;
};

}  // namespace corvalinth::e2e
