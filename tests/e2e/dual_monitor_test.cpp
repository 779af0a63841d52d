// Two monitors side by side: 1024x768 primary and 800x600 right of it (the
// dual rig). The saver must cover both, so nothing of the live desktop shows
// and no click reaches it; the prompt and the dialog stay on the primary.
#include "harness.h"

namespace corvalinth::e2e {
namespace {

constexpr core::Pixel kLive = core::Rgb(255, 0, 255);  // no particle has a 255 component
constexpr COLORREF kBefore = RGB(0, 150, 0);

// A plain window over the whole virtual screen: the desktop the saver hides.
class Desktop {
public:
    Desktop()
    {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvalinthDualDesktop";
        RegisterClassExW(&wc);
        const RECT v = VirtualScreen();
        window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Live desktop", WS_POPUP, v.left, v.top,
                                      v.right - v.left, v.bottom - v.top, nullptr, nullptr, wc.hInstance, nullptr));
        SetColour(kBefore);
        ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
        UpdateWindow(window_.Get());
    }

    // Repaints in a new colour, wherever the desktop is still visible.
    void SetColour(COLORREF colour)
    {
        forms::Brush brush(CreateSolidBrush(colour));
        SetClassLongPtrW(window_.Get(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush.Get()));
        RedrawWindow(window_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        brush_ = std::move(brush);  // the class lets go of the old one above
    }

private:
    forms::Brush brush_;  // outlives the window that paints with it
    forms::UniqueWindow window_;
};

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
    Desktop desktop;
    PumpFor(300ms);
    WriteIniBytes("[Section]\r\nPassword=pw\r\n");
    Launch(L"/s");
    const HWND saver = WaitForWindow(L"Corvalinth_Main");
    ASSERT_NE(saver, nullptr);
    PumpFor(300ms);
    const RECT covered = FactsOf(saver).rect;
    EXPECT_TRUE(EqualRect(&covered, &v));

    // The desktop behind changes; none of the change may show anywhere.
    desktop.SetColour(RGB(255, 0, 255));  // kLive
    PumpFor(500ms);
    const core::PixelSurface shown = CaptureScreen();
    ASSERT_EQ(shown.Width(), 1824);
    int live = 0, startup = 0, secondMonitor = 0;
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x) {
            const core::Pixel p = shown.View().At(x, y);
            live += p == kLive;
            if (x >= 1024 && y < 600) {
                ++secondMonitor;
                startup += p == core::PixelFromColorRef(kBefore);
            }
        }
    EXPECT_EQ(live, 0);
    // The second monitor shows the start-up desktop (and dots), not black.
    EXPECT_GT(startup, secondMonitor / 2);
    for (POINT p : {POINT{10, 10}, POINT{1023, 767}, POINT{1024, 0}, POINT{1400, 300}, POINT{1823, 599}})
        EXPECT_EQ(GetAncestor(WindowFromPoint(p), GA_ROOT), saver) << p.x << "," << p.y;

    ClickAt(1400, 300);
    const HWND prompt = WaitForVisible(L"Corvalinth_Pass");
    ASSERT_NE(prompt, nullptr);
    const RECT r = FactsOf(prompt).rect;
    EXPECT_NEAR((r.left + r.right) / 2.0, 512, 1.0);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, 384, 1.0);
    // The caret stands before the hint: select it, then type over it.
    KeyDown(VK_SHIFT);
    PressKey(VK_END);
    KeyUp(VK_SHIFT);
    TypeText(L"pw");
    EXPECT_EQ(WaitForExit(5s), std::optional<DWORD>(0));

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
