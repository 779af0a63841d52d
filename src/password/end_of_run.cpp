#include "password/end_of_run.h"

namespace corvalinth::password {

bool PasswordCheck::OnChange(std::wstring_view text)
{
    if (accepted_) return false;
    accepted_ = text == password_;
    return accepted_;
}

namespace {

class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

// The stored counter is handed to ShowCursor as its flag: after start-up hid the
// cursor it is negative, a non-zero flag, so the cursor shows again. A counter of
// 0 (the cursor was still visible after hiding) would hide it further instead,
// so then the flag is a plain "show".
void RestoreCursor(EndSaverHost& host, CorvalinthB& module)
{
    const std::int32_t stored = module.gCursorCount.value_or(0);
    module.gCursorCount = host.ShowCursor(stored != 0 ? stored : 1);
}

}  // namespace

EndSaverOutcome EndOfRun::EndSaver(EndSaverHost& host, CorvalinthB& module, bool fullScreen)
{
    if (running_) return EndSaverOutcome::Ignored;
    RunningFlag running(running_);

    host.DoEvents();
    if (host.Ending()) return EndSaverOutcome::Ended;

    if (AsksPassword(module, fullScreen)) {
        module.gPassOK = kFalse;
        RestoreCursor(host, module);
        host.ShowPasswordPrompt();
        if (host.Ending()) return EndSaverOutcome::Ended;
        host.FocusDisplay();
        if (module.gPassOK == kFalse) {
            module.gCursorCount = host.ShowCursor(0);
            return EndSaverOutcome::GoesOn;
        }
    } else if (fullScreen) {
        RestoreCursor(host, module);
    }

    host.StopTimer();
    host.UnloadSaver();
    if (fullScreen) host.ClearSaverRunning();
    host.EndProgram();
    return EndSaverOutcome::Ended;
}

}  // namespace corvalinth::password
