#include "forms/timer_win.h"

#include <map>

#include "forms/app_win.h"

namespace corvalinth::forms {
namespace {
// Thread timers are told apart only by the id the system hands out.
std::map<UINT_PTR, Timer*>& Live()
{
    static std::map<UINT_PTR, Timer*> timers;
    return timers;
}
}  // namespace

Timer::Timer(std::function<void()> onTick, UINT intervalMs, bool enabled)
    : onTick_(std::move(onTick)), interval_(intervalMs)
{
    SetEnabled(enabled);
}

Timer::~Timer() { Stop(); }

void Timer::SetInterval(UINT milliseconds)
{
    interval_ = milliseconds;
    // A running timer restarts its count with the new interval; 0 stops it.
    if (Enabled()) {
        Stop();
        Start();
    }
}

void Timer::SetEnabled(bool enabled)
{
    if (enabled == Enabled()) return;
    if (enabled) Start();
    else Stop();
}

void Timer::Start()
{
    if (interval_ == 0) return;
    id_ = ::SetTimer(nullptr, 0, interval_, &Timer::Tick);
    if (id_) Live()[id_] = this;
}

void Timer::Stop()
{
    if (!id_) return;
    ::KillTimer(nullptr, id_);
    Live().erase(id_);
    id_ = 0;
}

void CALLBACK Timer::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (Ending()) return;
    const auto found = Live().find(id);
    if (found == Live().end()) return;
    Timer* timer = found->second;
    if (timer->onTick_) timer->onTick_();
}

}  // namespace corvalinth::forms
