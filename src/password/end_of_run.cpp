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
// cursor it is -1, which shows the cursor again. An empty counter reads as 0.
void RestoreCursor(EndSaverHost& host, CorvalinthB& module)
{
    module.gCursorCount = host.ShowCursor(module.gCursorCount.value_or(0));
}

}  // namespace

EndSaverOutcome EndOfRun::EndSaver(EndSaverHost& host, CorvalinthB& module, wchar_t modeLetter)
{
    if (running_) return EndSaverOutcome::Ignored;
    RunningFlag running(running_);

    host.DoEvents();
    if (host.Ending()) return EndSaverOutcome::Ended;

    const bool fullScreen = modeLetter == kFullScreenLetter;
    if (fullScreen && !module.gPassword.empty()) {
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
