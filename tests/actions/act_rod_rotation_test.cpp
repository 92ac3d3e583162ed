#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kSpeed = 15;

int Restores(const Event& frame)
{
    int count = 0;
    for (const Op& op : frame.ops)
        count += op.what == 'R';
    return count;
}

// The balls in the order a frame drew them.
std::vector<int> BallOrder(const Event& frame)
{
    std::vector<int> order;
    for (const Op& op : frame.ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    return order;
}

struct RodRun {
    std::vector<Event> events;
    std::vector<Event> frames;
    Ball_A::BallArray fx{}, fy{};
    double cx = 0, cy = 0;
};

RodRun RunRod(ActionRig& rig, std::int16_t mode)
{
    RodRun run;
    run.fx = rig.saver.formation().FormationX();
    run.fy = rig.saver.formation().FormationY();
    run.cx = rig.saver.formation().CenterFormationX();
    run.cy = rig.saver.formation().CenterFormationY();
    run.events = rig.Run(Act_RodRotation, mode);
    run.frames = frames_of(run.events);
    return run;
}

Settings WithFactor(double factor)
{
    Settings s = ActionSettings(kSpeed);
    s.g_SpeedFactor = factor;
    return s;
}

} // namespace

// Frames per repetition follow the speed factor through the real-valued
// spin loop: 30 at factor 1, 15 at factor 2, 119 at factor 0.25. Around them:
// glide in (n), the flip in mode 1 (2n), glide out (n), closing figure (2n).
TEST(RodRotation, RepetitionFrameCountsFollowTheSpeedFactor)
{
    const int n = kSpeed;
    for (const auto& [factor, per_repetition] :
         {std::pair<double, int>{1, 30}, {2, 15}, {0.25, 119}}) {
        for (std::int16_t mode : {1, 2}) {
            SCOPED_TRACE("factor " + std::to_string(factor) + " mode " + std::to_string(mode));
            ActionRig rig(WithFactor(factor));
            const RodRun run = RunRod(rig, mode);
            const int repetitions = mode == 1 ? 20 : 10;
            const int expected = n + (mode == 1 ? 2 * n : 0) + repetitions * per_repetition + n + 2 * n;
            EXPECT_EQ(int(run.frames.size()), expected)
                << "expected " << expected << " frames, got " << run.frames.size();
            EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});
            ExpectEndsInFormation(rig.saver, run.frames, run.fx, run.fy, run.cx, run.cy);
        }
    }
}

// Mode 2 erases once at the start of a repetition and then again only once
// the trail counter (the factor per frame) reaches 15: from the 15th frame at
// factor 1, the 8th at factor 2, the 60th at factor 0.25.
TEST(RodRotation, TrailModeErasesOnlyOnceTheTrailIsLongEnough)
{
    for (const auto& [factor, per_repetition, first_erase] :
         {std::tuple<double, int, int>{1, 30, 15}, {2, 15, 8}, {0.25, 119, 60}}) {
        SCOPED_TRACE("factor " + std::to_string(factor));
        ActionRig rig(WithFactor(factor));
        const RodRun run = RunRod(rig, 2);
        for (int rep = 0; rep < 10; ++rep) {
            for (int f = 1; f <= per_repetition; ++f) {
                const Event& frame = run.frames[std::size_t(kSpeed + rep * per_repetition + f - 1)];
                const int expected = (f == 1 ? 1 : 0) + (f >= first_erase ? 1 : 0);
                ASSERT_EQ(Restores(frame), expected)
                    << "repetition " << rep + 1 << " frame " << f << ": expected " << expected
                    << " restores, got " << Restores(frame);
            }
        }
    }
}

// The small balls shrink by 1.92 pixels a frame over the first half turn and
// grow back; at factor 0.25 the size passes below zero and the balls are
// drawn mirrored (a negative stamp size), never skipped.
TEST(RodRotation, TrailModeShrinksAndGrowsTheBallsEvenThroughNegativeSizes)
{
    {
        ActionRig rig(WithFactor(1));
        const RodRun run = RunRod(rig, 2);
        const Event& smallest = run.frames[std::size_t(kSpeed + 14)];
        const Event& last = run.frames[std::size_t(kSpeed + 29)];
        for (int i = 1; i <= 10; ++i) {
            EXPECT_EQ(smallest.ball(i)->w, 19) << "48 - 15 x 1.92 = 19.2";
            EXPECT_EQ(smallest.ball(i)->h, 19);
            EXPECT_EQ(last.ball(i)->w, 48) << "back to full size after 30 frames";
        }
        EXPECT_EQ(smallest.ball(11)->w, 72) << "the centre ball is never scaled";
    }
    {
        ActionRig rig(WithFactor(0.25));
        const RodRun run = RunRod(rig, 2);
        const Event& smallest = run.frames[std::size_t(kSpeed + 57)];
        EXPECT_EQ(smallest.ball(1)->w, -63) << "48 - 58 x 1.92 = -63.36, drawn mirrored";
        EXPECT_EQ(smallest.ball(1)->h, -63);
        EXPECT_EQ(smallest.ball(11)->w, 72);
        EXPECT_EQ(run.frames[std::size_t(kSpeed + 58)].ball(1)->w, -61) << "growing again";
    }
}

// Mode 1 flips the rod end over end and back before spinning: every ball
// slides to its mirror partner's place and returns, the centre ball drawn
// right after ball 5 both ways; then every spin frame is erased first.
TEST(RodRotation, FlipTurnsTheRodUpsideDownAndBack)
{
    ActionRig rig;
    const RodRun run = RunRod(rig, 1);
    const Ball_A& s = rig.saver;
    const int n = kSpeed;
    const Event& in_rod = run.frames[std::size_t(n - 1)];
    const Event& flipped = run.frames[std::size_t(2 * n - 1)];
    const Event& back = run.frames[std::size_t(3 * n - 1)];
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(in_rod.ball(i)->y, int(s.formation().VerticalRodY()[i])) << "ball " << i << " in the rod";
        EXPECT_EQ(flipped.ball(i)->x, int(s.formation().VerticalRodX()[i]));
        EXPECT_EQ(flipped.ball(i)->y, int(s.formation().VerticalRodY()[11 - i]))
            << "ball " << i << " should stand where ball " << 11 - i << " stood";
        EXPECT_EQ(back.ball(i)->y, int(s.formation().VerticalRodY()[i])) << "ball " << i << " back in place";
    }
    EXPECT_EQ(BallOrder(flipped), (std::vector<int>{1, 2, 3, 4, 5, 11, 6, 7, 8, 9, 10}));
    EXPECT_EQ(BallOrder(back), (std::vector<int>{10, 9, 8, 7, 6, 5, 11, 4, 3, 2, 1}));

    for (int f = 3 * n; f < 3 * n + 20 * 30; ++f) {
        const Event& frame = run.frames[std::size_t(f)];
        ASSERT_EQ(Restores(frame), 1) << "spin frame " << f + 1;
        ASSERT_EQ(frame.ops.front().what, 'R');
        ASSERT_EQ(BallOrder(frame), (std::vector<int>{1, 2, 3, 4, 5, 11, 6, 7, 8, 9, 10}));
        ASSERT_EQ(frame.ball(11)->w, 72);
    }
}

// Each repetition starts the rod's middle (the centre ball's centre) at the
// screen centre, or, in the vertical cases, (W - H)/10 = 25.6 pixels below or
// above it, since the orbit's radius is W/10 in every case.
TEST(RodRotation, RepetitionsStartAtTheScreenCentreOrAQuarterOfWMinusHOff)
{
    ActionRig rig;
    const RodRun run = RunRod(rig, 1);
    std::set<int> starts; // -1 above, 0 centre, +1 below
    for (int rep = 0; rep < 20; ++rep) {
        const Op* centre = run.frames[std::size_t(3 * kSpeed + rep * 30)].ball(11);
        const double mx = centre->x + 36, my = centre->y + 36;
        EXPECT_NEAR(mx, 512, 1.5) << "repetition " << rep + 1;
        int which = 2;
        for (int k : {-1, 0, 1})
            if (std::abs(my - (384 + 25.6 * k)) <= 1.5)
                which = k;
        EXPECT_NE(which, 2) << "repetition " << rep + 1 << " starts at y " << my;
        starts.insert(which);
    }
    EXPECT_EQ(starts.size(), 3u) << "20 repetitions used every kind of start";
}

// Through the scheduler with only this kind enabled, at the dialog's
// fastest, default and slowest speeds: it runs to its closing figure and
// leaves the balls in formation.
TEST(RodRotation, RunsToItsEndAloneAtSpeeds10To30)
{
    for (int kind : {2, 14}) {
        for (std::int16_t speed : {10, 15, 30}) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " speed " + std::to_string(speed));
            KindRun run = RunOnlyKind(kind, speed);
            const Ball_A& s = run.rig->saver;
            const auto frames = frames_of(run.events);
            const int per_repetition = speed == 10 ? 15 : speed == 15 ? 30 : 119;
            const int expected = kind == 2 ? 3 * speed + 20 * per_repetition + 3 * speed
                                           : speed + 10 * per_repetition + 3 * speed;
            EXPECT_EQ(int(frames.size()), expected);
            EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});
            ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                                  s.formation().CenterFormationY());
        }
    }
}
