// The saver window: its formations, its window and surfaces, the movement
// rule and how it ends.
#include "support/saver_rig.h"
#include "support/sanitizers.h"

#include "gfx/color.h"

#include <gtest/gtest.h>

namespace {

using test_support::default_settings;
using test_support::SaverRig;
using test_support::screen_of;

TEST(SaverWindowLoad, StartingRingMatchesTheTableIncludingTheMinusOneAtTheTop)
{
    SaverRig rig;
    rig.load();
    const Ball_A& s = rig.saver;
    const int dx[11] = {0, 52, 85, 85, 52, 0, -53, -86, -86, -53, -1};
    const int dy[11] = {0, -73, -28, 27, 72, 90, 72, 27, -28, -73, -90};
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(s.formation().FormationX()[i], 512 + dx[i] - 24) << "ball " << i << ": expected dx " << dx[i]
                                                     << " got " << s.formation().FormationX()[i] - 488;
        EXPECT_EQ(s.formation().FormationY()[i], 384 + dy[i] - 24) << "ball " << i << ": expected dy " << dy[i]
                                                     << " got " << s.formation().FormationY()[i] - 360;
    }
}

TEST(SaverWindowLoad, CentreAndFormationsOn1024x768)
{
    SaverRig rig;
    rig.load();
    const Ball_A& s = rig.saver;
    EXPECT_EQ(s.ScreenWidthPx(), 1024);
    EXPECT_EQ(s.ScreenHeightPx(), 768);
    EXPECT_EQ(s.CenterX(), 512);
    EXPECT_EQ(s.CenterY(), 384);
    EXPECT_EQ(s.formation().FormationX()[1], 540);
    EXPECT_EQ(s.formation().FormationY()[1], 287);
    EXPECT_EQ(s.formation().CenterFormationX(), 476);
    EXPECT_EQ(s.formation().CenterFormationY(), 348);
    EXPECT_EQ(s.scheduler().ActionCounter(), 20);
    EXPECT_TRUE(s.scheduler().FirstRun());
}

TEST(SaverWindowLoad, RodsLeaveTheCentreCellFree)
{
    SaverRig rig;
    rig.load();
    const Ball_A& s = rig.saver;
    EXPECT_EQ(s.formation().BallGap(), 3);
    // 582 pixels centred: across = (1024 - 582) / 2, down = (768 - 582) / 2.
    const double across0 = 221, down0 = 93;
    for (int i = 1; i <= 10; ++i) {
        const double skip = i > 5 ? 75 : 0;
        EXPECT_EQ(s.formation().HorizontalRodX()[i], across0 + (i - 1) * 51 + skip) << "ball " << i;
        EXPECT_EQ(s.formation().HorizontalRodY()[i], 360) << "ball " << i;
        EXPECT_EQ(s.formation().VerticalRodX()[i], 488) << "ball " << i;
        EXPECT_EQ(s.formation().VerticalRodY()[i], down0 + (i - 1) * 51 + skip) << "ball " << i;
    }
    EXPECT_EQ(s.formation().HorizontalRodX()[6], 551);
    // The free cell is the centre ball's: 72 wide with a gap either side.
    EXPECT_EQ(s.formation().HorizontalRodX()[6] - (s.formation().HorizontalRodX()[5] + 48), 72 + 2 * 3);
    EXPECT_EQ(s.formation().HorizontalRodX()[5] + 48 + 3, s.formation().CenterFormationX());
}

TEST(SaverWindowLoad, OpensTheSaverWindowCoveringTheScreenTopmostWithItsTimer)
{
    Settings settings = default_settings();
    settings.g_BackgroundColor = gfx::colorref(10, 20, 30);
    SaverRig rig(settings, screen_of(320, 200));
    rig.load();
    ASSERT_EQ(rig.host.windows().size(), 1u);
    const host::WindowRecord& w = rig.host.windows()[0];
    EXPECT_EQ(w.title, "Orvelune(Main)");
    EXPECT_EQ(w.rect, (gfx::Rect{0, 0, 320, 200}));
    EXPECT_TRUE(w.shown);
    EXPECT_TRUE(w.topmost);
    EXPECT_EQ(w.timer_interval_ms, 10);

    const Ball_A& s = rig.saver;
    ASSERT_NE(s.stage().Display(), nullptr);
    EXPECT_EQ(s.stage().Display()->width(), 320);
    EXPECT_EQ(s.stage().Display()->height(), 200);
    EXPECT_EQ(s.stage().Pic_Base().width(), 320);
    EXPECT_EQ(s.stage().Pic_Base().height(), 200);
    EXPECT_EQ(s.stage().Pic_Base().at(0, 0), gfx::rgb(10, 20, 30));
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(s.stage().Pic_Mas(i).width(), 48) << "sprite " << i;
    EXPECT_EQ(s.stage().Pic_Mas(11).width(), 72);
}

TEST(SaverWindowLoad, SaverModeHidesTheCursorAgainButAnEmptyCommandLineDoesNot)
{
    SaverRig saver_mode;
    saver_mode.load();
    ASSERT_EQ(saver_mode.host.cursor_calls().size(), 1u);
    EXPECT_FALSE(saver_mode.host.cursor_calls()[0]);
    EXPECT_EQ(saver_mode.ending.cursor_count(), saver_mode.host.cursor_count());

    SaverRig empty(default_settings(), screen_of(1024, 768), 1, SaverStart{0, true, 0});
    empty.load();
    EXPECT_TRUE(empty.host.cursor_calls().empty());
}

// ---- the movement rule and EndSaver

bool Ends(auto&& action)
{
    try {
        action();
    } catch (const host::ProcessEnd&) {
        return true;
    }
    return false;
}

TEST(MovementRule, OnlyAMoveChangingBothCoordinatesEndsTheSaver)
{
    SaverRig rig;
    rig.load();
    Ball_A& s = rig.saver;
    EXPECT_FALSE(Ends([&] { s.Display_MouseMove(100, 100); })) << "the first move only records";
    EXPECT_FALSE(Ends([&] { s.Display_MouseMove(200, 100); })) << "straight right by 100";
    EXPECT_FALSE(Ends([&] { s.Display_MouseMove(100, 700); })) << "straight down";
    EXPECT_EQ(s.MouseRefX(), 100) << "the reference is not updated by later moves";
    EXPECT_TRUE(Ends([&] { s.Display_MouseMove(101, 101); })) << "a diagonal move of one pixel";
    EXPECT_EQ(rig.host.ended_with(), 0);
    // In saver mode: the saver is reported stopped and screen saving re-armed.
    EXPECT_EQ(rig.host.screen_saver_running_calls(), std::vector<bool>{false});
    EXPECT_EQ(rig.host.screen_saving_active_calls(), std::vector<bool>{true});
    EXPECT_EQ(rig.host.password_verifications(), 0) << "NT: no password";
}

TEST(MovementRule, EmptyCommandLineNeverEndsOnMovementButEndsOnAClick)
{
    SaverRig rig(default_settings(), screen_of(1024, 768), 1, SaverStart{0, true, 0});
    rig.load();
    Ball_A& s = rig.saver;
    rig.host.options().is_nt = false; // even where a password would be asked
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(Ends([&] { s.Display_MouseMove(float(10 * i), float(7 * i)); }));
    EXPECT_TRUE(Ends([&] { s.Display_MouseDown(host::kRightButton, 5, 5); }));
    EXPECT_EQ(rig.host.password_verifications(), 0);
    EXPECT_TRUE(rig.host.cursor_calls().empty()) << "the cursor is never hidden or shown";
    EXPECT_TRUE(rig.host.screen_saver_running_calls().empty());
    EXPECT_EQ(rig.host.screen_saving_active_calls(), std::vector<bool>{true});
}

TEST(EndSaver, WrongPasswordKeepsRunningWithTheCursorHiddenAndNeedsANewReference)
{
    // Start-up hid the cursor once.
    SaverRig rig(default_settings(), screen_of(1024, 768), 1, SaverStart{'S', false, -1});
    rig.host.options().is_nt = false;
    rig.host.password_answers = {false, true};
    rig.host.show_cursor(false);
    rig.load();
    Ball_A& s = rig.saver;
    ASSERT_EQ(rig.host.cursor_count(), -2);

    s.Display_MouseMove(10, 10);
    EXPECT_FALSE(Ends([&] { s.Display_MouseMove(20, 20); })) << "refused password";
    EXPECT_EQ(rig.host.password_verifications(), 1);
    EXPECT_EQ(rig.host.cursor_count(), -2) << "the cursor is hidden again";
    EXPECT_EQ(rig.ending.cursor_count(), -2);
    EXPECT_TRUE(rig.host.screen_saver_running_calls().empty());

    // The next move records a new reference; only a move off it in both axes ends.
    EXPECT_FALSE(Ends([&] { s.Display_MouseMove(500, 500); }));
    EXPECT_FALSE(Ends([&] { s.Display_MouseMove(500, 20); }));
    EXPECT_TRUE(Ends([&] { s.Display_MouseMove(501, 501); }));
    EXPECT_EQ(rig.host.password_verifications(), 2);
    EXPECT_EQ(rig.host.screen_saver_running_calls(), std::vector<bool>{false});
    EXPECT_EQ(rig.host.ended_with(), 0);
}

// ---- sound bounds on the settings

TEST(SettingsBounds, SpeedAndPauseAreTakenAtTheNearestSoundValue)
{
    struct Case {
        std::int16_t speed, pcspec;
        std::int16_t want_speed, want_pcspec;
        double want_factor;
    };
    // A factor of -99 stands for whatever the loader computed: it is kept
    // for a speed in range and recomputed for one that is moved.
    for (Case c : {Case{0, -1, 1, 0, 3.8}, Case{-5, 100, 1, 100, 3.8}, Case{40, 1000, 30, 1000, 0.25},
                   Case{35, 5, 30, 5, 0.25}, Case{15, 32767, 15, 1000, -99},
                   Case{30, 0, 30, 0, -99}, Case{1, 1, 1, 1, -99}}) {
        Settings settings = default_settings();
        settings.g_Speed = c.speed;
        settings.g_PcSpec = c.pcspec;
        settings.g_SpeedFactor = -99;
        SaverRig rig(settings);
        EXPECT_EQ(rig.settings.g_Speed, c.want_speed) << "speed " << c.speed;
        EXPECT_EQ(rig.settings.g_PcSpec, c.want_pcspec) << "pause " << c.pcspec;
        EXPECT_DOUBLE_EQ(rig.settings.g_SpeedFactor, c.want_factor) << "speed " << c.speed;
    }
}

// No routine sees a speed or pause out of bounds: a saver started with one
// plays every built action, closing figures included, frame for frame as
// one started at the nearer bound (a speed of 0 would divide every glide by
// zero; one of 35 or more gives a speed factor that never ends a curve).
// One case per setting, so that parallel runs share them out. Under the
// sanitizers the screen is smaller: the same twenty actions in fewer frames
// of fewer pixels.
constexpr int kBoundsWidth = testrig::kSanitized ? 96 : 320;
constexpr int kBoundsHeight = testrig::kSanitized ? 72 : 240;
struct OutOfBounds {
    std::int16_t speed, pcspec;
    std::int16_t bound_speed, bound_pcspec;
};

void PrintTo(const OutOfBounds& c, std::ostream* os)
{
    *os << "speed " << c.speed << " pause " << c.pcspec;
}

class SettingsBoundsPlay : public testing::TestWithParam<OutOfBounds> {};

TEST_P(SettingsBoundsPlay, OutOfBoundsSettingsPlayExactlyAsTheNearerBound)
{
    auto run = [](std::int16_t speed, std::int16_t pcspec) {
        Settings settings = default_settings(speed);
        settings.g_PcSpec = pcspec;
        SaverRig rig(settings, screen_of(kBoundsWidth, kBoundsHeight), 5);
        rig.load();
        rig.run_ticks(20);
        return rig.take_trace();
    };
    const OutOfBounds c = GetParam();
    const std::string trace = run(c.speed, c.pcspec);
    EXPECT_EQ(trace, run(c.bound_speed, c.bound_pcspec)) << "speed " << c.speed << " pause " << c.pcspec;
    EXPECT_NE(trace.find("\"closing\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(SettingsBounds, SettingsBoundsPlay,
                         testing::Values(OutOfBounds{0, 50, 1, 50}, OutOfBounds{-7, -20, 1, 0},
                                         OutOfBounds{35, 1001, 30, 1000}, OutOfBounds{99, 30000, 30, 1000}),
                         [](const testing::TestParamInfo<OutOfBounds>& info) {
                             auto name = [](int v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
                             return "speed" + name(info.param.speed) + "_pause" + name(info.param.pcspec);
                         });

} // namespace
