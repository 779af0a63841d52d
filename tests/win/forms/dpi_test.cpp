// The forms at another DPI. The DpiChange tests run on the usual 96-DPI rig and
// tell the forms that their monitor changed or is another; the Dpi144 ones run on a rig whose
// displays are at 144 DPI (Wine gives every monitor the same DPI, so a form at
// a DPI other than the system's is only seen through the change message).
#include <gtest/gtest.h>

#include <cmath>

#include "button/state_pictures.h"
#include "core/corvalinth_b.h"
#include "core/number_rules.h"
#include "forms/app_win.h"
#include "forms/dpi_win.h"
#include "password/password_form_win.h"
#include "saver/saver_form_win.h"
#include "saver/snapshot_win.h"
#include "settings/dialog_layout.h"
#include "settings/settings_dialog_win.h"

namespace corvalinth {
namespace {

int Px(double twips, int dpi) { return core::NearestInt32(twips * dpi / 1440.0); }

RECT ClientRectIn(HWND window, HWND parent)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int FontHeight(HWND window)
{
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::abs(font.lfHeight);
}

// What a settings dialog laid out for `dpi` shows, whatever brought it there.
void ExpectDialogAt(settings::Corvalinth_P& d, int dpi)
{
    EXPECT_EQ(d.Dpi(), dpi);
    const SIZE client = d.ClientSizePixels();
    EXPECT_EQ(client.cx, Px(settings::kClientWidthTwips, dpi));
    EXPECT_EQ(client.cy, Px(settings::kClientHeightTwips, dpi));

    // Windowed controls at their twips places, those in the panel relative to it.
    const RECT scroll = ClientRectIn(d.HS_Num().hWnd(), d.Pic_1().hWnd());
    EXPECT_EQ(scroll.left, Px(540, dpi));
    // The buttons: placed in twips, their frame addressed in twips as well, so
    // the 60-twip frame is 4 pixels at 96 DPI and 6 at 144; the dark ring, the
    // picture's second column, lands on the face's column 1 or 2.
    const RECT setRect = ClientRectIn(d.Cmd_Set().hWnd(), d.hWnd());
    EXPECT_EQ(setRect.bottom - setRect.top, Px(435, dpi));
    const core::PixelSurface face = d.Cmd_Set().Snapshot();
    const int middle = face.Height() / 2, ring = dpi == 96 ? 1 : 2;
    const core::Pixel dark = button::RingsOf(button::StatePicture::Normal).rings[1].left;
    EXPECT_EQ(face.At(ring, middle), dark);
    EXPECT_NE(face.At(2 * ring, middle), dark);

    // Texts at 9.75 points in pixels of this DPI.
    EXPECT_NEAR(FontHeight(d.PW().hWnd()), 9.75 * dpi / 72.0, 1.0);
    EXPECT_NEAR(FontHeight(d.Opt_C(0).hWnd()), 9.0 * dpi / 72.0, 1.0);
}

TEST(DpiChange, SettingsDialogLaysOutAgainAndKeepsWhatTheUserSet)
{
    if (forms::SystemDpi() != 96) GTEST_SKIP() << "needs the 96-DPI rig";
    Module() = CorvalinthB{};
    Module().gColor = 1;
    settings::Corvalinth_P d(settings::DialogServices{});
    d.Show();
    forms::DoEvents();
    ExpectDialogAt(d, 96);
    d.HS_Num().SetValue(777);
    d.PW().SetText(L"typed");

    RECT suggested{};  // the window as it stands: the form picks its own size
    ::GetWindowRect(d.hWnd(), &suggested);
    ::SendMessageW(d.hWnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    forms::DoEvents();
    ExpectDialogAt(d, 144);
    EXPECT_TRUE(d.Opt_C(1).Value());
    EXPECT_EQ(d.lbl_Num(), L"777");
    EXPECT_EQ(d.PW().Text(), L"typed");
    d.Unload();
    forms::ResetEndingForTests();
}

// Every window at 144 DPI while the system's DPI stays 96, as when the scale
// changed without signing out or a laptop was docked: the forms open sized and
// placed for the DPI of their own windows.
TEST(DpiChange, FormsOpenAtTheirOwnWindowsDpiNotTheSystems)
{
    if (forms::SystemDpi() != 96) GTEST_SKIP() << "needs the 96-DPI rig";
    struct WindowsAt144 {
        WindowsAt144() { forms::SetWindowDpiForTests(144); }
        ~WindowsAt144() { forms::SetWindowDpiForTests(0); }
    } windowsAt144;
    Module() = CorvalinthB{};
    settings::Corvalinth_P d(settings::DialogServices{});
    d.Show();
    forms::DoEvents();
    ExpectDialogAt(d, 144);
    RECT r{};
    ::GetWindowRect(d.hWnd(), &r);
    EXPECT_NEAR((r.left + r.right) / 2.0, ::GetSystemMetrics(SM_CXSCREEN) / 2.0, 1.0) << "not centred across";
    d.Unload();

    Corvalinth_Pass prompt;
    prompt.Show();
    forms::DoEvents();
    const SIZE client = prompt.ClientSizePixels();
    EXPECT_EQ(client.cx, Px(3600, 144));
    EXPECT_EQ(client.cy, Px(810, 144));
    prompt.Unload();
    forms::ResetEndingForTests();
}

TEST(Dpi144, ScreenFactorsSnapshotAwarenessTheSaverAndThePrompt)
{
    ASSERT_EQ(forms::SystemDpi(), 144) << "this group runs on the 144-DPI rig";

    // The snapshot has the screen's physical size, not a scaled-down one.
    const forms::Picture desktop = SnapDesktop();
    ASSERT_TRUE(desktop);
    EXPECT_EQ(desktop.Width(), ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(desktop.Height(), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));

    // The manifest asks for per-monitor-v2 awareness, with per-monitor for
    // systems that have no v2; the process runs the best the platform knows.
    EXPECT_EQ(forms::CurrentDpiAwareness(),
              forms::PerMonitorV2Known() ? forms::DpiAwareness::PerMonitorV2 : forms::DpiAwareness::PerMonitor);

    // The saver covers every physical pixel, ten twips each.
    saver::Corvalinth_S form;
    form.Load();
    form.Timer1().SetEnabled(false);
    RECT r{};
    ::GetWindowRect(form.hWnd(), &r);
    EXPECT_EQ(r.right - r.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(r.bottom - r.top, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(form.Model().Geometry().DisplayWidth(), static_cast<float>(form.ScreenW()) * 10.0F);
    form.Unload();

    // The dialog at 144 DPI is the DpiChange test's; the prompt opens scaled here.
    Corvalinth_Pass prompt;
    prompt.Show();
    forms::DoEvents();
    EXPECT_EQ(prompt.Dpi(), 144);
    const SIZE client = prompt.ClientSizePixels();
    EXPECT_EQ(client.cx, Px(3600, 144));
    EXPECT_EQ(client.cy, Px(810, 144));
    const RECT box = ClientRectIn(prompt.Pass(), prompt.hWnd());
    EXPECT_EQ(box.right - box.left, Px(3015, 144));
    EXPECT_NEAR(FontHeight(prompt.Pass()), 9.75 * 144 / 72.0, 1.0);
    // Cut down to the text box again.
    RECT regionBox{};
    ASSERT_NE(::GetWindowRgnBox(prompt.hWnd(), &regionBox), ERROR);
    EXPECT_TRUE(::EqualRect(&regionBox, &box));
    prompt.Unload();
}

}  // namespace
}  // namespace corvalinth
