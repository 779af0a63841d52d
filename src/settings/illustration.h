#pragma once
// The picture in the settings dialog: the saver at work over a small desktop,
// drawn by the saver's own code. The dialog's box shows the top 217 rows, so
// everything worth seeing is there.
#include "core/surface.h"

namespace corvalinth::settings {

inline constexpr int kIllustrationVisibleRows = 217;

// 300 x 285 pixels; the same picture every time.
core::PixelSurface MakeIllustration();

}  // namespace corvalinth::settings
