// The real Linux program on a private Xvfb: in its own window, in another
// program's window, and under the real xscreensaver daemon.
// GoogleTest first: Xlib's macros (None, Bool, Status) would rewrite its names.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>

#include <algorithm>

#include "x_rig.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace corvalinth::x11test {
namespace {

namespace fs = std::filesystem;

// The desktop shows, with some trails over it. The program's window is the
// screen's size; before the program draws, it is black.
bool TrailsAppear(const Xvfb& x, Trails& seen)
{
    return WaitFor(15, [&] {
        seen = ReadTrails(x);
        return seen.fraction > 0.01 && seen.fraction < 0.8;
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

// The settings program's preview: a small window of another program, here with
// a 32-bit visual, carrying a screenshot of the whole screen whose left half is
// red and right half green.
Window PreviewWindow(Display* d)
{
    XVisualInfo deep{};
    if (!XMatchVisualInfo(d, 0, 32, TrueColor, &deep)) return 0;
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(d, DefaultRootWindow(d), deep.visual, AllocNone);
    const Window window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, 423, 237, 0, 32, InputOutput, deep.visual,
                                        CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    const Pixmap shot = XCreatePixmap(d, window, Xvfb::kWidth, Xvfb::kHeight, 24);
    const GC gc = XCreateGC(d, shot, 0, nullptr);
    for (const auto& [left, colour] : {std::pair{0, 0xFF0000}, std::pair{Xvfb::kWidth / 2, 0x00FF00}}) {
        XSetForeground(d, gc, static_cast<unsigned long>(colour));
        XFillRectangle(d, shot, gc, left, 0, Xvfb::kWidth / 2, Xvfb::kHeight);
    }
    XFreeGC(d, gc);
    XChangeProperty(d, window, XInternAtom(d, "_SCREENSAVER_SCREENSHOT", False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&shot), 1);
    XMapWindow(d, window);
    XSync(d, False);
    return window;
}

// The colour most of column x of the preview shows.
std::uint32_t ColumnColour(Display* d, Window window, int x)
{
    XImage* image = XGetImage(d, window, x, 0, 1, 237, AllPlanes, ZPixmap);
    if (!image) return 1;
    std::vector<std::uint32_t> column;
    for (int y = 0; y < 237; ++y) column.push_back(static_cast<std::uint32_t>(XGetPixel(image, 0, y)) & 0xFFFFFF);
    XDestroyImage(image);
    std::nth_element(column.begin(), column.begin() + 118, column.end());
    return column[118];
}

TEST(OtherWindow, APreviewShowsTheScreenshotScaledAndCentredAndEndsOnSigterm)
{
    Xvfb x;
    ASSERT_NE(x.Client(), nullptr);
    Display* d = x.Client();
    const Window window = PreviewWindow(d);
    ASSERT_NE(window, 0u);
    Process program({CORVALINTH_PROGRAM, "-window-id", std::to_string(window), "--count", "3"}, {x.Env()});
    // 1024x768 scaled into 423x237 is 316x237, from x = 53: black, red, green, black.
    const std::uint32_t expected[] = {0, 0xFF0000, 0x00FF00, 0};
    const int columns[] = {20, 120, 300, 400};
    std::uint32_t seen[4] = {};
    EXPECT_TRUE(WaitFor(10, [&] {
        for (int i = 0; i < 4; ++i) seen[i] = ColumnColour(d, window, columns[i]);
        return std::equal(seen, seen + 4, expected);
    })) << std::hex << seen[0] << " " << seen[1] << " " << seen[2] << " " << seen[3];
    ::kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.WaitExit(10), 0);
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
