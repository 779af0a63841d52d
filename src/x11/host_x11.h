#pragma once
// The run: the swarm over the desktop picture in one window, one event loop
// that waits on the X connection and the signals until the paced run's next
// frame is due (60 a second at most), and presents what that frame changed.
#include "x11/xlib_x11.h"

#include <memory>
#include <optional>
#include <vector>

#include "core/random.h"
#include "core/surface.h"
#include "linux/options.h"
#include "linux/signal_events.h"
#include "swarm/paced_run.h"
#include "x11/fps_overlay_x11.h"
#include "x11/presenter_x11.h"
#include "x11/target_x11.h"
#include "x11/window_image_x11.h"

namespace corvalinth::x11 {

using linux_host::Options;

constexpr double kFrameMs = 1000.0 / 60;

class Host {
public:
    Host(Display* display, DrawTarget target, const Options& options);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Runs until a signal, the end of input on its own window, the window
    // going away or a failure; returns the exit status.
    int Run(const linux_host::SignalEvents& signals);

private:
    bool Build(int width, int height);
    void Take(const swarm::FrameChanges& changes);
    // Marks `r` to be sent to the window, first copying it from `source` (read
    // `offsetX` to the left) into the image when the image is not the display.
    void Stage(const core::Rect& r, int offsetX, const core::SurfaceView& source);
    void PresentPending();
    void Handle(XEvent& event);
    void HandleInput(XEvent& event);
    void HandleError();
    void Wait(const linux_host::SignalEvents& signals, double nowMs);
    void Fail(const std::string& why);

    Display* display_;
    DrawTarget target_;
    Options options_;
    Presenter presenter_;
    GC gc_ = nullptr;
    Atom deleteWindow_ = None;
    core::PixelSurface startup_;
    // What the window shows. Where the window takes surface pixels as they are
    // (the usual 24-bit visual) it is the window image itself, so a tick writes
    // its dots once; otherwise it is `ownDisplay_`, copied into the image.
    core::SurfaceView shown_;
    core::PixelSurface ownDisplay_;
    bool direct_ = false;
    std::unique_ptr<WindowImage> image_;
    // The screen as the transition found it, where the display is the window
    // image: an image too, so the slide's outer parts go to the window
    // straight from it instead of being copied into the display every frame.
    std::unique_ptr<WindowImage> latestImage_;
    struct OuterPut {
        core::Rect target;
        int offsetX;
    };
    std::vector<OuterPut> pendingOuter_;
    core::SeededRandom random_;
    core::SystemClock clock_;
    std::unique_ptr<swarm::PacedRun> run_;
    std::vector<core::Rect> pending_;
    std::optional<std::pair<int, int>> newSize_;
    bool buttonDown_ = false;
    std::optional<int> exit_;
    std::unique_ptr<FpsOverlay> fps_;  // with --fps
};

// The whole program after its arguments are read: 0 on a normal end, 1 when
// the display or the window cannot be used. Where nothing can be drawn (see
// OpenedTarget) it says so and waits to be ended: 0.
int RunHost(const Options& options);

}  // namespace corvalinth::x11
