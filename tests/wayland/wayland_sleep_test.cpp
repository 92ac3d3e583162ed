// The saver stands still while the compositor shows it nowhere, watched
// from outside the process as on X11: its CPU time and wake-ups while the
// compositor asks for no frame, and its frames again once it shows the
// window. The headless sway of the tests cannot power an output off (its
// backend refuses the commit), so the window is hidden the way a desktop
// hides it: another workspace is shown, which hides the full-screen window
// the saver takes where there is no layer shell.
#include "activity.h"
#include "wayland_rig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <thread>

namespace wltest {
namespace {

using namespace std::chrono_literals;
using testrig::ReadFile;

TEST(SleepOnWayland, NothingMovesWhileTheWindowIsShownNowhereAndTheFigureGoesOnAfter)
{
    SwayRig rig({OutputSpec{320, 240, 1}});
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    const auto show_workspace = [&](const char* name) {
        return rig.run_tool("swaymsg", {"workspace", name});
    };
    const std::string said = rig.path("said.txt");
    Child saver = rig.start_orvelune({"/s", "--verbose"}, {"ORVELUNE_WAYLAND_LAYER_SHELL=0"}, said);
    const auto frames = [&](int count) {
        std::optional<gfx::Surface> last = rig.screenshot();
        int seen = 0;
        return rig.poll_screenshot("HEADLESS-1", 20s, [&](const gfx::Surface& shot) {
            if (last && shot == *last)
                return false;
            last = shot;
            return ++seen >= count;
        });
    };
    ASSERT_TRUE(frames(3)) << "the saver never drew";

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(show_workspace("elsewhere"));
        ASSERT_TRUE(testrig::WaitUntil(5s, [&] { return testrig::CountOf(ReadFile(said), "paused: ") >= round; }))
            << "no pause said; standard error: " << ReadFile(said);
        std::this_thread::sleep_for(500ms);
        const testrig::Activity paused = testrig::ActivityOver(saver.pid(), 3s);
        EXPECT_LE(paused.cpu_ns, 3'000'000u) << "CPU time while paused";
        EXPECT_LE(paused.wakeups, 1u) << "wake-ups while paused";

        ASSERT_TRUE(show_workspace("1"));
        EXPECT_TRUE(frames(2)) << "no frame once the window was shown again";
        EXPECT_TRUE(testrig::WaitUntil(5s, [&] { return testrig::CountOf(ReadFile(said), "resumed after") >= round; }))
            << ReadFile(said);
    }
    // Paused again, SIGTERM still ends it in order.
    ASSERT_TRUE(show_workspace("elsewhere"));
    ASSERT_TRUE(testrig::WaitUntil(5s, [&] { return testrig::CountOf(ReadFile(said), "paused: ") >= 3; }));
    saver.signal(SIGTERM);
    const std::optional<int> status = saver.wait(10s);
    ASSERT_TRUE(status) << "SIGTERM did not end the paused saver";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << testrig::DescribeStatus(*status);
}

} // namespace
} // namespace wltest
