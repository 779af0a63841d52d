#include "linux/frame_rate.h"

#include <cstdio>
#include <ctime>

namespace corvalinth::linux_host {

namespace {
constexpr double kIntervalMs = 1000;

double CpuMs()
{
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) * 1000.0 + static_cast<double>(used.tv_nsec) / 1e6;
}

// Fixed width, so that a shorter figure leaves nothing of a longer one behind.
std::string Figure(const char* label, double value, const char* unit)
{
    char text[32];
    std::snprintf(text, sizeof text, "%-5s %5.1f%s", label, value, unit);
    return text;
}
}  // namespace

void FrameRate::Frame(double nowMs)
{
    ++frames_;
    if (sinceMs_ < 0) {
        sinceMs_ = nowMs;
        cpuSinceMs_ = CpuMs();
        frames_ = 0;
        return;
    }
    const double elapsed = nowMs - sinceMs_;
    if (elapsed < kIntervalMs) return;
    const double cpu = CpuMs();
    lines_[0] = Figure("FPS:", frames_ * 1000.0 / elapsed, "");
    lines_[1] = Figure("LOAD:", (cpu - cpuSinceMs_) * 100.0 / elapsed, "%");
    sinceMs_ = nowMs;
    cpuSinceMs_ = cpu;
    frames_ = 0;
}

}  // namespace corvalinth::linux_host
