#pragma once
// One run of the swarm over a picture, as a state machine the host advances once
// per timer event. Every point where the animation lets input in is a return to
// the host's message loop: a tick draws and returns; the next event moves,
// counts and draws again; every 1001 ticks the split-screen transition runs one
// presented frame per event, paced to the display's refresh, while the swarm
// stands still and the tick count waits.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/corvalinth_b.h"
#include "core/random.h"
#include "core/surface.h"
#include "swarm/particles.h"
#include "swarm/screen_geometry.h"
#include "swarm/split_screen.h"

namespace corvalinth::swarm {

// Dots are two pixels wide: at the usual 15 twips per pixel a step is at most
// 2 pixels, so two-pixel dots join into continuous trails, while one-pixel dots
// leave dotted, faint trails; three pixels look like blobs rather than dots.
constexpr int kPenWidth = 2;

constexpr int kTransitionAfter = 1000;  // the transition comes when FrameCount exceeds this

struct AnimationSettings {
    std::int16_t gNum = kMaxParticles;  // particles wanted (clamped to the table)
    std::int16_t gColor = 0;    // 0 colour, anything else grey
    int penWidth = kPenWidth;   // 1..3 pixels
    // Slide pacing: the least time between two steps. 0 lets every event during
    // the slide take a step, for a host that waits for the display's refresh itself.
    double frameMs = 1000.0 / 60;
};

class Animation {
public:
    // Gives the screen as shown now (Master(1)); the host keeps its pixels alive
    // until the transition is over.
    using SnapshotSource = std::function<core::SurfaceView()>;

    Animation(const ScreenGeometry& geometry, const AnimationSettings& settings,
              core::Random& random, const core::Clock& clock);

    // display: the retained surface the window shows. startup: the start-up
    // picture (Master(0)), also the background Cls restores.
    void Attach(const core::SurfaceView& display, const core::SurfaceView& startup);
    void SetSnapshotSource(SnapshotSource source) { snapshot_ = std::move(source); }

    // Clears all drawing: the start-up picture shows again.
    void Cls();

    // The screen changed size (a monitor came or went, a new resolution). The
    // host has made the new surfaces, carrying over what they should keep. A
    // transition under way is given up, its pictures being of the old screen:
    // the display is cleared and the count starts again. Particles outside the
    // new bounds come back by the usual wrap rules on their next move. Returns
    // whether the display was cleared.
    bool Reshape(const ScreenGeometry& geometry, const core::SurfaceView& display,
                 const core::SurfaceView& startup);

    // The work of one timer event. nowMs is a monotonic clock in milliseconds,
    // used only to pace the transition's frames. `changed` receives the display
    // rectangles to present (cleared first).
    void Advance(double nowMs, std::vector<core::Rect>& changed);

    // When the last event drew dots, the solid colour of each changed rectangle,
    // in order (a later dot may cover part of an earlier one); empty otherwise.
    // Lets a host show the dots without reading the surface back.
    const std::vector<core::Pixel>& DotColours() const { return dotColours_; }

    // When the last event was a slide step, the parts of the screen to show
    // straight from the latest snapshot (LatestPicture) rather than from the
    // display; empty otherwise.
    const std::vector<SplitScreen::OuterCopy>& OuterCopies() const { return outer_; }
    core::SurfaceView LatestPicture() const { return latest_; }
    // Makes the display hold the whole frame on the screen (a slide shows
    // parts of it straight from the snapshot); for repainting the window.
    void RepairDisplay();

    const Swarm& Particles() const { return swarm_; }
    Swarm& Particles() { return swarm_; }
    std::int16_t FrameCount() const { return frameCount_; }
    void SetFrameCount(std::int16_t count) { frameCount_ = count; }
    bool InTransition() const { return transition_.has_value(); }
    const SplitScreen* Transition() const { return transition_ ? &*transition_ : nullptr; }
    const ScreenGeometry& Geometry() const { return geometry_; }
    int PenWidth() const { return settings_.penWidth; }

private:
    void DrawParticles(std::vector<core::Rect>& changed);
    void FillDots(const std::vector<core::Rect>& dots) const;
    void MoveParticles();

    enum class Phase { ReadyToDraw, Drawn, Sliding };

    void StartTransition(double nowMs, std::vector<core::Rect>& changed);
    void SlideStep(double nowMs, std::vector<core::Rect>& changed);

    ScreenGeometry geometry_;
    AnimationSettings settings_;
    core::Random& random_;
    const core::Clock& clock_;
    core::SurfaceView display_, startup_, latest_;
    core::PixelSurface ownLatest_;
    SnapshotSource snapshot_;
    Swarm swarm_;
    std::int16_t frameCount_ = 0;
    Phase phase_ = Phase::ReadyToDraw;
    std::optional<SplitScreen> transition_;
    double nextFrameMs_ = 0;
    std::vector<core::Pixel> dotColours_;
    std::vector<SplitScreen::OuterCopy> outer_;
};

// A still picture of the swarm for the preview and the settings dialog: `ticks`
// ticks (0..1000, so no transition) of `count` particles drawn over what the
// surface already shows. seedTime stands for the clock when the swarm is
// seeded, so equal arguments give equal pictures.
struct StillOptions {
    int ticks = 200;
    std::int16_t count = kMaxParticles;
    std::int16_t gColor = 0;
    float seedTime = 43210.5f;
    int penWidth = 1;
};
void DrawStill(const core::SurfaceView& surface, const StillOptions& options);

}  // namespace corvalinth::swarm
