#pragma once
// What the program was asked to do, decided from its argument text alone so the
// decision can be tested without a window system.
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvalinth {

enum class StartMode {
    Preview,          // child window inside the system's preview box
    Settings,         // the settings dialog, modal: /c, and no argument at all (the shell's Configure)
    SaverFullScreen,  // /s: cursor hidden, saver-running mark set
    End,              // a switch this program does not serve
};

struct StartupDecision {
    StartMode mode = StartMode::End;
    bool loadSettings = true;
    // Preview only: the parent handle as the caller wrote it, 0..2^32-1 or its
    // sign-extended negative form; empty when the text cannot name a handle.
    std::optional<std::int64_t> parentHandle;
};

// The command line without the program's path (quoted or not) and the blanks
// after it. The result views into `fullCommandLine`.
std::wstring_view ArgumentText(std::wstring_view fullCommandLine);

// Only the second character of the argument text names the mode, in either
// case: /p, -p and xp are the same switch.
StartupDecision DecideStartup(std::wstring_view argumentText);

}  // namespace corvalinth
