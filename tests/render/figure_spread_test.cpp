// The contact sheet's choice of frame: the balls read from a trace line, how
// far they stand from their ring, and the frame a run of scores picks.
#include "figure_spread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using figure_spread::BallCentres;

// Ten small balls on a circle of `radius` around (cx, cy), turned by `turn`
// radians, the centre ball at `centre_dx` from its middle; balls 48 pixels
// wide, the centre ball 72, as the trace gives them.
std::string RingLine(double cx, double cy, double radius, double turn, int centre_dx = 0)
{
    std::string line = "{\"ev\":\"frame\",\"n\":1,\"ops\":[[\"R\"]";
    for (int ball = 1; ball <= 10; ++ball) {
        const double angle = turn + ball * 2 * std::numbers::pi / 10;
        line += ",[\"B\"," + std::to_string(ball) + "," + std::to_string(std::lround(cx + radius * std::cos(angle)) - 24)
                + "," + std::to_string(std::lround(cy + radius * std::sin(angle)) - 24) + ",48,48]";
    }
    line += ",[\"B\",11," + std::to_string(int(cx) + centre_dx - 36) + "," + std::to_string(int(cy) - 36) + ",72,72]";
    return line + "],\"pause\":50}";
}

BallCentres Read(const std::string& line)
{
    BallCentres centres;
    figure_spread::read_frame_line(line, centres);
    return centres;
}

TEST(FigureSpread, ReadsEachBallsLastPlaceAndPassesOverTheRest)
{
    BallCentres centres = Read(RingLine(320, 240, 100, 0));
    ASSERT_TRUE(centres[10]);
    EXPECT_EQ(centres[10]->x, 320);
    EXPECT_EQ(centres[10]->y, 240);
    figure_spread::read_frame_line("{\"ev\":\"frame\",\"ops\":[[\"B\",3,10,20,48,48],[\"B\",3,-30,40,48,48],"
                                   "[\"B\",0,1,1,4,4],[\"B\",12,1,1,4,4],[\"B\",5,1,x,4,4],[\"B\",6,1,1,4",
                                   centres);
    EXPECT_EQ(centres[2]->x, -6) << "expected the ball's last place in the line";
    EXPECT_EQ(centres[2]->y, 64);
    const BallCentres ring = Read(RingLine(320, 240, 100, 0));
    EXPECT_EQ(centres[4]->x, ring[4]->x) << "expected a malformed op passed over";
    EXPECT_EQ(centres[5]->x, ring[5]->x) << "expected a cut-off op passed over";
}

TEST(FigureSpread, GrowsAsTheBallsLeaveTheRingNotAsItTurns)
{
    const BallCentres ring = Read(RingLine(320, 240, 100, 0));
    struct Case {
        const char* what;
        std::string line;
        double low, high; // the spread expected, in pixels summed over the balls
    };
    const std::vector<Case> cases = {
        // Each place is rounded to whole pixels, by up to 0.7 of one.
        {"the ring itself", RingLine(320, 240, 100, 0), 0, 8},
        {"the ring turned", RingLine(320, 240, 100, 0.7), 0, 8},
        {"the ring twice as wide", RingLine(320, 240, 200, 0), 990, 1010},
        {"the ring moved 100 pixels", RingLine(420, 240, 100, 0), 500, 1100},
        {"the centre ball moved 30 pixels", RingLine(320, 240, 100, 0, 30), 29, 38},
        {"every ball on the edges", RingLine(320, 240, 300, 0), 1990, 2010},
    };
    for (const Case& c : cases) {
        const double spread = figure_spread::spread_from_ring(ring, Read(c.line));
        EXPECT_GE(spread, c.low) << c.what;
        EXPECT_LE(spread, c.high) << c.what;
    }
    EXPECT_EQ(figure_spread::spread_from_ring(BallCentres{}, ring), 0) << "expected no ring to count nothing";
}

TEST(FigureSpread, ChoosesTheLastFrameWithinATenthOfTheHighest)
{
    struct Case {
        std::vector<double> scores;
        int chosen; // index of the frame whose picture is kept last
    };
    const std::vector<Case> cases = {
        {{0, 0, 0}, 2},
        {{1, 5, 9, 10, 9.5, 3}, 4},
        {{10, 9.5, 20, 5}, 2},       // 9.5 was within a tenth of the highest then, not at the end
        {{10, 19, 20, 18.5, 5}, 3},
        {{4, 3, 2, 1}, 0},
    };
    for (const Case& c : cases) {
        figure_spread::FrameChoice choice;
        int kept = -1;
        for (std::size_t i = 0; i < c.scores.size(); ++i)
            if (choice.offer(c.scores[i]))
                kept = int(i);
        EXPECT_EQ(kept, c.chosen) << "scores from " << c.scores.front();
    }
}

// A ghost is the round part of a ball only, blended into what is there,
// and a disc painted back whole restores the picture exactly.
TEST(FigureSpread, GhostsAreTheBallsDiscsBlended)
{
    gfx::Surface frame(12, 12, gfx::kBlack);
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 10; ++x)
            frame.set(x, y, 0xc08040);
    BallCentres places;
    places[0] = figure_spread::BallPlace{6, 6, 2, 2, 8};
    places[1] = figure_spread::BallPlace{12, 12, 8, 8, 8}; // half off the picture
    const std::vector<figure_spread::Disc> discs = figure_spread::cut_discs(frame, places);
    ASSERT_EQ(discs.size(), 2u);

    gfx::Surface later(12, 12, 0x000010);
    figure_spread::paint_discs(later, discs, 128);
    EXPECT_EQ(later.at(6, 6), gfx::Pixel(0x604028)) << "half the ball, half what was there";
    EXPECT_EQ(later.at(2, 2), gfx::Pixel(0x000010)) << "expected the square's corner left alone";
    EXPECT_EQ(later.at(11, 11), gfx::Pixel(0x000008)) << "the clipped disc's black, blended";
    figure_spread::paint_discs(later, figure_spread::cut_discs(frame, places), 256);
    EXPECT_EQ(later.at(5, 7), frame.at(5, 7));
}

} // namespace
