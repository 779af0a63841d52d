// Two monitors side by side: 1024x768 primary and 800x600 right of it (the
// dual rig). The saver must cover both, so nothing of the live desktop shows
// and no click reaches it; the prompt and the dialog stay on the primary.
#include "harness.h"

namespace corvalinth::e2e {
namespace {

// A window is found as soon as it is made; it is placed before it is shown.
HWND WaitForVisible(std::wstring_view caption)
{
    const HWND window = WaitForWindow(caption, 5s);
    Eventually([&] { return window == nullptr || IsWindowVisible(window); });
    return window && IsWindowVisible(window) ? window : nullptr;
}

using DualMonitor = E2eTest;

// One run: the saver covers both monitors; a click on the second reaches it and
// opens the prompt, which stands on the primary, as the dialog does after.
TEST_F(DualMonitor, SaverCoversBothMonitorsThePromptAndTheDialogOpenOnThePrimary)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "this group runs on the two-monitor rig";
    const RECT v = VirtualScreen();
    ASSERT_EQ(v.right - v.left, 1824);
    ASSERT_EQ(v.bottom - v.top, 768);
    MoveMouseTo(5, 5);
    // Something on the desktop of both monitors, for the saver's picture to show.
    const TestWindow backdrop = TestWindow::TopLevel(L"Dual test backdrop");
    SetWindowPos(backdrop.Get(), HWND_TOP, v.left, v.top, v.right - v.left, v.bottom - v.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    const core::PixelSurface before = SteadyCapture(v);
    ASSERT_NE(before.At(1400, 300), core::Rgb(0, 0, 0)) << "no backdrop on the second monitor";
    WriteIniBytes("[Section]\r\nPassword=pw\r\n");
    Launch(L"/s");
    const HWND saver = WaitForWindow(L"Corvalinth_Main");
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(WaitForFocus(saver));
    const RECT covered = FactsOf(saver).rect;
    EXPECT_TRUE(EqualRect(&covered, &v));

    // The second monitor shows the start-up desktop (and dots), not black; no
    // point of either lets the live desktop show or take a click.
    const core::PixelSurface shown = CaptureScreen();
    ASSERT_EQ(shown.Width(), 1824);
    int startup = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 1024; x < 1824; ++x) startup += shown.At(x, y) == before.At(x, y);
    EXPECT_GT(startup, 800 * 600 / 2);
    for (POINT p : {POINT{10, 10}, POINT{1023, 767}, POINT{1024, 0}, POINT{1400, 300}, POINT{1823, 599}})
        EXPECT_EQ(GetAncestor(WindowFromPoint(p), GA_ROOT), saver) << p.x << "," << p.y;

    ClickAt(1400, 300);
    const HWND prompt = WaitForVisible(L"Corvalinth_Pass");
    ASSERT_NE(prompt, nullptr);
    const RECT r = FactsOf(prompt).rect;
    EXPECT_NEAR((r.left + r.right) / 2.0, 512, 1.0);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, 384, 1.0);
    // The caret stands before the hint: delete it, then type the password.
    const HWND box = GetWindow(prompt, GW_CHILD);
    const auto deleteHint = [] {
        for (int i = 0; i < 19; ++i) PressKey(VK_DELETE);
    };
    ASSERT_TRUE(SendWhenFocused(box, deleteHint, [&] { return SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) == 0; }));
    TypeText(L"pw");
    EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));

    Launch(L"/c");
    const HWND dialog = WaitForVisible(L"Corvalinthの設定");
    ASSERT_NE(dialog, nullptr);
    PumpFor(300ms);
    const RECT d = FactsOf(dialog).rect;
    EXPECT_NEAR((d.left + d.right) / 2.0, 512, 1.0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(5s), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace corvalinth::e2e
