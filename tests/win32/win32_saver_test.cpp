// Orvelune.scr full screen under Wine: what it shows, the cursor, what ends
// it, the single-instance guard, and the switches that end at once.
#include "wine_rig.h"

#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <thread>

namespace winetest {
namespace {

constexpr const char* kSaverTitle = "Orvelune(Main)";

// Whether the pointer shows: any pixel of the current cursor image that is
// not transparent.
std::optional<bool> CursorVisible(Display* display)
{
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image)
        return std::nullopt;
    bool visible = false;
    for (int i = 0; i < int(image->width) * int(image->height); ++i)
        if ((image->pixels[i] >> 24) & 0xFF)
            visible = true;
    XFree(image);
    return visible;
}

class SaverUnderWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WineSuite::get().ready())
            GTEST_SKIP() << WineSuite::get().why();
    }
    void TearDown() override
    {
        if (WineSuite::get().ready()) {
            EXPECT_TRUE(WineSuite::get().wait_until_gone(kSaverTitle)) << "expected the saver's window to go";
        }
    }

    x11test::XvfbRig& Screen() { return WineSuite::get().screen(); }

    WineProcess StartSaver(const SaverFolder& folder, const std::vector<std::string>& args)
    {
        return WineSuite::get().start(folder.scr(), args);
    }

    // The saver reads input between its frames: new frames on the screen
    // after an input prove that it has seen it.
    void WaitForFrames()
    {
        ASSERT_TRUE(Screen().wait_for_frames(Screen().root(), kScreenWidth, kScreenHeight, 2, 20s))
            << "expected the saver to go on drawing";
    }

    void MoveTo(int x, int y)
    {
        ASSERT_TRUE(Screen().xdotool({"mousemove", std::to_string(x), std::to_string(y)}));
        WaitForFrames();
    }

    static void ExpectEndsWithZero(WineProcess& saver, const char* what)
    {
        const std::optional<int> code = saver.wait_exit(20s);
        ASSERT_TRUE(code.has_value()) << "expected " << what << " to end the saver, it runs on";
        EXPECT_EQ(*code, 0) << "after " << what;
    }

    bool WaitForCursor(bool visible)
    {
        const auto until = Clock::now() + 10s;
        while (Clock::now() < until) {
            if (CursorVisible(Screen().display()) == visible)
                return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
};

TEST_F(SaverUnderWine, OpeningThenRingWithTheCursorHiddenAndADiagonalMoveEndsIt)
{
    if (!x11test::XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    SaverFolder folder;
    // A long pause after each frame keeps every frame on the screen long
    // enough to be read back.
    folder.write_settings(x11test::SlowSettings(250));
    Settings settings{};
    LoadSettings(settings, folder.ini());
    const gfx::Surface ring = x11test::ExpectedRingFrame(settings, kScreenWidth, kScreenHeight);
    const gfx::Pixel background = ring.at(0, 0);
    const int centre_x = kScreenWidth / 2, centre_y = kScreenHeight / 2;
    Screen().xdotool({"mousemove", std::to_string(centre_x), std::to_string(centre_y)});

    WineProcess saver = StartSaver(folder, {"/s"});
    ASSERT_TRUE(Screen().wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";

    // During the opening the centre ball grows from nothing: at first a
    // point 30 pixels above the centre, inside the full ball, is still ground.
    bool saw_growing_centre = false;
    std::string last_difference;
    const bool saw_ring = Screen().poll_grab(Screen().root(), kScreenWidth, kScreenHeight, 20s,
                                             [&](const gfx::Surface& shot) {
        if (shot.at(centre_x, centre_y) != background && shot.at(centre_x, centre_y - 30) == background)
            saw_growing_centre = true;
        last_difference = x11test::FirstDifference(ring, shot);
        return last_difference.empty();
    });
    EXPECT_TRUE(saw_growing_centre) << "expected a frame of the opening with a small centre ball";
    EXPECT_TRUE(saw_ring) << "expected the starting ring on the screen; last screenshot: " << last_difference;
    // Real pixels on every monitor, whatever its scale.
    EXPECT_EQ(WineSuite::get().probe({"awareness", hex(kSaverTitle)}), "awareness 2");

    int event_base = 0, error_base = 0;
    if (XFixesQueryExtension(Screen().display(), &event_base, &error_base)) {
        EXPECT_TRUE(WaitForCursor(false)) << "expected the cursor hidden over the saver started with /s";
    }

    // The first move only records where the pointer is; the system may make
    // it itself when the window appears under the pointer. Moves along one
    // axis from there never end the saver.
    MoveTo(100, centre_y);
    MoveTo(400, centre_y);
    MoveTo(600, centre_y);
    EXPECT_TRUE(saver.running()) << "expected moves along x only to leave the saver running";
    ASSERT_TRUE(Screen().xdotool({"mousemove", "500", std::to_string(centre_y + 60)}));
    ExpectEndsWithZero(saver, "a diagonal move");
}

TEST_F(SaverUnderWine, EmptyCommandLineKeepsTheCursorAndEndsOnAClickOnly)
{
    if (!x11test::XvfbRig::have_xdotool())
        GTEST_SKIP() << "xdotool is not installed";
    SaverFolder folder;
    WineProcess saver = StartSaver(folder, {});
    ASSERT_TRUE(Screen().wait_for_window(kSaverTitle, 30s));
    MoveTo(100, 100);
    MoveTo(300, 300);
    EXPECT_EQ(CursorVisible(Screen().display()).value_or(true), true)
        << "expected the cursor visible with an empty command line";
    MoveTo(500, 50);
    EXPECT_TRUE(saver.running()) << "expected movement never to end the saver without a switch";
    ASSERT_TRUE(Screen().xdotool({"click", "1"}));
    ExpectEndsWithZero(saver, "a click");
}

TEST_F(SaverUnderWine, ASecondStartInAnyModeEndsAtOnceAndTheFirstRunsOn)
{
    SaverFolder folder;
    WineProcess first = StartSaver(folder, {"/s"});
    ASSERT_TRUE(Screen().wait_for_window(kSaverTitle, 30s));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"/s"}, {}, {"/c"}, {"/p", "1234"}}) {
        WineProcess second = StartSaver(folder, args);
        const std::optional<int> code = second.wait_exit(20s);
        ASSERT_TRUE(code.has_value()) << "expected a second start to end at once";
        EXPECT_EQ(*code, 0);
    }
    EXPECT_TRUE(first.running()) << "expected the first saver to run on";
    EXPECT_EQ(Screen().count_windows(kSaverTitle), 1);
}

TEST_F(SaverUnderWine, OfSeveralStartsAtOnceExactlyOneRuns)
{
    constexpr int kStarts = 4;
    SaverFolder folder;
    std::vector<WineProcess> starts;
    for (int i = 0; i < kStarts; ++i)
        starts.push_back(StartSaver(folder, {"/s"}));
    ASSERT_TRUE(Screen().wait_for_window(kSaverTitle, 30s)) << "expected one saver to show";
    int ended = 0;
    const auto until = Clock::now() + 30s;
    while (ended < kStarts - 1 && Clock::now() < until) {
        ended = 0;
        for (WineProcess& start : starts)
            if (std::optional<int> code = start.wait_exit(0ms)) {
                ++ended;
                EXPECT_EQ(*code, 0) << "expected a second start to end with code 0";
            }
        std::this_thread::sleep_for(50ms);
    }
    WaitForFrames(); // the one left draws on
    EXPECT_EQ(ended, kStarts - 1) << "expected exactly one of " << kStarts << " savers to run";
    EXPECT_EQ(Screen().count_windows(kSaverTitle), 1);
}

TEST_F(SaverUnderWine, PasswordChangeOnAnNtSystemPanelessPreviewsAndUnknownSwitchesEndAtOnce)
{
    SaverFolder folder;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"/a", "1234"}, {"/a"}, {"/p"}, {"/p:99999"}, {"/x"}, {"s"}}) {
        WineProcess start = StartSaver(folder, args);
        const std::optional<int> code = start.wait_exit(20s);
        ASSERT_TRUE(code.has_value()) << "expected " << args[0] << " to end at once";
        EXPECT_EQ(*code, 0);
    }
    EXPECT_FALSE(Screen().find_window(kSaverTitle)) << "expected no saver window";
}

} // namespace
} // namespace winetest
