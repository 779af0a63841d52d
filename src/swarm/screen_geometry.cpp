#include "swarm/screen_geometry.h"

#include <algorithm>

#include "core/number_rules.h"

namespace corvalinth::swarm {

namespace {
double TwipsPerPixel(int dpi)
{
    if (dpi < 1 || dpi > 10000) dpi = 96;
    return 1440.0 / dpi;
}

// Twips are whole numbers, as the screen reports them; a fractional size would
// make the wrap rule send a particle leaving at the left to 0 instead of the edge.
float WholeTwips(int pixels, double twipsPerPixel)
{
    return static_cast<float>(core::RoundHalfEven(pixels * twipsPerPixel));
}
}  // namespace

ScreenGeometry::ScreenGeometry(int widthPixels, int heightPixels, int dpiX, int dpiY)
    : widthPixels_(std::clamp(widthPixels, 0, 32767)),
      heightPixels_(std::clamp(heightPixels, 0, 32767)),
      twipsPerPixelX_(TwipsPerPixel(dpiX)),
      twipsPerPixelY_(TwipsPerPixel(dpiY)),
      displayWidth_(WholeTwips(widthPixels_, twipsPerPixelX_)),
      displayHeight_(WholeTwips(heightPixels_, twipsPerPixelY_))
{
}

}  // namespace corvalinth::swarm
