#include "figure_checks.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <set>

using namespace action_test;
using namespace test_support;

namespace {

// The last image of each ball in frames [from, to), as one frame's stamps:
// one after another, a ball that has finished its arm is not drawn again.
Event LastImages(const std::vector<Event>& frames, std::size_t from, std::size_t to)
{
    Event last;
    for (int i = 1; i <= 11; ++i)
        for (std::size_t k = to; k-- > from;)
            if (const Op* op = frames[k].ball(i)) {
                last.ops.push_back(*op);
                break;
            }
    return last;
}

// Where balls 1 and 10 end each figure on 1024 x 768: the arm angles run on
// from figure to figure (ball 10's is 360, 660, 900, 1080, 1200, 1260
// degrees), and the spiral's last point, t = 12.5, lies 0.446 of the stretch
// out, 547 pixels across before it is turned.
constexpr int kFigureEnds[6][4] = {
    {936, 674, 1035, 351}, {967, 626, 754, -119}, {925, 31, -59, 369},
    {-35, 200, 1035, 351}, {1025, 465, 222, 839}, {174, 808, -59, 369},
};

} // namespace

// Gather under the centre ball (n), then six figures of 169 frames (one ball
// after another, ball i joining in frame 5 (i - 1)) or 125 (all at once),
// each ball drawn 125 times and the centre ball last. Only a figure's first
// frame erases, so the arms stay as trails; each figure is held for two
// seconds, the first five glide back to the centre in 2n erased frames, and
// the glide home (n) and the closing figure (2n) follow.
TEST(SpiralTrail, SixTrailFiguresWithHoldsAndGlidesBack)
{
    std::set<std::size_t> styles;
    for (std::uint64_t seed : {1, 2, 3})
        for (std::int16_t n : {1, 15, 30}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " speed " + std::to_string(n));
            ActionRig rig(ActionSettings(n), 1024, 768, seed);
            std::vector<Event> frames;
            std::vector<std::size_t> holds; // frames drawn before each hold
            for (const Event& e : rig.Run(Act_SpiralTrail)) {
                if (e.ev == "frame")
                    frames.push_back(e);
                if (e.ev == "sleep" && e.number("ms") == 2000)
                    holds.push_back(frames.size());
            }
            ASSERT_EQ(holds.size(), 6u);
            for (int i = 1; i <= 10; ++i)
                ASSERT_TRUE(frames[std::size_t(n - 1)].ball(i)->x == 488
                            && frames[std::size_t(n - 1)].ball(i)->y == 360);

            std::size_t start = std::size_t(n);
            for (std::size_t f = 0; f < 6; ++f) {
                const std::size_t size = holds[f] - start;
                ASSERT_TRUE(size == 169 || size == 125) << "figure " << f + 1 << ": " << size;
                styles.insert(size);
                int drawn[12] = {};
                for (std::size_t k = start; k < holds[f]; ++k) {
                    ASSERT_EQ(Restores(frames[k]), k == start ? 1 : 0) << "frame " << k - start;
                    ASSERT_EQ(BallOrder(frames[k]).back(), 11);
                    for (int i : BallOrder(frames[k]))
                        if (drawn[i]++ == 0 && size == 169 && i != 11) {
                            EXPECT_EQ(k - start + 1, i == 1 ? 1u : 5u * std::size_t(i - 1));
                        }
                }
                for (int i = 1; i <= 10; ++i)
                    EXPECT_EQ(drawn[i], 125) << "ball " << i;
                const Event last = LastImages(frames, start, holds[f]);
                const int* end = kFigureEnds[f];
                EXPECT_EQ(last.ball(1)->x, end[0]) << "figure " << f + 1;
                EXPECT_EQ(last.ball(1)->y, end[1]) << "figure " << f + 1;
                EXPECT_EQ(last.ball(10)->x, end[2]) << "figure " << f + 1;
                EXPECT_EQ(last.ball(10)->y, end[3]) << "figure " << f + 1;

                // Back to the centre after the first five, home after the last.
                const bool home = f == 5;
                Ball_A::BallArray cx, cy;
                cx.fill(488);
                cy.fill(360);
                ExpectGlideSetsOutFrom(last, frames[holds[f]], home ? rig.saver.formation().FormationX() : cx,
                                       home ? rig.saver.formation().FormationY() : cy, home ? n : 2 * n);
                start = holds[f] + (home ? 0 : 2 * std::size_t(n));
                for (std::size_t k = holds[f]; k < start; ++k)
                    ASSERT_EQ(Restores(frames[k]), 1);
            }
            EXPECT_EQ(frames.size(), start + 3 * std::size_t(n));
        }
    EXPECT_EQ(styles.size(), 2u) << "nine runs drew every figure in the same style";
}
