#pragma once
// The module variables shared by every form: the settings loaded at start-up and
// the few values that pass between forms. They live for the whole process.
#include <cstdint>
#include <optional>
#include <string>

namespace corvalinth {

constexpr std::int16_t kTrue = -1;  // the 16-bit Boolean convention: only -1 is True
constexpr std::int16_t kFalse = 0;

// The most dots a user can choose, and the count when none is stored.
constexpr std::int16_t kMaxParticles = 1000;

struct CorvalinthB {
    std::int16_t gColor = 0;           // 0 = colour particles, anything else = grey
    std::int16_t gNum = 0;             // particles to animate
    std::wstring gPassword;            // empty = no password
    std::int16_t gPassOK = kFalse;     // the prompt accepted the password
    std::optional<std::int32_t> gCursorCount;  // empty until ShowCursor's counter is stored
    std::int16_t gZoomX = 0;           // screen pixel the settings dialog zooms from
    std::int16_t gZoomY = 0;
};

// The one instance, defined with the start-up code.
CorvalinthB& Module();

}  // namespace corvalinth
