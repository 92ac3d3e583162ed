// The saver full screen on a real X server, beyond the real-window
// scenarios that every platform runs: the end signals sent before the
// program has set anything up, in every mode, and a screen too large for
// the memory there is.
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace x11test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSaverTitle = "Orvelune(Main)";

class SaverOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(640, 480);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
    }
    void TearDown() override { rig.reset(); }

    static void ExpectEndedWithZero(Child& child, const char* what)
    {
        const std::optional<int> status = child.wait(20s);
        ASSERT_TRUE(status.has_value()) << "expected " << what << " to end the saver, it runs on";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "expected exit status 0 after " << what << ", got " << testrig::DescribeStatus(*status);
    }

    std::unique_ptr<XvfbRig> rig;
};

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
    const testrig::TempFolder folder("orvelune-memory");
    const std::string said = folder / "said.txt";
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
}

} // namespace
} // namespace x11test
