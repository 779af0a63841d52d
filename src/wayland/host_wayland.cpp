#include "wayland/host_wayland.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <utility>

#include "core/random.h"
#include "linux/run_lock.h"
#include "linux/monotonic_clock.h"
#include "linux/signal_events.h"
#include "wayland/connection_wayland.h"
#include "wayland/screencopy_wayland.h"

namespace corvalinth::wayland {

namespace {
int CompositorGone()
{
    std::fprintf(stderr, "corvalinth: the Wayland compositor went away\n");
    return 1;
}

class Host {
public:
    Host(Connection& connection, const linux_host::Options& options) : connection_(connection)
    {
        settings_.animation.gNum = static_cast<std::int16_t>(options.count);
        settings_.animation.gColor = options.mono ? 1 : 0;
        settings_.fps = options.fps;
        settings_.random = &random_;
        settings_.clock = &clock_;
    }

    int Run(const linux_host::SignalEvents& signals);

private:
    void CoverNew();
    std::optional<core::PixelSurface> Picture(Output& output);
    bool EveryoneClosed();
    std::optional<int> Wait(const linux_host::SignalEvents& signals);

    Connection& connection_;
    RunSettings settings_;
    core::SeededRandom random_;
    core::SystemClock clock_;
    bool toldNoPicture_ = false;
};


std::optional<core::PixelSurface> Host::Picture(Output& output)
{
    const Globals& globals = connection_.Bound();
    std::string why = "the compositor offers no screencopy";
    std::optional<core::PixelSurface> picture;
    if (globals.screencopy) picture = CaptureOutput(connection_.Display(), globals.screencopy, globals.shm, output.Handle(), why);
    // Said once for the compositor, or for each output it could not copy.
    if (!picture && (globals.screencopy || !std::exchange(toldNoPicture_, true)))
        std::fprintf(stderr, "corvalinth: no desktop picture of %s (%s): a dark backdrop instead\n",
                     globals.screencopy ? output.Name().c_str() : "any output", why.c_str());
    return picture;
}

// Each output's picture is taken before its own surface covers it.
void Host::CoverNew()
{
    for (const auto& output : connection_.Outputs())
        if (output->Known() && !output->Covered()) output->Cover(Picture(*output), settings_);
}

// The compositor closed every surface: the end. A surface closed because its
// output went away is not: the output's removal may come just after.
bool Host::EveryoneClosed()
{
    auto& outputs = connection_.Outputs();
    const auto closed = [](const auto& o) { return !o->Covered() || o->Closed(); };
    if (outputs.empty() || !std::any_of(outputs.begin(), outputs.end(), [](const auto& o) { return o->Closed(); }))
        return false;
    if (!std::all_of(outputs.begin(), outputs.end(), closed)) return false;
    if (wl_display_roundtrip(connection_.Display()) < 0) return false;
    return !outputs.empty() && std::all_of(outputs.begin(), outputs.end(), closed);
}

// Sleeps until the connection has news, a signal comes or the next frame is
// due; the exit status when the run is over.
std::optional<int> Host::Wait(const linux_host::SignalEvents& signals)
{
    wl_display* display = connection_.Display();
    std::optional<double> due;
    for (const auto& output : connection_.Outputs())
        if (const auto next = output->NextDueMs()) due = due ? std::min(*due, *next) : *next;
    const int timeout = due ? std::max(0, static_cast<int>(std::ceil(*due - linux_host::MonotonicMs()))) : -1;
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0) return CompositorGone();
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return CompositorGone();
    }
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {signals.Descriptor(), POLLIN, 0}};
    if (::poll(fds, 2, timeout) < 0 && errno != EINTR) {
        wl_display_cancel_read(display);
        std::perror("corvalinth: poll");
        return 1;
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        if (wl_display_read_events(display) < 0) return CompositorGone();
    } else {
        wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0) return CompositorGone();
    if ((fds[1].revents & POLLIN) && signals.Take()) return 0;
    return std::nullopt;
}

int Host::Run(const linux_host::SignalEvents& signals)
{
    for (;;) {
        CoverNew();
        if (const Input* input = connection_.SeatInput(); input && input->Ended()) return 0;
        if (EveryoneClosed()) return 0;
        if (wl_display_get_error(connection_.Display())) return CompositorGone();
        const double now = linux_host::MonotonicMs();
        for (const auto& output : connection_.Outputs()) output->Render(now);
        if (const auto status = Wait(signals)) return *status;
    }
}
}  // namespace

int RunWayland(const linux_host::Options& options)
{
    const linux_host::RunLock lock(std::getenv("XDG_RUNTIME_DIR"), std::getenv("WAYLAND_DISPLAY"));
    if (lock.HeldElsewhere()) {
        std::fprintf(stderr, "corvalinth: already running on this Wayland display\n");
        return 0;
    }
    const linux_host::SignalEvents signals;
    if (signals.Descriptor() < 0) {
        std::perror("corvalinth: signalfd");
        return 1;
    }
    std::string why;
    const auto connection = Connection::Open(why);
    if (!connection) {
        std::fprintf(stderr, "corvalinth: %s\n", why.c_str());
        return 1;
    }
    // The globals, then what each output tells of itself.
    if (wl_display_roundtrip(connection->Display()) < 0 || wl_display_roundtrip(connection->Display()) < 0)
        return CompositorGone();
    const Globals& globals = connection->Bound();
    if (!globals.compositor || !globals.shm || (!globals.layerShell && !globals.windows)) {
        std::fprintf(stderr, "corvalinth: the Wayland compositor offers no %s\n",
                     !globals.compositor ? "wl_compositor 4" : !globals.shm ? "wl_shm" : "layer shell or xdg-shell");
        return 1;
    }
    Host host(*connection, options);
    return host.Run(signals);
}

}  // namespace corvalinth::wayland
