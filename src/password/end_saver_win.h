#pragma once
// The saver window's end of a run: EndSaver over the real window, cursor and
// prompt, and the close and end-of-session requests the window receives.
#include <windows.h>

#include <functional>
#include <optional>

#include "forms/form_win.h"
#include "forms/timer_win.h"
#include "password/end_of_run.h"

namespace corvalinth::password {

// Shows a fresh Corvalinth_Pass modally and returns once it has gone.
void ShowPasswordPrompt();

// Gives the keyboard to this process's open password prompt, or else to `saver`.
void TakeForeground(HWND saver);
// Another program's window took the foreground during a run. A run that asks no
// password ends (`endSaver`), as on any input, once it has had the foreground; one
// that asks takes the foreground back, so typed keys reach its prompt and never a
// window hidden behind the saver. Called after the activation has settled;
// while no window has the foreground yet, look again a little later.
enum class ForegroundCheck { Settled, LookAgain };
ForegroundCheck OnForegroundLost(HWND saver, bool fullScreen, bool hadForeground,
                                 const std::function<void()>& endSaver);

// EndSaver for the saver form `saver`, whose animation timer is `timer1`.
// `prompt` shows the password prompt modally (ShowPasswordPrompt when empty);
// fullScreen: the run was started with /s.
EndSaverOutcome EndSaverOn(EndOfRun& state, forms::Form& saver, forms::Timer& timer1,
                           const std::function<void()>& prompt, bool fullScreen);

// Close and end-of-session messages of the saver window. A close request (Alt+F4,
// the system menu, another program) is input like a click: it goes to `endSaver`,
// so a password run ends only through an accepted prompt. A log-off or shut-down
// is never refused and ends the run. Returns the result for the messages it
// handles.
std::optional<LRESULT> SaverCloseMessage(UINT message, WPARAM wParam, forms::Timer& timer1,
                                         bool fullScreen, const std::function<void()>& endSaver);

}  // namespace corvalinth::password
