#include "action_rig.h"

#include "engine/actions/actions.h"
#include "engine/actions/solid_rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace action_test;
using namespace test_support;

namespace {

// A loaded saver whose next random draw starts the figure towards (+5, +5):
// the action's first draw picks the direction, 0 of 0..3 being down-right.
std::unique_ptr<ActionRig> RigHeadingDownRight(std::int16_t speed)
{
    for (std::uint64_t seed = 1;; ++seed) {
        auto rig = std::make_unique<ActionRig>(ActionSettings(speed), 1024, 768, seed);
        Random peek = rig->random;
        if (int(std::floor(peek.Rnd() * 4)) == 0)
            return rig;
    }
}

// Frames (from 1) in which BounceSolidOffEdges reports a bounce.
std::vector<int> BounceFrames(const Ball_A& saver, SolidDrift drift, int count)
{
    std::vector<int> frames;
    for (int frame = 1; int(frames.size()) < count && frame < 100000; ++frame) {
        BounceSolidOffEdges(saver, drift);
        if (drift.bounced)
            frames.push_back(frame);
    }
    return frames;
}

} // namespace

TEST(SolidRotation, FirstBouncesOn1024x768)
{
    ActionRig rig;
    // The starting ring the edges are judged by.
    ASSERT_EQ(rig.saver.formation().FormationX()[3], 573);
    ASSERT_EQ(rig.saver.formation().FormationX()[8], 402);
    ASSERT_EQ(rig.saver.formation().FormationY()[5], 450);
    ASSERT_EQ(rig.saver.formation().FormationY()[10], 270);

    const std::vector<int> frames = BounceFrames(rig.saver, SolidDrift{}, 20);
    ASSERT_EQ(frames.size(), 20u);
    const int expected_first[] = {55, 81, 165, 243, 275};
    for (int b = 0; b < 5; ++b)
        EXPECT_EQ(frames[std::size_t(b)], expected_first[b])
            << "bounce " << b + 1 << ": expected frame " << expected_first[b] << " got " << frames[std::size_t(b)];
    EXPECT_EQ(frames[19], 1265) << "the 20th bounce";
}

TEST(SolidRotation, BounceReversesTowardsTheScreenAndCountsACornerOnce)
{
    ActionRig rig;
    SolidDrift drift;
    // One step short of both the right and the bottom edge: the next frame
    // passes both.
    drift.ox = 1024 - 48 - 573 - 1;
    drift.oy = 768 - 48 - 450 - 1;
    BounceSolidOffEdges(rig.saver, drift);
    EXPECT_TRUE(drift.bounced);
    EXPECT_EQ(drift.bounces, 1) << "a corner is one bounce";
    EXPECT_EQ(drift.vx, -5);
    EXPECT_EQ(drift.vy, -5);
    EXPECT_EQ(drift.ox, 1024 - 48 - 573 + 4) << "the step comes before the test";

    // A figure already beyond an edge keeps heading back in, never flips out.
    drift.vx = -5;
    drift.ox = -500;
    BounceSolidOffEdges(rig.saver, drift);
    EXPECT_EQ(drift.vx, 5);
    BounceSolidOffEdges(rig.saver, drift);
    EXPECT_EQ(drift.vx, 5);
}

TEST(SolidRotation, EndsAfterTheTurnHoldingTheTwentiethBounce)
{
    // 20th bounce in frame 1265: at speed 15 (turns of 30 frames) the turns
    // end after frame 1290; at speed 7 (14 frames) after 1274. Then the
    // glide home (n) and the closing figure (2n).
    for (const auto& [speed, turns_end] : {std::pair<std::int16_t, int>{15, 1290}, {7, 1274}}) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        auto rig = RigHeadingDownRight(speed);
        const auto fx = rig->saver.formation().FormationX(), fy = rig->saver.formation().FormationY();
        const double cx = rig->saver.formation().CenterFormationX(), cy = rig->saver.formation().CenterFormationY();
        const auto events = rig->Run(Act_SolidRotation);
        const auto frames = frames_of(events);
        EXPECT_EQ(int(frames.size()), turns_end + 3 * speed)
            << "expected " << turns_end + 3 * speed << " frames, got " << frames.size();
        ExpectEndsInFormation(rig->saver, frames, fx, fy, cx, cy);
        EXPECT_EQ(ClosingModes(events), std::vector<int>{1});
    }
}

TEST(SolidRotation, TheWayHomeStartsWhereTheBallsWereLastDrawn)
{
    // Ball i sets off from where ball 11 - i was drawn and the centre ball
    // from where it was drawn: the first frame of the glide home lies one
    // glide step from there, with no jump.
    for (std::uint64_t seed : {1u, 9u}) {
        ActionRig rig(ActionSettings(15), 1024, 768, seed);
        const auto frames = frames_of(rig.Run(Act_SolidRotation));
        const int n = 15;
        ASSERT_GT(frames.size(), std::size_t(3 * n + 1));
        const Event& last_turn = frames[frames.size() - 3 * n - 1];
        const Event& first_home = frames[frames.size() - 3 * n];
        auto near = [&](const Op* from, const Op* to, double fx, double fy) {
            const double step_x = std::abs(from->x - fx) / n + 1, step_y = std::abs(from->y - fy) / n + 1;
            return std::abs(to->x - from->x) <= step_x && std::abs(to->y - from->y) <= step_y;
        };
        for (int i = 1; i <= 10; ++i)
            EXPECT_TRUE(near(last_turn.ball(11 - i), first_home.ball(i), rig.saver.formation().FormationX()[i],
                             rig.saver.formation().FormationY()[i]))
                << "seed " << seed << " ball " << i << " jumped";
        EXPECT_TRUE(near(last_turn.ball(11), first_home.ball(11), rig.saver.formation().CenterFormationX(),
                         rig.saver.formation().CenterFormationY()))
            << "seed " << seed << ": the centre ball jumped from (" << last_turn.ball(11)->x << ", "
            << last_turn.ball(11)->y << ") to (" << first_home.ball(11)->x << ", "
            << first_home.ball(11)->y << ")";
    }
}

TEST(SolidRotation, EveryTurnMirrorsTheRingAboutItsPivotAndReturns)
{
    ActionRig rig;
    const auto frames = frames_of(rig.Run(Act_SolidRotation));
    const int n = 15;
    // The end of each turn's return leg draws the ring in formation, shifted
    // by the drift: every ball the same offset from its formation place.
    for (std::size_t end = 2 * n - 1; end + 3 * n < frames.size(); end += 2 * n) {
        const Op* b1 = frames[end].ball(1);
        const int ox = b1->x - 540, oy = b1->y - 287;
        for (int i = 1; i <= 10; ++i) {
            const Op* b = frames[end].ball(i);
            EXPECT_EQ(b->x - int(rig.saver.formation().FormationX()[i]), ox) << "frame " << end + 1 << " ball " << i;
            EXPECT_EQ(b->y - int(rig.saver.formation().FormationY()[i]), oy) << "frame " << end + 1 << " ball " << i;
        }
    }
}

// Through the scheduler with only this kind enabled, at the dialog's
// fastest, default and slowest speeds: whole turns until at least twenty
// bounces, the glide home and the closing figure, ending in formation.
TEST(SolidRotation, RunsToItsEndAloneAtSpeeds10To30)
{
    for (std::int16_t speed : {10, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        KindRun run = RunOnlyKind(5, speed);
        const Ball_A& s = run.rig->saver;
        const auto frames = frames_of(run.events);
        const int turns = int(frames.size()) - 3 * speed;
        EXPECT_EQ(turns % (2 * speed), 0) << "the turns are whole";
        EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});
        ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                              s.formation().CenterFormationY());
    }
}
