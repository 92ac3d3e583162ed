#include "action_rig.h"
#include "support/sanitizers.h"

#include "engine/actions/actions.h"
#include "engine/actions/linear_motion.h"

#include <gtest/gtest.h>

#include <set>

using namespace action_test;
using namespace test_support;

namespace {

// Offsets of the ring a leg may end in, from its middle less half a cell:
// ball i at clock minute 6i on a radius of 90 (the same ring the balls start in).
constexpr int kRingDX[11] = {0, 52, 85, 85, 52, 0, -53, -86, -86, -53, -1};
constexpr int kRingDY[11] = {0, -73, -28, 27, 72, 90, 72, 27, -28, -73, -90};

// What the trace of one run says about its legs.
struct Legs {
    int rings = 0;
    int spots = 0;
    std::vector<int> targetX, targetY; // middles of the meeting places
};

// Walks a run leg by leg (2n frames each, plus 2n after a ring for its
// closing figure), checking that every ring and only a ring is followed by
// the mode-2 closing figure, and that each meeting place is a ring or a spot
// around the middle the centre ball glided to.
Legs WalkLegs(const std::vector<Event>& events, int n)
{
    Legs legs;
    std::size_t at = 0;
    auto next_frame = [&]() -> const Event* {
        while (at < events.size() && events[at].ev != "frame") {
            EXPECT_NE(events[at].ev, "closing") << "unexpected closing figure: " << events[at].line;
            ++at;
        }
        return at < events.size() ? &events[at++] : nullptr;
    };
    for (int leg = 1; leg <= 19; ++leg) {
        const Event* end = nullptr;
        for (int f = 0; f < 2 * n; ++f)
            end = next_frame();
        if (!end) {
            ADD_FAILURE() << "the run ended in leg " << leg;
            return legs;
        }
        const Op* centre = end->ball(11);
        const int tx = centre->x + 36, ty = centre->y + 36;
        legs.targetX.push_back(tx);
        legs.targetY.push_back(ty);
        const bool spot = end->ball(1)->x == end->ball(2)->x && end->ball(1)->y == end->ball(2)->y;
        for (int i = 1; i <= 10; ++i) {
            const Op* b = end->ball(i);
            const int ex = tx - 24 + (spot ? 0 : kRingDX[i]);
            const int ey = ty - 24 + (spot ? 0 : kRingDY[i]);
            EXPECT_EQ(b->x, ex) << "leg " << leg << " ball " << i << ": expected x " << ex << " got " << b->x;
            EXPECT_EQ(b->y, ey) << "leg " << leg << " ball " << i << ": expected y " << ey << " got " << b->y;
        }
        const bool closing_follows = at < events.size() && events[at].ev == "closing";
        if (spot) {
            ++legs.spots;
            EXPECT_FALSE(closing_follows) << "a single spot in leg " << leg << " got a closing figure";
        } else {
            ++legs.rings;
            EXPECT_TRUE(closing_follows) << "the ring of leg " << leg << " got no closing figure";
            if (closing_follows) {
                EXPECT_EQ(events[at].number("mode"), 2) << events[at].line;
                ++at;
                for (int f = 0; f < 2 * n; ++f)
                    next_frame();
            }
        }
    }
    return legs;
}

} // namespace

TEST(LinearMotion, EdgeTargetsLieOnTheFourEdges)
{
    ActionRig rig;
    const int W = 1024, H = 768;
    std::set<int> sides_seen;
    for (int call = 0; call < 200; ++call) {
        const EdgeTargets edges = PickEdgeTargets(rig.saver);
        std::set<int> sides;
        for (std::size_t i = 1; i <= 10; ++i) {
            const double x = edges.EdgeX[i], y = edges.EdgeY[i];
            int side = -1;
            if (y == 0 && x >= 0 && x < W)
                side = 0;
            else if (x == W - 48 && y >= 0 && y < H)
                side = 1;
            else if (y == H - 48 && x >= 0 && x < W)
                side = 2;
            else if (x == 0 && y >= 0 && y < H)
                side = 3;
            ASSERT_NE(side, -1) << "ball " << i << " at (" << x << ", " << y << ") is on no edge";
            EXPECT_EQ(x, double(long(x))) << "edge points are whole pixels";
            EXPECT_EQ(y, double(long(y)));
            sides.insert(side);
        }
        // Ten independent choices land on a single side once in 260 000 calls.
        EXPECT_GT(sides.size(), 1u) << "call " << call << " sent all ten balls to one edge";
        sides_seen.insert(sides.begin(), sides.end());
    }
    EXPECT_EQ(sides_seen.size(), 4u);
}

TEST(LinearMotion, RingsAndOnlyRingsCloseAndTheRunLasts40nPlus2nPerRing)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ActionRig rig(ActionSettings(15), 1024, 768, seed);
        const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
        const double cx = rig.saver.formation().CenterFormationX(), cy = rig.saver.formation().CenterFormationY();
        const auto events = rig.Run(Act_LinearMotion);
        const int n = 15;

        const Legs legs = WalkLegs(events, n);
        EXPECT_EQ(legs.rings + legs.spots, 19);
        const std::vector<int> modes = ClosingModes(events);
        ASSERT_EQ(int(modes.size()), legs.rings + 1);
        EXPECT_EQ(modes.back(), 1) << "the action ends with the ordinary closing figure";

        const int frames = int(frames_of(events).size());
        EXPECT_EQ(frames, 40 * n + 2 * n * legs.rings + 2 * n)
            << "expected 40n + 2n per ring + 2n of closing, got " << frames << " with "
            << legs.rings << " rings";
        ExpectEndsInFormation(rig.saver, frames_of(events), fx, fy, cx, cy);
    }
}

TEST(LinearMotion, TargetKeepsA90PixelMarginOnAScreenBarelyLargeEnough)
{
    // On 182 x 183 the middle of a meeting place can only be 90..92 across
    // and 90..93 down: both ends must occur and nothing beyond them.
    std::set<int> xs, ys;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        ActionRig rig(ActionSettings(10), 182, 183, seed);
        const Legs legs = WalkLegs(rig.Run(Act_LinearMotion), 10);
        xs.insert(legs.targetX.begin(), legs.targetX.end());
        ys.insert(legs.targetY.begin(), legs.targetY.end());
    }
    EXPECT_EQ(xs, (std::set<int>{90, 91, 92}));
    EXPECT_EQ(ys, (std::set<int>{90, 91, 92, 93}));
}

TEST(LinearMotion, CentreBallIsDrawnLastOutsideTheClosingFigures)
{
    ActionRig rig;
    const auto events = rig.Run(Act_LinearMotion);
    bool in_closing = false;
    int closing_frames = 0;
    for (const Event& e : events) {
        if (e.ev == "closing") {
            in_closing = true;
            closing_frames = 0;
        }
        if (e.ev != "frame")
            continue;
        if (in_closing) {
            if (++closing_frames == 30)
                in_closing = false;
            continue;
        }
        ASSERT_FALSE(e.ops.empty());
        EXPECT_EQ(e.ops.back().ball, 11) << "frame " << e.number("n") << ": " << e.line;
    }
}

// Through the scheduler with only this kind enabled, at the dialog's
// fastest, default and slowest speeds: it runs to its closing figure and
// leaves the balls in formation.
TEST(LinearMotion, RunsToItsEndAloneAtSpeeds10To30)
{
    for (std::int16_t speed : {10, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        KindRun run = RunOnlyKind(1, speed);
        const Ball_A& s = run.rig->saver;
        const auto frames = frames_of(run.events);
        const std::vector<int> modes = ClosingModes(run.events);
        ASSERT_FALSE(modes.empty());
        EXPECT_EQ(modes.back(), 1);
        const int rings = int(modes.size()) - 1;
        EXPECT_EQ(int(frames.size()), 40 * speed + 2 * speed * rings + 2 * speed);
        ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                              s.formation().CenterFormationY());
    }
}

// Every speed from 1 to 30 runs all twenty legs and ends in formation (on a
// smaller screen under the sanitizers: the same legs of fewer pixels).
TEST(LinearMotion, EverySpeedFrom1To30RunsToTheEnd)
{
    const int width = testrig::kSanitized ? 96 : 320, height = testrig::kSanitized ? 72 : 240;
    for (std::int16_t speed = 1; speed <= 30; ++speed) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        ActionRig rig(ActionSettings(speed), width, height);
        const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
        const double cx = rig.saver.formation().CenterFormationX(), cy = rig.saver.formation().CenterFormationY();
        const auto events = rig.Run(Act_LinearMotion);
        const int rings = int(ClosingModes(events).size()) - 1;
        EXPECT_EQ(int(frames_of(events).size()), 40 * speed + 2 * speed * rings + 2 * speed);
        ExpectEndsInFormation(rig.saver, frames_of(events), fx, fy, cx, cy);
    }
}
