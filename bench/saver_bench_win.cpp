// Prints the saver's costs side by side with the plain way of doing the same
// work: the model's cost per tick, the whole program's share of a core, its
// presents and the slide's pacing against the display's refresh, one tick of
// 1000 particles on a small and a very large screen, one slide step of the
// transition, object counts across transitions, start-up and exit latency and
// memory. Run it on a 7680x2160 display (see docs/performance.md); it is not a
// test and fails on nothing.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support_win.h"
#include "core/random.h"
#include "forms/dib_surface_win.h"
#include "forms/handles_win.h"
#include "program_run_win.h"
#include "saver/present_win.h"
#include "swarm/animation.h"
#include "swarm/split_screen.h"
#include "smoothness_win.h"

using namespace corvalinth;
using namespace corvalinth::bench;

namespace {

struct Split {
    double own = 0, flush = 0;  // ms per tick / step
    double model = 0;           // of `own`, the portable model's share (ticks)
};

enum class TickWay { Ours, ClipRegion, PerRectBlit, PlainSetPixel };

// The swarm of 1000 over a display, seeded the same way for every measurement.
struct TickModel {
    TickModel(const forms::DibSurface& display, const forms::DibSurface& startup)
        : animation(swarm::ScreenGeometry(display.Width(), display.Height()), Settings(), random, clock)
    {
        animation.Attach(display.View(), startup.View());
    }
    static swarm::AnimationSettings Settings()
    {
        swarm::AnimationSettings settings;
        settings.gNum = 1000;
        return settings;
    }
    core::SeededRandom random;
    core::FixedClock clock{1000.5f};
    swarm::Animation animation;
};

Split MeasureTicks(int width, int height, TickWay way, bool flushEachTick = true)
{
    PlainWindow window(width, height);
    forms::DibSurface display(width, height), startup(width, height);
    FillPattern(startup.View(), 7);
    core::Copy(display.View(), 0, 0, width, height, startup.View(), 0, 0);
    TickModel swarm(display, startup);
    swarm::Animation& animation = swarm.animation;
    std::vector<core::Rect> changed;
    saver::PresentScratch scratch;
    forms::ScopedGetDC dc(window.hWnd());
    display.Present(dc.Get(), display.View().Bounds());
    PlatformFlush();

    auto present = [&] {
        switch (way) {
        case TickWay::Ours:
            saver::PresentChanged(dc.Get(), display, changed, animation.DotColours(), saver::PresentMode::SolidDots,
                                  scratch);
            break;
        case TickWay::ClipRegion:
            saver::PresentChanged(dc.Get(), display, changed, {}, saver::PresentMode::ClipRegion, scratch);
            break;
        case TickWay::PerRectBlit:
            saver::PresentChanged(dc.Get(), display, changed, {}, saver::PresentMode::PerRect, scratch);
            break;
        case TickWay::PlainSetPixel:
            // The runtime's way: one point drawn on the window per particle.
            for (const core::Rect& r : changed)
                ::SetPixelV(dc.Get(), r.left, r.top, display.View().At(r.left, r.top) & 0xFFFFFF);
            break;
        }
        ::GdiFlush();
    };
    for (int i = 0; i < 20; ++i) {
        animation.Advance(0, changed);
        present();
        PlatformFlush();
    }
    constexpr int kTicks = 500;
    std::vector<double> own, flush, model;
    for (int i = 0; i < kTicks; ++i) {
        const double t0 = NowMs();
        animation.Advance(0, changed);
        const double tm = NowMs();
        present();
        const double t1 = NowMs();
        if (flushEachTick) PlatformFlush();
        const double t2 = NowMs();
        model.push_back(tm - t0);
        own.push_back(t1 - t0);
        flush.push_back(t2 - t1);
    }
    window.Unload();
    if (std::getenv("CORVALINTH_BENCH_DETAIL"))
        std::printf("[%dx%d way %d: model %.3f ms of %.3f]\n", width, height, static_cast<int>(way), Median(model),
                    Median(own));
    // The platform flushes in bursts (throttled), so its share is the mean.
    return {Median(own), Mean(flush), Median(model)};
}

struct SlideFigures {
    Split first, median;
    int steps = 0;
};

SlideFigures MeasureSlide(int width, int height, bool plain)
{
    PlainWindow window(width, height);
    forms::DibSurface display(width, height), startup(width, height), latest(width, height);
    FillPattern(startup.View(), 1);
    FillPattern(latest.View(), 99);
    core::Copy(display.View(), 0, 0, width, height, latest.View(), 0, 0);
    core::SeededRandom random;
    core::FixedClock clock(2000.5f);
    swarm::SplitScreen split(width, height, random, clock);
    forms::ScopedGetDC dc(window.hWnd());
    display.Present(dc.Get(), display.View().Bounds());
    PlatformFlush();
    std::vector<double> own, flush;
    double velocity = 2, shift = 0;
    for (;;) {
        const double t0 = NowMs();
        if (plain) {
            // One block transfer per band and copy, straight to the window.
            velocity += 0.1;
            shift -= velocity;
            if (std::abs(shift) > split.MaxTravel()) break;
            const int s = static_cast<int>(shift);
            for (int y = 0; y < height; y += 2) {
                const int c = static_cast<int>(split.CrackX(y));
                ::BitBlt(dc.Get(), s, y, c, 2, latest.Dc(), 0, y, SRCCOPY);
                ::BitBlt(dc.Get(), c - s, y, width - c, 2, latest.Dc(), c, y, SRCCOPY);
                ::BitBlt(dc.Get(), c + s, y, -2 * s, 2, startup.Dc(), c + s, y, SRCCOPY);
            }
        } else {
            if (!split.Step(display.View(), startup.View(), latest.View())) break;
            for (const core::Rect& r : split.LastChanged()) display.Present(dc.Get(), r);
            for (const auto& copy : split.OuterCopies()) {
                const core::Rect& r = copy.target;
                ::BitBlt(dc.Get(), r.left, r.top, r.Width(), r.Height(), latest.Dc(), r.left - copy.offsetX, r.top,
                         SRCCOPY);
            }
        }
        ::GdiFlush();
        const double t1 = NowMs();
        PlatformFlush();
        const double t2 = NowMs();
        own.push_back(t1 - t0);
        flush.push_back(t2 - t1);
    }
    window.Unload();
    SlideFigures f;
    f.steps = static_cast<int>(own.size());
    if (f.steps > 0) f.first = {own[0], flush[0]};
    f.median = {Median(own), Mean(flush)};
    return f;
}

void PrintModel()
{
    std::printf("The model (draw and move 1000 dots into the surface), median of 4500 ticks\n");
    std::printf("  %-11s %-12s %-26s %s\n", "surface", "ours", "plain: the formula per dot", "same results");
    const int sizes[2][2] = {{1024, 768}, {7680, 2160}};
    for (const auto& size : sizes) {
        const ModelFigures f = MeasureModel(size[0], size[1]);
        std::printf("  %4dx%-6d %6.4f ms   %6.4f ms (%4.1fx)         %s\n", size[0], size[1], f.oursMs, f.formulaMs,
                    f.oursMs > 0 ? f.formulaMs / f.oursMs : 0.0, f.same ? "yes" : "NO");
    }
    std::printf("\n");
}

void PrintCpu()
{
    constexpr int kW = 1920, kH = 1080;
    constexpr double kSeconds = 8;
    std::printf("The whole program while the swarm runs, %dx%d, 1000 dots, %.0f s: process CPU over wall time\n", kW,
                kH, kSeconds);
    const CpuFigures ours = MeasureOursCpu(kW, kH, kSeconds), plain = MeasurePlainCpu(kW, kH, kSeconds),
                     floor = MeasurePlainCpu(kW, kH, kSeconds, false);
    const auto row = [](const char* name, const CpuFigures& f) {
        std::printf("  %-48s %5.2f %% of a core, %5.1f ticks/s, %5.1f presents/s\n", name, f.cpuPercent,
                    f.ticksPerSecond, f.presentsPerSecond);
    };
    row("ours: presents once per refresh", ours);
    row("plain: formula model, SetPixel per dot per tick", plain);
    row("floor: a full-screen window whose timer only ticks", floor);
    std::printf("\n");
}

void PrintPacing()
{
    constexpr int kW = 1920, kH = 1080;
    const SlidePacing ours = MeasureOursSlide(kW, kH), plain = MeasurePlainSlide(kW, kH);
    std::printf("Slide steps at %dx%d against the display's refresh: %.2f ms (%.1f Hz, from %s)\n", kW, kH,
                ours.refreshMs, 1000 / ours.refreshMs, ours.refreshSource);
    std::printf("  %-44s %-6s %-14s %-14s %s\n", "", "steps", "median period", "longest", "over 1.5 refreshes");
    const auto row = [](const char* name, const SlidePacing& f) {
        std::printf("  %-44s %-6d %8.2f ms    %8.2f ms    %d\n", name, f.steps, f.medianMs, f.longestMs, f.late);
    };
    row("ours: refresh timer, one step per refresh", ours);
    row("plain: 1 ms message timer, fixed 16.7 ms", plain);
    std::printf("\n");
}

void PrintTicks()
{
    std::printf("One tick (draw, move, present); ms per tick: program's own | platform flush\n");
    const char* ways[4] = {"ours: one solid fill", "clip region + blit", "blit per dot", "plain: SetPixel/dot"};
    std::printf("  %-11s", "surface");
    for (const char* way : ways) std::printf(" %-22s", way);
    std::printf("\n");
    Split ticks[2][4];
    const int sizes[2][2] = {{1024, 768}, {7680, 2160}};
    for (int s = 0; s < 2; ++s) {
        std::printf("  %4dx%-6d", sizes[s][0], sizes[s][1]);
        for (int w = 0; w < 4; ++w) {
            ticks[s][w] = MeasureTicks(sizes[s][0], sizes[s][1], static_cast<TickWay>(w));
            std::printf(" %7.3f | %-12.3f", ticks[s][w].own, ticks[s][w].flush);
        }
        std::printf("\n");
    }
    std::printf("  %-11s", "ratio own");
    for (int w = 0; w < 4; ++w) std::printf(" %7.2f %-14s", ticks[1][w].own / ticks[0][w].own, "");
    std::printf("\n  %-11s", "ratio flush");
    for (int w = 0; w < 4; ++w) std::printf(" %7.2f %-14s", ticks[1][w].flush / ticks[0][w].flush, "");
    std::printf("\n  of ours, the model (draw and move into the surface): %.3f ms at 1024x768, %.3f ms at 7680x2160\n\n",
                ticks[0][0].model, ticks[1][0].model);
}

void PrintSlide()
{
    std::printf("One slide step of the transition at 3840x2160; ms: program's own | platform flush\n");
    const SlideFigures slide = MeasureSlide(3840, 2160, false), plainSlide = MeasureSlide(3840, 2160, true);
    std::printf("  %-38s %-20s %-20s steps\n", "", "first step", "median step");
    const auto row = [](const char* name, const SlideFigures& f) {
        std::printf("  %-38s %7.3f | %-10.3f %7.3f | %-10.3f %d\n", name, f.first.own, f.first.flush, f.median.own,
                    f.median.flush, f.steps);
    };
    row("ours: middle composed, outer parts direct", slide);
    row("plain: one blit per band and copy", plainSlide);
    std::printf("\n");
}

void PrintCounts()
{
    std::printf("Object counts across transitions (in process, full screen): before, after the first, after ten more\n");
    const Counts counts = CountAcrossTransitions();
    std::printf("  GDI objects %d, %d, %d; USER objects %d, %d, %d\n\n", counts.gdiBefore, counts.gdiAfterFirst,
                counts.gdiAfter, counts.userBefore, counts.userAfterFirst, counts.userAfter);
}

void PrintRun(int screenW, int screenH)
{
    const std::wstring program = HereFolder() + L"\\Corvalinth.scr";
    std::printf("The program, started with /s (warm: one run first)\n");
    MeasureRun(program, false);
    const RunFigures quick = MeasureRun(program, false);
    const RunFigures full = MeasureRun(program, true);
    std::wstring self(MAX_PATH, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const Memory idle = MeasureIdleWindow(self);
    const double surfaceMb = static_cast<double>(screenW) * screenH * 4 / 1048576.0;
    std::printf("  start to window shown: %.1f ms\n", quick.startToShownMs);
    std::printf("  click to window gone: %.1f ms (right after start), %.1f ms (after a transition)\n",
                quick.clickToWindowGoneMs, full.clickToWindowGoneMs);
    std::printf("  click to process exit: %.1f ms (right after start), %.1f ms (after a transition)\n",
                quick.clickToExitMs, full.clickToExitMs);
    std::printf("  peak commit after a transition: %.1f MB; idle full-screen window (platform): %.1f MB\n",
                full.memory.peakCommitMb, idle.peakCommitMb);
    std::printf("  peak working set: %.1f MB; idle window: %.1f MB\n", full.memory.peakWorkingSetMb,
                idle.peakWorkingSetMb);
    std::printf("  program's own (peak commit minus idle window): %.1f MB; three screen surfaces + 16 MB: %.1f MB\n",
                full.memory.peakCommitMb - idle.peakCommitMb, 3 * surfaceMb + 16);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == L"--idle-window") return IdleWindow();
    // Sections to run: model, cpu, pacing, ticks, slide, counts, run; all when none is named.
    const auto wanted = [&](const wchar_t* name) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i)
            if (std::wstring(argv[i]) == name) return true;
        return false;
    };
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    std::printf("Corvalinth saver benchmark on a %dx%d screen, 1000 particles, pen %d px\n\n", screenW, screenH,
                swarm::kPenWidth);
    if (wanted(L"model")) PrintModel();
    if (wanted(L"cpu")) PrintCpu();
    if (wanted(L"pacing")) PrintPacing();
    if (wanted(L"ticks")) PrintTicks();
    if (wanted(L"slide")) PrintSlide();
    if (wanted(L"counts")) PrintCounts();
    if (wanted(L"run")) PrintRun(screenW, screenH);
    return 0;
}
