#include "x11/x_errors_x11.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace corvalinth::x11 {

namespace {
// Xlib calls its handlers with no user data, so the records are the one piece
// of process state here. Every loop turn and every check takes them, so a few
// suffice: a flood keeps its first ones and the latest, which is the one a
// check waiting on its own request needs.
std::vector<XErrorRecord> g_errors;
constexpr std::size_t kKeptErrors = 16;

int RecordError(Display*, XErrorEvent* event)
{
    const XErrorRecord record{event->error_code, event->resourceid, event->request_code, event->serial};
    if (g_errors.size() < kKeptErrors) g_errors.push_back(record);
    else g_errors.back() = record;
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
    std::optional<XErrorRecord> error;
    if (!g_errors.empty()) error = g_errors.front();
    g_errors.clear();
    return error;
}

std::optional<XErrorRecord> ErrorTrap::Check()
{
    XSync(display_, False);
    // Serials only grow; the difference also holds across a wrap of 32 bits.
    const auto ours = [this](const XErrorRecord& e) { return static_cast<long>(e.serial - first_) >= 0; };
    std::optional<XErrorRecord> error;
    if (const auto it = std::find_if(g_errors.begin(), g_errors.end(), ours); it != g_errors.end()) error = *it;
    std::erase_if(g_errors, ours);
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
