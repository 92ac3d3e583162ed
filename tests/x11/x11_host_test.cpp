// The X11 host's own services, called directly on a private server: the
// title lookup behind the single-instance guard, window rectangles, the
// cursor counter, the desktop capture and the frame's way to the screen.
#include "x11_rig.h"

#include "gfx/raster.h"
#include "host/x11/x11_host.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;

class NullHandler : public host::WindowHandler {};

class HostOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<XvfbRig>(320, 240);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        setenv("DISPLAY", rig->display_name().c_str(), 1);
    }

    std::unique_ptr<host::Host> Open(host::X11HostOptions options = {})
    {
        std::string error;
        std::unique_ptr<host::Host> x11 = host::open_x11_host(options, error);
        EXPECT_TRUE(x11) << error;
        return x11;
    }

    std::unique_ptr<XvfbRig> rig;
    NullHandler handler;
};

TEST_F(HostOnX, FindsTopLevelWindowsByTheirExactTitle)
{
    std::unique_ptr<host::Host> x11 = Open();
    ASSERT_TRUE(x11);
    EXPECT_FALSE(x11->top_level_window_exists("Orveluneの設定"));

    // Our own window, hidden: found by its UTF-8 title, and only by all of it.
    host::WindowOptions options;
    options.title = "Orveluneの設定";
    options.rect = {10, 10, 50, 40};
    auto dialog = x11->create_window(options, handler);
    EXPECT_TRUE(x11->top_level_window_exists("Orveluneの設定"));
    EXPECT_FALSE(x11->top_level_window_exists("Orvelune"));
    EXPECT_FALSE(x11->top_level_window_exists("Orveluneの設定 "));

    // Another program that sets only the classic WM_NAME, inside a frame
    // window as a window manager would reparent it.
    const XID frame = rig->create_foreign_window(rig->root(), gfx::Surface(60, 60));
    const XID inner = rig->create_foreign_window(frame, gfx::Surface(40, 40), 5, 5);
    XStoreName(rig->display(), inner, "Orvelune(Main)");
    XSync(rig->display(), False);
    EXPECT_TRUE(x11->top_level_window_exists("Orvelune(Main)"));

    // Two levels down is not a top-level window any more, unless a window
    // manager marks it as its client.
    const XID deeper = rig->create_foreign_window(inner, gfx::Surface(10, 10));
    XStoreName(rig->display(), deeper, "Deep");
    XSync(rig->display(), False);
    EXPECT_FALSE(x11->top_level_window_exists("Deep"));
}

// Marks a window as a window manager marks its clients.
void SetWmState(Display* display, XID window)
{
    const Atom wm_state = XInternAtom(display, "WM_STATE", False);
    const long state[2] = {1, 0}; // normal, no icon
    XChangeProperty(display, window, wm_state, wm_state, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 2);
}

void SetWindowList(Display* display, XID on, const char* property, const std::vector<XID>& ids)
{
    std::vector<long> values(ids.begin(), ids.end());
    XChangeProperty(display, on, XInternAtom(display, property, False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(values.data()),
                    int(values.size()));
}

TEST_F(HostOnX, FindsClientsThatAWindowManagerNestsDeep)
{
    std::unique_ptr<host::Host> x11 = Open();
    ASSERT_TRUE(x11);
    Display* d = rig->display();
    // Frames within frames, the client three levels below the root.
    const XID frame = rig->create_foreign_window(rig->root(), gfx::Surface(80, 80));
    const XID border = rig->create_foreign_window(frame, gfx::Surface(70, 70));
    const XID client = rig->create_foreign_window(border, gfx::Surface(60, 60));
    XStoreName(d, client, "Orvelune(Main)");
    XSync(d, False);
    EXPECT_FALSE(x11->top_level_window_exists("Orvelune(Main)")) << "unmarked, it is no client";
    SetWmState(d, client);
    XSync(d, False);
    EXPECT_TRUE(x11->top_level_window_exists("Orvelune(Main)")) << "found by its WM_STATE";

    // A window manager that publishes its client list is taken at its word,
    // even for a client four levels down that carries no WM_STATE.
    const XID deepest = rig->create_foreign_window(client, gfx::Surface(20, 20));
    const XID listed = rig->create_foreign_window(deepest, gfx::Surface(10, 10));
    XStoreName(d, listed, "Listed client");
    XSync(d, False);
    EXPECT_FALSE(x11->top_level_window_exists("Listed client"));
    const XID check = rig->create_foreign_window(rig->root(), gfx::Surface(1, 1));
    SetWindowList(d, check, "_NET_SUPPORTING_WM_CHECK", {check});
    SetWindowList(d, rig->root(), "_NET_SUPPORTING_WM_CHECK", {check});
    SetWindowList(d, rig->root(), "_NET_CLIENT_LIST", {listed});
    XSync(d, False);
    EXPECT_TRUE(x11->top_level_window_exists("Listed client")) << "found through _NET_CLIENT_LIST";

    // A list that a window manager left behind when it went is not trusted.
    XDestroyWindow(d, check);
    XSync(d, False);
    EXPECT_FALSE(x11->top_level_window_exists("Listed client"));
    EXPECT_TRUE(x11->top_level_window_exists("Orvelune(Main)"));
}

TEST_F(HostOnX, TheInstanceClaimGoesToOneHostAtATimeAndLeavesWithIt)
{
    // A folder of the test's own stands for the session's runtime folder.
    char folder[] = "/tmp/orvelune-claim-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    setenv("XDG_RUNTIME_DIR", folder, 1);
    const std::string lock = std::string(folder) + "/orvelune-" + rig->display_name() + ".lock";

    std::unique_ptr<host::Host> first = Open();
    std::unique_ptr<host::Host> second = Open();
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(second->instance_claimed_elsewhere()) << "nobody has claimed it yet";
    EXPECT_EQ(first->claim_instance(), host::InstanceClaim::Claimed);
    EXPECT_EQ(first->claim_instance(), host::InstanceClaim::Claimed) << "a claim is kept";
    EXPECT_FALSE(first->instance_claimed_elsewhere());
    EXPECT_TRUE(second->instance_claimed_elsewhere());
    EXPECT_EQ(second->claim_instance(), host::InstanceClaim::HeldElsewhere);
    EXPECT_TRUE(std::filesystem::exists(lock)) << "expected the lock in $XDG_RUNTIME_DIR: " << lock;

    first.reset();
    EXPECT_FALSE(second->instance_claimed_elsewhere()) << "the claim leaves with its holder";
    EXPECT_EQ(second->claim_instance(), host::InstanceClaim::Claimed);
    second.reset();

    // A runtime folder that others may write to is not used.
    chmod(folder, 0755);
    std::filesystem::remove(lock);
    std::unique_ptr<host::Host> third = Open();
    ASSERT_TRUE(third);
    EXPECT_EQ(third->claim_instance(), host::InstanceClaim::Claimed);
    EXPECT_FALSE(std::filesystem::exists(lock));
    third.reset();
    std::filesystem::remove_all(folder);
}

TEST_F(HostOnX, AnXErrorOnAWindowOfOursEndsTheProgramAndNamesIt)
{
    // In a child process of its own, with connections of its own.
    auto use_a_destroyed_window = [&] {
        std::unique_ptr<host::Host> x11 = Open();
        host::WindowOptions options;
        options.title = "ours";
        options.rect = {0, 0, 40, 30};
        auto window = x11->create_window(options, handler);
        Display* other = XOpenDisplay(rig->display_name().c_str());
        XDestroyWindow(other, Window(window->native_handle()));
        XCloseDisplay(other);
        window->set_title("gone");
        x11->cursor_pos(); // a round trip: the error has come back by its end
        std::_Exit(0);
    };
    EXPECT_EXIT(use_a_destroyed_window(), ::testing::ExitedWithCode(1),
                "orvelune: the X server refused a request: BadWindow");
}

TEST_F(HostOnX, ErrorsOnAnotherProgramsWindowLetTheProgramGoOn)
{
    std::unique_ptr<host::Host> x11 = Open();
    ASSERT_TRUE(x11);
    const XID pane = rig->create_foreign_window(rig->root(), gfx::Surface(60, 40));
    host::WindowOptions options;
    options.title = "child";
    options.rect = {0, 0, 60, 40};
    options.parent = pane;
    options.visible = true;
    auto child = x11->create_window(options, handler);
    ASSERT_TRUE(child);

    // The pane goes, and our child with it: drawing into it is refused.
    XDestroyWindow(rig->display(), pane);
    XSync(rig->display(), False);
    child->refresh();
    child->move({0, 0, 30, 20});
    x11->cursor_pos();
    EXPECT_EQ(x11->native_window_rect(pane), std::nullopt);
    child.reset(); // destroying a window that is gone is no fault either

    // A parent that is no window at all gives no window.
    options.parent = 0x3fffff0;
    EXPECT_EQ(x11->create_window(options, handler), nullptr);
}

TEST_F(HostOnX, TheProgramThatOpensALinkIsLeftForNobodyToReap)
{
    // Each way of opening a link, in a child process of its own so that GIO
    // reads the handlers set up here: a desktop file GIO finds, and
    // xdg-open when GIO finds none. The stand-in writes its name and its
    // parent, and waits to be let go.
    const std::string base = std::string("/tmp/orvelune-url-test-") + std::to_string(getpid());
    for (const bool with_handler : {true, false}) {
        std::filesystem::remove_all(base);
        std::filesystem::create_directories(base + "/bin");
        std::filesystem::create_directories(base + "/data/applications");
        std::filesystem::create_directories(base + "/config");
        const std::string stand_in = std::string("#!/bin/sh\n")
                                     + "echo \"$(basename \"$0\") $PPID\" > \"" + base
                                     + "/said.tmp\" && mv \"" + base + "/said.tmp\" \"" + base
                                     + "/said\"\n" + "i=0; while [ ! -e \"" + base
                                     + "/release\" ] && [ $i -lt 100 ]; do sleep 0.1; "
                                       "i=$((i+1)); done\n";
        for (const char* name : {"xdg-open", "browser"}) {
            std::ofstream(base + "/bin/" + name) << stand_in;
            chmod((base + "/bin/" + name).c_str(), 0755);
        }
        if (with_handler) {
            std::ofstream(base + "/data/applications/orvelune-test-browser.desktop")
                << "[Desktop Entry]\nType=Application\nName=Test browser\nExec=" << base
                << "/bin/browser %u\nMimeType=x-scheme-handler/https;\n";
            std::ofstream(base + "/config/mimeapps.list")
                << "[Default Applications]\nx-scheme-handler/https=orvelune-test-browser.desktop\n";
        }
        const std::string expected = with_handler ? "browser" : "xdg-open";
        auto open_link = [&] {
                setenv("PATH", (base + "/bin:" + std::getenv("PATH")).c_str(), 1);
                setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
                setenv("XDG_DATA_DIRS", (base + "/none").c_str(), 1);
                setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
                setenv("XDG_CONFIG_DIRS", (base + "/none").c_str(), 1);
                std::unique_ptr<host::Host> x11 = Open();
                x11->open_url("https://example.invalid/orvelune");
                const auto until = Clock::now() + 20s;
                while (!std::filesystem::exists(base + "/said") && Clock::now() < until)
                    std::this_thread::sleep_for(10ms);
                std::ofstream(base + "/release");
                const std::string said = ReadFile(base + "/said");
                std::fprintf(stderr, "started: %s", said.c_str());
                const bool ours = said.find(" " + std::to_string(getpid()) + "\n") != std::string::npos;
                std::_Exit(said.empty() ? 2 : ours ? 3 : 0);
        };
        EXPECT_EXIT(open_link(), ::testing::ExitedWithCode(0), "started: " + expected + " ")
            << (with_handler ? "through GIO" : "through xdg-open")
            << " (status 3: the program is our own child, left for us to reap)";
    }
    std::filesystem::remove_all(base);
}

TEST_F(HostOnX, WindowRectanglesAreInScreenPixelsAndNothingForNoWindow)
{
    std::unique_ptr<host::Host> x11 = Open();
    ASSERT_TRUE(x11);
    const XID outer = rig->create_foreign_window(rig->root(), gfx::Surface(200, 150), 30, 20);
    const XID inner = rig->create_foreign_window(outer, gfx::Surface(50, 40), 7, 9);
    EXPECT_EQ(x11->native_window_rect(inner), (gfx::Rect{37, 29, 50, 40}));
    EXPECT_EQ(x11->native_window_rect(0), std::nullopt);
    EXPECT_EQ(x11->native_window_rect(0x3fffff0), std::nullopt);
    EXPECT_EQ(x11->screen_size(), (host::Size{320, 240}));
}

TEST_F(HostOnX, TheCursorCountsLikeShowCursor)
{
    std::unique_ptr<host::Host> x11 = Open();
    ASSERT_TRUE(x11);
    EXPECT_EQ(x11->show_cursor(false), -1);
    EXPECT_EQ(x11->show_cursor(false), -2);
    EXPECT_EQ(x11->show_cursor(true), -1);
    EXPECT_EQ(x11->show_cursor(true), 0);
    EXPECT_EQ(x11->show_cursor(true), 1);
}

TEST_F(HostOnX, CapturesTheScreenAndPresentsFramesExactly)
{
    gfx::Surface desktop(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            desktop.set(x, y, gfx::rgb(x, y, x ^ y));
    rig->create_foreign_window(rig->root(), desktop);

    for (bool shm : {true, false}) {
        host::X11HostOptions options;
        options.use_shm = shm;
        std::unique_ptr<host::Host> x11 = Open(options);
        ASSERT_TRUE(x11);

        // Larger than the screen: what lies beyond it is left alone.
        gfx::Surface captured(330, 240, gfx::rgb(1, 2, 3));
        ASSERT_TRUE(x11->capture_desktop(captured));
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 330; ++x)
                ASSERT_EQ(captured.at(x, y), x < 320 ? desktop.at(x, y) : gfx::rgb(1, 2, 3))
                    << "at (" << x << ", " << y << ")";

        host::WindowOptions window_options;
        window_options.rect = {0, 0, 320, 240};
        window_options.title = "frame";
        auto window = x11->create_window(window_options, handler);
        gfx::Surface& frame = window->frame();
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                frame.set(x, y, gfx::rgb(255 - x % 256, (x + y) % 256, y));
        window->show(true);
        window->refresh();
        std::string last;
        EXPECT_TRUE(rig->poll_grab(rig->root(), 320, 240, 5s, [&](const gfx::Surface& shot) {
            last = FirstDifference(frame, shot);
            return last.empty();
        })) << (shm ? "MIT-SHM: " : "XPutImage: ") << last;
        EXPECT_EQ(host::x11_host_uses_shm(*x11), shm);
    }
}

// Refreshing blocks puts exactly those blocks on the screen: the rest shows
// the frame as it was last sent, however the frame changed meanwhile.
TEST_F(HostOnX, RefreshingBlocksSendsThemAndNothingElse)
{
    const gfx::Rect blocks[] = {{10, 20, 48, 48}, {40, 50, 30, 30}, {300, 200, 48, 48}, {-5, 230, 20, 20}};
    for (bool shm : {true, false}) {
        host::X11HostOptions options;
        options.use_shm = shm;
        std::unique_ptr<host::Host> x11 = Open(options);
        ASSERT_TRUE(x11);
        host::WindowOptions window_options;
        window_options.rect = {0, 0, 320, 240};
        window_options.title = "blocks";
        auto window = x11->create_window(window_options, handler);
        gfx::Surface& frame = window->frame();
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                frame.set(x, y, gfx::rgb(x % 256, y, 77));
        window->show(true);
        window->refresh();
        ASSERT_TRUE(rig->poll_grab(rig->root(), 320, 240, 5s, [&](const gfx::Surface& shot) {
            return FirstDifference(frame, shot).empty();
        }));

        gfx::Surface expected = frame;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                frame.set(x, y, gfx::rgb(y, x % 256, 200));
        for (const gfx::Rect& b : blocks)
            gfx::blit(expected, b.origin(), frame, b, gfx::RasterOp::Copy);
        window->refresh_areas(blocks);
        std::string last;
        EXPECT_TRUE(rig->poll_grab(rig->root(), 320, 240, 5s, [&](const gfx::Surface& shot) {
            last = FirstDifference(expected, shot);
            return last.empty();
        })) << (shm ? "MIT-SHM: " : "XPutImage: ") << last;
    }
}

// A message naming a long path (a folder name has no blanks to break the
// line at; this one is 4,000 bytes) stays within the screen, in both
// directions.
TEST(MessageBoxOnX, ALongPathKeepsTheBoxWithinTheScreen)
{
    XvfbRig rig(1024, 768);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    std::string path = "/home/someone";
    for (int i = 0; i < 150; ++i)
        path += "/a_folder_with_a_long_name";
    path += "/picture.bmp";
    const std::string text = "このファイルのパスは長すぎるため (設定ファイルに書けるのは 255 バイトまで)、"
                             "背景の画像にできません。\n\n" + path;
    const std::string title = "Orvelune long message";

    // The box is modal: it runs in a child process of its own until it is ended.
    setenv("DISPLAY", rig.display_name().c_str(), 1);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::string error;
        std::unique_ptr<host::Host> x11 = host::open_x11_host({}, error);
        if (x11)
            x11->message_box(nullptr, text, title, host::MessageStyle::Exclamation);
        _exit(x11 ? 0 : 1);
    }
    Child box(pid);
    const std::optional<XID> window = rig.wait_for_window(title, 20s);
    ASSERT_TRUE(window) << "expected the message box";
    // GTK may size the box again once it is mapped: the last size counts.
    XWindowAttributes a{};
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(XGetWindowAttributes(rig.display(), *window, &a));
    }
    EXPECT_LE(a.width, rig.width()) << "the box is wider than the screen: " << a.width;
    EXPECT_LE(a.height, rig.height()) << "the box is taller than the screen: " << a.height;
    EXPECT_GT(a.width, 0);
}

// A system dialog runs in GTK's loop, not the host's; the end signals still
// end the process there, at once and with status 0, as they would in the
// host's loop.
TEST(MessageBoxOnX, AnEndSignalEndsTheProcessWhileTheBoxIsOpen)
{
    XvfbRig rig(640, 480);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    setenv("DISPLAY", rig.display_name().c_str(), 1);
    struct Case {
        int signal;
        const char* name;
    };
    for (const Case& c : {Case{SIGTERM, "SIGTERM"}, Case{SIGINT, "SIGINT"}, Case{SIGHUP, "SIGHUP"}}) {
        const std::string title = std::string("Orvelune box for ") + c.name;
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            host::X11HostOptions options;
            options.end_on_signals = true;
            std::string error;
            std::unique_ptr<host::Host> x11 = host::open_x11_host(options, error);
            if (x11)
                x11->message_box(nullptr, "設定を保存できませんでした。", title, host::MessageStyle::Exclamation);
            _exit(x11 ? 3 : 1); // the box was answered, or never came
        }
        Child box(pid);
        ASSERT_TRUE(rig.wait_for_window(title, 20s)) << "expected the message box (" << c.name << ")";
        box.signal(c.signal);
        const std::optional<int> status = box.wait(10s);
        ASSERT_TRUE(status) << c.name << " did not end the process while its message box was open";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "expected exit status 0 after " << c.name << ", got wait status " << *status;
    }
}

} // namespace
} // namespace x11test
