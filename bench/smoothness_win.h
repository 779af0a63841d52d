#pragma once
// The figures a user feels: what a tick of the model costs, how much of a core
// the whole program takes while the swarm runs, how often the window is
// presented, and how evenly the slide steps against the display's refresh. Each
// beside the plain way of doing the same.
namespace corvalinth::bench {

struct ModelFigures {
    double oursMs = 0, formulaMs = 0;  // median per tick
    bool same = false;                 // the same pixels and particles after every tick
};
ModelFigures MeasureModel(int width, int height);

struct CpuFigures {
    double cpuPercent = 0;  // process CPU time over wall time, of one core
    double presentsPerSecond = 0, ticksPerSecond = 0;
};
// The saver window itself, its swarm of 1000 on a width x height screen.
CpuFigures MeasureOursCpu(int width, int height, double seconds);
// A window whose 1 ms timer ticks the formula's swarm and draws each dot with
// one call; without `draw`, the timer only ticks (the platform's floor).
CpuFigures MeasurePlainCpu(int width, int height, double seconds, bool draw = true);

struct SlidePacing {
    double refreshMs = 0;
    const char* refreshSource = "";
    int steps = 0;
    double medianMs = 0, longestMs = 0;
    int late = 0;  // step periods longer than 1.5 refreshes
};
SlidePacing MeasureOursSlide(int width, int height);
// Today's pacing: the 1 ms message timer and a fixed 1000/60 ms step.
SlidePacing MeasurePlainSlide(int width, int height);

}  // namespace corvalinth::bench
