// The colour dial: where the swatches and the selection mark stand, how a
// swatch is shaded, selecting balls, and the background colour.
#include "dialog_rig.h"

#include <gtest/gtest.h>

namespace dialogtest {
namespace {

constexpr gfx::Pixel kMarkGreen = gfx::rgb(0, 128, 0);

// Offsets from the dial's centre of each ball's swatch centre and mark
// centre, as the layout tables them (the -1s come from the rounding of the
// clock constants).
struct Offsets {
    int ball;
    gfx::Point swatch;
    gfx::Point mark;
};
const Offsets kOffsets[] = {
    {1, {52, -73}, {75, -104}},  {2, {85, -28}, {121, -40}}, {3, {85, 27}, {121, 39}},
    {4, {52, 72}, {75, 103}},    {5, {0, 90}, {0, 128}},     {6, {-53, 72}, {-76, 103}},
    {7, {-86, 27}, {-122, 39}},  {8, {-86, -28}, {-122, -40}}, {9, {-53, -73}, {-76, -104}},
    {10, {-1, -90}, {-1, -128}}, {11, {0, 0}, {-1, -50}},
};

TEST(DialogDial, SwatchesAndMarksStandWhereTheLayoutPutsThem)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    const gfx::Rect dial = rig.dialog->control("Display")->rect;
    // The dial is 309 wide: its centre pixel is 154.
    const gfx::Point centre{dial.x + 154, dial.y + 154};
    // After load the mark sits 128 pixels above the centre and one to the left.
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 10);
    EXPECT_EQ(rig.picture().at(centre.x - 1, centre.y - 128 - 5), kMarkGreen);
    EXPECT_EQ(rig.dialog->model().bar(1).value(), 72) << "the bars show ball 10's 072-032-056";
    EXPECT_EQ(rig.dialog->model().bar(2).value(), 32);
    EXPECT_EQ(rig.dialog->model().bar(3).value(), 56);
    for (const Offsets& o : kOffsets) {
        SCOPED_TRACE("ball " + std::to_string(o.ball));
        const int half = o.ball == 11 ? 36 : 24;
        const gfx::Rect swatch = rig.dialog->control("Pic_Mas(" + std::to_string(o.ball) + ")")->rect;
        EXPECT_EQ(swatch, (gfx::Rect{centre.x + o.swatch.x - half, centre.y + o.swatch.y - half, 2 * half, 2 * half}));

        rig.click("Pic_Mas(" + std::to_string(o.ball) + ")");
        EXPECT_EQ(rig.dialog->model().SelectedBall(), o.ball);
        const gfx::Point mark{centre.x + o.mark.x, centre.y + o.mark.y};
        // A ring of radius 5 in green about the mark's centre, nothing at the centre.
        EXPECT_EQ(rig.picture().at(mark.x, mark.y - 5), kMarkGreen);
        EXPECT_EQ(rig.picture().at(mark.x + 5, mark.y), kMarkGreen);
        EXPECT_EQ(rig.picture().at(mark.x, mark.y + 5), kMarkGreen);
        EXPECT_EQ(rig.picture().at(mark.x, mark.y), gfx::kBlack);
        // Only one mark: the previous ball's is gone.
        int green = 0;
        for (int y = dial.y; y < dial.y + dial.height; ++y)
            for (int x = dial.x; x < dial.x + dial.width; ++x)
                green += rig.picture().at(x, y) == kMarkGreen ? 1 : 0;
        EXPECT_EQ(green, 28) << "the pixels of one ring of radius 5";
    }
}

TEST(DialogDial, ASwatchIsShadedDiscByDiscLitFromTheUpperLeft)
{
    TempFolder scratch;
    Settings start = Loaded(scratch.file("none.ini"));
    start.g_BallRed[1] = 127;
    start.g_BallGreen[1] = 0;
    start.g_BallBlue[1] = 0;
    DialogRig rig(start);
    rig.load();
    const gfx::Surface& swatch = rig.dialog->model().Pic_Mas(1);
    // Pixels whose topmost disc is disc k: the colour 127 + 16k, 16k, 16k
    // capped at 255, disc k centred at (24 - k, 24 - k) with radius 24 - 2k.
    struct Pixel {
        int x, y;
        gfx::Pixel colour;
    };
    const Pixel kPixels[] = {
        {0, 0, gfx::kBlack},                 // outside the ball: the dial's colour
        {47, 24, gfx::rgb(127, 0, 0)},        // disc 0 only
        {24, 44, gfx::rgb(143, 16, 16)},      // disc 1
        {22, 16, gfx::rgb(255, 128, 128)},    // disc 8, radius 8
        {16, 16, gfx::rgb(255, 160, 160)},    // disc 10
        {12, 12, gfx::rgb(255, 176, 176)},    // disc 11, the highlight's last
    };
    for (const Pixel& p : kPixels)
        EXPECT_EQ(swatch.at(p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
}

TEST(DialogDial, SelectingBall3Then7LeavesBall3sColour)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    rig.click("Pic_Mas(3)");
    EXPECT_EQ(rig.dialog->model().bar(1).value(), 76);
    rig.click("Pic_Mas(7)");
    EXPECT_EQ(rig.dialog->model().EditRed(3), 76);
    EXPECT_EQ(rig.dialog->model().EditGreen(3), 0);
    EXPECT_EQ(rig.dialog->model().EditBlue(3), 0);
    EXPECT_EQ(rig.dialog->model().bar(1).value(), 68) << "the bars show ball 7's 068-042-004";
    EXPECT_EQ(rig.dialog->model().bar(2).value(), 42);
    EXPECT_EQ(rig.dialog->model().bar(3).value(), 4);
}

TEST(DialogDial, AClickNeedsTheLeftButtonPressedAndReleasedOnTheSwatch)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    rig.click("Pic_Mas(2)", host::kRightButton);
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 10);
    rig.press(rig.centre("Pic_Mas(2)"));
    rig.release(rig.centre("Pic_Mas(4)"));
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 10);
}

TEST(DialogDial, TheHandShowsOverSwatchesAndTheLink)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    EXPECT_FALSE(rig.record().custom_cursor);
    rig.move(rig.centre("Pic_Mas(5)"));
    EXPECT_TRUE(rig.record().custom_cursor);
    rig.move(rig.at("Display", 2, 2));
    EXPECT_FALSE(rig.record().custom_cursor);
    rig.move(rig.centre("lbl_URL"));
    EXPECT_TRUE(rig.record().custom_cursor);
}

TEST(DialogBackgroundColour, AChosenColourRepaintsEverySwatchAndSelectsBall10)
{
    TempFolder scratch;
    host::HeadlessOptions options;
    options.chosen_color = gfx::colorref(10, 200, 30);
    DialogRig rig(Loaded(scratch.file("none.ini")), options);
    rig.load();
    rig.click("Pic_Mas(3)");
    rig.click("lbl_C");
    EXPECT_EQ(rig.host.color_requests(), 1);
    EXPECT_EQ(rig.dialog->model().DisplayBackColor(), gfx::colorref(10, 200, 30));
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 10);
    for (int n = 1; n <= 11; ++n)
        EXPECT_EQ(rig.dialog->model().Pic_Mas(n).at(0, 0), gfx::rgb(10, 200, 30)) << "ball " << n;
    EXPECT_EQ(rig.picture().at(rig.at("Display", 2, 2).x, rig.at("Display", 2, 2).y), gfx::rgb(10, 200, 30));
    EXPECT_EQ(rig.settings.g_BackgroundMode, 2) << "the kind of background stays the user's choice";
    EXPECT_EQ(rig.settings.g_BackgroundColor, 0) << "the setting waits for the save";
}

TEST(DialogBackgroundColour, ACancelledChooserChangesNothing)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    rig.click("Pic_Mas(3)");
    const gfx::Surface before = rig.picture();
    rig.click("lbl_C");
    EXPECT_EQ(rig.host.color_requests(), 1);
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 3);
    EXPECT_TRUE(rig.picture() == before);
}

} // namespace
} // namespace dialogtest
