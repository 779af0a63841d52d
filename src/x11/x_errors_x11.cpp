#include "x11/x_errors_x11.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace corvalinth::x11 {

namespace {
// Xlib calls its handlers with no user data, so the record is the one piece
// of process state here.
std::optional<XErrorRecord> g_firstError;

int RecordError(Display*, XErrorEvent* event)
{
    if (!g_firstError)
        g_firstError = XErrorRecord{event->error_code, event->resourceid, event->request_code};
    return 0;
}

int LostConnection(Display*)
{
    static const char text[] = "corvalinth: lost the connection to the X server\n";
    (void)!::write(STDERR_FILENO, text, sizeof text - 1);
    std::_Exit(1);
}
}  // namespace

void InstallErrorHandlers()
{
    XSetErrorHandler(RecordError);
    XSetIOErrorHandler(LostConnection);
}

std::optional<XErrorRecord> TakeError(Display* display, bool sync)
{
    if (sync) XSync(display, False);
    auto error = g_firstError;
    g_firstError.reset();
    return error;
}

std::string ErrorText(Display* display, const XErrorRecord& error)
{
    char text[256] = {};
    XGetErrorText(display, error.code, text, sizeof text);
    char detail[96];
    std::snprintf(detail, sizeof detail, " (request %d, resource 0x%lx)", error.request, error.resource);
    return std::string(text) + detail;
}

}  // namespace corvalinth::x11
