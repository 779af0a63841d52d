#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "button/command_win.h"
#include "forms/app_win.h"
#include "forms/dib_surface_win.h"
#include "forms/form_win.h"
#include "forms/handles_win.h"
#include "png_writer.h"
#include "startup/corvalinth_b.h"

namespace corvalinth::button {
namespace {

using core::Pixel;
using core::Rgb;

constexpr COLORREF kFormBack = RGB(90, 140, 90);
constexpr int kButtonId = 7;
const Pixel kDarkBlue = Rgb(0, 60, 116);

// Waits on the message loop (timers included) until the condition holds or the
// limit passes; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 3000)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        forms::DoEvents();
        if (done()) return true;
        if (::GetTickCount() - start > limitMs) return false;
        ::Sleep(5);
    }
}
void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

void SendMouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65535 + (w - 1) / 2) / (w - 1));
        in.mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65535 + (h - 1) / 2) / (h - 1));
        in.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    }
    ::SendInput(1, &in, sizeof in);
}

void SendKey(WORD key)
{
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof in[0]);
}

core::PixelSurface CaptureScreen(const RECT& r)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    forms::DibSurface shot(w, h);
    forms::ScopedGetDC screen(nullptr);
    ::BitBlt(shot.Dc(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY);
    ::GdiFlush();
    core::PixelSurface out(w, h);
    core::Copy(out.View(), 0, 0, w, h, shot.View(), 0, 0);
    return out;
}

class ContainerForm : public forms::Form {
public:
    ContainerForm()
        : Form(forms::FormSpec{L"CorvalinthButtonTest", L"Button test", WS_POPUP, WS_EX_TOPMOST, 300, 120, kFormBack})
    {
    }
    int commandClicks = 0;

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
            ++commandClicks;
            return 0;
        }
        return Form::OnMessage(message, wParam, lParam);
    }
};

// The middle of each side of ring k (1 = outermost) of a 93 x 29 face.
struct Ring {
    Pixel top, left, bottom, right;
};
Ring RingOf(const core::PixelSurface& s, int k)
{
    const int i = k - 1;
    return {s.At(46, i), s.At(i, 14), s.At(46, 28 - i), s.At(92 - i, 14)};
}

int Distance(Pixel a, Pixel b)
{
    return std::abs(core::RedOf(a) - core::RedOf(b)) + std::abs(core::GreenOf(a) - core::GreenOf(b)) +
           std::abs(core::BlueOf(a) - core::BlueOf(b));
}

class CommandWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ParkPointer();
        form.Load();
        form.MovePixels(100, 100, 300, 120);
        form.Show();
        ::SetForegroundWindow(form.hWnd());
        cmd = std::make_unique<Command>(form.hWnd(), kButtonId);
        ASSERT_TRUE(cmd->hWnd());
        cmd->OnClick = [this] { ++clicks; };
        cmd->ReadProperties(PropertyBag{});
        cmd->SetCaption(L"");  // the ring and gradient checks want no text
        cmd->Move(300, 300, 1395, 435);  // 20, 20 and 93 x 29 pixels
        PumpFor(50);
    }
    void TearDown() override
    {
        cmd.reset();
        ParkPointer();
        forms::ResetEndingForTests();
    }

    static void ParkPointer()
    {
        SendMouse(MOUSEEVENTF_MOVE, 700, 600);
        PumpFor(30);
    }
    RECT ButtonOnScreen() const
    {
        RECT r{};
        ::GetWindowRect(cmd->hWnd(), &r);
        return r;
    }
    POINT ButtonMiddle() const
    {
        const RECT r = ButtonOnScreen();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void MoveOverButton()
    {
        const POINT p = ButtonMiddle();
        SendMouse(MOUSEEVENTF_MOVE, p.x, p.y);
    }
    void MoveOntoForm()
    {
        const RECT r = ButtonOnScreen();
        SendMouse(MOUSEEVENTF_MOVE, r.right + 40, r.bottom + 30);
    }
    core::PixelSurface Shot()
    {
        ::UpdateWindow(cmd->hWnd());
        PumpFor(20);
        return CaptureScreen(ButtonOnScreen());
    }
    std::uint8_t State() const { return cmd->Core().Fields().mState; }
    bool WaitState(std::uint8_t s) { return PumpUntil([&] { return State() == s; }); }

    ContainerForm form;
    std::unique_ptr<Command> cmd;
    int clicks = 0;
};

TEST_F(CommandWindow, IdleFaceShowsDarkBlueRingAroundWhiteToLavenderGradient)
{
    const auto s = Shot();
    ASSERT_EQ(s.Width(), 93);
    ASSERT_EQ(s.Height(), 29);
    const Ring ring2 = RingOf(s, 2);
    EXPECT_EQ(ring2.top, kDarkBlue);
    EXPECT_EQ(ring2.left, kDarkBlue);
    EXPECT_EQ(ring2.bottom, kDarkBlue);
    EXPECT_EQ(ring2.right, kDarkBlue);
    EXPECT_EQ(RingOf(s, 1).top, Rgb(220, 214, 194));
    // Inside the frame the face runs from white down to the lavender grey.
    EXPECT_LE(Distance(s.At(46, 4), Rgb(255, 255, 255)), 30);
    EXPECT_LE(Distance(s.At(46, 24), Rgb(198, 197, 215)), 30);
    for (int y = 5; y <= 24; ++y) EXPECT_LE(core::RedOf(s.At(46, y)), core::RedOf(s.At(46, y - 1))) << y;
}

TEST_F(CommandWindow, EachLookShowsItsRingColours)
{
    cmd->Initialize();
    struct Look {
        const char* name;
        std::function<void()> enter;
        int ring;
        Pixel top;
        Pixel bottom;
    };
    const Look looks[] = {
        {"hover", [&] { MoveOverButton(); ASSERT_TRUE(WaitState(2)); }, 3, Rgb(255, 240, 207), Rgb(229, 151, 0)},
        {"pressed", [&] { SendMouse(MOUSEEVENTF_LEFTDOWN); ASSERT_TRUE(WaitState(4)); }, 3, kDarkBlue, kDarkBlue},
        {"highlight-select", [&] { SendMouse(MOUSEEVENTF_LEFTUP); PumpUntil([&] { return clicks == 1; }); }, 3,
         Rgb(255, 240, 207), Rgb(229, 151, 0)},
        {"selected", [&] { MoveOntoForm(); ASSERT_TRUE(WaitState(3)); }, 3, Rgb(206, 231, 255), Rgb(105, 130, 238)},
        {"disabled", [&] { cmd->SetEnabled(kFalse); }, 2, Rgb(201, 199, 186), Rgb(201, 199, 186)},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        look.enter();
        const auto s = Shot();
        EXPECT_EQ(RingOf(s, look.ring).top, look.top);
        EXPECT_EQ(RingOf(s, look.ring).bottom, look.bottom);
    }
}

TEST_F(CommandWindow, HoverReversesTheGradient)
{
    cmd->Initialize();
    MoveOverButton();
    ASSERT_TRUE(WaitState(2));
    const auto s = Shot();
    EXPECT_LE(Distance(s.At(46, 4), Rgb(198, 197, 215)), 30);
    EXPECT_LE(Distance(s.At(46, 24), Rgb(255, 255, 255)), 30);
    // The pointer leaving is found by the timer.
    ParkPointer();
    ASSERT_TRUE(WaitState(1));
    EXPECT_EQ(RingOf(Shot(), 3).top, Rgb(243, 243, 238));
}

TEST_F(CommandWindow, RealMouseInputGivesOneClickPerRelease)
{
    cmd->Initialize();
    MoveOverButton();
    ASSERT_TRUE(WaitState(2));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitState(4));  // the press brought the focus
    EXPECT_EQ(::GetFocus(), cmd->hWnd());
    EXPECT_EQ(clicks, 0);
    SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    EXPECT_EQ(form.commandClicks, 1);

    // Any button's release counts.
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    SendMouse(MOUSEEVENTF_MIDDLEDOWN);
    SendMouse(MOUSEEVENTF_MIDDLEUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 3; }));
    PumpFor(150);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(form.commandClicks, 3);
    EXPECT_EQ(State(), 4);
}

TEST_F(CommandWindow, DragOffPastATimerTickAndBackRaisesNoClick)
{
    cmd->Initialize();
    MoveOverButton();
    ASSERT_TRUE(WaitState(2));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitState(4));
    MoveOntoForm();
    ASSERT_TRUE(WaitState(3));  // the timer found the pointer outside
    MoveOverButton();
    PumpFor(150);
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpFor(200);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(form.commandClicks, 0);
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(RingOf(Shot(), 3).top, Rgb(206, 231, 255));  // still Selected

    // A move with no button held lights it up again, and clicks count again.
    SendMouse(MOUSEEVENTF_MOVE, ButtonMiddle().x + 3, ButtonMiddle().y);
    ASSERT_TRUE(WaitState(4));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
}

TEST_F(CommandWindow, DisabledButtonIgnoresInputAndNeverClicks)
{
    cmd->Initialize();
    cmd->SetEnabled(kFalse);
    const auto before = Shot();
    MoveOverButton();
    PumpFor(150);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    PumpFor(300);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(form.commandClicks, 0);
    EXPECT_EQ(State(), 1);
    EXPECT_EQ(Shot(), before);

    cmd->SetEnabled(kTrue);
    EXPECT_EQ(RingOf(Shot(), 2).top, kDarkBlue);
}

TEST_F(CommandWindow, EnterAndSpaceDoNothing)
{
    cmd->Initialize();
    ::SetFocus(cmd->hWnd());
    ASSERT_TRUE(WaitState(3));
    SendKey(VK_RETURN);
    SendKey(VK_SPACE);
    PumpFor(200);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(RingOf(Shot(), 3).top, Rgb(206, 231, 255));
    ::SetFocus(form.hWnd());
    ASSERT_TRUE(WaitState(1));
}

TEST_F(CommandWindow, LookSurvivesBeingCoveredAndUncovered)
{
    cmd->Initialize();
    ::SetFocus(cmd->hWnd());
    ASSERT_TRUE(WaitState(3));
    const auto before = Shot();
    {
        const RECT r = ButtonOnScreen();
        forms::UniqueWindow cover(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP,
                                                    r.left - 10, r.top - 10, 120, 50, nullptr, nullptr, nullptr,
                                                    nullptr));
        ASSERT_TRUE(cover);
        ::ShowWindow(cover.Get(), SW_SHOWNOACTIVATE);
        PumpFor(100);
        EXPECT_NE(Shot(), before);
    }
    PumpFor(100);
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(Shot(), before);
}

TEST_F(CommandWindow, CaptionIsDrawnAndGreyedWhenDisabled)
{
    cmd->SetFont(std::make_shared<FontDesc>(FontDesc{L"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128}));
    cmd->SetCaption(L"設定");
    auto darkPixels = [](const core::PixelSurface& s) {
        int n = 0;
        for (int y = 4; y < 25; ++y)
            for (int x = 4; x < 89; ++x) n += Distance(s.At(x, y), Rgb(0, 0, 0)) < 90;
        return n;
    };
    auto s = Shot();
    EXPECT_GT(darkPixels(s), 10);
    // The text stays near the middle: nothing dark in the outer thirds.
    for (int y = 4; y < 25; ++y) {
        EXPECT_GT(Distance(s.At(10, y), Rgb(0, 0, 0)), 200);
        EXPECT_GT(Distance(s.At(82, y), Rgb(0, 0, 0)), 200);
    }
    cmd->SetEnabled(kFalse);
    EXPECT_EQ(darkPixels(Shot()), 0);
}

TEST_F(CommandWindow, TransparentBackgroundShowsOnlyTheContainer)
{
    cmd->SetVisible(0);
    const auto s = Shot();
    EXPECT_EQ(s.At(46, 1), core::PixelFromColorRef(kFormBack));
    EXPECT_EQ(s.At(46, 14), core::PixelFromColorRef(kFormBack));
    cmd->SetVisible(1);
    EXPECT_EQ(RingOf(Shot(), 2).top, kDarkBlue);
}

TEST_F(CommandWindow, ClickHandlerMayDestroyTheButton)
{
    cmd->Initialize();
    cmd->OnClick = [this] {
        ++clicks;
        cmd.reset();
    };
    MoveOverButton();
    ASSERT_TRUE(WaitState(2));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    PumpFor(150);
    EXPECT_EQ(cmd, nullptr);
    EXPECT_EQ(form.commandClicks, 0);  // its window went with it
}

TEST_F(CommandWindow, FoundFromItsWindowAndReachableForTheSharedSetUp)
{
    EXPECT_EQ(Command::FromWindow(cmd->hWnd()), cmd.get());
    EXPECT_EQ(Command::FromWindow(form.hWnd()), nullptr);
    EXPECT_EQ(Command::FromWindow(nullptr), nullptr);
    Command second(form.hWnd(), kButtonId + 1);
    int visited = 0;
    ForEachCommand(form.hWnd(), [&](CommandLike& like) {
        ++visited;
        like.SetEnabled(kFalse);
        like.Initialize();
    });
    EXPECT_EQ(visited, 2);
    EXPECT_EQ(RingOf(Shot(), 2).top, Rgb(201, 199, 186));
    EXPECT_TRUE(cmd->Core().MouseTimerEnabled());
    EXPECT_TRUE(second.Core().MouseTimerEnabled());
}

TEST_F(CommandWindow, PropertyChangesAreReportedAndStoredPropertiesRoundTrip)
{
    std::vector<std::wstring> changed;
    cmd->OnPropertyChanged = [&](std::wstring_view key) { changed.emplace_back(key); };
    cmd->SetCaption(L"ｷｬﾝｾﾙ");
    cmd->SetFontColour(0x0000FF);
    EXPECT_EQ(changed, (std::vector<std::wstring>{L"Caption", L"FontColour"}));
    PropertyBag bag;
    cmd->WriteProperties(bag);
    const auto text = EncodeBag(bag);
    Command other(form.hWnd(), kButtonId + 1);
    other.ReadProperties(*DecodeBag(text));
    EXPECT_EQ(other.Caption(), L"ｷｬﾝｾﾙ");
    EXPECT_EQ(other.FontColour(), 0x0000FF);
}

// Writes docs/button-looks.png when CORVALINTH_BUTTON_LOOKS names the file:
// the settings dialog's button in each of its six looks, side by side.
TEST_F(CommandWindow, WriteLooksScreenshot)
{
    const wchar_t* target = _wgetenv(L"CORVALINTH_BUTTON_LOOKS");
    if (!target || !*target) GTEST_SKIP() << "set CORVALINTH_BUTTON_LOOKS to write the screenshot";
    cmd->SetFont(std::make_shared<FontDesc>(FontDesc{L"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128}));
    cmd->SetCaption(L"設定");
    cmd->Initialize();
    std::vector<core::PixelSurface> shots;
    shots.push_back(Shot());  // Normal
    MoveOverButton();
    ASSERT_TRUE(WaitState(2));
    shots.push_back(Shot());  // HighLight
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitState(4));
    shots.push_back(Shot());  // Pressed
    SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    shots.push_back(Shot());  // HighLightSelect
    MoveOntoForm();
    ASSERT_TRUE(WaitState(3));
    shots.push_back(Shot());  // Selected
    cmd->SetEnabled(kFalse);
    shots.push_back(Shot());  // Disable

    constexpr int kScale = 2, kGap = 10;
    const int w = 93 * kScale, h = 29 * kScale;
    core::PixelSurface sheet(kGap + 6 * (w + kGap), h + 2 * kGap, core::PixelFromColorRef(kFormBack));
    for (std::size_t i = 0; i < shots.size(); ++i)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                sheet.View().Set(kGap + static_cast<int>(i) * (w + kGap) + x, kGap + y,
                                 shots[i].At(x / kScale, y / kScale));
    ASSERT_TRUE(corvalinth::testing::WritePng(target, sheet));
}

}  // namespace
}  // namespace corvalinth::button
