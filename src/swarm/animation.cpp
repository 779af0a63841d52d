#include "swarm/animation.h"

#include <algorithm>

namespace corvalinth::swarm {

namespace {
void PrefetchForWrite(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address, 1);
#else
    (void)address;
#endif
}
}  // namespace

Animation::Animation(const ScreenGeometry& geometry, const AnimationSettings& settings,
                     core::Random& random, const core::Clock& clock)
    : geometry_(geometry), settings_(settings), random_(random), clock_(clock)
{
    settings_.penWidth = std::clamp(settings_.penWidth, 1, 3);
    if (!(settings_.frameMs >= 0)) settings_.frameMs = 0;
}

void Animation::Attach(const core::SurfaceView& display, const core::SurfaceView& startup)
{
    display_ = display;
    startup_ = startup;
}

void Animation::Cls() { core::Copy(display_, 0, 0, display_.Width(), display_.Height(), startup_, 0, 0); }

bool Animation::Reshape(const ScreenGeometry& geometry, const core::SurfaceView& display,
                        const core::SurfaceView& startup)
{
    geometry_ = geometry;
    Attach(display, startup);
    dotColours_.clear();
    outer_.clear();
    if (!transition_) return false;
    transition_.reset();
    latest_ = {};
    ownLatest_ = {};
    frameCount_ = 0;
    phase_ = Phase::ReadyToDraw;
    Cls();
    return true;
}

void Animation::DrawParticles(std::vector<core::Rect>& changed)
{
    if (swarm_.ParticleCount == 0) {
        swarm_.ParticleCount = settings_.gNum;  // clamped by LoadParticles
        LoadParticles(swarm_, geometry_.DisplayWidth(), geometry_.DisplayHeight(),
                      settings_.gColor, random_, clock_);
    }
    const int pen = settings_.penWidth;
    const int count = ClampParticleCount(swarm_.ParticleCount);
    const int width = display_.Width(), height = display_.Height();
    for (int i = 0; i < count; ++i) {
        const ParticleRecord& p = swarm_.Particles[static_cast<std::size_t>(i)];
        const int left = geometry_.PixelX(p.X) - pen / 2;
        const int top = geometry_.PixelY(p.Y) - pen / 2;
        const core::Rect dot{std::max(left, 0), std::max(top, 0), std::min(left + pen, width),
                             std::min(top + pen, height)};
        if (dot.Empty()) continue;
        changed.push_back(dot);
        // Composed as red + 256 green + 65536 blue from the 0..254 components.
        dotColours_.push_back(core::Rgb(p.Red, p.Green, p.Blue));
    }
    FillDots(changed);
}

void Animation::FillDots(const std::vector<core::Rect>& dots) const
{
    // The dots land at random places in a screen-sized surface, mostly outside
    // the caches: asking for the lines a few dots ahead overlaps those misses.
    constexpr std::size_t kAhead = 8;
    const std::size_t count = dots.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) {
            const core::Rect& next = dots[i + kAhead];
            for (int y = next.top; y < next.bottom; ++y) PrefetchForWrite(display_.Row(y) + next.left);
        }
        const core::Rect& dot = dots[i];
        for (int y = dot.top; y < dot.bottom; ++y)
            std::fill(display_.Row(y) + dot.left, display_.Row(y) + dot.right, dotColours_[i]);
    }
}

void Animation::MoveParticles()
{
    swarm::MoveParticles(swarm_, geometry_.DisplayWidth(), geometry_.DisplayHeight(), random_);
}

void Animation::Advance(double nowMs, std::vector<core::Rect>& changed)
{
    changed.clear();
    dotColours_.clear();
    outer_.clear();
    switch (phase_) {
    case Phase::Sliding:
        SlideStep(nowMs, changed);
        return;
    case Phase::Drawn:
        // The rest of the tick that drew last time.
        MoveParticles();
        ++frameCount_;
        if (frameCount_ > kTransitionAfter) {
            StartTransition(nowMs, changed);
            return;
        }
        [[fallthrough]];
    case Phase::ReadyToDraw:
        DrawParticles(changed);
        phase_ = Phase::Drawn;
        return;
    }
}

void Animation::StartTransition(double nowMs, std::vector<core::Rect>& changed)
{
    latest_ = snapshot_ ? snapshot_() : core::SurfaceView{};
    if (latest_.Width() == 0 || latest_.Height() == 0) {
        // Without a snapshot the halves that slide are the display as it is now.
        ownLatest_ = core::PixelSurface(display_.Width(), display_.Height());
        core::Copy(ownLatest_.View(), 0, 0, display_.Width(), display_.Height(), display_, 0, 0);
        latest_ = ownLatest_.View();
    }
    transition_.emplace(geometry_.WidthPixels(), geometry_.HeightPixels(), random_, clock_);
    const core::Rect crack = transition_->DrawCrack(display_, settings_.penWidth);
    if (!crack.Empty()) changed.push_back(crack);
    nextFrameMs_ = nowMs + settings_.frameMs;
    phase_ = Phase::Sliding;
}

void Animation::SlideStep(double nowMs, std::vector<core::Rect>& changed)
{
    if (nowMs < nextFrameMs_) return;
    // One step per event; a late event takes its step now rather than bunching up.
    nextFrameMs_ = std::max(nextFrameMs_ + settings_.frameMs, nowMs);
    if (transition_->Step(display_, startup_, latest_)) {
        changed = transition_->LastChanged();
        outer_ = transition_->OuterCopies();
        return;
    }
    Cls();
    changed.push_back(display_.Bounds());
    frameCount_ = 0;
    transition_.reset();
    latest_ = {};
    ownLatest_ = {};
    phase_ = Phase::ReadyToDraw;
}

void Animation::RepairDisplay()
{
    if (transition_) transition_->RepairDisplay(display_, latest_);
}

void DrawStill(const core::SurfaceView& surface, const StillOptions& options)
{
    core::SeededRandom random;
    core::FixedClock clock(options.seedTime);
    AnimationSettings settings;
    settings.gNum = options.count;
    settings.gColor = options.gColor;
    settings.penWidth = options.penWidth;
    Animation animation(ScreenGeometry(surface.Width(), surface.Height()), settings, random, clock);
    animation.Attach(surface, surface);
    std::vector<core::Rect> changed;
    const int ticks = std::clamp(options.ticks, 0, kTransitionAfter);
    for (int i = 0; i < ticks; ++i) animation.Advance(0, changed);
}

}  // namespace corvalinth::swarm
