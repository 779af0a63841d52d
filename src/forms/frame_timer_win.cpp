#include "forms/frame_timer_win.h"

#include <dwmapi.h>
#include <timeapi.h>

#include <algorithm>
#include <cmath>

namespace corvalinth::forms {

namespace {
// Not yet in every SDK's headers.
constexpr DWORD kHighResolutionTimer = 0x00000002;

double Ticks()
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart);
}

bool Plausible(double periodMs) { return periodMs >= 2.0 && periodMs <= 200.0; }

double CompositionPeriodMs()
{
    // Fails where composition is off.
    DWM_TIMING_INFO timing{};
    timing.cbSize = sizeof(timing);
    if (FAILED(::DwmGetCompositionTimingInfo(nullptr, &timing))) return 0;
    const UNSIGNED_RATIO rate = timing.rateRefresh;
    if (rate.uiNumerator == 0 || rate.uiDenominator == 0) return 0;
    return 1000.0 * rate.uiDenominator / rate.uiNumerator;
}

double ModePeriodMs(HWND window)
{
    MONITORINFOEXW monitor{};
    monitor.cbSize = sizeof(monitor);
    const HMONITOR handle = ::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    const wchar_t* device = handle && ::GetMonitorInfoW(handle, &monitor) ? monitor.szDevice : nullptr;
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (!::EnumDisplaySettingsW(device, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    // 0 and 1 stand for the hardware's default rate, which says nothing.
    if (mode.dmDisplayFrequency <= 1) return 0;
    return 1000.0 / mode.dmDisplayFrequency;
}
}  // namespace

double MonotonicMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    if (ticksPerMs <= 0) return static_cast<double>(::GetTickCount64());
    return Ticks() / ticksPerMs;
}

RefreshRate DisplayRefresh(HWND window)
{
    if (const double ms = CompositionPeriodMs(); Plausible(ms)) return {ms, RefreshSource::Composition};
    if (const double ms = ModePeriodMs(window); Plausible(ms)) return {ms, RefreshSource::DisplayMode};
    return {};
}

FrameTimer::FrameTimer(HWND window, UINT message)
    : window_(window), message_(message), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    timer_.Reset(::CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS));
    highResolution_ = static_cast<bool>(timer_);
    if (!timer_) timer_.Reset(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    frequency_ = static_cast<double>(frequency.QuadPart);
}

FrameTimer::~FrameTimer()
{
    if (!thread_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    ::SetEvent(wake_.Get());
    thread_.join();
}

void FrameTimer::Start(double periodMs)
{
    if (!timer_ || !wake_ || frequency_ <= 0 || !(periodMs > 0)) return Stop();
    if (running_ && periodMs == periodMs_) return;
    {
        const std::lock_guard lock(mutex_);
        beating_ = true;
        periodTicks_ = periodMs * frequency_ / 1000.0;
        nextTick_ = Ticks() + periodTicks_;
    }
    running_ = true;
    periodMs_ = periodMs;
    posted_.store(false);
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    else ::SetEvent(wake_.Get());
}

void FrameTimer::Stop()
{
    if (!running_) return;
    running_ = false;
    {
        const std::lock_guard lock(mutex_);
        beating_ = false;
    }
    ::SetEvent(wake_.Get());
}

LONGLONG FrameTimer::NextDue()
{
    const double now = Ticks();
    // A beat missed (the machine was busy) is dropped, not made up in a burst.
    if (nextTick_ <= now) nextTick_ += periodTicks_ * std::ceil((now - nextTick_) / periodTicks_ + 1e-9);
    const auto hundredNs = static_cast<LONGLONG>(std::ceil((nextTick_ - now) * 1.0e7 / frequency_));
    return -std::max<LONGLONG>(hundredNs, 1);
}

void FrameTimer::Run()
{
    // Where the platform has no high-resolution timer, ask for a 1 ms tick.
    if (!highResolution_) ::timeBeginPeriod(1);
    const HANDLE handles[2] = {wake_.Get(), timer_.Get()};
    for (;;) {
        LARGE_INTEGER due{};
        {
            const std::lock_guard lock(mutex_);
            if (quit_) break;
            if (beating_) due.QuadPart = NextDue();
        }
        if (due.QuadPart == 0) {
            ::WaitForSingleObject(wake_.Get(), INFINITE);
            continue;
        }
        ::SetWaitableTimer(timer_.Get(), &due, 0, nullptr, nullptr, FALSE);
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) continue;
        {
            const std::lock_guard lock(mutex_);
            if (!beating_ || quit_) continue;
            nextTick_ += periodTicks_;
        }
        if (!posted_.exchange(true) && !::PostMessageW(window_, message_, 0, 0)) posted_.store(false);
    }
    if (!highResolution_) ::timeEndPeriod(1);
}

}  // namespace corvalinth::forms
