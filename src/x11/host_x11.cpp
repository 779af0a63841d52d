#include "x11/host_x11.h"

#include <poll.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "linux/monotonic_clock.h"
#include "linux/placement.h"
#include "swarm/screen_geometry.h"
#include "x11/x_errors_x11.h"

namespace corvalinth::x11 {

namespace {
}  // namespace

Host::Host(Display* display, DrawTarget target, const Options& options)
    : display_(display), target_(std::move(target)), options_(options),
      presenter_(display, target_.window, PresentWayFromEnvironment())
{
    gc_ = XCreateGC(display_, target_.window, 0, nullptr);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    if (options.fps) fps_ = std::make_unique<FpsOverlay>(display_, target_.window, target_.format);
}

Host::~Host()
{
    run_.reset();
    image_.reset();
    latestImage_.reset();
    if (gc_) XFreeGC(display_, gc_);
    CloseTarget(display_, target_);
    XSync(display_, False);
}

bool Host::Build(int width, int height)
{
    // The run holds views of the surfaces: it goes first.
    run_.reset();
    image_.reset();
    startup_ = core::PixelSurface(width, height);
    linux_host::PlacePicture(startup_.View(), target_.picture.View());
    image_ = WindowImage::Create(display_, target_.visual, target_.depth, width, height);
    if (!image_) {
        Fail("cannot make an image of the window's size");
        return false;
    }
    direct_ = target_.format.SameAsSurface();
    ownDisplay_ = direct_ ? core::PixelSurface() : core::PixelSurface(width, height);
    shown_ = direct_ ? image_->Pixels() : ownDisplay_.View();
    latestImage_ = direct_ ? WindowImage::Create(display_, target_.visual, target_.depth, width, height) : nullptr;
    swarm::AnimationSettings settings;
    settings.gNum = static_cast<std::int16_t>(options_.count);
    settings.gColor = options_.mono ? 1 : 0;
    // The transition slides the window as shown now: the retained surface.
    const swarm::RunSurfaces surfaces{shown_, startup_.View(), latestImage_ ? latestImage_->Pixels() : core::SurfaceView{}};
    run_ = std::make_unique<swarm::PacedRun>(swarm::ScreenGeometry(width, height), settings, random_, clock_, surfaces,
                                             kFrameMs);
    run_->Start(linux_host::MonotonicMs());
    target_.width = width;
    target_.height = height;
    pending_.clear();
    pendingOuter_.clear();
    return true;
}

void Host::Stage(const core::Rect& r, int offsetX, const core::SurfaceView& source)
{
    if (!direct_) image_->Stage(source, r, offsetX, target_.format);
    pending_.push_back(r);
}

void Host::Take(const swarm::FrameChanges& changes)
{
    for (const core::Rect& r : changes.display) Stage(r, 0, shown_);
    for (const auto& copy : changes.outer) {
        if (latestImage_) pendingOuter_.push_back({copy.target, copy.offsetX});
        else Stage(copy.target, copy.offsetX, changes.latest);
    }
}

void Host::PresentPending()
{
    for (const OuterPut& put : pendingOuter_) latestImage_->Put(target_.window, gc_, put.target, put.offsetX);
    pendingOuter_.clear();
    presenter_.Present(*image_, gc_, pending_);
    pending_.clear();
}

void Host::Fail(const std::string& why)
{
    std::fprintf(stderr, "corvalinth: %s\n", why.c_str());
    exit_ = 1;
}

void Host::HandleError()
{
    const auto error = TakeError(display_, false);
    if (!error) return;
    // The daemon may take its window away before its signal arrives: that is
    // the end of the run, not a failure.
    const bool windowGone = (error->code == BadWindow || error->code == BadDrawable) &&
                            error->resource == target_.window && !target_.own;
    if (windowGone) exit_ = 0;
    else Fail("X error: " + ErrorText(display_, *error));
}

void Host::HandleInput(XEvent& event)
{
    switch (event.type) {
    case KeyPress: {
        // A key that types a character ends the run; Shift alone does not.
        char text[8];
        KeySym key = NoSymbol;
        if (XLookupString(&event.xkey, text, sizeof text, &key, nullptr) > 0) exit_ = 0;
        break;
    }
    case ButtonPress:
        buttonDown_ = buttonDown_ || event.xbutton.button == Button1;
        break;
    case ButtonRelease: {
        // A click is a press and a release of the left button on the window.
        const bool inside = event.xbutton.x >= 0 && event.xbutton.y >= 0 && event.xbutton.x < target_.width &&
                            event.xbutton.y < target_.height;
        if (event.xbutton.button == Button1 && std::exchange(buttonDown_, false) && inside) exit_ = 0;
        break;
    }
    default:
        break;
    }
}

void Host::Handle(XEvent& event)
{
    if (event.xany.window != target_.window) return;
    switch (event.type) {
    case Expose: {
        // Mid-slide the display lacks what went to the window straight from the latest picture.
        if (latestImage_ && run_->InTransition()) run_->RepairDisplay();
        const XExposeEvent& e = event.xexpose;
        pending_.push_back({e.x, e.y, e.x + e.width, e.y + e.height});
        break;
    }
    case ConfigureNotify:
        if (event.xconfigure.width != target_.width || event.xconfigure.height != target_.height)
            newSize_ = std::pair{event.xconfigure.width, event.xconfigure.height};
        break;
    case DestroyNotify:
        exit_ = 0;
        break;
    case ClientMessage:
        if (target_.own && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) exit_ = 0;
        break;
    default:
        if (target_.own) HandleInput(event);
        break;
    }
}

void Host::Wait(const linux_host::SignalEvents& signals, double nowMs)
{
    XFlush(display_);
    if (XEventsQueued(display_, QueuedAlready) > 0) return;
    const int timeout = std::max(0, static_cast<int>(std::ceil(run_->NextDueMs() - nowMs)));
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {signals.Descriptor(), POLLIN, 0}};
    if (::poll(fds, 2, timeout) <= 0) return;
    if ((fds[1].revents & POLLIN) && signals.Take()) exit_ = 0;
}

int Host::Run(const linux_host::SignalEvents& signals)
{
    if (!Build(target_.width, target_.height)) return *exit_;
    while (!exit_) {
        while (!exit_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            Handle(event);
        }
        HandleError();
        if (exit_) break;
        // Several size changes in a row make one restart.
        if (const auto size = std::exchange(newSize_, std::nullopt); size && !Build(size->first, size->second)) break;
        const double now = linux_host::MonotonicMs();
        if (now >= run_->NextDueMs()) {
            Take(run_->Frame(now));
            PresentPending();
            if (fps_) fps_->Frame(now, target_.height);
        }
        Wait(signals, linux_host::MonotonicMs());
    }
    return *exit_;
}

}  // namespace corvalinth::x11
