// The xscreensaver conventions: drawing into another program's window or the
// root, ending on SIGTERM and SIGINT with status 0, pausing with SIGSTOP.
#include "x11_rig.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;

void ExpectCleanEnd(Child& child, const char* what)
{
    const std::optional<int> status = child.wait(20s);
    ASSERT_TRUE(status) << "expected " << what << " to end the hack";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
        << "expected exit status 0 after " << what << ", got wait status " << *status;
}

// The state letter of /proc/<pid>/stat ('R', 'S', 'T', ...), polled until
// it is `state`.
bool WaitForState(Child& child, char state)
{
    const auto until = Clock::now() + 20s;
    while (Clock::now() < until) {
        const std::string stat = ReadFile("/proc/" + std::to_string(child.pid()) + "/stat");
        // The state follows the command name, which is in parentheses.
        const std::size_t close = stat.rfind(')');
        if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == state)
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

bool ShowsRing(XvfbRig& rig, XID window, const gfx::Surface& ring, std::string& last)
{
    return rig.poll_grab(window, ring.width(), ring.height(), 15s, [&](const gfx::Surface& shot) {
        last = FirstDifference(ring, shot);
        return last.empty();
    });
}

TEST(HackOnX, WindowIdDrawsIntoThatWindowIgnoresInputAndEndsOnSigterm)
{
    XvfbRig rig(640, 480);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    rig.write_settings(SlowSettings(250));
    const gfx::Surface white(320, 240, gfx::kWhite);
    const XID target = rig.create_foreign_window(rig.root(), white, 0, 0);
    const gfx::Surface ring = ExpectedRingFrame(rig.settings(), 320, 240);

    Child hack = rig.start_orvelune({"-window-id", Hex(target)});
    std::string last;
    EXPECT_TRUE(ShowsRing(rig, target, ring, last))
        << "expected the starting ring in the window, 320 x 240; last grab: " << last;

    // Input belongs to the daemon: a click and a diagonal move end nothing,
    // which two new frames after them show.
    if (XvfbRig::have_xdotool()) {
        rig.xdotool({"mousemove", "50", "50"});
        rig.xdotool({"mousemove", "200", "150", "click", "1"});
        EXPECT_TRUE(rig.wait_for_frames(target, 320, 240, 2, 20s));
        EXPECT_TRUE(hack.running()) << "expected input to end nothing in a foreign window";
    }
    // Another program's window keeps its name.
    char* name = nullptr;
    EXPECT_FALSE(XFetchName(rig.display(), target, &name) && name) << "got a title: " << name;

    // Paused and resumed, it just goes on drawing; a resize of its window
    // while it was stopped is no fault.
    hack.signal(SIGSTOP);
    ASSERT_TRUE(WaitForState(hack, 'T')) << "expected SIGSTOP to stop the hack";
    XResizeWindow(rig.display(), target, 300, 200);
    XSync(rig.display(), False);
    hack.signal(SIGCONT);
    EXPECT_TRUE(rig.wait_for_frames(target, 300, 200, 2, 20s))
        << "expected the hack to draw on after SIGSTOP, SIGCONT and a resize";
    EXPECT_TRUE(hack.running());

    hack.signal(SIGTERM);
    ExpectCleanEnd(hack, "SIGTERM");

    // An id that names no window is a mistake, said and ended with status 1.
    Child lost = rig.start_orvelune({"-window-id", "0x3fffff0"});
    const std::optional<int> status = lost.wait(20s);
    ASSERT_TRUE(status) << "expected -window-id of no window to end at once";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << "wait status " << *status;
}

TEST(HackOnX, TheWindowGoingAwayEndsTheHackQuietly)
{
    XvfbRig rig(320, 240);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    rig.write_settings(SlowSettings(0)); // frames as fast as they come
    const XID target = rig.create_foreign_window(rig.root(), gfx::Surface(200, 150), 10, 10);
    Child hack = rig.start_orvelune({"-window-id", Hex(target)});
    ASSERT_TRUE(rig.wait_for_frames(target, 200, 150, 2, 20s)) << "expected the hack to draw";

    // Drawing goes on into a window that no longer exists until the hack
    // hears that it has gone: the refused requests are the other program's
    // doing and must not end it with a failure.
    XDestroyWindow(rig.display(), target);
    XSync(rig.display(), False);
    ExpectCleanEnd(hack, "the window going away");
}

TEST(HackOnX, WithoutAWayToCatchSignalsItSaysSoAndEnds)
{
    XvfbRig rig(64, 64);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    // With room for one more open file only, the signals' pipe (two) cannot be made.
    const std::string said = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp")
                             + "/orvelune-signals-" + std::to_string(getpid()) + ".txt";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-root"}, {"/s"}}) {
        Launch launch;
        launch.open_file_limit = 4;
        launch.stderr_path = said;
        Child hack = rig.start_orvelune(args, {}, launch);
        const std::optional<int> status = hack.wait(20s);
        ASSERT_TRUE(status) << "expected " << args[0] << " to end at once";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
            << args[0] << ": wait status " << *status;
        const std::string text = ReadFile(said);
        EXPECT_NE(text.find("orvelune: cannot catch SIGTERM, SIGINT and SIGHUP"), std::string::npos)
            << args[0] << ": got \"" << text << "\"";
    }
    std::remove(said.c_str());
}

TEST(HackOnX, RootDrawsOnTheRootOrTheDaemonsWindowAndEndsOnSigint)
{
    XvfbRig rig(480, 360);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    rig.write_settings(SlowSettings(250));
    // The root is drawn on whole, whatever monitors split it: xscreensaver
    // gives a hack one window per monitor.
    rig.set_monitors({{240, 0, 240, 200}, {0, 0, 240, 360}});
    {
        Child hack = rig.start_orvelune({"-root", "-install", "-visual", "default", "-fps"});
        const gfx::Surface ring = ExpectedRingFrame(rig.settings(), 480, 360);
        std::string last;
        EXPECT_TRUE(ShowsRing(rig, rig.root(), ring, last))
            << "expected the starting ring on the root window; last grab: " << last;
        hack.signal(SIGTERM);
        ExpectCleanEnd(hack, "SIGTERM");
    }

    const XID daemon_window = rig.create_foreign_window(rig.root(), gfx::Surface(200, 160, gfx::kWhite), 20, 20);
    Child hack = rig.start_orvelune({"-root"}, {"XSCREENSAVER_WINDOW=" + Hex(daemon_window)});
    const gfx::Surface ring = ExpectedRingFrame(rig.settings(), 200, 160);
    std::string last;
    EXPECT_TRUE(ShowsRing(rig, daemon_window, ring, last))
        << "expected the ring in XSCREENSAVER_WINDOW's window; last grab: " << last;
    hack.signal(SIGINT);
    ExpectCleanEnd(hack, "SIGINT");
}

TEST(HackOnX, WindowOpensAnOrdinaryWindowThatAClickEnds)
{
    XvfbRig rig(640, 480);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    if (!XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    Child hack = rig.start_orvelune({"-window"});
    const std::optional<XID> window = rig.wait_for_window("Orvelune(Main)", 10s);
    ASSERT_TRUE(window);
    XWindowAttributes attributes{};
    XGetWindowAttributes(rig.display(), *window, &attributes);
    EXPECT_EQ(attributes.width, 1280);
    EXPECT_EQ(attributes.height, 720);

    rig.xdotool({"mousemove", "100", "100"});
    rig.xdotool({"mousemove", "300", "250"});
    EXPECT_TRUE(rig.wait_for_frames(*window, 640, 480, 2, 20s));
    EXPECT_TRUE(hack.running()) << "expected movement not to end the -window saver";
    rig.xdotool({"click", "1"});
    ExpectCleanEnd(hack, "a click");
}

TEST(HackOnX, HelpAndUnknownOptionsNeedNoDisplay)
{
    XvfbRig rig(64, 64); // for its environment only; DISPLAY is emptied below
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    for (const Case& c : {Case{{"-help"}, 0}, Case{{"-root", "-speed", "3"}, 1},
                          Case{{"-window-id", "nowhere"}, 1}, Case{{"-root"}, 1}}) {
        Child hack = rig.start_orvelune(c.args, {"DISPLAY="});
        const std::optional<int> status = hack.wait(20s);
        ASSERT_TRUE(status) << "expected " << c.args[0] << " to end at once";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == c.status)
            << "expected status " << c.status << " for " << c.args.back() << ", got wait status "
            << *status;
    }
}

} // namespace
} // namespace x11test
