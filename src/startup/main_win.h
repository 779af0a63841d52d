#pragma once

namespace corvalinth {

// The program's start-up: refuses to run beside its own saver window or settings
// dialog, decides the mode from the command line and hands over to the window of
// that mode. Returns the process exit code.
int Main();

}  // namespace corvalinth
