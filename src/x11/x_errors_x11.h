#pragma once
// X protocol errors are recorded rather than left to Xlib's default, which
// prints and ends the process: a window that does not exist, a shared memory
// segment the server cannot reach and a screenshot that went away are all
// things this program answers itself.
#include "x11/xlib_x11.h"

#include <optional>
#include <string>

namespace corvalinth::x11 {

struct XErrorRecord {
    int code = 0;
    unsigned long resource = 0;
    int request = 0;
};

// Process-wide, once. A lost connection prints a line and exits with status 1.
void InstallErrorHandlers();

// The first error recorded since the last call; with `sync`, after the server
// has answered everything sent so far.
std::optional<XErrorRecord> TakeError(Display* display, bool sync);

std::string ErrorText(Display* display, const XErrorRecord& error);

}  // namespace corvalinth::x11
