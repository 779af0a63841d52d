#pragma once
// The compositor's globals this program binds.
#include <wayland-client.h>

#include "wlr-layer-shell-client-protocol.h"
#include "wlr-screencopy-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace corvalinth::wayland {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;  // absent on GNOME and weston: full-screen toplevels instead
    xdg_wm_base* windows = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;  // absent: no desktop picture
};

}  // namespace corvalinth::wayland
