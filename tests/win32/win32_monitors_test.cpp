// Orvelune.scr under Wine on a screen split into two monitors: the host
// tells them primary first, in the coordinates windows take; the figure
// plays on the primary at that monitor's size over its part of the screen as
// it was, the other monitor is black, and input on the other ends the saver
// by the same rules as on the primary.
#include "wine_rig.h"

#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace winetest {
namespace {

// On the suite's screen the primary is the smaller monitor, on the right, so
// that Windows, which puts the primary's corner at 0, 0, gives the other
// negative coordinates; the 240 rows below the primary belong to no monitor.
const gfx::Rect kPrimary{320, 0, 480, 360};
const gfx::Rect kOther{0, 0, 320, 600};
constexpr const char* kAsWindowsTellsThem = "monitors 2 0,0,480,360 -320,0,320,600";
constexpr const char* kSaverTitle = "Orvelune(Main)";

class TwoMonitorsUnderWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WineSuite::get().ready())
            GTEST_SKIP() << WineSuite::get().why();
        if (!x11test::XvfbRig::have_xdotool())
            GTEST_SKIP() << "xdotool is not installed";
        m_split = Screen().set_monitors({kPrimary, kOther});
        if (!m_split)
            GTEST_SKIP() << "this Xvfb cannot define monitors (no RandR 1.5)";
        WineSuite::get().restart_server();
        const std::string told = WineSuite::get().probe({"monitors"});
        if (told == "monitors 1 0,0,800,600")
            GTEST_SKIP() << "this Wine offers one monitor only (32-bit Wine reads them through "
                            "Xinerama, from libxinerama1:i386)";
        ASSERT_EQ(told, kAsWindowsTellsThem) << "expected the primary first, at 0, 0";
    }

    void TearDown() override
    {
        if (!m_split)
            return;
        if (m_foreign)
            XDestroyWindow(Screen().display(), m_foreign);
        EXPECT_TRUE(WineSuite::get().wait_until_gone(kSaverTitle)) << "expected the saver's window to go";
        // One monitor again, in Wine too, for the cases after this one.
        EXPECT_TRUE(Screen().clear_monitors());
        WineSuite::get().restart_server();
        EXPECT_EQ(WineSuite::get().probe({"monitors"}), "monitors 1 0,0,800,600");
    }

    x11test::XvfbRig& Screen() { return WineSuite::get().screen(); }

    void MoveTo(int x, int y)
    {
        ASSERT_TRUE(Screen().xdotool({"mousemove", std::to_string(x), std::to_string(y)}));
        ASSERT_TRUE(Screen().wait_for_frames(Screen().root(), kScreenWidth, kScreenHeight, 2, 20s))
            << "expected the saver to go on drawing";
    }

    bool m_split = false;
    XID m_foreign = 0;
};

TEST_F(TwoMonitorsUnderWine, TheRingOnThePrimaryTheOtherBlackAndADiagonalMoveThereEndsIt)
{
    // A window of another program fills the screen with a gradient first,
    // so that the background of the screen as it was shows which part the
    // saver took.
    gfx::Surface desktop(kScreenWidth, kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            desktop.set(x, y, gfx::rgb(x % 256, y % 256, (x / 256) * 40 + 20));
    m_foreign = Screen().create_foreign_window(Screen().root(), desktop);
    SaverFolder folder;
    Settings settings = x11test::SlowSettings(250);
    settings.g_BackgroundMode = 3;
    folder.write_settings(settings);
    LoadSettings(settings, folder.ini());
    const gfx::Surface ring = x11test::ExpectedRingFrame(settings, kPrimary.width, kPrimary.height,
                                                         x11test::PartOf(desktop, kPrimary));
    const gfx::Surface black(kOther.width, kOther.height, gfx::kBlack);
    // The pointer waits on the other monitor. Every move is judged against
    // the first one the saver sees (which the system may make itself when a
    // window appears under the pointer), so every move below but the last
    // keeps its row.
    ASSERT_TRUE(Screen().xdotool({"mousemove", "100", "300"}));

    WineProcess saver = WineSuite::get().start(folder.scr(), {"/s"});
    ASSERT_TRUE(Screen().wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    std::string primary_difference, other_difference;
    const bool shown = Screen().poll_grab(Screen().root(), kScreenWidth, kScreenHeight, 20s,
                                          [&](const gfx::Surface& shot) {
        primary_difference = x11test::FirstDifference(ring, x11test::PartOf(shot, kPrimary));
        other_difference = x11test::FirstDifference(black, x11test::PartOf(shot, kOther));
        return primary_difference.empty() && other_difference.empty();
    });
    EXPECT_TRUE(shown) << "expected the starting ring on the primary: " << primary_difference
                       << "; and black on the other monitor: " << other_difference;

    // Moves along the row, on the other monitor and across onto the
    // primary, end nothing; a diagonal one back on the other does.
    MoveTo(200, 300);
    MoveTo(600, 300);
    EXPECT_TRUE(saver.running()) << "expected moves along one axis to leave the saver running";
    ASSERT_TRUE(Screen().xdotool({"mousemove", "150", "450"}));
    const std::optional<int> code = saver.wait_exit(20s);
    ASSERT_TRUE(code.has_value()) << "expected a diagonal move on the other monitor to end the saver";
    EXPECT_EQ(*code, 0);
}

} // namespace
} // namespace winetest
