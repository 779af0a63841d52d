#include "settings/dialog_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "core/number_rules.h"

namespace corvalinth::settings {

const ControlLayout& Control(std::string_view name)
{
    for (const auto& control : kDialogControls)
        if (control.name == name) return control;
    throw std::out_of_range("no dialog control named " + std::string(name));
}

PixelRect ToPixels(const ControlLayout& control, double twipsPerPixelX, double twipsPerPixelY)
{
    if (!(twipsPerPixelX > 0)) twipsPerPixelX = 15.0;
    if (!(twipsPerPixelY > 0)) twipsPerPixelY = 15.0;
    return {core::NearestInt32(control.left / twipsPerPixelX), core::NearestInt32(control.top / twipsPerPixelY),
            core::NearestInt32(control.width / twipsPerPixelX), core::NearestInt32(control.height / twipsPerPixelY)};
}

TwipsPoint DialogPosition(double screenWidth, double screenHeight, int windowWidth, int windowHeight)
{
    const auto spare = [](double screen, int window) -> std::int64_t {
        const double free = core::RoundHalfEven(screen - window);
        // The screen's size comes from the system; a value that is not a size
        // places the dialog at the corner rather than anywhere at all.
        if (!std::isfinite(free) || std::fabs(free) > 1e15) return 0;
        return static_cast<std::int64_t>(free);
    };
    // Neither divisor is zero, so the division always has a value.
    const auto left = core::DivideTowardZero(spare(screenWidth, windowWidth), 2).value_or(0);
    const auto top = core::DivideTowardZero(spare(screenHeight, windowHeight), 3).value_or(0);
    constexpr std::int64_t lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return {static_cast<int>(std::clamp(left, lo, hi)), static_cast<int>(std::clamp(top, lo, hi))};
}

}  // namespace corvalinth::settings
