// The real Linux program on a private Xvfb: in its own window, and under the
// real xscreensaver daemon. Every wait is bounded and every process started
// here is ended, so that a failing test ends instead of hanging.
// GoogleTest first: Xlib's macros (None, Bool, Status) would rewrite its names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
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
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace corvalinth::x11test {
namespace {

namespace fs = std::filesystem;

bool WaitFor(double seconds, const std::function<bool()>& done)
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
std::optional<Finished> RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env)
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
std::uint32_t Pattern(int x, int y)
{
    const std::uint32_t red = static_cast<std::uint32_t>(x + 2 * y) & 0xFF;
    return (red << 16) | (((red + 97) & 0xFF) << 8) | (static_cast<std::uint32_t>(3 * x + y) & 0xFF);
}

void ShowPatternOnRoot(const Xvfb& x)
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
Trails ReadTrails(const Xvfb& x)
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

// The desktop shows, with some trails over it. The program's window is the
// screen's size; before the program draws, it is black.
bool TrailsAppear(const Xvfb& x, Trails& seen)
{
    return WaitFor(15, [&] {
        seen = ReadTrails(x);
        return seen.fraction > 0.01 && seen.fraction < 0.5;
    });
}

// The transition's wipe, once the trails show: they grow past a fifth of the
// screen, then shrink to half of their largest.
bool SawWipe(const Xvfb& x)
{
    double most = 0;
    return WaitFor(40, [&] {
        const double now = ReadTrails(x).fraction;
        most = std::max(most, now);
        return most > 0.2 && now < most / 2;
    });
}

// Processes whose program is `path` (the daemon starts the program itself).
std::vector<pid_t> ProcessesOf(const std::string& path)
{
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        const int pid = std::atoi(entry.path().filename().c_str());
        if (pid > 0 && fs::read_symlink(entry.path() / "exe", error) == path) found.push_back(pid);
    }
    return found;
}

// Shared memory segments made by `pid` that are still there.
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

Window FindOwnWindow(Display* d)
{
    Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
        char* name = nullptr;
        if (XFetchName(d, children[i], &name) && name && std::string(name) == "Corvalinth") found = children[i];
        if (name) XFree(name);
    }
    if (children) XFree(children);
    return found;
}

TEST(OwnWindow, TrailsOverTheGrabbedDesktopAResizeAndAClickEndsIt)
{
    Xvfb x(/*sharedMemory=*/false);  // plain XPutImage, as on a remote display
    ASSERT_NE(x.Client(), nullptr);
    ShowPatternOnRoot(x);
    Process program({CORVALINTH_PROGRAM}, {x.Env()});
    Trails seen;
    ASSERT_TRUE(TrailsAppear(x, seen)) << "no trails over the desktop";
    EXPECT_TRUE(seen.coloured);

    Display* d = x.Client();
    const Window window = FindOwnWindow(d);
    ASSERT_NE(window, 0u);
    XResizeWindow(d, window, 800, 600);  // the run starts again at the new size
    XSync(d, False);
    EXPECT_FALSE(program.WaitExit(1).has_value());
    XTestFakeMotionEvent(d, -1, 400, 300, 0);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XSync(d, False);
    EXPECT_EQ(program.WaitExit(10), 0);
}

TEST(OwnWindow, SigtermDuringTheWipeEndsCleanlyAndFreesSharedMemory)
{
    Xvfb x;
    ASSERT_NE(x.Client(), nullptr);
    ShowPatternOnRoot(x);
    Process program({CORVALINTH_PROGRAM, "--count", "1000"}, {x.Env()});
    Trails seen;
    ASSERT_TRUE(TrailsAppear(x, seen));
    ASSERT_TRUE(SawWipe(x));
    ::kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.WaitExit(10), 0);
    EXPECT_EQ(SegmentsOf(program.Pid()), 0);
}

// The argument rules are unit tests; here, that each outcome reaches the exit
// status and the terminal, and that a window id naming no window is an error.
TEST(CommandLine, BadInputGetsAClearMessageAndStatus)
{
    Xvfb x;
    ASSERT_NE(x.Client(), nullptr);
    const struct {
        std::string arg, value;
        int status;
        std::string says;
    } cases[] = {
        {"--count", "many", 2, "not a number"},
        {"--window-id", "0x1fffffff", 1, "no window 0x1fffffff"},
        {"--help", "", 0, "--count N"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{CORVALINTH_PROGRAM, c.arg};
        if (!c.value.empty()) argv.push_back(c.value);
        const auto finished = RunToEnd(argv, {x.Env()});
        ASSERT_TRUE(finished) << c.says;
        EXPECT_EQ(finished->status, c.status) << c.says;
        EXPECT_NE(finished->output.find(c.says), std::string::npos) << finished->output;
    }
}

// A throwaway home for the daemon's user holding the settings and a copy of the
// program that user can reach, removed afterwards.
class DaemonHome {
public:
    DaemonHome()
    {
        char path[] = "/tmp/corvalinth-daemon.XXXXXX";
        dir_ = ::mkdtemp(path);
        program_ = dir_ / "corvalinth";
        fs::copy_file(CORVALINTH_PROGRAM, program_);
        std::ofstream(dir_ / ".xscreensaver") << "mode: one\nselected: 0\ntimeout: 0:30:00\nfade: False\n"
                                                 "unfade: False\nlock: False\nsplash: False\nprograms: "
                                              << program_.string() << " --mono \\n\\\n\n";
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        // The daemon refuses to start programs as root.
        if (::geteuid() == 0) {
            const passwd* user = ::getpwnam("nobody");
            const group* grp = ::getgrnam("nogroup");
            if (user && grp)
                for (const auto& p : {dir_, dir_ / ".xscreensaver", program_})
                    [[maybe_unused]] const int ignored = ::chown(p.c_str(), user->pw_uid, grp->gr_gid);
        }
    }
    ~DaemonHome()
    {
        for (pid_t pid : ProcessesOf(program_.string())) ::kill(pid, SIGKILL);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::vector<std::string> DaemonCommand(const Xvfb& x) const
    {
        std::vector<std::string> argv;
        if (::geteuid() == 0)
            argv = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        argv.insert(argv.end(), {"env", "-i", "HOME=" + dir_.string(), x.Env(), "PATH=/usr/bin:/bin",
                                 "xscreensaver", "--no-splash"});
        return argv;
    }
    const fs::path& Dir() const { return dir_; }
    std::string Program() const { return program_.string(); }

private:
    fs::path dir_, program_;
};

bool Command(const Xvfb& x, const std::string& what)
{
    const auto done = RunToEnd({"xscreensaver-command", what}, {x.Env()});
    return done && done->status == 0;
}

TEST(UnderTheDaemon, TheDesktopWithGreyTrailsAWipeAndAKeyEndsIt)
{
    Xvfb x;
    ASSERT_NE(x.Client(), nullptr);
    ShowPatternOnRoot(x);
    DaemonHome home;
    Process daemon(home.DaemonCommand(x), {}, (home.Dir() / "daemon.log").string());
    struct Stop {
        const Xvfb& x;
        ~Stop() { Command(x, "-exit"); }
    } stop{x};
    ASSERT_TRUE(WaitFor(15, [&] { return Command(x, "-activate"); })) << "the daemon did not answer";
    ASSERT_TRUE(WaitFor(15, [&] { return !ProcessesOf(home.Program()).empty(); })) << "no program started";

    Trails seen;
    ASSERT_TRUE(TrailsAppear(x, seen)) << "no trails over the daemon's screenshot";
    EXPECT_FALSE(seen.coloured) << "--mono draws grey dots only";
    EXPECT_TRUE(SawWipe(x));

    // The daemon ignores input for a moment after blanking: long past by now.
    Display* d = x.Client();
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), True, 0);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), False, 0);
    XSync(d, False);
    EXPECT_TRUE(WaitFor(5, [&] { return ProcessesOf(home.Program()).empty(); }));
}

}  // namespace
}  // namespace corvalinth::x11test
