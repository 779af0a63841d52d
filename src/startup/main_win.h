#pragma once
#include <cstdint>
#include <string_view>

namespace corvalinth {

// The program's start-up: refuses to run beside its own saver window or settings
// dialog, decides the mode from the command line and hands over to the window of
// that mode. Returns the process exit code.
int Main();

// This process's argument text: the command line without the program's path.
std::wstring_view ProgramArgumentText();

// Tells the system whether a screen saver is running, with the inverted 16-bit
// Boolean the rest of the program uses: False (0) marks a saver as running,
// True (-1) clears the mark.
void SetSaverRunning(std::int16_t flag);

}  // namespace corvalinth
