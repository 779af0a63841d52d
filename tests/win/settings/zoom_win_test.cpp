#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "button/command_win.h"
#include "forms/controls_win.h"
#include "forms/form_win.h"
#include "core/corvalinth_b.h"
#include "settings/zoom_win.h"

namespace corvalinth {
namespace {

class PlainForm : public forms::Form {
public:
    PlainForm() : Form(forms::FormSpec{L"CorvalinthZoomTest", L"Zoom test", WS_POPUP, WS_EX_TOOLWINDOW, 300, 200}) {}
};

TEST(InitButtons, ReachesEveryCommandOnTheFormAndInItsPanels)
{
    struct Case {
        std::int16_t doInit, enable;
        bool initialised;
        std::int16_t enabled;  // afterwards; it starts as the opposite unless initialising
    };
    for (const Case& c : {Case{-1, 0, true, kFalse}, Case{0, -1, false, kTrue}, Case{1, 1, false, kFalse}}) {
        SCOPED_TRACE(::testing::Message() << c.doInit << ", " << c.enable);
        PlainForm form;
        form.Load();
        // One button on the form, one inside a panel, and a control that is no button.
        forms::PictureBox panel(form.hWnd(), {10, 10, 200, 100}, RGB(200, 200, 200), true);
        forms::OptionButton option(panel.hWnd(), L"x", {5, 5, 50, 20}, true);
        option.SetEnabled(false);
        std::vector<std::unique_ptr<button::Command>> buttons;
        buttons.push_back(std::make_unique<button::Command>(form.hWnd(), 1));
        buttons.push_back(std::make_unique<button::Command>(panel.hWnd(), 2));
        for (auto& b : buttons) {
            b->ReadProperties(button::PropertyBag{});
            b->MovePixels(0, 0, 90, 30);
            b->SetEnabled(c.initialised || c.enabled == kTrue ? kFalse : kTrue);
        }

        InitButtons(form, c.doInit, c.enable);
        for (auto& b : buttons) {
            EXPECT_EQ(b->Core().MouseTimerEnabled(), c.initialised);
            EXPECT_EQ(b->Core().Fields().mEnabled, c.enabled);
        }
        EXPECT_FALSE(option.Enabled());
        EXPECT_FALSE(option.Value());
        buttons.clear();
        form.Unload();
    }
}

TEST(Zoom, AnyHandleIsSafe)
{
    Module().gZoomX = 40;
    Module().gZoomY = -7;
    PlainForm form;
    form.Load();
    ZoomOpen(form.hWnd());
    ZoomClose(form.hWnd());
    // Not a window: the animation has nothing to end on, and nothing fails.
    ZoomOpen(nullptr);
    ZoomClose(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0)));
    EXPECT_TRUE(form.IsLoaded());
    form.Unload();
    Module() = CorvalinthB{};
}

}  // namespace
}  // namespace corvalinth
