#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"
#include "settings/dialog_gradient.h"
#include "settings/dialog_layout.h"

namespace corvalinth::e2e {
namespace {

constexpr std::wstring_view kCaption = L"Corvalinthの設定";

// The dialog's windows as another process sees them.
struct Dialog {
    HWND window = nullptr;
    std::vector<HWND> options;   // left to right: ｶﾗｰ, ﾓﾉｸﾛ
    HWND scrollBar = nullptr;
    HWND password = nullptr;
    std::vector<HWND> commands;  // left to right: ｷｬﾝｾﾙ, 設定

    static Dialog Find(HWND window)
    {
        Dialog d;
        d.window = window;
        for (HWND child : ChildWindowsOf(window)) {
            const std::wstring kind = FactsOf(child).className;
            const auto is = [&](const wchar_t* name) { return lstrcmpiW(kind.c_str(), name) == 0; };
            if (is(L"Button")) d.options.push_back(child);
            else if (is(L"ScrollBar")) d.scrollBar = child;
            else if (is(L"Edit")) d.password = child;
            else if (is(L"Corvalinth.Command")) d.commands.push_back(child);
        }
        const auto byLeft = [](HWND a, HWND b) { return CentreOnScreen(a).x < CentreOnScreen(b).x; };
        std::sort(d.options.begin(), d.options.end(), byLeft);
        std::sort(d.commands.begin(), d.commands.end(), byLeft);
        return d;
    }
    bool Complete() const { return window && options.size() == 2 && scrollBar && password && commands.size() == 2; }
    bool Checked(std::size_t i) const { return ::SendMessageW(options[i], BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int Count() const { return static_cast<int>(::SendMessageW(scrollBar, SBM_GETPOS, 0, 0)); }
    LRESULT PasswordLength() const { return ::SendMessageW(password, WM_GETTEXTLENGTH, 0, 0); }
    HWND Focus() const { return FocusIn(window); }
    bool Tab() const { return e2e::Tab(window); }

    // The number label is drawn, not a window: its pixels stand for its text.
    core::PixelSurface NumberLabel() const
    {
        using settings::Control;
        const auto panel = settings::ToPixels(Control("Pic_1"), 15, 15);
        const auto label = settings::ToPixels(Control("lbl_Num"), 15, 15);
        POINT p{panel.left + label.left, panel.top + label.top};
        ::ClientToScreen(window, &p);
        return Capture(RECT{p.x, p.y, p.x + label.width, p.y + label.height});
    }
};

class SettingsDialogTest : public E2eTest {
protected:
    Dialog Open(std::wstring_view arguments = L"/c")
    {
        Launch(arguments);
        HWND window = WaitForWindow(kCaption);
        EXPECT_NE(window, nullptr) << "no settings dialog";
        if (!window) return {};
        Dialog d;
        EXPECT_TRUE(Eventually([&] {
            d = Dialog::Find(window);
            return d.Complete() && ::IsWindowVisible(window);
        })) << "the dialog's controls did not all appear";
        // Keys go nowhere before the dialog is in front with a control focused.
        EXPECT_TRUE(Eventually([&] { return ::GetForegroundWindow() == window && ::IsChild(window, d.Focus()); }))
            << "the dialog did not take the keyboard";
        return d;
    }

    // Every window of the program lives in one process; that process ends.
    void ExpectEnds() { EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0)) << "the program did not end with its dialog"; }
};

// With no file: alone, the defaults, and the ｷｬﾝｾﾙ button writes nothing; then
// the mouse chooses and 設定 saves.
TEST_F(SettingsDialogTest, OpensWithTheDefaultsAndSavesTheChoices)
{
    MoveMouseTo(5, 5);  // away from the buttons, which then open unlit
    Dialog d = Open(L"/c:5678");
    ASSERT_TRUE(d.Complete());
    EXPECT_EQ(VisibleWindows(), std::vector<HWND>{d.window}) << "the dialog is not alone";
    EXPECT_TRUE(d.Checked(0));
    EXPECT_FALSE(d.Checked(1));
    EXPECT_EQ(d.Count(), 1000);
    EXPECT_EQ(d.PasswordLength(), 0);
    EXPECT_EQ(::SendMessageW(d.password, EM_GETPASSWORDCHAR, 0, 0), L'*');
    // The backdrop's gradient, left of the illustration, row for row (15 twips a pixel).
    RECT client{};
    ::GetClientRect(d.window, &client);
    POINT origin{};
    ::ClientToScreen(d.window, &origin);
    const auto rows = settings::GradientRows(client.bottom, 15.0);
    const core::PixelSurface column = Capture({origin.x + 4, origin.y, origin.x + 5, origin.y + client.bottom});
    for (int y = 0; y < client.bottom; y += 7) EXPECT_EQ(column.At(0, y), rows[static_cast<std::size_t>(y)]) << y;
    // The dialog sets its buttons going: under the pointer ｷｬﾝｾﾙ lights up.
    const RECT cancel = FactsOf(d.commands[0]).rect;
    const core::PixelSurface idle = SteadyCapture(cancel);
    const POINT centre = CentreOnScreen(d.commands[0]);
    MoveMouseTo(centre.x, centre.y);
    EXPECT_TRUE(Eventually([&] { return Capture(cancel) != idle; })) << "the button did not light up";
    ClickAt(centre);
    ExpectEnds();
    EXPECT_FALSE(ReadIniBytes().has_value()) << "closing wrote a settings file";

    // Started with no argument (the shell's Configure verb), the same dialog. The
    // mouse chooses (ﾓﾉｸﾛ; on the scroll bar the left arrow once, then the track
    // left of the thumb, a page, and the label follows), the keyboard types, 設定 saves.
    d = Open(L"");
    ASSERT_TRUE(d.Complete());
    ClickAt(CentreOnScreen(d.options[1]));
    ASSERT_TRUE(Eventually([&] { return d.Checked(1) && !d.Checked(0); }));
    const core::PixelSurface at1000 = d.NumberLabel();
    RECT bar{};
    ::GetWindowRect(d.scrollBar, &bar);
    const int arrow = ::GetSystemMetrics(SM_CXHSCROLL), midY = (bar.top + bar.bottom) / 2;
    ClickAt({bar.left + arrow / 2, midY});
    ASSERT_TRUE(Eventually([&] { return d.Count() == 999; })) << "the arrow took the count to " << d.Count();
    EXPECT_TRUE(Eventually([&] { return d.NumberLabel() != at1000; })) << "the label did not follow";
    ClickAt({bar.left + arrow + 3, midY});
    ASSERT_TRUE(Eventually([&] { return d.Count() == 989; })) << "the track took the count to " << d.Count();

    const std::wstring password = L" p@ss word=;\"x ";
    ClickAt(CentreOnScreen(d.password));
    ASSERT_TRUE(WaitForFocus(d.password));
    TypeText(password);
    ASSERT_TRUE(Eventually([&] { return d.PasswordLength() == static_cast<LRESULT>(password.size()); }));

    ClickAt(CentreOnScreen(d.commands[1]));  // 設定
    ExpectEnds();
    // In this order, the password quoted for its outer blanks.
    EXPECT_EQ(ReadIniBytes(), "[Section]\r\nColor= 1\r\nNum= 989\r\nPassword=\"" + std::string(password.begin(), password.end()) + "\"\r\n");
}

// The program in a folder that refuses writes, the choices made with keys: the
// save goes to the per-user copy, which every later start reads (the saver and
// the dialog find the file the same way; the dialog shows it here).
TEST_F(SettingsDialogTest, KeysChooseAFailedSaveIsShownAndTheSaveGoesToThePerUserCopy)
{
    // A file an installer put there is read, and left as it is; values out of
    // range open as their nearest choice.
    const std::string installed = "; installed\r\n[Section]\r\nColor=7\r\nNum=5000\r\n";
    WriteIniBytes(installed);
    MakeProgramFolderRefuseWrites();
    // At first the per-user folder cannot be made either: a file has its name.
    std::filesystem::create_directories(PerUserFolder().parent_path());
    { std::ofstream(PerUserFolder()) << "in the way"; }
    Dialog d = Open();
    ASSERT_TRUE(d.Complete());
    EXPECT_TRUE(d.Checked(1));
    EXPECT_EQ(d.Count(), 1000);
    ASSERT_TRUE(Eventually([&] { return d.Focus() == d.options[1]; })) << "the chosen option is the group's tab stop";
    ASSERT_TRUE(d.Tab());
    ASSERT_EQ(d.Focus(), d.scrollBar);
    PressKey(VK_HOME);
    for (int i = 0; i < 6; ++i) PressKey(VK_RIGHT);
    ASSERT_TRUE(Eventually([&] { return d.Count() == 7; }));
    ASSERT_TRUE(d.Tab());
    ASSERT_EQ(d.Focus(), d.password);
    const std::wstring password = L"pw 7";
    TypeText(password);
    ASSERT_TRUE(Eventually([&] { return d.PasswordLength() == static_cast<LRESULT>(password.size()); }));
    // Round to the option group: Tab lands on its chosen option, Up moves the choice.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(d.Tab());
    ASSERT_EQ(d.Focus(), d.options[1]);
    PressKey(VK_UP);
    ASSERT_TRUE(Eventually([&] { return d.Checked(0) && !d.Checked(1) && d.Focus() == d.options[0]; }));
    // A failed save is shown, naming each file tried in turn; each click on 設定 (it
    // takes no keys) tries again, and once the way is clear the save goes through.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_TRUE(Eventually([&] { return ::IsWindowEnabled(d.window) && ::GetForegroundWindow() == d.window; }));
        ClickAt(CentreOnScreen(d.commands[1]));
        HWND message = nullptr;
        EXPECT_TRUE(Eventually([&] {
            for (HWND w : TopLevelWindowsOf(ProcessId()))
                if (w != d.window) message = w;
            return message != nullptr;
        })) << "no message about the failed save";
        std::wstring shown;
        for (HWND child : ChildWindowsOf(message)) shown += FactsOf(child).caption + L"\n";
        EXPECT_NE(shown.find(PerUserIniPath().wstring()), std::wstring::npos) << "not the file last tried";
        EXPECT_LT(shown.find(IniPath().wstring()), shown.find(PerUserIniPath().wstring()))
            << "not the file first tried";
        ASSERT_TRUE(WaitForForeground(message));
        PressKey(VK_RETURN);
        EXPECT_TRUE(Eventually([&] { return !::IsWindow(message); }));
        EXPECT_TRUE(::IsWindowVisible(d.window));
    }
    std::filesystem::remove(PerUserFolder());
    ASSERT_TRUE(Eventually([&] { return ::IsWindowEnabled(d.window); }));
    ClickAt(CentreOnScreen(d.commands[1]));
    ExpectEnds();

    EXPECT_EQ(ReadIniBytes(), installed);
    const std::string saved = "[Section]\r\nColor= 0\r\nNum= 7\r\nPassword=pw 7\r\n";
    EXPECT_EQ(FileBytes(PerUserIniPath()), saved);

    // Closed from the title bar (Alt+F4), the dialog leaves the file as it was.
    d = Open();
    ASSERT_TRUE(d.Complete());
    EXPECT_EQ(d.Count(), 7);
    EXPECT_EQ(d.PasswordLength(), static_cast<LRESULT>(password.size()));
    AltF4();
    ExpectEnds();
    EXPECT_EQ(FileBytes(PerUserIniPath()), saved);
}

}  // namespace
}  // namespace corvalinth::e2e
