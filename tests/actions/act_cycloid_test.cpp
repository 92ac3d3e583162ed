#include "action_rig.h"

#include "engine/actions/actions.h"
#include "engine/actions/cycloid_curve.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using namespace action_test;
using namespace test_support;

namespace {

constexpr int kCurveFrames = 4 * 176;

// Each frame of a run with whether a second pause ("sleep") followed it.
struct PacedFrame {
    Event frame;
    bool second_pause = false;
};

// The run of one action, cut into its parts: n gathering frames, the curve
// frames, n return frames, then the 2n of the closing figure.
struct CycloidRun {
    std::vector<PacedFrame> gather, curves, glide, closing;
};

CycloidRun Cut(const std::vector<Event>& events, int n)
{
    std::vector<PacedFrame> all;
    std::size_t closing_at = 0;
    for (const Event& e : events) {
        if (e.ev == "frame")
            all.push_back({e, false});
        else if (e.ev == "sleep" && !all.empty())
            all.back().second_pause = true;
        else if (e.ev == "closing")
            closing_at = all.size();
    }
    CycloidRun run;
    EXPECT_GE(closing_at, std::size_t(2 * n));
    if (closing_at < std::size_t(2 * n))
        return run;
    const auto at = [&](std::size_t k) { return all.begin() + std::ptrdiff_t(k); };
    run.gather.assign(at(0), at(std::size_t(n)));
    run.curves.assign(at(std::size_t(n)), at(closing_at - std::size_t(n)));
    run.glide.assign(at(closing_at - std::size_t(n)), at(closing_at));
    run.closing.assign(at(closing_at), all.end());
    return run;
}

// A ball's centre as drawn in a frame.
std::pair<int, int> CentreOf(const Event& frame, int ball)
{
    const Op* op = frame.ball(ball);
    EXPECT_NE(op, nullptr) << "ball " << ball << " missing: " << frame.line;
    const int half = ball == 11 ? 36 : 24;
    return op ? std::pair{op->x + half, op->y + half} : std::pair{0, 0};
}

CycloidCurve Curve(double a) { return {a, float(20.0 / 7), 27}; }

} // namespace

TEST(CycloidMath, CurveStartsAtAPlus27PiAndClosesAfter14Pi)
{
    for (double a : {5.0, 8.0, 11.0, 14.0}) {
        EXPECT_EQ(Cyc_X(Curve(a), 0), float((a + 27) * gfx::kPi)) << "A = " << a;
        EXPECT_EQ(Cyc_Y(Curve(a), 0), 0.0f) << "A = " << a;
        // gcd(20, 7) = 1: after 7 turns of t the curve is back where it began.
        const float period = float(7 * gfx::kTwoPi);
        EXPECT_NEAR(Cyc_X(Curve(a), period), Cyc_X(Curve(a), 0), 1e-3) << "A = " << a;
        EXPECT_NEAR(Cyc_Y(Curve(a), period), 0, 1e-3) << "A = " << a;
    }
    EXPECT_NEAR(Cyc_X(Curve(14), 0), 128.805, 1e-3);
}

TEST(CycloidMath, FigureEightChangesCirclesAtTheCentreAtEverySpeed)
{
    const double width = 1024, centre_y = 384;
    for (std::int16_t speed = 1; speed <= 30; ++speed) {
        const double factor = speed_factor_for(speed);
        SCOPED_TRACE("speed " + std::to_string(speed) + " factor " + std::to_string(factor));
        CurveOrbit orbit;
        int switches = 0;
        bool forward = orbit.OrbitForward;
        for (int frame = 0; frame < 4 * 175; ++frame) {
            move_curve_center(orbit, factor, width, centre_y);
            ASSERT_GE(orbit.OrbitClock, -15 - factor);
            ASSERT_LE(orbit.OrbitClock, 75 + factor);
            // Either circle keeps the middle within [W/4, 3W/4].
            ASSERT_GE(orbit.CurveCenterX, width / 4 - 1);
            ASSERT_LE(orbit.CurveCenterX, 3 * width / 4 + 1);
            if (orbit.OrbitForward != forward) {
                ++switches;
                forward = orbit.OrbitForward;
                // The switch happens at the touching point, give or take one step.
                const double step = 2 * gfx::kPi * (width / 8) * factor / 60;
                EXPECT_LE(std::abs(orbit.CurveCenterX - width / 2), step + 1) << "switch " << switches;
                EXPECT_LE(std::abs(orbit.CurveCenterY - centre_y), step + 1) << "switch " << switches;
            }
        }
        // 700 frames of `factor` minutes go round about 700 * factor / 60 circles.
        EXPECT_GE(switches, int(700 * factor / 60) - 1);
        EXPECT_GE(switches, 2);
    }
}

TEST(CycloidMath, AtFactor1_2TheClockStepsPast75AndStillSwitches)
{
    CurveOrbit orbit;
    double before = orbit.OrbitClock;
    int frames = 0;
    while (orbit.OrbitForward && frames < 100) {
        before = orbit.OrbitClock;
        move_curve_center(orbit, 1.2, 1024, 384);
        ++frames;
    }
    ASSERT_FALSE(orbit.OrbitForward) << "the clock never left the left circle";
    EXPECT_EQ(frames, 50);
    EXPECT_NE(before + 1.2, 75.0) << "this factor is meant to step past 75, not onto it";
    EXPECT_EQ(orbit.OrbitClock, 45);
}

TEST(Cycloid, FourCurvesOf176FramesWithADoubledPause)
{
    Settings s = ActionSettings(15);
    s.g_PcSpec = 7;
    ActionRig rig(s);
    const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
    const double cx = rig.saver.formation().CenterFormationX(), cy = rig.saver.formation().CenterFormationY();
    const auto events = rig.Run(Act_Cycloid);
    const CycloidRun run = Cut(events, 15);

    ASSERT_EQ(run.curves.size(), std::size_t(kCurveFrames));
    for (std::size_t k = 0; k < run.curves.size(); ++k) {
        const bool closing_frame = k % 176 == 175;
        EXPECT_EQ(run.curves[k].second_pause, !closing_frame)
            << "curve " << k / 176 + 1 << " frame " << k % 176 + 1
            << (closing_frame ? ": the closing frame has only its own pause"
                              : ": a curve frame lasts two pauses");
        EXPECT_EQ(run.curves[k].frame.number("pause"), 7);
    }
    for (const auto* part : {&run.gather, &run.glide, &run.closing})
        for (const PacedFrame& f : *part)
            EXPECT_FALSE(f.second_pause) << "only curve frames pause twice: " << f.frame.line;
    for (const Event& e : events) {
        if (e.ev == "sleep") {
            EXPECT_EQ(e.number("ms"), 7) << e.line;
        }
    }

    EXPECT_EQ(run.closing.size(), 30u);
    EXPECT_EQ(ClosingModes(events), std::vector<int>{1});
    ExpectEndsInFormation(rig.saver, frames_of(events), fx, fy, cx, cy);
}

TEST(Cycloid, GathersOnTheFirstPointAndTheSnakeRepeatsTheLead)
{
    ActionRig rig;
    const CycloidRun run = Cut(rig.Run(Act_Cycloid), 15);
    ASSERT_EQ(run.curves.size(), std::size_t(kCurveFrames));

    // All eleven centres end the gathering on the first curve's first point
    // around the screen centre (t = 0.25).
    const CycloidCurve first = Curve(5);
    const int gx = gfx::round_half_even(Cyc_X(first, 0.25f) + 512.0);
    const int gy = gfx::round_half_even(Cyc_Y(first, 0.25f) + 384.0);
    for (int ball = 1; ball <= 11; ++ball) {
        const auto [x, y] = CentreOf(run.gather.back().frame, ball);
        EXPECT_LE(std::abs(x - gx), 1) << "ball " << ball << ": expected x " << gx << " got " << x;
        EXPECT_LE(std::abs(y - gy), 1) << "ball " << ball << ": expected y " << gy << " got " << y;
    }

    // Ball i stands on the lead's centre of i frames before, across all curves.
    for (std::size_t k = 10; k < run.curves.size(); ++k)
        for (int ball = 1; ball <= 10; ++ball)
            ASSERT_EQ(CentreOf(run.curves[k].frame, ball),
                      CentreOf(run.curves[k - std::size_t(ball)].frame, 11))
                << "frame " << k << " ball " << ball;

    // Within a frame: the lead first, then balls 1 to 10.
    std::vector<int> order;
    for (const Op& op : run.curves[3].frame.ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    EXPECT_EQ(order, (std::vector<int>{11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(Cycloid, ReturnGlideStartsOneStepFromTheLastDrawnPlaces)
{
    ActionRig rig;
    const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
    const CycloidRun run = Cut(rig.Run(Act_Cycloid), 15);
    ASSERT_EQ(run.glide.size(), 15u);
    const Event& last = run.curves.back().frame;
    const Event& first = run.glide.front().frame;
    for (int i = 1; i <= 11; ++i) {
        const Op* l = last.ball(i);
        const Op* g = first.ball(i);
        ASSERT_TRUE(l && g);
        const double tx = i == 11 ? rig.saver.formation().CenterFormationX() : fx[std::size_t(i)];
        const double ty = i == 11 ? rig.saver.formation().CenterFormationY() : fy[std::size_t(i)];
        const double ex = l->x + (tx - l->x) / 15, ey = l->y + (ty - l->y) / 15;
        EXPECT_LE(std::abs(g->x - ex), 1.0) << "ball " << i << ": expected x near " << ex << " got " << g->x;
        EXPECT_LE(std::abs(g->y - ey), 1.0) << "ball " << i << ": expected y near " << ey << " got " << g->y;
    }
}

TEST(Cycloid, AtFactor1_2TheMiddleRunsBothCirclesOnAWideScreen)
{
    // Speed 14 gives the factor 1.2. On 1920 pixels the curve (at most 129
    // pixels from its middle) reaches beyond W/2 + 130 only from the right
    // circle and below W/2 - 130 only from the left one.
    ActionRig rig(ActionSettings(14), 1920, 1080);
    ASSERT_DOUBLE_EQ(rig.settings.g_SpeedFactor, 1.2);
    const CycloidRun run = Cut(rig.Run(Act_Cycloid), 14);
    ASSERT_EQ(run.curves.size(), std::size_t(kCurveFrames));
    int left = 0, right = 0, changes = 0;
    int side = 0;
    for (const PacedFrame& f : run.curves) {
        const int x = CentreOf(f.frame, 11).first;
        const int now = x > 960 + 130 ? 1 : x < 960 - 130 ? -1 : 0;
        left += now == -1;
        right += now == 1;
        if (now != 0 && side != 0 && now != side)
            ++changes;
        if (now != 0)
            side = now;
    }
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
    // 704 frames of 1.2 minutes are 14 circles: the middle changes sides often.
    EXPECT_GE(changes, 10);
}

TEST(Cycloid, RunsToItsEndFromTheSchedulerAtSpeeds10_15_30)
{
    for (std::int16_t speed : {10, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        KindRun run = RunOnlyKind(10, speed);
        const Ball_A& s = run.rig->saver;
        const std::vector<Event> frames = frames_of(run.events);
        EXPECT_EQ(frames.size(), std::size_t(speed + kCurveFrames + speed + 2 * speed));
        EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});
        ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                              s.formation().CenterFormationY());
    }
}
