#pragma once
// A small built-in font for figures (the frame rate and the load): digits,
// a few capitals and signs, 3x5 pixels each, for hosts that have no font of
// their own to write with. White on black, so it reads over any picture.
#include <span>
#include <string>
#include <string_view>

#include "core/surface.h"

namespace corvalinth::core {

// Pixels a character takes across (its glyph and the gap after it) and a line
// takes down, at scale 1.
constexpr int kGlyphAdvance = 4;
constexpr int kLineAdvance = 7;

// Writes `lines` from `left` on a black box whose bottom is `bottom`, with a
// margin of one font pixel; each font pixel is `scale` pixels square. A character the font lacks shows as a blank. Returns the rectangle
// written, clipped to the surface.
Rect DrawLines(const SurfaceView& surface, int left, int bottom, std::span<const std::string> lines, int scale = 1);

}  // namespace corvalinth::core
