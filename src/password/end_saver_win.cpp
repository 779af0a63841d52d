#include "password/end_saver_win.h"

#include "forms/app_win.h"
#include "password/password_form_win.h"
#include "core/corvalinth_b.h"

namespace corvalinth::password {
namespace {

class SaverWindowHost final : public EndSaverHost {
public:
    SaverWindowHost(forms::Form& saver, forms::Timer& timer1, const std::function<void()>& prompt)
        : saver_(saver), timer1_(timer1), prompt_(prompt)
    {
    }

    void DoEvents() override { forms::DoEvents(); }
    bool Ending() const override { return forms::Ending() || !saver_.IsLoaded(); }
    std::int32_t ShowCursor(std::int32_t flag) override { return ::ShowCursor(flag); }
    void ShowPasswordPrompt() override
    {
        if (prompt_) prompt_();
        else password::ShowPasswordPrompt();
    }
    void FocusDisplay() override
    {
        // The prompt's window is gone; the keys must come back here, not to the
        // window behind the saver.
        if (const HWND window = saver_.hWnd()) TakeForeground(window);
    }
    void StopTimer() override { timer1_.SetEnabled(false); }
    void UnloadSaver() override { saver_.Unload(); }
    void ClearSaverRunning() override { forms::SetSaverRunning(false); }
    void EndProgram() override { forms::EndProgram(0); }

private:
    forms::Form& saver_;
    forms::Timer& timer1_;
    const std::function<void()>& prompt_;
};

bool OfThisProcess(HWND window)
{
    DWORD process = 0;
    return window && ::GetWindowThreadProcessId(window, &process) && process == ::GetCurrentProcessId();
}

HWND OpenPrompt()
{
    const HWND prompt = ::FindWindowW(Corvalinth_Pass::kClassName, nullptr);
    return OfThisProcess(prompt) && ::IsWindowVisible(prompt) ? prompt : nullptr;
}

}  // namespace

void TakeForeground(HWND saver)
{
    // The saver takes no input while the modal prompt is open: the prompt it is.
    const HWND prompt = OpenPrompt();
    const HWND target = prompt ? prompt : saver;
    ::SetForegroundWindow(target);
    ::SetActiveWindow(target);
    ::SetFocus(target);  // the prompt hands it on to its text box
}

ForegroundCheck OnForegroundLost(HWND saver, bool fullScreen, bool hadForeground,
                                 const std::function<void()>& endSaver)
{
    const HWND foreground = ::GetForegroundWindow();
    if (OfThisProcess(foreground)) return ForegroundCheck::Settled;  // back again, or with the prompt
    if (AsksPassword(Module(), fullScreen)) {
        TakeForeground(saver);
        return ForegroundCheck::Settled;
    }
    // In passage the foreground is nobody's for a moment: not yet another program's.
    if (!foreground) return ForegroundCheck::LookAgain;
    if (hadForeground) endSaver();
    return ForegroundCheck::Settled;
}

void ShowPasswordPrompt()
{
    Corvalinth_Pass prompt;
    prompt.ShowModal();
}

EndSaverOutcome EndSaverOn(EndOfRun& state, forms::Form& saver, forms::Timer& timer1,
                           const std::function<void()>& prompt, bool fullScreen)
{
    SaverWindowHost host(saver, timer1, prompt);
    return state.EndSaver(host, Module(), fullScreen);
}

std::optional<LRESULT> SaverCloseMessage(UINT message, WPARAM wParam, forms::Timer& timer1,
                                         bool fullScreen, const std::function<void()>& endSaver)
{
    switch (message) {
    case WM_CLOSE:
        endSaver();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            // The process may be gone as soon as this returns: tidy up now.
            timer1.SetEnabled(false);
            if (fullScreen) forms::SetSaverRunning(false);
            forms::EndProgram(0);
        }
        return 0;
    default:
        return std::nullopt;
    }
}

}  // namespace corvalinth::password
