#pragma once
// The pictures the program carries, made by the saver's own drawing code over a
// desktop-like scene, so they always show what the saver really draws.
// tools/make_pictures writes them into src/resources/ as BMP files, which the
// resource script embeds; a unit test keeps the files in step with this code.
#include <cstdint>

#include "core/surface.h"

namespace corvalinth::resources {

constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

// A small desktop: a blue-green background, two windows with title bars and a
// task bar, scaled to the surface. When only the top `visibleRows` of the picture
// will be seen, the scene is laid out in those rows.
void DrawSampleDesktop(const core::SurfaceView& surface, int visibleRows = 0);

// The saver at work over the sample desktop: `count` dots drawn for `ticks`
// ticks, one-pixel pen, the same picture for the same arguments.
core::PixelSurface MakeSwarmPicture(int width, int height, int visibleRows, std::int16_t count, int ticks);

// The still picture of the preview box.
core::PixelSurface MakePreviewPicture();

}  // namespace corvalinth::resources
