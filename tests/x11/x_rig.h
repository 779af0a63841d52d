#pragma once
// What the end-to-end tests of the Linux program stand on: a private Xvfb,
// child processes that are always ended, a known desktop and the screen read
// back. Every wait is bounded, so that a failing test ends instead of hanging.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace corvalinth::x11test {

inline bool WaitFor(double seconds, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// A child in a process group of its own, with `env` added to the environment;
// the whole group is ended if it is still running when the test lets go.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
            const std::string& log = "/dev/null")
    {
        pid_ = ::fork();
        if (pid_ != 0) return;
        ::setpgid(0, 0);
        for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ~Process()
    {
        if (pid_ <= 0 || status_) return;
        ::kill(-pid_, SIGTERM);
        if (!WaitExit(3)) ::kill(-pid_, SIGKILL), WaitExit(10);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Pid() const { return pid_; }
    // The exit status (128 + signal when killed), or nullopt if still running.
    std::optional<int> WaitExit(double seconds)
    {
        WaitFor(seconds, [this] {
            int raw = 0;
            if (!status_ && ::waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_.has_value();
        });
        return status_;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct Finished {
    int status = 0;
    std::string output;
};
inline std::optional<Finished> RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    char log[] = "/tmp/corvalinth-out.XXXXXX";
    ::close(::mkstemp(log));
    const auto status = Process(argv, env, log).WaitExit(10);
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    ::unlink(log);
    if (!status) return std::nullopt;
    return Finished{*status, text.str()};
}

// A private server that tells its display number on a pipe: no guessing, no
// collision with other servers on the machine.
class Xvfb {
public:
    explicit Xvfb(bool sharedMemory = true)
    {
        int fds[2];
        if (::pipe(fds) != 0) return;
        std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp",
                                         "-noreset", "-screen", "0", "1024x768x24"};
        if (!sharedMemory) argv.insert(argv.end(), {"-extension", "MIT-SHM"});
        server_ = std::make_unique<Process>(argv);
        ::close(fds[1]);
        pollfd wait{fds[0], POLLIN, 0};
        char number[16] = {};
        if (::poll(&wait, 1, 20000) == 1 && ::read(fds[0], number, sizeof number - 1) > 0)
            name_ = ":" + std::to_string(std::atoi(number));
        ::close(fds[0]);
        if (!name_.empty()) client_ = XOpenDisplay(name_.c_str());
    }
    ~Xvfb()
    {
        if (client_) XCloseDisplay(client_);
    }
    std::string Env() const { return "DISPLAY=" + name_; }
    Display* Client() const { return client_; }  // the test's own connection
    static constexpr int kWidth = 1024, kHeight = 768;

private:
    std::unique_ptr<Process> server_;
    std::string name_;
    Display* client_ = nullptr;
};

// A desktop no dot can be mistaken for: red and green are never equal.
inline std::uint32_t Pattern(int x, int y)
{
    const std::uint32_t red = static_cast<std::uint32_t>(x + 2 * y) & 0xFF;
    return (red << 16) | (((red + 97) & 0xFF) << 8) | (static_cast<std::uint32_t>(3 * x + y) & 0xFF);
}

inline void ShowPatternOnRoot(const Xvfb& x)
{
    Display* d = x.Client();
    const Window root = DefaultRootWindow(d);
    std::vector<std::uint32_t> pixels;
    for (int row = 0; row < Xvfb::kHeight; ++row)
        for (int col = 0; col < Xvfb::kWidth; ++col) pixels.push_back(Pattern(col, row));
    XImage* image = XCreateImage(d, DefaultVisual(d, 0), 24, ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
                                 Xvfb::kWidth, Xvfb::kHeight, 32, 0);
    const Pixmap pixmap = XCreatePixmap(d, root, Xvfb::kWidth, Xvfb::kHeight, 24);
    XPutImage(d, pixmap, DefaultGC(d, 0), image, 0, 0, 0, 0, Xvfb::kWidth, Xvfb::kHeight);
    image->data = nullptr;
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    XSync(d, False);
}

struct Trails {
    double fraction = 0;    // of the screen no longer showing the pattern
    bool coloured = false;  // some of those pixels are not grey
};
inline Trails ReadTrails(const Xvfb& x)
{
    Trails trails;
    XImage* image = XGetImage(x.Client(), DefaultRootWindow(x.Client()), 0, 0, Xvfb::kWidth, Xvfb::kHeight,
                              AllPlanes, ZPixmap);
    if (!image) return trails;
    int changed = 0;
    for (int row = 0; row < Xvfb::kHeight; ++row)
        for (int col = 0; col < Xvfb::kWidth; ++col) {
            const auto p = static_cast<std::uint32_t>(XGetPixel(image, col, row)) & 0xFFFFFF;
            if (p == Pattern(col, row)) continue;
            ++changed;
            trails.coloured = trails.coloured || (p >> 16) != ((p >> 8) & 0xFF) || ((p >> 8) & 0xFF) != (p & 0xFF);
        }
    XDestroyImage(image);
    trails.fraction = changed / double{Xvfb::kWidth * Xvfb::kHeight};
    return trails;
}

// Processes whose program is `path` (the daemon starts the program itself).
inline std::vector<pid_t> ProcessesOf(const std::string& path)
{
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::error_code error;
        const int pid = std::atoi(entry.path().filename().c_str());
        if (pid > 0 && std::filesystem::read_symlink(entry.path() / "exe", error) == path) found.push_back(pid);
    }
    return found;
}

// Shared memory segments made by `pid` that are still there.
inline int SegmentsOf(pid_t pid)
{
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    std::getline(table, line);  // the heading
    int count = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        long key = 0, id = 0, perms = 0, size = 0, cpid = 0;
        fields >> key >> id >> perms >> size >> cpid;
        count += cpid == pid;
    }
    return count;
}

}  // namespace corvalinth::x11test
