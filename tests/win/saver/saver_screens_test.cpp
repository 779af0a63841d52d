// The saver window over changing monitors, and at rest while nobody can see it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "core/monitor_layout.h"
#include "forms/app_win.h"
#include "forms/screen_win.h"
#include "saver/saver_form_win.h"
#include "startup/corvalinth_b.h"

namespace corvalinth::saver {
namespace {

void Pump(int milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    while (::GetTickCount64() < end && !forms::Ending()) {
        forms::DoEvents();
        ::Sleep(5);
    }
}

constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// A power-setting record as the system sends it: the header and its data.
LRESULT SendPowerSetting(HWND window, const GUID& setting, std::vector<BYTE> data)
{
    std::vector<BYTE> record(offsetof(POWERBROADCAST_SETTING, Data) + std::max<std::size_t>(data.size(), 1));
    POWERBROADCAST_SETTING header{};
    header.PowerSetting = setting;
    header.DataLength = static_cast<DWORD>(data.size());
    std::memcpy(record.data(), &header, offsetof(POWERBROADCAST_SETTING, Data));
    if (!data.empty()) std::memcpy(record.data() + offsetof(POWERBROADCAST_SETTING, Data), data.data(), data.size());
    return ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(record.data()));
}
void SendDisplayState(HWND window, DWORD state)
{
    std::vector<BYTE> data(sizeof state);
    std::memcpy(data.data(), &state, sizeof state);
    EXPECT_EQ(SendPowerSetting(window, kConsoleDisplayState, data), TRUE);
}
void SendSession(HWND window, WPARAM change) { ::SendMessageW(window, WM_WTSSESSION_CHANGE, change, 0); }

class SaverScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module().gNum = 300;
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
        return *saver;
    }
    // Ticks counted since the window loaded, transitions included.
    int Ticks() const { return saver->Model().FrameCount(); }

    std::unique_ptr<Corvalinth_S> saver;
};

TEST_F(SaverScreens, RestsWhileTheDisplayIsOffOrTheSessionLockedAndGoesOnAfter)
{
    Corvalinth_S& form = Start();
    const HWND window = form.hWnd();
    ASSERT_FALSE(form.Paused());
    Pump(300);
    ASSERT_GT(Ticks(), 0) << "the timer should be ticking";

    SendDisplayState(window, 0);
    EXPECT_TRUE(form.Paused());
    EXPECT_FALSE(form.Timer1().Enabled());
    const int atRest = Ticks();
    const Swarm before = form.Model().Particles();
    Pump(1000);
    EXPECT_EQ(Ticks(), atRest);
    // The timer event alone does nothing while at rest either.
    form.Timer1_Timer();
    EXPECT_EQ(Ticks(), atRest);
    EXPECT_EQ(form.Model().Particles().Particles[0].X, before.Particles[0].X);

    // A dimmed display is still seen.
    SendDisplayState(window, 2);
    EXPECT_FALSE(form.Paused());
    Pump(300);
    EXPECT_GT(Ticks(), atRest);

    // Locked: at rest even with the display on, until unlocked.
    SendSession(window, 0x7);
    EXPECT_TRUE(form.Paused());
    SendDisplayState(window, 1);
    EXPECT_TRUE(form.Paused());
    const int locked = Ticks();
    Pump(500);
    EXPECT_EQ(Ticks(), locked);
    SendSession(window, 0x8);
    EXPECT_FALSE(form.Paused());
    EXPECT_TRUE(form.Timer1().Enabled());
    Pump(300);
    EXPECT_GT(Ticks(), locked);

    // Records that are not the display's state, or too short, change nothing.
    SendPowerSetting(window, GUID{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}, {0, 0, 0, 0});
    SendPowerSetting(window, kConsoleDisplayState, {});
    ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0);
    EXPECT_FALSE(form.Paused());

    // A click still ends the run while at rest.
    SendDisplayState(window, 0);
    ASSERT_TRUE(form.Paused());
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    Pump(50);
    EXPECT_TRUE(forms::Ending());
    EXPECT_FALSE(form.IsLoaded());
}

core::MonitorLayout Layout(std::vector<core::Monitor> monitors) { return core::MonitorLayout(monitors, {}); }

TEST_F(SaverScreens, DisplayChangesKeepEveryMonitorCoveredAndThePictureInPlace)
{
    Corvalinth_S& form = Start();
    form.Timer1().SetEnabled(false);  // ticks by hand
    const HWND window = form.hWnd();
    for (int i = 0; i < 30; ++i) form.Timer1_Timer();
    const core::PixelSurface startupBefore = [&] {
        core::PixelSurface copy(form.ScreenW(), form.ScreenH());
        core::Copy(copy.View(), 0, 0, copy.Width(), copy.Height(), form.StartupPicture(), 0, 0);
        return copy;
    }();
    const core::PixelSurface displayBefore = [&] {
        core::PixelSurface copy(form.ScreenW(), form.ScreenH());
        core::Copy(copy.View(), 0, 0, copy.Width(), copy.Height(), form.Display().View(), 0, 0);
        return copy;
    }();
    const int w = startupBefore.Width(), h = startupBefore.Height();

    // A monitor appears left of the primary, shorter than it.
    form.Relayout(Layout({{{0, 0, w, h}, true}, {{-300, 0, 0, h / 2}, false}}));
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, -300);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, w);
    EXPECT_EQ(r.bottom, h);
    EXPECT_EQ(form.ScreenW(), w + 300);
    EXPECT_EQ(form.ScreenH(), h);
    EXPECT_EQ(form.Display().Width(), w + 300);
    EXPECT_EQ(form.StartupPicture().Width(), w + 300);
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // The start-up picture and the trails keep their places on the desktop;
    // the new monitor shows black, and so does what lies below it.
    for (int y = 0; y < h; y += 23)
        for (int x = 0; x < w; x += 29) {
            ASSERT_EQ(form.StartupPicture().At(x + 300, y), startupBefore.View().At(x, y)) << x << "," << y;
            ASSERT_EQ(form.Display().View().At(x + 300, y), displayBefore.View().At(x, y)) << x << "," << y;
        }
    EXPECT_EQ(form.StartupPicture().At(0, 0), 0u);
    EXPECT_EQ(form.StartupPicture().At(299, h - 1), 0u);
    EXPECT_EQ(form.Display().View().At(150, h - 1), 0u);
    // The swarm ranges over the whole width now.
    EXPECT_EQ(form.Model().Geometry().WidthPixels(), w + 300);
    for (int i = 0; i < 20; ++i) form.Timer1_Timer();

    // A transition under way when the screen shrinks is given up.
    form.Model().SetFrameCount(1000);
    form.Timer1_Timer();
    form.Timer1_Timer();
    ASSERT_TRUE(form.Model().InTransition());
    form.Relayout(Layout({{{0, 0, 640, 480}, true}}));
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 640);
    EXPECT_EQ(r.bottom, 480);
    EXPECT_FALSE(form.Model().InTransition());
    EXPECT_FALSE(form.Master(1));
    EXPECT_EQ(form.Model().FrameCount(), 0);
    for (int y = 0; y < 480; y += 17)
        for (int x = 0; x < 640; x += 19) ASSERT_EQ(form.Display().View().At(x, y), form.StartupPicture().At(x, y));
    // Particles beyond the new edges come back in by the wrap rules.
    form.Timer1_Timer();
    form.Timer1_Timer();
    const Swarm& swarm = form.Model().Particles();
    const float right = form.Model().Geometry().DisplayWidth(), bottom = form.Model().Geometry().DisplayHeight();
    for (int i = 0; i < swarm.ParticleCount; ++i) {
        const ParticleRecord& p = swarm.Particles[static_cast<std::size_t>(i)];
        ASSERT_LE(static_cast<float>(p.X), right) << i;
        ASSERT_LE(static_cast<float>(p.Y), bottom) << i;
    }

    // The system's own display change measures the real monitors again, and a
    // DPI change never shrinks the window to the rectangle it proposes.
    ::SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
    const core::Rect screen = forms::Screen::VirtualPixels();
    RECT proposed{0, 0, 200, 100};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&proposed));
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, screen.left);
    EXPECT_EQ(r.top, screen.top);
    EXPECT_EQ(r.right, screen.right);
    EXPECT_EQ(r.bottom, screen.bottom);
    EXPECT_EQ(form.ScreenW(), screen.Width());
    for (int i = 0; i < 5; ++i) form.Timer1_Timer();
    EXPECT_TRUE(form.IsLoaded());
}

}  // namespace
}  // namespace corvalinth::saver
