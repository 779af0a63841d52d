#pragma once
// The transition that wipes the trails: the screen cracks along a jagged
// vertical line and the two halves slide apart, faster and faster, uncovering
// the start-up picture. It runs as steps, one presented frame each, so the host
// returns to its message loop between them.
#include <cstdint>
#include <vector>

#include "core/random.h"
#include "core/surface.h"

namespace corvalinth::saver {

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
    // nothing, once the halves have left the screen. The gap only grows, so
    // what it uncovered in earlier steps is not copied again.
    bool Step(const core::SurfaceView& display, const core::SurfaceView& startup,
              const core::SurfaceView& latest);
    // The parts of the display the last Step may have changed (at most two
    // rectangles: left and right of the gap that stayed as it was).
    const std::vector<core::Rect>& LastChanged() const { return changed_; }

    bool Finished() const { return finished_; }
    int CopyPasses() const { return passes_; }
    double Jag() const { return jag_; }
    double MaxTravel() const { return maxTravel_; }
    double Shift() const { return shift_; }
    double Velocity() const { return velocity_; }
    // The crack's x for the band starting at row y (even rows only).
    double CrackX(int y) const { return crackX_[static_cast<std::size_t>(y)]; }

private:
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
    bool finished_ = false;
};

}  // namespace corvalinth::saver
