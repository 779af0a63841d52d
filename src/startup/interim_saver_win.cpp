// Stands in for the saver window until it is built: the run ends at once.
#include "startup/handover_win.h"

namespace corvalinth {
int RunSaverWindow() { return 0; }
}  // namespace corvalinth
