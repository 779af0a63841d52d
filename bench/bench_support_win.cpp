#include "bench_support_win.h"

#include <algorithm>

#include "forms/app_win.h"

namespace corvalinth::bench {

namespace {
double FileTimeMs(FILETIME t)
{
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}
}  // namespace

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
    return FileTimeMs(kernel) + FileTimeMs(user);
}

double ProcessCpuMs()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return FileTimeMs(kernel) + FileTimeMs(user);
}

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

double Max(const std::vector<double>& samples)
{
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

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

void RunMessagesFor(double ms)
{
    const double end = NowMs() + ms;
    for (double now = NowMs(); now < end && !forms::Ending(); now = NowMs()) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now) + 1, QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
        forms::DoEvents();
    }
}

PlainWindow::PlainWindow(int width, int height)
    : Form(forms::FormDesign{L"CorvalinthBenchWindow", L"Bench", WS_POPUP, WS_EX_TOPMOST, width, height,
                           RGB(0, 0, 0)})
{
    Load();
    MovePixels(0, 0, width, height);
    Show();
    Pump();
}

void FillPattern(const core::SurfaceView& s, int salt)
{
    for (int y = 0; y < s.Height(); ++y) {
        core::Pixel* row = s.Row(y);
        for (int x = 0; x < s.Width(); ++x)
            row[x] = core::Rgb((x + salt) & 0xFF, (y * 3) & 0xFF, ((x ^ y) + salt) & 0xFF);
    }
}

}  // namespace corvalinth::bench
