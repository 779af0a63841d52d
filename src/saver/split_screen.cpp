#include "saver/split_screen.h"

#include <algorithm>
#include <cmath>

#include "core/number_rules.h"

namespace corvalinth::saver {

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

bool SplitScreen::Step(const core::SurfaceView& display, const core::SurfaceView& startup,
                       const core::SurfaceView& latest)
{
    changed_.clear();
    outer_.clear();
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
    const int shift = Nearest(shift_);
    const bool firstPass = gaps_.empty();
    if (firstPass) gaps_.resize(static_cast<std::size_t>((height_ + kBandHeight - 1) / kBandHeight));

    // Where every band shows `latest` at one offset: left of all left ends and
    // gaps, and (when every band's right half moves alike) right of all gaps.
    int leftEnd = width_, rightBegin = 0, rightOffset = 0;
    bool rightAlike = true;
    for (int y = 0; y <= height_ - 1; y += kBandHeight) {
        const double c = CrackX(y);
        const int crack = Nearest(c), right = Nearest(c - shift_);
        const int gap = Nearest(c + shift_), gapEnd = gap + Nearest(-2 * shift_);
        leftEnd = std::min({leftEnd, shift + crack, gap, right});
        rightBegin = std::max({rightBegin, right, gapEnd, shift + crack});
        if (y == 0) rightOffset = right - crack;
        rightAlike = rightAlike && right - crack == rightOffset;
    }
    leftEnd = std::clamp(leftEnd, 0, width_);
    rightBegin = rightAlike ? std::clamp(rightBegin, leftEnd, width_) : width_;

    // Columns that join the middle now were shown from `latest` last time:
    // the display takes them over first, so that it matches the screen there.
    if (outerStale_) {
        core::Copy(display, leftEnd, 0, middleBegin_ - leftEnd, height_, latest, leftEnd - leftOffset_, 0);
        core::Copy(display, middleEnd_, 0, rightBegin - middleEnd_, height_, latest, middleEnd_ - rightOffset_, 0);
    }
    const core::Rect middleArea = core::Intersect({leftEnd, 0, rightBegin, height_}, display.Bounds());
    const core::SurfaceView middle(middleArea.Empty() ? nullptr : display.Row(0) + middleArea.left,
                                   middleArea.Width(), middleArea.Height(), display.Stride());
    const int m = middleArea.left;

    int commonBegin = 0, commonEnd = width_;  // columns inside every band's kept gap
    bool everyBandKept = !firstPass;
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
            commonBegin = std::max(commonBegin, previous.begin);
            commonEnd = std::min(commonEnd, previous.end);
        } else {
            core::Copy(middle, gap - m, y, gapEnd - gap, kBandHeight, startup, gap, y);
            everyBandKept = false;
        }
        previous = {gap, gapEnd};
    }

    const core::Rect screen = core::Intersect({0, 0, width_, height_}, display.Bounds());
    auto add = [this, &screen](core::Rect r) {
        r = core::Intersect(r, screen);
        if (!r.Empty()) changed_.push_back(r);
    };
    if (everyBandKept && commonBegin < commonEnd) {
        add({leftEnd, 0, std::min(commonBegin, rightBegin), height_});
        add({std::max(commonEnd, leftEnd), 0, rightBegin, height_});
    } else {
        add({leftEnd, 0, rightBegin, height_});
    }
    outer_.clear();
    if (const core::Rect r = core::Intersect({0, 0, leftEnd, height_}, screen); !r.Empty())
        outer_.push_back({r, shift});
    if (const core::Rect r = core::Intersect({rightBegin, 0, width_, height_}, screen); !r.Empty())
        outer_.push_back({r, rightOffset});
    middleBegin_ = leftEnd;
    middleEnd_ = rightBegin;
    leftOffset_ = shift;
    rightOffset_ = rightOffset;
    outerStale_ = !outer_.empty();
    return true;
}

void SplitScreen::RepairDisplay(const core::SurfaceView& display, const core::SurfaceView& latest)
{
    if (!outerStale_) return;
    core::Copy(display, 0, 0, middleBegin_, height_, latest, -leftOffset_, 0);
    core::Copy(display, middleEnd_, 0, width_ - middleEnd_, height_, latest, middleEnd_ - rightOffset_, 0);
    outerStale_ = false;
}

}  // namespace corvalinth::saver
