#include "password/form_region.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/number_rules.h"

namespace corvalinth::password {
namespace {

// A whole number of pixels; what cannot be represented counts as no offset.
int WholePixels(double value) { return core::ToInt32(value).value_or(0); }

int Clamped(std::int64_t value)
{
    constexpr std::int64_t lo = std::numeric_limits<int>::min();
    constexpr std::int64_t hi = std::numeric_limits<int>::max();
    return static_cast<int>(value < lo ? lo : (value > hi ? hi : value));
}

}  // namespace

ClientOffsets OffsetsOf(const FormMeasure& form)
{
    ClientOffsets offsets;
    if (form.twipsPerPixelX == 0 || form.twipsPerPixelY == 0) return offsets;
    offsets.bx = WholePixels((form.widthTwips / form.twipsPerPixelX - form.scaleWidthPixels) / 2);
    offsets.by = WholePixels(form.heightTwips / form.twipsPerPixelY - form.scaleHeightPixels - offsets.bx);
    return offsets;
}

std::vector<core::Rect> RegionRects(const ClientOffsets& offsets, const std::vector<ControlBox>& controls)
{
    std::vector<core::Rect> rects;
    for (const ControlBox& box : controls) {
        if (!box) continue;
        // 64-bit sums: a control far off the form must not wrap around onto it.
        rects.push_back({Clamped(std::int64_t{box->left} + offsets.bx), Clamped(std::int64_t{box->top} + offsets.by),
                         Clamped(std::int64_t{box->right} + offsets.bx),
                         Clamped(std::int64_t{box->bottom} + offsets.by)});
    }
    return rects;
}

int CentredOrigin(double screenTwips, double formTwips)
{
    const std::int64_t difference = core::ToInt64(screenTwips - formTwips).value_or(0);
    return Clamped(*core::DivideTowardZero(difference, 2));
}

}  // namespace corvalinth::password
