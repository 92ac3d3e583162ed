#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kSpeed = 15;

std::vector<Event> RunRod(double factor)
{
    Settings settings = ActionSettings(kSpeed);
    settings.g_SpeedFactor = factor;
    ActionRig rig(settings);
    const Ball_A& s = rig.saver;
    std::vector<Event> frames = frames_of(rig.Run(Act_RodAndBall));
    ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(), s.formation().CenterFormationY());
    return frames;
}

double Distance(const Event& frame, int a, double bx, double by)
{
    const int half = a == 11 ? 36 : 24;
    return std::hypot(frame.ball(a)->x + half - bx, frame.ball(a)->y + half - by);
}

} // namespace

// The length moves a hundredth a frame whatever the speed, so the third
// longest comes at frame 900, and the figure ends with the pass (one turn of
// the rod, k = 1 to 60 in steps of the factor) that holds it. Around the
// passes: glide in and glide out of n frames, the closing figure of 2n.
TEST(RodAndBall, EndsWithThePassThatHoldsFrame900)
{
    for (const auto& [factor, passes] :
         {std::pair<double, int>{1, 900}, {2, 900}, {0.25, 948}, {3.8, 57 * 16}}) {
        SCOPED_TRACE("factor " + std::to_string(factor));
        EXPECT_EQ(int(RunRod(factor).size()), kSpeed + passes + 3 * kSpeed);
    }
}

// On 1024 x 768: the glide in stands the rod upright, ball 10 H/8 = 96 below
// the centre, the centre ball one cell above ball 1. Then the hub circles
// the centre at 96; the rod collapses onto it at frame 100 and is 1.6 x 216
// long at 260, 580 and 900, where it turns over (the hub on top until 260,
// the far end until 580, the hub until 900); the centre ball circles ball
// 1's cell corner at 72.
TEST(RodAndBall, RodBreathesTurnsOverAndKeepsItsCircles)
{
    const std::vector<Event> frames = RunRod(1);
    ASSERT_EQ(frames.size(), std::size_t(4 * kSpeed + 900));
    const Event& rod = frames[kSpeed - 1];
    EXPECT_EQ(std::tie(rod.ball(10)->x, rod.ball(10)->y, rod.ball(1)->y), std::tuple(488, 456, 240));
    EXPECT_EQ(std::tie(rod.ball(11)->x, rod.ball(11)->y), std::tuple(512, 240 + 24 - 48 - 36));

    const std::vector<int> hub_on_top = {11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::vector<int> far_end_on_top = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 11};
    for (int f = 1; f <= 900; ++f) {
        const Event& frame = frames[std::size_t(kSpeed + f - 1)];
        std::vector<int> order;
        for (const Op& op : frame.ops)
            if (op.what == 'B')
                order.push_back(op.ball);
        const bool turned = (f >= 260 && f < 580) || f >= 900;
        ASSERT_EQ(order, turned ? far_end_on_top : hub_on_top) << "frame " << f;

        ASSERT_NEAR(Distance(frame, 10, 512, 384), 96, 1.5) << "hub off its circle, frame " << f;
        const double hub_x = frame.ball(10)->x + 24, hub_y = frame.ball(10)->y + 24;
        const double length = Distance(frame, 1, hub_x, hub_y);
        const double expected = f == 100 ? 0 : f == 200 ? 216 : f % 320 == 260 ? 345.6 : length;
        ASSERT_NEAR(length, expected, 1.5) << "rod length, frame " << f;
        ASSERT_NEAR(Distance(frame, 11, frame.ball(1)->x, frame.ball(1)->y), 72, 1.5)
            << "centre ball off its circle, frame " << f;
    }
}

// At factor 0.25 the hub moves a quarter sixtieth a frame and keeps going
// across passes (at frame 60 it is at 45 sixtieths, the left of its circle),
// while the centre ball's circle starts again with each pass of 237 frames:
// at 2 sixtieths, 14 right of and 71 above ball 1's corner.
TEST(RodAndBall, HubKeepsMovingAndCentreBallRestartsEachPass)
{
    const std::vector<Event> frames = RunRod(0.25);
    const Event& left = frames[kSpeed + 59];
    EXPECT_EQ(std::tie(left.ball(10)->x, left.ball(10)->y), std::tuple(416 - 24, 384 - 24));
    for (int f : {1, 238, 475, 712}) {
        const Event& first = frames[std::size_t(kSpeed + f - 1)];
        EXPECT_EQ(first.ball(11)->x - first.ball(1)->x, 14 - 36) << "frame " << f;
        EXPECT_EQ(first.ball(11)->y - first.ball(1)->y, -71 - 36) << "frame " << f;
    }
}
