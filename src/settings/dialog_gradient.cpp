#include "settings/dialog_gradient.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/number_rules.h"

namespace corvalinth::settings {

core::Pixel GradientColorAt(double y, double scaleHeight)
{
    // 3.142 is a shade above pi, so the bottom row stays just short of dark.
    const double k = scaleHeight / 3.142;
    const double c = k > 0 ? core::RoundHalfEven(std::fabs(std::sin(y / k) * 220.0)) : 0.0;
    const int level = static_cast<int>(std::clamp(c, 0.0, 220.0));
    return core::Rgb(level, level, level + 30);
}

std::vector<core::Pixel> GradientRows(int heightPixels, double twipsPerPixel)
{
    if (heightPixels <= 0) return {};
    if (!(twipsPerPixel > 0) || !std::isfinite(twipsPerPixel)) twipsPerPixel = 15.0;
    const double scaleHeight = heightPixels * twipsPerPixel;
    const double last = core::RoundHalfEven(scaleHeight);

    std::vector<std::optional<core::Pixel>> drawn(static_cast<std::size_t>(heightPixels));
    // A twips row lands on the nearest pixel row; later rows overwrite earlier ones.
    for (double y = 0; y <= last; ++y) {
        const std::int32_t row = core::NearestInt32(y / twipsPerPixel);
        if (row < 0) continue;
        if (row >= heightPixels) break;
        drawn[static_cast<std::size_t>(row)] = GradientColorAt(y, scaleHeight);
    }

    // Above about 1440 DPI a pixel row can fall between two twips rows; it takes
    // the colour of the row above (or below, for the first).
    std::vector<core::Pixel> rows(drawn.size());
    std::optional<core::Pixel> previous;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i]) previous = drawn[i];
        if (!previous) {
            const auto next = std::find_if(drawn.begin() + static_cast<std::ptrdiff_t>(i), drawn.end(),
                                           [](const auto& c) { return c.has_value(); });
            previous = next != drawn.end() ? **next : GradientColorAt(0, scaleHeight);
        }
        rows[i] = *previous;
    }
    return rows;
}

void PaintRows(const core::SurfaceView& surface, const std::vector<core::Pixel>& rows)
{
    if (rows.empty()) return;
    for (int y = 0; y < surface.Height(); ++y) {
        const core::Pixel colour = rows[std::min(static_cast<std::size_t>(y), rows.size() - 1)];
        std::fill_n(surface.Row(y), surface.Width(), colour);
    }
}

}  // namespace corvalinth::settings
