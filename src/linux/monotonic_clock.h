#pragma once
// The clock every Linux host feeds its paced run from: milliseconds that only
// go forward, whatever is done to the wall clock.
#include <ctime>

namespace corvalinth::linux_host {

inline double MonotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace corvalinth::linux_host
