#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace corvalinth {
namespace {

std::string Label(std::wstring_view text) { return testing::PrintToString(std::wstring(text)); }

// A quoted path, with arguments or none, is how every end-to-end run starts.
TEST(ArgumentText, DropsThePathQuotedOrNotAndTheBlanksAfterIt)
{
    const struct {
        std::wstring_view full;
        std::wstring_view expected;
    } cases[] = {
        {L"C:\\Win\\Corvalinth.scr /s", L"/s"},
        // Quotes may open in the middle of the path.
        {L"C:\\Program\" \"Files\\Corvalinth.scr /a 1234", L"/a 1234"},
        // Blanks inside the arguments and after them are kept.
        {L"x.scr /p  42 ", L"/p  42 "},
        // An unclosed quote swallows everything.
        {L"\"C:\\no end /s", L""},
        // The path's own letters never choose the mode.
        {L"/s/Corvalinth.scr", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArgumentText(c.full), c.expected) << Label(c.full);
    }
}

// The modes the end-to-end runs start (/s, /c, none, /a, a bare /p) are seen there; the
// fuzz target holds that only a preview skips the settings and has a parent.
TEST(DecideStartup, ModeTable)
{
    using M = StartMode;
    constexpr std::optional<std::int64_t> none;
    const struct {
        std::wstring_view text;
        M mode;
        std::optional<std::int64_t> parent;
    } cases[] = {
        {L"/p 1234", M::Preview, 1234},
        {L"/p &H1F", M::Preview, 31},
        {L"/p -1", M::Preview, -1},
        {L"/p 4294967295", M::Preview, 4294967295},
        {L"/p 4294967296", M::Preview, none},
        {L"/p -2147483649", M::Preview, none},
        {L"s", M::End, none},
        // Only the second character counts, and only plain letters are upper-cased.
        {L"ps", M::SaverFullScreen, none},
        {L"/\u017F", M::End, none},
    };
    for (const auto& c : cases) {
        const StartupDecision d = DecideStartup(c.text);
        EXPECT_EQ(d.mode, c.mode) << Label(c.text);
        EXPECT_EQ(d.parentHandle, c.parent) << Label(c.text);
    }
}

}  // namespace
}  // namespace corvalinth
