#pragma once
// The Command push button as a window of its own: an owner-drawn child control
// that any form can place (in twips or pixels), size and listen to. It paints a
// retained face, follows the pointer with a 100 ms poll once initialised, and
// reports Click through a callback and a WM_COMMAND (BN_CLICKED) to its container.
//
// A container creates it, then loads its stored properties with ReadProperties
// (an empty bag gives the defaults), then places it:
//     auto cmd = std::make_unique<Command>(form.hWnd(), kIdSet);
//     cmd->ReadProperties(bag);
//     cmd->Move(6300, 3060, 1395, 435);
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "button/command_core.h"
#include "core/surface.h"
#include "forms/accessible_win.h"
#include "forms/dib_surface_win.h"
#include "forms/handles_win.h"
#include "forms/timer_win.h"

namespace corvalinth::button {

// What the shared button set-up reaches on each button of a form.
class CommandLike {
public:
    virtual void Initialize() = 0;
    virtual void SetEnabled(std::int16_t value) = 0;

protected:
    ~CommandLike() = default;
};

inline constexpr wchar_t kCommandClassName[] = L"Corvalinth.Command";

// Calls `visit` for every Command among the container's child windows, in
// window order (the shared button set-up initialises or enables them all).
void ForEachCommand(HWND container, const std::function<void(CommandLike&)>& visit);

class Command final : public CommandLike, private CommandHost, private forms::AccessibleFacts {
public:
    static constexpr wchar_t kWindowTie[] = L"Corvalinth.Command";
    Command(HWND container, int controlId);
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // The Command behind a window, or nullptr for any other window.
    static Command* FromWindow(HWND window);

    HWND hWnd() const { return window_.Get(); }
    int ControlId() const { return controlId_; }

    // Placement in the container's twips, converted with this control's factors.
    void Move(double leftTwips, double topTwips, double widthTwips, double heightTwips);
    void MovePixels(int left, int top, int width, int height);
    // The container's twips per pixel; a DPI change rescales the frame and caption.
    void SetTwipsPerPixel(double x, double y);
    double TwipsPerPixelX() const { return tppX_; }
    double TwipsPerPixelY() const { return tppY_; }

    // The public interface.
    void Initialize() override;
    void SetEnabled(std::int16_t value) override { core_.SetEnabled(value); }
    std::int16_t Enabled() { return core_.GetEnabled(); }
    void SetVisible(std::uint8_t value) { core_.SetVisible(value); }
    std::uint8_t Visible() { return core_.GetVisible(); }
    void SetFontColour(std::int32_t value) { core_.SetFontColour(value); }
    std::int32_t FontColour() { return core_.GetFontColour(); }
    void SetCaption(std::wstring value) { core_.SetCaption(std::move(value)); }
    const std::wstring& Caption() const { return core_.GetCaption(); }
    void SetFont(FontObject value) { core_.SetFont(std::move(value)); }
    FontObject Font() const { return core_.GetFont(); }

    void ReadProperties(const PropertyBag& bag) { core_.UserControl_ReadProperties(bag); }
    void WriteProperties(PropertyBag& bag) { core_.UserControl_WriteProperties(bag); }

    // In a high-contrast theme the face is plain, in the system's button
    // colours, and the caption in its button text colour.
    void SetHighContrast(bool on);

    // The font stored properties default to; the container's font when it has one.
    void SetAmbientFont(FontObject font) { ambientFont_ = std::move(font); }

    // Raised on the release the input rules count as a click. The callback runs
    // first and may destroy this control.
    std::function<void()> OnClick;
    // The named property changed; the container should store the control again.
    std::function<void(std::wstring_view key)> OnPropertyChanged;

    const CommandCore& Core() const { return core_; }
    // What the window shows: face, or the container behind it, plus the caption.
    core::PixelSurface Snapshot() const;

private:
    // CommandHost
    void PaintFace(StatePicture picture, CommandFields& f) override;
    void Refresh() override;
    void CaptionChanged() override;
    void PropertyChanged(std::wstring_view key) override;
    void RaiseClick() override { clickPending_ = true; }
    void StartMouseTimer(int intervalMs) override;
    double WidthTwips() const override;
    double HeightTwips() const override;
    FontObject AmbientFont() const override { return ambientFont_; }

    // AccessibleFacts: a push button named by its caption, pressed by Click.
    std::optional<LONG> AccessibleRole() const override;
    std::optional<std::wstring> AccessibleName() const override { return core_.GetCaption(); }
    std::optional<LONG> AccessibleState() const override;
    std::optional<std::wstring> AccessibleDefaultAction() const override;
    void StartAccessibleDefaultAction() override;
    bool AccessibleHasChildren() const override { return false; }
    bool Pressable() const;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void DeliverPendingClick();
    void TmrMouse_Timer();
    void ResizeSurface();
    void PaintPlainFace(StatePicture picture);
    void Compose(HDC target, int width, int height) const;
    void DrawContainerBehind(HDC target) const;
    void DrawCaption(HDC target) const;
    HFONT CaptionFont() const;

    int controlId_;
    double tppX_ = 15.0, tppY_ = 15.0;
    FontObject ambientFont_;
    CommandCore core_;
    forms::UniqueWindow window_;
    forms::DibSurface face_;
    std::array<forms::Bitmap, kStatePictureCount> pictures_;
    forms::MemoryDC pictureDc_;
    forms::Timer tmrMouse_;
    forms::AccessibleServer accessible_;
    bool clickPending_ = false;
    bool highContrast_ = false;
    StatePicture lastPicture_ = StatePicture::Normal;  // painted again when the theme changes
    // Where the last pointer move was seen, in screen pixels: the platform also
    // reports a "move" when capture ends or windows change, which is no move.
    std::optional<POINT> lastMove_;
    // Drawing the container behind a transparent face must not come back here.
    mutable bool drawingBehind_ = false;
    // The caption font made from the label's font, remade when that changes.
    mutable forms::Font captionFont_;
    mutable FontDesc captionFontFor_;
    mutable int captionFontDpi_ = 0;
};

}  // namespace corvalinth::button
