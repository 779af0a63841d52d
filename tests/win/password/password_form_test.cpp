#include <gtest/gtest.h>

#include <string>

#include "forms/app_win.h"
#include "password/password_form_win.h"
#include "core/corvalinth_b.h"

namespace corvalinth {
namespace {

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

}  // namespace
}  // namespace corvalinth
