#include "forms/scroll_rules.h"

#include <algorithm>

namespace corvalinth::forms {

int ClampToRange(const ScrollRange& range, int value)
{
    const int lo = std::min(range.min, range.max);
    const int hi = std::max(range.min, range.max);
    return std::clamp(value, lo, hi);
}

ScrollOutcome ApplyScroll(const ScrollRange& range, int value, ScrollAction action, int thumb)
{
    const auto step = [&](long long delta) {
        const long long moved = static_cast<long long>(value) + delta;
        const int next = ClampToRange(range, static_cast<int>(std::clamp<long long>(moved, -2147483647LL, 2147483647LL)));
        return ScrollOutcome{next, next != value ? ScrollEvent::Change : ScrollEvent::None};
    };
    switch (action) {
    case ScrollAction::LineLeft: return step(-static_cast<long long>(range.smallChange));
    case ScrollAction::LineRight: return step(range.smallChange);
    case ScrollAction::PageLeft: return step(-static_cast<long long>(range.largeChange));
    case ScrollAction::PageRight: return step(range.largeChange);
    case ScrollAction::Left: return step(static_cast<long long>(std::min(range.min, range.max)) - value);
    case ScrollAction::Right: return step(static_cast<long long>(std::max(range.min, range.max)) - value);
    case ScrollAction::ThumbTrack: {
        const int next = ClampToRange(range, thumb);
        return {next, next != value ? ScrollEvent::Scroll : ScrollEvent::None};
    }
    case ScrollAction::ThumbPosition: return {ClampToRange(range, thumb), ScrollEvent::Change};
    case ScrollAction::EndScroll: break;
    }
    return {value, ScrollEvent::None};
}

}  // namespace corvalinth::forms
