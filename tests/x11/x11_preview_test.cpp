// The preview embedded in a pane of another program.
#include "x11_rig.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "startup/preview_picture.h"
#include "gfx/raster.h"

#include <X11/Xlib.h>
#include <sys/wait.h>

#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;

std::optional<XID> OnlyChild(Display* display, XID parent)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::optional<XID> child;
    if (XQueryTree(display, parent, &root, &up, &children, &count) && count == 1)
        child = children[0];
    if (children)
        XFree(children);
    return child;
}

std::optional<gfx::Rect> Geometry(Display* display, XID window)
{
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a))
        return std::nullopt;
    return gfx::Rect{a.x, a.y, a.width, a.height};
}

TEST(PreviewOnX, ShowsTheStillPictureInThePaneFollowsItAndEndsWithIt)
{
    XvfbRig rig(640, 480);
    if (!rig.available())
        GTEST_SKIP() << rig.why();

    // The pane: a grey window of another program, larger than the picture.
    const gfx::Surface grey(200, 150, gfx::rgb(128, 128, 128));
    const XID pane = rig.create_foreign_window(rig.root(), grey, 40, 30);

    Child preview = rig.start_orvelune({"/p", std::to_string(pane)});

    gfx::Surface expected(200, 150, gfx::kBlack);
    gfx::blit(expected, {0, 0}, render_preview_picture(), gfx::RasterOp::Copy);
    std::string last_difference;
    EXPECT_TRUE(rig.poll_grab(pane, 200, 150, 10s, [&](const gfx::Surface& shot) {
        last_difference = FirstDifference(expected, shot);
        return last_difference.empty();
    })) << "expected the still picture at (0, 0) on black; last grab: " << last_difference;

    const std::optional<XID> child = OnlyChild(rig.display(), pane);
    ASSERT_TRUE(child) << "expected one child window in the pane";
    EXPECT_EQ(Geometry(rig.display(), *child), (gfx::Rect{0, 0, 200, 150}));

    // The pane shrinks: the preview follows and shows the picture's top-left.
    XResizeWindow(rig.display(), pane, 120, 90);
    XSync(rig.display(), False);
    const auto until = Clock::now() + 5s;
    while (Geometry(rig.display(), *child) != gfx::Rect{0, 0, 120, 90} && Clock::now() < until)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Geometry(rig.display(), *child), (gfx::Rect{0, 0, 120, 90}));

    // The pane goes away: the preview ends, cleanly.
    XDestroyWindow(rig.display(), pane);
    XSync(rig.display(), False);
    const std::optional<int> status = preview.wait(5s);
    ASSERT_TRUE(status) << "expected the preview to end with its pane";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
}

// A pane may claim any size up to 32767 x 32767 pixels: the preview still
// holds only its picture, and shows it on black as in any other pane.
TEST(PreviewOnX, APaneOfTheLargestSizeHoldsOnlyThePicture)
{
    if (!kMemoryLimitsWork)
        GTEST_SKIP() << "a sanitized program cannot run under a memory limit";
    XvfbRig rig(320, 240);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    Display* d = rig.display();
    const XID pane = XCreateSimpleWindow(d, rig.root(), 0, 0, 32767, 32767, 0, 0,
                                         0x808080);
    XMapWindow(d, pane);
    XSync(d, False);

    // A frame of the pane's size would take 4 GiB, and as much again to send it.
    Launch launch;
    launch.memory_limit_kib = 300000;
    Child preview = rig.start_orvelune({"/p", std::to_string(pane)}, {}, launch);

    gfx::Surface expected(rig.width(), rig.height(), gfx::kBlack);
    gfx::blit(expected, {0, 0}, render_preview_picture(), gfx::RasterOp::Copy);
    std::string last_difference;
    EXPECT_TRUE(rig.poll_grab(pane, rig.width(), rig.height(), 10s, [&](const gfx::Surface& shot) {
        last_difference = FirstDifference(expected, shot);
        return last_difference.empty();
    })) << "expected the still picture on black; last grab: " << last_difference;
    const std::optional<XID> child = OnlyChild(d, pane);
    ASSERT_TRUE(child) << "expected the preview in the pane";
    EXPECT_EQ(Geometry(d, *child), (gfx::Rect{0, 0, 32767, 32767}));

    XDestroyWindow(d, pane);
    XSync(d, False);
    const std::optional<int> status = preview.wait(5s);
    ASSERT_TRUE(status) << "expected the preview to end with its pane";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
}

// The root window is no pane either: a preview in it would cover the whole
// screen and never end.
TEST(PreviewOnX, APaneThatIsNoWindowOrTheRootEndsThePreviewAtOnce)
{
    XvfbRig rig(320, 240);
    if (!rig.available())
        GTEST_SKIP() << rig.why();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"/p"}, {"/p", "12345"}, {"/p", std::to_string(rig.root())}}) {
        Child preview = rig.start_orvelune(args);
        const std::optional<int> status = preview.wait(5s);
        ASSERT_TRUE(status) << "expected a preview without a pane to end";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    }
}

} // namespace
} // namespace x11test
