#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "button/command_core.h"
#include "core/corvalinth_b.h"

namespace corvalinth::button {
namespace {

using P = StatePicture;

// Records what the control asks of the window system.
struct FakeHost : CommandHost {
    void PaintFace(StatePicture picture, CommandFields&) override { paints.push_back(picture); }
    void Refresh() override {}
    void CaptionChanged() override {}
    void PropertyChanged(std::wstring_view) override {}
    void RaiseClick() override { ++clicks; }
    void StartMouseTimer(int) override {}
    double WidthTwips() const override { return 1395; }
    double HeightTwips() const override { return 435; }
    FontObject AmbientFont() const override { return nullptr; }

    std::vector<StatePicture> paints;
    int clicks = 0;
};

// Any button other than the left, and the pointer over the form or elsewhere, take the same paths.
enum class Event {
    MoveOver, MoveOverLeftHeld, LeftDown, LeftUp, RightUp, FocusIn, FocusOut, TimerAway, TimerOver, Press
};

void Fire(CommandCore& c, Event e)
{
    switch (e) {
        case Event::MoveOver:
        case Event::MoveOverLeftHeld: c.UserControl_MouseMove(0, 0, 10, 10); break;
        case Event::LeftDown: c.UserControl_MouseDown(kLeftButton, 0, 10, 10); break;
        case Event::LeftUp: c.UserControl_MouseUp(kLeftButton, 0, 10, 10); break;
        case Event::RightUp: c.UserControl_MouseUp(kRightButton, 0, 10, 10); break;
        case Event::FocusIn: c.UserControl_GotFocus(); break;
        case Event::FocusOut: c.UserControl_LostFocus(); break;
        case Event::TimerAway: c.TmrMouse_Timer(PointerOver::Elsewhere); break;
        case Event::TimerOver: c.TmrMouse_Timer(PointerOver::OwnWindow); break;
        case Event::Press: c.DoDefaultAction(); break;  // a screen reader's
    }
}

struct Outcome {
    int state;  // -1: unchanged
    std::optional<P> paint;
    bool click;
};
constexpr int kSame = -1;
const Outcome kNothing{kSame, std::nullopt, false};

struct Row {
    Event event;
    Outcome byState[5];
};

// Every state of an enabled control against every event.
const Row kTable[] = {
    {Event::MoveOver, {kNothing, {2, P::HighLight, false}, kNothing, {4, P::HighLightSelect, false}, kNothing}},
    {Event::MoveOverLeftHeld, {kNothing, {2, P::HighLight, false}, kNothing, kNothing, kNothing}},
    {Event::LeftDown,
     {{kSame, P::Pressed, false}, {kSame, P::Pressed, false}, {kSame, P::Pressed, false}, {4, P::Pressed, false},
      {kSame, P::Pressed, false}}},
    {Event::LeftUp,
     {{kSame, {}, true}, {kSame, {}, true}, {kSame, P::Normal, true}, kNothing, {kSame, P::HighLightSelect, true}}},
    {Event::RightUp, {{kSame, {}, true}, {kSame, {}, true}, {kSame, {}, true}, kNothing, {kSame, {}, true}}},
    {Event::FocusIn,
     {{3, P::Selected, false}, {3, P::Selected, false}, {4, P::Pressed, false}, {3, P::Selected, false},
      {3, P::Selected, false}}},
    {Event::FocusOut, {{1, P::Normal, false}, kNothing, {1, P::Normal, false}, {1, P::Normal, false}, {1, P::Normal, false}}},
    {Event::TimerAway, {kNothing, kNothing, {1, P::Normal, false}, kNothing, {3, P::Selected, false}}},
    {Event::TimerOver, {kNothing, kNothing, kNothing, kNothing, kNothing}},
    {Event::Press,
     {{kSame, {}, true}, {kSame, {}, true}, {kSame, {}, true}, {kSame, {}, true}, {kSame, {}, true}}},
};

TEST(CommandInput, EveryStateAgainstEveryEvent)
{
    for (const Row& row : kTable) {
        for (int state = 0; state <= 4; ++state) {
            SCOPED_TRACE("event " + std::to_string(static_cast<int>(row.event)) + " in state " + std::to_string(state));
            FakeHost host;
            CommandCore c(host);
            c.Fields().mEnabled = kTrue;
            c.Fields().mFirstRun = 1;
            c.Fields().mState = static_cast<std::uint8_t>(state);
            c.Fields().mMouseDown = row.event == Event::MoveOverLeftHeld ? kTrue : kFalse;
            Fire(c, row.event);

            const Outcome& want = row.byState[state];
            EXPECT_EQ(c.Fields().mState, want.state == kSame ? state : want.state);
            EXPECT_EQ(host.paints, want.paint ? std::vector<P>{*want.paint} : std::vector<P>{});
            EXPECT_EQ(host.clicks, want.click ? 1 : 0);
        }
    }
}

}  // namespace
}  // namespace corvalinth::button
