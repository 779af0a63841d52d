#include "button/button_state.h"

#include "core/corvalinth_b.h"

namespace corvalinth::button {

std::string_view PictureName(StatePicture picture)
{
    switch (picture) {
        case StatePicture::Normal: return "Normal";
        case StatePicture::HighLight: return "HighLight";
        case StatePicture::Pressed: return "Pressed";
        case StatePicture::Disable: return "Disable";
        case StatePicture::HighLightSelect: return "HighLightSelect";
        case StatePicture::Selected: return "Selected";
    }
    return "?";
}

void Initialize(CommandFields& f) { f.mState = kIdle; }

Reaction MouseDown(CommandFields& f, std::int16_t button)
{
    if (f.mEnabled == 0) return {};
    if (button != kLeftButton) return {};
    f.mMouseDown = kTrue;
    // A press on us proves the pointer is over us, whether or not a move said
    // so first (focus given back by a closing message box, say), so the
    // release clicks.
    if (f.mState == kFocused) f.mState = kFocusedHover;
    return {StatePicture::Pressed, false};
}

Reaction MouseMove(CommandFields& f)
{
    if (f.mEnabled == 0) return {};
    Reaction r;
    if (f.mState == kIdle) {
        f.mState = kHover;
        r.paint = StatePicture::HighLight;
    }
    if (f.mState == kFocused && f.mMouseDown == kFalse) {
        f.mState = kFocusedHover;
        r.paint = StatePicture::HighLightSelect;
    }
    return r;
}

Reaction MouseUp(CommandFields& f, std::int16_t button)
{
    if (f.mEnabled == 0) return {};
    Reaction r;
    if (button == kLeftButton) {
        f.mMouseDown = kFalse;
        if (f.mState == kHover) r.paint = StatePicture::Normal;
        if (f.mState == kFocusedHover) r.paint = StatePicture::HighLightSelect;
    }
    // Any button's release counts, not only the left one's.
    r.click = f.mState != kFocused && f.mEnabled == kTrue;
    return r;
}

Reaction GotFocus(CommandFields& f)
{
    if (f.mEnabled == 0) return {};
    Reaction r;
    if (f.mState != kHover) {
        f.mState = kFocused;
        r.paint = StatePicture::Selected;
    }
    if (f.mState == kHover) {
        f.mState = kFocusedHover;
        r.paint = StatePicture::Pressed;
    }
    return r;
}

Reaction LostFocus(CommandFields& f)
{
    if (f.mEnabled == 0) return {};
    if (f.mState == kIdle) return {};
    f.mState = kIdle;
    return {StatePicture::Normal, false};
}

Reaction EndHover(CommandFields& f)
{
    if (f.mEnabled == 0) return {};
    Reaction r;
    if (f.mState == kHover) {
        f.mState = kIdle;
        r.paint = StatePicture::Normal;
    }
    if (f.mState == kFocusedHover) {
        f.mState = kFocused;
        r.paint = StatePicture::Selected;
    }
    return r;
}

Reaction TimerTick(CommandFields& f, PointerOver where)
{
    // Over the caption label counts as over us: the label has no window of its own.
    if (where == PointerOver::OwnWindow) return {};
    return EndHover(f);
}

std::int16_t HighlightForState(std::uint8_t state, std::int16_t previous)
{
    switch (state) {
        case kIdle:
        case kFocused: return kFalse;
        case kHover: return kTrue;
        default: return previous;
    }
}

}  // namespace corvalinth::button
