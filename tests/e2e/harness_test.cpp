// The other end-to-end tests use every harness tool; this one checks what they
// could not tell apart: a click that lands a pixel off.
#include "harness.h"

namespace corvalinth::e2e {
namespace {

TEST(Harness, MouseLandsOnTheExactPixel)
{
    const RECT screen = VirtualScreen();
    for (const POINT target : {POINT{screen.left, screen.top}, POINT{137, 59},
                               POINT{(screen.left + screen.right) / 2 + 1, (screen.top + screen.bottom) / 2},
                               POINT{screen.right - 1, screen.bottom - 1}}) {
        MoveMouseTo(target.x, target.y);
        PumpFor(50ms);
        POINT at{};
        GetCursorPos(&at);
        EXPECT_EQ(at.x, target.x);
        EXPECT_EQ(at.y, target.y);
    }
}

}  // namespace
}  // namespace corvalinth::e2e
