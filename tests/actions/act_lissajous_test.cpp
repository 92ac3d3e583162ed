#include "action_rig.h"
#include "support/sanitizers.h"

#include "engine/actions/actions.h"
#include "engine/actions/curve_math.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace action_test;
using namespace test_support;

namespace {

// The run of one action, cut into its parts: n gathering frames, the figure
// frames, n return frames, then the 2n of the closing figure.
struct LissajousRun {
    std::vector<Event> gather, figures, glide, closing;
};

LissajousRun Cut(const std::vector<Event>& events, int n)
{
    LissajousRun run;
    const std::size_t closing_at = index_of(events, "closing");
    const std::vector<Event> before = frames_of({events.begin(), events.begin() + std::ptrdiff_t(closing_at)});
    run.closing = frames_of({events.begin() + std::ptrdiff_t(closing_at), events.end()});
    EXPECT_GE(before.size(), std::size_t(2 * n));
    if (before.size() < std::size_t(2 * n))
        return run;
    run.gather.assign(before.begin(), before.begin() + n);
    run.figures.assign(before.begin() + n, before.end() - n);
    run.glide.assign(before.end() - n, before.end());
    return run;
}

std::pair<int, int> At(const Event& frame, int ball)
{
    const Op* op = frame.ball(ball);
    EXPECT_NE(op, nullptr) << "ball " << ball << " missing: " << frame.line;
    return op ? std::pair{op->x, op->y} : std::pair{0, 0};
}

// The lead's cell when it stands on the screen centre (1024 x 768).
const std::pair<int, int> kCentreCell{512 - 24, 384 - 24};

// Figure lengths read from the trace: each figure starts and closes with the
// lead on the screen centre, so a closing frame and the next figure's first
// frame are the only two frames in a row with the lead on it.
std::vector<int> FigureLengths(const std::vector<Event>& figures)
{
    std::vector<int> lengths;
    int start = 0;
    for (std::size_t k = 0; k + 1 < figures.size(); ++k) {
        if (At(figures[k], 1) == kCentreCell && At(figures[k + 1], 1) == kCentreCell) {
            lengths.push_back(int(k) + 1 - start);
            start = int(k) + 1;
        }
    }
    lengths.push_back(int(figures.size()) - start);
    return lengths;
}

} // namespace

TEST(LissajousMath, MultiplesAndDivisors)
{
    EXPECT_EQ(LeastCommonMultiple(4, 2), 4);
    EXPECT_EQ(LeastCommonMultiple(4, 5), 20);
    EXPECT_EQ(LeastCommonMultiple(4, 8), 8);
    EXPECT_EQ(GreatestCommonDivisor(12, 18), 6);
    EXPECT_EQ(GreatestCommonDivisor(4, 5), 1);
    EXPECT_EQ(GreatestCommonDivisor(20, 7), 1);
    EXPECT_EQ(GreatestCommonDivisor(8, 4), 4);
    // No remainder by zero: gcd(0, q) is q, and the multiple with 0 is 0.
    EXPECT_EQ(GreatestCommonDivisor(0, 7), 7);
    EXPECT_EQ(LeastCommonMultiple(0, 7), 0);
}

TEST(Lissajous, SixFiguresOf91_181_46FramesBetweenGatherAndReturn)
{
    ActionRig rig;
    const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
    const double cx = rig.saver.formation().CenterFormationX(), cy = rig.saver.formation().CenterFormationY();
    const auto events = rig.Run(Act_Lissajous);
    const LissajousRun run = Cut(events, 15);

    EXPECT_EQ(run.figures.size(), 636u);
    EXPECT_EQ(FigureLengths(run.figures), (std::vector<int>{91, 91, 181, 181, 46, 46}));
    EXPECT_EQ(run.closing.size(), 30u);
    EXPECT_EQ(ClosingModes(events), std::vector<int>{1});
    ExpectEndsInFormation(rig.saver, frames_of(events), fx, fy, cx, cy);
}

TEST(Lissajous, SnakeStartsOnTheGatherPointAndFollowsOneFrameBehind)
{
    ActionRig rig;
    const LissajousRun run = Cut(rig.Run(Act_Lissajous), 15);
    ASSERT_EQ(run.figures.size(), 636u);

    // The gathering ends with the ten balls on one spot, the centre ball
    // where the action found it.
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(At(run.gather.back(), i), kCentreCell) << "ball " << i << " after gathering";
    EXPECT_EQ(At(run.gather.back(), 11), (std::pair{476, 348}));

    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(At(run.figures[0], i), kCentreCell) << "ball " << i << " in the first figure frame";
    EXPECT_NE(At(run.figures[1], 1), kCentreCell) << "the lead must leave the centre";
    for (std::size_t k = 1; k < 40; ++k)
        for (int ball = 2; ball <= 10; ++ball)
            EXPECT_EQ(At(run.figures[k], ball), At(run.figures[k - 1], ball - 1))
                << "frame " << k << ": ball " << ball << " must stand where ball " << ball - 1
                << " stood a frame before";

    // Within a frame: centre ball first, then the lead, then balls 2 to 10.
    std::vector<int> order;
    for (const Op& op : run.figures[5].ops)
        if (op.what == 'B')
            order.push_back(op.ball);
    EXPECT_EQ(order, (std::vector<int>{11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(Lissajous, ReturnGlideStartsOneStepFromTheLastDrawnPlaces)
{
    ActionRig rig;
    const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
    const LissajousRun run = Cut(rig.Run(Act_Lissajous), 15);
    ASSERT_EQ(run.glide.size(), 15u);
    const Event& last = run.figures.back();
    const Event& first = run.glide.front();
    for (int i = 1; i <= 11; ++i) {
        const auto [lx, ly] = At(last, i);
        const double tx = i == 11 ? rig.saver.formation().CenterFormationX() : fx[std::size_t(i)];
        const double ty = i == 11 ? rig.saver.formation().CenterFormationY() : fy[std::size_t(i)];
        const double ex = lx + (tx - lx) / 15, ey = ly + (ty - ly) / 15;
        const auto [gx, gy] = At(first, i);
        EXPECT_LE(std::abs(gx - ex), 1.0) << "ball " << i << ": expected x near " << ex << " got " << gx;
        EXPECT_LE(std::abs(gy - ey), 1.0) << "ball " << i << ": expected y near " << ey << " got " << gy;
    }
}

TEST(Lissajous, RotatedFiguresTurnBy90_270_450AndTheNextRunGoesOnFrom540)
{
    ActionRig rig;
    ASSERT_EQ(rig.saver.carry_over().RotationDegrees(), 0);

    // The second point of a figure, as an offset from the screen centre.
    auto second_point = [](const LissajousRun& run, int figure) {
        const int first = std::vector<int>{0, 91, 182, 363, 544, 590}[std::size_t(figure)];
        const auto [x, y] = At(run.figures[std::size_t(first + 1)], 1);
        return std::pair{x - kCentreCell.first, y - kCentreCell.second};
    };
    // A turn by 90 degrees maps the offset (dx, dy) to (-dy, dx) on the screen
    // (y grows downward), by 270 to (dy, -dx); rounding may differ by a pixel.
    auto expect_turned = [](std::pair<int, int> upright, std::pair<int, int> turned, int degrees) {
        const std::pair<int, int> expected = degrees % 360 == 90
                                                 ? std::pair{-upright.second, upright.first}
                                                 : std::pair{upright.second, -upright.first};
        EXPECT_LE(std::abs(turned.first - expected.first), 1)
            << degrees << " degrees: expected x offset " << expected.first << " got " << turned.first;
        EXPECT_LE(std::abs(turned.second - expected.second), 1)
            << degrees << " degrees: expected y offset " << expected.second << " got " << turned.second;
    };

    const LissajousRun first = Cut(rig.Run(Act_Lissajous), 15);
    ASSERT_EQ(first.figures.size(), 636u);
    expect_turned(second_point(first, 0), second_point(first, 1), 90);
    expect_turned(second_point(first, 2), second_point(first, 3), 270);
    expect_turned(second_point(first, 4), second_point(first, 5), 450);
    EXPECT_EQ(rig.saver.carry_over().RotationDegrees(), 540);

    const LissajousRun second = Cut(rig.Run(Act_Lissajous), 15);
    ASSERT_EQ(second.figures.size(), 636u);
    expect_turned(second_point(second, 0), second_point(second, 1), 630);
    expect_turned(second_point(second, 2), second_point(second, 3), 810);
    EXPECT_EQ(rig.saver.carry_over().RotationDegrees(), 1080);
}

TEST(Lissajous, AtEverySpeedTheCentreBallBouncesWithinTheScreenAndTheRunEnds)
{
    // A small screen makes many bounces (a smaller one still under the
    // sanitizers, where a frame costs more). Speed 1 flies 34.2 pixels a
    // frame, speed 30 2.25 (rounded to a whole pixel every frame).
    const int width = testrig::kSanitized ? 160 : 320, height = testrig::kSanitized ? 120 : 240;
    std::set<std::pair<int, int>> diagonals;
    for (std::int16_t speed = 1; speed <= 30; ++speed) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        ActionRig rig(ActionSettings(speed), width, height, std::uint64_t(speed));
        const auto fx = rig.saver.formation().FormationX(), fy = rig.saver.formation().FormationY();
        const double cx = rig.saver.formation().CenterFormationX(), cy = rig.saver.formation().CenterFormationY();
        const auto events = rig.Run(Act_Lissajous);
        const LissajousRun run = Cut(events, speed);
        ASSERT_EQ(run.figures.size(), 636u);
        int turns = 0;
        int last_dx = 0;
        std::pair<int, int> previous = At(run.gather.back(), 11);
        for (const Event& frame : run.figures) {
            const auto [x, y] = At(frame, 11);
            ASSERT_GE(x + 36, 0) << frame.line;
            ASSERT_LE(x + 36, width) << frame.line;
            ASSERT_GE(y + 36, 0) << frame.line;
            ASSERT_LE(y + 36, height) << frame.line;
            const int dx = x - previous.first;
            if (&frame == &run.figures.front())
                diagonals.insert({dx > 0 ? 1 : -1, y - previous.second > 0 ? 1 : -1});
            else if ((dx > 0) != (last_dx > 0))
                ++turns;
            last_dx = dx;
            previous = {x, y};
        }
        EXPECT_GT(turns, 0) << "the centre ball never turned back";
        EXPECT_EQ(run.closing.size(), std::size_t(2 * speed));
        ExpectEndsInFormation(rig.saver, frames_of(events), fx, fy, cx, cy);
    }
    EXPECT_EQ(diagonals.size(), 4u) << "the four diagonals should all occur";
}

TEST(Lissajous, RunsToItsEndFromTheSchedulerAtSpeeds10_15_30)
{
    for (std::int16_t speed : {10, 15, 30}) {
        SCOPED_TRACE("speed " + std::to_string(speed));
        KindRun run = RunOnlyKind(9, speed);
        const Ball_A& s = run.rig->saver;
        const std::vector<Event> frames = frames_of(run.events);
        EXPECT_EQ(frames.size(), std::size_t(speed + 636 + speed + 2 * speed));
        EXPECT_EQ(ClosingModes(run.events), std::vector<int>{1});
        ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                              s.formation().CenterFormationY());
    }
}
