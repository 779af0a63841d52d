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

// As the settings dialog calls it: every command, on the form or in a panel, is
// initialised (its pointer timer runs); other controls are left alone.
TEST(InitButtons, ReachesEveryCommandOnTheFormAndInItsPanels)
{
    PlainForm form;
    form.Load();
    forms::PictureBox panel(form.hWnd(), {10, 10, 200, 100}, RGB(200, 200, 200), true);
    forms::OptionButton option(panel.hWnd(), L"x", {5, 5, 50, 20}, true);
    option.SetEnabled(false);
    std::vector<std::unique_ptr<button::Command>> buttons;
    buttons.push_back(std::make_unique<button::Command>(form.hWnd(), 1));
    buttons.push_back(std::make_unique<button::Command>(panel.hWnd(), 2));
    for (auto& b : buttons) {
        b->ReadProperties(button::PropertyBag{});
        b->MovePixels(0, 0, 90, 30);
    }
    InitButtons(form, kTrue, kTrue);
    for (auto& b : buttons) EXPECT_TRUE(b->Core().MouseTimerEnabled());
    EXPECT_FALSE(option.Enabled());
    buttons.clear();
    form.Unload();
}

}  // namespace
}  // namespace corvalinth
