#include "core/number_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvalinth::core {
namespace {

TEST(NumberRules, RoundHalfEvenAtHalvesAndNegatives)
{
    struct Case { double in, out; };
    for (auto c : {Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{-3.5, -4}, Case{0.5, 0},
                   Case{-0.5, -0.0}, Case{1.5, 2}, Case{2.4999, 2}, Case{2.5001, 3},
                   Case{-1.2, -1}, Case{-1.7, -2}, Case{1e15 + 0.5, 1e15}})
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(NumberRules, FloorAndDivisionTowardZero)
{
    EXPECT_EQ(Floor(12.9), 12);
    EXPECT_EQ(Floor(-0.5), -1);
    EXPECT_EQ(DivideTowardZero(7, 2), 3);
    EXPECT_EQ(DivideTowardZero(-7, 2), -3);
    EXPECT_EQ(DivideTowardZero(15360, 15), 1024);
    EXPECT_EQ(DivideTowardZero(1, 0), std::nullopt);
    EXPECT_EQ(DivideTowardZero(std::numeric_limits<std::int64_t>::min(), -1), std::nullopt);
}

TEST(NumberRules, NarrowingOverflowsAtTheEdges)
{
    EXPECT_EQ(ToInt16(32767.0), 32767);
    EXPECT_EQ(ToInt16(32767.5), std::nullopt);  // rounds to 32768
    EXPECT_EQ(ToInt16(32766.5), 32766);
    EXPECT_EQ(ToInt16(-32768.0), -32768);
    EXPECT_EQ(ToInt16(-32768.5), -32768);       // ties to even stays in range
    EXPECT_EQ(ToInt16(-32769.0), std::nullopt);
    EXPECT_EQ(ToInt16(std::nan("")), std::nullopt);
    EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(ToInt32(2147483648.0), std::nullopt);
    EXPECT_EQ(ToInt32(-2147483648.0), -2147483648LL);
    EXPECT_EQ(ToInt64(9.3e18), std::nullopt);
    EXPECT_EQ(ToInt64(-9.2e18), static_cast<std::int64_t>(-9.2e18));
    EXPECT_EQ(NearestInt32(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(NearestInt32(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(NearestInt32(-2.5), -2);
}

}  // namespace
}  // namespace corvalinth::core
