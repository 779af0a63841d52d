#include "x11/fps_overlay_x11.h"

#include <iterator>
#include <string>

namespace corvalinth::x11 {

namespace {
constexpr int kMargin = 10;
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

void FpsOverlay::Frame(double nowMs, int windowHeight)
{
    rate_.Frame(nowMs);
    if (!gc_) return;
    const auto& lines = rate_.Lines();
    const int lineHeight = font_->ascent + font_->descent;
    int baseline = windowHeight - kMargin - font_->descent - lineHeight * (static_cast<int>(std::size(lines)) - 1);
    for (const std::string& line : lines) {
        XDrawImageString(display_, window_, gc_, kMargin, baseline, line.data(), static_cast<int>(line.size()));
        baseline += lineHeight;
    }
}

}  // namespace corvalinth::x11
