#pragma once
// How the saver maps particle positions (screen twips) to screen pixels.
//
// The screen's pixel size comes from the platform's own geometry, never from
// twips divided by the twips-per-pixel factor: above 100 % scaling that factor
// is not a whole number (8.57 at 168 DPI, 7.5 at 192 DPI) and the division gets
// the pixel size wrong. The factor T = 1440 / DPI is used only to map positions.
#include <cstdint>

#include "core/number_rules.h"

namespace corvalinth::swarm {

class ScreenGeometry {
public:
    // A DPI outside 1..10000 is treated as 96; negative sizes as 0.
    ScreenGeometry(int widthPixels, int heightPixels, int dpiX = 96, int dpiY = 96);

    int WidthPixels() const { return widthPixels_; }   // ScreenW
    int HeightPixels() const { return heightPixels_; }  // ScreenH
    double TwipsPerPixelX() const { return twipsPerPixelX_; }
    double TwipsPerPixelY() const { return twipsPerPixelY_; }

    // Display's width and height in its own units: the screen in whole twips.
    // A particle whose X equals DisplayWidth lies on the screen's right edge.
    float DisplayWidth() const { return displayWidth_; }
    float DisplayHeight() const { return displayHeight_; }

    // The pixel a particle position is drawn at: nearest(X / T).
    // Inline: the draw loop places every particle on every tick.
    int PixelX(std::int32_t x) const { return Pixel(x, twipsPerPixelX_); }
    int PixelY(std::int32_t y) const { return Pixel(y, twipsPerPixelY_); }

private:
    static int Pixel(std::int32_t twips, double twipsPerPixel)
    {
        // Positions go through single precision, as the runtime keeps them.
        const double value = static_cast<double>(static_cast<float>(twips)) / twipsPerPixel;
        return value > -1e9 && value < 1e9 ? core::NearestSmallInt32(value) : core::NearestInt32(value);
    }

    int widthPixels_, heightPixels_;
    double twipsPerPixelX_, twipsPerPixelY_;
    float displayWidth_, displayHeight_;
};

}  // namespace corvalinth::swarm
