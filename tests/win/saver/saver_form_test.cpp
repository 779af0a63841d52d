#include "saver/saver_form_win.h"

#include <gtest/gtest.h>

#include <memory>

#include "forms/app_win.h"
#include "forms/form_win.h"
#include "forms/screen_win.h"
#include "startup/corvalinth_b.h"
#include "startup/snapshot_win.h"

namespace corvalinth::saver {
namespace {

class Swatch : public forms::Form {
public:
    explicit Swatch(COLORREF colour)
        : Form(forms::FormSpec{L"CorvalinthSaverSwatch", L"Swatch", WS_POPUP, WS_EX_TOOLWINDOW, 50, 50, colour})
    {
    }
};

void Pump(int milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    while (::GetTickCount64() < end && !forms::Ending()) {
        forms::DoEvents();
        ::Sleep(5);
    }
}

class SaverFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module().gNum = 1000;
        Module().gColor = 0;
        Module().gPassword.clear();
    }
    void TearDown() override
    {
        saver.reset();
        forms::ResetEndingForTests();
    }
    Corvalinth_S& Start()
    {
        saver = std::make_unique<Corvalinth_S>();
        saver->Load();
        saver->Timer1().SetEnabled(false);  // the tests tick by hand
        return *saver;
    }

    std::unique_ptr<Corvalinth_S> saver;
};

TEST_F(SaverFormTest, CoversTheScreenBorderlessAndTopmostWithTheKeyboard)
{
    Corvalinth_S& form = Start();
    ASSERT_TRUE(form.IsLoaded());
    const HWND window = form.hWnd();
    EXPECT_EQ(::FindWindowW(nullptr, L"Corvalinth_Main"), window);
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::IsWindowVisible(window));
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(form.ScreenW(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(form.ScreenH(), ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(::GetForegroundWindow(), window);
    EXPECT_EQ(::GetFocus(), window);
    EXPECT_TRUE(form.Timer1().Interval() == 1);
}

TEST_F(SaverFormTest, BackgroundIsTheDesktopFromBeforeTheWindowShowed)
{
    Swatch swatch(RGB(250, 20, 140));
    swatch.Load();
    swatch.MovePixels(300, 200, 50, 50);
    swatch.Show();
    Pump(150);

    Corvalinth_S& form = Start();
    const core::SurfaceView startup = form.StartupPicture();
    ASSERT_EQ(startup.Width(), form.ScreenW());
    EXPECT_EQ(startup.At(310, 210), core::Rgb(250, 20, 140));
    EXPECT_EQ(form.Master(0).Handle(), form.Master(0).Handle());
    EXPECT_FALSE(form.Master(1));
    // The display starts as the start-up picture, and the window shows it.
    const core::SurfaceView display = form.Display().View();
    for (int y = 0; y < display.Height(); y += 37)
        for (int x = 0; x < display.Width(); x += 41) ASSERT_EQ(display.At(x, y), startup.At(x, y));
    swatch.Unload();
}

TEST_F(SaverFormTest, TicksDrawDotsOnTheWindowAndTheTransitionRestoresTheDesktop)
{
    Corvalinth_S& form = Start();
    for (int i = 0; i < 20; ++i) form.Timer1_Timer();
    const Swarm& swarm = form.Model().Particles();
    ASSERT_EQ(swarm.ParticleCount, 1000);

    // What the window shows is the retained surface, dots included.
    const forms::Picture shown = SnapWindow(form.hWnd(), -1, 0, 0, form.ScreenW(), form.ScreenH());
    const auto pixels = PicturePixels(shown);
    ASSERT_TRUE(pixels);
    const core::SurfaceView display = form.Display().View();
    int dots = 0, mismatches = 0;
    for (int y = 0; y < display.Height(); ++y)
        for (int x = 0; x < display.Width(); ++x) {
            if (display.At(x, y) != form.StartupPicture().At(x, y)) ++dots;
            if (display.At(x, y) != pixels->At(x, y)) ++mismatches;
        }
    EXPECT_GT(dots, 2000);
    EXPECT_EQ(mismatches, 0);

    // Jump to the 1001st tick and let the transition run at its own pace.
    form.Model().SetFrameCount(1000);
    form.Timer1_Timer();
    ASSERT_TRUE(form.Model().InTransition());
    ASSERT_TRUE(form.Master(1));
    // The halves that slide are the screen as shown: trails included.
    const core::SurfaceView latestView = form.Model().LatestPicture();
    ASSERT_EQ(latestView.Width(), form.ScreenW());
    const core::SurfaceView* latest = &latestView;
    int trails = 0;
    for (int y = 0; y < display.Height(); ++y)
        for (int x = 0; x < display.Width(); ++x) trails += latest->At(x, y) != form.StartupPicture().At(x, y);
    EXPECT_GT(trails, dots * 9 / 10);
    const ULONGLONG deadline = ::GetTickCount64() + 20000;
    int ticks = 0;
    auto windowMatchesDisplay = [&] {
        form.Model().RepairDisplay();
        const forms::Picture now = SnapWindow(form.hWnd(), -1, 0, 0, form.ScreenW(), form.ScreenH());
        const auto seen = PicturePixels(now);
        if (!seen) return false;
        for (int y = 0; y < display.Height(); ++y)
            for (int x = 0; x < display.Width(); ++x)
                if (seen->At(x, y) != display.At(x, y)) return false;
        return true;
    };
    bool checkedMidway = false;
    while (form.Model().InTransition() && ::GetTickCount64() < deadline) {
        form.Timer1_Timer();
        ++ticks;
        // Halfway through, the window shows exactly the frame in the surface.
        if (!checkedMidway && form.Model().Transition()->CopyPasses() == 30) {
            checkedMidway = true;
            EXPECT_TRUE(windowMatchesDisplay());
        }
        ::Sleep(2);
    }
    EXPECT_TRUE(checkedMidway);
    EXPECT_TRUE(windowMatchesDisplay());
    ASSERT_FALSE(form.Model().InTransition());
    EXPECT_GT(ticks, 80);
    EXPECT_EQ(form.Model().FrameCount(), 0);
    for (int y = 0; y < display.Height(); ++y)
        for (int x = 0; x < display.Width(); ++x)
            ASSERT_EQ(display.At(x, y), form.StartupPicture().At(x, y)) << x << "," << y;
}

TEST_F(SaverFormTest, OnlyALeftClickOrATypedCharacterEndsTheRun)
{
    Corvalinth_S& form = Start();
    const HWND window = form.hWnd();
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(40, 40));
    ::SendMessageW(window, WM_KEYDOWN, VK_SHIFT, 0);
    ::SendMessageW(window, WM_KEYUP, VK_SHIFT, 0);
    ::SendMessageW(window, WM_KEYDOWN, VK_LEFT, 0);
    ::SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
    ::SendMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
    ::SendMessageW(window, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(40, 40));
    ::SendMessageW(window, WM_MBUTTONUP, 0, MAKELPARAM(40, 40));
    ::SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(40, 40));
    // A release without a press on the window is not a click.
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
    EXPECT_FALSE(forms::Ending());
    EXPECT_TRUE(form.IsLoaded());

    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 40));
    EXPECT_FALSE(forms::Ending());  // the press alone ends nothing
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
    EXPECT_TRUE(forms::Ending());
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(SaverFormTest, EscapeTypedOnTheKeyboardEndsTheRun)
{
    Corvalinth_S& form = Start();
    ASSERT_EQ(::GetForegroundWindow(), form.hWnd());
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, keys, sizeof(INPUT)), 2u);
    Pump(1000);
    EXPECT_TRUE(forms::Ending());
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(SaverFormTest, WithoutAPromptAPasswordRunGoesOn)
{
    Module().gPassword = L"secret";
    Corvalinth_S& form = Start();
    // The test program is not a full-screen run, so the password is not asked.
    ::SendMessageW(form.hWnd(), WM_CHAR, L'a', 0);
    EXPECT_TRUE(forms::Ending());
}

}  // namespace
}  // namespace corvalinth::saver
