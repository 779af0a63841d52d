#pragma once
// INTERIM until the Command control lands: a plain push button with the same
// few members the dialog uses (caption, font, Initialize, Enabled, Click).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "forms/controls_win.h"

namespace corvalinth::settings {

class DialogCommand final : public forms::ChildControl {
public:
    DialogCommand(HWND parent, const std::wstring& caption, const forms::PixelPlace& place)
        : ChildControl(parent, L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, place)
    {
    }
    void Initialize() { ++initializeCalls; }
    void SetEnabledFlag(std::int16_t value) { SetEnabled(value == -1); }
    std::function<void()> onClick;
    int initializeCalls = 0;

protected:
    std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
        if (onClick) onClick();
        return 0;
    }
};

}  // namespace corvalinth::settings
