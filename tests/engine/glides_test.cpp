// The shared glides and the pivot and drawing order of RotateBallOrder.
#include "support/saver_rig.h"

#include "gfx/color.h"
#include "gfx/numeric.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using test_support::default_settings;
using test_support::Event;
using test_support::SaverRig;
using test_support::screen_of;

std::vector<int> BallsDrawn(const Event& frame)
{
    std::vector<int> balls;
    for (const auto& op : frame.ops)
        balls.push_back(op.what == 'R' ? 0 : op.ball);
    return balls;
}

// The position of ball n's last stamp in a frame.
std::pair<int, int> WhereIs(const Event& frame, int n)
{
    std::pair<int, int> at{-99999, -99999};
    for (const auto& op : frame.ops)
        if (op.what == 'B' && op.ball == n)
            at = {op.x, op.y};
    return at;
}

class Glides : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.load(false);
        rig.take_events();
    }
    // Every small ball glides 6 pixels right and 3 up per frame from its own
    // start; the centre ball 1 left and 2 down.
    void SetUpGlide()
    {
        Ball_A& s = rig.saver;
        for (int i = 1; i <= 10; ++i)
            s.glides().aim_glide(i, 20 + 10 * i, 100 + 5 * i, 20 + 10 * i + 6 * 15, 100 + 5 * i - 3 * 15);
        // At the default speed of 15 frames: a step of exactly (1, -2).
        ASSERT_EQ(s.settings().g_Speed, 15);
        s.glides().aim_centre_glide(200, 150, 185, 180);
    }
    SaverRig rig{default_settings(), screen_of(400, 300)};
};

TEST_F(Glides, GlideBallsDrawsTheCentreBallInBallFivesPassAndErasesEveryFrame)
{
    SetUpGlide();
    rig.saver.glides().GlideBalls(GlideKind::Clean);
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 15u);
    const std::vector<int> order{0, 1, 2, 3, 4, 5, 11, 6, 7, 8, 9, 10};
    for (const Event& f : frames)
        EXPECT_EQ(BallsDrawn(f), order) << f.line;
    EXPECT_EQ(WhereIs(frames[0], 1), std::make_pair(36, 102));
    EXPECT_EQ(WhereIs(frames[14], 1), std::make_pair(30 + 90, 105 - 45));
    EXPECT_EQ(WhereIs(frames[14], 11), std::make_pair(200 - 15, 150 + 30));
}

TEST_F(Glides, GlideBallsMode2KeepsTheTrailsAndHoldsOneSecond)
{
    Ball_A& s = rig.saver;
    SetUpGlide();
    const std::uint64_t t0 = rig.host.now_ms();
    s.glides().GlideBalls(GlideKind::Trail);
    const auto events = rig.take_events();
    std::vector<Event> frames;
    for (const Event& e : events)
        if (e.ev == "frame")
            frames.push_back(e);
    ASSERT_EQ(frames.size(), 15u);
    EXPECT_EQ(BallsDrawn(frames[0]).front(), 0) << "erased once before the first frame";
    int restores = 0;
    for (const Event& f : frames)
        for (int b : BallsDrawn(f))
            restores += b == 0;
    EXPECT_EQ(restores, 1);
    ASSERT_EQ(events.back().ev, "sleep");
    EXPECT_EQ(events.back().number("ms"), 1000);
    EXPECT_EQ(rig.host.now_ms(), t0 + 1000);

    // Ball 1's first image (cell at x 36) is still on screen where no later
    // image of any ball reaches: its disc's left edge on its middle row.
    const gfx::Pixel trail = s.stage().Display()->at(36 + 1, 102 + 24);
    EXPECT_NE(trail, gfx::rgb(0, 0, 64)) << "the first image of ball 1 was erased";

    // Mode 1 erases the same place.
    SetUpGlide();
    s.glides().GlideBalls(GlideKind::Clean);
    EXPECT_EQ(s.stage().Display()->at(36 + 1, 102 + 24), gfx::rgb(0, 0, 64));
}

TEST_F(Glides, CenterOnTopDrawsTheCentreBallLast)
{
    SetUpGlide();
    rig.saver.glides().GlideBallsCenterOnTop();
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 15u);
    const std::vector<int> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    for (const Event& f : frames)
        EXPECT_EQ(BallsDrawn(f), order);
}

TEST_F(Glides, GatherToCenterMode1StacksEverySmallBallOnTheGatherPointWithBall10OnTop)
{
    Ball_A& s = rig.saver;
    for (int i = 1; i <= 10; ++i) {
        s.glides().hand_on_start(i, s.formation().FormationX()[i] + 0.37 * i, s.formation().FormationY()[i] - 1.1 * i);
    }
    s.formation().place_centre(300.2, 10.7);
    s.glides().GatherToCenter(Gathering::SmallBalls, 176.4, 126.6);
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 15u);
    const std::vector<int> order{0, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (const Event& f : frames) {
        EXPECT_EQ(BallsDrawn(f), order);
        EXPECT_EQ(WhereIs(f, 11), std::make_pair(300, 11)) << "the centre ball never moves";
    }
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(WhereIs(frames.back(), i), std::make_pair(176, 127)) << "ball " << i;
        EXPECT_EQ(s.glides().StartX()[i], 176.4);
        EXPECT_EQ(s.glides().StartY()[i], 126.6);
    }
}

TEST_F(Glides, GatherToCenterMode2BringsTheCentreBallToo)
{
    Ball_A& s = rig.saver;
    for (int i = 1; i <= 10; ++i) {
        s.glides().hand_on_start(i, s.formation().FormationX()[i], s.formation().FormationY()[i]);
    }
    s.glides().set_centre_start(10, 20);
    s.glides().GatherToCenter(Gathering::WithCentre, 100, 50);
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 15u);
    const std::vector<int> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    EXPECT_EQ(BallsDrawn(frames[0]), order);
    EXPECT_EQ(WhereIs(frames[0], 11), std::make_pair(16, 22));
    EXPECT_EQ(WhereIs(frames.back(), 11), std::make_pair(100, 50));
    EXPECT_EQ(s.glides().CenterStartX(), 100);
    EXPECT_EQ(s.glides().CenterStartY(), 50);
}

TEST_F(Glides, GlideIntoFormationEndsOnTheFormationWithTheCentreBallUnderneath)
{
    Ball_A& s = rig.saver;
    for (int i = 1; i <= 10; ++i) {
        s.glides().hand_on_start(i, 5.0 * i, 7.0 * i);
    }
    s.glides().set_centre_start(0, 0);
    s.glides().GlideIntoFormation();
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 15u);
    const std::vector<int> order{0, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (const Event& f : frames)
        EXPECT_EQ(BallsDrawn(f), order);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(WhereIs(frames.back(), i),
                  std::make_pair(gfx::round_half_even(s.formation().FormationX()[i]),
                                 gfx::round_half_even(s.formation().FormationY()[i])))
            << "ball " << i;
        EXPECT_EQ(s.glides().StartX()[i], 5.0 * i) << "start positions are kept";
    }
    EXPECT_EQ(WhereIs(frames.back(), 11), std::make_pair(164, 114));
    // The first frame already shows the first step.
    EXPECT_EQ(WhereIs(frames[0], 11), std::make_pair(11, 8)); // 164/15, 114/15 rounded
}

TEST(GlideSpeed, SpeedOneMakesEachGlideASingleJumpToItsEnd)
{
    Settings settings = default_settings();
    settings.g_Speed = 1;
    SaverRig rig(settings, screen_of(400, 300));
    rig.load(false);
    Ball_A& s = rig.saver;
    for (int i = 1; i <= 10; ++i) {
        s.glides().hand_on_start(i, 0, 0);
    }
    rig.take_events();
    s.glides().GatherToCenter(Gathering::SmallBalls, 33, 44);
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 1u);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(WhereIs(frames[0], i), std::make_pair(33, 44));
}

// ---- the helpers that aim glides and move snakes

// Aimed glides land exactly on their targets at every speed, from starts
// whose steps are not whole pixels, and a centre ball aimed at its own place
// stays on it.
TEST(AimGlide, EveryBallLandsOnItsTargetAtEverySpeed)
{
    for (std::int16_t speed = 1; speed <= 30; ++speed) {
        SaverRig rig(default_settings(speed), screen_of(400, 300));
        rig.load(false);
        rig.take_events();
        Ball_A& s = rig.saver;
        Ball_A::BallArray from_x{}, from_y{}, to_x{}, to_y{};
        for (std::size_t i = 1; i <= 10; ++i) {
            from_x[i] = 3.3 * double(i);
            from_y[i] = 290 - 7.7 * double(i);
            to_x[i] = 380 - 11.23 * double(i);
            to_y[i] = 1.37 * double(i);
        }
        s.glides().aim_glides(from_x, from_y, to_x, to_y);
        s.glides().aim_glide(4, 17.5, 250.5, 101.25, -20.75); // one ball aimed on its own
        s.glides().aim_centre_glide(123.4, 56.6, 123.4, 56.6);
        s.glides().GlideBalls(GlideKind::Clean);
        const auto frames = rig.take_frames();
        ASSERT_EQ(int(frames.size()), speed);
        for (int i = 1; i <= 10; ++i) {
            const double tx = i == 4 ? 101.25 : to_x[std::size_t(i)];
            const double ty = i == 4 ? -20.75 : to_y[std::size_t(i)];
            EXPECT_EQ(WhereIs(frames.back(), i),
                      std::make_pair(gfx::round_half_even(tx), gfx::round_half_even(ty)))
                << "speed " << speed << " ball " << i;
        }
        for (const Event& f : frames)
            ASSERT_EQ(WhereIs(f, 11), std::make_pair(123, 57)) << "speed " << speed;
    }
}

// After k shifts slot i holds the lead's place of i frames before, and slots
// beyond k still hold where the snake started.
TEST(ShiftSnake, SlotIRepeatsTheLeadOfIFramesBefore)
{
    Ball_A::BallArray x{}, y{};
    x.fill(-1);
    y.fill(-2);
    for (int k = 1; k <= 14; ++k) {
        ::Glides::shift_snake(x, y, 10.0 * k, 100.0 * k);
        for (int i = 1; i <= 10; ++i) {
            const bool reached = i <= k;
            EXPECT_EQ(x[std::size_t(i)], reached ? 10.0 * (k - i + 1) : -1) << "frame " << k << " slot " << i;
            EXPECT_EQ(y[std::size_t(i)], reached ? 100.0 * (k - i + 1) : -2) << "frame " << k << " slot " << i;
        }
    }
    EXPECT_EQ(x[0], -1) << "slot 0 is not part of the snake";
}

// ---- RotateBallOrder

TEST(RotateBallOrder, PivotThreeMirrorsTheLastPositionsAndFansTheOrder)
{
    SaverRig rig(default_settings(), screen_of(400, 300));
    Ball_A& s = rig.saver;
    Ball_A::BallArray last_x{}, last_y{};
    for (int i = 1; i <= 10; ++i) {
        last_x[std::size_t(i)] = 100 * i;
        last_y[std::size_t(i)] = 1000 * i;
    }
    s.glides().hand_on_last(last_x, last_y);
    ASSERT_EQ(s.glides().RotateBallOrder(PivotChoice::Next, 2), 3); // 2 advances to 3
    // StartX(3 + t) = LastX(3 - t), cyclic: 3<-3, 4<-2, 5<-1, 6<-10, 7<-9, 8<-8, ...
    const int partner[11] = {0, 5, 4, 3, 2, 1, 10, 9, 8, 7, 6};
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(s.glides().StartX()[i], 100 * partner[i]) << "ball " << i;
        EXPECT_EQ(s.glides().StartY()[i], 1000 * partner[i]) << "ball " << i;
    }
    const std::array<int, 11> order{0, 5, 6, 4, 7, 3, 8, 2, 9, 1, 10};
    EXPECT_EQ(s.glides().DrawOrder(), order);

    ASSERT_EQ(s.glides().RotateBallOrder(PivotChoice::Next, 10), 1); // 10 advances to 1
    const std::array<int, 11> order_for_1{0, 3, 4, 2, 5, 1, 6, 10, 7, 9, 8};
    EXPECT_EQ(s.glides().DrawOrder(), order_for_1);
}

TEST(RotateBallOrder, AdvancingSkipsFiveAndWrapsAfterNine)
{
    SaverRig rig(default_settings(), screen_of(400, 300));
    Ball_A& s = rig.saver;
    const int from[] = {0, 1, 4, 5, 8, 9, 10, 11, 37};
    const int to[] = {1, 2, 6, 6, 9, 1, 1, 1, 1};
    for (std::size_t k = 0; k < std::size(from); ++k) {
        EXPECT_EQ(s.glides().RotateBallOrder(PivotChoice::Next, from[k]), to[k]) << "from " << from[k];
    }
    std::vector<int> cycle;
    int pivot = 9;
    for (int k = 0; k < 9; ++k) {
        pivot = s.glides().RotateBallOrder(PivotChoice::Next, pivot);
        cycle.push_back(pivot);
    }
    EXPECT_EQ(cycle, (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9, 1}));
}

TEST(RotateBallOrder, ModeOneDrawsThePivotFromTheOneGenerator)
{
    for (std::uint64_t seed : {1u, 2u, 3u, 99u}) {
        SaverRig rig(default_settings(), screen_of(400, 300), seed);
        Random twin(seed);
        for (int k = 0; k < 20; ++k) {
            const int pivot = rig.saver.glides().RotateBallOrder(PivotChoice::Random, k);
            const int expected = int(std::floor(10 * twin.Rnd() + 1));
            EXPECT_EQ(pivot, expected) << "seed " << seed << " draw " << k;
        }
    }
}

} // namespace
