#include "swarm/paced_run.h"

#include <algorithm>

namespace corvalinth::swarm {

namespace {
AnimationSettings SteppingEveryFrame(AnimationSettings settings)
{
    settings.frameMs = 0;
    return settings;
}
}  // namespace

PacedRun::PacedRun(const ScreenGeometry& geometry, const AnimationSettings& settings, core::Random& random,
                   const core::Clock& clock, const RunSurfaces& surfaces, double frameMs)
    : animation_(geometry, SteppingEveryFrame(settings), random, clock), frameMs_(frameMs > 0 ? frameMs : 0)
{
    Attach(surfaces);
}

void PacedRun::Attach(const RunSurfaces& surfaces)
{
    display_ = surfaces.display;
    latest_ = surfaces.latest;
    animation_.Attach(surfaces.display, surfaces.startup);
    if (latest_.Width() == 0 || latest_.Height() == 0) {
        // The model copies the display itself when it is given no snapshot.
        animation_.SetSnapshotSource(nullptr);
        return;
    }
    animation_.SetSnapshotSource([this] {
        core::Copy(latest_, 0, 0, display_.Width(), display_.Height(), display_, 0, 0);
        return latest_;
    });
}

void PacedRun::Start(double nowMs)
{
    animation_.Cls();
    wholeDue_ = true;
    nextTickMs_ = nextFrameMs_ = nowMs;
}

void PacedRun::Reshape(const ScreenGeometry& geometry, const RunSurfaces& surfaces)
{
    animation_.Reshape(geometry, surfaces.display, surfaces.startup);
    Attach(surfaces);
    wholeDue_ = true;
}

double PacedRun::NextDueMs() const
{
    return InTransition() ? nextFrameMs_ : std::max(nextTickMs_, nextFrameMs_);
}

void PacedRun::Advance(double nowMs)
{
    animation_.Advance(nowMs, changed_);
    changes_.display.insert(changes_.display.end(), changed_.begin(), changed_.end());
    const auto& outer = animation_.OuterCopies();
    changes_.outer.insert(changes_.outer.end(), outer.begin(), outer.end());
}

void PacedRun::RunTicks(double nowMs)
{
    int ticks = 0;
    while (nextTickMs_ <= nowMs && ticks < kMostTicksPerFrame && !InTransition()) {
        Advance(nowMs);
        ++ticks;
        ++ticks_;
        nextTickMs_ += kTickMs;
    }
    // The ticks this frame could not take are dropped, not owed.
    if (nextTickMs_ <= nowMs && !InTransition()) nextTickMs_ = nowMs + kTickMs;
}

const FrameChanges& PacedRun::Frame(double nowMs)
{
    changes_.display.clear();
    changes_.outer.clear();
    if (nowMs < nextFrameMs_) return changes_;
    // A frame late by more than a period starts the frame clock again from now.
    nextFrameMs_ = nowMs - nextFrameMs_ > frameMs_ ? nowMs + frameMs_ : nextFrameMs_ + frameMs_;
    if (wholeDue_) changes_.display.push_back(display_.Bounds());
    wholeDue_ = false;
    if (InTransition()) {
        Advance(nowMs);
        if (!InTransition()) nextTickMs_ = nowMs;  // the swarm waited; it goes on from now
    } else {
        RunTicks(nowMs);
    }
    changes_.latest = changes_.outer.empty() ? core::SurfaceView{} : animation_.LatestPicture();
    return changes_;
}

}  // namespace corvalinth::swarm
