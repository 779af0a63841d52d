#pragma once
// Pacing to the display: how often the display shows a new picture, and a timer
// that lets a window know once per refresh. The wait is precise (a
// high-resolution waitable timer on a thread of its own) and reaches the window
// as a posted message, so whatever message loop runs (the main one, a modal
// prompt's, a yield) delivers it between input messages, never instead of them.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "forms/handles_win.h"

namespace corvalinth::forms {

// A monotonic clock in milliseconds, to the performance counter's precision.
double MonotonicMs();

// How the refresh period was found.
enum class RefreshSource { Composition, DisplayMode, Default };

struct RefreshRate {
    double periodMs = 1000.0 / 60;
    RefreshSource source = RefreshSource::Default;
};

// The refresh of the monitor that holds most of `window` (the primary one
// without a window): the compositor's timing where composition runs, else the
// display mode's frequency, else 60 Hz.
RefreshRate DisplayRefresh(HWND window);

class FrameTimer {
public:
    // Posts `message` to `window` once per period while running; one at a time:
    // the next is posted only after the window calls Done().
    FrameTimer(HWND window, UINT message);
    ~FrameTimer();
    FrameTimer(const FrameTimer&) = delete;
    FrameTimer& operator=(const FrameTimer&) = delete;

    // Starts (or re-times) the beat: the first message one period from now.
    void Start(double periodMs);
    void Stop();
    bool Running() const { return running_; }
    double PeriodMs() const { return periodMs_; }
    // The window has handled the message. Not before: the message loop hands out
    // posted messages ahead of input, so one posted during a step that outlasts
    // a period would keep the input waiting for as long as the steps go on.
    void Done() { posted_.store(false); }

private:
    void Run();
    // The relative due time of the next beat, in 100 ns units (negative).
    LONGLONG NextDue();

    HWND window_;
    UINT message_;
    KernelHandle timer_, wake_;
    bool highResolution_ = false;
    bool running_ = false;  // the window's thread's view
    double periodMs_ = 0;
    std::mutex mutex_;  // guards the beat below, shared with the thread
    bool beating_ = false, quit_ = false;
    double periodTicks_ = 0, nextTick_ = 0, frequency_ = 0;
    std::atomic<bool> posted_{false};
    std::thread thread_;
};

}  // namespace corvalinth::forms
