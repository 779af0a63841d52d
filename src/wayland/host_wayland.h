#pragma once
// The run on Wayland: every output covered by a surface of its own with its
// own swarm, each presenting what its paced run hands it once per frame
// callback; one event loop waits on the connection and the signals.
#include "linux/options.h"

namespace corvalinth::wayland {

// The whole run after the arguments are read: 0 on a normal end (a click, a
// typed character, a signal, every surface closed, another run already on this
// display), 1 when the compositor cannot be used or goes away.
int RunWayland(const linux_host::Options& options);

}  // namespace corvalinth::wayland
