// The saver under a headless sway, beyond the real-window scenarios that
// every platform runs: the outputs it shows on, the wallpaper
// (-root), the window every compositor knows where there is no layer
// shell, and the preview it does not offer.
#include "wayland_rig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

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

} // namespace
} // namespace wltest
