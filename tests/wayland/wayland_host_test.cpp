// The Wayland host in the test's own process, on the rig's compositor: what
// a present sends (the damage of each commit, recorded), that the screen
// then shows exactly the blocks sent, through buffers that take turns, and
// the outputs as monitors of their pixel sizes.
#include "wayland_rig.h"

#include "host/wayland/wayland_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>

namespace wltest {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class NoInput : public host::WindowHandler {};

class WaylandHostTest : public ::testing::Test {
protected:
    void Start(std::vector<OutputSpec> outputs)
    {
        rig = std::make_unique<SwayRig>(std::move(outputs), false);
        if (!rig->available())
            GTEST_SKIP() << rig->why();
        // A full path reaches the compositor from any user.
        setenv("WAYLAND_DISPLAY", rig->socket_path().c_str(), 1);
        std::string error;
        host = host::open_wayland_host({}, error);
        ASSERT_TRUE(host) << error;
        host::record_wayland_damage(*host, [this](const host::Window&, std::span<const gfx::Rect> d) {
            damage.emplace_back(d.begin(), d.end());
        });
    }
    void TearDown() override
    {
        host.reset();
        rig.reset();
        unsetenv("WAYLAND_DISPLAY");
    }

    std::unique_ptr<host::Window> Open(gfx::Rect rect)
    {
        host::WindowOptions options;
        options.title = "test";
        options.rect = rect;
        options.visible = true;
        return host->create_window(options, handler);
    }

    // The output shows `expected` (after the compositor has caught up).
    void ExpectShown(const std::string& output, const gfx::Surface& expected)
    {
        std::string last = "no screenshot";
        const bool shown = rig->poll_screenshot(output, 5s, [&](const gfx::Surface& shot) {
            host->process_pending_messages();
            last = FirstDifference(expected, shot);
            return last.empty();
        });
        EXPECT_TRUE(shown) << "on " << output << ": " << last;
    }

    std::unique_ptr<SwayRig> rig;
    std::unique_ptr<host::Host> host;
    NoInput handler;
    std::vector<std::vector<gfx::Rect>> damage;
};

void Paint(gfx::Surface& frame, gfx::Rect area, gfx::Pixel colour)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (frame.contains(x, y))
                frame.set(x, y, colour);
}

TEST_F(WaylandHostTest, EachPresentDamagesExactlyItsBlocksAndTheScreenShowsOnlyThose)
{
    Start({OutputSpec{kWidth, kHeight, 1}});
    std::unique_ptr<host::Window> window = Open({0, 0, kWidth, kHeight});
    ASSERT_TRUE(window);
    gfx::Surface& frame = window->frame();
    frame.fill(0x102030);
    damage.clear();
    window->refresh();
    gfx::Surface shown = frame;

    // Each step changes some blocks, sends some of them, and names what the
    // commit must damage. Blocks reach past the frame and overlap; a block
    // changed but not sent must not reach the screen, and each buffer, when
    // its turn comes again, must catch up with what the others sent.
    struct Step {
        std::vector<gfx::Rect> changed;
        std::vector<gfx::Rect> sent;
        std::vector<gfx::Rect> damaged;
    };
    const Step steps[] = {
        {{{10, 10, 20, 20}}, {{10, 10, 20, 20}}, {{10, 10, 20, 20}}},
        {{{300, 200, 40, 60}}, {{300, 200, 40, 60}}, {{300, 200, 20, 40}}},
        {{{-5, -5, 15, 15}, {100, 100, 30, 30}}, {{-5, -5, 15, 15}}, {{0, 0, 10, 10}}},
        {{{50, 50, 10, 10}}, {{50, 50, 10, 10}, {55, 55, 10, 10}, {400, 400, 5, 5}},
         {{50, 50, 10, 10}, {55, 55, 10, 10}}},
        {{}, {{120, 10, 4, 4}}, {{120, 10, 4, 4}}},
        {{{200, 20, 8, 8}}, {{200, 20, 8, 8}}, {{200, 20, 8, 8}}},
    };
    gfx::Pixel colour = 0x00FF00;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const Step& step = steps[i];
        for (const gfx::Rect& area : step.changed)
            Paint(frame, area, colour);
        colour = (colour * 7 + 0x123457) & 0xFFFFFF;
        damage.clear();
        window->refresh_areas(step.sent);
        ASSERT_EQ(damage.size(), 1u) << "expected one commit";
        EXPECT_EQ(damage[0], step.damaged);
        for (const gfx::Rect& area : step.sent)
            for (int y = area.y; y < area.y + area.height; ++y)
                for (int x = area.x; x < area.x + area.width; ++x)
                    if (frame.contains(x, y))
                        shown.set(x, y, frame.at(x, y));
        ExpectShown("HEADLESS-1", shown);
    }

    // Nothing to send, or only what lies outside: no commit at all.
    damage.clear();
    window->refresh_areas({});
    const gfx::Rect outside{kWidth, 0, 10, 10};
    window->refresh_areas({&outside, 1});
    EXPECT_TRUE(damage.empty()) << "expected no commit for no blocks";

    // A whole refresh damages the whole buffer.
    window->refresh();
    ASSERT_EQ(damage.size(), 1u);
    EXPECT_EQ(damage[0], (std::vector<gfx::Rect>{{0, 0, kWidth, kHeight}}));
    ExpectShown("HEADLESS-1", frame);
}

TEST_F(WaylandHostTest, OutputsAreMonitorsOfTheirPixelsAndAScaledOneGetsFullBuffers)
{
    Start({OutputSpec{kWidth, kHeight, 1}, OutputSpec{kWidth, kHeight, 2}});
    const std::vector<gfx::Rect> monitors = host->monitors();
    ASSERT_EQ(monitors, (std::vector<gfx::Rect>{{0, 0, kWidth, kHeight}, {kWidth, 0, kWidth, kHeight}}));
    EXPECT_EQ(host->screen_size(), (host::Size{2 * kWidth, kHeight}));

    // One-pixel stripes on the scaled output come out one pixel wide: the
    // buffer is the output's 320 x 240 pixels at scale 2, not half of them
    // stretched.
    std::unique_ptr<host::Window> window = Open(monitors[1]);
    ASSERT_TRUE(window);
    EXPECT_EQ(host::wayland_buffer_scale(*window), 2);
    gfx::Surface& frame = window->frame();
    ASSERT_EQ(frame.width(), kWidth);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            frame.set(x, y, (x + y) % 2 ? 0xFFFFFF : 0x0000FF);
    window->refresh();
    ExpectShown("HEADLESS-2", frame);
}

} // namespace
} // namespace wltest
