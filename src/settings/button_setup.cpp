#include "settings/button_setup.h"

#include "core/corvalinth_b.h"

namespace corvalinth {

ButtonSetup ButtonSetupFor(std::int16_t doInit, std::int16_t enable)
{
    if (doInit == kTrue) return ButtonSetup::Initialize;
    return enable == kTrue ? ButtonSetup::Enable : ButtonSetup::Disable;
}

}  // namespace corvalinth
