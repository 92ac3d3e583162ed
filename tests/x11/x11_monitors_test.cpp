// The saver on a display of two monitors: the figure on the primary at that
// monitor's size, the other black, input on either ending it.
#include "x11_rig.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <memory>

namespace x11test {
namespace {

using namespace std::chrono_literals;

// The screen holds two monitors side by side; the primary is the smaller,
// on the right, so that neither its size nor its place is the screen's.
// Below it, 96 rows of the screen belong to no monitor.
constexpr int kWidth = 1152;
constexpr int kHeight = 480;
const gfx::Rect kPrimary{640, 0, 512, 384};
const gfx::Rect kOther{0, 0, 640, 480};
constexpr const char* kSaverTitle = "Orvelune(Main)";

class TwoMonitorsOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(kWidth, kHeight);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        if (!rig->set_monitors({kPrimary, kOther}))
            GTEST_SKIP() << "this Xvfb cannot define monitors (no RandR 1.5)";
    }
    void TearDown() override { rig.reset(); }

    static void ExpectEndedWithZero(Child& child, const char* what)
    {
        const std::optional<int> status = child.wait(20s);
        ASSERT_TRUE(status.has_value()) << "expected " << what << " to end the saver, it runs on";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "expected exit status 0 after " << what << ", got wait status " << *status;
    }

    // Two new frames after a move prove that the saver has read it.
    void MoveTo(int x, int y)
    {
        ASSERT_TRUE(rig->xdotool({"mousemove", std::to_string(x), std::to_string(y)}));
        ASSERT_TRUE(rig->wait_for_frames(rig->root(), kWidth, kHeight, 2, 20s))
            << "expected the saver to go on drawing";
    }

    std::unique_ptr<XvfbRig> rig;
};

TEST_F(TwoMonitorsOnX, TheRingOnThePrimaryOverItsPartOfTheScreenAndTheOtherBlack)
{
    // Another program's window fills the screen with a gradient first, so
    // that the background of the screen at start shows which part was taken.
    gfx::Surface desktop(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            desktop.set(x, y, gfx::rgb(x % 256, y % 256, (x / 256) * 40 + 20));
    rig->create_foreign_window(rig->root(), desktop);
    Settings settings = SlowSettings(250);
    settings.g_BackgroundMode = 3;
    rig->write_settings(settings);
    const gfx::Surface ring = ExpectedRingFrame(rig->settings(), kPrimary.width, kPrimary.height,
                                                PartOf(desktop, kPrimary));
    const gfx::Surface black(kOther.width, kOther.height, gfx::kBlack);

    Child saver = rig->start_orvelune({"/s"});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s)) << "expected the saver's window";
    std::string primary_difference, other_difference;
    const bool shown = rig->poll_grab(rig->root(), kWidth, kHeight, 20s, [&](const gfx::Surface& shot) {
        primary_difference = FirstDifference(ring, PartOf(shot, kPrimary));
        other_difference = FirstDifference(black, PartOf(shot, kOther));
        return primary_difference.empty() && other_difference.empty();
    });
    EXPECT_TRUE(shown) << "expected the starting ring on the primary: " << primary_difference
                       << "; and black on the other monitor: " << other_difference;
    EXPECT_EQ(rig->count_windows(kSaverTitle), 1) << "one saver window, whatever covers the rest";
    EXPECT_TRUE(saver.running());
}

TEST_F(TwoMonitorsOnX, InputOnTheOtherMonitorEndsTheSaver)
{
    if (!XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    {
        Child saver = rig->start_orvelune({"/s"});
        ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));
        MoveTo(100, 100); // the first move only records where the pointer is
        MoveTo(400, 100);
        MoveTo(700, 100); // onto the primary, still along x only
        EXPECT_TRUE(saver.running()) << "expected moves along x only to leave the saver running";
        ASSERT_TRUE(rig->xdotool({"mousemove", "300", "300"}));
        ExpectEndedWithZero(saver, "a diagonal move on the other monitor");
    }
    // With an empty command line movement ends nothing; a click there does.
    Child saver = rig->start_orvelune({});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));
    MoveTo(200, 200);
    MoveTo(500, 400);
    EXPECT_TRUE(saver.running());
    ASSERT_TRUE(rig->xdotool({"click", "1"}));
    ExpectEndedWithZero(saver, "a click on the other monitor");
}

// A server may declare monitors far larger than its screen: each is taken
// only as far as the screen reaches, and the saver's pictures with it.
TEST(MonitorsOnX, AMonitorDeclaredLargerThanTheScreenIsCutToIt)
{
    if (!kMemoryLimitsWork)
        GTEST_SKIP() << "a sanitized program cannot run under a memory limit";
    struct Case {
        const char* what;
        std::vector<gfx::Rect> declared;
        gfx::Rect primary; // as the saver must take it
    };
    const Case cases[] = {
        {"one of 32767 x 32767", {{0, 0, 32767, 32767}}, {0, 0, 640, 480}},
        {"a primary of 16384 x 16384 beside another", {{320, 0, 16384, 16384}, {0, 0, 320, 480}},
         {320, 0, 320, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XvfbRig rig(640, 480);
        if (!rig.available())
            GTEST_SKIP() << rig.why();
        if (!rig.set_monitors(c.declared))
            GTEST_SKIP() << "this Xvfb cannot define monitors (no RandR 1.5, or none this large)";
        rig.write_settings(SlowSettings(250));
        const gfx::Surface ring
            = ExpectedRingFrame(rig.settings(), c.primary.width, c.primary.height);

        // A picture of a declared monitor would take 1 to 4 GiB.
        Launch launch;
        launch.memory_limit_kib = 300000;
        Child saver = rig.start_orvelune({"/s"}, {}, launch);
        std::string difference;
        EXPECT_TRUE(rig.poll_grab(rig.root(), 640, 480, 20s, [&](const gfx::Surface& shot) {
            difference = FirstDifference(ring, PartOf(shot, c.primary));
            return difference.empty();
        })) << "expected the starting ring on the screen's part of the primary: " << difference;
        ASSERT_TRUE(saver.running());
        saver.signal(SIGTERM);
        const std::optional<int> status = saver.wait(20s);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
    }
}

} // namespace
} // namespace x11test
