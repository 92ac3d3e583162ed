// The stage on its own, with no host and no window, and the formation as a
// value: what a still picture or a new figure can rely on without a saver.
#include "engine/formation.h"
#include "engine/stage.h"

#include "gfx/color.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr gfx::Pixel kGround = gfx::rgb(0, 0, 64);

Settings SingleColour()
{
    Settings s{};
    s.g_BackgroundMode = 2;
    s.g_BackgroundColor = gfx::colorref(0, 0, 64);
    return s;
}

// Every sprite one flat colour, so that a stamped ball is visible.
void PaintSprites(Stage& stage)
{
    for (int n = 1; n <= kCentreBall; ++n)
        stage.paint_Pic_Mas(n).fill(gfx::rgb(200, 10, 10));
}

TEST(Stage, DrawsNothingBeforeItHasAFrame)
{
    const Settings settings = SingleColour();
    Stage stage(settings, nullptr, nullptr, false);
    EXPECT_EQ(stage.Display(), nullptr);
    stage.RestoreBackground();
    stage.BlitBall(1, 0, 0);
    stage.blit_ball_scaled(11, 0, 0, 10, 10);
    stage.PresentFrame(); // no window, no host: nothing to send, nothing to wait for
}

// Whatever mix of stamps, restores and presents ran before, a restore leaves
// the frame exactly the background, partial or whole.
TEST(Stage, ARestoreLeavesExactlyTheBackgroundWithoutAHost)
{
    struct Case {
        std::string what;
        bool full_redraw;
        int mode; // background pattern: 2 fills, others copy Pic_Base
    };
    const Case cases[] = {
        {"partial, fill", false, 2},
        {"partial, copy", false, 1},
        {"whole, fill", true, 2},
        {"whole, copy", true, 1},
    };
    for (const Case& c : cases) {
        Settings settings = SingleColour();
        settings.g_BackgroundMode = std::int16_t(c.mode);
        Stage stage(settings, nullptr, nullptr, c.full_redraw);
        gfx::Surface frame(200, 150);
        stage.attach(frame, nullptr, kGround);
        EXPECT_TRUE(frame == gfx::Surface(200, 150, kGround)) << c.what << ": attach fills";
        EXPECT_EQ(stage.Pic_Base().width(), 200) << c.what;
        PaintSprites(stage);

        stage.RestoreBackground();
        stage.BlitBall(1, 10, 10);
        stage.BlitBall(11, 150, 100); // partly off the frame
        stage.PresentFrame();
        EXPECT_NE(frame.at(34, 34), kGround) << c.what << ": the ball was not drawn";
        stage.blit_ball_scaled(11, 60, 40, -30, 20);
        stage.RestoreBackground();
        EXPECT_TRUE(frame == gfx::Surface(200, 150, kGround)) << c.what << ": balls left behind";
    }
}

// A new background reaches the next restore everywhere, not just where
// balls were: change_Pic_Base marks the whole frame.
TEST(Stage, AChangedBackgroundIsRestoredWhole)
{
    Settings settings = SingleColour();
    settings.g_BackgroundMode = 1;
    Stage stage(settings, nullptr, nullptr, false);
    gfx::Surface frame(64, 48);
    stage.attach(frame, nullptr, kGround);
    stage.RestoreBackground();
    stage.change_Pic_Base().fill(gfx::rgb(1, 2, 3));
    stage.RestoreBackground();
    EXPECT_TRUE(frame == gfx::Surface(64, 48, gfx::rgb(1, 2, 3)));
}

// The starting ring and the rods of three screens: the ring's top ball sits
// one pixel left of the vertical, and each rod is 582 pixels long, centred,
// with the centre ball's cell and a gap between balls 5 and 6.
TEST(Formation, StartingRingAndRodsAreCentredOnTheScreen)
{
    struct Case {
        double width, height;
        double top_x, top_y;          // ball 10's cell corner
        double centre_x, centre_y;    // the centre ball's
        double across_1, down_1;      // ball 1 on the horizontal and vertical rods
    };
    const Case cases[] = {
        {1024, 768, 487, 270, 476, 348, 221, 93},
        {800, 600, 375, 186, 364, 264, 109, 9},
        {47, 30, -1.5, -99, -12.5, -21, -267.5, -276},
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(int(c.width)) + "x" + std::to_string(int(c.height));
        const Formation f(c.width, c.height);
        EXPECT_EQ(f.FormationX()[10], c.top_x) << what;
        EXPECT_EQ(f.FormationY()[10], c.top_y) << what;
        EXPECT_EQ(f.CenterFormationX(), c.centre_x) << what;
        EXPECT_EQ(f.CenterFormationY(), c.centre_y) << what;
        EXPECT_EQ(f.BallGap(), 3) << what;
        EXPECT_EQ(f.HorizontalRodX()[1], c.across_1) << what;
        EXPECT_EQ(f.VerticalRodY()[1], c.down_1) << what;
        for (std::size_t i = 1; i <= 10; ++i) {
            // Mirror images about the screen's middle, the centre ball's cell between 5 and 6.
            EXPECT_EQ(f.HorizontalRodX()[i] + f.HorizontalRodX()[11 - i] + 48, c.width) << what;
            EXPECT_EQ(f.VerticalRodY()[i] + f.VerticalRodY()[11 - i] + 48, c.height) << what;
            EXPECT_EQ(f.HorizontalRodY()[i], c.height / 2 - 24) << what;
            EXPECT_EQ(f.VerticalRodX()[i], c.width / 2 - 24) << what;
        }
        EXPECT_EQ(f.HorizontalRodX()[6] - f.HorizontalRodX()[5], 48 + 3 + 72 + 3) << what;
    }
}

TEST(Formation, PlacesOnlyBallsThatExist)
{
    Formation f(1024, 768);
    const Formation::BallArray x = f.FormationX();
    f.place(0, 1, 1);
    f.place(11, 1, 1);
    f.place(-3, 1, 1);
    EXPECT_EQ(f.FormationX(), x) << "a ball number outside 1..10 moved a ball";
    f.place(3, 7.5, -2);
    f.place_centre(1.25, 2.5);
    EXPECT_EQ(f.FormationX()[3], 7.5);
    EXPECT_EQ(f.FormationY()[3], -2);
    EXPECT_EQ(f.CenterFormationX(), 1.25);
    EXPECT_EQ(f.CenterFormationY(), 2.5);
}

} // namespace
