// The saver window's pacing: ticks from the message timer, one present per
// display refresh, and the slide's steps from the refresh timer.
#include <cmath>

#include "forms/app_win.h"
#include "forms/handles_win.h"
#include "saver/saver_form_win.h"

namespace corvalinth::saver {

void Corvalinth_S::RunTimers(bool run)
{
    timer1_.SetEnabled(run);
    PaceFrames();
}

void Corvalinth_S::PaceFrames()
{
    // The swarm presents from its ticks; only the slide needs the refresh timer.
    if (!frames_) return;
    if (timer1_.Enabled() && animation_ && animation_->InTransition()) frames_->Start(refresh_.periodMs);
    else frames_->Stop();
}

bool Corvalinth_S::NewRefresh(double nowMs)
{
    const auto refresh = static_cast<long long>(std::floor(nowMs / refresh_.periodMs));
    if (refresh == lastPresentRefresh_) return false;
    lastPresentRefresh_ = refresh;
    return true;
}

bool Corvalinth_S::Animating() const
{
    // Ticks that come due while EndSaver yields wait: the run is about to end or to
    // ask for the password. While the prompt is open the animation goes on.
    return animation_ && !ending_ && !paused_ && (!endOfRun_.Running() || promptOpen_) && hWnd();
}

void Corvalinth_S::Timer1_Timer()
{
    // During the slide the ticks wait; its steps come with the display's refresh.
    if (!Animating() || animation_->InTransition()) return;
    const double now = forms::MonotonicMs();
    animation_->Advance(now, changed_);
    Collect(changed_);
    if (animation_->InTransition()) {
        // The crack shows at once; the steps come with the refreshes after it.
        PresentPending(false);
        PaceFrames();
        return;
    }
    // The first tick in a new refresh shows what every tick since the last present
    // drew: one present per refresh, without a wake-up of its own. A tick held
    // back waits for the next one, 10 to 16 ms.
    if (NewRefresh(now)) PresentPending(false);
}

void Corvalinth_S::Refresh_Timer()
{
    if (!timer1_.Enabled()) return PaceFrames();  // the run is ending
    if (!Animating()) return;
    // The crack, left by the tick that began the slide, has a refresh of its own.
    const bool step = animation_->InTransition() && pending_.Empty();
    if (step) {
        animation_->Advance(forms::MonotonicMs(), changed_);
        Collect(changed_);
    }
    PresentPending(step);
    lastPresentRefresh_ = -1;
    PaceFrames();  // stops once the slide is over
}

void Corvalinth_S::Collect(const std::vector<core::Rect>& changed)
{
    pending_.Add(changed, animation_ ? animation_->DotColours() : noColours_);
}

void Corvalinth_S::Present(const std::vector<core::Rect>& changed)
{
    Collect(changed);
    PresentPending(animation_ && !animation_->OuterCopies().empty());
}

void Corvalinth_S::ShowOuterCopies(HDC window)
{
    const HDC latest = master1Storage_.Valid() ? master1Storage_.Dc() : latestDc_.Get();
    if (latest) return PresentOuterCopies(window, latest, animation_->OuterCopies());
    // Nothing to copy from: show the whole frame from the display instead.
    animation_->RepairDisplay();
    for (const auto& copy : animation_->OuterCopies()) display_.Present(window, copy.target);
}

void Corvalinth_S::PresentPending(bool slideStep)
{
    const bool outer = slideStep && animation_ && !animation_->OuterCopies().empty();
    if ((pending_.Empty() && !outer) || !hWnd()) return;
    forms::ScopedGetDC window(hWnd());
    pending_.Present(window.Get(), display_, presentMode_);
    if (outer) ShowOuterCopies(window.Get());
    if (presentObserver_) presentObserver_(slideStep);
}

void Corvalinth_S::Paint()
{
    PAINTSTRUCT ps{};
    if (animation_) animation_->RepairDisplay();
    const HDC dc = ::BeginPaint(hWnd(), &ps);
    if (dc && display_.Valid())
        display_.Present(dc, {ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
    ::EndPaint(hWnd(), &ps);
}

}  // namespace corvalinth::saver
