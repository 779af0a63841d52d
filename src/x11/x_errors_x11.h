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
    unsigned long serial = 0;  // of the request that failed
};

// Process-wide, once. A lost connection prints a line and exits with status 1.
void InstallErrorHandlers();

// The first error recorded since the last call, of any request; with `sync`,
// after the server has answered everything sent so far. The rest go with it.
std::optional<XErrorRecord> TakeError(Display* display, bool sync);

// Catches the errors of the requests made while it lives, and only those: an
// error of an earlier request (a window gone before XSelectInput reached the
// server) stays recorded for TakeError.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display), first_(NextRequest(display)) {}
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // After the server has answered everything sent so far: the first error
    // of the requests made since the trap was set.
    std::optional<XErrorRecord> Check();

private:
    Display* display_;
    unsigned long first_;
};

std::string ErrorText(Display* display, const XErrorRecord& error);

}  // namespace corvalinth::x11
