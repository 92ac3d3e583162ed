#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

using namespace action_test;
using namespace test_support;

namespace {

std::vector<int> BallOrder(const Event& frame)
{
    std::vector<int> order;
    for (const Op& op : frame.ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    return order;
}

void ExpectAt(const Event& frame, int ball, int x, int y)
{
    const Op* op = frame.ball(ball);
    ASSERT_NE(op, nullptr) << "ball " << ball << " missing: " << frame.line;
    EXPECT_EQ(op->x, x) << "ball " << ball;
    EXPECT_EQ(op->y, y) << "ball " << ball;
}

} // namespace

// An opening of g_Speed + 1 frames (also at speeds such as 7 and 11, where
// the added-up angle lands a hair above 60), turns of 2 g_Speed frames until
// the ring has come onto the left circle four times (the fourth time 27 n - 1
// frames into the turns: in the fourteenth turn, or the thirteenth at speed
// 1), the glide home and the closing figure. The opening draws the ring by ball number
// with the centre ball on top; the turns draw in the fan order of pivots
// 1, 2, 3, 4, 6, 7, 8, 9, 1, ... with the centre ball after the fifth ball.
TEST(PassThrough, OpeningTurnsAndGlideHomeTakeTheirFrames)
{
    const std::vector<int> opening_order{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const int pivots[14] = {1, 2, 3, 4, 6, 7, 8, 9, 1, 2, 3, 4, 6, 7};
    for (const auto& [n, turns] : {std::pair<std::int16_t, int>{1, 13}, {7, 14}, {10, 14},
                                   {11, 14}, {15, 14}, {30, 14}}) {
        SCOPED_TRACE("speed " + std::to_string(n));
        ActionRig rig(ActionSettings(n));
        const std::vector<Event> frames = frames_of(rig.Run(Act_PassThrough));
        ASSERT_EQ(frames.size(), std::size_t((n + 1) + turns * 2 * n + n + 2 * n));
        for (int f = 0; f <= n; ++f)
            ASSERT_EQ(BallOrder(frames[std::size_t(f)]), opening_order) << "opening frame " << f + 1;
        for (int turn = 0; turn < turns; ++turn) {
            const std::vector<int> order = BallOrder(frames[std::size_t(n + 1 + turn * 2 * n)]);
            const int p = pivots[turn];
            ASSERT_EQ(order.size(), 11u);
            EXPECT_EQ(order[0], (p + 1) % 10 + 1) << "turn " << turn + 1 << ": p + 2 first";
            EXPECT_EQ(order[5], 11) << "turn " << turn + 1;
        }
    }
}

// On 1024 x 768 the circles have the radius 211 and touch at the centre.
// Fifteen frames into the turns the ring's middle and the centre ball meet
// at the right end of the right circle, x = 934: the pivot ball 1 and ball 6
// opposite it keep their places in the ring, carried 422 pixels right. After
// 44 frames both change to the left circle at the screen centre, where the
// ring stands on the starting ring again.
TEST(PassThrough, RingAndCentreBallMeetOnTheFarSideAndChangeCirclesAtTheCentre)
{
    ActionRig rig;
    const Ball_A& s = rig.saver;
    const std::vector<Event> frames = frames_of(rig.Run(Act_PassThrough));
    const std::size_t turns = 16;

    const Event& meeting = frames[turns + 14];
    ExpectAt(meeting, 11, 934 - 36, 384 - 36);
    ExpectAt(meeting, 1, int(s.formation().FormationX()[1]) + 422, int(s.formation().FormationY()[1]));
    ExpectAt(meeting, 6, int(s.formation().FormationX()[6]) + 422, int(s.formation().FormationY()[6]));

    const Event& change = frames[turns + 43]; // turn 2, pivot 2: balls 2 and 7 stay
    ExpectAt(change, 11, 512 - 36, 384 - 36);
    ExpectAt(change, 2, int(s.formation().FormationX()[2]), int(s.formation().FormationY()[2]));
    ExpectAt(change, 7, int(s.formation().FormationX()[7]), int(s.formation().FormationY()[7]));

    // The opening starts with the ring on the starting ring.
    for (int i = 1; i <= 10; ++i)
        ExpectAt(frames[0], i, int(s.formation().FormationX()[std::size_t(i)]), int(s.formation().FormationY()[std::size_t(i)]));
}
