#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kSpeed = 15;
constexpr int kLegs = 20;

int Restores(const Event& frame)
{
    int count = 0;
    for (const Op& op : frame.ops)
        count += op.what == 'R';
    return count;
}

bool OnRod(const Event& frame, const Ball_A::BallArray& rx, const Ball_A::BallArray& ry)
{
    for (int i = 1; i <= 10; ++i) {
        const Op* op = frame.Ball(i);
        if (!op || op->x != int(rx[std::size_t(i)]) || op->y != int(ry[std::size_t(i)]))
            return false;
    }
    return true;
}

} // namespace

// Both kinds, one seed: every leg glides into one of the two rods (the centre
// ball on its own place in the middle) and out into a ring of radius 90 whose
// middle keeps 90 pixels from every edge and carries the centre ball; the
// last leg ends in the formation. Both kinds make the same choices; kind 13
// erases only before the first frame of each glide and holds each trail
// picture for a second.
TEST(RingsAndBands, LegsRunFromBandToRingAndTheTrailKindMatchesTheCleanOne)
{
    std::vector<Event> frames_of[3];
    std::vector<Event> events_of[3];
    for (std::int16_t mode : {1, 2}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        ActionRig rig(ActionSettings(kSpeed), 1024, 768, 7);
        const Ball_A& s = rig.saver;
        events_of[mode] = rig.Run(Act_RingsAndBands, mode);
        const std::vector<Event> frames = FramesOf(events_of[mode]);
        ASSERT_EQ(frames.size(), std::size_t(40 * kSpeed + 2 * kSpeed))
            << "twenty legs of two glides, then the closing figure";

        int vertical = 0, horizontal = 0;
        for (int leg = 0; leg < kLegs; ++leg) {
            SCOPED_TRACE("leg " + std::to_string(leg + 1));
            const Event& band = frames[std::size_t(leg * 2 * kSpeed + kSpeed - 1)];
            vertical += OnRod(band, s.VerticalRodX, s.VerticalRodY);
            horizontal += OnRod(band, s.HorizontalRodX, s.HorizontalRodY);
            EXPECT_EQ(band.Ball(11)->x, 476);
            EXPECT_EQ(band.Ball(11)->y, 348);

            const Event& ring = frames[std::size_t(leg * 2 * kSpeed + 2 * kSpeed - 1)];
            const int tx = ring.Ball(11)->x + 36, ty = ring.Ball(11)->y + 36;
            if (leg + 1 == kLegs) {
                EXPECT_EQ(tx, 512);
                EXPECT_EQ(ty, 384);
            } else {
                EXPECT_GE(tx, 90);
                EXPECT_LE(tx, 1024 - 90);
                EXPECT_GE(ty, 90);
                EXPECT_LE(ty, 768 - 90);
            }
            // The starting ring is the same ring around the screen centre.
            for (int i = 1; i <= 10; ++i) {
                EXPECT_EQ(ring.Ball(i)->x, int(s.FormationX[std::size_t(i)]) - 512 + tx);
                EXPECT_EQ(ring.Ball(i)->y, int(s.FormationY[std::size_t(i)]) - 384 + ty);
            }
        }
        EXPECT_EQ(vertical + horizontal, kLegs) << "every band is one of the rods";
        EXPECT_GT(vertical, 0);
        EXPECT_GT(horizontal, 0);

        for (std::size_t f = 0; f < std::size_t(40 * kSpeed); ++f) {
            const int expected = mode == 1 || f % kSpeed == 0 ? 1 : 0;
            ASSERT_EQ(Restores(frames[f]), expected) << "frame " << f + 1;
        }
        int holds = 0;
        for (const Event& e : events_of[mode])
            holds += e.ev == "sleep" && e.Number("ms") == 1000;
        EXPECT_EQ(holds, mode == 2 ? 40 : 0);
        frames_of[mode] = frames;
    }

    for (std::size_t f = 0; f < frames_of[1].size(); ++f)
        for (int ball = 1; ball <= 11; ++ball) {
            const Op* clean = frames_of[1][f].Ball(ball);
            const Op* trail = frames_of[2][f].Ball(ball);
            ASSERT_TRUE(clean && trail);
            ASSERT_EQ(clean->x, trail->x) << "frame " << f + 1 << " ball " << ball;
            ASSERT_EQ(clean->y, trail->y) << "frame " << f + 1 << " ball " << ball;
        }
}

// In the first glide of the first leg the centre ball already stands on its
// place in the band, so it does not move.
TEST(RingsAndBands, CentreBallStaysPutWhileTheFirstBandForms)
{
    ActionRig rig;
    const std::vector<Event> frames = FramesOf(rig.Run(Act_RingsAndBands, 1));
    for (int f = 0; f < kSpeed; ++f) {
        EXPECT_EQ(frames[std::size_t(f)].Ball(11)->x, 476) << "frame " << f + 1;
        EXPECT_EQ(frames[std::size_t(f)].Ball(11)->y, 348) << "frame " << f + 1;
    }
}
