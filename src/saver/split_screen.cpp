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
    int commonBegin = 0, commonEnd = width_;  // columns inside every band's kept gap
    bool everyBandKept = !firstPass;
    for (int y = 0; y <= height_ - 1; y += kBandHeight) {
        const double c = CrackX(y);
        const int crack = Nearest(c);
        const int right = Nearest(c - shift_);
        core::Copy(display, shift, y, crack, kBandHeight, latest, 0, y);
        core::Copy(display, right, y, Nearest(width_ - c), kBandHeight, latest, crack, y);
        const int gap = Nearest(c + shift_);
        const int gapEnd = gap + Nearest(-2 * shift_);
        Span& previous = gaps_[static_cast<std::size_t>(y / kBandHeight)];
        // The old gap still shows the start-up picture if neither half was
        // copied over it and the new gap contains it: only the new edges are drawn.
        const bool keep = !firstPass && previous.begin < previous.end && shift + crack <= previous.begin &&
                          right >= previous.end && gap <= previous.begin && gapEnd >= previous.end;
        if (keep) {
            core::Copy(display, gap, y, previous.begin - gap, kBandHeight, startup, gap, y);
            core::Copy(display, previous.end, y, gapEnd - previous.end, kBandHeight, startup, previous.end, y);
            commonBegin = std::max(commonBegin, previous.begin);
            commonEnd = std::min(commonEnd, previous.end);
        } else {
            core::Copy(display, gap, y, gapEnd - gap, kBandHeight, startup, gap, y);
            everyBandKept = false;
        }
        previous = {gap, gapEnd};
    }
    const core::Rect all = display.Bounds();
    if (everyBandKept && commonBegin < commonEnd) {
        const core::Rect left = core::Intersect({0, 0, commonBegin, height_}, all);
        const core::Rect rightPart = core::Intersect({commonEnd, 0, width_, height_}, all);
        if (!left.Empty()) changed_.push_back(left);
        if (!rightPart.Empty()) changed_.push_back(rightPart);
    } else if (!all.Empty()) {
        changed_.push_back(all);
    }
    return true;
}

}  // namespace corvalinth::saver
