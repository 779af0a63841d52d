#pragma once
// What every section of the saver benchmark shares: clocks, medians, a plain
// full-screen window and the platform's flush.
#include <windows.h>

#include <vector>

#include "core/surface.h"
#include "forms/form_win.h"

namespace corvalinth::bench {

double NowMs();
double ThreadCpuMs();
double ProcessCpuMs();

// Medians: the machine's noise (other processes, the display server) lands in
// a few samples and would swamp a mean.
double Median(std::vector<double> samples);
double Mean(const std::vector<double>& samples);
double Max(const std::vector<double>& samples);

// Lets the platform push what was drawn to the display: a wait that returns at
// once is where it flushes window surfaces.
void PlatformFlush();
void Pump();
// Runs the thread's messages for `ms` as the program's own loop would.
void RunMessagesFor(double ms);

class PlainWindow : public forms::Form {
public:
    PlainWindow(int width, int height);
};

void FillPattern(const core::SurfaceView& s, int salt);

}  // namespace corvalinth::bench
