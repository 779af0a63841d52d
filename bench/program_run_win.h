#pragma once
// The real program started as the system would (start and exit latency,
// memory), and the saver window's object counts across transitions.
#include <string>

namespace corvalinth::bench {

struct Memory {
    double peakWorkingSetMb = 0, peakCommitMb = 0;
};

struct RunFigures {
    double startToShownMs = -1, clickToExitMs = -1, clickToWindowGoneMs = -1;
    Memory memory;
};

// Starts `program` with /s, waits (for a whole transition when asked) and clicks.
RunFigures MeasureRun(const std::wstring& program, bool waitForTransition);
// The platform's share of memory: this program started with --idle-window.
Memory MeasureIdleWindow(const std::wstring& self);
// What --idle-window runs: a full-screen window that shows black and does nothing else.
int IdleWindow();

struct Counts {
    int gdiBefore, gdiAfterFirst, gdiAfter, userBefore, userAfterFirst, userAfter, transitions;
};
Counts CountAcrossTransitions();

std::wstring HereFolder();

}  // namespace corvalinth::bench
