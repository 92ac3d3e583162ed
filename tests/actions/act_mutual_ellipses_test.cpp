#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

// Kinds 12 and 20 draw the same rosette of turned ellipses; kind 20 sets the
// balls off five frames apart. A run is cut here into its eight repetitions
// (glide out, trace, hold, clean frame, glide back) and the closing figure.

using namespace action_test;
using namespace test_support;

namespace {

struct Figure {
    const char* name;
    void (*routine)(Ball_A&, std::int16_t);
    int trace_frames; // per repetition
};

const Figure kMutual{"kind 12", Act_MutualEllipseTrails, 62};
const Figure kLagged{"kind 20", Act_LaggedEllipses, 106};

constexpr double kDegree = 3.14159265358979 / 180;
constexpr int kTurnSteps[8] = {90, 92, 76, 60, 28, 12, -4, -20};

int Restores(const Event& frame)
{
    int count = 0;
    for (const Op& op : frame.ops)
        count += op.what == 'R';
    return count;
}

struct Repetition {
    std::vector<Event> glide_out, trace, glide_back;
    Event clean;
    int hold_ms = -1; // the pause right after the trace, or -1
};

struct RosetteRun {
    std::vector<Repetition> repetitions;
    std::vector<Event> closing, frames, events;
    Ball_A::BallArray fx{}, fy{};
    double cx = 0, cy = 0;
};

// Cuts the events into the parts they must have, by their frame counts.
void Cut(RosetteRun& run, int n, int trace_frames)
{
    const std::vector<Event>& events = run.events;
    std::size_t e = 0;
    auto next_frame = [&]() -> Event {
        while (e < events.size() && events[e].ev != "frame")
            ++e;
        return e < events.size() ? events[e++] : Event{};
    };
    for (int rep = 0; rep < 8; ++rep) {
        Repetition r;
        for (int k = 0; k < n; ++k)
            r.glide_out.push_back(next_frame());
        for (int k = 0; k < trace_frames; ++k)
            r.trace.push_back(next_frame());
        if (e < events.size() && events[e].ev == "sleep")
            r.hold_ms = int(events[e].Number("ms"));
        r.clean = next_frame();
        for (int k = 0; k < n; ++k)
            r.glide_back.push_back(next_frame());
        run.repetitions.push_back(std::move(r));
    }
    EXPECT_EQ(IndexOf(events, "closing", e), IndexOf(events, "closing"))
        << "the closing figure must follow the eighth glide back";
    for (std::size_t k = e; k < events.size(); ++k)
        if (events[k].ev == "frame")
            run.closing.push_back(events[k]);
}

RosetteRun RunFigure(const Figure& figure, std::int16_t speed)
{
    ActionRig rig(ActionSettings(speed));
    RosetteRun run;
    run.fx = rig.saver.FormationX;
    run.fy = rig.saver.FormationY;
    run.cx = rig.saver.CenterFormationX;
    run.cy = rig.saver.CenterFormationY;
    run.events = rig.Run(figure.routine);
    run.frames = FramesOf(run.events);
    Cut(run, speed, figure.trace_frames);
    ExpectEndsInFormation(rig.saver, run.frames, run.fx, run.fy, run.cx, run.cy);
    return run;
}

// Where ball i's centre lies at parameter t in repetition rep (0..7) on a
// 1024 x 768 screen: the ellipse 292.57 across and 109.71 down, turned by
// D x i degrees clockwise about the screen centre.
std::pair<double, double> EllipseCentre(int rep, int i, double t)
{
    const double a = 1024 / 3.5, b = 768 / 7.0;
    const double phi = kTurnSteps[rep] * i * kDegree;
    const double ex = a * std::cos(t), ey = b * std::sin(t);
    return {512 + std::cos(phi) * ex - std::sin(phi) * ey,
            384 + std::sin(phi) * ex + std::cos(phi) * ey};
}

void ExpectOnEllipse(const Event& frame, int rep, int i, double t, const std::string& where)
{
    const Op* op = frame.Ball(i);
    ASSERT_NE(op, nullptr) << where << ": ball " << i << " missing";
    const auto [x, y] = EllipseCentre(rep, i, t);
    EXPECT_LE(std::abs(op->x + 24 - x), 1.0) << where << " ball " << i << ": expected x " << x - 24
                                              << " got " << op->x;
    EXPECT_LE(std::abs(op->y + 24 - y), 1.0) << where << " ball " << i << ": expected y " << y - 24
                                              << " got " << op->y;
}

} // namespace

// Per repetition: a glide out of n frames, the trace (62 frames for kind 12,
// 106 for kind 20, whatever the speed), a two-second hold, one clean frame
// with every ball on its start point and a glide back of n frames; eight
// repetitions, then the closing figure. The trace frames never erase, so the
// traces stay, and the centre ball is drawn once, before the first of them.
TEST(MutualEllipses, RepetitionsGlideTraceHoldClearAndGlideBack)
{
    for (const Figure* figure : {&kMutual, &kLagged}) {
        for (std::int16_t n : {1, 15, 30}) {
            SCOPED_TRACE(std::string(figure->name) + " speed " + std::to_string(n));
            const RosetteRun run = RunFigure(*figure, n);
            EXPECT_EQ(int(run.frames.size()), 8 * (2 * n + figure->trace_frames + 1) + 2 * n);
            EXPECT_EQ(int(run.closing.size()), 2 * n);
            EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});

            for (int rep = 0; rep < 8; ++rep) {
                SCOPED_TRACE("repetition " + std::to_string(rep + 1));
                const Repetition& r = run.repetitions[std::size_t(rep)];
                EXPECT_EQ(r.hold_ms, 2000);
                for (const Event& f : r.glide_out)
                    ASSERT_EQ(Restores(f), 1) << f.line;
                // Kind 12 erases once, before its first trace frame; kind 20
                // draws straight over the picture the glide left.
                const int first_restores = figure == &kMutual ? 1 : 0;
                for (std::size_t k = 0; k < r.trace.size(); ++k) {
                    const Event& f = r.trace[k];
                    ASSERT_EQ(Restores(f), k == 0 ? first_restores : 0) << "trace frame " << k + 1;
                    const Op* centre = f.Ball(11);
                    if (k == 0) {
                        ASSERT_NE(centre, nullptr) << "the centre ball opens the trace";
                        EXPECT_EQ(f.ops[std::size_t(first_restores)].ball, 11) << f.line;
                        EXPECT_TRUE(LandsOn(centre->x, run.cx) && LandsOn(centre->y, run.cy));
                    } else {
                        ASSERT_EQ(centre, nullptr) << "centre ball redrawn in trace frame " << k + 1;
                    }
                }
                // The clean frame: erased, the centre ball on its place, every
                // small ball back on its start point (where the glide out left it).
                EXPECT_EQ(Restores(r.clean), 1);
                EXPECT_EQ(r.clean.ops.size(), 12u) << r.clean.line;
                EXPECT_TRUE(LandsOn(r.clean.Ball(11)->x, run.cx));
                EXPECT_TRUE(LandsOn(r.clean.Ball(11)->y, run.cy));
                for (int i = 1; i <= 10; ++i) {
                    EXPECT_LE(std::abs(r.clean.Ball(i)->x - r.glide_out.back().Ball(i)->x), 1);
                    EXPECT_LE(std::abs(r.clean.Ball(i)->y - r.glide_out.back().Ball(i)->y), 1);
                    EXPECT_TRUE(LandsOn(r.glide_back.back().Ball(i)->x, run.fx[std::size_t(i)]));
                    EXPECT_TRUE(LandsOn(r.glide_back.back().Ball(i)->y, run.fy[std::size_t(i)]));
                }
                for (const Event* f : {&r.glide_out.back(), &r.glide_back.back()}) {
                    EXPECT_TRUE(LandsOn(f->Ball(11)->x, run.cx) && LandsOn(f->Ball(11)->y, run.cy))
                        << "the centre ball stays on its place";
                }
            }
        }
    }
}

// On 1024 x 768 the ellipse is 2 x 292.57 wide and 2 x 109.71 high. Each ball
// sets off from its ellipse's start point, turned by D x i degrees with the
// eight turn steps 90, 92, 76, 60, 28, 12, -4, -20; in the first repetition
// ball 4 (turned 360 degrees) starts at (780.57, 360) and ball 2 (180) at
// (195.43, 360).
TEST(MutualEllipses, BallsStartOnTheirTurnedEllipsesAndTraceThemClockwise)
{
    const RosetteRun run = RunFigure(kMutual, 15);
    const Repetition& first = run.repetitions[0];
    EXPECT_EQ(first.glide_out.back().Ball(4)->x, 781);
    EXPECT_EQ(first.glide_out.back().Ball(4)->y, 360);
    EXPECT_EQ(first.glide_out.back().Ball(2)->x, 195);
    EXPECT_EQ(first.glide_out.back().Ball(2)->y, 360);

    for (int rep = 0; rep < 8; ++rep)
        for (int i = 1; i <= 10; ++i)
            ExpectOnEllipse(run.repetitions[std::size_t(rep)].glide_out.back(), rep, i, 0,
                            "start of repetition " + std::to_string(rep + 1));

    // Trace frame k draws every ball at t = k / 10, the last at 6.2, short of
    // closing the ellipse; ball 4 runs down the right end first (clockwise),
    // ball 1 on the standing ellipse.
    for (int rep : {0, 4, 7}) {
        const Repetition& r = run.repetitions[std::size_t(rep)];
        for (int k = 1; k <= 62; ++k)
            for (int i = 1; i <= 10; ++i)
                ExpectOnEllipse(r.trace[std::size_t(k - 1)], rep, i, k / 10.0,
                                "repetition " + std::to_string(rep + 1) + " trace frame "
                                    + std::to_string(k));
    }
    EXPECT_GT(first.trace[14].Ball(4)->y, 360 + 100) << "at t = 1.5 ball 4 is near the bottom";
    EXPECT_LT(first.trace[14].Ball(1)->x, 488 - 100) << "and ball 1 near the left";
}

// Kind 20: ball 1 moves from frame 1, ball i (i > 1) from frame 5(i - 1); each
// is drawn 62 times along the same points as in kind 12 and then no more, so
// ball 1 is last drawn in frame 62 and ball 10 in frame 106.
TEST(MutualEllipses, LaggedBallsSetOffFiveFramesApartAndStopAfterTheirRound)
{
    const RosetteRun mutual = RunFigure(kMutual, 15);
    const RosetteRun lagged = RunFigure(kLagged, 15);
    for (int rep : {0, 3, 7}) {
        SCOPED_TRACE("repetition " + std::to_string(rep + 1));
        const Repetition& r = lagged.repetitions[std::size_t(rep)];
        const Repetition& together = mutual.repetitions[std::size_t(rep)];
        for (int i = 1; i <= 10; ++i) {
            const int first = i == 1 ? 1 : 5 * (i - 1);
            for (int n = 1; n <= 106; ++n) {
                const Event& frame = r.trace[std::size_t(n - 1)];
                const bool moving = n >= first && n < first + 62;
                ASSERT_EQ(frame.Ball(i) != nullptr, moving)
                    << "ball " << i << " in frame " << n << (moving ? " not drawn" : " drawn");
                if (!moving)
                    continue;
                const Op* own = frame.Ball(i);
                const Op* same = together.trace[std::size_t(n - first)].Ball(i);
                EXPECT_LE(std::abs(own->x - same->x), 1) << "ball " << i << " frame " << n;
                EXPECT_LE(std::abs(own->y - same->y), 1) << "ball " << i << " frame " << n;
            }
        }
    }
}
