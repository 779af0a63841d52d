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
        const RunOutcome outcome = WaitForExitWatchingWindows(kStartTimeout, watched);
        EXPECT_EQ(outcome.exitCode, std::optional<DWORD>(0));
        for (const WindowFacts& f : outcome.windowsSeen)
            ADD_FAILURE() << "a window appeared: " << testing::PrintToString(f.caption + L" of class " + f.className);
    }
};

// A saver window or settings dialog of this program, open anywhere, stops
// every start, even one that would only draw into a preview box.
TEST_F(StartupTest, ARunningInstanceStopsEveryMode)
{
    for (const wchar_t* caption : {L"Corvalinth_Main", L"Corvalinthの設定"}) {
        const TestWindow running = TestWindow::TopLevel(caption);
        const TestWindow box = TestWindow::PreviewBox(152, 112);
        const std::wstring preview = L"/p " + box.HandleText();
        for (std::wstring_view arguments : {L"/s", L"/c", preview.c_str(), L""})
            ExpectEndsWithoutWindow(arguments, box.Get());
    }
    EXPECT_FALSE(ReadIniBytes().has_value()) << "start-up wrote a settings file";
}

TEST_F(StartupTest, UnservedSwitchesAndUnusablePreviewParentsEndWithoutAWindow)
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
    // Reading the settings never rewrites them.
    EXPECT_EQ(ReadIniBytes(), settings);
}

}  // namespace
}  // namespace corvalinth::e2e
