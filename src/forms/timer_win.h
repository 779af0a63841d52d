#pragma once
// A message-driven timer of the UI thread: its tick runs from whatever message
// loop is running (the main loop, a modal form's loop, a yield).
#include <windows.h>

#include <functional>

namespace corvalinth::forms {

class Timer {
public:
    explicit Timer(std::function<void()> onTick, UINT intervalMs = 0, bool enabled = false);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetInterval(UINT milliseconds);
    UINT Interval() const { return interval_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return id_ != 0; }
    void SetOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Start();
    void Stop();

    std::function<void()> onTick_;
    UINT interval_ = 0;
    UINT_PTR id_ = 0;
};

}  // namespace corvalinth::forms
