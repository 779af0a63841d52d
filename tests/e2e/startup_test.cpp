// Start-up: what stops a start, and the preview living and dying with its box.
#include <string>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

class StartupTest : public E2eTest {
protected:
    // Starts the program and expects it to end by itself, cleanly, without
    // ever showing a window (nor putting one into `watched`).
    void ExpectEndsWithoutWindow(std::wstring_view arguments, HWND watched = nullptr)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        Launch(arguments);
        bool windowSeen = false;
        Eventually([&] {
            windowSeen = windowSeen || !VisibleWindows().empty() || (watched && !ChildWindowsOf(watched).empty());
            return !Running();
        }, kStartTimeout);
        EXPECT_EQ(WaitForExit(0ms), std::optional<DWORD>(0));
        EXPECT_FALSE(windowSeen) << "a window appeared";
    }

    // The program's window once it is in the box and shown there; nullptr on time-out.
    HWND WaitForPreviewIn(HWND box)
    {
        HWND found = nullptr;
        Eventually([&] {
            for (HWND child : ChildWindowsOf(box))
                if (FactsOf(child).processId == ProcessId() && IsWindowVisible(child)) found = child;
            return found != nullptr || !Running();
        }, kStartTimeout);
        return found;
    }

    // Starts the preview in a new box, checks the window it puts there, then
    // takes the box away and expects the process to follow within a second or two.
    void ExpectPreviewLivesAndDiesWithItsBox(const std::wstring& switchText, int width, int height)
    {
        SCOPED_TRACE(width);
        TestWindow box = TestWindow::PreviewBox(width, height);
        Launch(switchText + box.HandleText());
        HWND preview = WaitForPreviewIn(box.Get());
        ASSERT_NE(preview, nullptr) << "no preview window in the box";
        const WindowFacts facts = FactsOf(preview);
        EXPECT_EQ(facts.caption, L"Preview Window");
        EXPECT_EQ(facts.parent, box.Get());  // a child window: only those have a parent here
        EXPECT_FALSE(facts.style & WS_CAPTION);
        EXPECT_EQ(facts.clientRect.right, width);
        EXPECT_EQ(facts.clientRect.bottom, height);
        EXPECT_TRUE(VisibleWindows().empty()) << "the preview showed a window of its own";

        box.Destroy();
        EXPECT_EQ(WaitForExit(3s), std::optional<DWORD>(0)) << "the preview outlived its box";
    }
};

// Switches it does not serve and preview parents it cannot use end a start
// quietly; so does a saver window or settings dialog of this program, open
// anywhere, for every start, even one that would only draw into a preview box.
// Reading the settings never rewrites them.
TEST_F(StartupTest, UnservedSwitchesUnusablePreviewParentsAndARunningInstanceEndAStartWithoutAWindow)
{
    const std::string settings = "[Section]\r\nNum=5\r\n";
    WriteIniBytes(settings);
    std::wstring gone;
    {
        const TestWindow stale = TestWindow::PreviewBox(152, 112);
        gone = L"/p " + stale.HandleText();
    }
    for (std::wstring_view arguments : {L"/a 1234", L"/x", L"/p", L"/p -1", L"/p 99999999999999999999", gone.c_str()})
        ExpectEndsWithoutWindow(arguments);
    for (const wchar_t* caption : {L"Corvalinth_Main", L"Corvalinthの設定"}) {
        const TestWindow running = TestWindow::TopLevel(caption);
        const TestWindow box = TestWindow::PreviewBox(152, 112);
        const std::wstring preview = L"/p " + box.HandleText();
        for (std::wstring_view arguments : {L"/s", L"/c", preview.c_str(), L""})
            ExpectEndsWithoutWindow(arguments, box.Get());
    }
    EXPECT_EQ(ReadIniBytes(), settings);
}

// Two starts at the same instant, before either has a window: one dialog
// opens, the other start ends quietly.
TEST_F(StartupTest, TwoSettingsStartsAtOnceOpenOneDialog)
{
    const HANDLE second = LaunchTwoAtOnce(L"/c");
    const HANDLE processes[] = {Process(), second};
    const HWND dialog = WaitForWindow(L"Corvalinthの設定");
    ASSERT_NE(dialog, nullptr);
    const bool firstOpened = FactsOf(dialog).processId == ProcessId();
    EXPECT_EQ(WaitForExitOf(processes[firstOpened ? 1 : 0]), std::optional<DWORD>(0)) << "two dialogs opened";
    PostMessageW(dialog, WM_CLOSE, 0, 0);  // the one with the dialog ends with it
    EXPECT_EQ(WaitForExitOf(processes[firstOpened ? 0 : 1]), std::optional<DWORD>(0));
}

TEST_F(StartupTest, APreviewShowsInItsBoxInEverySwitchFormAndEndsWithIt)
{
    // The preview reads no settings: neither a folder in the file's place nor a
    // damaged file stops it, and the file stays as it was.
    std::filesystem::create_directory(IniPath());
    ExpectPreviewLivesAndDiesWithItsBox(L"/p ", 152, 112);
    std::filesystem::remove(IniPath());
    WriteIniBytes(std::string(3 * 1024 * 1024, '\0') + "[Section]\nNum=abc\n");
    // 2400 pixels are 36000 twips, beyond what a 16-bit twips size could hold.
    ExpectPreviewLivesAndDiesWithItsBox(L"/P:", 2400, 120);
    EXPECT_EQ(ReadIniBytes()->size(), 3u * 1024 * 1024 + 18);
}

}  // namespace
}  // namespace corvalinth::e2e
