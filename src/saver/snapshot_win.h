#pragma once
// Pictures of what the screen shows, for the saver's background and for each
// transition.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/surface.h"
#include "forms/picture_win.h"

namespace corvalinth {

// Every monitor as it looks now, windows of this program included: the virtual
// screen, its top-left corner at the picture's origin. Its pixel size comes from
// the screen's own geometry.
forms::Picture SnapDesktop();

// A width x height rectangle at (left, top) of a window's client area
// (clientArea non-zero) or of the whole window with its frame. On a 256-colour
// palette display the picture carries the system palette of the moment.
forms::Picture SnapWindow(HWND source, std::int16_t clientArea, int left, int top, int width,
                          int height);

// Wraps a bitmap and an optional palette as a picture that owns both; an empty
// picture (and nothing leaked) if the platform refuses.
forms::Picture PictureFromBitmap(HBITMAP bitmap, HPALETTE palette);

// A black picture of the given size, what the saver runs over when no
// snapshot can be made.
forms::Picture BlackPicture(int width, int height);

// The pixels of a picture that holds a 32-bit top-down DIB section (what the
// snapshots above make on true-colour displays), for portable drawing code;
// nothing for other pictures, or while the bitmap is selected into a DC.
std::optional<core::SurfaceView> PicturePixels(const forms::Picture& picture);

}  // namespace corvalinth
