// The fixed ball masks and the shaded sprites.

#include "art_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace art_testing;
using namespace test_support;

namespace {

std::string colour_text(gfx::Pixel p)
{
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", gfx::red_of(p), gfx::green_of(p),
                  gfx::blue_of(p));
    return text;
}

// The black run of one mask row as the inset it starts at, or -1 when the
// row is not one symmetric black run on white.
int inset_of_row(const gfx::Surface& mask, int y)
{
    const int size = mask.width();
    int first = -1, last = -1;
    for (int x = 0; x < size; ++x) {
        const gfx::Pixel p = mask.at(x, y);
        if (p != gfx::kBlack && p != gfx::kWhite)
            return -1;
        if (p == gfx::kBlack) {
            if (first < 0)
                first = x;
            else if (last != x - 1)
                return -1; // a second run
            last = x;
        }
    }
    return first >= 0 && last == size - 1 - first ? first : -1;
}

void expect_insets(const gfx::Surface& mask, int size, const std::vector<int>& insets)
{
    ASSERT_EQ(mask.width(), size);
    ASSERT_EQ(mask.height(), size);
    ASSERT_EQ(int(insets.size()), size);
    for (int y = 0; y < size; ++y)
        EXPECT_EQ(inset_of_row(mask, y), insets[std::size_t(y)])
            << "row " << y << ": expected inset " << insets[std::size_t(y)];
}

struct SpriteRig : SaverRig {
    SpriteRig() : SaverRig(plain_settings(2), screen_of(1024, 768))
    {
        for (int n = 1; n <= 10; ++n)
            saver.stage().paint_Pic_Mas(n).resize(48, 48);
        saver.stage().paint_Pic_Mas(11).resize(72, 72);
    }

    gfx::Pixel pixel(int ball, int x, int y) const { return saver.stage().Pic_Mas(ball).at(x, y); }
};

#define EXPECT_COLOUR(got, r, g, b)                                                            \
    EXPECT_EQ(colour_text(got), colour_text(gfx::rgb(r, g, b)))                                \
        << "expected (" << (r) << "," << (g) << "," << (b) << ") got " << colour_text(got)

} // namespace

TEST(BallMasks, EveryRowIsOneCentredRunWithTheDrawnInsets)
{
    gfx::Surface small, centre;
    draw_ball_masks(small, centre);

    expect_insets(small, 48,
                  {20, 16, 14, 12, 11, 9, 8, 7, 6, 5, 5, 4, 3, 3, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0,
                   0,  0,  0,  0,  0,  1, 1, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6, 7, 8, 10, 11, 13, 15, 19});
    expect_insets(centre, 72,
                  {31, 26, 23, 21, 19, 17, 16, 15, 13, 12, 11, 10, 9, 8, 8, 7, 6, 5,
                   5,  4,  4,  3,  3,  2,  2,  2,  1,  1,  1,  1,  1, 0, 0, 0, 0, 0,
                   0,  0,  0,  0,  0,  0,  1,  1,  1,  1,  1,  2,  2, 2, 3, 3, 4, 4,
                   5,  5,  6,  7,  8,  8,  9,  10, 11, 12, 14, 15, 16, 18, 20, 22, 25, 30});

    // The small mask's widest band, rows 20 to 28, is black from edge to edge.
    for (int y = 20; y <= 28; ++y)
        for (int x = 0; x < 48; ++x)
            ASSERT_EQ(small.at(x, y), gfx::kBlack)
                << "expected black at (" << x << "," << y << ")";
}

TEST(BallMasks, TheLoadHandlerDrawsThem)
{
    SaverRig rig(plain_settings(2), screen_of(320, 240));
    rig.saver.on_load();
    EXPECT_EQ(rig.saver.stage().Pic_Mask().width(), 48);
    EXPECT_EQ(inset_of_row(rig.saver.stage().Pic_Mask(), 0), 20);
    EXPECT_EQ(inset_of_row(rig.saver.stage().Pic_Mask_C(), 71), 30);
}

TEST(HalftoneBall, SmallBallLightensBySixteenToItsInnermostDisc)
{
    SpriteRig rig;
    rig.saver.scheduler().set_highlight_style(1);
    rig.saver.DrawHalftoneBall(1, 0, 0, 88);

    // The innermost disc (k = 11, radius 2) about (13, 13).
    EXPECT_COLOUR(rig.pixel(1, 13, 13), 176, 176, 255);
    EXPECT_COLOUR(rig.pixel(1, 12, 12), 176, 176, 255);
    // Just outside it, the disc before (k = 10, radius 4 about (14, 14)).
    EXPECT_COLOUR(rig.pixel(1, 15, 15), 160, 160, 248);
    // The outermost disc shows only on its rim, in the ball's own colour.
    EXPECT_COLOUR(rig.pixel(1, 46, 24), 0, 0, 88);
    // The corner stays on the black ground.
    EXPECT_COLOUR(rig.pixel(1, 0, 0), 0, 0, 0);
}

TEST(HalftoneBall, CentreBallLightensByTwelve)
{
    SpriteRig rig;
    rig.saver.scheduler().set_highlight_style(1);
    rig.saver.DrawHalftoneBall(11, 0, 0, 88);
    // Eighteen discs: the innermost (k = 17, radius 2) about (19, 19).
    EXPECT_COLOUR(rig.pixel(11, 19, 19), 204, 204, 255);
    EXPECT_COLOUR(rig.pixel(11, 20, 20), 192, 192, 255); // k = 16, radius 4 about (20, 20)
    EXPECT_COLOUR(rig.pixel(11, 70, 36), 0, 0, 88);
}

TEST(HalftoneBall, ComponentsStopAtWhite)
{
    SpriteRig rig;
    rig.saver.scheduler().set_highlight_style(2);
    rig.saver.DrawHalftoneBall(1, 250, 0, 0);
    EXPECT_COLOUR(rig.pixel(1, 46, 24), 250, 0, 0); // k = 0
    EXPECT_COLOUR(rig.pixel(1, 2, 24), 255, 16, 16); // k = 1: 266 is held at 255
    EXPECT_COLOUR(rig.pixel(1, 24, 24), 255, 176, 176); // k = 11
}

TEST(HalftoneBall, EachStyleLeadsTheHighlightItsOwnWay)
{
    struct Case {
        int style;
        int x, y; // the centre of the innermost disc
    };
    // k = 11 is the last disc with a positive radius; style 4 keeps x one
    // pixel left of the centre line while y moves down.
    const Case cases[] = {{1, 13, 13}, {2, 24, 24}, {3, 35, 35}, {4, 23, 35}, {5, 35, 13}};
    for (const Case& c : cases) {
        SpriteRig rig;
        rig.saver.scheduler().set_highlight_style(std::int16_t(c.style));
        rig.saver.DrawHalftoneBall(3, 0, 0, 88);
        for (int dy = -1; dy <= 0; ++dy)
            for (int dx = -1; dx <= 0; ++dx)
                EXPECT_COLOUR(rig.pixel(3, c.x + dx, c.y + dy), 176, 176, 255)
                    << " style " << c.style << " at (" << c.x + dx << "," << c.y + dy << ")";
    }
}

TEST(HalftoneBall, PaintsOverTheOldSpriteAndDrawsNothingWithoutAStyle)
{
    SpriteRig rig;
    const gfx::Pixel marker = gfx::rgb(1, 2, 3);
    rig.saver.stage().paint_Pic_Mas(2).fill(marker);

    for (int style : {0, 6, -1}) {
        rig.saver.scheduler().set_highlight_style(std::int16_t(style));
        rig.saver.DrawHalftoneBall(2, 0, 0, 88);
        for (gfx::Pixel p : rig.saver.stage().Pic_Mas(2).pixels())
            ASSERT_EQ(p, marker) << "style " << style << " drew " << colour_text(p);
    }

    // Nothing is cleared first: outside the outermost disc the old content stays.
    rig.saver.scheduler().set_highlight_style(1);
    rig.saver.DrawHalftoneBall(2, 0, 0, 88);
    EXPECT_COLOUR(rig.pixel(2, 0, 0), 1, 2, 3);
    EXPECT_COLOUR(rig.pixel(2, 13, 13), 176, 176, 255);
}

TEST(HalftoneBall, AnEmptySpriteDrawsNothing)
{
    SpriteRig rig;
    rig.saver.scheduler().set_highlight_style(1);
    rig.saver.stage().paint_Pic_Mas(0).resize(0, 0);
    rig.saver.DrawHalftoneBall(0, 10, 10, 10);
    EXPECT_TRUE(rig.saver.stage().Pic_Mas(0).empty());
}
