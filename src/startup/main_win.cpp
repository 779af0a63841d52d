#include "startup/main_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "startup/command_line.h"
#include "startup/corvalinth_b.h"
#include "startup/handover_win.h"
#include "startup/settings_file_win.h"

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
    return RunPreviewWindow(parent, ClampedExtent(box.left, box.right),
                            ClampedExtent(box.top, box.bottom));
}

int RunFullScreenSaver()
{
    CorvalinthB& module = Module();
    module.gCursorCount = ShowCursor(FALSE);
    SetSaverRunning(kFalse);
    const int exitCode = RunSaverWindow();
    // Left set, the mark would keep the system believing a saver runs after we are gone.
    SetSaverRunning(kTrue);
    if (module.gCursorCount && *module.gCursorCount < 0) {
        module.gCursorCount = ShowCursor(TRUE);
    }
    return exitCode;
}

}  // namespace

std::wstring_view ProgramArgumentText()
{
    const wchar_t* commandLine = GetCommandLineW();
    return ArgumentText(commandLine != nullptr ? std::wstring_view(commandLine) : std::wstring_view());
}

void SetSaverRunning(std::int16_t flag)
{
    const auto running = static_cast<UINT>(~static_cast<std::int32_t>(flag));
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running, nullptr, 0);
}

void AdoptAsPreviewChild(HWND window, HWND parent, int widthPixels, int heightPixels)
{
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, style | WS_CHILD);
    // Sized before it enters the box, so it never shows there at its design size.
    SetWindowPos(window, nullptr, 0, 0, std::max(widthPixels, 0), std::max(heightPixels, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetParent(window, parent);
    // Pixels straight from the box, so a box of any size fits.
    SetWindowPos(window, nullptr, 0, 0, std::max(widthPixels, 0), std::max(heightPixels, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int Main()
{
    if (OwnWindowIsOpen()) return 0;

    const StartupDecision decision = DecideStartup(ProgramArgumentText());
    if (decision.mode == StartMode::Preview) return RunPreview(decision.parentHandle);

    LoadSettings();
    switch (decision.mode) {
    case StartMode::Settings:
        return RunSettingsDialog();
    case StartMode::SaverFullScreen:
        return RunFullScreenSaver();
    case StartMode::SaverPlain:
        return RunSaverWindow();
    case StartMode::Preview:
    case StartMode::End:
        break;
    }
    return 0;
}

}  // namespace corvalinth
