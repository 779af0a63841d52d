#include "x_rig.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace corvalinth::x11test {

bool WaitFor(double seconds, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log)
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

Process::~Process()
{
    if (pid_ <= 0 || status_) return;
    ::kill(-pid_, SIGTERM);
    if (!WaitExit(3)) {
        ::kill(-pid_, SIGKILL);
        WaitExit(10);
    }
}

std::optional<int> Process::WaitExit(double seconds)
{
    WaitFor(seconds, [this] {
        int raw = 0;
        if (!status_ && ::waitpid(pid_, &raw, WNOHANG) == pid_)
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return status_.has_value();
    });
    return status_;
}

void Process::Signal(int signal) const { ::kill(pid_, signal); }

std::optional<Finished> RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                 double seconds)
{
    char log[] = "/tmp/corvalinth-out.XXXXXX";
    const int fd = ::mkstemp(log);
    ::close(fd);
    std::optional<int> status;
    {
        Process process(argv, env, log);
        status = process.WaitExit(seconds);
    }
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    ::unlink(log);
    if (!status) return std::nullopt;
    return Finished{*status, text.str()};
}

Xvfb::Xvfb(bool sharedMemory, int width, int height) : width_(width), height_(height)
{
    // The server tells its display number on a pipe: no guessing, no collision
    // with other servers on the machine.
    int fds[2];
    if (::pipe(fds) != 0) return;
    std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset",
                                     "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24"};
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

Xvfb::~Xvfb()
{
    if (client_) XCloseDisplay(client_);
}

std::uint32_t Pattern(int x, int y)
{
    const std::uint32_t red = static_cast<std::uint32_t>(x + 2 * y) & 0xFF;
    return (red << 16) | (((red + 97) & 0xFF) << 8) | (static_cast<std::uint32_t>(3 * x + y) & 0xFF);
}

void ShowPatternOnRoot(const Xvfb& x)
{
    Display* d = x.Client();
    const int screen = DefaultScreen(d);
    Pixels pixels(static_cast<std::size_t>(x.Width()) * x.Height());
    for (int row = 0; row < x.Height(); ++row)
        for (int col = 0; col < x.Width(); ++col) pixels[static_cast<std::size_t>(row) * x.Width() + col] = Pattern(col, row);
    XImage* image = XCreateImage(d, DefaultVisual(d, screen), 24, ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
                                 static_cast<unsigned>(x.Width()), static_cast<unsigned>(x.Height()), 32, 0);
    const Pixmap pixmap = XCreatePixmap(d, RootWindow(d, screen), static_cast<unsigned>(x.Width()),
                                        static_cast<unsigned>(x.Height()), 24);
    XPutImage(d, pixmap, DefaultGC(d, screen), image, 0, 0, 0, 0, static_cast<unsigned>(x.Width()),
              static_cast<unsigned>(x.Height()));
    image->data = nullptr;
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(d, RootWindow(d, screen), pixmap);
    XClearWindow(d, RootWindow(d, screen));
    XSync(d, False);
}

Pixels ReadScreen(const Xvfb& x)
{
    Display* d = x.Client();
    XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(x.Width()),
                              static_cast<unsigned>(x.Height()), AllPlanes, ZPixmap);
    Pixels pixels;
    if (!image) return pixels;
    for (int row = 0; row < x.Height(); ++row)
        for (int col = 0; col < x.Width(); ++col)
            pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, col, row)) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

Trails TrailsOver(const Xvfb& x, const Pixels& screen)
{
    Trails trails;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < screen.size(); ++i) {
        const int col = static_cast<int>(i % x.Width()), row = static_cast<int>(i / x.Width());
        const std::uint32_t p = screen[i];
        if (p == Pattern(col, row)) continue;
        ++changed;
        const std::uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
        trails.coloured = trails.coloured || r != g || g != b;
    }
    trails.fraction = screen.empty() ? 0 : static_cast<double>(changed) / static_cast<double>(screen.size());
    return trails;
}

bool SawWipe(const Xvfb& x, double seconds)
{
    double most = 0;
    return WaitFor(seconds, [&] {
        const double now = TrailsOver(x, ReadScreen(x)).fraction;
        most = std::max(most, now);
        return most > 0.2 && now < most / 2;
    });
}

std::vector<pid_t> ProcessesOf(const std::string& path)
{
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
        const int pid = std::atoi(entry->d_name);
        char target[4096] = {};
        const std::string exe = "/proc/" + std::string(entry->d_name) + "/exe";
        if (pid > 0 && ::readlink(exe.c_str(), target, sizeof target - 1) > 0 && path == target) found.push_back(pid);
    }
    if (proc) ::closedir(proc);
    return found;
}

int SegmentsOf(pid_t pid)
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
