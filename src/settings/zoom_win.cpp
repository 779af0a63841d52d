#include "settings/zoom_win.h"

#include "button/command_win.h"
#include "forms/form_win.h"
#include "settings/button_setup.h"
#include "core/corvalinth_b.h"

namespace corvalinth {

RECT ZoomPointRect()
{
    const CorvalinthB& module = Module();
    return RECT{module.gZoomX, module.gZoomY, module.gZoomX, module.gZoomY};
}

// A handle that is not a window leaves the window rectangle empty, so the
// animation runs between the point and the screen's corner; nothing more.
void ZoomOpen(HWND window)
{
    const RECT from = ZoomPointRect();
    RECT to{};
    ::GetWindowRect(window, &to);
    ::DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

void ZoomClose(HWND window)
{
    RECT from{};
    ::GetWindowRect(window, &from);
    const RECT to = ZoomPointRect();
    ::DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

void InitButtons(const forms::Form& form, std::int16_t doInit, std::int16_t enable)
{
    const ButtonSetup setup = ButtonSetupFor(doInit, enable);
    button::ForEachCommand(form.hWnd(), [setup](button::CommandLike& button) {
        try {
            if (setup == ButtonSetup::Initialize) button.Initialize();
            else button.SetEnabled(setup == ButtonSetup::Enable ? kTrue : kFalse);
        } catch (...) {
            // One button that fails leaves the others to be set up.
        }
    });
}

}  // namespace corvalinth
