#include "x11/fps_overlay_x11.h"

#include <cstdio>
#include <ctime>
#include <iterator>

namespace corvalinth::x11 {

namespace {
constexpr double kIntervalMs = 1000;
constexpr int kMargin = 10;

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

FpsOverlay::FpsOverlay(Display* display, Window window, const linux_host::PixelFormat& format)
    : display_(display), window_(window)
{
    // Without the server's basic font there is nothing to write with: the run goes on without figures.
    font_ = XLoadQueryFont(display_, "fixed");
    if (!font_) return;
    XGCValues values{};
    values.foreground = format.ToWire(core::Rgb(255, 255, 255));
    values.background = format.ToWire(core::Rgb(0, 0, 0));
    values.font = font_->fid;
    gc_ = XCreateGC(display_, window_, GCForeground | GCBackground | GCFont, &values);
}

FpsOverlay::~FpsOverlay()
{
    if (gc_) XFreeGC(display_, gc_);
    if (font_) XFreeFont(display_, font_);
}

void FpsOverlay::Measure(double nowMs)
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
    lines_[1] = Figure("Load:", (cpu - cpuSinceMs_) * 100.0 / elapsed, "%");
    sinceMs_ = nowMs;
    cpuSinceMs_ = cpu;
    frames_ = 0;
}

void FpsOverlay::Frame(double nowMs, int windowHeight)
{
    Measure(nowMs);
    if (!gc_) return;
    const int lineHeight = font_->ascent + font_->descent;
    int baseline = windowHeight - kMargin - font_->descent - lineHeight * (static_cast<int>(std::size(lines_)) - 1);
    for (const std::string& line : lines_) {
        XDrawImageString(display_, window_, gc_, kMargin, baseline, line.data(), static_cast<int>(line.size()));
        baseline += lineHeight;
    }
}

}  // namespace corvalinth::x11
