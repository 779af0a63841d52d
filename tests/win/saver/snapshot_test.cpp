#include "startup/snapshot_win.h"

#include <gtest/gtest.h>

#include "forms/app_win.h"
#include "forms/form_win.h"
#include "forms/screen_win.h"

namespace corvalinth {
namespace {

class Swatch : public forms::Form {
public:
    Swatch()
        : Form(forms::FormSpec{L"CorvalinthSnapshotSwatch", L"Swatch", WS_POPUP, WS_EX_TOOLWINDOW, 60, 40,
                               RGB(10, 200, 30)})
    {
    }
};

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
        ASSERT_TRUE(picture);
        bitmap = picture.Handle();
        ASSERT_TRUE(BitmapAlive(bitmap));
        forms::Picture second = picture;
        picture = {};
        EXPECT_TRUE(BitmapAlive(bitmap));  // still held by the copy
        const auto pixels = PicturePixels(second);
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->Width(), 8);
        EXPECT_EQ(pixels->Height(), 4);
        EXPECT_EQ(pixels->At(7, 3), 0u);
    }
    EXPECT_FALSE(BitmapAlive(bitmap));
}

TEST(Snapshot, WindowAndDesktopCopiesShowWhatIsOnScreen)
{
    Swatch swatch;
    swatch.Load();
    swatch.MovePixels(100, 120, 60, 40);
    swatch.Show();
    ::SetWindowPos(swatch.hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int i = 0; i < 20; ++i) {
        forms::DoEvents();
        ::Sleep(10);
    }

    const forms::Picture client = SnapWindow(swatch.hWnd(), -1, 10, 5, 20, 10);
    ASSERT_TRUE(client);
    EXPECT_EQ(client.Width(), 20);
    EXPECT_EQ(client.Height(), 10);
    EXPECT_EQ(client.PaletteHandle(), nullptr);  // true colour: no palette
    const auto pixels = PicturePixels(client);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->At(0, 0), core::Rgb(10, 200, 30));
    EXPECT_EQ(pixels->At(19, 9), core::Rgb(10, 200, 30));

    const forms::Picture desktop = SnapDesktop();
    ASSERT_TRUE(desktop);
    // Every monitor, the virtual screen's corner at the picture's origin.
    const core::Rect virtualScreen = forms::Screen::VirtualPixels();
    EXPECT_EQ(desktop.Width(), virtualScreen.Width());
    EXPECT_EQ(desktop.Height(), virtualScreen.Height());
    const auto screen = PicturePixels(desktop);
    ASSERT_TRUE(screen);
    const int dx = -virtualScreen.left, dy = -virtualScreen.top;
    EXPECT_EQ(screen->At(100 + dx, 120 + dy), core::Rgb(10, 200, 30));
    EXPECT_EQ(screen->At(159 + dx, 159 + dy), core::Rgb(10, 200, 30));
    EXPECT_NE(screen->At(160 + dx, 160 + dy), core::Rgb(10, 200, 30));
    swatch.Unload();
}

TEST(Snapshot, UnusableRequestsGiveNoPicture)
{
    EXPECT_FALSE(SnapWindow(::GetDesktopWindow(), 0, 0, 0, 0, 10));
    EXPECT_FALSE(SnapWindow(::GetDesktopWindow(), 0, 0, 0, 10, -1));
    EXPECT_FALSE(BlackPicture(0, 5));
    EXPECT_FALSE(PicturePixels(forms::Picture{}));
    // A handle that names no window: no device context, no picture, no crash.
    EXPECT_FALSE(SnapWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF1234)), -1, 0, 0, 10, 10));
}

}  // namespace
}  // namespace corvalinth
