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
// primary's part of the desktop). The other monitor is black, or the
// background colour when the background is that single colour, shown with
// the saver and put on the screen once.
TEST(SeveralMonitors, TheFigurePlaysOnThePrimaryAsOnAScreenOfItsSizeTheOtherIsCovered)
{
    const gfx::ColorRef colour = gfx::colorref(10, 20, 30);
    for (const int background : {1, 2, 3, 9}) {
        Settings settings = default_settings();
        settings.g_BackgroundMode = std::int16_t(background);
        settings.g_BackgroundColor = colour;
        host::HeadlessOptions both = two_monitors();
        both.desktop = numbered_desktop();
        host::HeadlessOptions alone = screen_of(kPrimary.width, kPrimary.height);
        alone.desktop.resize(kPrimary.width, kPrimary.height);
        gfx::blit(alone.desktop, {-kPrimary.x, -kPrimary.y}, both.desktop, gfx::RasterOp::Copy);

        SaverRig on_two(settings, both, 7);
        SaverRig on_one(settings, alone, 7);
        on_two.load();
        on_one.load();
        on_two.run_ticks(3);
        on_one.run_ticks(3);
        const std::string trace = on_one.take_trace();
        EXPECT_GT(trace.size(), 1000u);
        EXPECT_EQ(on_two.take_trace(), trace) << "background " << background;
        EXPECT_EQ(*on_two.saver.stage().Display(), *on_one.saver.stage().Display()) << "background " << background;

        ASSERT_EQ(on_two.host.windows().size(), 2u);
        const host::WindowRecord& saver = on_two.host.windows()[0];
        const host::WindowRecord& cover = on_two.host.windows()[1];
        EXPECT_EQ(saver.rect, kPrimary);
        EXPECT_EQ(cover.rect, kOther);
        EXPECT_TRUE(cover.shown && cover.topmost);
        EXPECT_NE(cover.title, saver.title) << "a second start must find one saver";
        EXPECT_EQ(cover.refreshes, 1) << "a cover needs no frames";
        const gfx::Pixel expected = background == 2 ? gfx::pixel_from_colorref(colour) : gfx::kBlack;
        EXPECT_TRUE(all_of_colour(on_two.saver.covers().at(0)->window()->frame(), expected))
            << "background " << background << ": expected the cover all " << std::hex << expected;
    }
}

// Input over the cover counts as input over the saver, in the saver window's
// pixels (the cover's are 640 to the left of them): the movement rule keeps
// one reference across monitors, and a click anywhere ends the saver.
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

    SaverRig moves(default_settings(), two_monitors());
    moves.load(false);
    EXPECT_FALSE(deliver(moves, move(10, 300))) << "the first move only records";
    EXPECT_EQ(moves.saver.MouseRefX(), 10 - 640);
    EXPECT_EQ(moves.saver.MouseRefY(), 300);
    EXPECT_FALSE(deliver(moves, move(600, 300))) << "along the cover's x only";
    EXPECT_FALSE(deliver(moves, move(1000, 300))) << "onto the primary, along x only";
    EXPECT_TRUE(deliver(moves, move(20, 310))) << "a diagonal move on the cover";
    EXPECT_EQ(moves.host.ended_with(), 0);

    // With an empty command line movement never ends it; a click on the cover does.
    SaverRig clicks(default_settings(), two_monitors(), 1, SaverStart{0, true, 0});
    clicks.load(false);
    EXPECT_FALSE(deliver(clicks, move(100, 100)));
    EXPECT_FALSE(deliver(clicks, move(200, 300)));
    EXPECT_TRUE(deliver(clicks, host::MouseEvent{0, MouseEventKind::Down, host::kLeftButton, 50, 50}));
}

} // namespace
