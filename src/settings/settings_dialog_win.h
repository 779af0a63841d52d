#pragma once
// The settings dialog: colour or monochrome particles, how many, and the
// password, saved to the settings file when the user presses 設定.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "button/command_win.h"
#include "forms/controls_win.h"
#include "forms/dib_surface_win.h"
#include "forms/form_win.h"
#include "forms/handles_win.h"
#include "settings/dialog_layout.h"
#include "config/settings_location_win.h"

namespace corvalinth::settings {

// What the dialog asks of the world outside it; tests replace these.
struct DialogServices {
    // Writes the settings as one save; says which file and how it went.
    std::function<SaveOutcome(std::span<const IniKeyValue> keys)> save;
    std::function<void(HWND owner, const std::wstring& address)> openAddress;
    std::function<void(HWND owner, const std::wstring& text)> showSaveFailure;
    // Whether a high-contrast theme is on; none: the usual theme.
    std::function<bool()> highContrast;
};
// The settings file found at start-up, the shell, a message box and the system's theme.
DialogServices DefaultServices(const SettingsLocation& settingsFile);

inline COLORREF PanelColorRef() { return static_cast<COLORREF>(kPanelColor); }

// Why one write failed: the program's own words where it knows more than the
// system's code, else the system's text, else the program's words for the code.
std::wstring SaveFailureReason(const IniWriteResult& result);
// The text that tells the user a save failed: each place tried, in order, with
// its file and reason, and where the new settings were kept if they were.
std::wstring SaveFailureText(const SaveOutcome& outcome);

class Corvalinth_P final : public forms::Form {
public:
    explicit Corvalinth_P(DialogServices services);
    ~Corvalinth_P() override;

    // The controls, for the procedures that walk them and for tests.
    forms::OptionButton& Opt_C(int index) { return *opt_C_[static_cast<std::size_t>(index)]; }
    forms::HScrollBar& HS_Num() { return *hs_Num_; }
    forms::TextBox& PW() { return *pw_; }
    forms::PictureBox& Picture1() { return *picture1_; }
    forms::PictureBox& Pic_1() { return *pic_1_; }
    button::Command& Cmd_Can() { return *cmd_Can_; }
    button::Command& Cmd_Set() { return *cmd_Set_; }
    const std::wstring& lbl_Num() const { return lblNumCaption_; }
    const std::wstring& lbl_URL() const { return lblUrlCaption_; }
    // Where a windowless label or shape lies, in pixels of the form's client area.
    RECT ClientRectOf(std::string_view control) const;
    const forms::DibSurface& Background() const { return background_; }

    // The handlers, named after element and event.
    void Opt_C_Click(int index);
    void HS_Num_Change();
    void HS_Num_Scroll();
    void Cmd_Set_Click();
    void Cmd_Can_Click();
    void lbl_URL_Click();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(std::int16_t& cancel) override;
    void Form_DpiChanged(const RECT& suggested) override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateFonts();
    void CreateControls();
    HWND MakeControl(const ControlLayout& control, HWND parent);
    HWND MakeOption(const ControlLayout& control, HWND parent);
    HWND MakeCommand(const ControlLayout& control, HWND parent);
    void PlaceControl(const ControlLayout& control);
    void OnPaint();
    bool OnSetCursor(HWND over, UINT hitTest);
    void OnActivate(bool active);
    HFONT FontFor(Face face) const;
    forms::PixelPlace PlaceOf(const ControlLayout& control) const;
    void PaintIllustration();
    void PaintPanel();
    void PaintLabel(HDC dc, const ControlLayout& control, const std::wstring& caption, int dx, int dy) const;
    void SetNumberLabel(const std::wstring& caption);
    // Follows the theme: the design's colours, or the system's in high contrast.
    void ApplyTheme();
    bool HighContrastWanted() const;
    std::optional<COLORREF> Resolve(Paint paint, bool back) const;
    COLORREF PanelBack() const;
    bool OverLink(POINT client) const;

    DialogServices services_;
    forms::Font labelFont_, boldFont_, underlinedFont_, defaultFont_;
    std::unique_ptr<forms::PictureBox> picture1_, pic_1_;
    std::array<std::unique_ptr<forms::OptionButton>, 2> opt_C_;
    std::unique_ptr<forms::HScrollBar> hs_Num_;
    std::unique_ptr<forms::TextBox> pw_;
    std::unique_ptr<button::Command> cmd_Can_, cmd_Set_;
    std::wstring lblNumCaption_{Control("lbl_Num").caption};
    std::wstring lblUrlCaption_{Control("lbl_URL").caption};
    forms::DibSurface background_;
    bool linkPressed_ = false;
    bool highContrast_ = false;
    HWND lastFocus_ = nullptr;
};

// The settings dialog, modal, with no owner; returns when it closes.
int RunSettingsDialog(const SettingsLocation& settingsFile);

}  // namespace corvalinth::settings
