#include "x11_scenarios.h"

#include "common/window_titles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace x11test {

bool WaitUntilAtThePipe(Child& child)
{
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < until) {
        if (ReadFile("/proc/" + std::to_string(child.pid()) + "/wchan") == "wait_for_partner")
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void ExpectOneOfManyStartsAtOnceRuns(XvfbRig& rig, int count, const std::string& gate,
                                     const std::vector<std::string>& env)
{
    using namespace std::chrono_literals;
    ASSERT_EQ(mkfifo(gate.c_str(), 0600), 0);
    Launch gated;
    gated.gate_path = gate;
    std::vector<Child> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back(rig.start_orvelune({"/s"}, env, gated));
    for (Child& start : starts)
        ASSERT_TRUE(WaitUntilAtThePipe(start));
    const int writer = open(gate.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    close(writer);

    ASSERT_TRUE(rig.wait_for_window(kSaverWindowTitle, 60s)) << "expected one saver to show";
    // Every other start ends with status 0.
    int ended = 0;
    const auto until = Clock::now() + 60s;
    while (ended < count - 1 && Clock::now() < until) {
        ended = 0;
        for (Child& start : starts)
            if (const std::optional<int> status = start.wait(0ms)) {
                ++ended;
                ASSERT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
                    << "expected a second start to end with status 0, got wait status " << *status;
            }
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(rig.wait_for_frames(rig.root(), rig.width(), rig.height(), 2, 20s))
        << "expected the saver to go on drawing";
    const int running = int(std::count_if(starts.begin(), starts.end(), [](Child& start) { return start.running(); }));
    EXPECT_EQ(running, 1) << "expected exactly one of " << count << " savers to run";
    EXPECT_EQ(rig.count_windows(kSaverWindowTitle), 1);
}


} // namespace x11test
