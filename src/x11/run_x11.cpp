#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "x11/host_x11.h"
#include "x11/x_errors_x11.h"

namespace corvalinth::x11 {

namespace {
struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

// Draws nothing and sleeps until a signal, or until `window` (when given) goes
// away; then a normal end.
int Idle(Display* display, Window window, const linux_host::SignalEvents& signals)
{
    if (window) XSelectInput(display, window, StructureNotifyMask);
    for (;;) {
        XFlush(display);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == DestroyNotify && event.xdestroywindow.window == window) return 0;
        }
        // Not even there any more (BadWindow): as good as gone.
        if (window && TakeError(display, false)) return 0;
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {signals.Descriptor(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return 1;
        if ((fds[1].revents & POLLIN) && signals.Take()) return 0;
    }
}
}  // namespace

int RunHost(const Options& options)
{
    // SIGTERM (the daemon's way to end a program) and SIGINT arrive as readable
    // data in the event loop, which then ends the run as it would on a click.
    const linux_host::SignalEvents signals;
    if (signals.Descriptor() < 0) {
        std::perror("corvalinth: signalfd");
        return 1;
    }
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "corvalinth: cannot open display '%s'\n", name ? name : "");
        return 1;
    }
    InstallErrorHandlers();
    OpenedTarget opened = OpenTarget(display.get(), options);
    if (opened.idle) {
        std::fprintf(stderr, "corvalinth: %s; drawing nothing until ended\n", opened.error.c_str());
        const int status = Idle(display.get(), opened.target ? opened.target->window : 0, signals);
        if (opened.target) CloseTarget(display.get(), *opened.target);
        return status;
    }
    if (!opened.target) {
        std::fprintf(stderr, "corvalinth: %s\n", opened.error.c_str());
        return 1;
    }
    Host host(display.get(), std::move(*opened.target), options);
    return host.Run(signals);
}

}  // namespace corvalinth::x11
