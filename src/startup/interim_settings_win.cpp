// Stands in for the settings dialog until it is built: it closes at once.
#include "startup/handover_win.h"

namespace corvalinth {
int RunSettingsDialog() { return 0; }
}  // namespace corvalinth
