// Monitors that a server declares larger than its screen (the saver on two
// monitors is one of the real-window scenarios).
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

namespace x11test {
namespace {

using namespace std::chrono_literals;

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
