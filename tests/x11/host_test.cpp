// The real Linux program on a private Xvfb: in its own window, in another
// program's window, and under the real xscreensaver daemon. Every wait is
// bounded, so that a failing test ends instead of hanging.
// GoogleTest first: Xlib's macros (None, Bool, Status) would rewrite its names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

// The program's own headers before the other X ones: they keep Xlib's
// DisplayWidth macro from the model's names.
#include "swarm/animation.h"
#include "x11/presenter_x11.h"
#include "x11/window_image_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "corvalinth_version.h"
#include "x11/x_errors_x11.h"

namespace corvalinth::x11test {
namespace {

namespace fs = std::filesystem;

bool WaitFor(double seconds, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done())
        if (std::chrono::steady_clock::now() > end) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return true;
}

// A child in a process group of its own, ended with its group if still running
// when the test lets go.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv, const std::string& log = "/dev/null")
    {
        if ((pid_ = ::fork()) != 0) return;
        ::setpgid(0, 0);
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

// What a file holds (what a program printed into its log).
std::string Text(const fs::path& path)
{
    std::stringstream read;
    read << std::ifstream(path).rdbuf();
    return read.str();
}

// A private server that tells its display number on a pipe: no guessing, no
// collision with other servers on the machine.
class Xvfb {
public:
    static constexpr int kWidth = 1024, kHeight = 768;
    explicit Xvfb(bool sharedMemory, int depth = 24)
    {
        int fds[2];
        if (::pipe(fds) != 0) return;
        std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp",
                                         "-noreset", "-screen", "0", "1024x768x" + std::to_string(depth)};
        if (!sharedMemory) argv.insert(argv.end(), {"-extension", "MIT-SHM"});
        server_ = std::make_unique<Process>(argv);
        ::close(fds[1]);
        pollfd wait{fds[0], POLLIN, 0};
        char number[16] = {};
        if (::poll(&wait, 1, 20000) == 1 && ::read(fds[0], number, sizeof number - 1) > 0)
            name_ = ":" + std::to_string(std::atoi(number));
        ::close(fds[0]);
        if (!name_.empty()) d = XOpenDisplay(name_.c_str());
    }
    ~Xvfb() { if (d) XCloseDisplay(d); }
    // Ends the server as a crash would; the test's own connection goes first.
    void Kill() { XCloseDisplay(std::exchange(d, nullptr)); ::kill(server_->Pid(), SIGKILL); }
    // The program's command line on this display.
    std::vector<std::string> Program(std::vector<std::string> args = {}) const
    {
        args.insert(args.begin(), {"env", "DISPLAY=" + name_, CORVALINTH_PROGRAM});
        return args;
    }
    std::string Env() const { return "DISPLAY=" + name_; }
    Display* d = nullptr;  // the test's own connection

private:
    std::unique_ptr<Process> server_;
    std::string name_;
};

// A desktop no dot can be mistaken for: red and green are never equal.
std::uint32_t Pattern(int x, int y)
{
    const std::uint32_t red = static_cast<std::uint32_t>(x + 2 * y) & 0xFF;
    return (red << 16) | (((red + 97) & 0xFF) << 8) | (static_cast<std::uint32_t>(3 * x + y) & 0xFF);
}

// A colour as a visual's pixel (encode) or back, each channel rounded to its mask.
unsigned long Top(unsigned long mask) { return mask >> __builtin_ctzl(mask); }
std::uint32_t Convert(const Visual* v, unsigned long value, bool encode)
{
    std::uint32_t out = 0;
    for (const auto& [mask, shift] : {std::pair{v->red_mask, 16}, std::pair{v->green_mask, 8}, std::pair{v->blue_mask, 0}})
        out |= static_cast<std::uint32_t>(encode ? ((value >> shift & 0xFF) * Top(mask) + 127) / 255 << __builtin_ctzl(mask)
                                                 : ((value & mask) >> __builtin_ctzl(mask)) * 255 / Top(mask) << shift);
    return out;
}
// One step of the visual's coarsest channel, in eight-bit units.
int Step(const Visual* v) { return static_cast<int>(255 / std::min({Top(v->red_mask), Top(v->green_mask), Top(v->blue_mask)})) + 1; }
bool Near(std::uint32_t a, std::uint32_t b, int step)
{
    for (int shift : {16, 8, 0})
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > step) return false;
    return true;
}

void ShowPatternOnRoot(Display* d)
{
    Visual* v = DefaultVisual(d, 0);
    XImage* image = XCreateImage(d, v, static_cast<unsigned>(DefaultDepth(d, 0)), ZPixmap, 0, nullptr, Xvfb::kWidth, Xvfb::kHeight, 32, 0);
    image->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(image->bytes_per_line), Xvfb::kHeight));
    for (int row = 0; row < Xvfb::kHeight; ++row)
        for (int col = 0; col < Xvfb::kWidth; ++col) XPutPixel(image, col, row, Convert(v, Pattern(col, row), true));
    const Pixmap pixmap = XCreatePixmap(d, DefaultRootWindow(d), Xvfb::kWidth, Xvfb::kHeight, static_cast<unsigned>(DefaultDepth(d, 0)));
    XPutImage(d, pixmap, DefaultGC(d, 0), image, 0, 0, 0, 0, Xvfb::kWidth, Xvfb::kHeight);
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(d, DefaultRootWindow(d), pixmap);
    XClearWindow(d, DefaultRootWindow(d));
    XSync(d, False);
}

// What a window shows in a rectangle, as colours row by row (empty if it
// cannot be read).
std::vector<std::uint32_t> Pixels(Display* d, Window from, int width, int height, int x = 0, int y = 0)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(d, from, &attributes);
    std::vector<std::uint32_t> pixels;
    XImage* image = XGetImage(d, from, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    for (int row = 0; image && row < height; ++row)
        for (int col = 0; col < width; ++col) pixels.push_back(Convert(attributes.visual, XGetPixel(image, col, row), false));
    if (image) XDestroyImage(image);
    return pixels;
}

struct Trails {
    double fraction = 0;    // of the screen no longer showing the pattern
    bool coloured = false;  // some of those pixels are not grey
};
Trails ReadTrails(Display* d)
{
    Trails trails;
    const auto pixels = Pixels(d, DefaultRootWindow(d), Xvfb::kWidth, Xvfb::kHeight);
    const int step = Step(DefaultVisual(d, 0));
    int changed = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        if (Near(p, Pattern(static_cast<int>(i) % Xvfb::kWidth, static_cast<int>(i) / Xvfb::kWidth), step)) continue;
        ++changed;
        trails.coloured = trails.coloured || !Near(p, (p >> 8 & 0xFF) * 0x010101, step);
    }
    trails.fraction = changed / double{Xvfb::kWidth * Xvfb::kHeight};
    return trails;
}

// The desktop shows, with some trails over it (before the program draws, its
// window is black); then the transition: the trails grow past a fifth of the
// screen and shrink to half of their largest.
bool TrailsAppear(Display* d, Trails& seen)
{
    double most = 0;
    return WaitFor(15, [&] {
        seen = ReadTrails(d);
        return seen.fraction > 0.01 && seen.fraction < 0.8;
    }) && WaitFor(40, [&] {
        const double now = ReadTrails(d).fraction;
        most = std::max(most, now);
        return most > 0.2 && now < most / 2;
    });
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

// Shared memory segments made by `pid` that are still there.
int SegmentsOf(pid_t pid)
{
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    std::getline(table, line);  // the heading
    int count = 0;
    for (long key = 0, id = 0, perms = 0, size = 0, cpid = 0; std::getline(table, line); count += cpid == pid)
        std::istringstream(line) >> key >> id >> perms >> size >> cpid;
    return count;
}

// The settings program's preview: a small window of another program, here with
// a 32-bit visual, carrying a screenshot of the whole screen whose left half is
// red and right half green.
struct Preview {
    Window window = 0;
    Pixmap shot = 0;
};
Preview PreviewWindow(Display* d)
{
    XVisualInfo deep{};
    if (!XMatchVisualInfo(d, 0, 32, TrueColor, &deep)) return {};
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(d, DefaultRootWindow(d), deep.visual, AllocNone);
    const Window window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, 423, 237, 0, 32, InputOutput, deep.visual,
                                        CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    // Taken at the screen's depth, as the daemon does.
    const Pixmap shot = XCreatePixmap(d, window, Xvfb::kWidth, Xvfb::kHeight, static_cast<unsigned>(DefaultDepth(d, 0)));
    const GC gc = XCreateGC(d, shot, 0, nullptr);
    for (const auto& [left, colour] : {std::pair{0, 0xFF0000u}, std::pair{Xvfb::kWidth / 2, 0x00FF00u}}) {
        XSetForeground(d, gc, Convert(DefaultVisual(d, 0), colour, true));
        XFillRectangle(d, shot, gc, left, 0, Xvfb::kWidth / 2, Xvfb::kHeight);
    }
    XFreeGC(d, gc);
    XChangeProperty(d, window, XInternAtom(d, "_SCREENSAVER_SCREENSHOT", False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&shot), 1);
    XMapWindow(d, window);
    XSync(d, False);
    return {window, shot};
}

// The colour most of column x of the preview shows.
std::uint32_t ColumnColour(Display* d, Window window, int x)
{
    std::vector<std::uint32_t> column = Pixels(d, window, 1, 237, x);
    if (column.empty()) return 1;
    std::nth_element(column.begin(), column.begin() + 118, column.end());
    return column[118];
}

// The white pixels in the bottom-left corner of a window `height` high, where
// --fps writes (neither the desktop pattern nor a dot is white).
std::vector<bool> Figures(Display* d, Window window, int height)
{
    std::vector<bool> white;
    for (const std::uint32_t p : Pixels(d, window, 200, 40, 0, height - 40)) white.push_back(p == 0xFFFFFFu);
    return white;
}

// At depth 16 (5-6-5) without shared memory (plain XPutImage, as on a remote
// display): the argument outcomes reach the exit status and the terminal, a
// preview shows the screenshot scaled and centred, a run in its own window
// draws grey trails (--mono) and wipes them, survives a resize (it starts again
// at the new size) and ends on a click, and one with --geometry and -fps.
TEST(PlainImages, Depth16CommandLineOutcomesAPreviewGreyTrailsAResizeAClickGeometryAndFps)
{
    Xvfb x(/*sharedMemory=*/false, 16);
    ASSERT_NE(x.d, nullptr);
    const std::string log = "/tmp/corvalinth-says-" + std::to_string(::getpid());
    for (const auto& [option, value, want, says] : {std::tuple{"--count", "many", 2, "not a number"},
                                                    std::tuple{"--window-id", "0x1fffffff", 1, "no window 0x1fff"}}) {
        Process refused(x.Program({option, value}), log);
        EXPECT_EQ(refused.WaitExit(10), want) << option;
        EXPECT_NE(Text(log).find(says), std::string::npos) << Text(log);
    }
    fs::remove(log);

    const Preview made = PreviewWindow(x.d);
    const Window preview = made.window;
    ASSERT_NE(preview, 0u);
    // Then the screenshot is freed, as a daemon's of an earlier blanking may be:
    // the run goes on over black. -fps writes white in the window's 32-bit visual.
    for (const bool freed : {false, true}) {
        if (freed) XFreePixmap(x.d, made.shot), XSync(x.d, False);
        Process program(x.Program({"-window-id", std::to_string(preview), "--count", "3", "--fps"}));
        // 1024x768 scaled into 423x237 is 316x237, from x = 53: black, red, green, black.
        const std::vector<std::uint32_t> want = freed ? std::vector<std::uint32_t>(4, 0)
                                                      : std::vector<std::uint32_t>{0, 0xFF0000, 0x00FF00, 0};
        std::vector<std::uint32_t> seen;
        std::vector<bool> figures;
        EXPECT_TRUE(WaitFor(10, [&] {
            seen.clear();
            for (const int column : {20, 120, 300, 400}) seen.push_back(ColumnColour(x.d, preview, column));
            figures = Figures(x.d, preview, 237);
            return seen == want && std::count(figures.begin(), figures.end(), true) > 20;
        })) << freed << std::hex << " " << seen[0] << " " << seen[1] << " " << seen[2] << " " << seen[3];
        EXPECT_FALSE(program.WaitExit(0.5).has_value()) << freed;
        ::kill(program.Pid(), SIGTERM);
        EXPECT_EQ(program.WaitExit(10), 0) << freed;
    }
    XDestroyWindow(x.d, preview);

    ShowPatternOnRoot(x.d);
    Process program(x.Program({"--mono"}));
    Trails seen;
    ASSERT_TRUE(TrailsAppear(x.d, seen)) << "no trails and wipe over the desktop";
    EXPECT_FALSE(seen.coloured) << "grey stays grey at 5-6-5";
    const Window window = FindOwnWindow(x.d);
    ASSERT_NE(window, 0u);
    XResizeWindow(x.d, window, 800, 600);
    XSync(x.d, False);
    EXPECT_FALSE(program.WaitExit(1).has_value());
    XTestFakeMotionEvent(x.d, -1, 400, 300, 0);
    XTestFakeButtonEvent(x.d, 1, True, 0);
    XTestFakeButtonEvent(x.d, 1, False, 0);
    XSync(x.d, False);
    EXPECT_EQ(program.WaitExit(10), 0);

    // A window of its own where the X geometry puts it, started as the daemon's
    // settings may start it: XSCREENSAVER_WINDOW set but empty, and -fps. At
    // -0-0 its bottom-right corner is the screen's, and the hints say to keep it so.
    std::vector<std::string> argv = x.Program({"--geometry", "640x480-0-0", "-fps", "--count", "1"});
    argv.insert(argv.begin() + 1, "XSCREENSAVER_WINDOW=");
    Process placed(argv);
    XWindowAttributes where{};
    Window own = 0;
    EXPECT_TRUE(WaitFor(10, [&] {
        own = FindOwnWindow(x.d);
        return own && XGetWindowAttributes(x.d, own, &where) && where.map_state == IsViewable;
    }));
    EXPECT_EQ(std::tuple(where.x, where.y, where.width, where.height),
              std::tuple(Xvfb::kWidth - 640, Xvfb::kHeight - 480, 640, 480));
    XSizeHints hints{};
    long supplied = 0;
    EXPECT_TRUE(XGetWMNormalHints(x.d, own, &hints, &supplied) && (hints.flags & PWinGravity) &&
                hints.win_gravity == SouthEastGravity);
    std::vector<bool> figures;
    EXPECT_TRUE(WaitFor(10, [&] {
        figures = Figures(x.d, own, 480);
        return std::count(figures.begin(), figures.end(), true) > 20;
    })) << "no figures in the corner";
    EXPECT_TRUE(WaitFor(10, [&] { return Figures(x.d, own, 480) != figures; })) << "the figures never change";
    ::kill(placed.Pid(), SIGTERM);
    EXPECT_EQ(placed.WaitExit(10), 0);
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

// A throwaway home for the daemon's user holding the settings and a copy of the
// program that user can reach (the daemon refuses to start programs as root).
struct DaemonHome {
    fs::path dir = [] {
        char path[] = "/tmp/corvalinth-daemon.XXXXXX";
        return fs::path(::mkdtemp(path));
    }();
    std::string program = (dir / "corvalinth").string();
    DaemonHome()
    {
        fs::copy_file(CORVALINTH_PROGRAM, program);
        std::ofstream(dir / ".xscreensaver") << "mode: one\nselected: 0\ntimeout: 0:30:00\nfade: False\n"
                                                "unfade: False\nlock: False\nsplash: False\nprograms: "
                                             << program << " \\n\\\n\n";
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        const passwd* user = ::getpwnam("nobody");
        const group* grp = ::getgrnam("nogroup");
        if (::geteuid() == 0 && user && grp)
            for (const fs::path& p : {dir, dir / ".xscreensaver", fs::path(program)})
                [[maybe_unused]] const int ignored = ::chown(p.c_str(), user->pw_uid, grp->gr_gid);
    }
    ~DaemonHome()
    {
        for (pid_t pid : ProcessesOf(program)) ::kill(pid, SIGKILL);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::vector<std::string> Daemon(const Xvfb& x) const
    {
        std::vector<std::string> argv;
        if (::geteuid() == 0) argv = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        argv.insert(argv.end(), {"env", "-i", "HOME=" + dir.string(), x.Env(), "PATH=/usr/bin:/bin",
                                 "xscreensaver", "--no-splash"});
        return argv;
    }
};

// Shared memory at depth 30 (10-10-10, blue high): in a window of its own (its
// best TrueColor visual and a colormap of its own) coloured trails over the
// desktop and the wipe, and SIGTERM ends it with 0; then under the daemon, which
// starts the program once: coloured trails over its screenshot, the wipe, and a
// key ends it.
TEST(SharedMemory, Depth30AnOwnRunThenOneUnderTheDaemon)
{
    Xvfb x(/*sharedMemory=*/true, 30);
    ASSERT_NE(x.d, nullptr);
    ShowPatternOnRoot(x.d);
    Trails seen;
    {
        Process own(x.Program());
        ASSERT_TRUE(TrailsAppear(x.d, seen)) << "no trails and wipe in its own window";
        EXPECT_TRUE(seen.coloured);
        ::kill(own.Pid(), SIGTERM);
        EXPECT_EQ(own.WaitExit(10), 0);
    }
    DaemonHome home;
    Process daemon(home.Daemon(x), (home.dir / "daemon.log").string());
    const auto command = [&](const char* what) {
        return Process({"env", x.Env(), "xscreensaver-command", what}).WaitExit(10) == 0;
    };
    const std::shared_ptr<void> stop(nullptr, [&](void*) { command("-exit"); });
    ASSERT_TRUE(WaitFor(15, [&] { return command("-activate"); })) << "the daemon did not answer";
    ASSERT_TRUE(WaitFor(15, [&] { return !ProcessesOf(home.program).empty(); })) << "no program started";
    const std::vector<pid_t> started = ProcessesOf(home.program);
    ASSERT_TRUE(TrailsAppear(x.d, seen)) << "no trails and wipe over the daemon's screenshot";
    EXPECT_TRUE(seen.coloured);
    EXPECT_EQ(ProcessesOf(home.program), started) << "the daemon started the program again";
    // The daemon ignores input for a moment after blanking: long past by now.
    XTestFakeKeyEvent(x.d, XKeysymToKeycode(x.d, XK_a), True, 0);
    XTestFakeKeyEvent(x.d, XKeysymToKeycode(x.d, XK_a), False, 0);
    XSync(x.d, False);
    EXPECT_TRUE(WaitFor(5, [&] { return ProcessesOf(home.program).empty(); }));
}

// At depth 24 the presents of before (a put per changed rectangle) and of now
// (a banded clip list and one put) show the same pixels, the model's, after the
// same ticks: two windows take one swarm's ticks, presented after two ticks,
// then one, as 100 ticks fall into 60 frames. Then a run of the program in its
// own window: coloured trails, the wipe, and SIGTERM ends it with 0 and frees
// its segments.
// Then what ends a run from outside: its window taken away (as the daemon does),
// and the server lost mid-run and during start-up, where a tracer holds the
// program after it attached its first segment, before the server heard of it.
// The program ends at once (gone, it uses no CPU) and leaves no segment. And
// the test's own check of a request takes that request's errors only: a window
// gone before an earlier request reached the server is left for the run to find.
TEST(SharedMemory, Depth24TheTwoWaysOfPresentingMatchAnOwnRunThenTheWindowOrTheServerGone)
{
    Xvfb x(/*sharedMemory=*/true, 24);
    ASSERT_NE(x.d, nullptr);
    constexpr int w = 400, h = 300;
    auto image = x11::WindowImage::Create(x.d, DefaultVisual(x.d, 0), 24, w, h);
    ASSERT_TRUE(image && image->Shared());
    const core::PixelSurface startup(w, h, 0x336699);
    core::SeededRandom random;
    core::FixedClock clock(43210.5f);
    swarm::Animation animation(swarm::ScreenGeometry(w, h), {}, random, clock);
    animation.Attach(image->Pixels(), startup.View());
    animation.Cls();
    Window windows[2];
    std::unique_ptr<x11::Presenter> presenters[2];
    for (int i = 0; i < 2; ++i) {
        windows[i] = XCreateSimpleWindow(x.d, DefaultRootWindow(x.d), i * w, 0, w, h, 0, 0, 0);
        XMapWindow(x.d, windows[i]);
        presenters[i] = std::make_unique<x11::Presenter>(x.d, windows[i], i ? x11::PresentWay::Banded : x11::PresentWay::EachRect);
    }
    const GC gc = XCreateGC(x.d, windows[0], 0, nullptr);
    std::vector<core::Rect> changed, pending{{0, 0, w, h}};
    for (int tick = 0; tick < 300; ++tick) {
        animation.Advance(0, changed);
        pending.insert(pending.end(), changed.begin(), changed.end());
        if (tick % 5 != 1 && tick % 5 != 2 && tick % 5 != 4) continue;
        for (const auto& presenter : presenters) presenter->Present(*image, gc, pending);
        pending.clear();
    }
    const std::vector<std::uint32_t> model(image->Pixels().Row(0), image->Pixels().Row(h - 1) + w);  // rows of w
    EXPECT_EQ(Pixels(x.d, windows[0], w, h), model) << "a put per rectangle";
    EXPECT_EQ(Pixels(x.d, windows[1], w, h), model) << "banded";
    for (const Window window : windows) XDestroyWindow(x.d, window);
    // Both hold the connection, which goes before the server at the end.
    for (auto& presenter : presenters) presenter.reset();
    image.reset();

    ShowPatternOnRoot(x.d);
    Process program(x.Program());
    Trails seen;
    ASSERT_TRUE(TrailsAppear(x.d, seen)) << "no trails and wipe over the desktop";
    EXPECT_TRUE(seen.coloured);
    ::kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.WaitExit(10), 0);
    EXPECT_EQ(SegmentsOf(program.Pid()), 0);

    const Window window = XCreateSimpleWindow(x.d, DefaultRootWindow(x.d), 0, 0, 640, 480, 0, 0, 0);
    XMapWindow(x.d, window);
    XSync(x.d, False);
    Process inWindow(x.Program({"--window-id", std::to_string(window)})), running(x.Program());
    // Both images of each are shared: the server took the segments marked for removal.
    ASSERT_TRUE(WaitFor(15, [&] { return SegmentsOf(inWindow.Pid()) == 2 && SegmentsOf(running.Pid()) == 2; }));
    XDestroyWindow(x.d, window);
    XSync(x.d, False);
    EXPECT_EQ(inWindow.WaitExit(5), 0);
    std::vector<std::string> traced = x.Program();
    traced.insert(traced.begin() + 2,
                  {"strace", "-D", "-e", "trace=shmat", "-e", "inject=shmat:delay_exit=3000000:when=1"});
    Process starting(traced);
    ASSERT_TRUE(WaitFor(15, [&] { return SegmentsOf(starting.Pid()) == 1; }));
    x11::InstallErrorHandlers();
    XSelectInput(x.d, 0x1fffffff, ExposureMask);
    x11::ErrorTrap trap(x.d);
    XCreateGC(x.d, 0x1fffffff, 0, nullptr);
    EXPECT_EQ(trap.Check().value_or(x11::XErrorRecord{}).code, BadDrawable);
    EXPECT_EQ(x11::TakeError(x.d, false).value_or(x11::XErrorRecord{}).code, BadWindow);
    EXPECT_FALSE(x11::TakeError(x.d, true));
    x.Kill();
    EXPECT_EQ(running.WaitExit(5), 1);
    EXPECT_EQ(starting.WaitExit(10), 1);
    for (const pid_t pid : {inWindow.Pid(), running.Pid(), starting.Pid()}) EXPECT_EQ(SegmentsOf(pid), 0);
}

// Where nothing can be drawn (an 8-bit PseudoColor root, an input-only window)
// the program says so in one line and waits, drawing nothing, until it is
// ended: by SIGTERM, or by its window going away; either is a normal end.
TEST(Undrawable, Depth8RootAndAnInputOnlyWindowWaitToBeEnded)
{
    Xvfb x(/*sharedMemory=*/true, 8);
    ASSERT_NE(x.d, nullptr);
    const Window inputOnly =
        XCreateWindow(x.d, DefaultRootWindow(x.d), 0, 0, 10, 10, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
    XSync(x.d, False);
    const std::string logs[2] = {"/tmp/corvalinth-root-" + std::to_string(::getpid()), "/tmp/corvalinth-input-" + std::to_string(::getpid())};
    Process root(x.Program({"--root"}), logs[0]);
    Process input(x.Program({"--window-id", std::to_string(inputOnly)}), logs[1]);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_FALSE(root.WaitExit(0) || input.WaitExit(0)) << "it did not wait";
    ::kill(root.Pid(), SIGTERM);
    XDestroyWindow(x.d, inputOnly);
    XSync(x.d, False);
    EXPECT_EQ(root.WaitExit(10), 0);
    EXPECT_EQ(input.WaitExit(10), 0);
    for (const auto& [log, says] : {std::pair{logs[0], "8-bit PseudoColor"}, std::pair{logs[1], "input-only"}}) {
        const std::string text = Text(log);
        EXPECT_NE(text.find(says), std::string::npos) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        fs::remove(log);
    }
}

}  // namespace
}  // namespace corvalinth::x11test
