// The settings dialog worked from the keyboard alone: Esc cancels, Enter saves,
// and neither Enter nor Space does anything on a focused button. Every key
// waits for the focus it needs, and a key's effect (or its lack) is shown by a
// later key's, since the program takes them in order.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

constexpr std::wstring_view kCaption = L"Corvalinthの設定";

class DialogKeysTest : public E2eTest {
protected:
    // Opens the dialog and waits until it has the keyboard.
    void Open()
    {
        Launch(L"/c");
        dialog = WaitForWindow(kCaption);
        ASSERT_NE(dialog, nullptr) << "no settings dialog";
        ASSERT_TRUE(Eventually([&] {
            commands.clear();
            for (HWND child : ChildWindowsOf(dialog)) {
                const std::wstring kind = FactsOf(child).className;
                if (kind == L"Corvalinth.Command") commands.push_back(child);
                else if (lstrcmpiW(kind.c_str(), L"Edit") == 0) password = child;
            }
            return commands.size() == 2 && password;
        })) << "the dialog's controls did not all appear";
        std::sort(commands.begin(), commands.end(),
                  [](HWND a, HWND b) { return CentreOnScreen(a).x < CentreOnScreen(b).x; });  // ｷｬﾝｾﾙ, 設定
        ASSERT_TRUE(Eventually([&] { return ::GetForegroundWindow() == dialog && Focus() != nullptr; }, kStartTimeout))
            << "the dialog did not get the keyboard";
    }
    HWND Focus() const { return FocusIn(dialog); }
    // Tab until the focus is on `target`, waiting for each step.
    void TabTo(HWND target)
    {
        for (int step = 0; step < 8 && Focus() != target; ++step)
            ASSERT_TRUE(Tab(dialog)) << "Tab did not move the focus";
        ASSERT_EQ(Focus(), target);
    }

    HWND dialog = nullptr, password = nullptr;
    std::vector<HWND> commands;
};

// On each button Enter and Space do nothing: the Tab after them still finds the
// dialog open and moves on. Then Esc closes it, and nothing was saved.
TEST_F(DialogKeysTest, EnterAndSpaceOnAButtonDoNothingAndEscCancels)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    for (HWND button : commands) {
        ASSERT_NO_FATAL_FAILURE(TabTo(button));
        PressKey(VK_RETURN);
        PressKey(VK_SPACE);
        const HWND pressed = Focus();
        PressKey(VK_TAB);
        ASSERT_TRUE(Eventually([&] { return Focus() != pressed && Focus() != nullptr; }))
            << "the keys on the button closed the dialog or kept the focus";
        EXPECT_TRUE(::IsWindowVisible(dialog));
    }
    PressKey(VK_ESCAPE);
    EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0)) << "Esc did not close the dialog";
    EXPECT_FALSE(ReadIniBytes().has_value()) << "Esc saved the settings";
}

// Enter in the password box is 設定: the typed password is saved.
TEST_F(DialogKeysTest, EnterInThePasswordBoxSaves)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(TabTo(password));
    TypeText(L"pw");
    ASSERT_TRUE(Eventually([&] { return ::SendMessageW(password, WM_GETTEXTLENGTH, 0, 0) == 2; }));
    PressKey(VK_RETURN);
    EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0)) << "Enter did not close the dialog";
    EXPECT_EQ(ReadIniBytes(), "[Section]\r\nColor= 0\r\nNum= 1000\r\nPassword=pw\r\n");
}

}  // namespace
}  // namespace corvalinth::e2e
