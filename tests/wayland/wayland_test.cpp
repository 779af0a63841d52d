// The real Linux program on headless sway (run as nobody, as sway refuses
// root): what each output shows, read back with grim; input from wtype and a
// virtual pointer of the tests' own; the ends of a run. Every wait is bounded
// and waits for what the screen or the program shows.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace corvalinth::waylandtest {
namespace {

namespace fs = std::filesystem;

using testsupport::Process;
using testsupport::Text;
using testsupport::WaitFor;

using Rgb = std::uint32_t;

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
};

// What the screen shows, at most `backdrop` aside: the share of pixels that
// differ from it, and whether any of those has colour (grey dots do not).
struct Trails {
    double fraction = 0;
    bool coloured = false;
};
Trails ReadTrails(const Picture& picture, Rgb backdrop)
{
    Trails trails;
    int changed = 0;
    for (const Rgb p : picture.pixels) {
        if (p == backdrop) continue;
        ++changed;
        const Rgb r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
        trails.coloured = trails.coloured || r != g || g != b;
    }
    trails.fraction = picture.pixels.empty() ? 0 : changed / double(picture.pixels.size());
    return trails;
}

// Mid-slide: the trails moved out to both sides, the clean picture in the
// middle (before the transition trails are everywhere; after it, nowhere).
bool Sliding(const Picture& picture, Rgb backdrop)
{
    const auto share = [&](int from, int to) {
        int changed = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = from; x < to; ++x) changed += picture.pixels[static_cast<std::size_t>(y) * picture.width + x] != backdrop;
        return changed / double(std::max(1, (to - from) * picture.height));
    };
    const int w = picture.width;
    return w > 0 && share(0, w / 8) > 0.1 && share(w - w / 8, w) > 0.1 && share(w / 2 - w / 20, w / 2 + w / 20) < 0.01;
}

// Headless sway as nobody, with a runtime folder and a config of its own.
class Sway {
public:
    explicit Sway(const std::string& outputs)
    {
        char name[] = "/tmp/corvalinth-sway-XXXXXX";
        dir_ = ::mkdtemp(name);
        ::chmod(dir_.c_str(), 0755);
        runtime_ = dir_ / "runtime";
        fs::create_directory(runtime_);
        ::chown(runtime_.c_str(), 65534, 65534);
        ::chmod(runtime_.c_str(), 0700);
        std::ofstream(dir_ / "config") << "xwayland disable\n" << outputs;
        sway_ = std::make_unique<Process>(
            std::vector<std::string>{"env", "XDG_RUNTIME_DIR=" + runtime_.string(), "WLR_BACKENDS=headless",
                                     "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "setpriv", "--reuid=nobody",
                                     "--regid=nogroup", "--clear-groups", "sway", "-c", (dir_ / "config").string()},
            (dir_ / "sway.log").string());
        ready_ = WaitFor(20, [this] { return fs::exists(runtime_ / "wayland-1") && !Socket().empty(); });
    }
    ~Sway()
    {
        sway_.reset();
        fs::remove_all(dir_);
    }
    bool Ready() const { return ready_; }
    fs::path Dir() const { return dir_; }
    std::vector<std::string> Env(std::vector<std::string> command) const
    {
        command.insert(command.begin(), {"env", "XDG_RUNTIME_DIR=" + runtime_.string(), "WAYLAND_DISPLAY=wayland-1"});
        return command;
    }
    std::vector<std::string> Program(std::vector<std::string> args = {}) const
    {
        args.insert(args.begin(), CORVALINTH_PROGRAM);
        return Env(args);
    }
    // Runs a command against this compositor to its end; its exit status.
    std::optional<int> Run(std::vector<std::string> command) const
    {
        return Process(Env(std::move(command))).WaitExit(20);
    }
    void Msg(const std::string& command) const { Run({"swaymsg", "-s", Socket(), command}); }
    // What an output shows, through screencopy.
    Picture Shot(const std::string& output) const
    {
        const fs::path file = dir_ / "shot.ppm";
        fs::remove(file);
        Run({"grim", "-o", output, "-t", "ppm", file.string()});
        return ReadPpm(file);
    }
    void Kill() { ::kill(sway_->Pid(), SIGKILL); }

private:
    std::string Socket() const
    {
        for (const auto& entry : fs::directory_iterator(runtime_))
            if (entry.path().filename().string().starts_with("sway-ipc")) return entry.path().string();
        return {};
    }
    static Picture ReadPpm(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::string magic;
        int most = 0;
        Picture picture;
        in >> magic >> picture.width >> picture.height >> most;
        in.get();
        if (magic != "P6" || most != 255 || picture.width <= 0 || picture.height <= 0) return {};
        std::vector<unsigned char> bytes(static_cast<std::size_t>(picture.width) * picture.height * 3);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        for (std::size_t i = 0; in && i < bytes.size(); i += 3)
            picture.pixels.push_back(Rgb{bytes[i]} << 16 | Rgb{bytes[i + 1]} << 8 | bytes[i + 2]);
        return picture;
    }

    fs::path dir_, runtime_;
    std::unique_ptr<Process> sway_;
    bool ready_ = false;
};

constexpr Rgb kBlue = 0x336699, kBrown = 0x996633;
const std::string kOneOutput = "output HEADLESS-1 mode 1024x768 bg #336699 solid_color\n";
// Scaled: 400x300 in surface units, drawn at its 800x600 real pixels.
const std::string kSecondOutput = "output HEADLESS-2 mode 800x600 position 1024 0 scale 2 bg #996633 solid_color\n";

// Trails over the picture of the output: some pixels changed, most still the picture.
bool TrailsOver(const Sway& sway, const std::string& output, Rgb backdrop, Trails& seen, double seconds = 30)
{
    return WaitFor(seconds, [&] {
        seen = ReadTrails(sway.Shot(output), backdrop);
        return seen.fraction > 0.005 && seen.fraction < 0.8;
    });
}

// The program's run on the first output, until some dots moved since `before`.
bool StillDrawing(const Sway& sway, Process& program)
{
    const Picture before = sway.Shot("HEADLESS-1");
    return WaitFor(20, [&] { return !program.Exited() && sway.Shot("HEADLESS-1").pixels != before.pixels; }) &&
           !program.Exited();
}

// Pixels (2k, y) and (2k+1, y) that differ: none where a picture was drawn at
// half the size and scaled up.
int SplitPairs(const Picture& picture)
{
    int split = 0;
    for (std::size_t i = 0; i + 1 < picture.pixels.size(); i += 2) split += picture.pixels[i] != picture.pixels[i + 1];
    return split;
}

// The white figures of --fps in the bottom-left corner (no dot or desktop here is white).
bool FiguresShown(const Picture& picture)
{
    for (int y = picture.height - 30; y < picture.height; ++y)
        for (int x = 0; x < 120; ++x)
            if (picture.pixels[static_cast<std::size_t>(y) * picture.width + x] == 0xFFFFFF) return true;
    return false;
}

// The colour most of a picture shows.
Rgb MostCommon(const Picture& picture)
{
    std::map<Rgb, int> counts;
    for (const Rgb p : picture.pixels) ++counts[p];
    return counts.empty() ? 0 : std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

// Two outputs covered at the start, each with its own coloured trails over its
// own picture, the scaled one at its real pixels, the figures of --fps on
// each; a third one added during the run is covered too (over what it showed
// when it came: the compositor may not have painted it yet), and one taken
// away again does not end the run; SIGTERM then ends it with 0.
TEST(Sway, EachOutputCoveredOverItsOwnPictureOneAddedDuringTheRunThenSigterm)
{
    Sway sway(kOneOutput + kSecondOutput + "output HEADLESS-3 mode 640x480 position 1824 0\n");
    ASSERT_TRUE(sway.Ready()) << Text(sway.Dir() / "sway.log");
    sway.Msg("create_output");
    ASSERT_TRUE(WaitFor(20, [&] { return MostCommon(sway.Shot("HEADLESS-2")) == kBrown; }));
    Process program(sway.Program({"--count", "300", "--fps"}));
    Trails first, second, third;
    ASSERT_TRUE(TrailsOver(sway, "HEADLESS-1", kBlue, first));
    EXPECT_TRUE(first.coloured);
    EXPECT_TRUE(FiguresShown(sway.Shot("HEADLESS-1")));
    ASSERT_TRUE(TrailsOver(sway, "HEADLESS-2", kBrown, second)) << second.fraction;
    EXPECT_TRUE(second.coloured);
    const Picture scaled = sway.Shot("HEADLESS-2");
    ASSERT_EQ(scaled.width, 800);
    EXPECT_GT(SplitPairs(scaled), 100);
    EXPECT_TRUE(FiguresShown(scaled));
    sway.Msg("create_output");
    EXPECT_TRUE(WaitFor(30, [&] {
        const Picture added = sway.Shot("HEADLESS-3");
        third = ReadTrails(added, MostCommon(added));
        return third.fraction > 0.005 && third.coloured;
    })) << third.fraction;
    // An output going away takes its surface along, which does not end the run.
    sway.Msg("output HEADLESS-3 disable");
    EXPECT_TRUE(StillDrawing(sway, program));
    ::kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.WaitExit(10), 0);
}

// The trails grow, then the transition slides them apart and wipes them; a lone Shift does not
// end the run, a typed character does, and so does a click; the compositor
// killed under a run ends it with 1 at once, saying so.
TEST(Sway, TheTransitionWipesShiftDoesNotEndItACharacterAndAClickDoTheCompositorGoneEndsWithOne)
{
    // At 20 frames a second the slide, one step a frame, lasts seconds: the
    // screenshots catch it however busy the machine is (the swarm still ticks
    // 100 times a second, five ticks a frame).
    Sway sway("output HEADLESS-1 mode 1024x768@20Hz bg #336699 solid_color\n");
    ASSERT_TRUE(sway.Ready()) << Text(sway.Dir() / "sway.log");
    const fs::path helperLog = sway.Dir() / "pointer.log";
    int commands[2];
    ASSERT_EQ(::pipe(commands), 0);
    Process pointer(sway.Env({CORVALINTH_POINTER_HELPER}), helperLog.string(), commands[0]);
    ::close(commands[0]);
    ASSERT_TRUE(WaitFor(10, [&] { return Text(helperLog).find("ready") != std::string::npos; }));
    {
        Process program(sway.Program());
        Trails seen;
        ASSERT_TRUE(TrailsOver(sway, "HEADLESS-1", kBlue, seen));
        double most = 0;
        bool slid = false;
        EXPECT_TRUE(WaitFor(120, [&] {
            const Picture shot = sway.Shot("HEADLESS-1");
            const double now = ReadTrails(shot, kBlue).fraction;
            slid = slid || Sliding(shot, kBlue);
            most = std::max(most, now);
            return most > 0.2 && now < most / 2;
        })) << most;
        EXPECT_TRUE(slid);
        sway.Run({"wtype", "-M", "shift", "-s", "150", "-m", "shift"});
        EXPECT_TRUE(StillDrawing(sway, program));
        sway.Run({"wtype", "-s", "150", "a"});
        EXPECT_EQ(program.WaitExit(10), 0);
    }
    {
        Process program(sway.Program({"--count", "10"}));
        Trails seen;
        ASSERT_TRUE(TrailsOver(sway, "HEADLESS-1", kBlue, seen));
        ASSERT_EQ(::write(commands[1], "click 500 400 1024 768\n", 23), 23);
        EXPECT_EQ(program.WaitExit(10), 0);
    }
    const fs::path log = sway.Dir() / "program.log";
    Process program(sway.Program({"--count", "10"}), log.string());
    Trails seen;
    ASSERT_TRUE(TrailsOver(sway, "HEADLESS-1", kBlue, seen));
    sway.Kill();
    EXPECT_EQ(program.WaitExit(5), 1);
    EXPECT_NE(Text(log).find("compositor went away"), std::string::npos) << Text(log);
    ::close(commands[1]);
}

// swayidle starts it after its timeout; a second start on the same display
// then ends at once with 0.
TEST(Sway, SwayidleStartsItAfterItsTimeoutAndASecondStartEndsAtOnce)
{
    Sway sway(kOneOutput);
    ASSERT_TRUE(sway.Ready()) << Text(sway.Dir() / "sway.log");
    Process idle(sway.Env({"swayidle", "timeout", "1", std::string(CORVALINTH_PROGRAM) + " --count 100"}));
    Trails seen;
    ASSERT_TRUE(TrailsOver(sway, "HEADLESS-1", kBlue, seen));
    const fs::path log = sway.Dir() / "second.log";
    Process second(sway.Program(), log.string());
    EXPECT_EQ(second.WaitExit(5), 0);
    EXPECT_NE(Text(log).find("already running"), std::string::npos) << Text(log);
}

// Where the compositor offers no layer shell (and no screencopy), a
// full-screen window covers the output: grey dots with --mono on a dark
// backdrop, one line saying why there is no picture; a character ends it.
TEST(Sway, WithoutALayerShellOrScreencopyAFullScreenWindowGreyDotsOnADarkBackdrop)
{
    Sway sway(kOneOutput);
    ASSERT_TRUE(sway.Ready()) << Text(sway.Dir() / "sway.log");
    const fs::path log = sway.Dir() / "program.log";
    std::vector<std::string> command = sway.Program({"--mono", "--count", "300"});
    command.insert(command.begin() + 1, "CORVALINTH_WAYLAND_IGNORE=zwlr_layer_shell_v1,zwlr_screencopy_manager_v1");
    Process program(command, log.string());
    Trails seen;
    ASSERT_TRUE(TrailsOver(sway, "HEADLESS-1", 0x101018, seen));
    EXPECT_FALSE(seen.coloured);
    EXPECT_NE(Text(log).find("no desktop picture"), std::string::npos) << Text(log);
    sway.Run({"wtype", "-s", "150", "a"});
    EXPECT_EQ(program.WaitExit(10), 0);
}

}  // namespace
}  // namespace corvalinth::waylandtest
