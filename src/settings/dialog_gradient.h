#pragma once
// The settings dialog's background: a vertical gradient from dark blue at the top
// through a pale lavender in the middle back to dark blue at the bottom.
//
// The form measures in twips, so the gradient is defined per twips row; many
// twips rows fall on one pixel row, and the last one drawn there is what shows.
// We compute that colour once per pixel row.
#include <vector>

#include "core/surface.h"

namespace corvalinth::settings {

// The colour the gradient gives twips row y of a form `scaleHeight` twips high.
core::Pixel GradientColorAt(double y, double scaleHeight);

// One colour per pixel row of a client area `heightPixels` high at
// `twipsPerPixel` (15 at 96 DPI). Empty for a zero or negative height.
std::vector<core::Pixel> GradientRows(int heightPixels, double twipsPerPixel);

// Fills every row of the surface with its colour from `rows` (the last colour
// repeats if the surface is taller).
void PaintRows(const core::SurfaceView& surface, const std::vector<core::Pixel>& rows);

}  // namespace corvalinth::settings
