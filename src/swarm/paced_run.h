#pragma once
// The run as every event-loop host drives it (the X11 window, Wayland's
// surfaces, the page): the host feeds in the time and presents what a frame
// hands it; the pacing is here, the same for all of them.
//
// The swarm ticks 100 times a second from the host's clock, whatever the frame
// rate. A late frame (a busy machine, a page that was hidden, a host that
// slept through) runs at most kMostTicksPerFrame of the ticks it owes and drops
// the rest, counting again from now: the swarm keeps its speed down to 20
// frames a second, and below that slows down rather than bursting, which would
// jump every trail at once and stall the frame that catches up. During the
// transition every frame takes one step of the slide while the swarm waits;
// after it the swarm goes on from now.
#include <cstdint>
#include <vector>

#include "core/random.h"
#include "core/surface.h"
#include "swarm/animation.h"
#include "swarm/screen_geometry.h"
#include "swarm/split_screen.h"

namespace corvalinth::swarm {

constexpr double kTickMs = 10.0;
constexpr int kMostTicksPerFrame = 5;

// The host's pixels; the run holds views of them until Reshape or its end.
struct RunSurfaces {
    core::SurfaceView display;  // what the window shows, kept up to date
    core::SurfaceView startup;  // the start-up picture, which Cls restores
    // Where the transition keeps the screen as it found it, for a host that
    // presents straight from its own image of it; empty: the run keeps a copy.
    core::SurfaceView latest;
};

// What one frame changed on the screen, to present in one go.
struct FrameChanges {
    std::vector<core::Rect> display;  // to show from the display surface
    // To show straight from `latest`, each at its x offset (a slide step).
    std::vector<SplitScreen::OuterCopy> outer;
    core::SurfaceView latest;
    bool Empty() const { return display.empty() && outer.empty(); }
};

class PacedRun {
public:
    // frameMs: the least time between two frames, for a host that sleeps until
    // NextDueMs (X11); 0 for a host whose frames come from the display (a frame
    // callback, an animation frame), every call then being a frame.
    // settings.frameMs is not used: the slide steps once per frame.
    PacedRun(const ScreenGeometry& geometry, const AnimationSettings& settings, core::Random& random,
             const core::Clock& clock, const RunSurfaces& surfaces, double frameMs = 0);
    PacedRun(const PacedRun&) = delete;
    PacedRun& operator=(const PacedRun&) = delete;

    // Clears the display to the start-up picture; the next frame presents all
    // of it and takes the first tick, due at nowMs.
    void Start(double nowMs);

    // The screen changed size; the host made new surfaces (see
    // Animation::Reshape). The next frame presents the whole display.
    void Reshape(const ScreenGeometry& geometry, const RunSurfaces& surfaces);

    // One frame at nowMs: the ticks due, or one slide step. Before the frame
    // is due (with a frameMs) it does nothing and hands back no changes.
    // Valid until the next call.
    const FrameChanges& Frame(double nowMs);

    // When the next frame has anything to do: the later of the next tick and
    // the next frame; during the slide, the next frame.
    double NextDueMs() const;

    bool InTransition() const { return animation_.InTransition(); }
    // Ticks taken since the start (the one that starts the transition counted).
    std::int64_t Ticks() const { return ticks_; }
    // Makes the display hold the whole frame on the screen, for a repaint
    // mid-slide (parts of the screen came straight from the latest picture).
    void RepairDisplay() { animation_.RepairDisplay(); }

    const Animation& Model() const { return animation_; }
    Animation& Model() { return animation_; }

private:
    void Attach(const RunSurfaces& surfaces);
    void Advance(double nowMs);
    void RunTicks(double nowMs);

    Animation animation_;
    core::SurfaceView display_, latest_;
    double frameMs_;
    double nextTickMs_ = 0, nextFrameMs_ = 0;
    bool wholeDue_ = false;
    std::int64_t ticks_ = 0;
    std::vector<core::Rect> changed_;
    FrameChanges changes_;
};

}  // namespace corvalinth::swarm
