#include "action_rig.h"

#include "engine/actions/actions.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

} // namespace

// Every move goes to the ring the saver's generator chose (its centre from
// 90 to W - 90 and H - 90, its radius by the shape), ball p + t taking ball
// p - t's place on it (p the pivot). A jump is one frame in ball order, a
// glide g_Speed frames in the fanning order. The way home ends with every
// ball on its own formation place, where the closing figure starts, so no
// ball jumps to its partner's place there.
TEST(RingWarp, MovesToTheGeneratorsRingsAndEndsOnEveryBallsOwnPlace)
{
    for (const auto& [speed, seed] : {std::pair<std::int16_t, std::uint64_t>{15, 1}, {7, 2}, {30, 3}}) {
        SCOPED_TRACE("speed " + std::to_string(speed) + " seed " + std::to_string(seed));
        ActionRig rig(ActionSettings(speed), 1024, 768, seed);
        const auto fx = rig.saver.FormationX, fy = rig.saver.FormationY;
        const std::vector<Move> plan = PlanMoves(rig.random, 1024, 768);
        const auto events = rig.Run(Act_RingWarp);
        const auto frames = FramesOf(events);

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
            at += move.jump ? 1 : std::size_t(speed);
            const Event& arrived = frames[at - 1];
            SCOPED_TRACE("move " + std::to_string(m + 1));
            EXPECT_EQ(arrived.ops[1].ball, move.jump ? 1 : Wrap(move.pivot + 2)) << "first ball drawn";
            for (int t = 0; t < 10; ++t) {
                const int ball = Wrap(move.pivot + t), slot = Wrap(move.pivot - t);
                const Op* op = arrived.Ball(ball);
                if (m + 1 == kMoves) {
                    EXPECT_TRUE(LandsOn(op->x, fx[std::size_t(ball)]) && LandsOn(op->y, fy[std::size_t(ball)]))
                        << "ball " << ball << " not home";
                    continue;
                }
                const double phi = gfx::clock_angle(6.0 * slot);
                EXPECT_NEAR(op->x + 24 - move.cx, move.radius * std::cos(phi), 1.01) << "ball " << ball;
                EXPECT_NEAR(op->y + 24 - move.cy, move.radius * std::sin(phi), 1.01) << "ball " << ball;
            }
            if (m + 1 < kMoves) {
                EXPECT_EQ(arrived.Ball(11)->x, move.cx - 36);
                EXPECT_EQ(arrived.Ball(11)->y, move.cy - 36);
            }
        }
    }
}
