// Prints the saver's costs side by side with the plain way of doing the same
// work: one tick of 1000 particles on a small and a very large screen, one
// slide step of the transition, start-up and exit latency, memory, and object
// counts across transitions. Run it on a 7680x2160 display (see
// docs/performance.md); it is not a test and fails on nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/random.h"
#include "forms/app_win.h"
#include "forms/dib_surface_win.h"
#include "forms/form_win.h"
#include "forms/handles_win.h"
#include "saver/animation.h"
#include "saver/present_win.h"
#include "saver/saver_form_win.h"
#include "saver/split_screen.h"
#include "core/corvalinth_b.h"

using namespace corvalinth;

namespace {

double NowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c{};
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

double ThreadCpuMs()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// Medians: the machine's noise (other processes, the display server) lands in
// a few samples and would swamp a mean.
double Median(std::vector<double> samples)
{
    if (samples.empty()) return 0;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2),
                     samples.end());
    return samples[samples.size() / 2];
}

double Mean(const std::vector<double>& samples)
{
    double sum = 0;
    for (double v : samples) sum += v;
    return samples.empty() ? 0 : sum / static_cast<double>(samples.size());
}

// Lets the platform push what was drawn to the display: a wait that returns at
// once is where it flushes window surfaces.
void PlatformFlush()
{
    ::GdiFlush();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class PlainWindow : public forms::Form {
public:
    PlainWindow(int width, int height)
        : Form(forms::FormSpec{L"CorvalinthBenchWindow", L"Bench", WS_POPUP, WS_EX_TOPMOST, width, height,
                               RGB(0, 0, 0)})
    {
        Load();
        MovePixels(0, 0, width, height);
        Show();
        Pump();
    }
};

void FillPattern(const core::SurfaceView& s, int salt)
{
    for (int y = 0; y < s.Height(); ++y) {
        core::Pixel* row = s.Row(y);
        for (int x = 0; x < s.Width(); ++x)
            row[x] = core::Rgb((x + salt) & 0xFF, (y * 3) & 0xFF, ((x ^ y) + salt) & 0xFF);
    }
}

struct Split {
    double own = 0, flush = 0;  // ms per tick / step
    double model = 0;           // of `own`, the portable model's share (ticks)
};

enum class TickWay { Ours, ClipRegion, PerRectBlit, PlainSetPixel };

// The swarm of 1000 over a display, seeded the same way for every measurement.
struct TickModel {
    TickModel(const forms::DibSurface& display, const forms::DibSurface& startup)
        : animation(saver::ScreenGeometry(display.Width(), display.Height()), Settings(), random, clock)
    {
        animation.Attach(display.View(), startup.View());
    }
    static saver::AnimationSettings Settings()
    {
        saver::AnimationSettings settings;
        settings.gNum = 1000;
        return settings;
    }
    core::SeededRandom random;
    core::FixedClock clock{1000.5f};
    saver::Animation animation;
};

Split MeasureTicks(int width, int height, TickWay way, bool flushEachTick = true)
{
    PlainWindow window(width, height);
    forms::DibSurface display(width, height), startup(width, height);
    FillPattern(startup.View(), 7);
    core::Copy(display.View(), 0, 0, width, height, startup.View(), 0, 0);
    TickModel swarm(display, startup);
    saver::Animation& animation = swarm.animation;
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

// CPU time of the model alone (draw and move), without any window.
double MeasureModelCpu(int width, int height)
{
    forms::DibSurface display(width, height), startup(width, height);
    TickModel model(display, startup);
    std::vector<core::Rect> changed;
    constexpr int kTicks = 900;
    const double c0 = ThreadCpuMs();
    for (int i = 0; i < kTicks; ++i) model.animation.Advance(0, changed);
    return (ThreadCpuMs() - c0) / kTicks;
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
    saver::SplitScreen split(width, height, random, clock);
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

// --- the real program, started as the system would ---------------------------

struct Launched {
    forms::KernelHandle process;
    DWORD id = 0;
};

Launched Launch(const std::wstring& commandLine)
{
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    Launched result;
    if (::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        result.process.Reset(pi.hProcess);
        result.id = pi.dwProcessId;
    }
    return result;
}

HWND WaitForVisible(const wchar_t* caption, double timeoutMs)
{
    const double end = NowMs() + timeoutMs;
    while (NowMs() < end) {
        if (HWND w = ::FindWindowW(nullptr, caption); w && ::IsWindowVisible(w)) return w;
        Pump();
        ::Sleep(1);
    }
    return nullptr;
}

void Click(int x, int y)
{
    ::SetCursorPos(x, y);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, in, sizeof(INPUT));
}

struct Memory {
    double peakWorkingSetMb = 0, peakCommitMb = 0;
};

Memory MemoryOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    Memory m;
    if (::GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        m.peakWorkingSetMb = static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
        m.peakCommitMb = static_cast<double>(counters.PeakPagefileUsage) / 1048576.0;
    }
    return m;
}

struct RunFigures {
    double startToShownMs = -1, clickToExitMs = -1, clickToWindowGoneMs = -1;
    Memory memory;
};

RunFigures MeasureRun(const std::wstring& program, bool waitForTransition)
{
    RunFigures f;
    const double t0 = NowMs();
    Launched run = Launch(L"\"" + program + L"\" /s");
    if (!run.process) return f;
    const HWND window = WaitForVisible(L"Corvalinth_Main", 20000);
    if (!window) {
        ::TerminateProcess(run.process.Get(), 1);
        return f;
    }
    f.startToShownMs = NowMs() - t0;
    // Long enough for the 1001st tick and its whole transition to have run.
    const double settle = waitForTransition ? 30000 : 500;
    const double end = NowMs() + settle;
    while (NowMs() < end) {
        Pump();
        ::Sleep(20);
    }
    f.memory = MemoryOf(run.process.Get());
    RECT r{};
    ::GetWindowRect(window, &r);
    const double c0 = NowMs();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The window going away is the program's part; the rest is the process's
    // teardown by the platform.
    while (NowMs() - c0 < 10000 && ::IsWindow(window) &&
           ::WaitForSingleObject(run.process.Get(), 0) == WAIT_TIMEOUT)
        ::Sleep(1);
    f.clickToWindowGoneMs = NowMs() - c0;
    if (::WaitForSingleObject(run.process.Get(), 10000) == WAIT_OBJECT_0) f.clickToExitMs = NowMs() - c0;
    else ::TerminateProcess(run.process.Get(), 1);
    return f;
}

Memory MeasureIdleWindow(const std::wstring& self)
{
    Launched run = Launch(L"\"" + self + L"\" --idle-window");
    Memory m;
    if (!run.process) return m;
    if (WaitForVisible(L"Corvalinth bench idle", 20000)) {
        ::Sleep(1000);
        m = MemoryOf(run.process.Get());
    }
    ::TerminateProcess(run.process.Get(), 0);
    ::WaitForSingleObject(run.process.Get(), 5000);
    return m;
}

int IdleWindow()
{
    // The platform's share of memory: a full-screen window that shows a black
    // screen and does nothing else.
    class Idle : public forms::Form {
    public:
        Idle()
            : Form(forms::FormSpec{L"CorvalinthBenchIdle", L"Corvalinth bench idle", WS_POPUP, WS_EX_TOPMOST,
                                   ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), RGB(0, 0, 0)})
        {
        }
    } idle;
    idle.Load();
    idle.MovePixels(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    idle.Show();
    return forms::RunMessageLoop([&] { return idle.IsLoaded(); });
}

// --- object counts ----------------------------------------------------------------

int GdiObjects()
{
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    // Where the platform does not report it, count the live slots of the
    // process's handle table: a handle's low word names its slot.
    int count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
        count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return count;
}

int UserObjects()
{
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) return static_cast<int>(n);
    // Windows of this process, the user objects the saver makes.
    struct Walk {
        DWORD pid;
        int count;
    } walk{::GetCurrentProcessId(), 0};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* walkState = reinterpret_cast<Walk*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == walkState->pid) ++walkState->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.count;
}

struct Counts {
    int gdiBefore, gdiAfterFirst, gdiAfter, userBefore, userAfterFirst, userAfter, transitions;
};

Counts CountAcrossTransitions()
{
    auto form = std::make_unique<saver::Corvalinth_S>(saver::SaverOptions{false, 0, 1000});
    form->Load();
    form->Timer1().SetEnabled(false);
    std::vector<core::Rect> changed;
    double now = 0;
    for (int i = 0; i < 5; ++i) {
        form->Model().Advance(now, changed);
        form->Present(changed);
    }
    Pump();
    Counts c{GdiObjects(), 0, 0, UserObjects(), 0, 0, 0};
    for (int t = 0; t < 11; ++t) {
        form->Model().SetFrameCount(1000);
        form->Model().Advance(now, changed);
        form->Present(changed);
        while (form->Model().InTransition()) {
            now += 20;
            form->Model().Advance(now, changed);
            form->Present(changed);
        }
        ++c.transitions;
        form->Model().Advance(now, changed);
        form->Present(changed);
        Pump();
        if (t == 0) {
            c.gdiAfterFirst = GdiObjects();
            c.userAfterFirst = UserObjects();
        }
    }
    c.gdiAfter = GdiObjects();
    c.userAfter = UserObjects();
    form->Unload();
    return c;
}

std::wstring HereFolder()
{
    wchar_t path[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().wstring();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == L"--idle-window") return IdleWindow();
    // Sections to run: ticks, slide, counts, run; all when none is named.
    auto wanted = [&](const wchar_t* name) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i)
            if (std::wstring(argv[i]) == name) return true;
        return false;
    };
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    std::printf("Corvalinth saver benchmark on a %dx%d screen, 1000 particles, pen %d px\n\n", screenW, screenH,
                saver::kPenWidth);

    if (wanted(L"ticks")) {
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
    std::printf("\n");
    std::printf("  of ours, the model (draw and move into the surface): %.3f ms at 1024x768, %.3f ms at 7680x2160\n",
                ticks[0][0].model, ticks[1][0].model);
    const double model1 = MeasureModelCpu(1024, 768), model2 = MeasureModelCpu(7680, 2160);
    std::printf("  model alone (draw and move, thread CPU time): %.3f ms at 1024x768, %.3f ms at 7680x2160\n\n",
                model1, model2);
    }

    if (wanted(L"slide")) {
    std::printf("One slide step of the transition at 3840x2160; ms: program's own | platform flush\n");
    const SlideFigures slide = MeasureSlide(3840, 2160, false), plainSlide = MeasureSlide(3840, 2160, true);
    std::printf("  %-38s %-20s %-20s steps\n", "", "first step", "median step");
    std::printf("  %-38s %7.3f | %-10.3f %7.3f | %-10.3f %d\n", "ours: middle composed, outer parts direct", slide.first.own,
                slide.first.flush, slide.median.own, slide.median.flush, slide.steps);
    std::printf("  %-38s %7.3f | %-10.3f %7.3f | %-10.3f %d\n\n", "plain: one blit per band and copy",
                plainSlide.first.own, plainSlide.first.flush, plainSlide.median.own, plainSlide.median.flush,
                plainSlide.steps);
    }

    if (wanted(L"counts")) {
    std::printf("Object counts across transitions (in process, full screen): before, after the first, after ten more\n");
    const Counts counts = CountAcrossTransitions();
    std::printf("  GDI objects %d, %d, %d; USER objects %d, %d, %d\n\n", counts.gdiBefore, counts.gdiAfterFirst,
                counts.gdiAfter, counts.userBefore, counts.userAfterFirst, counts.userAfter);
    }
    if (!wanted(L"run")) return 0;

    const std::wstring here = HereFolder();
    const std::wstring program = here + L"\\Corvalinth.scr";
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
    return 0;
}
