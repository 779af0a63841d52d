#include "button/command_core.h"

#include <utility>

#include "core/corvalinth_b.h"

namespace corvalinth::button {

bool IsValidColour(std::int32_t colour)
{
    const auto u = static_cast<std::uint32_t>(colour);
    if (u <= 0xFFFFFFu) return true;
    return (u & 0xFFFFFF00u) == 0x80000000u && (u & 0xFFu) <= 30;
}

CommandCore::CommandCore(CommandHost& host) : host_(host) { label_.font = host_.AmbientFont(); }

void CommandCore::Initialize()
{
    button::Initialize(f_);
    timerEnabled_ = true;
    host_.StartMouseTimer(kMouseTimerIntervalMs);
}

void CommandCore::SetVisible(std::uint8_t value)
{
    if (value == 0) {
        backStyle_ = 0;
        host_.CaptionChanged();
    } else {
        backStyle_ = 1;
        host_.CaptionChanged();
        RefreshButton();
    }
    host_.PropertyChanged(L"Visible");
}

std::uint8_t CommandCore::GetVisible()
{
    if (backStyle_ == 0) return 0;
    RefreshButton();
    return kVisibleOpaque;
}

void CommandCore::SetFontColour(std::int32_t value)
{
    if (!IsValidColour(value)) {
        RefreshButton();
        return;
    }
    label_.foreColour = value;
    host_.CaptionChanged();
    RefreshButton();
    host_.PropertyChanged(L"FontColour");
}

std::int32_t CommandCore::GetFontColour()
{
    const std::int32_t colour = label_.foreColour;
    RefreshButton();
    return colour;
}

std::int16_t CommandCore::GetEnabled()
{
    if (f_.mFirstRun == 0) {
        RefreshButton();
        f_.mFirstRun = 1;
        f_.mEnabled = kTrue;
    }
    const std::int16_t result = f_.mEnabled;
    ShowEnabledState();
    return result;
}

void CommandCore::SetEnabled(std::int16_t value)
{
    f_.mEnabled = value != 0 ? kTrue : kFalse;  // passed as a Boolean
    host_.PropertyChanged(L"Enabled");
    ShowEnabledState();
}

void CommandCore::SetCaption(std::wstring value)
{
    label_.caption = std::move(value);
    host_.CaptionChanged();
    host_.PropertyChanged(L"Caption");
}

void CommandCore::SetFont(FontObject value)
{
    label_.font = std::move(value);
    host_.CaptionChanged();
    host_.PropertyChanged(L"Font");
}

void CommandCore::UserControl_ReadProperties(const PropertyBag& bag)
{
    // Each step on its own: a value of the wrong kind leaves its field alone.
    if (auto v = ConvertTo(bag.ReadProperty(L"Enabled", Bool16{kTrue}), ValueType::Boolean))
        f_.mEnabled = std::get<Bool16>(*v).value;
    if (auto v = ConvertTo(bag.ReadProperty(L"Caption", std::wstring(L"Command1")), ValueType::String))
        label_.caption = std::get<std::wstring>(*v);
    if (auto v = ConvertTo(bag.ReadProperty(L"Font", host_.AmbientFont()), ValueType::Font))
        label_.font = std::get<FontObject>(*v);
    if (auto v = ConvertTo(bag.ReadProperty(L"FirstRun", std::wstring(L"1")), ValueType::Byte))
        f_.mFirstRun = std::get<std::uint8_t>(*v);
    if (auto v = ConvertTo(bag.ReadProperty(L"FontColour", std::wstring(L"0")), ValueType::Long))
        if (IsValidColour(std::get<std::int32_t>(*v))) label_.foreColour = std::get<std::int32_t>(*v);
    if (auto v = ConvertTo(bag.ReadProperty(L"Visible", std::wstring(L"1")), ValueType::Integer)) {
        const std::int16_t style = std::get<std::int16_t>(*v);
        if (style == 0 || style == 1) backStyle_ = style;
    }
    host_.CaptionChanged();
    RefreshButton();
}

void CommandCore::UserControl_WriteProperties(PropertyBag& bag)
{
    bag.WriteProperty(L"Enabled", Bool16{f_.mEnabled}, Bool16{kTrue});
    // Not the "Command1" that a read defaults to: a caption of exactly "Command"
    // is left out and comes back as "Command1".
    bag.WriteProperty(L"Caption", label_.caption, std::wstring(L"Command"));
    bag.WriteProperty(L"FirstRun", f_.mFirstRun, std::wstring(L"1"));
    bag.WriteProperty(L"Font", label_.font, host_.AmbientFont());
    bag.WriteProperty(L"FontColour", label_.foreColour, std::wstring(L"0"));
    bag.WriteProperty(L"Visible", backStyle_, std::wstring(L"1"));
    RefreshButton();
}

void CommandCore::DrawButton(StatePicture picture)
{
    f_.mHighlight = HighlightForState(f_.mState, f_.mHighlight);
    const double w = host_.WidthTwips(), h = host_.HeightTwips();
    UpdateFrameGeometry(f_.frame, w, h);
    host_.PaintFace(picture, f_);
    label_.top = CaptionTop(h, label_.height);
    label_.left = 0;
    label_.width = w;
    host_.Refresh();
}

void CommandCore::ShowEnabledState()
{
    if (f_.mEnabled != 0) {
        DrawButton(StatePicture::Normal);
        label_.enabled = true;
    } else {
        DrawButton(StatePicture::Disable);
        label_.enabled = false;
    }
    host_.CaptionChanged();
}

void CommandCore::RefreshButton()
{
    if (f_.mEnabled == 0) return;
    label_.enabled = true;
    if (f_.mFirstRun == 0) label_.foreColour = 0;
    host_.CaptionChanged();
    DrawButton(StatePicture::Normal);
}

void CommandCore::UserControl_Resize() { ShowEnabledState(); }

void CommandCore::Apply(const Reaction& r)
{
    if (r.paint) DrawButton(*r.paint);
    if (r.click) host_.RaiseClick();
}

void CommandCore::UserControl_MouseDown(std::int16_t button, std::int16_t, float, float)
{
    Apply(MouseDown(f_, button));
}

void CommandCore::UserControl_MouseMove(std::int16_t, std::int16_t, float, float) { Apply(MouseMove(f_)); }

void CommandCore::UserControl_MouseUp(std::int16_t button, std::int16_t, float, float)
{
    Apply(MouseUp(f_, button));
}

void CommandCore::LblMsg_MouseDown(std::int16_t button, std::int16_t shift, float x, float y)
{
    UserControl_MouseDown(button, shift, x, y);
}

void CommandCore::LblMsg_MouseMove(std::int16_t button, std::int16_t shift, float x, float y)
{
    UserControl_MouseMove(button, shift, x, y);
}

void CommandCore::LblMsg_MouseUp(std::int16_t button, std::int16_t shift, float x, float y)
{
    UserControl_MouseUp(button, shift, x, y);
}

void CommandCore::UserControl_GotFocus() { Apply(GotFocus(f_)); }

void CommandCore::UserControl_LostFocus() { Apply(LostFocus(f_)); }

void CommandCore::TmrMouse_Timer(PointerOver where) { Apply(TimerTick(f_, where)); }

void CommandCore::DoDefaultAction()
{
    if (f_.mEnabled == kTrue) host_.RaiseClick();
}

}  // namespace corvalinth::button
