#pragma once
// --fps's figures: frames a second and the program's CPU load, worked out
// about once a second over the frames since.
#include <string>

namespace corvalinth::linux_host {

class FrameRate {
public:
    // Counts a frame shown at `nowMs` (a monotonic clock).
    void Frame(double nowMs);
    // "FPS: 59.9" and "LOAD: 3.2%", fixed width; dashes until the first second is over.
    const std::string (&Lines() const)[2] { return lines_; }

private:
    double sinceMs_ = -1, cpuSinceMs_ = 0;
    int frames_ = 0;
    std::string lines_[2] = {"FPS:   --", "LOAD:  --"};
};

}  // namespace corvalinth::linux_host
