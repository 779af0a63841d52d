#pragma once
// DPI facts in one place: the process is per-monitor aware (manifest), so every
// length the program computes in twips is converted with the DPI that applies.
#include <windows.h>

namespace corvalinth::forms {

constexpr int kDefaultDpi = 96;
constexpr float kTwipsPerInch = 1440.0F;

int SystemDpi();              // the primary monitor's DPI as the system reports it
int WindowDpi(HWND window);   // the DPI of the monitor a window is on
inline float TwipsPerPixelAt(int dpi) { return kTwipsPerInch / static_cast<float>(dpi > 0 ? dpi : kDefaultDpi); }
// Scales a length given at 96 DPI to the given DPI.
int ScaleForDpi(int value, int dpi);
// Whether the process runs per-monitor-v2 DPI aware (false where the platform cannot say).
bool IsPerMonitorV2Aware();

}  // namespace corvalinth::forms
