#include "web/page_saver.h"

#include <algorithm>

#include "swarm/screen_geometry.h"

namespace corvalinth::web {

namespace {
// A canvas pixel in memory is the bytes R, G, B, A: read as a little-endian
// 32-bit number, 0xAABBGGRR.
std::uint32_t ToCanvas(core::Pixel p)
{
    return 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

core::Pixel FromCanvas(std::uint32_t c)
{
    return core::Rgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// Dots closer than this share one put: a put costs about as much as copying
// a few hundred pixels, so the dots a particle left over one frame go as one.
constexpr int kCell = 8;

int ClampSide(int side) { return std::clamp(side, 1, 32767); }
}  // namespace

PageSaver::PageSaver(int width, int height, const PageSettings& settings, core::Random& random,
                     const core::Clock& clock)
    : width_(ClampSide(width)), height_(std::clamp(ClampSide(height), 1, kMostPixels / width_)),
      startup_(width_, height_), displaySurface_(width_, height_), display_(displaySurface_.View()),
      canvas_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0xFF000000u)
{
    swarm::AnimationSettings model;
    model.gNum = static_cast<std::int16_t>(std::clamp(settings.count, 1, kMostDots));
    model.gColor = settings.mono ? 1 : 0;
    // The halves that slide apart are the canvas as shown: the run's own copy of the display.
    run_ = std::make_unique<swarm::PacedRun>(swarm::ScreenGeometry(width_, height_, settings.dpi, settings.dpi), model,
                                             random, clock, swarm::RunSurfaces{display_, startup_.View(), {}});
}

void PageSaver::Start(double nowMs)
{
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* from = canvas_.data() + static_cast<std::size_t>(y) * width_;
        std::transform(from, from + width_, startup_.View().Row(y), FromCanvas);
    }
    pending_.clear();
    run_->Start(nowMs);
}

void PageSaver::Stage(const core::Rect& r, const core::SurfaceView& source, int offsetX)
{
    const core::Rect target = core::Intersect(r, display_.Bounds());
    for (int y = target.top; y < target.bottom; ++y) {
        const core::Pixel* from = source.Row(y) + (target.left - offsetX);
        std::transform(from, from + target.Width(), canvas_.data() + static_cast<std::size_t>(y) * width_ + target.left,
                       ToCanvas);
    }
    if (!target.Empty()) pending_.push_back(target);
}

const std::vector<core::Rect>& PageSaver::Frame(double nowMs)
{
    const swarm::FrameChanges& changes = run_->Frame(nowMs);
    for (const core::Rect& r : changes.display) Stage(r, display_, 0);
    for (const auto& copy : changes.outer) Stage(copy.target, changes.latest, copy.offsetX);
    Gather();
    return puts_;
}

void PageSaver::Gather()
{
    puts_.clear();
    const core::Extent extent = core::ExtentOf(pending_);
    if (extent.mostlyFilled) {
        // Mostly covered anyway (a slide step, the first frame): one put.
        puts_.push_back(extent.bounds);
    } else {
        auto cell = [](const core::Rect& r) { return std::pair{r.top / kCell, r.left / kCell}; };
        std::sort(pending_.begin(), pending_.end(),
                  [&cell](const core::Rect& a, const core::Rect& b) { return cell(a) < cell(b); });
        for (const core::Rect& r : pending_) {
            if (!puts_.empty() && cell(r) == cell(puts_.back())) puts_.back() = core::Union(puts_.back(), r);
            else puts_.push_back(r);
        }
    }
    pending_.clear();
}

std::uint32_t Checksum(const core::SurfaceView& surface)
{
    std::uint32_t sum = 2166136261u;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            const core::Pixel p = surface.At(x, y);
            for (int byte = 0; byte < 4; ++byte) sum = (sum ^ ((p >> (8 * byte)) & 0xFF)) * 16777619u;
        }
    return sum;
}

}  // namespace corvalinth::web
