#pragma once
// What the end-to-end tests of the Linux program stand on: a private Xvfb, child
// processes that are always ended, the screen read back and a known desktop.
#include <sys/types.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalinth::x11test {

// Polls `done` every 50 ms for at most `seconds`; bounds every wait so that a
// failing test ends instead of hanging.
bool WaitFor(double seconds, const std::function<bool()>& done);

class Process {
public:
    // Starts `argv` in a process group of its own; `env` entries are added to
    // this process's environment. Output goes to `log` when given.
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
            const std::string& log = "/dev/null");
    ~Process();  // ends the whole group if still running
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Pid() const { return pid_; }
    // The exit status (128 + signal when killed), or nullopt if still running after `seconds`.
    std::optional<int> WaitExit(double seconds);
    void Signal(int signal) const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The program's exit status and everything it wrote, or nullopt when it did not end.
struct Finished {
    int status = 0;
    std::string output;
};
std::optional<Finished> RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                 double seconds);

class Xvfb {
public:
    explicit Xvfb(bool sharedMemory = true, int width = 1024, int height = 768);
    ~Xvfb();
    const std::string& Name() const { return name_; }  // ":N"
    Display* Client() const { return client_; }         // the test's own connection
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    std::unique_ptr<Process> server_;
    std::string name_;
    Display* client_ = nullptr;
    int width_, height_;
};

using Pixels = std::vector<std::uint32_t>;  // 0x00RRGGBB, rows top-down

// A desktop no dot can be mistaken for: red and green never equal.
std::uint32_t Pattern(int x, int y);
void ShowPatternOnRoot(const Xvfb& x);
Pixels ReadScreen(const Xvfb& x);

struct Trails {
    double fraction = 0;    // of the screen no longer showing the pattern
    bool coloured = false;  // some of those pixels are not grey
};
Trails TrailsOver(const Xvfb& x, const Pixels& screen);

// Waits (bounded) for the trails to grow past a fifth of the screen and then
// shrink to half of their largest: the transition's wipe.
bool SawWipe(const Xvfb& x, double seconds);

// Processes whose program is `path` (the daemon starts the program itself).
std::vector<pid_t> ProcessesOf(const std::string& path);
// Shared memory segments made by `pid` that are still there.
int SegmentsOf(pid_t pid);

}  // namespace corvalinth::x11test
