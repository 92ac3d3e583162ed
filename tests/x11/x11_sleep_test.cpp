// The saver stands still while nobody can see it, watched from outside the
// process: its CPU time and its wake-ups (voluntary context switches) while
// the X server's own screen saver is on, while a window covers it and while
// the display is powered down, its frames again once it can be seen, and
// its answer to a click or SIGTERM while paused.
#include "activity.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <memory>
#include <thread>

// Last: Xlib's macros (None, Bool, ...) would spoil the headers above.
#include <X11/Xlib.h>

namespace x11test {
namespace {

using namespace std::chrono_literals;

// How long a paused saver is watched, and what it may do meanwhile: the
// CPU time of a wake-up or two, and one wake-up a second where the cause
// sends no event (DPMS is asked about once a second).
constexpr auto kWatched = 3s;
constexpr std::uint64_t kMostCpuNs = 3'000'000;

struct Cause {
    const char* name;
    const char* said; // what --verbose says while it lasts
    std::function<void(XvfbRig&, const std::string& power)> begin, end;
    std::uint64_t most_wakeups; // over kWatched
    bool root_too;              // -root can be paused by it (nothing covers the root)
};

void WritePower(const std::string& path, const char* word)
{
    std::ofstream(path) << word << '\n';
}

const std::vector<Cause>& Causes()
{
    static const std::vector<Cause> causes = [] {
        auto covering = std::make_shared<XID>(0);
        return std::vector<Cause>{
            {"the server's screen saver", "the X server's screen saver is on",
             [](XvfbRig& rig, const std::string&) {
                 XForceScreenSaver(rig.display(), ScreenSaverActive);
                 XSync(rig.display(), False);
             },
             [](XvfbRig& rig, const std::string&) {
                 XForceScreenSaver(rig.display(), ScreenSaverReset);
                 XSync(rig.display(), False);
             },
             1, true},
            {"a window over it", "the saver's window is covered",
             [covering](XvfbRig& rig, const std::string&) {
                 *covering = rig.create_foreign_window(
                     rig.root(), gfx::Surface(rig.width(), rig.height(), 0x406080));
             },
             [covering](XvfbRig& rig, const std::string&) {
                 XUnmapWindow(rig.display(), *covering);
                 XSync(rig.display(), False);
             },
             1, false},
            {"the display powered down", "the display is powered down (DPMS)",
             [](XvfbRig&, const std::string& power) { WritePower(power, "off"); },
             [](XvfbRig&, const std::string& power) { WritePower(power, "on"); },
             std::uint64_t(std::chrono::seconds(kWatched).count()) + 2, true},
        };
    }();
    return causes;
}

class SleepOnX : public ::testing::TestWithParam<const char*> {};

TEST_P(SleepOnX, NothingMovesWhileNothingCanBeSeenAndTheFigureGoesOnAfter)
{
    XvfbRig rig(320, 240);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    const std::string mode = GetParam();
    const testrig::TempFolder folder("orvelune-sleep");
    const std::string said = folder / "said.txt", power = folder / "power";
    WritePower(power, "on");
    // The display's power is set through a preloaded DPMS, which a
    // sanitized program cannot take (its runtime must load first).
    std::vector<std::string> env{"ORVELUNE_TEST_DPMS_FILE=" + power};
    if (!testrig::kSanitized)
        env.push_back(std::string("LD_PRELOAD=") + ORVELUNE_DPMS_SHIM);
    Launch launch;
    launch.stderr_path = said;
    Child saver = rig.start_orvelune({mode, "--verbose"}, env, launch);
    ASSERT_TRUE(rig.wait_for_frames(rig.root(), rig.width(), rig.height(), 3, 20s))
        << mode << ": the saver never drew";

    int pauses = 0;
    for (const Cause& cause : Causes()) {
        if (mode == "-root" && !cause.root_too)
            continue;
        if (testrig::kSanitized && std::string(cause.said).find("DPMS") != std::string::npos)
            continue;
        SCOPED_TRACE(mode + ", " + cause.name);
        cause.begin(rig, power);
        ++pauses;
        ASSERT_TRUE(testrig::WaitUntil(5s, [&] { return testrig::CountOf(ReadFile(said), "paused: ") >= pauses; }))
            << "no pause said; standard error: " << ReadFile(said);
        EXPECT_NE(ReadFile(said).find(std::string("paused: ") + cause.said), std::string::npos)
            << ReadFile(said);
        // What was under way when the cause came has settled by now.
        std::this_thread::sleep_for(500ms);
        const testrig::Activity paused = testrig::ActivityOver(saver.pid(), kWatched);
        EXPECT_LE(paused.cpu_ns, kMostCpuNs) << "CPU time while paused";
        EXPECT_LE(paused.wakeups, cause.most_wakeups) << "wake-ups while paused";

        cause.end(rig, power);
        EXPECT_TRUE(rig.wait_for_frames(rig.root(), rig.width(), rig.height(), 2, 10s))
            << "no frame after the cause ended";
        EXPECT_TRUE(testrig::WaitUntil(5s, [&] { return testrig::CountOf(ReadFile(said), "resumed after") >= pauses; }))
            << ReadFile(said);
    }

    // Paused again, the saver still answers: a click ends the full-screen
    // saver, SIGTERM the one on the root (which takes no input).
    const Cause& last = Causes()[testrig::kSanitized ? 0 : 2];
    last.begin(rig, power);
    ++pauses;
    ASSERT_TRUE(testrig::WaitUntil(5s, [&] { return testrig::CountOf(ReadFile(said), "paused: ") >= pauses; }));
    if (mode == "/s" && XvfbRig::have_xdotool())
        EXPECT_TRUE(rig.xdotool({"mousemove", "10", "10", "click", "1"}));
    else
        saver.signal(SIGTERM);
    const std::optional<int> status = saver.wait(10s);
    ASSERT_TRUE(status) << "the paused saver did not end";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << testrig::DescribeStatus(*status);
}

INSTANTIATE_TEST_SUITE_P(Modes, SleepOnX, ::testing::Values("/s", "-root"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "/s" ? "FullScreen" : "Root";
                         });

} // namespace
} // namespace x11test
