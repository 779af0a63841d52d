#pragma once
// Where the desktop picture goes in a window of another size (the settings
// program's preview is about 423x237): a picture larger than the window is
// scaled down to fit, keeping its shape; a smaller one keeps its size; either
// is centred, and what it does not cover is black.
#include "core/surface.h"

namespace corvalinth::linux_host {

// The rectangle of the window the picture covers.
core::Rect PicturePlacement(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

// Fills `window` with the placed picture (nearest pixel), black elsewhere.
void PlacePicture(const core::SurfaceView& window, const core::SurfaceView& picture);

}  // namespace corvalinth::linux_host
