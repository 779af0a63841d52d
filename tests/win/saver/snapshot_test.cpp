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

}  // namespace
}  // namespace corvalinth
