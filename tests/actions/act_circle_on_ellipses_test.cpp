#include "figure_checks.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace action_test;
using namespace test_support;

namespace {
constexpr int kHalf = 120; // frames of each half of the figure
} // namespace

// Gather (n), two halves of 120 frames whatever the speed, glide home (n)
// from where the balls were last drawn, closing figure (2n). The centre ball
// never moves and is drawn between balls 5 and 6.
TEST(CircleOnEllipses, TwoHalvesOf120FramesAtEverySpeedTheCentreBallStill)
{
    for (std::int16_t n : {1, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(n));
        ActionRig rig(ActionSettings(n));
        const auto frames = frames_of(rig.Run(Act_CircleOnEllipses));
        ASSERT_EQ(int(frames.size()), n + 2 * kHalf + n + 2 * n);
        for (int k = n; k < n + 2 * kHalf; ++k) {
            const Event& f = frames[std::size_t(k)];
            ASSERT_EQ(BallOrder(f), (std::vector<int>{1, 2, 3, 4, 5, 11, 6, 7, 8, 9, 10}));
            ASSERT_TRUE(f.ball(11)->x == 476 && f.ball(11)->y == 348) << "frame " << k;
        }
        const std::size_t home = std::size_t(n + 2 * kHalf);
        ExpectGlideSetsOutFrom(frames[home - 1], frames[home], rig.saver.formation().FormationX(),
                               rig.saver.formation().FormationY(), n);
    }
}

// At speed factor 1 on 1024 x 768 the first frame draws ball 10 (big clock
// 60.5, small clock 34) at (586, 263) and ball 1 (6.5 and 40) at (555, 270).
// In the first half the balls reach far out across; at its end the large
// ellipse has no width, so every ball is within its small ellipse's
// half-width (72/1.25 = 57.6) of the vertical centre line. The second half
// starts with the large ellipse (almost) without height, every ball within
// 72/1.26 of the horizontal centre line, and keeps its width at 162 + 72.
TEST(CircleOnEllipses, WorkedFirstFrameAndTheDepthClosingWidthThenHeight)
{
    ActionRig rig;
    const auto frames = frames_of(rig.Run(Act_CircleOnEllipses));
    const std::size_t n = 15;
    EXPECT_EQ(frames[n].ball(10)->x, 586);
    EXPECT_EQ(frames[n].ball(10)->y, 263);
    EXPECT_EQ(frames[n].ball(1)->x, 555);
    EXPECT_EQ(frames[n].ball(1)->y, 270);

    double widest[2] = {0, 0}; // per half
    for (int k = 0; k < 2 * kHalf; ++k)
        for (int i = 1; i <= 10; ++i) {
            double& w = widest[k / kHalf];
            w = std::max(w, std::abs(CentreX(frames[n + std::size_t(k)], i) - 512));
        }
    EXPECT_GT(widest[0], 400);
    EXPECT_GT(widest[1], 200);
    EXPECT_LE(widest[1], 162 + 72 + 1);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_LE(std::abs(CentreX(frames[n + kHalf - 1], i) - 512), 57.6 + 1) << "ball " << i;
        EXPECT_LE(std::abs(CentreY(frames[n + kHalf], i) - 384), 57.2 + 1.5) << "ball " << i;
    }
}
