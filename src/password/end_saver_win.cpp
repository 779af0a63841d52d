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
        const HWND window = saver_.hWnd();
        if (!window) return;
        ::SetForegroundWindow(window);
        ::SetActiveWindow(window);
        ::SetFocus(window);
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

}  // namespace

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
