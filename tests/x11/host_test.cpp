// The real Linux program on a private Xvfb: in its own window, and under the
// real xscreensaver daemon.
// GoogleTest first: Xlib's macros (None, Bool, Status) would rewrite its names.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "x_rig.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace corvalinth::x11test {
namespace {

namespace fs = std::filesystem;

std::string DisplayEnv(const Xvfb& x) { return "DISPLAY=" + x.Name(); }

// The program shows over the whole screen: its window is the screen's size.
bool TrailsAppear(const Xvfb& x, Trails& seen)
{
    return WaitFor(15, [&] {
        seen = TrailsOver(x, ReadScreen(x));
        return seen.fraction > 0.01;
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
    Process program({CORVALINTH_PROGRAM}, {DisplayEnv(x)});
    Trails seen;
    ASSERT_TRUE(TrailsAppear(x, seen));
    EXPECT_LT(seen.fraction, 0.5) << "the desktop should show under the trails";
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
    Process program({CORVALINTH_PROGRAM, "--count", "1000"}, {DisplayEnv(x)});
    ASSERT_TRUE(SawWipe(x, 40));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitExit(10), 0);
    EXPECT_EQ(SegmentsOf(program.Pid()), 0);
}

TEST(CommandLine, BadInputGetsAClearMessageAndStatus)
{
    Xvfb x;
    ASSERT_NE(x.Client(), nullptr);
    const struct {
        std::vector<std::string> args;
        std::string env;
        int status;
        std::string says;
    } cases[] = {
        {{"--count", "many"}, "", 2, "not a number"},
        {{"--geometry", "0x600"}, "", 2, "WIDTHxHEIGHT"},
        {{"--frobnicate"}, "", 2, "unknown option"},
        {{}, "XSCREENSAVER_WINDOW=junk", 2, "not a window id"},
        {{"--window-id", "0x1fffffff"}, "", 1, "no window 0x1fffffff"},
        {{"--help"}, "", 0, "--count N"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{CORVALINTH_PROGRAM};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::vector<std::string> env{DisplayEnv(x)};
        if (!c.env.empty()) env.push_back(c.env);
        const auto finished = RunToEnd(argv, env, 10);
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
        argv.insert(argv.end(), {"env", "-i", "HOME=" + dir_.string(), DisplayEnv(x), "PATH=/usr/bin:/bin",
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
    const auto done = RunToEnd({"xscreensaver-command", what}, {DisplayEnv(x)}, 10);
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
    ASSERT_TRUE(TrailsAppear(x, seen));
    EXPECT_LT(seen.fraction, 0.5) << "the daemon's screenshot should show under the trails";
    EXPECT_FALSE(seen.coloured) << "--mono draws grey dots only";
    EXPECT_TRUE(SawWipe(x, 40));

    // The daemon ignores input for a moment after blanking: long past by now.
    Display* d = x.Client();
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), True, 0);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), False, 0);
    XSync(d, False);
    EXPECT_TRUE(WaitFor(5, [&] { return ProcessesOf(home.Program()).empty(); }));
}

}  // namespace
}  // namespace corvalinth::x11test
