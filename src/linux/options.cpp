#include "linux/options.h"

#include <algorithm>
#include <charconv>

namespace corvalinth::linux_host {

namespace {
template <typename Number>
std::optional<Number> WholeNumber(std::string_view text, int base = 10)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || at != end || error == std::errc::invalid_argument) return std::nullopt;
    if (error == std::errc::result_out_of_range) return std::nullopt;
    return value;
}

// Out of range is clamped, including numbers too long for any integer type.
std::optional<int> ParseCount(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-';
    std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto value = WholeNumber<long long>(digits);
    if (!value) return negative ? kMinCount : kMaxCount;
    return static_cast<int>(std::clamp<long long>(negative ? -*value : *value, kMinCount, kMaxCount));
}

constexpr int kLargest = 16384;

// "+X+Y", "-X-Y" or a mix: X geometry's offset from either edge.
std::optional<Options::Offset> ParseOffset(std::string_view text)
{
    Options::Offset offset;
    const auto edge = [&text](int& value, bool& fromEnd) {
        if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
        fromEnd = text.front() == '-';
        text.remove_prefix(1);
        const auto end = std::min(text.find_first_of("+-"), text.size());
        const auto number = WholeNumber<int>(text.substr(0, end));
        text.remove_prefix(end);
        if (!number || *number > kLargest) return false;
        value = *number;
        return true;
    };
    if (!edge(offset.x, offset.fromRight) || !edge(offset.y, offset.fromBottom) || !text.empty()) return std::nullopt;
    return offset;
}

bool ParseGeometry(std::string_view text, Options& options)
{
    const auto x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    const auto offsetAt = std::min(text.find_first_of("+-", x), text.size());
    const auto w = WholeNumber<int>(text.substr(0, x));
    const auto h = WholeNumber<int>(text.substr(x + 1, offsetAt - x - 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > kLargest || *h > kLargest) return false;
    std::optional<Options::Offset> offset;
    if (offsetAt < text.size() && !(offset = ParseOffset(text.substr(offsetAt)))) return false;
    options.width = *w;
    options.height = *h;
    options.offset = offset;
    return true;
}

// Every option, once: the parser takes its names from here and --help its text.
struct OptionInfo {
    std::string_view name;
    std::string_view value;  // what --help shows for the value; empty for a flag
    std::string_view text;   // lines after the first are indented under it
    std::string_view shortName = {};
};

constexpr OptionInfo kOptions[] = {
    {"count", "N", "dots, 1 to 1000 (default 1000)"},
    {"mono", "", "grey dots"},
    {"fps", "", "show the frame rate and the CPU load in a corner"},
    {"window-id", "ID", "draw in that window (the default is $XSCREENSAVER_WINDOW)"},
    {"root", "", "draw on the root window"},
    {"geometry", "WxH[+X+Y]", "size and place of its own window (default 1024x768);\na click or a typed character ends it"},
    {"help", "", "this text", "h"},
    {"version", "", "the version"},
};

const OptionInfo* FindOption(std::string_view name)
{
    for (const OptionInfo& option : kOptions)
        if (option.name == name || (!option.shortName.empty() && option.shortName == name)) return &option;
    return nullptr;
}

struct Parser {
    std::span<const std::string_view> args;
    std::size_t next = 0;
    std::string error;
    std::optional<std::uint32_t> windowId;
    bool root = false;

    // The option's value: after '=' or the next argument.
    std::optional<std::string_view> Value(std::string_view name, std::optional<std::string_view> inline_)
    {
        if (inline_) return inline_;
        if (next < args.size()) return args[next++];
        error = "--" + std::string(name) + " needs a value";
        return std::nullopt;
    }

    bool Bad(std::string_view name, std::string_view value, std::string_view wanted)
    {
        error = "--" + std::string(name) + ": '" + std::string(value) + "' is not " + std::string(wanted);
        return false;
    }

    bool Flag(std::string_view name, Options& options)
    {
        if (name == "mono") options.mono = true;
        else if (name == "fps") options.fps = true;
        else if (name == "help") options.help = true;
        else if (name == "version") options.version = true;
        else root = true;
        return true;
    }

    bool WithValue(std::string_view name, std::string_view value, Options& options)
    {
        if (name == "count") {
            const auto count = ParseCount(value);
            if (!count) return Bad(name, value, "a number");
            options.count = *count;
        } else if (name == "window-id") {
            windowId = ParseWindowId(value);
            if (!windowId) return Bad(name, value, "a window id");
        } else if (!ParseGeometry(value, options)) {
            return Bad(name, value, "WIDTHxHEIGHT[+X+Y] (1 to 16384 each)");
        }
        return true;
    }

    bool One(Options& options)
    {
        std::string_view arg = args[next++];
        if (arg.size() < 2 || arg[0] != '-') return error = "unexpected argument '" + std::string(arg) + "'", false;
        arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
        std::optional<std::string_view> inline_;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            inline_ = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const OptionInfo* option = FindOption(arg);
        if (!option) return error = "unknown option '" + std::string(args[next - 1]) + "'", false;
        if (option->value.empty()) {
            if (inline_) return error = "--" + std::string(option->name) + " takes no value", false;
            return Flag(option->name, options);
        }
        const auto value = Value(option->name, inline_);
        return value && WithValue(option->name, *value, options);
    }
};

std::string MakeUsageText()
{
    std::string text = "usage: corvalinth [--count N] [--mono] [--fps] [--window-id ID | --root]\n"
                       "                  [--geometry WxH[+X+Y]] [--help] [--version]\n"
                       "Coloured dots crawl over the desktop, leaving trails; now and then the screen\n"
                       "cracks and slides apart to uncover it again. Options take one dash or two.\n";
    constexpr std::size_t kColumn = 24;
    for (const OptionInfo& option : kOptions) {
        std::string names = "  ";
        if (!option.shortName.empty()) names += "-" + std::string(option.shortName) + ", ";
        names += "--" + std::string(option.name);
        if (!option.value.empty()) names += " " + std::string(option.value);
        names.resize(std::max(names.size() + 1, kColumn), ' ');
        text += names;
        for (const char c : option.text) text += c == '\n' ? "\n" + std::string(kColumn, ' ') : std::string(1, c);
        text += '\n';
    }
    return text;
}
}  // namespace

std::optional<std::uint32_t> ParseWindowId(std::string_view text)
{
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const auto value = WholeNumber<std::uint32_t>(hex ? text.substr(2) : text, hex ? 16 : 10);
    if (!value || *value == 0 || (!text.empty() && (text.front() == '-' || text.front() == '+')))
        return std::nullopt;
    return value;
}

ParsedOptions ParseOptions(std::span<const std::string_view> args, const char* environmentWindow)
{
    Options options;
    Parser parser{args};
    while (parser.next < args.size())
        if (!parser.One(options)) return {std::nullopt, parser.error};
    if (options.help || options.version) return {options, {}};
    // The daemon's variable set but empty names no window.
    if (!parser.windowId && environmentWindow && *environmentWindow) {
        parser.windowId = ParseWindowId(environmentWindow);
        if (!parser.windowId)
            return {std::nullopt, "XSCREENSAVER_WINDOW='" + std::string(environmentWindow) + "' is not a window id"};
    }
    if (parser.windowId) {
        options.target = Target::WindowId;
        options.windowId = *parser.windowId;
    } else if (parser.root) {
        options.target = Target::Root;
    }
    return {options, {}};
}

std::string_view UsageText()
{
    static const std::string text = MakeUsageText();
    return text;
}

}  // namespace corvalinth::linux_host
