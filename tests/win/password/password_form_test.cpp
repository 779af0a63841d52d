#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/app_win.h"
#include "forms/form_win.h"
#include "forms/handles_win.h"
#include "forms/timer_win.h"
#include "password/password_form_win.h"
#include "core/corvalinth_b.h"

namespace corvalinth {
namespace {

using forms::Form;
using forms::FormSpec;

class PasswordFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Module();
        Module().gPassOK = kFalse;
    }
    void TearDown() override
    {
        Module() = saved_;
        forms::ResetEndingForTests();
    }

private:
    CorvalinthB saved_;
};

TEST_F(PasswordFormTest, APasswordWiderThanTheBoxStillMatches)
{
    // The text must scroll rather than stop at the box's edge.
    Module().gPassword = std::wstring(40, L'w') + std::wstring(40, L'語');
    Corvalinth_Pass prompt;
    prompt.Show();
    ASSERT_TRUE(prompt.Pass());
    ::SendMessageW(prompt.Pass(), EM_SETSEL, 0, -1);
    ::SendMessageW(prompt.Pass(), WM_CLEAR, 0, 0);
    for (wchar_t c : Module().gPassword) ::SendMessageW(prompt.Pass(), WM_CHAR, c, 1);
    forms::DoEvents();
    EXPECT_FALSE(prompt.IsLoaded());
    EXPECT_EQ(Module().gPassOK, kTrue);
}

// A form with a caption, a sizing frame and child controls of its own.
class FramedForm : public Form {
public:
    explicit FramedForm(std::vector<RECT> controls)
        : Form(FormSpec{L"CorvalinthFormTmTest", L"FormTm", WS_OVERLAPPEDWINDOW, 0, 300, 200, RGB(0, 0, 160)}),
          controls_(std::move(controls))
    {
    }

protected:
    void Form_Load() override
    {
        for (const RECT& r : controls_)
            ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, hWnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }

private:
    std::vector<RECT> controls_;
};

TEST_F(PasswordFormTest, FormTmKeepsControlsWhereTheyStandBehindCaptionAndFrame)
{
    // Two overlapping boxes and one touching the second.
    const std::vector<RECT> controls{{10, 10, 60, 40}, {40, 30, 100, 80}, {100, 50, 130, 70}};
    FramedForm form(controls);
    form.Show();
    forms::DoEvents();
    FormTm(form);

    const RECT outer = form.WindowRectPixels();
    POINT client{0, 0};
    ::ClientToScreen(form.hWnd(), &client);
    const int dx = client.x - outer.left;
    const int dy = client.y - outer.top;
    ASSERT_GT(dx, 0);
    ASSERT_GT(dy, dx);  // a caption above the client area

    forms::Region region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(form.hWnd(), region.Get()), COMPLEXREGION);
    // Every control's pixels, in window coordinates, are in; nothing around them is.
    forms::Region expected(::CreateRectRgn(0, 0, 0, 0));
    for (const RECT& r : controls) {
        forms::Region piece(::CreateRectRgn(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy));
        ::CombineRgn(expected.Get(), expected.Get(), piece.Get(), RGN_OR);
    }
    EXPECT_TRUE(::EqualRgn(region.Get(), expected.Get()));
}

TEST_F(PasswordFormTest, FormTmOnAFormWithOnlyATimerLeavesTheWindowWhole)
{
    FramedForm form({});
    forms::Timer timer([] {}, 1000, true);
    form.Show();
    ::SetWindowRgn(form.hWnd(), ::CreateRectRgn(0, 0, 5, 5), FALSE);  // a region from before
    FormTm(form);
    forms::Region region(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(form.hWnd(), region.Get()), ERROR);
}

}  // namespace
}  // namespace corvalinth
