#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "linux/options.h"
#include "linux/pixel_format.h"
#include "linux/placement.h"

namespace corvalinth::linux_host {
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
        {{"--count", "250", "--geometry", "640x480"}, nullptr, 250, Target::OwnWindow, 0, ""},
        {{"-count=0"}, nullptr, 1, Target::OwnWindow, 0, ""},  // out of range is clamped
        {{"--count", "+1001"}, nullptr, 1000, Target::OwnWindow, 0, ""},
        {{"--count", "99999999999999999999999"}, nullptr, 1000, Target::OwnWindow, 0, ""},
        {{"--root"}, nullptr, 1000, Target::Root, 0, ""},
        // The daemon's window wins over --root; --window-id over both.
        {{"--root"}, "0x800008", 1000, Target::WindowId, 0x800008, ""},
        {{"-window-id", "4194318", "--root"}, "0x800008", 1000, Target::WindowId, 4194318, ""},
        {{"--window-id=0x2A"}, nullptr, 1000, Target::WindowId, 0x2A, ""},
        {{"--count"}, nullptr, 0, {}, 0, "needs a value"},
        {{"--mono=yes"}, nullptr, 0, {}, 0, "takes no value"},
        {{"--window-id", "0"}, nullptr, 0, {}, 0, "not a window id"},
        {{"--window-id", "0x100000000"}, nullptr, 0, {}, 0, "not a window id"},
        {{}, "garbage", 0, {}, 0, "XSCREENSAVER_WINDOW"},
        {{"--geometry", "20000x10"}, nullptr, 0, {}, 0, "WIDTHxHEIGHT"},
        {{"--geometry", "800x600+5"}, nullptr, 0, {}, 0, "WIDTHxHEIGHT"},
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
    // X geometry with a place, and the flags every hack takes, in either dash form.
    const auto placed = ParseOptions(std::vector<std::string_view>{"-geometry=800x600-0+25", "-fps"}, nullptr);
    ASSERT_TRUE(placed.options) << placed.error;
    EXPECT_EQ(placed.options->width, 800);
    ASSERT_TRUE(placed.options->offset);
    EXPECT_EQ(placed.options->offset->x, 0);
    EXPECT_EQ(placed.options->offset->y, 25);
    EXPECT_TRUE(placed.options->offset->fromRight);
    EXPECT_FALSE(placed.options->offset->fromBottom);
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

// Every depth and mask: one colour's bytes in the image, in its byte order,
// and every component of the model's colours (0..254) back within half a step
// of the coarsest channel (exactly from 8 bits up).
TEST(VisualPixels, EveryDepthMaskAndByteOrderRoundTrips)
{
    using K = VisualKind;
    const core::Pixel p = core::Rgb(0x12, 0x34, 0x56);
    const struct {
        VisualFacts visual;
        std::vector<int> stored;  // p's bytes in the image
    } cases[] = {
        {{K::TrueColour, 24, 32, 0xFF0000, 0xFF00, 0xFF, false}, {0x56, 0x34, 0x12, 0}},
        {{K::TrueColour, 32, 32, 0xFF0000, 0xFF00, 0xFF, false}, {0x56, 0x34, 0x12, 0xFF}},  // opaque alpha
        {{K::TrueColour, 24, 32, 0xFF, 0xFF00, 0xFF0000, true}, {0, 0x56, 0x34, 0x12}},      // BGR, MSB first
        {{K::TrueColour, 24, 24, 0xFF0000, 0xFF00, 0xFF, true}, {0x12, 0x34, 0x56}},          // packed
        {{K::TrueColour, 16, 16, 0xF800, 0x7E0, 0x1F, false}, {0xAA, 0x11}},                  // 5-6-5
        {{K::DirectColour, 16, 16, 0xF800, 0x7E0, 0x1F, true}, {0x11, 0xAA}},
        {{K::TrueColour, 15, 16, 0x7C00, 0x3E0, 0x1F, false}, {0xCA, 0x08}},                  // 5-5-5
        {{K::TrueColour, 30, 32, 0x3FF, 0xFFC00, 0x3FF00000, false}, {0x48, 0x44, 0x93, 0x15}},  // BGR 10-10-10
        {{K::TrueColour, 8, 8, 0x7, 0x38, 0xC0, false}, {0x48}},                                // 3-3-2
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Describe(c.visual) + " red mask " + std::to_string(c.visual.redMask));
        const auto format = PixelFormat::For(c.visual);
        ASSERT_TRUE(format);
        std::vector<std::byte> row(c.stored.size() + 1, std::byte{0x77});
        format->RowToWire(row.data(), &p, 1);
        for (std::size_t i = 0; i < row.size(); ++i)
            EXPECT_EQ(std::to_integer<int>(row[i]), i < c.stored.size() ? c.stored[i] : 0x77) << i;
        const int most = (1 << std::min(format->CoarsestChannel(), 8)) - 1, tolerance = 255 / most / 2;
        for (int v = 0; v <= 254; ++v) {
            const core::Pixel back = format->FromWire(format->ToWire(core::Rgb(v, v, 254 - v)));
            ASSERT_LE(std::abs(core::RedOf(back) - v) + std::abs(core::GreenOf(back) - v), 2 * tolerance) << v;
            ASSERT_LE(std::abs(core::BlueOf(back) - (254 - v)), tolerance) << v;
        }
        EXPECT_EQ(format->SameAsSurface(), &c == &cases[0]);
    }
    for (const VisualFacts& refused : {VisualFacts{K::PseudoColour, 8, 8}, VisualFacts{K::StaticGrey, 8, 8},
                                       VisualFacts{K::TrueColour, 16, 16, 0xF00F, 0x7E0, 0x1F},  // split mask
                                       VisualFacts{K::TrueColour, 24, 16, 0xFF0000, 0xFF00, 0xFF}}) {
        std::string why;
        EXPECT_FALSE(PixelFormat::For(refused, &why));
        EXPECT_NE(why.find(Describe(refused)), std::string::npos) << why;
    }
    // An own window: no alpha first, then the most colour, then the screen's own.
    const VisualFacts deep{K::TrueColour, 32, 32, 0xFF0000, 0xFF00, 0xFF}, high{K::TrueColour, 16, 16, 0xF800, 0x7E0, 0x1F};
    const VisualFacts ten{K::TrueColour, 30, 32, 0x3FF, 0xFFC00, 0x3FF00000}, mapped{K::PseudoColour, 8, 8};
    EXPECT_EQ(BestVisual(std::vector{deep, high, mapped}, 2), 1u);
    EXPECT_EQ(BestVisual(std::vector{high, ten, high}, 2), 1u);
    EXPECT_EQ(BestVisual(std::vector{mapped}, 0), std::nullopt);
}

}  // namespace
}  // namespace corvalinth::linux_host
