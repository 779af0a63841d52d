#pragma once
// The desktop picture of one output, through the wlr screencopy protocol, in
// whatever shm format the compositor hands over, y-inverted or not.
#include <wayland-client.h>

#include <optional>
#include <string>

#include "core/surface.h"
#include "wlr-screencopy-client-protocol.h"

namespace corvalinth::wayland {

// What `output` shows now; nullopt, with `why` set, when the compositor gives
// no picture (or the connection breaks: the caller finds that out itself).
std::optional<core::PixelSurface> CaptureOutput(wl_display* display, zwlr_screencopy_manager_v1* manager,
                                                wl_shm* shm, wl_output* output, std::string& why);

}  // namespace corvalinth::wayland
