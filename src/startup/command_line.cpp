#include "startup/command_line.h"

#include "core/number_rules.h"

namespace corvalinth {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Handles are 32-bit values; a 64-bit process may see them written either as
// unsigned numbers or sign-extended, so both spellings are accepted.
constexpr std::int64_t kLowestHandle = -(std::int64_t{1} << 31);
constexpr std::int64_t kHighestHandle = (std::int64_t{1} << 32) - 1;

std::optional<std::int64_t> ReadParentHandle(std::wstring_view argumentText)
{
    const std::wstring_view number = argumentText.size() > 3 ? argumentText.substr(3) : L"";
    const std::optional<std::int64_t> value = core::ToInt64(core::ParseNumericPrefix(number));
    if (!value || *value < kLowestHandle || *value > kHighestHandle) return std::nullopt;
    return value;
}

// The second character upper-cased, or 0 when the text is shorter.
wchar_t ModeLetter(std::wstring_view argumentText)
{
    if (argumentText.size() < 2) return 0;
    const wchar_t c = argumentText[1];
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

}  // namespace

std::wstring_view ArgumentText(std::wstring_view fullCommandLine)
{
    // The path ends at the first blank outside quotes; quotes may open and
    // close anywhere in it, as the usual command-line splitting allows.
    // Some launchers put blanks before the path; they are not the path's end.
    std::size_t i = 0;
    while (i < fullCommandLine.size() && IsBlank(fullCommandLine[i])) ++i;
    bool quoted = false;
    for (; i < fullCommandLine.size(); ++i) {
        const wchar_t c = fullCommandLine[i];
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && IsBlank(c)) {
            break;
        }
    }
    while (i < fullCommandLine.size() && IsBlank(fullCommandLine[i])) ++i;
    return fullCommandLine.substr(i);
}

StartupDecision DecideStartup(std::wstring_view argumentText)
{
    StartupDecision decision;
    switch (ModeLetter(argumentText)) {
    case L'P':
        decision.mode = StartMode::Preview;
        decision.loadSettings = false;
        decision.parentHandle = ReadParentHandle(argumentText);
        break;
    case L'C':
        decision.mode = StartMode::Settings;
        break;
    case L'S':
        decision.mode = StartMode::SaverFullScreen;
        break;
    default:
        // The shell's Configure verb starts the program with no argument at all;
        // one stray character is not that.
        decision.mode = argumentText.empty() ? StartMode::Settings : StartMode::End;
        break;
    }
    return decision;
}

}  // namespace corvalinth
