#include "saver/snapshot_win.h"

#include <gtest/gtest.h>

namespace corvalinth {
namespace {

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
        EXPECT_EQ(pixels->At(7, 3), 0u);
    }
    EXPECT_FALSE(BitmapAlive(bitmap));
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
