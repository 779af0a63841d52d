#pragma once
// The saver as a web page runs it. The page calls Frame once per animation
// frame, which is a frame of the paced run (swarm/paced_run.h). What changed
// is copied into the canvas's pixels (RGBA bytes, as the canvas takes them)
// and listed as the rectangles to put, so that the page hands the canvas only
// what changed, once per frame.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/random.h"
#include "core/surface.h"
#include "swarm/paced_run.h"

namespace corvalinth::web {

constexpr int kMostDots = 1000;
// Larger canvases are refused: four surfaces of this many pixels are 256 MB.
constexpr int kMostPixels = 16 * 1024 * 1024;

struct PageSettings {
    int count = kMostDots;  // clamped to 1..kMostDots
    bool mono = false;
    int dpi = 96;  // the canvas's pixels per inch: 96 times the pixels per CSS pixel
};

class PageSaver {
public:
    // A width x height canvas; both are clamped to 1..32767 and their product to kMostPixels.
    PageSaver(int width, int height, const PageSettings& settings, core::Random& random, const core::Clock& clock);
    PageSaver(const PageSaver&) = delete;
    PageSaver& operator=(const PageSaver&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The canvas's pixels, RGBA, row after row. The page writes the picture
    // here, placed to fill the canvas, before Start.
    std::uint8_t* Canvas() { return reinterpret_cast<std::uint8_t*>(canvas_.data()); }

    // Takes the canvas's pixels as the start-up picture and begins the run:
    // the whole canvas is to be put, the first tick is due at nowMs.
    void Start(double nowMs);

    // One animation frame: the ticks due by nowMs, or one slide step. Returns
    // the canvas rectangles to put (nearby dots merged into one); empty when
    // nothing changed.
    const std::vector<core::Rect>& Frame(double nowMs);
    const std::vector<core::Rect>& Puts() const { return puts_; }

    const core::SurfaceView& Display() const { return display_; }
    bool InTransition() const { return run_->InTransition(); }
    std::int64_t Ticks() const { return run_->Ticks(); }

private:
    void Stage(const core::Rect& r, const core::SurfaceView& source, int offsetX);
    void Gather();

    int width_, height_;
    core::PixelSurface startup_, displaySurface_;
    core::SurfaceView display_;
    std::vector<std::uint32_t> canvas_;
    std::unique_ptr<swarm::PacedRun> run_;
    std::vector<core::Rect> pending_, puts_;
};

// FNV-1a over the surface's pixels, row by row: equal pictures, equal sums,
// on any machine.
std::uint32_t Checksum(const core::SurfaceView& surface);

}  // namespace corvalinth::web
