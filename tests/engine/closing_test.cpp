// The closing figure: its length, its still balls, its drawing order and the
// swing of the centre ball.
#include "support/saver_rig.h"

#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using test_support::default_settings;
using test_support::Event;
using test_support::SaverRig;
using test_support::screen_of;

std::pair<int, int> WhereIs(const Event& frame, int n)
{
    for (const auto& op : frame.ops)
        if (op.what == 'B' && op.ball == n)
            return {op.x, op.y};
    return {-99999, -99999};
}

std::vector<int> BallsDrawn(const Event& frame)
{
    std::vector<int> balls;
    for (const auto& op : frame.ops)
        balls.push_back(op.what == 'R' ? 0 : op.ball);
    return balls;
}

// The first seed whose first draw picks this pivot.
std::uint64_t SeedForPivot(int pivot)
{
    for (std::uint64_t seed = 1;; ++seed) {
        Random r(seed);
        if (int(std::floor(10 * r.Rnd() + 1)) == pivot)
            return seed;
    }
}

int Wrap(int b) { return (b + 99) % 10 + 1; }

struct Closing {
    explicit Closing(int pivot, std::int16_t speed = 15)
        : rig(
              [&] {
                  Settings s = default_settings();
                  s.g_Speed = speed;
                  return s;
              }(),
              screen_of(800, 600), SeedForPivot(pivot))
    {
        rig.load(false);
        rig.take_events();
        Ball_A& s = rig.saver;
        // The action left the balls on a ring and the centre ball off-centre.
        for (int i = 1; i <= 10; ++i) {
            // Quarter pixels: the glides' sums land well clear of a rounding tie.
            s.formation().place(i, std::floor(400 + 150 * std::cos(i * 0.6283)) + 0.25,
                                std::floor(300 + 150 * std::sin(i * 0.6283)) - 0.25);
        }
        s.formation().place_centre(123.4, 234.6);
    }
    SaverRig rig;
};

TEST(ClosingTransition, TwoLegsOfSpeedFramesWithPivotAndOppositeBallStill)
{
    for (int pivot : {1, 3, 5, 6, 10}) {
        Closing c(pivot);
        Ball_A& s = c.rig.saver;
        const Ball_A::BallArray last_x = s.formation().FormationX(), last_y = s.formation().FormationY();
        s.FinishAction();
        const auto events = c.rig.take_events();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events[0].line, R"({"ev":"closing","mode":1,"pivot":)" + std::to_string(pivot) + "}")
            << "the closing line comes before the first frame";
        std::vector<Event> frames(events.begin() + 1, events.end());
        ASSERT_EQ(frames.size(), 30u) << "2 x 15 frames";

        const int still[] = {pivot, Wrap(pivot + 5)};
        for (const Event& f : frames) {
            for (int b : still)
                EXPECT_EQ(WhereIs(f, b), std::make_pair(gfx::round_half_even(last_x[b]),
                                                        gfx::round_half_even(last_y[b])))
                    << "pivot " << pivot << " ball " << b << " moved";
            EXPECT_EQ(WhereIs(f, 11), std::make_pair(123, 235)) << "mode 1 keeps the centre ball";
        }
        // Halfway every ball stands on its mirror partner's last place; at
        // the end on its own.
        for (int t = 0; t < 10; ++t) {
            const int b = Wrap(pivot + t), partner = Wrap(pivot - t);
            EXPECT_EQ(WhereIs(frames[14], b), std::make_pair(gfx::round_half_even(last_x[partner]),
                                                             gfx::round_half_even(last_y[partner])))
                << "pivot " << pivot << " ball " << b;
            EXPECT_EQ(WhereIs(frames[29], b), std::make_pair(gfx::round_half_even(last_x[b]),
                                                             gfx::round_half_even(last_y[b])))
                << "pivot " << pivot << " ball " << b;
        }
        EXPECT_EQ(s.glides().LastX(), last_x);
        EXPECT_EQ(s.glides().CenterLastX(), 123.4);
    }
}

TEST(ClosingTransition, FanOrderOutwardAndReversedOnTheWayBackWithTheCentreBallSixthOrSeventh)
{
    Closing c(3);
    c.rig.saver.FinishAction();
    const auto frames = c.rig.take_frames();
    ASSERT_EQ(frames.size(), 30u);
    const std::vector<int> out{0, 5, 6, 4, 7, 3, 11, 8, 2, 9, 1, 10};
    const std::vector<int> back{0, 10, 1, 9, 2, 8, 3, 11, 7, 4, 6, 5};
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(BallsDrawn(frames[std::size_t(k)]), out) << "outward frame " << k + 1;
    for (int k = 15; k < 30; ++k)
        EXPECT_EQ(BallsDrawn(frames[std::size_t(k)]), back) << "return frame " << k - 14;
}

TEST(ClosingTransition, Mode2SwingsTheCentreBallOnceRoundThePivotsCell)
{
    for (int pivot : {5, 1, 7}) {
        Closing c(pivot, 10);
        Ball_A& s = c.rig.saver;
        s.glides().hand_on_last(s.formation().FormationX(), s.formation().FormationY());
        s.PlayClosingTransition(ClosingCentre::Swing);
        const auto events = c.rig.take_events();
        EXPECT_EQ(events[0].line, R"({"ev":"closing","mode":2,"pivot":)" + std::to_string(pivot) + "}");
        const double clock = pivot == 5 ? 60 : pivot == 1 ? 36 : 12;
        EXPECT_EQ(s.closing().SwingClock(), clock) << "pivot " << pivot;
        EXPECT_EQ(s.closing().GatherX(), s.glides().LastX()[pivot] + 24);
        EXPECT_EQ(s.closing().GatherY(), s.glides().LastY()[pivot] + 24);

        std::vector<Event> frames(events.begin() + 1, events.end());
        ASSERT_EQ(frames.size(), 20u);
        // Frame k shows the hand at SwingClock + 30 (k + 2) / n minutes: the
        // first frame is 90/n minutes on, and the turn is complete after 2n.
        for (int k = 1; k <= 20; ++k) {
            const double theta = (clock + 30.0 * (k + 2) / 10) * 6.28318530717958 / 60 - 1.570796326794895;
            const int x = gfx::round_half_even(s.closing().GatherX() + std::floor(90 * std::cos(theta)) - 24);
            const int y = gfx::round_half_even(s.closing().GatherY() + std::floor(90 * std::sin(theta)) - 24);
            EXPECT_EQ(WhereIs(frames[std::size_t(k - 1)], 11), std::make_pair(x, y))
                << "pivot " << pivot << " frame " << k;
        }
        // Round the top-left corner of the pivot's cell at radius 90.
        const auto first = WhereIs(frames[0], 11);
        const auto final = WhereIs(frames[19], 11);
        const double r = std::hypot(first.first - s.glides().LastX()[pivot], first.second - s.glides().LastY()[pivot]);
        EXPECT_NEAR(r, 90, 2);
        EXPECT_NEAR(final.first, first.first, 60) << "ends near where it began";
        EXPECT_NEAR(final.second, first.second, 60);
    }
}

TEST(ClosingTransition, SwingClockSixtyForPivotFiveIsStraightUp)
{
    Closing c(5, 15);
    Ball_A& s = c.rig.saver;
    Ball_A::BallArray last_x{}, last_y{};
    for (int i = 1; i <= 10; ++i) {
        last_x[std::size_t(i)] = 100 + 30 * i;
        last_y[std::size_t(i)] = 200;
    }
    s.glides().hand_on_last(last_x, last_y);
    s.PlayClosingTransition(ClosingCentre::Swing);
    EXPECT_EQ(s.closing().SwingClock(), 60);
    EXPECT_EQ(s.closing().SwingCount(), 2 + 30) << "one step per frame over both legs";
    // The last frame's hand stands at 60 + 30 x 32 / 15 = 124 minutes, 4
    // minutes past the top: x = floor(90 sin(24 deg)) = 36, y = floor(-90 cos(24 deg)) = -83.
    EXPECT_EQ(s.closing().CenterSwingX(), 250 + 24 + 36 - 24);
    EXPECT_EQ(s.closing().CenterSwingY(), 200 + 24 - 83 - 24);
}

} // namespace
