#include "button/button_geometry.h"

#include "core/number_rules.h"

namespace corvalinth::button {

namespace {
constexpr int kCorner = 60;
constexpr int kSourceMiddleWidth = 840;   // 960 - 120
constexpr int kSourceMiddleHeight = 255;  // 375 - 120
constexpr int kSourceRight = 900;
constexpr int kSourceBottom = 315;

void Assign(std::int16_t& field, std::optional<std::int16_t> value)
{
    if (value) field = *value;
}
}  // namespace

void UpdateFrameGeometry(FrameGeometry& g, double widthTwips, double heightTwips)
{
    Assign(g.middleWidth, core::ToInt16(widthTwips - 120.0));
    Assign(g.middleHeight, core::ToInt16(heightTwips - 120.0));
    Assign(g.rightX, core::ToInt16(kCorner + static_cast<double>(g.middleWidth)));
    Assign(g.bottomY, core::ToInt16(kCorner + static_cast<double>(g.middleHeight)));
}

std::array<FrameSlice, 8> FrameSlices(const FrameGeometry& g)
{
    const int mw = g.middleWidth, mh = g.middleHeight, right = g.rightX, bottom = g.bottomY;
    return {{
        {{0, 0, kCorner, kCorner}, {1, 1, kCorner, kCorner}},
        {{kCorner, 1, kSourceMiddleWidth, kCorner}, {kCorner, 1, mw, kCorner}},
        {{kSourceRight, 1, kCorner, kCorner}, {right, 1, kCorner, kCorner}},
        {{kSourceRight, kCorner, kCorner, kSourceMiddleHeight}, {right, kCorner, kCorner, mh}},
        {{kSourceRight, kSourceBottom, kCorner, kCorner}, {right, bottom, kCorner, kCorner}},
        {{kCorner, kSourceBottom, kSourceMiddleWidth, kCorner}, {kCorner, bottom, mw, kCorner}},
        {{0, kSourceBottom, kCorner, kCorner}, {1, bottom, kCorner, kCorner}},
        {{1, kCorner, kCorner, kSourceMiddleHeight}, {1, kCorner, kCorner, mh}},
    }};
}

PixelRect ToPixels(const TwipsRect& r, double tppX, double tppY)
{
    return {core::NearestInt32(r.x / tppX), core::NearestInt32(r.y / tppY),
            core::NearestInt32(r.width / tppX), core::NearestInt32(r.height / tppY)};
}

double CaptionTop(double heightTwips, double labelHeightTwips)
{
    return (heightTwips - labelHeightTwips - 20.0) / 2.0;
}

}  // namespace corvalinth::button
