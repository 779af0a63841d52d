#pragma once
// The button's fields and its reaction to mouse, focus and pointer-leave events,
// as pure logic: each event updates the fields and says which state picture to
// paint and whether Click is raised.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "button/button_geometry.h"
#include "button/gradient.h"

namespace corvalinth::button {

enum class StatePicture : std::uint8_t { Normal, HighLight, Pressed, Disable, HighLightSelect, Selected };
inline constexpr int kStatePictureCount = 6;
std::string_view PictureName(StatePicture picture);

// Interaction states.
inline constexpr std::uint8_t kUninitialised = 0;
inline constexpr std::uint8_t kIdle = 1;
inline constexpr std::uint8_t kHover = 2;            // pointer over, no focus
inline constexpr std::uint8_t kFocused = 3;          // focus, pointer elsewhere
inline constexpr std::uint8_t kFocusedHover = 4;     // focus and pointer over

// Mouse button bits as the handlers receive them.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;

// One control's fields, in declaration order; all zero when the control is created.
struct CommandFields {
    GradientRect mGradRect;
    std::array<TriVertex, 3> mVert{};
    std::int16_t mHighlight = 0;  // 16-bit Boolean: lavender at the top
    std::uint8_t mFirstRun = 0;   // 0 until loaded from stored properties
    std::int16_t mEnabled = 0;    // 16-bit Boolean
    std::uint8_t mState = 0;
    FrameGeometry frame;
    std::int16_t mMouseDown = 0;  // 16-bit Boolean: left button held since a press on us
};

struct Reaction {
    std::optional<StatePicture> paint;
    bool click = false;
};

// Where the pointer-leave timer found the pointer.
enum class PointerOver { OwnWindow, Container, Elsewhere };

void Initialize(CommandFields& f);
Reaction MouseDown(CommandFields& f, std::int16_t button);
Reaction MouseMove(CommandFields& f);
Reaction MouseUp(CommandFields& f, std::int16_t button);
Reaction GotFocus(CommandFields& f);
Reaction LostFocus(CommandFields& f);
Reaction EndHover(CommandFields& f);
Reaction TimerTick(CommandFields& f, PointerOver where);

// The gradient orientation a paint uses: idle and focused states put white at the
// top, hovering puts lavender there, and the others keep the previous paint's.
std::int16_t HighlightForState(std::uint8_t state, std::int16_t previous);

}  // namespace corvalinth::button
