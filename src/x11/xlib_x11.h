#pragma once
// Xlib, without its DisplayWidth and DisplayHeight macros: they would rewrite
// the model's ScreenGeometry members of those names (use XDisplayWidth).
#include <X11/Xlib.h>

#undef DisplayWidth
#undef DisplayHeight
