#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "x11/options.h"
#include "x11/pixel_format.h"
#include "x11/placement.h"

namespace corvalinth::x11 {
namespace {

// One table: what parses, and what is refused with its reason.
TEST(LinuxOptions, CountsTargetsSizesAndRefusals)
{
    const struct {
        std::vector<std::string_view> args;
        const char* env;
        int count;
        Target target;
        std::uint32_t window;
        std::string says;  // the reason given, for a refusal
    } cases[] = {
        {{}, nullptr, 1000, Target::OwnWindow, 0, ""},
        {{"--count", "250", "--mono"}, nullptr, 250, Target::OwnWindow, 0, ""},
        {{"-count=0"}, nullptr, 1, Target::OwnWindow, 0, ""},  // out of range is clamped
        {{"--count", "+1001"}, nullptr, 1000, Target::OwnWindow, 0, ""},
        {{"--count", "99999999999999999999999"}, nullptr, 1000, Target::OwnWindow, 0, ""},
        {{"--root"}, nullptr, 1000, Target::Root, 0, ""},
        {{"--root"}, "", 1000, Target::Root, 0, ""},  // the daemon's variable set but empty
        // The daemon's window wins over --root; --window-id over both.
        {{"--root"}, "0x800008", 1000, Target::WindowId, 0x800008, ""},
        {{"-window-id", "4194318", "--root"}, "0x800008", 1000, Target::WindowId, 4194318, ""},
        {{"--window-id=0x2A"}, nullptr, 1000, Target::WindowId, 0x2A, ""},
        {{"--count", "12abc"}, nullptr, 0, {}, 0, "is not a number"},
        {{"--count"}, nullptr, 0, {}, 0, "needs a value"},
        {{"--mono=yes"}, nullptr, 0, {}, 0, "takes no value"},
        {{"--window-id", "0"}, nullptr, 0, {}, 0, "not a window id"},
        {{"--window-id", "0x100000000"}, nullptr, 0, {}, 0, "not a window id"},
        {{}, "garbage", 0, {}, 0, "XSCREENSAVER_WINDOW"},
        {{"--geometry", "20000x10"}, nullptr, 0, {}, 0, "WIDTHxHEIGHT"},
        {{"--geometry", "800x600+5"}, nullptr, 0, {}, 0, "WIDTHxHEIGHT"},
        {{"--geometry", "800x600+5+5x"}, nullptr, 0, {}, 0, "WIDTHxHEIGHT"},
        {{"--fps=1"}, nullptr, 0, {}, 0, "takes no value"},
        {{"--colour"}, nullptr, 0, {}, 0, "unknown option"},
        {{"stray"}, nullptr, 0, {}, 0, "unexpected argument"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseOptions(c.args, c.env);
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
        ASSERT_EQ(parsed.options.has_value(), c.says.empty()) << parsed.error;
        if (!parsed.options) {
            EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;
            continue;
        }
        EXPECT_EQ(parsed.options->count, c.count);
        EXPECT_EQ(parsed.options->target, c.target);
        EXPECT_EQ(parsed.options->windowId, c.window);
    }
    const auto sized = ParseOptions(std::vector<std::string_view>{"--geometry", "640x480", "--mono"}, nullptr);
    ASSERT_TRUE(sized.options);
    EXPECT_EQ(sized.options->width, 640);
    EXPECT_EQ(sized.options->height, 480);
    EXPECT_TRUE(sized.options->mono);
    EXPECT_FALSE(sized.options->offset);

    // X geometry with a place, and the flags every hack takes, in either dash form.
    const auto placed = ParseOptions(std::vector<std::string_view>{"-geometry=800x600-0+25", "-fps"}, nullptr);
    ASSERT_TRUE(placed.options) << placed.error;
    EXPECT_EQ(placed.options->width, 800);
    ASSERT_TRUE(placed.options->offset);
    EXPECT_EQ(placed.options->offset->x, 0);
    EXPECT_EQ(placed.options->offset->y, 25);
    EXPECT_TRUE(placed.options->offset->fromRight);
    EXPECT_FALSE(placed.options->offset->fromBottom);
    EXPECT_TRUE(placed.options->fps);
    for (const std::string_view flag : {"-h", "--help", "-version", "--version"}) {
        // Asked for help or the version, a bad daemon window does not matter.
        const auto asked = ParseOptions(std::vector<std::string_view>{flag}, "garbage");
        ASSERT_TRUE(asked.options) << flag;
        EXPECT_TRUE(flag.ends_with("version") ? asked.options->version : asked.options->help) << flag;
    }
}

TEST(ScreenshotPlacement, ScaledDownToFitOrCentred)
{
    const struct {
        int pw, ph, ww, wh;
        core::Rect expected;
    } cases[] = {
        {1920, 1080, 423, 237, {1, 0, 422, 237}},     // the preview: the height decides
        {640, 480, 1024, 768, {192, 144, 832, 624}},   // smaller: centred, not enlarged
        {4000, 10, 100, 100, {0, 49, 100, 50}},       // never thinner than a pixel
        {0, 0, 100, 100, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PicturePlacement(c.pw, c.ph, c.ww, c.wh), c.expected) << c.pw << "x" << c.ph << " in " << c.ww;

    // Halved into the middle of a 4x1 window: each window pixel is the picture
    // pixel at its centre, and the columns either side are black.
    core::PixelSurface picture(4, 2), window(4, 1, 0xFFFFFF);
    for (int x = 0; x < 4; ++x) picture.View().Set(x, 1, core::Rgb(x + 1, 0, 0));
    PlacePicture(window.View(), picture.View());
    EXPECT_EQ(window.Pixels(), (std::vector<core::Pixel>{0, core::Rgb(2, 0, 0), core::Rgb(4, 0, 0), 0}));
}

TEST(VisualPixels, ChannelOrderAlphaAndRefusals)
{
    const core::Pixel p = core::Rgb(0x12, 0x34, 0x56);
    const struct {
        VisualFacts visual;
        std::optional<std::uint32_t> wire;
    } cases[] = {
        {{true, 24, 32, 0xFF0000, 0xFF00, 0xFF}, 0x123456},
        {{true, 32, 32, 0xFF0000, 0xFF00, 0xFF}, 0xFF123456},  // opaque alpha
        {{true, 24, 32, 0xFF, 0xFF00, 0xFF0000}, 0x563412},    // blue first
        {{false, 24, 32, 0xFF0000, 0xFF00, 0xFF}, std::nullopt},
        {{true, 16, 16, 0xF800, 0x7E0, 0x1F}, std::nullopt},
        {{true, 24, 24, 0xFF0000, 0xFF00, 0xFF}, std::nullopt},  // packed 3 bytes a pixel
    };
    for (const auto& c : cases) {
        std::string why;
        const auto format = PixelFormat::For(c.visual, &why);
        ASSERT_EQ(format.has_value(), c.wire.has_value()) << why;
        if (!format) continue;
        EXPECT_EQ(format->ToWire(p), *c.wire);
        EXPECT_EQ(format->FromWire(*c.wire), p);
        std::uint32_t row[2] = {};
        const core::Pixel source[2] = {p, 0};
        format->RowToWire(row, source, 2);
        EXPECT_EQ(row[0], *c.wire);
    }
}

}  // namespace
}  // namespace corvalinth::x11
