#include "core/monitor_layout.h"

#include <algorithm>
#include <utility>

namespace corvalinth::core {

namespace {
bool HoldsOrigin(const Rect& r) { return r.left <= 0 && r.top <= 0 && r.right > 0 && r.bottom > 0; }
}  // namespace

MonitorLayout::MonitorLayout(std::span<const Monitor> monitors, const Rect& fallback)
{
    const Monitor* marked = nullptr;
    const Monitor* origin = nullptr;
    for (const Monitor& m : monitors) {
        if (m.bounds.Empty()) continue;
        monitors_.push_back(m.bounds);
        if (m.primary && !marked) marked = &m;
        if (HoldsOrigin(m.bounds) && !origin) origin = &m;
    }
    if (monitors_.empty() && !fallback.Empty()) monitors_.push_back(fallback);
    if (monitors_.empty()) return;

    primary_ = marked ? marked->bounds : origin ? origin->bounds : monitors_.front();
    for (const Rect& m : monitors_) bounds_ = Union(bounds_, m);
    // A surface this wide cannot be made or counted in 16 bits; keep the side
    // that starts at the primary monitor and lose the far end.
    const auto limit = [](int& low, int& high, int keepFrom) {
        if (high - low <= kMaxScreenSide) return;
        low = std::clamp(keepFrom, low, high - kMaxScreenSide);
        high = low + kMaxScreenSide;
    };
    limit(bounds_.left, bounds_.right, primary_.left);
    limit(bounds_.top, bounds_.bottom, primary_.top);
}

Rect MonitorLayout::ToSurface(const Rect& desktop) const
{
    const Offset o = Origin();
    return {desktop.left + o.dx, desktop.top + o.dy, desktop.right + o.dx, desktop.bottom + o.dy};
}

std::vector<Rect> MonitorLayout::Uncovered() const
{
    std::vector<Rect> uncovered;
    if (bounds_.Empty()) return uncovered;
    // Horizontal bands between every monitor's top and bottom edge; within a
    // band the monitors are plain intervals.
    std::vector<int> edges{bounds_.top, bounds_.bottom};
    for (const Rect& m : monitors_) {
        edges.push_back(std::clamp(m.top, bounds_.top, bounds_.bottom));
        edges.push_back(std::clamp(m.bottom, bounds_.top, bounds_.bottom));
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<std::pair<int, int>> spans;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const int top = edges[i], bottom = edges[i + 1];
        spans.clear();
        for (const Rect& m : monitors_)
            if (m.top <= top && m.bottom >= bottom) spans.emplace_back(m.left, m.right);
        std::sort(spans.begin(), spans.end());
        int x = bounds_.left;
        for (const auto& [left, right] : spans) {
            if (left > x) uncovered.push_back(ToSurface({x, top, std::min(left, bounds_.right), bottom}));
            x = std::max(x, right);
            if (x >= bounds_.right) break;
        }
        if (x < bounds_.right) uncovered.push_back(ToSurface({x, top, bounds_.right, bottom}));
    }
    // Adjacent bands with the same gap are one rectangle.
    std::vector<Rect> merged;
    for (const Rect& r : uncovered) {
        if (r.Empty()) continue;
        auto same = std::find_if(merged.begin(), merged.end(), [&](const Rect& m) {
            return m.left == r.left && m.right == r.right && m.bottom == r.top;
        });
        if (same != merged.end()) same->bottom = r.bottom;
        else merged.push_back(r);
    }
    return merged;
}

Offset PictureShift(const MonitorLayout& before, const MonitorLayout& after)
{
    return {before.Bounds().left - after.Bounds().left, before.Bounds().top - after.Bounds().top};
}

void CarryOver(const SurfaceView& target, const SurfaceView& picture, Offset shift)
{
    target.Fill(0);
    Copy(target, shift.dx, shift.dy, picture.Width(), picture.Height(), picture, 0, 0);
}

}  // namespace corvalinth::core
