#pragma once
// What happens when input reaches the saver window: the password check and the
// end of a run, kept apart from the windows so the whole outcome table can be
// exercised without a window system.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/corvalinth_b.h"

namespace corvalinth::password {

// The prompt's text box opens with this text; it is part of what gets compared.
inline constexpr std::wstring_view kPromptHint = L"Input Your Password";

// The prompt's decision, fed with the whole text after every change.
class PasswordCheck {
public:
    explicit PasswordCheck(std::wstring password) : password_(std::move(password)) {}

    // True only for the change that makes the text exactly the password: same
    // length, same characters, case and blanks included. Changes after that are
    // never looked at, so the prompt accepts once.
    bool OnChange(std::wstring_view text);
    bool Accepted() const { return accepted_; }

private:
    std::wstring password_;
    bool accepted_ = false;
};

// Only a run started with /s asks, and only when a password is set; any other
// run ends on the first input.
inline bool AsksPassword(const CorvalinthB& module, bool fullScreen)
{
    return fullScreen && !module.gPassword.empty();
}

// What EndSaver needs of the saver window and the platform.
class EndSaverHost {
public:
    virtual ~EndSaverHost() = default;
    virtual void DoEvents() = 0;  // the yield: pending window events are handled
    // The program is already on its way out (for example the session ends).
    virtual bool Ending() const = 0;
    // The platform's ShowCursor: returns the new display counter.
    virtual std::int32_t ShowCursor(std::int32_t flag) = 0;
    // Shows the password prompt modally; returns when it has unloaded itself.
    virtual void ShowPasswordPrompt() = 0;
    virtual void FocusDisplay() = 0;
    virtual void StopTimer() = 0;
    virtual void UnloadSaver() = 0;
    virtual void ClearSaverRunning() = 0;
    virtual void EndProgram() = 0;
};

enum class EndSaverOutcome {
    Ended,   // the run is over
    GoesOn,  // the prompt was not accepted: the animation continues
    Ignored, // another EndSaver is still running
};

// Runs EndSaver for input to the saver window; fullScreen is whether the run
// was started with /s (only such a run asks for the password). One run at a
// time: input that arrives during the yield or while the prompt is open is
// ignored rather than opening a second prompt.
class EndOfRun {
public:
    EndSaverOutcome EndSaver(EndSaverHost& host, CorvalinthB& module, bool fullScreen);
    bool Running() const { return running_; }

private:
    bool running_ = false;
};

}  // namespace corvalinth::password
