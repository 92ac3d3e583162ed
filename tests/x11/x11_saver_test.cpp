// The saver full screen on a real X server: what it shows, what ends it,
// the cursor, and the single-instance guard.
#include "x11_rig.h"
#include "x11_scenarios.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr const char* kSaverTitle = "Orvelune(Main)";

class SaverOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(kWidth, kHeight);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
    }
    void TearDown() override { rig.reset(); }

    void NeedXdotool()
    {
        if (!XvfbRig::have_xdotool())
            GTEST_SKIP() << "xdotool is not installed";
    }

    static void ExpectEndedWithZero(Child& child, const char* what)
    {
        const std::optional<int> status = child.wait(20s);
        ASSERT_TRUE(status.has_value()) << "expected " << what << " to end the saver, it runs on";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "expected exit status 0 after " << what << ", got wait status " << *status;
    }

    // The saver reads input between its frames: two new frames on the
    // screen after the move prove that it has seen it.
    void MoveTo(int x, int y)
    {
        ASSERT_TRUE(rig->xdotool({"mousemove", std::to_string(x), std::to_string(y)}));
        WaitForFrames();
    }

    void WaitForFrames()
    {
        ASSERT_TRUE(rig->wait_for_frames(rig->root(), kWidth, kHeight, 2, 20s))
            << "expected the saver to go on drawing";
    }

    std::unique_ptr<XvfbRig> rig;
};

TEST_F(SaverOnX, ShowsTheOpeningAndThenTheStartingRing)
{
    rig->write_settings(SlowSettings(250));
    const gfx::Surface ring = ExpectedRingFrame(rig->settings(), kWidth, kHeight);
    const gfx::Pixel background = ring.at(0, 0);

    Child saver = rig->start_orvelune({"/s"});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s)) << "expected the saver's window";

    // During the opening the centre ball grows from nothing: at first a
    // point 30 pixels above the centre, inside the full ball, is still ground.
    bool saw_growing_centre = false;
    std::string last_difference;
    const bool saw_ring = rig->poll_grab(rig->root(), kWidth, kHeight, 15s, [&](const gfx::Surface& shot) {
        if (shot.at(320, 240) != background && shot.at(320, 210) == background)
            saw_growing_centre = true;
        last_difference = FirstDifference(ring, shot);
        return last_difference.empty();
    });
    EXPECT_TRUE(saw_growing_centre) << "expected a frame of the opening with a small centre ball";
    EXPECT_TRUE(saw_ring) << "expected the starting ring on the screen; last screenshot: "
                          << last_difference;
    EXPECT_TRUE(saver.running());
}

TEST_F(SaverOnX, AMoveAlongOneAxisKeepsItADiagonalMoveEndsIt)
{
    NeedXdotool();
    Child saver = rig->start_orvelune({"/s"});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));

    MoveTo(100, 100); // the first move only records where the pointer is
    MoveTo(400, 100);
    MoveTo(600, 100);
    EXPECT_TRUE(saver.running()) << "expected moves along x only to leave the saver running";

    ASSERT_TRUE(rig->xdotool({"mousemove", "600", "300"}));
    ExpectEndedWithZero(saver, "a diagonal move");
}

TEST_F(SaverOnX, EmptyCommandLineEndsOnAClickNeverOnMovement)
{
    NeedXdotool();
    Child saver = rig->start_orvelune({});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));

    MoveTo(100, 100);
    MoveTo(300, 300);
    MoveTo(500, 50);
    EXPECT_TRUE(saver.running()) << "expected movement never to end the saver without a switch";

    ASSERT_TRUE(rig->xdotool({"click", "1"}));
    ExpectEndedWithZero(saver, "a click");
}

TEST_F(SaverOnX, ASecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    Child first = rig->start_orvelune({"/s"});
    const std::optional<XID> window = rig->wait_for_window(kSaverTitle, 10s);
    ASSERT_TRUE(window);

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"/s"}, {}, {"/c"}}) {
        Child second = rig->start_orvelune(args);
        ExpectEndedWithZero(second, "finding the running saver");
    }
    EXPECT_TRUE(first.running()) << "expected the first saver to run on";
    EXPECT_EQ(rig->find_window(kSaverTitle), window);
}

TEST_F(SaverOnX, OfTwentyStartsAtOnceExactlyOneRuns)
{
    // Twenty starts wait at a gate and are let go at the same moment, so
    // that they look for a running saver's window while none exists yet:
    // only a claim that the system arbitrates can leave exactly one.
    const std::string gate = rig->settings_path() + ".gate";
    std::filesystem::create_directories(std::filesystem::path(gate).parent_path());
    ExpectOneOfManyStartsAtOnceRuns(*rig, 20, gate);
}

TEST_F(SaverOnX, SigtermSigintAndSighupEndTheSaverWithStatusZero)
{
    struct Case {
        std::vector<std::string> args;
        int signal;
        int pause_ms; // a long pause: the signal comes while the saver sleeps
    };
    for (const Case& c : {Case{{"/s"}, SIGTERM, 0}, Case{{}, SIGINT, 0}, Case{{"/s"}, SIGINT, 1000},
                          Case{{}, SIGTERM, 1000}, Case{{"/s"}, SIGHUP, 0}}) {
        rig->write_settings(SlowSettings(c.pause_ms));
        Child saver = rig->start_orvelune(c.args);
        ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));
        WaitForFrames();
        saver.signal(c.signal);
        ExpectEndedWithZero(saver, strsignal(c.signal));
    }
}

// A signal may come before the program has had a moment to set up anything:
// here it comes before the program runs at all, held by a blocked mask
// until the program lets it through. Every mode must then end in order.
TEST_F(SaverOnX, EndSignalsSentAtTheStartEndEveryModeWithStatusZero)
{
    const XID pane = rig->create_foreign_window(rig->root(), gfx::Surface(100, 80, 0x808080));
    struct Case {
        std::vector<std::string> args;
        int signal;
    };
    for (const Case& c : {Case{{"/s"}, SIGTERM}, Case{{}, SIGHUP}, Case{{"/c"}, SIGTERM},
                          Case{{"-root"}, SIGINT}, Case{{"/p", std::to_string(pane)}, SIGTERM},
                          Case{{"/s"}, SIGHUP}}) {
        for (int round = 0; round < 2; ++round) {
            Launch launch;
            launch.end_signals_blocked = true;
            Child start = rig->start_orvelune(c.args, {}, launch);
            start.signal(c.signal);
            const std::string what = std::string(strsignal(c.signal)) + " at the start of "
                                     + (c.args.empty() ? std::string("no arguments") : c.args[0]);
            ExpectEndedWithZero(start, what.c_str());
        }
    }
}

// A screen of 7680 x 4320 needs about 130 MiB for each of the saver's
// pictures; with less memory than they take, the program says so and ends
// with status 1 instead of aborting.
TEST(SaverOnALargeScreen, WithoutMemoryForItsPicturesItSaysSoAndEndsWithOne)
{
    if (!kMemoryLimitsWork)
        GTEST_SKIP() << "a sanitized program cannot run under a memory limit";
    XvfbRig rig(7680, 4320);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    const std::string said = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp")
                             + "/orvelune-memory-" + std::to_string(getpid()) + ".txt";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"/s"}, {}, {"-root"}}) {
        Launch launch;
        launch.memory_limit_kib = 300000;
        launch.stderr_path = said;
        Child saver = rig.start_orvelune(args, {}, launch);
        const std::string what = args.empty() ? "no arguments" : args[0];
        const std::optional<int> status = saver.wait(30s);
        ASSERT_TRUE(status) << what << ": expected the saver to end";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
            << what << ": wait status " << *status;
        const std::string text = ReadFile(said);
        EXPECT_NE(text.find("orvelune: out of memory"), std::string::npos)
            << what << ": got \"" << text << "\"";
    }
    std::remove(said.c_str());
}

// Whether the pointer shows: any pixel of the current cursor image that is
// not fully transparent.
std::optional<bool> CursorVisible(Display* display)
{
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image)
        return std::nullopt;
    bool visible = false;
    for (int i = 0; i < int(image->width) * int(image->height); ++i)
        if ((image->pixels[i] >> 24) & 0xFF)
            visible = true;
    XFree(image);
    return visible;
}

bool WaitForCursor(Display* display, bool visible)
{
    const auto until = Clock::now() + 5s;
    while (Clock::now() < until) {
        if (CursorVisible(display) == visible)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

TEST_F(SaverOnX, TheCursorHidesInSaverModeAndStaysWithAnEmptyCommandLine)
{
    int event_base = 0, error_base = 0;
    if (!XFixesQueryExtension(rig->display(), &event_base, &error_base)
        || CursorVisible(rig->display()) != true)
        GTEST_SKIP() << "this server does not report its cursor image";

    {
        Child saver = rig->start_orvelune({"/s"});
        ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));
        EXPECT_TRUE(WaitForCursor(rig->display(), false))
            << "expected the cursor hidden over the saver started with /s";
    }
    ASSERT_TRUE(WaitForCursor(rig->display(), true)) << "expected the cursor back once the saver is gone";

    Child saver = rig->start_orvelune({});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));
    WaitForFrames(); // the window is up and its cursor set long before
    EXPECT_EQ(CursorVisible(rig->display()), true)
        << "expected the cursor visible with an empty command line";
}

TEST_F(SaverOnX, BackgroundThreeShowsTheScreenAsItWasBeforeTheSaver)
{
    // Another program's window fills the screen with a gradient first.
    gfx::Surface desktop(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            desktop.set(x, y, gfx::rgb(x % 256, y % 256, (x * 3 + y) % 256));
    rig->create_foreign_window(rig->root(), desktop);
    ASSERT_EQ(FirstDifference(desktop, rig->grab_screen()), "") << "the test's own desktop";

    Settings settings = SlowSettings(250);
    settings.g_BackgroundMode = 3;
    rig->write_settings(settings);
    const gfx::Surface ring = ExpectedRingFrame(rig->settings(), kWidth, kHeight, desktop);

    Child saver = rig->start_orvelune({"/s"});
    ASSERT_TRUE(rig->wait_for_window(kSaverTitle, 10s));
    std::string last_difference;
    EXPECT_TRUE(rig->poll_grab(rig->root(), kWidth, kHeight, 15s, [&](const gfx::Surface& shot) {
        last_difference = FirstDifference(ring, shot);
        return last_difference.empty();
    })) << "expected the balls over the screen as it was; last screenshot: " << last_difference;
}

} // namespace
} // namespace x11test
