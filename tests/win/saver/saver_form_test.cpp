// The saver window: what ends it, how it follows the monitors and rests while
// nobody can see it. What it shows is checked end to end.
#include "saver/saver_form_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "core/monitor_layout.h"
#include "forms/app_win.h"
#include "forms/screen_win.h"
#include "core/corvalinth_b.h"
#include "saver/snapshot_win.h"
#include "test_support.h"

namespace corvalinth::saver {
namespace {

void Pump(int milliseconds) { wintest::PumpUntil(forms::Ending, wintest::Milliseconds(milliseconds)); }

constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// A power-setting record as the system sends it: the header and its data.
LRESULT SendPowerSetting(HWND window, const GUID& setting, const void* data, DWORD size)
{
    std::vector<BYTE> record(offsetof(POWERBROADCAST_SETTING, Data) + std::max<DWORD>(size, 1));
    auto* header = reinterpret_cast<POWERBROADCAST_SETTING*>(record.data());
    header->PowerSetting = setting;
    header->DataLength = size;
    std::memcpy(header->Data, data, size);
    return ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(record.data()));
}
void SendDisplayState(HWND window, DWORD state) { SendPowerSetting(window, kConsoleDisplayState, &state, sizeof state); }
void SendSession(HWND window, WPARAM change) { ::SendMessageW(window, WM_WTSSESSION_CHANGE, change, 0); }

class SaverFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module().gPassword.clear();
    }
    void TearDown() override
    {
        saver.reset();
        forms::ResetEndingForTests();
    }
    // Unless the timer is left on, the tests tick by hand.
    Corvalinth_S& Start(std::int16_t count = 1000, bool timer = false)
    {
        saver = std::make_unique<Corvalinth_S>(SaverOptions{false, 0, count});
        saver->Load();
        saver->Timer1().SetEnabled(timer);
        return *saver;
    }

    std::unique_ptr<Corvalinth_S> saver;
};

TEST_F(SaverFormTest, RestsWhileTheDisplayIsOffOrTheSessionLockedAndGoesOnAfter)
{
    Corvalinth_S& form = Start(300, true);
    const HWND window = form.hWnd();
    Pump(300);
    ASSERT_GT(saver->Model().FrameCount(), 0) << "the timer should be ticking";

    SendDisplayState(window, 0);
    EXPECT_TRUE(form.Paused());
    const int atRest = saver->Model().FrameCount();
    Pump(1000);
    // The timer event alone does nothing while at rest either.
    form.Timer1_Timer();
    EXPECT_EQ(saver->Model().FrameCount(), atRest);

    // A dimmed display is still seen.
    SendDisplayState(window, 2);
    EXPECT_FALSE(form.Paused());
    Pump(300);
    EXPECT_GT(saver->Model().FrameCount(), atRest);

    // Locked: at rest even with the display on, until unlocked.
    SendSession(window, 0x7);
    EXPECT_TRUE(form.Paused());
    SendDisplayState(window, 1);
    EXPECT_TRUE(form.Paused());
    SendSession(window, 0x8);
    EXPECT_FALSE(form.Paused());

    // Records that are not the display's state, or too short, change nothing.
    const DWORD off = 0;
    SendPowerSetting(window, GUID{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}, &off, sizeof off);
    SendPowerSetting(window, kConsoleDisplayState, &off, 0);
    ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0);
    EXPECT_FALSE(form.Paused());

    // A click still ends the run while at rest: a press and a release on the
    // window, not a release without a press, nor the press alone.
    SendDisplayState(window, 0);
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_FALSE(forms::Ending());
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(forms::Ending());
    EXPECT_FALSE(::IsWindow(window));
}

// Slide steps slower than the display's refresh (a big screen, a busy machine):
// a click or a key made during a step is handled right after it, not at the end
// of the slide; with a password the prompt opens as promptly. Real input, sent
// while a step is under way.
TEST_F(SaverFormTest, InputDuringASlowSlideIsHandledWithinAStepOrTwo)
{
    for (const bool password : {false, true}) {
        SCOPED_TRACE(password ? "with a password" : "without a password");
        Module().gPassword = password ? L"pw" : L"";
        saver = std::make_unique<Corvalinth_S>(SaverOptions{password, 0, 50});
        int steps = 0, inputAt = 0, promptAt = 0;
        double slowMs = 0;
        saver->SetPresentObserver([&](bool slideStep) {
            if (!slideStep) return;
            if (++steps == 3) {
                inputAt = steps;
                if (password) wintest::TypeText(L"x");
                else wintest::ClickAt(wintest::CentreOnScreen(saver->hWnd()));
            }
            ::Sleep(static_cast<DWORD>(slowMs));
        });
        saver->SetPasswordPrompt([&] { promptAt = steps; });
        saver->Load();
        slowMs = 3 * saver->Refresh().periodMs;
        ASSERT_TRUE(wintest::WaitForFocus(saver->hWnd())) << "typed keys would not reach the saver";
        saver->Model().SetFrameCount(1000);
        ASSERT_TRUE(wintest::PumpUntil([&] { return forms::Ending() || promptAt > 0; }, wintest::Milliseconds(30000)));
        ASSERT_GT(inputAt, 0);
        EXPECT_LE((password ? promptAt : steps) - inputAt, 2) << "steps taken before the input was handled";
        EXPECT_TRUE(saver->Model().InTransition() || forms::Ending()) << "the slide was over first";
        saver.reset();
        forms::ResetEndingForTests();
    }
}

core::Rect WindowRect(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

TEST_F(SaverFormTest, DisplayChangesKeepEveryMonitorCoveredAndThePictureInPlace)
{
    Corvalinth_S& form = Start(300);
    const HWND window = form.hWnd();
    for (int i = 0; i < 30; ++i) form.Timer1_Timer();
    const auto copyOf = [](const core::SurfaceView& view) {
        core::PixelSurface copy(view.Width(), view.Height());
        core::Copy(copy.View(), 0, 0, copy.Width(), copy.Height(), view, 0, 0);
        return copy;
    };
    const core::PixelSurface startupBefore = copyOf(form.StartupPicture());
    const core::PixelSurface displayBefore = copyOf(form.Display().View());
    const int w = startupBefore.Width(), h = startupBefore.Height();

    // A monitor appears left of the primary, shorter than it.
    const core::Monitor monitors[] = {{{0, 0, w, h}, true}, {{-300, 0, 0, h / 2}, false}};
    form.Relayout(core::MonitorLayout(monitors, {}));
    EXPECT_EQ(WindowRect(window), (core::Rect{-300, 0, w, h}));
    EXPECT_EQ(form.Display().Width(), w + 300);
    EXPECT_EQ(form.StartupPicture().Width(), w + 300);
    // The start-up picture and the trails keep their places on the desktop;
    // the new monitor shows black, and so does what lies below it.
    for (int y = 0; y < h; y += 23)
        for (int x = 0; x < w; x += 29) {
            ASSERT_EQ(form.StartupPicture().At(x + 300, y), startupBefore.View().At(x, y)) << x << "," << y;
            ASSERT_EQ(form.Display().View().At(x + 300, y), displayBefore.View().At(x, y)) << x << "," << y;
        }
    EXPECT_EQ(form.StartupPicture().At(0, 0), 0u);
    EXPECT_EQ(form.Display().View().At(150, h - 1), 0u);
    // The swarm ranges over the whole width now.
    EXPECT_EQ(form.Model().Geometry().WidthPixels(), w + 300);
    form.Model().SetFrameCount(1000);
    form.Timer1_Timer();
    form.Timer1_Timer();
    ASSERT_TRUE(form.Model().InTransition());

    // The system's own display change measures the real monitors again, and a
    // DPI change never shrinks the window to the rectangle it proposes.
    ::SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
    const core::Rect screen = forms::Screen::VirtualPixels();
    RECT proposed{0, 0, 200, 100};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(WindowRect(window), screen);
    EXPECT_EQ(form.Display().Width(), screen.Width());
    // The transition under way was given up with the old surfaces.
    EXPECT_FALSE(form.Model().InTransition());
    for (int i = 0; i < 5; ++i) form.Timer1_Timer();
    EXPECT_TRUE(form.IsLoaded());
}

bool BitmapAlive(HBITMAP bitmap)
{
    BITMAP info{};
    return ::GetObjectW(bitmap, sizeof(info), &info) != 0;
}

TEST(Snapshot, PictureOwnsItsBitmapUntilTheLastHolderGoes)
{
    HBITMAP bitmap = nullptr;
    {
        forms::Picture picture = BlackPicture(8, 4);
        bitmap = picture.Handle();
        ASSERT_TRUE(BitmapAlive(bitmap));
        forms::Picture second = picture;
        picture = {};
        EXPECT_TRUE(BitmapAlive(bitmap));  // still held by the copy
    }
    EXPECT_FALSE(BitmapAlive(bitmap));
}

}  // namespace
}  // namespace corvalinth::saver
