#include "forms/scroll_rules.h"

#include <gtest/gtest.h>

namespace corvalinth::forms {
namespace {

TEST(ScrollRules, StepsStayInRangeAndRaiseTheRightEvent)
{
    const ScrollRange count{1, 1000, 1, 10};
    struct Case {
        int value;
        ScrollAction action;
        int thumb;
        int expected;
        ScrollEvent event;
    };
    const Case cases[] = {
        {1, ScrollAction::LineLeft, 0, 1, ScrollEvent::None},      // already at the end: nothing moves
        {5, ScrollAction::PageLeft, 0, 1, ScrollEvent::Change},     // a page step stops at the end
        {500, ScrollAction::ThumbTrack, 640, 640, ScrollEvent::Scroll},
        {640, ScrollAction::ThumbTrack, 640, 640, ScrollEvent::None},
        {640, ScrollAction::ThumbPosition, 640, 640, ScrollEvent::Change},
        {500, ScrollAction::ThumbTrack, 5000, 1000, ScrollEvent::Scroll},
        {500, ScrollAction::EndScroll, 7, 500, ScrollEvent::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " action " << static_cast<int>(c.action));
        const auto out = ApplyScroll(count, c.value, c.action, c.thumb);
        EXPECT_EQ(out.value, c.expected);
        EXPECT_EQ(out.event, c.event);
    }
}

}  // namespace
}  // namespace corvalinth::forms
