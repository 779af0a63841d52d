#pragma once
// What InitButtons does to each Command button for its two 16-bit Boolean flags.
// Only exactly True (-1) counts as True; 1 is False here.
#include <cstdint>

namespace corvalinth {

enum class ButtonSetup { Initialize, Enable, Disable };

ButtonSetup ButtonSetupFor(std::int16_t doInit, std::int16_t enable);

}  // namespace corvalinth
