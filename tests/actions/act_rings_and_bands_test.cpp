#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kSpeed = 15;
constexpr int kLegs = 20;

bool OnRod(const Event& frame, const Ball_A::BallArray& rx, const Ball_A::BallArray& ry)
{
    for (int i = 1; i <= 10; ++i)
        if (frame.ball(i)->x != int(rx[std::size_t(i)]) || frame.ball(i)->y != int(ry[std::size_t(i)]))
            return false;
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
    std::vector<Event> frames_by_mode[3];
    for (std::int16_t mode : {1, 2}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        ActionRig rig(ActionSettings(kSpeed), 1024, 768, 7);
        const Ball_A& s = rig.saver;
        const std::vector<Event> events = rig.Run(Act_RingsAndBands, mode);
        const std::vector<Event>& frames = frames_by_mode[mode] = frames_of(events);
        ASSERT_EQ(frames.size(), std::size_t(40 * kSpeed + 2 * kSpeed))
            << "twenty legs of two glides, then the closing figure";

        int vertical = 0, horizontal = 0;
        for (int leg = 0; leg < kLegs; ++leg) {
            SCOPED_TRACE("leg " + std::to_string(leg + 1));
            const Event& band = frames[std::size_t(leg * 2 * kSpeed + kSpeed - 1)];
            vertical += OnRod(band, s.formation().VerticalRodX(), s.formation().VerticalRodY());
            horizontal += OnRod(band, s.formation().HorizontalRodX(), s.formation().HorizontalRodY());
            EXPECT_EQ(band.ball(11)->x, 476);
            EXPECT_EQ(band.ball(11)->y, 348);

            const Event& ring = frames[std::size_t(leg * 2 * kSpeed + 2 * kSpeed - 1)];
            const int tx = ring.ball(11)->x + 36, ty = ring.ball(11)->y + 36;
            const bool last = leg + 1 == kLegs;
            EXPECT_TRUE(last ? tx == 512 : tx >= 90 && tx <= 1024 - 90) << "middle x " << tx;
            EXPECT_TRUE(last ? ty == 384 : ty >= 90 && ty <= 768 - 90) << "middle y " << ty;
            // The same ring as the starting ring round the screen centre.
            for (int i = 1; i <= 10; ++i) {
                EXPECT_EQ(ring.ball(i)->x, int(s.formation().FormationX()[std::size_t(i)]) - 512 + tx);
                EXPECT_EQ(ring.ball(i)->y, int(s.formation().FormationY()[std::size_t(i)]) - 384 + ty);
            }
        }
        EXPECT_EQ(vertical + horizontal, kLegs) << "every band is one of the rods";
        EXPECT_GT(vertical, 0);
        EXPECT_GT(horizontal, 0);

        for (std::size_t f = 0; f < std::size_t(40 * kSpeed); ++f) {
            const bool erased = frames[f].ops.front().what == 'R';
            ASSERT_EQ(erased, mode == 1 || f % kSpeed == 0) << "frame " << f + 1;
        }
        int holds = 0;
        for (const Event& e : events)
            holds += e.ev == "sleep" && e.number("ms") == 1000;
        EXPECT_EQ(holds, mode == 2 ? 40 : 0);
    }

    for (std::size_t f = 0; f < frames_by_mode[1].size(); ++f)
        for (int ball = 1; ball <= 11; ++ball) {
            ASSERT_EQ(frames_by_mode[1][f].ball(ball)->x, frames_by_mode[2][f].ball(ball)->x) << "frame " << f + 1;
            ASSERT_EQ(frames_by_mode[1][f].ball(ball)->y, frames_by_mode[2][f].ball(ball)->y) << "frame " << f + 1;
        }
}
