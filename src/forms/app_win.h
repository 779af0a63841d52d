#pragma once
// The program-wide runtime: the yield, the message loop, the end of the program
// and the system's screen-saver-running mark.
#include <windows.h>

namespace corvalinth::forms {

// Tells the system whether a screen saver runs (it then, for one, keeps another
// saver from starting). Left set, the system would believe a saver runs after
// the process is gone, so every way out clears it.
void SetSaverRunning(bool running);

// The yield: handles every pending message of this thread, then returns.
void DoEvents();

// Ends the run: every message loop unwinds at once, no further form handler or
// timer runs, and the start-up code returns exitCode from the program.
void EndProgram(int exitCode = 0);
bool Ending();
int ExitCode();
// Lets a test process go on after a test ended the program.
void ResetEndingForTests();

// Runs the thread's message loop until EndProgram, or until `keepRunning` says
// there is nothing left to run for (checked after every message).
template <class Predicate>
int RunMessageLoop(Predicate keepRunning);

// The same loop for a window whose end may come without a message to this
// thread: every `periodMs` (and after every burst of messages) `check` runs.
template <class Predicate, class Check>
int RunMessageLoopChecking(Predicate keepRunning, DWORD periodMs, Check check);

namespace detail {
// Gets one message; false when the program is ending (the quit is posted again so
// outer loops see it too).
bool NextMessage(MSG& msg);
void Dispatch(MSG& msg, HWND dialog = nullptr);
}  // namespace detail

template <class Predicate>
int RunMessageLoop(Predicate keepRunning)
{
    MSG msg;
    while (!Ending() && keepRunning() && detail::NextMessage(msg)) detail::Dispatch(msg);
    return ExitCode();
}

template <class Predicate, class Check>
int RunMessageLoopChecking(Predicate keepRunning, DWORD periodMs, Check check)
{
    DWORD lastCheck = ::GetTickCount();
    while (!Ending() && keepRunning()) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, periodMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        DoEvents();
        if (Ending() || !keepRunning()) break;
        if (::GetTickCount() - lastCheck >= periodMs) {
            lastCheck = ::GetTickCount();
            check();
        }
    }
    return ExitCode();
}

}  // namespace corvalinth::forms
