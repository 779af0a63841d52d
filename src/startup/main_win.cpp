#include "startup/main_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "config/settings_file_win.h"
#include "config/settings_location_win.h"
#include "core/corvalinth_b.h"
#include "forms/app_win.h"
#include "forms/handles_win.h"
#include "preview/preview_form_win.h"
#include "saver/saver_form_win.h"
#include "settings/settings_dialog_win.h"
#include "startup/command_line.h"

namespace corvalinth {
namespace {

constexpr wchar_t kSaverCaption[] = L"Corvalinth_Main";
constexpr wchar_t kSettingsCaption[] = L"Corvalinthの設定";

bool OwnWindowIsOpen()
{
    // Both are always looked for, the saver's first.
    const HWND saver = FindWindowW(nullptr, kSaverCaption);
    const HWND dialog = FindWindowW(nullptr, kSettingsCaption);
    return saver != nullptr || dialog != nullptr;
}

// The window check misses a start made before the other's window exists; a
// named mutex, taken before any window, closes that gap. Whether this start
// may go on; `guard` holds the mutex for the process's life.
bool TakeInstanceGuard(forms::KernelHandle& guard)
{
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Corvalinth.Instance");
    const DWORD error = GetLastError();
    guard.Reset(mutex);
    // Without a mutex at all the window check still stands.
    return mutex == nullptr || error != ERROR_ALREADY_EXISTS;
}

// The modes that open the saver window or the settings dialog.
bool OpensOwnWindow(StartMode mode)
{
    return mode == StartMode::Settings || mode == StartMode::SaverFullScreen;
}

// A window handle has 32 significant bits and is sign-extended in a 64-bit
// process, so 4294967295 and -1 name the same handle.
HWND HandleFromValue(std::int64_t value)
{
    const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFF));
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(low));
}

int ClampedExtent(LONG from, LONG to)
{
    const std::int64_t extent = std::int64_t{to} - std::int64_t{from};
    return static_cast<int>(std::clamp<std::int64_t>(extent, 0, INT32_MAX));
}

// The system's display settings start the preview in the background, so a bad
// handle must not leave a process waiting for a parent that never goes away.
int RunPreview(const std::optional<std::int64_t>& parentValue)
{
    if (!parentValue) return 0;
    const HWND parent = HandleFromValue(*parentValue);
    if (parent == nullptr || !IsWindow(parent)) return 0;
    RECT box{};
    GetWindowRect(parent, &box);
    return preview::RunPreviewWindow(parent, ClampedExtent(box.left, box.right),
                            ClampedExtent(box.top, box.bottom));
}

std::wstring_view ProgramArgumentText()
{
    const wchar_t* commandLine = GetCommandLineW();
    return ArgumentText(commandLine != nullptr ? std::wstring_view(commandLine) : std::wstring_view());
}

int RunFullScreenSaver()
{
    CorvalinthB& module = Module();
    const saver::SaverOptions options{true, module.gColor, module.gNum};
    module.gCursorCount = ShowCursor(FALSE);
    forms::SetSaverRunning(true);
    const int exitCode = saver::RunSaverWindow(options);
    forms::SetSaverRunning(false);
    if (module.gCursorCount && *module.gCursorCount < 0) {
        module.gCursorCount = ShowCursor(TRUE);
    }
    return exitCode;
}

}  // namespace

int Main()
{
    if (OwnWindowIsOpen()) return 0;

    const StartupDecision decision = DecideStartup(ProgramArgumentText());
    if (decision.mode == StartMode::Preview) return RunPreview(decision.parentHandle);
    forms::KernelHandle guard;
    if (OpensOwnWindow(decision.mode) && !TakeInstanceGuard(guard)) return 0;

    const SettingsLocation settingsFile = FindSettingsLocation();
    if (decision.loadSettings) LoadSettingsFrom(settingsFile.file);
    switch (decision.mode) {
    case StartMode::Settings:
        return settings::RunSettingsDialog(settingsFile);
    case StartMode::SaverFullScreen:
        return RunFullScreenSaver();
    case StartMode::Preview:
    case StartMode::End:
        break;
    }
    return 0;
}

}  // namespace corvalinth
