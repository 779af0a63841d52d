#pragma once
// Everything the button does apart from touching the window system: its
// properties with their side effects, loading and storing them, the repaint
// operations and the event handlers. The window code implements CommandHost and
// forwards its messages to the handlers here.
#include <cstdint>
#include <string>
#include <string_view>

#include "button/button_state.h"
#include "button/property_bag.h"

namespace corvalinth::button {

class CommandHost {
public:
    // Clear the retained face, fill the gradient (filling f.mVert and f.mGradRect)
    // and lay the picture's eight frame slices from f.frame over it.
    virtual void PaintFace(StatePicture picture, CommandFields& f) = 0;
    // Show the retained face and the caption on screen now.
    virtual void Refresh() = 0;
    // The caption or the background style changed without a new face.
    virtual void CaptionChanged() = 0;
    virtual void PropertyChanged(std::wstring_view key) = 0;
    virtual void RaiseClick() = 0;
    virtual void StartMouseTimer(int intervalMs) = 0;
    virtual double WidthTwips() const = 0;
    virtual double HeightTwips() const = 0;
    virtual FontObject AmbientFont() const = 0;

protected:
    ~CommandHost() = default;
};

// What the caption label holds; the control's Caption, Font and FontColour live here.
struct CaptionLabel {
    std::wstring caption = L"Command";
    FontObject font;
    std::int32_t foreColour = 0;  // the platform's colour number
    bool enabled = true;
    double left = 0, top = 90, width = 1635, height = kLabelHeightTwips;  // twips
};

inline constexpr std::uint8_t kVisibleOpaque = 255;
inline constexpr int kMouseTimerIntervalMs = 100;

// A colour the caption accepts: red + 256 green + 65536 blue, or a system colour
// (high bit set, index in the low byte).
bool IsValidColour(std::int32_t colour);

class CommandCore {
public:
    // Reads the host's ambient font for the label's design font.
    explicit CommandCore(CommandHost& host);
    CommandCore(const CommandCore&) = delete;
    CommandCore& operator=(const CommandCore&) = delete;

    void Initialize();

    // Properties. Reads can repaint, as the names of the get functions admit.
    void SetVisible(std::uint8_t value);
    std::uint8_t GetVisible();
    void SetFontColour(std::int32_t value);
    std::int32_t GetFontColour();
    std::int16_t GetEnabled();
    void SetEnabled(std::int16_t value);
    const std::wstring& GetCaption() const { return label_.caption; }
    void SetCaption(std::wstring value);
    FontObject GetFont() const { return label_.font; }
    void SetFont(FontObject value);

    void UserControl_ReadProperties(const PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag);

    // Painting.
    void DrawButton(StatePicture picture);
    void ShowEnabledState();
    void RefreshButton();
    void UserControl_Resize();

    // Input. The label's events are the control's own.
    void UserControl_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
    void UserControl_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
    void UserControl_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
    void LblMsg_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
    void LblMsg_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
    void LblMsg_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void TmrMouse_Timer(PointerOver where);
    // A screen reader's "press": Click on an enabled button whatever the pointer
    // and focus; no look and no state change.
    void DoDefaultAction();

    const CommandFields& Fields() const { return f_; }
    CommandFields& Fields() { return f_; }
    const CaptionLabel& LblMsg() const { return label_; }
    std::int16_t BackStyle() const { return backStyle_; }
    bool MouseTimerEnabled() const { return timerEnabled_; }

private:
    void Apply(const Reaction& r);

    CommandHost& host_;
    CommandFields f_;
    CaptionLabel label_;
    std::int16_t backStyle_ = 1;  // 1 opaque, 0 transparent
    bool timerEnabled_ = false;
};

}  // namespace corvalinth::button
