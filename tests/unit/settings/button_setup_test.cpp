#include "settings/button_setup.h"

#include <gtest/gtest.h>

namespace corvalinth {
namespace {

TEST(ButtonSetup, OnlyExactlyTrueCountsAsTrue)
{
    struct Case {
        std::int16_t doInit, enable;
        ButtonSetup expected;
    };
    const Case cases[] = {
        {-1, -1, ButtonSetup::Initialize}, {-1, 0, ButtonSetup::Initialize}, {-1, 1, ButtonSetup::Initialize},
        {0, -1, ButtonSetup::Enable},      {0, 0, ButtonSetup::Disable},      {0, 1, ButtonSetup::Disable},
        {1, -1, ButtonSetup::Enable},      {1, 0, ButtonSetup::Disable},      {1, 1, ButtonSetup::Disable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ButtonSetupFor(c.doInit, c.enable), c.expected) << c.doInit << ", " << c.enable;
}

}  // namespace
}  // namespace corvalinth
