// The X11 host's own services, called directly on a private server: the
// title lookup behind the single-instance guard, window rectangles, the
// cursor counter, the desktop capture and the frame's way to the screen.
#include "x11_rig.h"

#include "host/x11/x11_host.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
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

    // Two levels down is not a top-level window any more.
    const XID deeper = rig->create_foreign_window(inner, gfx::Surface(10, 10));
    XStoreName(rig->display(), deeper, "Deep");
    XSync(rig->display(), False);
    EXPECT_FALSE(x11->top_level_window_exists("Deep"));
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

} // namespace
} // namespace x11test
