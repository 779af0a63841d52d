#include "resources/product_pictures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "core/bmp.h"

namespace corvalinth::resources {
namespace {

std::vector<std::uint8_t> ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProductPictures, CommittedPreviewIsWhatTheToolMakes)
{
    const auto stored = ReadFile(CORVALINTH_SOURCE_DIR "/src/resources/preview.bmp");
    ASSERT_FALSE(stored.empty()) << "run build/native/make_pictures src/resources";
    const auto decoded = core::DecodeBmp(stored);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(*decoded == MakePreviewPicture()) << "stale: run build/native/make_pictures src/resources";
}

TEST(Bmp, RoundTripsAndRejectsDamage)
{
    core::PixelSurface s(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) s.View().Set(x, y, core::Rgb(x * 40, y * 80, 200 - x));
    auto bytes = core::EncodeBmp24(s.View());
    EXPECT_EQ(bytes.size(), 54u + 16u * 3u);  // rows padded to four bytes
    const auto back = core::DecodeBmp(bytes);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == s);
    auto truncated = bytes;
    truncated.resize(70);
    EXPECT_FALSE(core::DecodeBmp(truncated));
    auto wrongDepth = bytes;
    wrongDepth[28] = 8;
    EXPECT_FALSE(core::DecodeBmp(wrongDepth));
    EXPECT_FALSE(core::DecodeBmp(std::vector<std::uint8_t>(10, 'B')));
}

}  // namespace
}  // namespace corvalinth::resources
