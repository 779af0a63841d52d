#include "core/number_rules.h"

#include <gtest/gtest.h>

namespace corvalinth::core {
namespace {

TEST(NumberRules, ParseNumberAcceptsTheGeneralFormsAndNothingElse)
{
    const std::wstring manyDigits(100000, L'9');
    struct Case { std::wstring text; std::optional<double> value; };
    for (const auto& c : {Case{L"\t42 \t", 42}, Case{L"+7", 7}, Case{L"-.25", -0.25}, Case{L"5.", 5},
                          Case{L"2D2", 200}, Case{L"&h7FFF", 32767}, Case{L"&HFFFF", -1}, Case{L"&H10000", 65536},
                          Case{L"&H80000000", -2147483648.0}, Case{L"&o177777", -1}, Case{L"-&H10", -16},
                          Case{L"1e-400", 0}, Case{L"0." + manyDigits, 1.0}, Case{L"1E-99999999999999999999", 0},
                          Case{manyDigits, {}}})  // overflows a double
        EXPECT_EQ(ParseNumber(c.text), c.value) << testing::PrintToString(c.text.substr(0, 20));
    for (const wchar_t* text : {L"   ", L"1 2", L"1E+", L".", L"&H", L"&O8", L"&H123456789", L"1e400",
                                L"1,000", L"１２"})
        EXPECT_EQ(ParseNumber(text), std::nullopt) << testing::PrintToString(std::wstring(text));
}

TEST(NumberRules, NumericPrefixStopsWhereTheNumberEnds)
{
    struct Case { const wchar_t* text; double value; };
    for (auto c : {Case{L":1234", 0}, Case{L"1\t2\n3", 123}, Case{L"12.5.6", 12.5}, Case{L"1E+", 1},
                   Case{L"&HFFFF", -1}, Case{L"&O17 9", 15}, Case{L"-", 0}, Case{L"1,5", 1}})
        EXPECT_EQ(ParseNumericPrefix(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
}

}  // namespace
}  // namespace corvalinth::core
