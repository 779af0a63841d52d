#include <string>
#include <vector>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

std::string Narrow(std::wstring_view text)
{
    std::string out;
    for (wchar_t c : text) out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

class StartupTest : public E2eTest {
protected:
    // Starts the program and expects it to end by itself, cleanly, without
    // ever showing a window (nor putting one into `watched`).
    void ExpectEndsWithoutWindow(std::wstring_view arguments, HWND watched = nullptr)
    {
        SCOPED_TRACE("arguments \"" + Narrow(arguments) + "\"");
        Launch(arguments);
        const RunOutcome outcome = WaitForExitWatchingWindows(kStartTimeout, watched);
        ASSERT_TRUE(outcome.exitCode.has_value()) << "still running";
        EXPECT_EQ(*outcome.exitCode, 0u);
        for (const WindowFacts& f : outcome.windowsSeen) {
            ADD_FAILURE() << "window \"" << Narrow(f.caption) << "\" of class \""
                          << Narrow(f.className) << "\" appeared";
        }
        if (watched != nullptr) {
            EXPECT_TRUE(ChildWindowsOf(watched).empty());
        }
    }
};

// A saver window or settings dialog of this program, open anywhere, stops
// every start, even one that would only draw into a preview box.
class RunningInstanceTest : public StartupTest,
                            public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(RunningInstanceTest, StopsEveryMode)
{
    const TestWindow running = TestWindow::TopLevel(GetParam());
    const TestWindow box = TestWindow::PreviewBox(152, 112);
    const std::wstring preview = L"/p " + box.HandleText();
    for (std::wstring_view arguments : {L"/s", L"/c", preview.c_str(), L""}) {
        ExpectEndsWithoutWindow(arguments, box.Get());
    }
    EXPECT_FALSE(ReadIniBytes().has_value()) << "start-up wrote a settings file";
}

INSTANTIATE_TEST_SUITE_P(Open, RunningInstanceTest,
                         ::testing::Values(L"Corvalinth_Main", L"Corvalinthの設定"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& param) {
                             return param.index == 0 ? "SaverWindow" : "SettingsDialog";
                         });

TEST_F(StartupTest, SwitchesItDoesNotServeEndWithoutAWindow)
{
    WriteIniValue(L"Section", L"Num", L"5");
    for (std::wstring_view arguments : {L"/a 1234", L"s", L"/x", L"/"}) {
        ExpectEndsWithoutWindow(arguments);
    }
    // Reading the settings never rewrites them.
    EXPECT_EQ(ReadIniValue(L"Section", L"Num"), L"5");
}

TEST_F(StartupTest, PreviewWithoutAUsableParentEndsAtOnce)
{
    std::wstring gone;
    {
        TestWindow stale = TestWindow::PreviewBox(152, 112);
        gone = L"/p " + stale.HandleText();
    }
    for (std::wstring_view arguments :
         {L"/p 0", L"/p", L"/p abc", L"/p 99999999999999999999", L"/p -1", gone.c_str()}) {
        ExpectEndsWithoutWindow(arguments);
    }
}

TEST_F(StartupTest, FullScreenRunLeavesNoSaverRunningMarkBehind)
{
    Launch(L"/s");
    // Once the saver window exists the mark is set for as long as it runs; a
    // click ends the run. Until then the run ends by itself.
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (Running() && std::chrono::steady_clock::now() < deadline) {
        if (const HWND saver = FindWindowW(nullptr, L"Corvalinth_Main")) {
            EXPECT_EQ(SaverRunningMark(), std::optional<bool>(true));
            const RECT r = FactsOf(saver).rect;
            ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            break;
        }
        PumpFor(10ms);
    }
    ASSERT_EQ(WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(false));
}

}  // namespace
}  // namespace corvalinth::e2e
