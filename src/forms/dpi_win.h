#pragma once
// DPI facts in one place: the process is per-monitor aware (manifest), so every
// length the program computes in twips is converted with the DPI that applies.
#include <windows.h>

namespace corvalinth::forms {

constexpr int kDefaultDpi = 96;
constexpr float kTwipsPerInch = 1440.0F;

int SystemDpi();              // the primary monitor's DPI as the system reports it
int WindowDpi(HWND window);   // the DPI of the monitor a window is on
// Tests only: every window reports this DPI (0: the platform's again), so that a
// form can open at a DPI other than the system's, which Wine never shows.
void SetWindowDpiForTests(int dpi);
inline float TwipsPerPixelAt(int dpi) { return kTwipsPerInch / static_cast<float>(dpi > 0 ? dpi : kDefaultDpi); }
// A design length in twips as whole pixels at that DPI, nearest with ties to even.
int TwipsToPixelsAt(double twips, int dpi);
// Scales a length given at 96 DPI to the given DPI.
int ScaleForDpi(int value, int dpi);
// Grows a client rectangle to the window rectangle around it, with the frame
// metrics of the given DPI where the platform knows them.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
enum class DpiAwareness { Unknown, Unaware, System, PerMonitor, PerMonitorV2 };
// How the calling thread (and so the process, which sets it from the manifest)
// is DPI aware; Unknown where the platform cannot say.
DpiAwareness CurrentDpiAwareness();
// Whether the platform knows per-monitor-v2 awareness at all.
bool PerMonitorV2Known();

}  // namespace corvalinth::forms
