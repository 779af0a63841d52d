#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "button/command_win.h"
#include "button/state_pictures.h"
#include "forms/app_win.h"
#include "forms/form_win.h"
#include "forms/handles_win.h"
#include "core/corvalinth_b.h"
#include "test_support.h"

namespace corvalinth::button {
namespace {

using core::Pixel;
using core::Rgb;
using namespace wintest;

constexpr COLORREF kFormBack = RGB(90, 140, 90);
const Pixel kLavender = Rgb(198, 197, 215);
const Pixel kWhite = Rgb(255, 255, 255);

// The middle of each side of ring k (1 = outermost) of a 93 x 29 face.
struct Ring {
    Pixel top, left, bottom, right;
};
Ring RingOf(const core::PixelSurface& s, int k)
{
    return {s.At(46, k - 1), s.At(k - 1, 14), s.At(46, 29 - k), s.At(93 - k, 14)};
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
        cmd = std::make_unique<Command>(form.hWnd(), 7);
        cmd->OnClick = [this] { ++clicks; };
        cmd->ReadProperties(PropertyBag{});
        cmd->Move(300, 300, 1395, 435);  // 20, 20 and 93 x 29 pixels
        ASSERT_TRUE(WaitForForeground(form.hWnd()));
    }
    void TearDown() override
    {
        cmd.reset();
        ParkPointer();
        forms::ResetEndingForTests();
    }

    static void ParkPointer()
    {
        MoveMouseTo(700, 600);
        PumpFor(30ms);
    }
    RECT ButtonOnScreen() const
    {
        RECT r{};
        ::GetWindowRect(cmd->hWnd(), &r);
        return r;
    }
    core::PixelSurface Shot()
    {
        ::UpdateWindow(cmd->hWnd());
        PumpFor(20ms);
        return Capture(ButtonOnScreen());
    }
    std::uint8_t State() const { return cmd->Core().Fields().mState; }
    bool WaitState(std::uint8_t s) { return PumpUntil([&] { return State() == s; }); }

    // Brings the button through its six looks with real input, one shot each:
    // idle, pointer over, pressed, released over it, pointer gone, disabled.
    std::vector<core::PixelSurface> ShotsOfEveryLook()
    {
        cmd->Initialize();
        std::vector<core::PixelSurface> shots{Shot()};
        MoveMouseTo(CentreOnScreen(cmd->hWnd()).x, CentreOnScreen(cmd->hWnd()).y);
        EXPECT_TRUE(WaitState(2));
        shots.push_back(Shot());
        Send({Mouse(MOUSEEVENTF_LEFTDOWN)});
        EXPECT_TRUE(WaitState(4));
        shots.push_back(Shot());
        Send({Mouse(MOUSEEVENTF_LEFTUP)});
        EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
        shots.push_back(Shot());
        MoveMouseTo(ButtonOnScreen().right + 40, ButtonOnScreen().bottom + 30);  // onto the form
        EXPECT_TRUE(WaitState(3));  // the timer found the pointer outside
        shots.push_back(Shot());
        cmd->SetEnabled(kFalse);
        shots.push_back(Shot());
        return shots;
    }

    forms::Form form{{L"CorvalinthButtonTest", L"Button test", WS_POPUP, WS_EX_TOPMOST, 300, 120, kFormBack}};
    std::unique_ptr<Command> cmd;
    int clicks = 0;
};

// Each look shows its own picture's four rings round the face, the face's
// gradient white or lavender on top, and the caption.
TEST_F(CommandWindow, EachLookShowsItsRingsGradientAndCaption)
{
    struct Look {
        const char* name;
        StatePicture picture;
        std::optional<Pixel> faceTop, faceBottom;  // the gradient inside the frame, where checked
    };
    const Look looks[] = {
        {"idle", StatePicture::Normal, kWhite, kLavender},
        {"hover", StatePicture::HighLight, kLavender, kWhite},
        {"pressed", StatePicture::Pressed, {}, {}},
        // Focused over it keeps the orientation of the paint before; focused alone is white on top.
        {"highlight-select", StatePicture::HighLightSelect, kLavender, kWhite},
        {"selected", StatePicture::Selected, kWhite, kLavender},
        {"disabled", StatePicture::Disable, {}, {}},
    };
    cmd->SetFont(std::make_shared<FontDesc>(FontDesc{L"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128}));
    cmd->SetCaption(L"設定");
    const std::vector<core::PixelSurface> shots = ShotsOfEveryLook();
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const Look& look = looks[i];
        const core::PixelSurface& s = shots[i];
        SCOPED_TRACE(look.name);
        ASSERT_EQ(s.Width(), 93);
        ASSERT_EQ(s.Height(), 29);
        for (int k = 1; k <= 4; ++k) {
            const RingColours& want = RingsOf(look.picture).rings[k - 1];
            const Ring shown = RingOf(s, k);
            EXPECT_EQ(shown.top, want.top) << "ring " << k;
            EXPECT_EQ(shown.bottom, want.bottom) << "ring " << k;
            if (want.shadeSides) continue;
            EXPECT_EQ(shown.left, want.left) << "ring " << k;
            EXPECT_EQ(shown.right, want.right) << "ring " << k;
        }
        EXPECT_NE(s.At(0, 0), RingOf(s, 1).top);  // rounded-off corners
        if (look.faceTop) {  // left of the caption
            EXPECT_LE(Distance(s.At(10, 4), *look.faceTop), 30);
            EXPECT_LE(Distance(s.At(10, 24), *look.faceBottom), 30);
        }
    }
    int dark = 0;
    for (int y = 5; y <= 24; ++y) {
        EXPECT_LE(core::RedOf(shots[0].At(10, y)), core::RedOf(shots[0].At(10, y - 1))) << y;
        for (int x = 4; x < 89; ++x) dark += Distance(shots[0].At(x, y), Rgb(0, 0, 0)) < 90;
    }
    EXPECT_GT(dark, 10) << "no caption";

    // For the docs (scripts/button-looks.sh): the six looks side by side and
    // doubled, to the BMP file CORVALINTH_BUTTON_LOOKS names.
    const wchar_t* target = _wgetenv(L"CORVALINTH_BUTTON_LOOKS");
    if (!target) return;
    constexpr int kScale = 2, kGap = 10, w = 93 * kScale, h = 29 * kScale;
    core::PixelSurface sheet(kGap + 6 * (w + kGap), h + 2 * kGap, core::PixelFromColorRef(kFormBack));
    for (std::size_t i = 0; i < shots.size(); ++i)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                sheet.View().Set(kGap + static_cast<int>(i) * (w + kGap) + x, kGap + y,
                                 shots[i].At(x / kScale, y / kScale));
    EXPECT_TRUE(WriteBmp(target, sheet));
}

TEST_F(CommandWindow, KeysNeverClickAndACoveredButtonPaintsItsLookAgain)
{
    cmd->Initialize();
    ::SetFocus(cmd->hWnd());
    ASSERT_TRUE(WaitState(3));
    ASSERT_TRUE(WaitForFocus(cmd->hWnd()));
    PressKey(VK_RETURN);
    PressKey(VK_SPACE);
    PumpFor(200ms);
    EXPECT_EQ(clicks, 0);
    const auto focused = Shot();
    EXPECT_EQ(RingOf(focused, 3).top, RingsOf(StatePicture::Selected).rings[2].top);  // still the focused look
    {
        // Covered and uncovered, it paints the same look again.
        const RECT r = ButtonOnScreen();
        forms::UniqueWindow cover(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP,
                                                    r.left - 10, r.top - 10, 120, 50, nullptr, nullptr, nullptr,
                                                    nullptr));
        ::ShowWindow(cover.Get(), SW_SHOWNOACTIVATE);
        EXPECT_TRUE(PumpUntil([&] { return Shot() != focused; }));
    }
    EXPECT_TRUE(PumpUntil([&] { return Shot() == focused; }));
}

}  // namespace
}  // namespace corvalinth::button
