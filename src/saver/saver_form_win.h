#pragma once
// The full-screen saver window: the swarm crawling over a snapshot of the
// desktop, until a click or a typed character ends the run.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/monitor_layout.h"
#include "core/random.h"
#include "forms/dib_surface_win.h"
#include "forms/form_win.h"
#include "forms/frame_timer_win.h"
#include "forms/handles_win.h"
#include "forms/picture_win.h"
#include "forms/timer_win.h"
#include "password/end_of_run.h"
#include "saver/present_win.h"
#include "saver/screen_watch_win.h"
#include "swarm/animation.h"
#include "swarm/screen_geometry.h"

namespace corvalinth::saver {

// What the one who starts the saver tells it.
struct SaverOptions {
    bool fullScreen = true;       // started with /s: a password is asked, the saver mark is cleared at the end
    std::int16_t gColor = 0;      // 0 colour dots, anything else grey
    std::int16_t gNum = kMaxParticles;  // dots wanted
};

class Corvalinth_S : public forms::Form {
public:
    explicit Corvalinth_S(const SaverOptions& options = {});
    ~Corvalinth_S() override;

    void Timer1_Timer();
    // Once per display refresh during the slide: a step, then what changed
    // since the last present goes to the window in one go.
    void Refresh_Timer();
    void Display_Click();
    void Display_KeyPress(std::int16_t keyAscii);

    // The password prompt, shown modally by EndSaver when a full-screen run has
    // a password; returns once the prompt has gone. Unset, it is Corvalinth_Pass.
    void SetPasswordPrompt(std::function<void()> showModal) { passwordPrompt_ = std::move(showModal); }

    // Every monitor the window covers, as measured at load or the last display change.
    const core::MonitorLayout& Layout() const { return layout_; }
    // Whether the animation rests because nobody can see it (display off, session locked).
    bool Paused() const { return paused_; }
    // Covers the monitors anew after a display change (tests pass their own).
    // The surfaces follow the new size; the start-up picture and the trails keep
    // their places on the desktop, black where they do not reach.
    void Relayout(core::MonitorLayout layout);
    std::int16_t ScreenW() const { return screenW_; }
    std::int16_t ScreenH() const { return screenH_; }
    const swarm::Animation& Model() const { return *animation_; }
    swarm::Animation& Model() { return *animation_; }
    const forms::DibSurface& Display() const { return display_; }
    core::SurfaceView StartupPicture() const { return startupPixels_; }
    const forms::Picture& Master(int index) const { return master_[index == 0 ? 0 : 1]; }
    forms::Timer& Timer1() { return timer1_; }
    void SetPresentMode(PresentMode mode) { presentMode_ = mode; }
    // Draws the changed rectangles of the display onto the window; the dots of
    // the last event go as solid fills.
    void Present(const std::vector<core::Rect>& changed);
    // The display's refresh the window presents and slides at.
    const forms::RefreshRate& Refresh() const { return refresh_; }
    // Told of every present (slideStep: it showed a step of the slide), for
    // measuring how evenly the window is served.
    void SetPresentObserver(std::function<void(bool slideStep)> observer) { presentObserver_ = std::move(observer); }

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_DpiChanged(const RECT& suggested) override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void EndSaver();
    void TakeFocus();
    void CheckForeground();
    core::SurfaceView TakeTransitionSnapshot();
    void ReleaseLatestDc();
    void Paint();
    void CoverScreen();
    void UpdatePause();
    void RunTimers(bool run);
    void PaceFrames();
    bool NewRefresh(double nowMs);
    void Collect(const std::vector<core::Rect>& changed);
    bool Animating() const;
    void PresentPending(bool slideStep);
    void ShowOuterCopies(HDC window);

    SaverOptions options_;
    core::MonitorLayout layout_;
    swarm::ScreenGeometry geometry_;
    std::int16_t screenW_ = 0, screenH_ = 0;
    core::SeededRandom random_;
    core::SystemClock clock_;
    std::unique_ptr<swarm::Animation> animation_;
    forms::DibSurface display_;          // what the window shows, retained
    forms::Picture displayPicture_;      // Display's background: the start-up desktop
    forms::Picture master_[2];           // start-up desktop, latest snapshot
    forms::DibSurface master0Storage_, master1Storage_;  // pixels of pictures that have none of their own
    core::SurfaceView startupPixels_, latestPixels_;
    // The latest snapshot selected for copying to the window during a slide.
    forms::MemoryDC latestDc_;
    std::optional<forms::ScopedSelectObject> latestSelection_;  // leaves the DC before it goes
    forms::Timer timer1_;
    forms::Timer foregroundCheck_;  // looks again while the foreground is in passage
    forms::RefreshRate refresh_;
    std::unique_ptr<forms::FrameTimer> frames_;
    long long lastPresentRefresh_ = -1;  // the refresh (time over period) of the last present
    std::vector<core::Rect> changed_;
    PendingPresent pending_;  // what the ticks changed since the last present
    std::function<void(bool)> presentObserver_;
    std::vector<core::Pixel> noColours_;
    PresentMode presentMode_ = PresentMode::SolidDots;
    std::function<void()> passwordPrompt_;
    password::EndOfRun endOfRun_;
    bool leftPressed_ = false;
    bool ending_ = false;
    bool promptOpen_ = false;  // the password prompt is up: ticks go on behind it
    bool hadForeground_ = false;  // losing it ends a run without a password only after this
    std::unique_ptr<ScreenWatch> watch_;
    bool paused_ = false;
};

// Runs the saver window until the run ends; returns the exit code.
int RunSaverWindow(const SaverOptions& options);

}  // namespace corvalinth::saver
