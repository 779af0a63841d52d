#include "x11/options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <tuple>

namespace corvalinth::x11 {

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

std::optional<std::pair<int, int>> ParseGeometry(std::string_view text)
{
    const auto x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    const auto w = WholeNumber<int>(text.substr(0, x));
    const auto h = WholeNumber<int>(text.substr(x + 1));
    constexpr int kLargest = 16384;
    if (!w || !h || *w < 1 || *h < 1 || *w > kLargest || *h > kLargest) return std::nullopt;
    return std::pair{*w, *h};
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
        const bool flag = arg == "mono" || arg == "help" || arg == "root";
        if (flag && inline_) return error = "--" + std::string(arg) + " takes no value", false;
        if (arg == "mono") return options.mono = true;
        if (arg == "help") return options.help = true;
        if (arg == "root") return root = true;
        if (arg != "count" && arg != "window-id" && arg != "geometry")
            return error = "unknown option '" + std::string(args[next - 1]) + "'", false;
        const auto value = Value(arg, inline_);
        if (!value) return false;
        if (arg == "count") {
            const auto count = ParseCount(*value);
            if (!count) return Bad(arg, *value, "a number");
            options.count = *count;
        } else if (arg == "window-id") {
            windowId = ParseWindowId(*value);
            if (!windowId) return Bad(arg, *value, "a window id");
        } else {
            const auto size = ParseGeometry(*value);
            if (!size) return Bad(arg, *value, "WIDTHxHEIGHT (1 to 16384 each)");
            std::tie(options.width, options.height) = *size;
        }
        return true;
    }
};
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
    if (options.help) return {options, {}};
    if (!parser.windowId && environmentWindow) {
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
    return "usage: corvalinth [--count N] [--mono] [--window-id ID | --root] [--geometry WxH]\n"
           "Coloured dots crawl over the desktop, leaving trails; now and then the screen\n"
           "cracks and slides apart to uncover it again.\n"
           "  --count N        dots, 1 to 1000 (default 1000)\n"
           "  --mono           grey dots\n"
           "  --window-id ID   draw in that window (the default is $XSCREENSAVER_WINDOW)\n"
           "  --root           draw on the root window\n"
           "  --geometry WxH   size of its own window (default 1024x768); a click or a\n"
           "                   typed character ends it\n"
           "  --help           this text\n";
}

}  // namespace corvalinth::x11
