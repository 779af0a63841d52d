#pragma once
// The transition that wipes the trails: the screen cracks along a jagged
// vertical line and the two halves slide apart, faster and faster, uncovering
// the start-up picture. It runs as steps, one presented frame each, so the host
// returns to its message loop between them.
#include <cstdint>
#include <vector>

#include "core/random.h"
#include "core/surface.h"

namespace corvalinth::swarm {

class SplitScreen {
public:
    // Plans the crack for a width x height screen (pixels). The generator is
    // re-seeded from the clock once, then every band's turn is a fresh draw: a
    // re-seed per band would repeat one draw within a clock tick and give a
    // straight diagonal instead of a crack.
    SplitScreen(int width, int height, core::Random& random, const core::Clock& clock);

    // Draws the crack in black, as a polyline from the top centre down, band by
    // band, with dots penWidth pixels wide. Returns the rectangle it touched.
    core::Rect DrawCrack(const core::SurfaceView& display, int penWidth) const;

    // One frame of the slide: the left half of `latest` moves left, the right
    // half right, and `startup` shows in the gap. Returns false, drawing
    // nothing, once the halves have left the screen.
    //
    // Only the jagged middle of the frame is composed in `display`. Left of
    // every band's crack the frame is `latest` moved by one offset, and right of
    // it likewise, so those parts go to the screen straight from `latest`
    // (OuterCopies) and the display catches up only where it is needed. The
    // gap only grows, so what it uncovered earlier is not copied again.
    bool Step(const core::SurfaceView& display, const core::SurfaceView& startup,
              const core::SurfaceView& latest);

    // The parts of the display the last Step changed, to show from the display
    // (at most two rectangles: either side of the gap that stayed as it was).
    const std::vector<core::Rect>& LastChanged() const { return changed_; }

    // The parts of the last frame to show straight from `latest`: each screen
    // pixel (x, y) inside `target` is latest's pixel (x - offsetX, y).
    struct OuterCopy {
        core::Rect target;
        int offsetX = 0;
    };
    const std::vector<OuterCopy>& OuterCopies() const { return outer_; }

    // Brings the parts of the display that were shown straight from `latest`
    // up to date, so that the display holds the whole current frame.
    void RepairDisplay(const core::SurfaceView& display, const core::SurfaceView& latest);

    bool Finished() const { return finished_; }
    int CopyPasses() const { return passes_; }
    double Jag() const { return jag_; }
    double MaxTravel() const { return maxTravel_; }
    double Shift() const { return shift_; }
    double Velocity() const { return velocity_; }
    // The crack's x for the band starting at row y (even rows only).
    double CrackX(int y) const { return crackX_[static_cast<std::size_t>(y)]; }

private:
    // The columns shown straight from `latest`: [0, leftEnd) moved by the
    // shift, [rightBegin, width) moved by rightOffset.
    struct Outer {
        int leftEnd, rightBegin, rightOffset;
    };
    // Columns inside every band's gap that the last step had already drawn.
    struct KeptGap {
        bool everyBand;
        int begin, end;
    };
    bool Advance();  // moves the halves; false once the slide is over
    Outer OuterParts(int shift) const;
    KeptGap ComposeMiddle(const core::SurfaceView& display, const core::SurfaceView& startup,
                          const core::SurfaceView& latest, const Outer& outer, int shift, bool firstPass);
    void Report(const core::SurfaceView& display, const Outer& outer, const KeptGap& kept, int shift);

    int width_, height_;
    std::vector<double> crackX_;  // indices 0..height; only even rows below height are used
    double jag_ = 0;
    double maxTravel_ = 0;
    double shift_ = 0;
    double velocity_;
    int round_ = 0;   // the slide's loop counter, bounded by MaxTravel
    int passes_ = 0;  // steps that copied
    struct Span {
        int begin = 0, end = 0;
    };
    std::vector<Span> gaps_;  // per band, the gap drawn by the last pass
    std::vector<core::Rect> changed_;
    std::vector<OuterCopy> outer_;
    // The display is current only between these columns while `outerStale_`.
    int middleBegin_ = 0, middleEnd_ = 0;
    int leftOffset_ = 0, rightOffset_ = 0;
    bool outerStale_ = false;
    bool finished_ = false;
};

}  // namespace corvalinth::swarm
