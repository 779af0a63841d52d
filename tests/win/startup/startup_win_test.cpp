#include <windows.h>

#include <gtest/gtest.h>

#include "startup/corvalinth_b.h"
#include "startup/handover_win.h"
#include "startup/main_win.h"

namespace corvalinth {
namespace {

class Window {
public:
    Window(DWORD style, HWND parent, int x, int y, int width, int height)
        : hwnd_(CreateWindowExW(0, L"STATIC", L"", style, x, y, width, height, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr))
    {
    }
    ~Window()
    {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_;
};

TEST(AdoptAsPreviewChild, BecomesAChildFillingTheBoxAtAnySize)
{
    // The second box is wider and taller than 32767 twips at 15 twips per pixel.
    const SIZE boxes[] = {{152, 112}, {2400, 2300}};
    for (const SIZE box : boxes) {
        SCOPED_TRACE(testing::Message() << box.cx << " x " << box.cy);
        const Window parent(WS_POPUP | WS_VISIBLE, nullptr, 30, 40, box.cx, box.cy);
        const Window form(WS_POPUP | WS_CLIPCHILDREN, nullptr, 500, 400, 10, 10);
        ASSERT_NE(parent.Get(), nullptr);
        ASSERT_NE(form.Get(), nullptr);
        const LONG_PTR before = GetWindowLongPtrW(form.Get(), GWL_STYLE);

        AdoptAsPreviewChild(form.Get(), parent.Get(), box.cx, box.cy);

        EXPECT_EQ(GetWindowLongPtrW(form.Get(), GWL_STYLE), before | WS_CHILD)
            << "only the child bit is added";
        EXPECT_EQ(GetAncestor(form.Get(), GA_PARENT), parent.Get());
        RECT placed{};
        GetWindowRect(form.Get(), &placed);
        MapWindowPoints(nullptr, parent.Get(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, 0);
        EXPECT_EQ(placed.top, 0);
        EXPECT_EQ(placed.right, box.cx);
        EXPECT_EQ(placed.bottom, box.cy);
    }
}

TEST(AdoptAsPreviewChild, VanishedParentIsHarmless)
{
    HWND gone = nullptr;
    {
        const Window parent(WS_POPUP, nullptr, 0, 0, 50, 50);
        gone = parent.Get();
    }
    const Window form(WS_POPUP, nullptr, 0, 0, 10, 10);
    AdoptAsPreviewChild(form.Get(), gone, 152, 112);
    EXPECT_TRUE(IsWindow(form.Get()));
}

BOOL SaverRunningMark()
{
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

TEST(SetSaverRunning, FalseMarksTheSaverRunningAndTrueClearsIt)
{
    SetSaverRunning(kFalse);
    EXPECT_TRUE(SaverRunningMark());
    SetSaverRunning(kTrue);
    EXPECT_FALSE(SaverRunningMark());
    // Any other value is a non-zero complement: a saver runs.
    SetSaverRunning(1);
    EXPECT_TRUE(SaverRunningMark());
    SetSaverRunning(kTrue);
    EXPECT_FALSE(SaverRunningMark());
}

}  // namespace
}  // namespace corvalinth
