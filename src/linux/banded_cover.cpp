#include "linux/banded_cover.h"

#include <algorithm>

namespace corvalinth::linux_host {

const std::vector<core::Rect>& BandedCover::Cover(std::span<const core::Rect> changed, const core::Rect& bounds)
{
    cover_.clear();
    if (bounds.Empty()) return cover_;
    const int top = bounds.top, band = 1 << shift_, bands = (bounds.Height() + band - 1) >> shift_;
    // Counted into their bands first, so that only each band's few spans are sorted.
    starts_.assign(static_cast<std::size_t>(bands) + 1, 0);
    auto eachBand = [&](auto&& visit) {
        for (const core::Rect& changedRect : changed) {
            const core::Rect r = core::Intersect(changedRect, bounds);
            if (r.Empty()) continue;
            for (int b = (r.top - top) >> shift_, last = (r.bottom - 1 - top) >> shift_; b <= last; ++b) visit(b, r);
        }
    };
    eachBand([&](int b, const core::Rect&) { ++starts_[static_cast<std::size_t>(b) + 1]; });
    for (std::size_t b = 1; b < starts_.size(); ++b) starts_[b] += starts_[b - 1];
    spans_.resize(static_cast<std::size_t>(starts_.back()));
    std::vector<int>& next = starts_;  // each band's write position, then its end
    eachBand([&](int b, const core::Rect& r) { spans_[static_cast<std::size_t>(next[static_cast<std::size_t>(b)]++)] = {r.left, r.right}; });
    // Every band's start moved to its end; the band's start is the one before's end.
    for (int b = 0, begin = 0; b < bands; ++b) {
        const int end = next[static_cast<std::size_t>(b)];
        const auto first = spans_.begin() + begin, last = spans_.begin() + end;
        begin = end;
        if (first == last) continue;
        std::sort(first, last, [](const Span& a, const Span& z) { return a.left < z.left; });
        const int y0 = top + (b << shift_), y1 = std::min(y0 + band, bounds.bottom);
        Span joined = *first;
        for (auto s = first + 1; s != last; ++s) {
            if (s->left <= joined.right + gap_) {
                joined.right = std::max(joined.right, s->right);
                continue;
            }
            cover_.push_back({joined.left, y0, joined.right, y1});
            joined = *s;
        }
        cover_.push_back({joined.left, y0, joined.right, y1});
    }
    return cover_;
}

}  // namespace corvalinth::linux_host
