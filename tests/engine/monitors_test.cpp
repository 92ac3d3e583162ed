// Several monitors: the figure on the primary at that monitor's size, the
// covers over the others, and input on any monitor.
#include "support/saver_rig.h"

#include "gfx/color.h"
#include "gfx/raster.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::default_settings;
using test_support::SaverRig;
using test_support::screen_of;

// A desktop of two monitors whose primary is the smaller one, to the right:
// nothing may assume that the primary starts at (0, 0) or is the larger.
const gfx::Rect kPrimary{640, 0, 512, 384};
const gfx::Rect kOther{0, 0, 640, 480};

host::HeadlessOptions two_monitors()
{
    host::HeadlessOptions options = screen_of(1152, 480);
    options.monitors = {kPrimary, kOther};
    return options;
}

// A picture of the whole desktop in which every pixel tells where it is.
gfx::Surface numbered_desktop()
{
    gfx::Surface desktop(1152, 480);
    for (int y = 0; y < desktop.height(); ++y)
        for (int x = 0; x < desktop.width(); ++x)
            desktop.set(x, y, gfx::rgb(x & 0xFF, y & 0xFF, (x >> 8) * 16 + (y >> 8)));
    return desktop;
}

bool all_of_colour(const gfx::Surface& s, gfx::Pixel colour)
{
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.at(x, y) != colour)
                return false;
    return true;
}

bool Ends(auto&& action)
{
    try {
        action();
    } catch (const host::ProcessEnd&) {
        return true;
    }
    return false;
}

// The saver on the primary draws, frame for frame, what a saver alone on a
// screen of that size draws: the same trace through the opening and the
// first actions, for every background (the screen at start taken from the
// primary's part of the desktop).
TEST(SeveralMonitors, TheFigurePlaysOnThePrimaryAsOnAScreenOfItsSize)
{
    for (const int background : {1, 2, 3, 5}) {
        Settings settings = default_settings();
        settings.g_BackgroundMode = std::int16_t(background);
        host::HeadlessOptions both = two_monitors();
        both.desktop = numbered_desktop();
        host::HeadlessOptions alone = screen_of(kPrimary.width, kPrimary.height);
        alone.desktop.resize(kPrimary.width, kPrimary.height);
        gfx::blit(alone.desktop, -kPrimary.x, -kPrimary.y, both.desktop, gfx::RasterOp::Copy);

        SaverRig on_two(settings, both, 7);
        SaverRig on_one(settings, alone, 7);
        on_two.load();
        on_one.load();
        on_two.run_ticks(3);
        on_one.run_ticks(3);
        const std::string trace = on_one.take_trace();
        EXPECT_GT(trace.size(), 1000u);
        EXPECT_EQ(on_two.take_trace(), trace) << "background " << background;
        EXPECT_EQ(*on_two.saver.Display, *on_one.saver.Display) << "background " << background;

        const host::WindowRecord& saver = on_two.host.windows().at(0);
        EXPECT_EQ(saver.title, "Orvelune(Main)");
        EXPECT_EQ(saver.rect, kPrimary);
        EXPECT_EQ(on_two.saver.g_CenterX, 256);
        EXPECT_EQ(on_two.saver.g_CenterY, 192);
    }
}

// Every other monitor is black, or the background colour when the
// background is that single colour; shown topmost with the saver and put on
// the screen once; a title no second start mistakes for the saver's.
TEST(SeveralMonitors, TheOtherMonitorsAreCoveredInOneColour)
{
    struct Case {
        int background;
        gfx::Pixel colour;
    };
    const gfx::ColorRef colour = gfx::colorref(10, 20, 30);
    for (const Case c : {Case{1, gfx::kBlack}, Case{2, gfx::pixel_from_colorref(colour)},
                         Case{3, gfx::kBlack}, Case{4, gfx::kBlack}, Case{9, gfx::kBlack}}) {
        Settings settings = default_settings();
        settings.g_BackgroundMode = std::int16_t(c.background);
        settings.g_BackgroundColor = colour;
        host::HeadlessOptions options = two_monitors();
        options.monitors.push_back({1152, 0, 300, 200}); // a third, beyond the second
        SaverRig rig(settings, options);
        rig.load();
        rig.run_ticks(1);

        ASSERT_EQ(rig.host.windows().size(), 3u) << "background " << c.background;
        ASSERT_EQ(rig.saver.covers.size(), 2u);
        for (std::size_t i = 1; i <= 2; ++i) {
            const host::WindowRecord& cover = rig.host.windows()[i];
            EXPECT_EQ(cover.rect, options.monitors[i]);
            EXPECT_TRUE(cover.shown && cover.topmost) << "cover " << i;
            EXPECT_NE(cover.title, "Orvelune(Main)");
            EXPECT_EQ(cover.refreshes, 1) << "a cover needs no frames";
            EXPECT_TRUE(all_of_colour(rig.saver.covers[i - 1]->window->frame(), c.colour))
                << "background " << c.background << ", cover " << i << ": expected "
                << std::hex << c.colour;
        }
    }
}

// Input over a cover counts as input over the saver, in the saver window's
// pixels: the movement rule keeps one reference across monitors, and a
// click anywhere ends the saver.
TEST(SeveralMonitors, InputOnAnyMonitorEndsTheSaverByTheSameRules)
{
    using host::MouseEventKind;
    auto move = [](double x, double y) { return host::MouseEvent{0, MouseEventKind::Move, 0, x, y}; };
    auto deliver = [](SaverRig& rig, host::MouseEvent event) {
        return Ends([&] {
            rig.host.add_input(event);
            rig.host.process_pending_messages();
        });
    };

    // Saver mode: the reference taken on the primary, at (60, 100) of the
    // saver window; the cover's pixels are 640 to the left of the saver's.
    SaverRig moves(default_settings(), two_monitors());
    moves.load(false);
    EXPECT_FALSE(deliver(moves, move(700, 100))) << "the first move only records";
    EXPECT_EQ(moves.saver.MouseRefX, 60);
    EXPECT_FALSE(deliver(moves, move(300, 100))) << "onto the other monitor along x only";
    EXPECT_FALSE(deliver(moves, move(700, 300))) << "back, along y only";
    EXPECT_TRUE(deliver(moves, move(301, 101))) << "a diagonal move on the other monitor";
    EXPECT_EQ(moves.host.ended_with(), 0);

    // The reference taken on the cover: a move along the cover's x only
    // keeps the saver; its diagonal ends it.
    SaverRig on_cover(default_settings(), two_monitors());
    on_cover.load(false);
    EXPECT_FALSE(deliver(on_cover, move(10, 400)));
    EXPECT_EQ(on_cover.saver.MouseRefX, 10 - 640);
    EXPECT_EQ(on_cover.saver.MouseRefY, 400);
    EXPECT_FALSE(deliver(on_cover, move(600, 400)));
    EXPECT_TRUE(deliver(on_cover, move(20, 410)));

    // With an empty command line movement never ends it; a click on the cover does.
    SaverRig clicks(default_settings(), two_monitors(), 1, SaverStart{0, true, 0});
    clicks.load(false);
    EXPECT_FALSE(deliver(clicks, move(100, 100)));
    EXPECT_FALSE(deliver(clicks, move(200, 300)));
    EXPECT_TRUE(deliver(clicks, host::MouseEvent{0, MouseEventKind::Down, host::kLeftButton, 50, 50}));
}

// A host that cannot cover a monitor still runs the saver on the primary.
TEST(SeveralMonitors, AMonitorWithoutACoverLeavesTheSaverRunning)
{
    class RefusesCovers : public host::HeadlessHost {
    public:
        using HeadlessHost::HeadlessHost;
        std::unique_ptr<host::Window> create_window(const host::WindowOptions& options,
                                                    host::WindowHandler& handler) override
        {
            if (options.rect != kPrimary)
                return nullptr;
            return HeadlessHost::create_window(options, handler);
        }
    };
    RefusesCovers host(two_monitors());
    Settings settings = default_settings();
    Random random(1);
    Ball_A saver(host, settings, random, SaverStart{'S', false, -1});
    saver.Form_Load();
    ASSERT_NE(saver.window, nullptr);
    EXPECT_TRUE(saver.covers.empty());
    EXPECT_EQ(host.windows().size(), 1u);
    EXPECT_TRUE(host.windows()[0].shown);
}

} // namespace
