#pragma once
// The password prompt: a borderless, topmost window cut down to one text box,
// shown modally by the saver window. It accepts the saved password on the change
// that completes it, or closes itself after 30 seconds.
#include <windows.h>

#include <optional>
#include <string>

#include "forms/form_win.h"
#include "forms/handles_win.h"
#include "forms/timer_win.h"
#include "password/end_of_run.h"

namespace corvalinth {

// Makes the form's window region the union of its controls' rectangles, so only
// the controls remain on screen. A form without controls keeps its whole window.
void FormTm(forms::Form& form);

class Corvalinth_Pass : public forms::Form {
public:
    static constexpr UINT kTimeoutMs = 30000;
    static constexpr wchar_t kClassName[] = L"Corvalinth_Pass";

    Corvalinth_Pass();
    ~Corvalinth_Pass() override;

    // The text box; null until the form is loaded.
    HWND Pass() const { return pass_; }
    std::wstring PassText() const;

    forms::Timer Timer1;

protected:
    void Form_Load() override;
    void Form_Unload(std::int16_t& cancel) override;
    void Form_DpiChanged(const RECT& suggested) override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LayOut();
    void Pass_Change();
    void Timer1_Timer();

    HWND pass_ = nullptr;  // a child: destroyed with the form
    forms::Font font_;
    std::optional<password::PasswordCheck> check_;
};

}  // namespace corvalinth
