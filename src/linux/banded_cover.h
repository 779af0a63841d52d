#pragma once
// The dots a present sends, as few rectangles as the X server can take in one
// clip list: every changed pixel is covered, rows are cut into bands of a fixed
// height, and within a band the spans that overlap or lie close are joined.
// The result is in the order X calls YXBanded (bands top down, each band's
// rectangles left to right, all of one height, none overlapping), which the
// server takes as a region without sorting it.
#include <span>
#include <vector>

#include "core/surface.h"

namespace corvalinth::linux_host {

class BandedCover {
public:
    // Bands are 1 << bandShift rows high (a shift, not a division, per
    // rectangle). Spans in a band closer than `joinGap` pixels are joined: a
    // few more pixels copied cost the server less than another rectangle.
    explicit BandedCover(int bandShift = 1, int joinGap = 8) : shift_(bandShift), gap_(joinGap) {}

    // The cover of the parts of `changed` inside `bounds` (whose top starts
    // the first band); valid until the next call.
    const std::vector<core::Rect>& Cover(std::span<const core::Rect> changed, const core::Rect& bounds);

private:
    struct Span {
        int left, right;
    };
    int shift_, gap_;
    std::vector<int> starts_;
    std::vector<Span> spans_;
    std::vector<core::Rect> cover_;
};

}  // namespace corvalinth::linux_host
