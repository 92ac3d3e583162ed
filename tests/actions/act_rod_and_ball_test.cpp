#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

// Kind 15: a rod of ten balls turning about its hub (ball 10), which circles
// the screen centre, while the rod's length breathes between 0 and 1.6 times
// its rest length and the centre ball circles its far end.

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kSpeed = 15;

struct RodRun {
    std::vector<Event> events, frames;
    std::vector<Event> glide_in, passes, glide_out;
};

RodRun RunRod(double factor, std::int16_t speed = kSpeed)
{
    Settings s = ActionSettings(speed);
    s.g_SpeedFactor = factor;
    ActionRig rig(s);
    const auto fx = rig.saver.FormationX, fy = rig.saver.FormationY;
    const double cx = rig.saver.CenterFormationX, cy = rig.saver.CenterFormationY;
    RodRun run;
    run.events = rig.Run(Act_RodAndBall);
    run.frames = FramesOf(run.events);
    ExpectEndsInFormation(rig.saver, run.frames, fx, fy, cx, cy);
    EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});

    const std::size_t n = std::size_t(speed);
    EXPECT_GE(run.frames.size(), 4 * n);
    if (run.frames.size() < 4 * n)
        return run;
    const auto at = [&](std::size_t k) { return run.frames.begin() + std::ptrdiff_t(k); };
    run.glide_in.assign(at(0), at(n));
    run.passes.assign(at(n), at(run.frames.size() - 3 * n));
    run.glide_out.assign(at(run.frames.size() - 3 * n), at(run.frames.size() - 2 * n));
    return run;
}

std::vector<int> BallOrder(const Event& frame)
{
    std::vector<int> order;
    for (const Op& op : frame.ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    return order;
}

// A ball's centre as drawn.
double CentreX(const Event& frame, int ball) { return frame.Ball(ball)->x + (ball == 11 ? 36 : 24); }
double CentreY(const Event& frame, int ball) { return frame.Ball(ball)->y + (ball == 11 ? 36 : 24); }

const std::vector<int> kHubOnTop = {11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const std::vector<int> kFarEndOnTop = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 11};

} // namespace

// The length moves a hundredth a frame whatever the speed, so the third
// longest comes at frame 900; the figure ends with the pass (one turn of
// the rod, k = 1 to 60 in steps of the factor) that holds it. Around the
// passes: glide in and out of n frames each, then the closing figure.
TEST(RodAndBall, EndsWithThePassThatHoldsFrame900)
{
    for (const auto& [factor, per_pass, passes] :
         {std::tuple<double, int, int>{1, 60, 900}, {2, 30, 900}, {0.25, 237, 948},
          {3.8, 16, 912}}) {
        SCOPED_TRACE("factor " + std::to_string(factor));
        const RodRun run = RunRod(factor);
        EXPECT_EQ(int(run.frames.size()), kSpeed + passes + kSpeed + 2 * kSpeed);
        EXPECT_EQ(int(run.passes.size()), passes);
        EXPECT_EQ(passes % per_pass, 0);
    }
}

// The rod turns over at every longest: the hub lies on top (centre ball
// underneath) until frame 260, the far end (centre ball over all) from it
// to 579, the hub again from 580 to 899, and the far end from 900 on. The
// last frame of the passes, 900 at factor 1, is the first drawn turned over.
TEST(RodAndBall, TurnsOverAtEachLongest)
{
    const RodRun run = RunRod(1);
    ASSERT_EQ(run.passes.size(), 900u);
    for (int f = 1; f <= 900; ++f) {
        const bool turned = (f >= 260 && f < 580) || f >= 900;
        ASSERT_EQ(BallOrder(run.passes[std::size_t(f - 1)]), turned ? kFarEndOnTop : kHubOnTop)
            << "frame " << f;
    }
    EXPECT_EQ(BallOrder(run.glide_out.front()), (std::vector<int>{1, 2, 3, 4, 5, 11, 6, 7, 8, 9, 10}));
}

// On a 1024 x 768 screen: the glide in stands the rod upright with ball 10
// at H/8 = 96 below the centre and ball 1 216 above it, the centre ball one
// cell above ball 1; then the hub circles the centre at 96 pixels, the rod
// at rest reaches 216 from the hub (345.6 at its longest), it collapses
// onto the hub at frame 100, and the centre ball circles ball 1's cell
// corner at 72 pixels.
TEST(RodAndBall, RodHubAndCentreBallKeepTheirDistances)
{
    const RodRun run = RunRod(1);
    ASSERT_EQ(run.passes.size(), 900u);
    const Event& rod = run.glide_in.back();
    for (int m = 1; m <= 10; ++m) {
        EXPECT_EQ(rod.Ball(m)->x, 488) << "ball " << m;
        EXPECT_EQ(rod.Ball(m)->y, 456 - 24 * (10 - m)) << "ball " << m;
    }
    EXPECT_EQ(rod.Ball(11)->x, 512);
    EXPECT_EQ(rod.Ball(11)->y, 240 + 24 - 48 - 36);

    for (int f = 1; f <= 900; ++f) {
        const Event& frame = run.passes[std::size_t(f - 1)];
        const double hx = CentreX(frame, 10) - 512, hy = CentreY(frame, 10) - 384;
        ASSERT_NEAR(std::hypot(hx, hy), 96, 1.5) << "hub off its circle in frame " << f;
        const double far = std::hypot(CentreX(frame, 1) - CentreX(frame, 10),
                                      CentreY(frame, 1) - CentreY(frame, 10));
        if (f == 100) {
            ASSERT_LE(far, 1.5) << "the rod has collapsed onto its hub";
        }
        if (f == 260 || f == 580 || f == 900) {
            ASSERT_NEAR(far, 345.6, 1.5) << "longest at frame " << f;
        }
        const double cx = CentreX(frame, 11) - frame.Ball(1)->x;
        const double cy = CentreY(frame, 11) - frame.Ball(1)->y;
        ASSERT_NEAR(std::hypot(cx, cy), 72, 1.5) << "centre ball off its orbit in frame " << f;
    }
    // On its way up from frame 100 the rod is back at its rest length at 200.
    const Event& rest = run.passes[199];
    EXPECT_NEAR(std::hypot(CentreX(rest, 1) - CentreX(rest, 10), CentreY(rest, 1) - CentreY(rest, 10)),
                216, 1.5);
}

// The glide out starts from where the last frame drew every ball: its first
// frame stands one step of n from there towards the formation place.
TEST(RodAndBall, GlideOutStartsFromTheLastFrame)
{
    ActionRig rig;
    const RodRun run = RunRod(1);
    const Event& last = run.passes.back();
    const Event& first = run.glide_out.front();
    for (int i = 1; i <= 11; ++i) {
        const double tx = i == 11 ? rig.saver.CenterFormationX : rig.saver.FormationX[std::size_t(i)];
        const double ty = i == 11 ? rig.saver.CenterFormationY : rig.saver.FormationY[std::size_t(i)];
        const double ex = last.Ball(i)->x + (tx - last.Ball(i)->x) / kSpeed;
        const double ey = last.Ball(i)->y + (ty - last.Ball(i)->y) / kSpeed;
        EXPECT_LE(std::abs(first.Ball(i)->x - ex), 1.0) << "ball " << i;
        EXPECT_LE(std::abs(first.Ball(i)->y - ey), 1.0) << "ball " << i;
    }
}
