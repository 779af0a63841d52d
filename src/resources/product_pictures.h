#pragma once
// The pictures the program carries, made by the saver's own drawing code over a
// desktop-like scene, so they always show what the saver really draws.
// tools/make_pictures writes them into src/resources/ as BMP files, which the
// resource script embeds; a unit test keeps the files in step with this code.
#include "core/surface.h"

namespace corvalinth::resources {

constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

// A small desktop: a blue-green background, two windows with title bars and a
// task bar, scaled to the surface. When only the top `visibleRows` of the picture
// will be seen, the scene is laid out in those rows.
void DrawSampleDesktop(const core::SurfaceView& surface, int visibleRows = 0);

// The still picture of the preview box: the saver at work over the sample desktop.
core::PixelSurface MakePreviewPicture();

}  // namespace corvalinth::resources
