#include "smoothness_win.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_support_win.h"
#include "core/monitor_layout.h"
#include "core/number_rules.h"
#include "forms/app_win.h"
#include "forms/dib_surface_win.h"
#include "forms/frame_timer_win.h"
#include "forms/handles_win.h"
#include "forms/timer_win.h"
#include "saver/saver_form_win.h"
#include "swarm/animation.h"

namespace corvalinth::bench {

namespace {
constexpr std::int16_t kDots = 1000;
constexpr float kSeedTime = 1000.5f;

// The model as it was first written, kept as the yardstick: every step worked
// out with the formula, every draw through the generator's interface, every
// position through the general rounding rule.
class FormulaSwarm {
public:
    FormulaSwarm(const core::SurfaceView& display, core::Random& random)
        : display_(display), geometry_(display.Width(), display.Height()), random_(random)
    {
    }
    void Advance(std::vector<core::Rect>& changed, std::vector<core::Pixel>& colours)
    {
        changed.clear();
        colours.clear();
        if (swarm_.ParticleCount == 0) {
            swarm_.ParticleCount = kDots;
            swarm::LoadParticles(swarm_, geometry_.DisplayWidth(), geometry_.DisplayHeight(), 0, random_,
                                 core::FixedClock(kSeedTime));
        } else {
            for (int i = 0; i < swarm_.ParticleCount; ++i) Move(swarm_.Particles[static_cast<std::size_t>(i)]);
        }
        for (int i = 0; i < swarm_.ParticleCount; ++i)
            Draw(swarm_.Particles[static_cast<std::size_t>(i)], changed, colours);
    }
    const swarm::Swarm& Particles() const { return swarm_; }

private:
    int Pixel(std::int32_t twips, double twipsPerPixel) const
    {
        return core::NearestInt32(static_cast<double>(static_cast<float>(twips)) / twipsPerPixel);
    }
    void Draw(const swarm::ParticleRecord& p, std::vector<core::Rect>& changed, std::vector<core::Pixel>& colours)
    {
        const core::Pixel colour = core::Rgb(p.Red, p.Green, p.Blue);
        const int left = Pixel(p.X, geometry_.TwipsPerPixelX()) - swarm::kPenWidth / 2;
        const int top = Pixel(p.Y, geometry_.TwipsPerPixelY()) - swarm::kPenWidth / 2;
        const core::Rect dot = core::Intersect({left, top, left + swarm::kPenWidth, top + swarm::kPenWidth},
                                               display_.Bounds());
        if (dot.Empty()) return;
        display_.FillRect(dot, colour);
        changed.push_back(dot);
        colours.push_back(colour);
    }
    void Move(swarm::ParticleRecord& p)
    {
        const float t = static_cast<float>(static_cast<double>(random_.Next()) * 1000.0);
        const auto amount = static_cast<std::int32_t>(std::floor(static_cast<double>(random_.Next()) * 10.0));
        p.Angle = static_cast<std::int16_t>(swarm::WrapAngle(t > 500.0f ? p.Angle + amount : p.Angle - amount));
        const float w = geometry_.DisplayWidth(), h = geometry_.DisplayHeight();
        p.X += static_cast<std::int16_t>(swarm::GimmeX(static_cast<float>(p.Angle), p.Speed));
        if (p.X < 0) p.X = core::NearestInt32(w);
        if (static_cast<double>(p.X) > static_cast<double>(w)) p.X = 0;
        p.Y += static_cast<std::int16_t>(swarm::GimmeY(static_cast<float>(p.Angle), p.Speed));
        if (p.Y < 0) p.Y = core::NearestInt32(h);
        if (static_cast<double>(p.Y) > static_cast<double>(h)) p.Y = 0;
    }

    core::SurfaceView display_;
    swarm::ScreenGeometry geometry_;
    core::Random& random_;
    swarm::Swarm swarm_;
};

swarm::AnimationSettings Settings()
{
    swarm::AnimationSettings settings;
    settings.gNum = kDots;
    return settings;
}

bool SameSwarm(const swarm::Swarm& a, const swarm::Swarm& b)
{
    if (a.ParticleCount != b.ParticleCount) return false;
    for (std::size_t i = 0; i < static_cast<std::size_t>(a.ParticleCount); ++i) {
        const swarm::ParticleRecord &p = a.Particles[i], &q = b.Particles[i];
        if (p.X != q.X || p.Y != q.Y || p.Angle != q.Angle || p.Speed != q.Speed || p.Red != q.Red) return false;
    }
    return true;
}

bool SamePixels(const core::SurfaceView& a, const core::SurfaceView& b)
{
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), static_cast<std::size_t>(a.Width()) * sizeof(core::Pixel)) != 0)
            return false;
    return true;
}

// The saver's window over a width x height screen, whatever the real one is.
std::unique_ptr<saver::Corvalinth_S> OpenSaver(int width, int height)
{
    auto form = std::make_unique<saver::Corvalinth_S>(saver::SaverOptions{false, 0, kDots});
    form->Load();
    const std::vector<core::Monitor> monitors{{{0, 0, width, height}, true}};
    if (form->ScreenW() != width || form->ScreenH() != height) form->Relayout(core::MonitorLayout(monitors, {}));
    return form;
}

void CloseSaver(std::unique_ptr<saver::Corvalinth_S> form)
{
    form->Unload();
    form.reset();
    forms::ResetEndingForTests();
}

SlidePacing Pacing(const std::vector<double>& stepTimes, double refreshMs)
{
    SlidePacing f;
    f.refreshMs = refreshMs;
    f.steps = static_cast<int>(stepTimes.size());
    std::vector<double> periods;
    for (std::size_t i = 1; i < stepTimes.size(); ++i) periods.push_back(stepTimes[i] - stepTimes[i - 1]);
    f.medianMs = Median(periods);
    f.longestMs = Max(periods);
    for (double p : periods) f.late += p > 1.5 * refreshMs;
    return f;
}

const char* SourceName(forms::RefreshSource source)
{
    switch (source) {
    case forms::RefreshSource::Composition: return "the compositor";
    case forms::RefreshSource::DisplayMode: return "the display mode";
    case forms::RefreshSource::Default: return "the 60 Hz default";
    }
    return "";
}
}  // namespace

ModelFigures MeasureModel(int width, int height)
{
    // Rounds of 900 ticks keep the count below the slide's.
    constexpr int kRounds = 5, kTicks = 900;
    forms::DibSurface oursDisplay(width, height), formulaDisplay(width, height);
    core::SeededRandom oursRandom, formulaRandom;
    core::FixedClock clock(kSeedTime);
    swarm::Animation ours(swarm::ScreenGeometry(width, height), Settings(), oursRandom, clock);
    ours.Attach(oursDisplay.View(), oursDisplay.View());
    FormulaSwarm formula(formulaDisplay.View(), formulaRandom);
    std::vector<core::Rect> changed;
    std::vector<core::Pixel> colours;
    std::vector<double> oursMs, formulaMs;
    for (int round = 0; round < kRounds; ++round) {
        ours.SetFrameCount(0);
        for (int i = 0; i < kTicks; ++i) {
            const double t0 = NowMs();
            ours.Advance(0, changed);
            const double t1 = NowMs();
            formula.Advance(changed, colours);
            formulaMs.push_back(NowMs() - t1);
            oursMs.push_back(t1 - t0);
        }
    }
    ModelFigures f;
    f.oursMs = Median(oursMs);
    f.formulaMs = Median(formulaMs);
    f.same = SameSwarm(ours.Particles(), formula.Particles()) && SamePixels(oursDisplay.View(), formulaDisplay.View());
    return f;
}

CpuFigures MeasureOursCpu(int width, int height, double seconds)
{
    auto form = OpenSaver(width, height);
    int presents = 0;
    form->SetPresentObserver([&presents](bool) { ++presents; });
    RunMessagesFor(1000);
    // No slide while measuring: the count starts again.
    form->Model().SetFrameCount(0);
    presents = 0;
    const double c0 = ProcessCpuMs(), t0 = NowMs();
    RunMessagesFor(seconds * 1000);
    const double cpu = ProcessCpuMs() - c0, wall = NowMs() - t0;
    const int ticks = form->Model().FrameCount();
    CloseSaver(std::move(form));
    return {100 * cpu / wall, presents * 1000 / wall, ticks * 1000 / wall};
}

CpuFigures MeasurePlainCpu(int width, int height, double seconds, bool draw)
{
    PlainWindow window(width, height);
    forms::DibSurface display(width, height);
    core::SeededRandom random;
    FormulaSwarm swarm(display.View(), random);
    std::vector<core::Rect> changed;
    std::vector<core::Pixel> colours;
    int ticks = 0;
    forms::Timer timer(
        [&] {
            ++ticks;
            if (!draw) return;
            swarm.Advance(changed, colours);
            forms::ScopedGetDC dc(window.hWnd());
            for (std::size_t i = 0; i < changed.size(); ++i)
                ::SetPixelV(dc.Get(), changed[i].left, changed[i].top, core::RedOf(colours[i]) |
                            (core::GreenOf(colours[i]) << 8) | (core::BlueOf(colours[i]) << 16));
        },
        1, true);
    RunMessagesFor(1000);
    ticks = 0;
    const double c0 = ProcessCpuMs(), t0 = NowMs();
    RunMessagesFor(seconds * 1000);
    const double cpu = ProcessCpuMs() - c0, wall = NowMs() - t0;
    timer.SetEnabled(false);
    window.Unload();
    const double rate = ticks * 1000 / wall;
    return {100 * cpu / wall, draw ? rate : 0, rate};
}

SlidePacing MeasureOursSlide(int width, int height)
{
    auto form = OpenSaver(width, height);
    std::vector<double> steps;
    form->SetPresentObserver([&steps](bool slideStep) {
        if (slideStep) steps.push_back(NowMs());
    });
    RunMessagesFor(500);
    form->Model().SetFrameCount(1000);
    const double end = NowMs() + 30000;
    RunMessagesFor(200);
    while (form->Model().InTransition() && NowMs() < end) RunMessagesFor(50);
    SlidePacing f = Pacing(steps, form->Refresh().periodMs);
    f.refreshSource = SourceName(form->Refresh().source);
    CloseSaver(std::move(form));
    return f;
}

SlidePacing MeasurePlainSlide(int width, int height)
{
    PlainWindow window(width, height);
    forms::DibSurface display(width, height), latest(width, height);
    FillPattern(display.View(), 3);
    core::SeededRandom random;
    core::FixedClock clock(kSeedTime);
    swarm::Animation animation(swarm::ScreenGeometry(width, height), Settings(), random, clock);
    animation.Attach(display.View(), display.View());
    animation.SetSnapshotSource([&] {
        core::Copy(latest.View(), 0, 0, width, height, display.View(), 0, 0);
        return latest.View();
    });
    std::vector<core::Rect> changed;
    std::vector<double> steps;
    animation.Advance(0, changed);
    animation.SetFrameCount(1000);
    animation.Advance(NowMs(), changed);
    forms::Timer timer(
        [&] {
            animation.Advance(NowMs(), changed);
            if (changed.empty() || !animation.InTransition()) return;
            steps.push_back(NowMs());
            forms::ScopedGetDC dc(window.hWnd());
            for (const core::Rect& r : changed) display.Present(dc.Get(), r);
            for (const auto& copy : animation.OuterCopies())
                ::BitBlt(dc.Get(), copy.target.left, copy.target.top, copy.target.Width(), copy.target.Height(),
                         latest.Dc(), copy.target.left - copy.offsetX, copy.target.top, SRCCOPY);
        },
        1, true);
    const double end = NowMs() + 30000;
    while (animation.InTransition() && NowMs() < end) RunMessagesFor(50);
    timer.SetEnabled(false);
    window.Unload();
    SlidePacing f = Pacing(steps, forms::DisplayRefresh(window.hWnd()).periodMs);
    f.refreshSource = SourceName(forms::DisplayRefresh(window.hWnd()).source);
    return f;
}

}  // namespace corvalinth::bench
