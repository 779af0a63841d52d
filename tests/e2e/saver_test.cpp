#include <algorithm>
#include <chrono>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

int Differing(const core::PixelSurface& a, const core::PixelSurface& b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.Pixels().size(); ++i) n += a.Pixels()[i] != b.Pixels()[i];
    return n;
}

// Changed pixels that are not grey.
int Hues(const core::PixelSurface& shown, const core::PixelSurface& desktop)
{
    int n = 0;
    for (std::size_t i = 0; i < shown.Pixels().size(); ++i) {
        const core::Pixel p = shown.Pixels()[i];
        n += p != desktop.Pixels()[i] && (core::RedOf(p) != core::GreenOf(p) || core::GreenOf(p) != core::BlueOf(p));
    }
    return n;
}

class SaverTest : public E2eTest {
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        // Something on the desktop to recognise behind the swarm.
        backdrop_ = TestWindow::TopLevel(L"Saver test backdrop");
        SetWindowPos(backdrop_.Get(), HWND_TOP, 200, 150, 400, 300, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        MoveMouseTo(5, 5);
        PumpFor(300ms);
    }

    // Starts the saver and returns its window once it shows.
    HWND Start(std::wstring_view arguments)
    {
        // Whatever an earlier run left on the screen is painted over first.
        RedrawWindow(GetDesktopWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        desktop_ = SteadyCapture(VirtualScreen());
        Launch(arguments);
        const HWND saver = WaitForWindow(L"Corvalinth_Main");
        // Shown, taking the keyboard, and set up: on top of every other window.
        EXPECT_TRUE(saver && WaitForFocus(saver) && Eventually([&] { return FactsOf(saver).topmost; }))
            << "the saver did not come up in front";
        return saver;
    }
    TestWindow backdrop_;
    core::PixelSurface desktop_;  // as it was before the start
};

// One run: the window, the dots in colour, the transition, input that does not
// end the run and the click that does.
TEST_F(SaverTest, CoversTheScreenDotsGrowTheTransitionWipesThemAndOnlyAClickEnds)
{
    const HWND saver = Start(L"/s");
    ASSERT_NE(saver, nullptr);
    ASSERT_EQ(VisibleWindows(), std::vector<HWND>{saver}) << "the saver is not alone";
    const WindowFacts facts = FactsOf(saver);
    EXPECT_TRUE(facts.topmost);
    EXPECT_FALSE(facts.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(EqualRect(&facts.rect, &screen));

    // Right after the start the screen is the desktop as it was, plus coloured dots.
    const core::PixelSurface first = CaptureScreen();
    const int area = first.Width() * first.Height();
    const int early = Differing(first, desktop_);
    EXPECT_LT(early, area / 5);
    PumpFor(500ms);
    const core::PixelSurface grown = CaptureScreen();
    const int later = Differing(grown, desktop_);
    EXPECT_GT(later, early);  // trails grow tick by tick
    EXPECT_GT(Hues(grown, desktop_), 1000);

    // Around the 1001st tick the screen cracks, slides apart and shows the clean
    // desktop again; the swarm then starts drawing anew.
    int peak = later, lowAfterPeak = area;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline && Running()) {
        const int now = Differing(CaptureScreen(), desktop_);
        peak = std::max(peak, now);
        if (peak > later * 2) lowAfterPeak = std::min(lowAfterPeak, now);
        if (lowAfterPeak < peak / 10) break;
        PumpFor(30ms);
    }
    EXPECT_LT(lowAfterPeak, peak / 10) << "peak " << peak;
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(true));

    MoveMouseTo(300, 300);
    MoveMouseTo(320, 310);
    for (WORD key : {WORD{VK_SHIFT}, WORD{VK_LEFT}, WORD{VK_DOWN}, WORD{VK_F5}, WORD{VK_CONTROL}}) PressKey(key);
    ClickAt(400, 400, MOUSEEVENTF_RIGHTDOWN);
    ClickAt(400, 400, MOUSEEVENTF_MIDDLEDOWN);
    LetInputSettle();
    PumpFor(500ms);
    ASSERT_TRUE(Running()) << "input that is not a click or a character ended the run";

    ClickAt(400, 400);
    EXPECT_EQ(WaitForExit(5s), std::optional<DWORD>(0));
    EXPECT_TRUE(CursorShowing());
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(false));
}

TEST_F(SaverTest, AGreyRunHidesTheCursorAndACharacterKeyEndsIt)
{
    // Without a password, and with any colour but 0: grey dots.
    WriteIniBytes("[Section]\r\nColor=2\r\n");
    ASSERT_NE(Start(L"/s"), nullptr);
    EXPECT_FALSE(CursorShowing());
    PumpFor(300ms);
    const core::PixelSurface shown = CaptureScreen();
    EXPECT_GT(Differing(shown, desktop_), 1000);
    EXPECT_EQ(Hues(shown, desktop_), 0);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(WaitForExit(5s), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace corvalinth::e2e
