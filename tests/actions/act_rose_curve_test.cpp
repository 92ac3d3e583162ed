#include "action_rig.h"

#include "engine/actions/actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace action_test;
using namespace test_support;

namespace {

// 90 + 90 + 45 + 61 + 120 + 76 frames of the six roses.
constexpr int kFigureFrames = 482;

// The balls in the order a frame drew them.
std::vector<int> BallOrder(const Event& frame)
{
    std::vector<int> order;
    for (const Op& op : frame.ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    return order;
}

// The frames of the roses alone, after the n gathering frames.
std::vector<Event> FigureFrames(const std::vector<Event>& frames, int n)
{
    return {frames.begin() + n, frames.begin() + n + kFigureFrames};
}

} // namespace

// Gathering and the glide home take g_Speed frames each, the six roses 482
// whatever the speed; the closing figure follows. Below speed 30 (factor
// 0.25, which takes all the roses to run the lower loop once) the centre
// ball moves on to the upper loop, above the screen centre, also at speed 14
// (factor 1.2), where its clock steps past 60 without landing on it.
TEST(RoseCurve, SixRosesTake482FramesAndTheCentreBallReachesTheUpperLoop)
{
    for (std::int16_t speed : {10, 14, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        ActionRig rig(ActionSettings(speed));
        const std::vector<Event> frames = FramesOf(rig.Run(Act_RoseCurve));
        ASSERT_EQ(frames.size(), std::size_t(speed + kFigureFrames + speed + 2 * speed));
        bool upper = false;
        for (const Event& f : FigureFrames(frames, speed)) {
            const Op* centre = f.Ball(11);
            upper = upper || centre->y + centre->h / 2 < 384 - 20;
        }
        EXPECT_EQ(upper, speed < 30) << "the centre ball on the upper loop";
    }
}

// The lead is a random ball; the nine balls before it, counting down round the
// ring, follow as a snake drawn over it, the scaled centre ball on top of all.
// Ball j of the snake stands where the lead stood j frames before, from the
// point half a screen height right of the centre, where the balls gathered,
// on through all six roses.
TEST(RoseCurve, RandomLeadDrawsASnakeOfTheBallsBeforeItFromOneStartPoint)
{
    std::set<int> leads;
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ActionRig rig(ActionSettings(15), 1024, 768, seed);
        const std::vector<Event> all = FramesOf(rig.Run(Act_RoseCurve));
        for (int i = 1; i <= 10; ++i) {
            EXPECT_EQ(all[14].Ball(i)->x, 872) << "ball " << i << " gathered";
            EXPECT_EQ(all[14].Ball(i)->y, 360) << "ball " << i << " gathered";
        }
        const std::vector<Event> frames = FigureFrames(all, 15);
        const std::vector<int> order = BallOrder(frames[0]);
        ASSERT_EQ(order.size(), 11u);
        const int lead = order[0];
        leads.insert(lead);
        std::vector<int> expected{lead};
        for (int j = 1, c = lead; j <= 9; ++j)
            expected.push_back(c = c == 1 ? 10 : c - 1);
        expected.push_back(11);

        for (std::size_t k = 0; k < frames.size(); ++k) {
            ASSERT_EQ(BallOrder(frames[k]), expected) << "frame " << k + 1;
            for (std::size_t j = 1; j <= 9 && j <= k; ++j) {
                const Op& snake = frames[k].ops[j + 1]; // after the restore and the lead
                const Op* then = frames[k - j].Ball(lead);
                ASSERT_EQ(snake.x, then->x) << "frame " << k + 1 << " slot " << j;
                ASSERT_EQ(snake.y, then->y) << "frame " << k + 1 << " slot " << j;
            }
        }
    }
    EXPECT_GE(leads.size(), 3u) << "six seeds gave the same lead nearly every time";
}

// At factor 1 the centre ball shrinks by 1.6 a frame from 72 to 24 on each
// quarter of the lower loop and grows back; on the upper loop its stretches
// are uneven, which takes it up to 73.6 (drawn 74) at the top.
TEST(RoseCurve, CentreBallShrinksAndGrowsOnItsFigureEight)
{
    ActionRig rig;
    const std::vector<Event> frames = FigureFrames(FramesOf(rig.Run(Act_RoseCurve)), 15);
    for (const auto& [frame, size] :
         {std::pair{0, 72}, {30, 24}, {60, 72}, {90, 24}, {120, 72}}) {
        EXPECT_EQ(frames[std::size_t(frame)].Ball(11)->w, size) << "frame " << frame + 1;
        EXPECT_EQ(frames[std::size_t(frame)].Ball(11)->h, size) << "frame " << frame + 1;
    }
    int smallest = 72, largest = 72;
    for (const Event& f : frames) {
        smallest = std::min(smallest, f.Ball(11)->w);
        largest = std::max(largest, f.Ball(11)->w);
    }
    EXPECT_EQ(smallest, 24);
    EXPECT_EQ(largest, 74);
}
