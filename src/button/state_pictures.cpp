#include "button/state_pictures.h"

#include <algorithm>

namespace corvalinth::button {

namespace {

using core::Pixel;
using core::Rgb;

constexpr Pixel kBeigeTop = Rgb(220, 214, 194), kBeigeLeft = Rgb(226, 222, 203),
                kBeigeBottom = Rgb(250, 250, 246), kBeigeRight = Rgb(240, 238, 224);
constexpr Pixel kDarkBlue = Rgb(0, 60, 116);
constexpr RingColours kBeigeRing{kBeigeTop, kBeigeLeft, kBeigeBottom, kBeigeRight};
constexpr RingColours kBlueRing{kDarkBlue, kDarkBlue, kDarkBlue, kDarkBlue};

constexpr RingColours Plain(Pixel p) { return {p, p, p, p}; }

const StatePictureRings kNormal{{
    kBeigeRing,
    kBlueRing,
    {Rgb(243, 243, 238), Rgb(243, 243, 238), Rgb(214, 208, 197), Rgb(232, 229, 223), true},
    {Rgb(243, 243, 238), Rgb(243, 243, 238), Rgb(214, 208, 197), Rgb(232, 229, 223), true},
}};

const StatePictureRings kHighLight{{
    kBeigeRing,
    kBlueRing,
    {Rgb(255, 240, 207), Rgb(252, 202, 105), Rgb(229, 151, 0), Rgb(252, 202, 105)},
    {Rgb(253, 216, 137), Rgb(252, 202, 105), Rgb(248, 179, 48), Rgb(252, 202, 105)},
}};

// The border sits one pixel further in.
const StatePictureRings kPressed{{
    Plain(Rgb(236, 233, 216)),
    kBeigeRing,
    kBlueRing,
    {Rgb(209, 204, 193), Rgb(209, 204, 193), Rgb(242, 241, 238), Rgb(209, 204, 193), true},
}};

const StatePictureRings kDisable{{
    Plain(Rgb(236, 233, 216)),
    Plain(Rgb(201, 199, 186)),
    Plain(Rgb(245, 244, 234)),
    Plain(Rgb(245, 244, 234)),
}};

const StatePictureRings kSelected{{
    kBeigeRing,
    kBlueRing,
    {Rgb(206, 231, 255), Rgb(169, 197, 239), Rgb(105, 130, 238), Rgb(169, 197, 239)},
    {Rgb(206, 231, 255), Rgb(169, 197, 239), Rgb(105, 130, 238), Rgb(169, 197, 239)},
}};

Pixel Mix(Pixel a, Pixel b, int weightB, int total)
{
    auto channel = [&](int ca, int cb) { return (ca * (total - weightB) + cb * weightB + total / 2) / total; };
    return Rgb(channel(core::RedOf(a), core::RedOf(b)), channel(core::GreenOf(a), core::GreenOf(b)),
               channel(core::BlueOf(a), core::BlueOf(b)));
}

}  // namespace

const StatePictureRings& RingsOf(StatePicture picture)
{
    switch (picture) {
        case StatePicture::Normal: return kNormal;
        case StatePicture::HighLight:
        case StatePicture::HighLightSelect: return kHighLight;  // the same image
        case StatePicture::Pressed: return kPressed;
        case StatePicture::Disable: return kDisable;
        case StatePicture::Selected: return kSelected;
    }
    return kNormal;
}

core::PixelSurface MakeStatePicture(StatePicture picture)
{
    constexpr int w = kPictureWidthPixels, h = kPictureHeightPixels;
    const StatePictureRings& look = RingsOf(picture);
    core::PixelSurface out(w, h, look.rings[3].top);
    const core::SurfaceView view = out.View();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int fromLeft = x, fromTop = y, fromRight = w - 1 - x, fromBottom = h - 1 - y;
            const int ring = std::min({fromLeft, fromTop, fromRight, fromBottom});
            if (ring >= 4) continue;
            const RingColours& c = look.rings[ring];
            const int span = h - 1 - 2 * ring;
            auto side = [&](bool leftSide) {
                if (c.shadeSides) return Mix(c.top, c.bottom, y - ring, span);
                return leftSide ? c.left : c.right;
            };
            const bool vertical = fromTop == ring || fromBottom == ring;
            const bool horizontal = fromLeft == ring || fromRight == ring;
            Pixel p;
            if (vertical && horizontal) {
                // A ring's corner blends its two sides; the outer ring's corners are
                // also drawn toward the next ring so the button looks rounded.
                p = Mix(fromTop == ring ? c.top : c.bottom, side(fromLeft == ring), 1, 2);
                if (ring == 0) p = Mix(p, look.rings[1].top, 1, 2);
            } else if (fromTop == ring) {
                p = c.top;
            } else if (fromBottom == ring) {
                p = c.bottom;
            } else {
                p = side(fromLeft == ring);
            }
            view.Set(x, y, p);
        }
    }
    return out;
}

}  // namespace corvalinth::button
