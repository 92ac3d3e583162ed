#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace action_test;
using namespace test_support;

namespace {

struct Rosette {
    void (*routine)(Figure&, int);
    int trace_frames; // per repetition
};
const Rosette kMutual{Act_MutualEllipseTrails, 62}, kLagged{Act_LaggedEllipses, 106};

// Trace frame k (1-based; 0 is the glide out's last) of repetition rep
// (0-based): each repetition is a glide out of n frames, the trace, one
// clean frame and a glide back of n frames.
const Event& TraceFrame(const std::vector<Event>& frames, const Rosette& f, int n, int rep, int k)
{
    return frames[std::size_t(rep * (2 * n + f.trace_frames + 1) + n + k - 1)];
}

// Ball i's cell on a 1024 x 768 screen at parameter t in a repetition with
// turn step D: the ellipse 292.57 across and 109.71 down, turned clockwise
// by D x i degrees about the centre.
void ExpectOnEllipse(const Event& frame, int D, int i, double t)
{
    const double phi = D * i * 3.14159265358979 / 180;
    const double ex = 1024 / 3.5 * std::cos(t), ey = 768 / 7.0 * std::sin(t);
    const double x = 488 + std::cos(phi) * ex - std::sin(phi) * ey;
    const double y = 360 + std::sin(phi) * ex + std::cos(phi) * ey;
    ASSERT_NE(frame.ball(i), nullptr) << "ball " << i << ": " << frame.line;
    EXPECT_LE(std::abs(frame.ball(i)->x - x), 0.51) << "D " << D << " ball " << i << " t " << t;
    EXPECT_LE(std::abs(frame.ball(i)->y - y), 0.51) << "D " << D << " ball " << i << " t " << t;
}

} // namespace

// The frame counts whatever the speed, the hold after every trace, and the
// trails: kind 12 erases once before its trace, kind 20 not at all, and
// the centre ball is drawn once, at its place, before the first trace frame.
TEST(MutualEllipses, RepetitionsKeepTheirTracesAndFrameCounts)
{
    for (const Rosette* f : {&kMutual, &kLagged}) {
        for (int n : {1, 30}) {
            SCOPED_TRACE("trace of " + std::to_string(f->trace_frames) + " speed " + std::to_string(n));
            ActionRig rig(ActionSettings(std::int16_t(n)));
            const Ball_A& s = rig.saver;
            const std::vector<Event> events = rig.Run(f->routine);
            const std::vector<Event> frames = frames_of(events);
            ASSERT_EQ(int(frames.size()), 8 * (2 * n + f->trace_frames + 1) + 2 * n);
            EXPECT_EQ(index_of(events, "closing"), events.size() - std::size_t(2 * n) - 1);
            ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                                  s.formation().CenterFormationY());

            int holds = 0;
            for (std::size_t e = 1; e < events.size(); ++e)
                if (events[e].ev == "sleep") {
                    EXPECT_EQ(events[e].number("ms"), 2000);
                    EXPECT_EQ(events[e - 1].line, TraceFrame(frames, *f, n, holds++, f->trace_frames).line);
                }
            EXPECT_EQ(holds, 8);

            const int erased_first = f == &kMutual ? 1 : 0;
            for (int rep = 0; rep < 8; ++rep)
                for (int k = 1; k <= f->trace_frames; ++k) {
                    const Event& frame = TraceFrame(frames, *f, n, rep, k);
                    int restores = 0;
                    for (const Op& op : frame.ops)
                        restores += op.what == 'R';
                    ASSERT_EQ(restores, k == 1 ? erased_first : 0) << "trace frame " << k;
                    ASSERT_EQ(frame.ball(11) != nullptr, k == 1) << "trace frame " << k;
                }
            const Op* centre = TraceFrame(frames, *f, n, 0, 1).ball(11);
            EXPECT_TRUE(DrawnAt(centre->x, s.formation().CenterFormationX()) && DrawnAt(centre->y, s.formation().CenterFormationY()));
        }
    }
}

// Every ball starts on its ellipse turned by D x i for the eight steps (in
// the first, ball 4 at (780.57, 360) and ball 2 at (195.43, 360)), and kind
// 12's trace frame k draws all ten at t = k / 10, clockwise.
TEST(MutualEllipses, BallsTraceTheirTurnedEllipsesClockwise)
{
    const int n = 15, turn_steps[8] = {90, 92, 76, 60, 28, 12, -4, -20};
    ActionRig rig;
    const std::vector<Event> frames = frames_of(rig.Run(Act_MutualEllipseTrails));
    EXPECT_EQ(frames[n - 1].ball(4)->x, 781);
    EXPECT_EQ(frames[n - 1].ball(2)->x, 195);
    for (int rep = 0; rep < 8; ++rep)
        for (int i = 1; i <= 10; ++i) {
            ExpectOnEllipse(TraceFrame(frames, kMutual, n, rep, 0), turn_steps[rep], i, 0);
            for (int k : {1, 15, 31, 62})
                ExpectOnEllipse(TraceFrame(frames, kMutual, n, rep, k), turn_steps[rep], i, k / 10.0);
        }
}

// Kind 20: ball 1 moves from frame 1 and ball i > 1 from frame 5(i - 1); each
// makes kind 12's 62 drawings and then stays, so ball 10 ends the trace at 106.
TEST(MutualEllipses, LaggedBallsSetOffFiveFramesApart)
{
    ActionRig together_rig, lagged_rig;
    const auto together = frames_of(together_rig.Run(Act_MutualEllipseTrails));
    const auto lagged = frames_of(lagged_rig.Run(Act_LaggedEllipses));
    for (int rep : {0, 7})
        for (int i = 1; i <= 10; ++i) {
            const int first = i == 1 ? 1 : 5 * (i - 1);
            for (int k = 1; k <= 106; ++k) {
                const Op* own = TraceFrame(lagged, kLagged, 15, rep, k).ball(i);
                ASSERT_EQ(own != nullptr, k >= first && k < first + 62) << "ball " << i << " frame " << k;
                const Op* same = own ? TraceFrame(together, kMutual, 15, rep, k - first + 1).ball(i) : own;
                ASSERT_TRUE(!own || (std::abs(own->x - same->x) <= 1 && std::abs(own->y - same->y) <= 1))
                    << "ball " << i << " frame " << k;
            }
        }
}
