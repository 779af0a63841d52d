#include "swarm/split_screen.h"

#include <algorithm>
#include <cmath>

#include "core/number_rules.h"

namespace corvalinth::swarm {

namespace {
constexpr int kBandHeight = 2;
constexpr double kInitialVelocity = 2.0;
constexpr double kAcceleration = 0.1;
constexpr core::Pixel kBlack = 0;

int Nearest(double v) { return core::NearestInt32(v); }

core::Rect DotRect(int x, int y, int penWidth)
{
    const int left = x - penWidth / 2, top = y - penWidth / 2;
    return {left, top, left + penWidth, top + penWidth};
}
}  // namespace

SplitScreen::SplitScreen(int width, int height, core::Random& random, const core::Clock& clock)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      crackX_(static_cast<std::size_t>(height_) + 1, 0.0), velocity_(kInitialVelocity)
{
    const double w = width_;
    double cx = w / 2;
    random.Reseed(static_cast<double>(clock.SecondsSinceMidnight()));
    jag_ = std::floor(static_cast<double>(random.Next()) * 5 + 3);
    for (int y = 0; y <= height_ - 1; y += kBandHeight) {
        cx += std::floor(static_cast<double>(random.Next()) * 2) == 0 ? jag_ : -jag_;
        if (cx < 0) {
            cx = 0;
            maxTravel_ = w;
        }
        if (cx > w) {
            cx = w;
            maxTravel_ = w;
        }
        crackX_[static_cast<std::size_t>(y)] = cx;
        maxTravel_ = std::max({maxTravel_, cx, w - cx});
    }
}

core::Rect SplitScreen::DrawCrack(const core::SurfaceView& display, int penWidth) const
{
    penWidth = std::clamp(penWidth, 1, 3);
    core::Rect touched;
    int fromX = Nearest(width_ / 2.0), fromY = 0;
    for (int y = 0; y <= height_ - 1; y += kBandHeight) {
        const int toX = Nearest(CrackX(y));
        // A thick line is the pen's dot stamped along the one-pixel line.
        const int dx = std::abs(toX - fromX), sx = fromX < toX ? 1 : -1;
        const int dy = -std::abs(y - fromY), sy = fromY < y ? 1 : -1;
        int err = dx + dy, x = fromX, yy = fromY;
        for (;;) {
            const core::Rect dot = DotRect(x, yy, penWidth);
            display.FillRect(dot, kBlack);
            touched = core::Union(touched, core::Intersect(dot, display.Bounds()));
            if (x == toX && yy == y) break;
            const int e2 = 2 * err;
            if (e2 >= dy) { err += dy; x += sx; }
            if (e2 <= dx) { err += dx; yy += sy; }
        }
        fromX = toX;
        fromY = y;
    }
    return touched;
}

bool SplitScreen::Advance()
{
    if (finished_) return false;
    // At most MaxTravel steps, and none once the halves are off the screen.
    if (++round_ > maxTravel_) {
        finished_ = true;
        return false;
    }
    velocity_ += kAcceleration;
    shift_ -= velocity_;
    if (std::fabs(shift_) > maxTravel_) {
        finished_ = true;
        return false;
    }
    ++passes_;
    return true;
}

// Where every band shows `latest` at one offset: left of all left ends and gaps,
// and (when every band's right half moves alike) right of all gaps.
SplitScreen::Outer SplitScreen::OuterParts(int shift) const
{
    Outer o{width_, 0, 0};
    bool rightAlike = true;
    for (int y = 0; y <= height_ - 1; y += kBandHeight) {
        const double c = CrackX(y);
        const int crack = Nearest(c), right = Nearest(c - shift_);
        const int gap = Nearest(c + shift_), gapEnd = gap + Nearest(-2 * shift_);
        o.leftEnd = std::min({o.leftEnd, shift + crack, gap, right});
        o.rightBegin = std::max({o.rightBegin, right, gapEnd, shift + crack});
        if (y == 0) o.rightOffset = right - crack;
        rightAlike = rightAlike && right - crack == o.rightOffset;
    }
    o.leftEnd = std::clamp(o.leftEnd, 0, width_);
    o.rightBegin = rightAlike ? std::clamp(o.rightBegin, o.leftEnd, width_) : width_;
    return o;
}

SplitScreen::KeptGap SplitScreen::ComposeMiddle(const core::SurfaceView& display, const core::SurfaceView& startup,
                                                const core::SurfaceView& latest, const Outer& outer, int shift,
                                                bool firstPass)
{
    const core::Rect middleArea = core::Intersect({outer.leftEnd, 0, outer.rightBegin, height_}, display.Bounds());
    const core::SurfaceView middle(middleArea.Empty() ? nullptr : display.Row(0) + middleArea.left,
                                   middleArea.Width(), middleArea.Height(), display.Stride());
    const int m = middleArea.left;

    KeptGap kept{!firstPass, 0, width_};
    for (int y = 0; y <= height_ - 1; y += kBandHeight) {
        const double c = CrackX(y);
        const int crack = Nearest(c);
        const int right = Nearest(c - shift_);
        core::Copy(middle, shift - m, y, crack, kBandHeight, latest, 0, y);
        core::Copy(middle, right - m, y, Nearest(width_ - c), kBandHeight, latest, crack, y);
        const int gap = Nearest(c + shift_);
        const int gapEnd = gap + Nearest(-2 * shift_);
        Span& previous = gaps_[static_cast<std::size_t>(y / kBandHeight)];
        // The old gap still shows the start-up picture if neither half was
        // copied over it and the new gap contains it: only the new edges are drawn.
        const bool keep = !firstPass && previous.begin < previous.end && shift + crack <= previous.begin &&
                          right >= previous.end && gap <= previous.begin && gapEnd >= previous.end;
        if (keep) {
            core::Copy(middle, gap - m, y, previous.begin - gap, kBandHeight, startup, gap, y);
            core::Copy(middle, previous.end - m, y, gapEnd - previous.end, kBandHeight, startup, previous.end, y);
            kept.begin = std::max(kept.begin, previous.begin);
            kept.end = std::min(kept.end, previous.end);
        } else {
            core::Copy(middle, gap - m, y, gapEnd - gap, kBandHeight, startup, gap, y);
            kept.everyBand = false;
        }
        previous = {gap, gapEnd};
    }
    return kept;
}

void SplitScreen::Report(const core::SurfaceView& display, const Outer& outer, const KeptGap& kept, int shift)
{
    const core::Rect screen = core::Intersect({0, 0, width_, height_}, display.Bounds());
    auto add = [this, &screen](core::Rect r) {
        r = core::Intersect(r, screen);
        if (!r.Empty()) changed_.push_back(r);
    };
    if (kept.everyBand && kept.begin < kept.end) {
        add({outer.leftEnd, 0, std::min(kept.begin, outer.rightBegin), height_});
        add({std::max(kept.end, outer.leftEnd), 0, outer.rightBegin, height_});
    } else {
        add({outer.leftEnd, 0, outer.rightBegin, height_});
    }
    if (const core::Rect r = core::Intersect({0, 0, outer.leftEnd, height_}, screen); !r.Empty())
        outer_.push_back({r, shift});
    if (const core::Rect r = core::Intersect({outer.rightBegin, 0, width_, height_}, screen); !r.Empty())
        outer_.push_back({r, outer.rightOffset});
    middleBegin_ = outer.leftEnd;
    middleEnd_ = outer.rightBegin;
    leftOffset_ = shift;
    rightOffset_ = outer.rightOffset;
    outerStale_ = !outer_.empty();
}

bool SplitScreen::Step(const core::SurfaceView& display, const core::SurfaceView& startup,
                       const core::SurfaceView& latest)
{
    changed_.clear();
    outer_.clear();
    if (!Advance()) return false;
    const int shift = Nearest(shift_);
    const bool firstPass = gaps_.empty();
    if (firstPass) gaps_.resize(static_cast<std::size_t>((height_ + kBandHeight - 1) / kBandHeight));

    const Outer outer = OuterParts(shift);
    // Columns that join the middle now were shown from `latest` last time:
    // the display takes them over first, so that it matches the screen there.
    if (outerStale_) {
        core::Copy(display, outer.leftEnd, 0, middleBegin_ - outer.leftEnd, height_, latest,
                   outer.leftEnd - leftOffset_, 0);
        core::Copy(display, middleEnd_, 0, outer.rightBegin - middleEnd_, height_, latest,
                   middleEnd_ - rightOffset_, 0);
    }
    const KeptGap kept = ComposeMiddle(display, startup, latest, outer, shift, firstPass);
    Report(display, outer, kept, shift);
    return true;
}

void SplitScreen::RepairDisplay(const core::SurfaceView& display, const core::SurfaceView& latest)
{
    if (!outerStale_) return;
    core::Copy(display, 0, 0, middleBegin_, height_, latest, -leftOffset_, 0);
    core::Copy(display, middleEnd_, 0, width_ - middleEnd_, height_, latest, middleEnd_ - rightOffset_, 0);
    outerStale_ = false;
}

}  // namespace corvalinth::swarm
