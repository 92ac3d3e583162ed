// The frame primitives: what reaches Display, what the trace says, and the
// order of present, messages and pause.
#include "support/saver_rig.h"

#include "gfx/color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using test_support::default_settings;
using test_support::Op;
using test_support::SaverRig;
using test_support::screen_of;

constexpr gfx::Pixel kBackground = gfx::rgb(0, 0, 64);

// A sprite that is one flat colour inside the ball's disc and black outside,
// made from the ball's own mask.
void FlatSprite(gfx::Surface& sprite, const gfx::Surface& mask, gfx::Pixel colour)
{
    sprite.resize(mask.width(), mask.height(), gfx::kBlack);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (mask.at(x, y) == gfx::kBlack)
                sprite.set(x, y, colour);
}

std::string Describe(const Op& op)
{
    return std::string(1, op.what) + " " + std::to_string(op.ball) + " (" + std::to_string(op.x)
           + "," + std::to_string(op.y) + ") " + std::to_string(op.w) + "x" + std::to_string(op.h);
}

void ExpectBall(const Op& op, int ball, int x, int y, int w, int h)
{
    EXPECT_EQ(Describe(op), Describe(Op{'B', ball, x, y, w, h}));
}

class Compositor : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.load(false);
        FlatSprite(rig.saver.stage().paint_Pic_Mas(1), rig.saver.stage().Pic_Mask(), gfx::rgb(200, 10, 10));
        FlatSprite(rig.saver.stage().paint_Pic_Mas(11), rig.saver.stage().Pic_Mask_C(), gfx::rgb(10, 200, 10));
        rig.saver.stage().Display()->fill(kBackground); // no trace op pending
        rig.take_events();
    }
    SaverRig rig{default_settings(), screen_of(200, 150)};
};

TEST_F(Compositor, StampPutsTheBallInsideItsDiscAndKeepsTheBackgroundAround)
{
    Ball_A& s = rig.saver;
    s.stage().BlitBall(1, 10, 20);
    s.stage().BlitBall(11, 100, 50);
    const gfx::Surface& d = *s.stage().Display();
    EXPECT_EQ(d.at(10 + 24, 20 + 24), gfx::rgb(200, 10, 10)) << "small ball centre";
    EXPECT_EQ(d.at(10, 20), kBackground) << "small cell corner";
    EXPECT_EQ(d.at(10 + 47, 20 + 47), kBackground);
    EXPECT_EQ(d.at(100 + 36, 50 + 36), gfx::rgb(10, 200, 10)) << "centre ball centre";
    EXPECT_EQ(d.at(100 + 70, 50 + 1), kBackground) << "centre ball cell corner";
    // The first row of the small mask is black from column 20 to 27.
    EXPECT_EQ(d.at(10 + 19, 20), kBackground);
    EXPECT_EQ(d.at(10 + 20, 20), gfx::rgb(200, 10, 10));
    EXPECT_EQ(d.at(10 + 27, 20), gfx::rgb(200, 10, 10));
    EXPECT_EQ(d.at(10 + 28, 20), kBackground);
}

TEST_F(Compositor, PositionsRoundHalfToEvenAndTheTraceHoldsWholePixels)
{
    Ball_A& s = rig.saver;
    s.stage().BlitBall(1, 10.5, 11.5);
    s.stage().BlitBall(11, -0.5, 2.4999);
    s.stage().BlitBall(2, -1.5, 3.5000001);
    s.stage().blit_ball_scaled(11, 10.5, 20, 35.5, -4.5);
    s.stage().PresentFrame();
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].ops.size(), 4u);
    ExpectBall(frames[0].ops[0], 1, 10, 12, 48, 48);
    ExpectBall(frames[0].ops[1], 11, 0, 2, 72, 72);
    ExpectBall(frames[0].ops[2], 2, -2, 4, 48, 48);
    ExpectBall(frames[0].ops[3], 11, 10, 20, 36, -4);
}

TEST_F(Compositor, BallsOffTheScreenOrAtImpossiblePositionsNeverCrash)
{
    Ball_A& s = rig.saver;
    const gfx::Surface before = *s.stage().Display();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    s.stage().BlitBall(1, 5000, 5000);
    s.stage().BlitBall(1, -48, 0);
    s.stage().BlitBall(11, 2147483647.0, 0);
    s.stage().BlitBall(1, nan, 0);
    s.stage().BlitBall(1, 0, -inf);
    s.stage().blit_ball_scaled(11, 0, 0, 1e15, 1e15);
    s.stage().blit_ball_scaled(11, 10, 10, 0, 30);
    s.stage().BlitBall(0, 10, 10);  // no such sprite on the frame
    s.stage().BlitBall(12, 10, 10);
    EXPECT_TRUE(*s.stage().Display() == before) << "nothing on screen may change";
    s.stage().PresentFrame();
    const auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 1u);
    // Off-screen stamps are traced; positions no pixel can take are skipped.
    ASSERT_EQ(frames[0].ops.size(), 3u);
    ExpectBall(frames[0].ops[0], 1, 5000, 5000, 48, 48);
    ExpectBall(frames[0].ops[1], 1, -48, 0, 48, 48);
    ExpectBall(frames[0].ops[2], 11, 10, 10, 0, 30);
}

// Drawing on Display by hand, as these tests do, is drawing outside the
// primitives: mark_whole_frame() says so, and the next restore is whole.
TEST_F(Compositor, SingleColourBackgroundFillsAndOtherBackgroundsCopyPicBase)
{
    Ball_A& s = rig.saver;
    s.stage().change_Pic_Base().fill(gfx::rgb(1, 2, 3));
    for (std::int16_t mode : {2, 1, 3, 4, 0}) {
        rig.settings.g_BackgroundMode = mode;
        const gfx::Pixel expected = mode == 2 ? kBackground : gfx::rgb(1, 2, 3);
        s.stage().Display()->fill(gfx::rgb(9, 9, 9));
        s.stage().mark_whole_frame();
        s.stage().RestoreBackground();
        EXPECT_EQ(s.stage().Display()->at(0, 0), expected) << "mode " << mode;
        EXPECT_EQ(s.stage().Display()->at(199, 149), expected) << "mode " << mode;

        // Restoring only where a ball was drawn gives back the same
        // background: the fill never consults Pic_Base, the others copy it.
        s.stage().BlitBall(1, 150, 120);
        s.stage().blit_ball_scaled(11, 20, 30, 50, -40);
        s.stage().RestoreBackground();
        EXPECT_TRUE(*s.stage().Display() == gfx::Surface(200, 150, expected)) << "mode " << mode;
    }
}

// What the screen shows, refresh by refresh, beside what was drawn.
class PartialPresent : public Compositor {
protected:
    void SetUp() override
    {
        Compositor::SetUp();
        rig.host.set_frame_sink([this](const host::Window& w, const gfx::Surface& f) {
            shown.update(rig.host.record_for(w), f);
        });
        rig.saver.stage().mark_whole_frame();
    }
    const host::WindowRecord& record() const { return rig.host.windows()[0]; }
    std::string sent() const
    {
        std::string text;
        for (const gfx::Rect& r : record().last_refresh_areas)
            text += (text.empty() ? "" : " ") + Describe(Op{'A', 0, r.x, r.y, r.width, r.height});
        return text;
    }
    host::ShownPicture shown;
};

TEST_F(PartialPresent, SendsTheCellsABallLeftAndEnteredClippedToTheScreen)
{
    Ball_A& s = rig.saver;
    const auto frame = [&](double x, double y) {
        s.stage().RestoreBackground();
        s.stage().BlitBall(1, x, y);
        s.stage().PresentFrame();
        EXPECT_TRUE(shown.picture() == *s.stage().Display()) << "the screen differs from the frame";
    };
    frame(10, 20);
    EXPECT_EQ(sent(), "A 0 (0,0) 200x150") << "the first frame is whole";
    frame(13, 18);
    EXPECT_EQ(sent(), "A 0 (10,18) 51x50") << "a small step: one block";
    frame(180, -10);
    EXPECT_EQ(sent(), "A 0 (13,18) 48x48 A 0 (180,0) 20x38") << "partly off the screen";
    frame(500, 20);
    EXPECT_EQ(sent(), "A 0 (180,0) 20x38") << "wholly off: only the cell it left";
    frame(500, 20);
    EXPECT_EQ(sent(), "") << "nothing changed";
    EXPECT_EQ(record().refreshes, 5) << "an empty refresh is a refresh all the same";
}

TEST_F(PartialPresent, TrailsReachTheScreenAsDrawnAndTheNextRestoreWipesThemAll)
{
    Ball_A& s = rig.saver;
    s.stage().RestoreBackground();
    // Far more stamps than the bookkeeping holds apart.
    for (int k = 0; k < 150; ++k) {
        s.stage().BlitBall(1, (k * 37) % 190 - 20, (k * 23) % 140 - 20);
        s.stage().blit_ball_scaled(11, (k * 13) % 200, (k * 29) % 150, -(k % 50), 30 - k % 60);
        s.stage().PresentFrame();
        ASSERT_TRUE(shown.picture() == *s.stage().Display()) << "trail frame " << k;
    }
    s.stage().RestoreBackground();
    EXPECT_TRUE(*s.stage().Display() == gfx::Surface(200, 150, kBackground)) << "a trail survived the restore";
    s.stage().PresentFrame();
    EXPECT_TRUE(shown.picture() == *s.stage().Display());
}

// A mirrored ball whose corner lies on the first column or row covers that
// column or row too: it is drawn there, restored and sent.
TEST_F(PartialPresent, AMirroredBallOnTheFirstColumnIsDrawnRestoredAndSent)
{
    Ball_A& s = rig.saver;
    s.stage().RestoreBackground();
    s.stage().PresentFrame();
    s.stage().blit_ball_scaled(11, 0, 40, -30, 30);
    s.stage().blit_ball_scaled(11, 80, 0, 30, -30);
    int changed_column = 0, changed_row = 0;
    for (int i = 0; i < 150; ++i)
        changed_column += s.stage().Display()->at(0, i) != kBackground;
    for (int i = 0; i < 200; ++i)
        changed_row += s.stage().Display()->at(i, 0) != kBackground;
    EXPECT_GT(changed_column, 0);
    EXPECT_GT(changed_row, 0);
    s.stage().PresentFrame();
    EXPECT_TRUE(shown.picture() == *s.stage().Display());
    s.stage().RestoreBackground();
    s.stage().PresentFrame();
    EXPECT_TRUE(*s.stage().Display() == gfx::Surface(200, 150, kBackground));
    EXPECT_TRUE(shown.picture() == *s.stage().Display());
}

TEST_F(PartialPresent, FullRedrawRestoresAndSendsEveryFrameWhole)
{
    Ball_A& s = rig.saver;
    s.stage().set_full_redraw(true);
    for (int k = 0; k < 3; ++k) {
        s.stage().RestoreBackground();
        s.stage().BlitBall(1, 10 + k, 20);
        s.stage().PresentFrame();
        EXPECT_EQ(sent(), "A 0 (0,0) 200x150");
    }
    EXPECT_EQ(record().area_refreshes, 0);
}

TEST_F(Compositor, PresentTracesRefreshesLetsInputInAndThenPauses)
{
    rig.settings.g_PcSpec = 7;
    Ball_A& s = rig.saver;
    const std::uint64_t t0 = rig.host.now_ms();
    s.stage().RestoreBackground();
    s.stage().PresentFrame();
    EXPECT_EQ(rig.host.now_ms(), t0 + 7);
    EXPECT_GE(rig.host.windows()[0].refreshes, 1);
    auto frames = rig.take_frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].number("pause"), 7);
    ASSERT_EQ(frames[0].ops.size(), 1u);
    EXPECT_EQ(frames[0].ops[0].what, 'R');

    // A click due now reaches the saver inside the present, after the frame
    // was traced, and ends it before the pause.
    rig.host.add_input({rig.host.now_ms(), host::MouseEventKind::Down, host::kLeftButton, 5, 5});
    EXPECT_THROW(s.stage().PresentFrame(), host::ProcessEnd);
    EXPECT_EQ(rig.take_frames().size(), 1u);
    EXPECT_EQ(rig.host.now_ms(), t0 + 7);
}

TEST_F(Compositor, PauseIsTracedAsASleepAndANegativePauseIsNone)
{
    Ball_A& s = rig.saver;
    const std::uint64_t t0 = rig.host.now_ms();
    s.pause(1000);
    s.pause(-5);
    EXPECT_EQ(rig.host.now_ms(), t0 + 1000);
    const auto events = rig.take_events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].line, R"({"ev":"sleep","ms":1000})");
    EXPECT_EQ(events[1].line, R"({"ev":"sleep","ms":0})");
}

} // namespace
