#include "action_rig.h"

#include "engine/actions/actions.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kMoves = 40;

// One move as the saver's generator decides it, read off a copy of the
// generator in the order the action draws: the first ring's shape, then per
// move the ring's centre (not on the way home), the pivot, jump or glide,
// and the next shape.
struct Move {
    int cx = 0, cy = 0, pivot = 0;
    double radius = 0; // 135, 45 or 90
    bool jump = false;
};

std::vector<Move> PlanMoves(Random generator, double W, double H)
{
    const double radius_of_shape[3] = {135, 45, 90};
    std::vector<Move> moves(kMoves);
    int shape = gfx::floor_int(generator.Rnd() * 3);
    for (int m = 0; m < kMoves; ++m) {
        Move& move = moves[std::size_t(m)];
        if (m + 1 < kMoves) {
            move.cx = gfx::floor_int((W - 179) * generator.Rnd() + 90);
            move.cy = gfx::floor_int((H - 179) * generator.Rnd() + 90);
            move.radius = radius_of_shape[shape];
        }
        move.pivot = gfx::floor_int(10 * generator.Rnd() + 1);
        move.jump = gfx::floor_int(generator.Rnd() * 3) == 0;
        shape = gfx::floor_int(generator.Rnd() * 3);
    }
    return moves;
}

int Wrap(int ball) { return (ball + 19) % 10 + 1; } // into 1..10

struct Case {
    std::int16_t speed;
    std::uint64_t seed;
};

// Seeds whose 40th move mirrors about each pivot 1..10 in turn, at speeds
// from 1 to 30. The pivots do not depend on the screen, so a tiny one finds
// them.
std::vector<Case> EveryLastPivot()
{
    std::vector<Case> cases;
    for (int pivot = 1; pivot <= 10; ++pivot) {
        const std::int16_t speed = std::int16_t(pivot * 3);
        for (std::uint64_t seed = 1; seed < 1000; ++seed) {
            ActionRig probe(ActionSettings(speed), 8, 8, seed);
            if (PlanMoves(probe.random, 8, 8).back().pivot == pivot) {
                cases.push_back({speed, seed});
                break;
            }
        }
    }
    return cases;
}

} // namespace

// Every move goes to the ring the saver's generator chose (its centre from
// 90 to W - 90 and H - 90, its radius by the shape), ball p + t taking ball
// p - t's place on it (p the pivot). A jump is one frame in ball order, a
// glide g_Speed frames in the fanning order. The 40th move goes to the
// formation ring, mirrored like every other: ball p + t on ball p - t's
// formation place, whatever the pivot. The closing figure then sets out from
// every ball's own place: halfway through it ball P + t stands on ball
// P - t's formation place, P its own pivot.
TEST(RingWarp, MovesToTheGeneratorsRingsMirroredAboutEachPivotUpToTheFormationRing)
{
    std::vector<Case> cases{{15, 1}, {7, 2}, {30, 3}};
    const std::vector<Case> last_pivots = EveryLastPivot();
    ASSERT_EQ(last_pivots.size(), 10u) << "a pivot no seed gives";
    cases.insert(cases.end(), last_pivots.begin(), last_pivots.end());
    for (const auto& [speed, seed] : cases) {
        SCOPED_TRACE("speed " + std::to_string(speed) + " seed " + std::to_string(seed));
        ActionRig rig(ActionSettings(speed), 1024, 768, seed);
        const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
        const std::vector<Move> plan = PlanMoves(rig.random, 1024, 768);
        const auto events = rig.Run(Act_RingWarp);
        const auto frames = frames_of(events);

        int expected_frames = 2 * speed, jumps = 0;
        for (const Move& move : plan) {
            expected_frames += move.jump ? 1 : speed;
            jumps += move.jump;
        }
        ASSERT_EQ(int(frames.size()), expected_frames);
        EXPECT_GT(jumps, 0);
        EXPECT_LT(jumps, kMoves);
        EXPECT_EQ(ClosingModes(events), std::vector<int>{1});

        std::size_t at = 0;
        for (int m = 0; m < kMoves; ++m) {
            const Move& move = plan[std::size_t(m)];
            const bool home = m + 1 == kMoves;
            at += move.jump ? 1 : std::size_t(speed);
            const Event& arrived = frames[at - 1];
            SCOPED_TRACE("move " + std::to_string(m + 1) + " pivot " + std::to_string(move.pivot));
            EXPECT_EQ(arrived.ops[1].ball, move.jump ? 1 : Wrap(move.pivot + 2)) << "first ball drawn";
            for (int t = 0; t < 10; ++t) {
                const int ball = Wrap(move.pivot + t), slot = Wrap(move.pivot - t);
                const Op* op = arrived.ball(ball);
                if (home) {
                    EXPECT_TRUE(DrawnAt(op->x, fx[std::size_t(slot)]) && DrawnAt(op->y, fy[std::size_t(slot)]))
                        << "ball " << ball << " at (" << op->x << ", " << op->y << "), not on ball "
                        << slot << "'s formation place";
                    continue;
                }
                const double phi = gfx::clock_angle(6.0 * slot);
                EXPECT_NEAR(op->x + 24 - move.cx, move.radius * std::cos(phi), 1.01) << "ball " << ball;
                EXPECT_NEAR(op->y + 24 - move.cy, move.radius * std::sin(phi), 1.01) << "ball " << ball;
            }
            if (!home) {
                EXPECT_EQ(arrived.ball(11)->x, move.cx - 36);
                EXPECT_EQ(arrived.ball(11)->y, move.cy - 36);
            }
        }

        const std::size_t closing = index_of(events, "closing");
        ASSERT_LT(closing, events.size());
        const int P = int(events[closing].number("pivot"));
        const Event& halfway = frames[at + std::size_t(speed) - 1];
        for (int t = 0; t < 10; ++t) {
            const int ball = Wrap(P + t), slot = Wrap(P - t);
            const Op* op = halfway.ball(ball);
            EXPECT_TRUE(DrawnAt(op->x, fx[std::size_t(slot)]) && DrawnAt(op->y, fy[std::size_t(slot)]))
                << "closing pivot " << P << ": ball " << ball << " at (" << op->x << ", " << op->y
                << ") halfway";
        }
    }
}
