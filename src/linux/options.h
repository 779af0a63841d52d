#pragma once
// The Linux program's command line: where it draws and how many dots of which
// kind. Kept free of Xlib so that the rules are tested natively.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvalinth::linux_host {

enum class Target {
    OwnWindow,  // a window of its own, ended by a click or a typed character
    WindowId,   // a window someone else made: the daemon's or the settings' preview
    Root,       // the root window
};

struct Options {
    Target target = Target::OwnWindow;
    std::uint32_t windowId = 0;  // with Target::WindowId
    int count = 1000;            // 1..1000
    bool mono = false;
    bool fps = false;  // the frame rate and CPU load in a corner
    bool help = false;
    bool version = false;
    int width = 1024, height = 768;  // the own window's size
    // Where the own window goes, as X geometry gives it: an offset from the
    // left (or, negative, the right) and top (or bottom) edge; unset lets the
    // window manager choose.
    struct Offset {
        int x = 0, y = 0;
        bool fromRight = false, fromBottom = false;
    };
    std::optional<Offset> offset;
};

struct ParsedOptions {
    std::optional<Options> options;
    std::string error;  // set when options is empty
};

constexpr int kMinCount = 1;
constexpr int kMaxCount = 1000;

// Arguments after the program name. Options take one or two dashes, and a value
// either as the next argument or after '='. `environmentWindow` is the value of
// XSCREENSAVER_WINDOW (nullptr or empty when unset): the daemon's window, used
// unless --window-id names another one; --root counts only without either.
ParsedOptions ParseOptions(std::span<const std::string_view> args, const char* environmentWindow);

// A window id as X prints them: hexadecimal with 0x, or decimal; never 0.
std::optional<std::uint32_t> ParseWindowId(std::string_view text);

// The options as --help lists them; the manual page and the settings program's
// description list the same (a test compares them).
std::string_view UsageText();

}  // namespace corvalinth::linux_host
