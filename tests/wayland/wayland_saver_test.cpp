// The saver under a headless sway, beyond the real-window scenarios that
// every platform runs: the outputs it shows on, the wallpaper
// (-root), the window every compositor knows where there is no layer
// shell, and the preview it does not offer.
#include "output_proxy.h"
#include "wayland_rig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <thread>

namespace wltest {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

bool all_black(const gfx::Surface& shot)
{
    for (const gfx::Pixel p : shot.pixels())
        if (p != gfx::kBlack)
            return false;
    return true;
}

class SaverOnWayland : public ::testing::Test {
protected:
    void Start(std::vector<OutputSpec> outputs = {OutputSpec{}}, bool pointer = true)
    {
        rig = std::make_unique<SwayRig>(std::move(outputs), pointer);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        // Each frame held long enough to be read back.
        rig->write_settings(SlowSettings(250));
    }

    static void ExpectEndedWithZero(Child& child, const char* what)
    {
        const std::optional<int> status = child.wait(10s);
        ASSERT_TRUE(status.has_value()) << "expected " << what << " to end the saver, it runs on";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "expected exit status 0 after " << what << ", got wait status " << *status;
    }

    // Waits for the starting ring on `output`; "" when it showed, else the
    // last screenshot's first difference.
    std::string WaitForRing(const std::string& output, int width, int height)
    {
        const gfx::Surface ring = ExpectedRingFrame(rig->settings(), width, height);
        std::string last = "no screenshot";
        const bool shown = rig->poll_screenshot(output, 15s, [&](const gfx::Surface& shot) {
            last = FirstDifference(ring, shot);
            return last.empty();
        });
        return shown ? std::string() : last;
    }

    std::unique_ptr<SwayRig> rig;
};

TEST_F(SaverOnWayland, TwoOutputsTheRingOnTheChosenOneTheOtherCovered)
{
    // The second output at scale 2: its buffer must still be its 640 x 480
    // pixels, or the ring there would be blurred and unlike the rendered one.
    Start({OutputSpec{kWidth, kHeight, 1}, OutputSpec{kWidth, kHeight, 2}});
    struct Case {
        std::vector<std::string> args;
        const char* ring_on;
        const char* covered;
    };
    const Case cases[] = {
        {{"/s"}, "HEADLESS-1", "HEADLESS-2"},
        {{"/s", "--output", "HEADLESS-2"}, "HEADLESS-2", "HEADLESS-1"},
        // A name no output has: the first output, and a word on standard error.
        {{"/s", "--output", "DP-9"}, "HEADLESS-1", "HEADLESS-2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const std::string errors = rig->path("saver.err");
        Child saver = rig->start_orvelune(c.args, {}, errors);
        EXPECT_EQ(WaitForRing(c.ring_on, kWidth, kHeight), "");
        EXPECT_TRUE(rig->poll_screenshot(c.covered, 5s, all_black))
            << "expected " << c.covered << " covered in black";
        saver.signal(SIGTERM);
        ExpectEndedWithZero(saver, "SIGTERM");
        EXPECT_EQ(testrig::ReadFile(errors).find("no output is named") != std::string::npos,
                  c.args.back() == "DP-9")
            << testrig::ReadFile(errors);
    }
}

// On an output of scale 2 the dialog is drawn at that scale, its text set
// by Pango for those pixels rather than enlarged by the compositor.
TEST_F(SaverOnWayland, OnAScaleTwoOutputTheDialogIsDrawnAtThatScale)
{
    Start({OutputSpec{1600, 1200, 2}}, false);
    const gfx::Surface expected = testrig::ExpectedDialog(rig->settings(), 2);
    Child dialog = rig->start_orvelune({"/c"});
    // Floating and centred on the output's 800 x 600 logical pixels, give
    // or take the compositor's rounding.
    std::string last = "no screenshot";
    const bool shown = rig->poll_screenshot("HEADLESS-1", 15s, [&](const gfx::Surface& shot) {
        for (int y = 86; y <= 94; ++y)
            for (int x = 94; x <= 102; ++x)
                if ((last = FirstDifference(expected, testrig::PartOf(shot, {x, y, expected.width(), expected.height()})))
                        .empty())
                    return true;
        return false;
    });
    EXPECT_TRUE(shown) << "expected the dialog drawn at scale 2, got " << last;
    dialog.signal(SIGTERM);
    ExpectEndedWithZero(dialog, "SIGTERM");
}

TEST_F(SaverOnWayland, WithoutTheLayerShellAFullScreenWindowShowsTheRing)
{
    Start();
    Child saver = rig->start_orvelune({"/s"}, {"ORVELUNE_WAYLAND_LAYER_SHELL=0"});
    EXPECT_EQ(WaitForRing("HEADLESS-1", kWidth, kHeight), "");
    EXPECT_TRUE(saver.running());
}

TEST_F(SaverOnWayland, RootIsAWallpaperThatInputLeavesAndSigtermEnds)
{
    // The pointer joins later: over a surface that takes no input the
    // compositor draws its own cursor, which the screenshots would show.
    Start({OutputSpec{}}, false);
    Child wallpaper = rig->start_orvelune({"-root"});
    EXPECT_EQ(WaitForRing("HEADLESS-1", kWidth, kHeight), "");
    ASSERT_TRUE(rig->attach_pointer());
    ASSERT_TRUE(rig->move_pointer(100, 100));
    ASSERT_TRUE(rig->move_pointer(500, 400));
    ASSERT_TRUE(rig->click());
    ASSERT_TRUE(rig->type_key("Escape"));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(wallpaper.running()) << "expected input to leave the wallpaper running";

    wallpaper.signal(SIGTERM);
    ExpectEndedWithZero(wallpaper, "SIGTERM");
}

TEST_F(SaverOnWayland, ThePreviewEndsAtOnceWithAMessage)
{
    Start();
    const std::string errors = rig->path("preview.err");
    Child preview = rig->start_orvelune({"/p", "1234"}, {}, errors);
    const std::optional<int> status = preview.wait(5s);
    ASSERT_TRUE(status) << "expected /p to end at once";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
        << "expected status 1, got wait status " << *status;
    EXPECT_NE(testrig::ReadFile(errors).find("Wayland"), std::string::npos)
        << "expected a message that names Wayland, got: " << testrig::ReadFile(errors);
}

// The outputs change while the saver runs, in each of its ways to show:
// each step changes them (through sway's own commands, or through a proxy
// that takes an output away as an unplugged monitor goes, which sway's
// headless outputs cannot) and says where the ring must then show, at
// which size, and which outputs must be black. The saver starts over on
// the outputs as they are; with none left it ends after its grace period,
// releasing the lock, so that a second start runs.
struct ShowingMode {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> env;
};

class SaverOutputs : public SaverOnWayland, public ::testing::WithParamInterface<ShowingMode> {};

TEST_P(SaverOutputs, FollowsOutputsThatChangeComeAndGo)
{
    struct Step {
        const char* what;
        std::vector<std::vector<std::string>> commands; // {"unplug", NAME}: through the proxy
        const char* ring_on;
        int width, height;
        std::vector<std::string> black;
    };
    const Step steps[] = {
        {"the figure's output resized", {{"output", "HEADLESS-1", "mode", "800x600"}},
         "HEADLESS-1", 800, 600, {"HEADLESS-2"}},
        {"the figure's output turned", {{"output", "HEADLESS-1", "transform", "90"}},
         "HEADLESS-1", 600, 800, {"HEADLESS-2"}},
        {"the figure's output at scale 2", {{"output", "HEADLESS-1", "scale", "2"}},
         "HEADLESS-1", 600, 800, {"HEADLESS-2"}},
        {"a new output", {{"create_output"}, {"output", "HEADLESS-3", "mode", "320x240"}},
         "HEADLESS-1", 600, 800, {"HEADLESS-2", "HEADLESS-3"}},
        {"the figure's output gone", {{"unplug", "HEADLESS-1"}},
         "HEADLESS-2", kWidth, kHeight, {"HEADLESS-3"}},
    };
    const ShowingMode& mode = GetParam();
    Start({OutputSpec{kWidth, kHeight, 1}, OutputSpec{kWidth, kHeight, 1}}, false);
    if (IsSkipped())
        return;
    OutputProxy proxy(rig->path("proxy"), rig->socket_path());
    ASSERT_TRUE(proxy.listening());
    std::vector<std::string> env = mode.env;
    env.push_back("WAYLAND_DISPLAY=" + rig->path("proxy"));
    const std::string errors = rig->path("saver.err");
    Child saver = rig->start_orvelune(mode.args, env, errors);
    ASSERT_EQ(WaitForRing("HEADLESS-1", kWidth, kHeight), "");
    auto change = [&](const std::vector<std::string>& command) {
        if (command.front() != "unplug")
            return rig->run_tool("swaymsg", command);
        proxy.remove_output(command.back());
        return true;
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        for (const std::vector<std::string>& command : step.commands)
            ASSERT_TRUE(change(command));
        EXPECT_EQ(WaitForRing(step.ring_on, step.width, step.height), "");
        for (const std::string& output : step.black)
            EXPECT_TRUE(rig->poll_screenshot(output, 5s, all_black)) << output << " not black";
        ASSERT_TRUE(saver.running()) << testrig::ReadFile(errors);
    }
    // No output left: the saver waits a few seconds for one, then ends.
    change({"unplug", "HEADLESS-2"});
    change({"unplug", "HEADLESS-3"});
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(saver.running()) << "expected the saver to wait for an output to come back";
    ExpectEndedWithZero(saver, "no output for a while");
    EXPECT_NE(testrig::ReadFile(errors).find("no output"), std::string::npos) << testrig::ReadFile(errors);
    // The lock went with it: a second start shows the ring.
    Child second = rig->start_orvelune(mode.args, mode.env);
    EXPECT_EQ(WaitForRing("HEADLESS-1", 600, 800), "");
    EXPECT_TRUE(second.running());
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, SaverOutputs,
    ::testing::Values(ShowingMode{"Saver", {"/s"}, {}}, ShowingMode{"Wallpaper", {"-root"}, {}},
                      ShowingMode{"FullScreenWindow", {"/s"}, {"ORVELUNE_WAYLAND_LAYER_SHELL=0"}}),
    [](const ::testing::TestParamInfo<ShowingMode>& info) { return std::string(info.param.name); });

// A compositor that shows no output at the start (every monitor asleep):
// the saver does not live on without a surface, holding the lock, but
// waits its grace period for one and ends.
TEST_F(SaverOnWayland, WithoutAnyOutputTheSaverEndsAfterAWhile)
{
    Start();
    OutputProxy proxy(rig->path("proxy"), rig->socket_path());
    ASSERT_TRUE(proxy.listening());
    proxy.remove_output("HEADLESS-1");
    const std::string errors = rig->path("saver.err");
    Child saver = rig->start_orvelune({"/s"}, {"WAYLAND_DISPLAY=" + rig->path("proxy")}, errors);
    ExpectEndedWithZero(saver, "no output for a while");
    EXPECT_NE(testrig::ReadFile(errors).find("no output"), std::string::npos) << testrig::ReadFile(errors);
}

// However a start names the compositor's socket, it finds the saver that
// runs there: the lock comes from the socket, not from its spelling or from
// whether $XDG_RUNTIME_DIR is set.
TEST_F(SaverOnWayland, EverySpellingOfTheSocketFindsTheRunningSaver)
{
    Start();
    const std::string link = rig->path("another-name");
    ASSERT_EQ(symlink(rig->socket_path().c_str(), link.c_str()), 0);
    Child saver = rig->start_orvelune({"/s"});
    ASSERT_EQ(WaitForRing("HEADLESS-1", kWidth, kHeight), "");
    const std::vector<std::string> spellings[] = {
        {"WAYLAND_DISPLAY=" + rig->socket_path()},
        {"WAYLAND_DISPLAY=" + rig->socket_path(), "XDG_RUNTIME_DIR="},
        {"WAYLAND_DISPLAY=" + link, "XDG_RUNTIME_DIR="},
        {"WAYLAND_DISPLAY=another-name"},
    };
    for (const std::vector<std::string>& env : spellings) {
        SCOPED_TRACE(env.front() + (env.size() > 1 ? " without XDG_RUNTIME_DIR" : ""));
        Child second = rig->start_orvelune({"/s"}, env);
        ExpectEndedWithZero(second, "a second start");
        EXPECT_TRUE(saver.running());
    }
}

// A descriptor in WAYLAND_SOCKET that cannot be a connection is named as
// such, with the reason, and not blamed on WAYLAND_DISPLAY.
TEST_F(SaverOnWayland, ABadWaylandSocketIsNamedWithItsReason)
{
    Start();
    const std::pair<const char*, const char*> cases[] = {
        {"junk", "no descriptor number"},
        {"", "no descriptor number"},
        {"99999999999", "no descriptor number"},
        {"987", "not open"},
        {"0", "no socket"}, // the rig's children read /dev/null
    };
    for (const auto& [value, reason] : cases) {
        SCOPED_TRACE(value);
        const std::string errors = rig->path("socket.err");
        Child saver = rig->start_orvelune({"/s"}, {std::string("WAYLAND_SOCKET=") + value}, errors);
        const std::optional<int> status = saver.wait(10s);
        ASSERT_TRUE(status) << "expected a bad WAYLAND_SOCKET to end the program";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
        const std::string message = testrig::ReadFile(errors);
        EXPECT_NE(message.find("WAYLAND_SOCKET"), std::string::npos) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
        EXPECT_EQ(message.find("Success"), std::string::npos) << message;
    }
}

} // namespace
} // namespace wltest
