#include "resources/product_pictures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

}  // namespace
}  // namespace corvalinth::resources
