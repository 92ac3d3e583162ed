// What every program under test must do on its real window system, written
// once and run by each platform's suite against its own program: the
// opening and the ring, what ends the saver and what does not, the single
// instance, the screen as it was, two monitors, the preview in a pane, and
// the settings dialog's save, cancel, keys and version card.
#include "window_scenarios.h"

#include "dead_mount.h"

#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace testrig {

Settings ProgramUnderTest::settings() const
{
    Settings settings{};
    LoadSettings(settings, settings_path());
    return settings;
}

std::vector<Child> ProgramUnderTest::start_together(int count, const std::vector<std::string>& args)
{
    std::vector<Child> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back(start(args));
    return starts;
}

bool ProgramUnderTest::poll_screen(std::chrono::milliseconds timeout,
                                   const std::function<bool(const gfx::Surface&)>& accept)
{
    return WaitUntil(timeout, [&] {
        const gfx::Surface shot = screenshot();
        return !shot.empty() && accept(shot);
    }, 15ms);
}

bool ProgramUnderTest::wait_for_frames(int frames, std::chrono::milliseconds timeout)
{
    gfx::Surface last = screenshot();
    int seen = 0;
    return poll_screen(timeout, [&](const gfx::Surface& shot) {
        if (shot == last)
            return false;
        last = shot;
        return ++seen >= frames;
    });
}

gfx::Rect ProgramUnderTest::dialog_area() const
{
    return {(width() - kDialogWidth) / 2, (height() - kDialogHeight) / 2, kDialogWidth, kDialogHeight};
}

void ExpectOneOfManyStartsAtOnceRuns(ProgramUnderTest& program, int count)
{
    std::vector<Child> starts = program.start_together(count, {"/s"});
    ASSERT_EQ(int(starts.size()), count) << "expected every start to be let go";
    ASSERT_TRUE(program.wait_for_window(kSaverTitle, 60s)) << "expected one saver to show";
    // Every other start ends with 0.
    int ended = 0;
    WaitUntil(60s, [&] {
        ended = 0;
        for (Child& start : starts)
            if (const std::optional<int> code = start.exit_code(0ms)) {
                ++ended;
                EXPECT_EQ(*code, 0) << "expected a second start to end with 0";
            }
        return ended >= count - 1;
    });
    ASSERT_TRUE(program.wait_for_frames()) << "expected the saver to go on drawing";
    const int running = int(std::count_if(starts.begin(), starts.end(), [](Child& start) { return start.running(); }));
    EXPECT_EQ(running, 1) << "expected exactly one of " << count << " savers to run";
    if (const std::optional<int> windows = program.count_windows(kSaverTitle)) {
        EXPECT_EQ(*windows, 1);
    }
}

std::string ScenarioName(const ::testing::TestParamInfo<ProgramParam>& info)
{
    return info.param.name;
}

void RealWindow::SetUp()
{
    program = GetParam().make();
    if (const std::string why = program->why_not(); !why.empty())
        GTEST_SKIP() << why;
    width = program->width();
    height = program->height();
}

void RealWindow::TearDown()
{
    if (program && program->why_not().empty()) {
        EXPECT_TRUE(program->wait_until_gone(kSaverTitle, 10s)) << "expected the saver's window to go";
        program->join_monitors();
    }
    program.reset();
}

void RealWindow::MoveTo(int x, int y)
{
    ASSERT_TRUE(program->move_pointer(x, y));
    ASSERT_TRUE(program->wait_for_frames()) << "expected the saver to go on drawing";
}

void RealWindow::ExpectEndsWithZero(Child& child, const std::string& what)
{
    const std::optional<int> code = child.exit_code(20s);
    ASSERT_TRUE(code.has_value()) << "expected " << what << " to end the program, it runs on";
    EXPECT_EQ(*code, 0) << "after " << what;
}

void RealWindow::Press(DialogPoint point, bool click)
{
    const gfx::Rect dialog = program->dialog_area();
    ASSERT_TRUE(program->move_pointer(dialog.x + point.x, dialog.y + point.y));
    std::this_thread::sleep_for(100ms);
    if (click) {
        ASSERT_TRUE(program->click());
        std::this_thread::sleep_for(200ms);
    }
}

std::string RealWindow::WaitForDialogPicture(const gfx::Surface& expected, std::chrono::milliseconds timeout)
{
    std::string difference = "no screenshot";
    const bool shown = program->poll_screen(timeout, [&](const gfx::Surface& shot) {
        difference = FirstDifference(expected, PartOf(shot, program->dialog_area()));
        return difference.empty();
    });
    return shown ? std::string() : difference;
}

void RealWindow::ExpectClosesWithZero(Child& dialog, const std::string& what)
{
    ExpectEndsWithZero(dialog, what);
    EXPECT_TRUE(program->wait_until_gone(kDialogTitle, 10s)) << "expected the dialog's window to go";
}

namespace {

// Points of the dialog's window the scenarios press: the middle of each.
constexpr DialogPoint kItemOne{340 + 6, 68 + 6};   // the check mark of action 1
constexpr DialogPoint kItemThree{340 + 6, 100 + 6}; // and of action 3
constexpr DialogPoint kVersionCard{556 + 62, 396 + 10}; // "ﾊﾟｰｼﾞｮﾝ情報"
constexpr DialogPoint kCancel{556 + 62, 444 + 10};      // "ｷｬﾝｾﾙ"
constexpr DialogPoint kSave{556 + 62, 468 + 10};        // "設 定"
// The ball dial, where the card turns the version line over.
constexpr gfx::Rect kDial{18, 36, 290, 290};
const gfx::Pixel kYellow = gfx::rgb(255, 255, 0);

// The defaults as a fresh install writes them.
Settings Defaults()
{
    Settings settings{};
    LoadSettings(settings, std::string());
    return settings;
}

// The bytes the settings library writes for these values.
std::string FileOf(const Settings& settings)
{
    TempFolder folder("orvelune-expected");
    const std::string path = folder / "Orvelune.ini";
    EXPECT_TRUE(save_settings_file(path, settings).ok);
    return ReadFile(path);
}

TEST_P(RealWindow, ShowsTheOpeningAndThenTheExactStartingRing)
{
    program->write_settings(SlowSettings(250));
    const gfx::Surface ring = ExpectedRingFrame(program->settings(), width, height);
    const gfx::Pixel background = ring.at(0, 0);
    const int centre_x = width / 2, centre_y = height / 2;

    Child saver = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    // During the opening the centre ball grows from nothing: at first a
    // point 30 pixels above the centre, inside the full ball, is still ground.
    bool saw_growing_centre = false;
    std::string last_difference;
    const bool saw_ring = program->poll_screen(20s, [&](const gfx::Surface& shot) {
        if (shot.at(centre_x, centre_y) != background && shot.at(centre_x, centre_y - 30) == background)
            saw_growing_centre = true;
        last_difference = FirstDifference(ring, shot);
        return last_difference.empty();
    });
    EXPECT_TRUE(saw_growing_centre) << "expected a frame of the opening with a small centre ball";
    EXPECT_TRUE(saw_ring) << "expected the starting ring on the screen; last screenshot: " << last_difference;
    EXPECT_TRUE(saver.running());
}

TEST_P(RealWindow, MovesAlongOneAxisKeepItADiagonalMoveEndsIt)
{
    // The first move the saver sees only records where the pointer is; the
    // system may make it itself when the window appears under the pointer,
    // so the pointer waits on the row that every move but the last keeps.
    const int row = height / 2;
    ASSERT_TRUE(program->move_pointer(width / 2, row));
    Child saver = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    MoveTo(100, row);
    MoveTo(400, row);
    MoveTo(width - 40, row);
    EXPECT_TRUE(saver.running()) << "expected moves along x only to leave the saver running";

    ASSERT_TRUE(program->move_pointer(width - 140, row + 60));
    ExpectEndsWithZero(saver, "a diagonal move");
}

TEST_P(RealWindow, EmptyCommandLineEndsOnAClickNeverOnMovement)
{
    Child saver = program->start({});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    MoveTo(100, 100);
    MoveTo(300, 300);
    MoveTo(500, 50);
    EXPECT_TRUE(saver.running()) << "expected movement never to end the saver without a switch";

    ASSERT_TRUE(program->click());
    ExpectEndsWithZero(saver, "a click");
}

// The saver has no keyboard handling: its window takes the keys (none reach
// the windows beneath) and ignores them.
TEST_P(RealWindow, KeysLeaveTheSaverRunningAClickEndsIt)
{
    ASSERT_TRUE(program->move_pointer(width / 2, height / 2)); // before the saver, so no move after
    Child saver = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    for (const char* key : {"a", "Escape", "Return", "space"})
        ASSERT_TRUE(program->key(key)) << key;
    ASSERT_TRUE(program->wait_for_frames()) << "expected the saver to go on drawing";
    EXPECT_TRUE(saver.running()) << "expected keys to leave the saver running";

    ASSERT_TRUE(program->click());
    ExpectEndsWithZero(saver, "a click");
}

TEST_P(RealWindow, SigtermSigintAndSighupEndTheSaverWithZero)
{
    if (!traits().end_signals)
        GTEST_SKIP() << "the program under test is not ended by POSIX signals of its own";
    struct Case {
        std::vector<std::string> args;
        int signal;
        int pause_ms; // a long pause: the signal comes while the saver sleeps
    };
    for (const Case& c : {Case{{"/s"}, SIGTERM, 0}, Case{{}, SIGINT, 0}, Case{{"/s"}, SIGINT, 1000},
                          Case{{}, SIGTERM, 1000}, Case{{"/s"}, SIGHUP, 0}}) {
        const std::string what = std::string(strsignal(c.signal)) + " to "
                                 + (c.args.empty() ? std::string("no arguments") : c.args[0]);
        SCOPED_TRACE(what);
        program->write_settings(SlowSettings(c.pause_ms));
        Child saver = program->start(c.args);
        ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
        ASSERT_TRUE(program->wait_for_frames()) << "expected the saver to go on drawing";
        saver.signal(c.signal);
        ExpectEndsWithZero(saver, what);
        ASSERT_TRUE(program->wait_until_gone(kSaverTitle, 10s));
    }
}

TEST_P(RealWindow, TheCursorHidesInSaverModeAndStaysWithAnEmptyCommandLine)
{
    if (!traits().reads_cursor || program->cursor_visible() != true)
        GTEST_SKIP() << "this rig does not report the cursor's image";
    {
        Child saver = program->start({"/s"});
        ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s));
        EXPECT_TRUE(WaitUntil(10s, [&] { return program->cursor_visible() == false; }))
            << "expected the cursor hidden over the saver started with /s";
    }
    ASSERT_TRUE(program->wait_until_gone(kSaverTitle, 10s));
    ASSERT_TRUE(WaitUntil(10s, [&] { return program->cursor_visible() == true; }))
        << "expected the cursor back once the saver is gone";

    Child saver = program->start({});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s));
    ASSERT_TRUE(program->wait_for_frames()); // the window is up and its cursor set long before
    EXPECT_EQ(program->cursor_visible(), true) << "expected the cursor visible with an empty command line";
}

TEST_P(RealWindow, ASecondStartInAnyModeEndsAtOnceAndTheFirstRunsOn)
{
    Child first = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    std::vector<std::vector<std::string>> lines{{"/s"}, {}, {"/c"}};
    lines.insert(lines.end(), traits().more_second_starts.begin(), traits().more_second_starts.end());
    for (const std::vector<std::string>& line : lines) {
        const std::string what = line.empty() ? std::string("no arguments") : line[0];
        SCOPED_TRACE(what);
        Child second = program->start(line);
        ExpectEndsWithZero(second, "finding the running saver");
    }
    EXPECT_TRUE(first.running()) << "expected the first saver to run on";
    if (const std::optional<int> windows = program->count_windows(kSaverTitle)) {
        EXPECT_EQ(*windows, 1);
    }
}

TEST_P(RealWindow, OfManyStartsAtOnceExactlyOneRuns)
{
    // The starts wait at a gate and are let go at the same moment, so that
    // they look for a running saver while none exists yet: only a claim
    // that the system arbitrates can leave exactly one.
    if (traits().starts_at_once == 0)
        GTEST_SKIP() << "this rig cannot hold starts back to let them go together";
    ExpectOneOfManyStartsAtOnceRuns(*program, traits().starts_at_once);
}

TEST_P(RealWindow, BackgroundThreeShowsTheScreenAsItWasBeforeTheSaver)
{
    const std::optional<gfx::Surface> desktop = program->show_desktop(Gradient(width, height));
    if (!desktop)
        GTEST_SKIP() << "this rig cannot put a picture on the desktop";
    Settings settings = SlowSettings(250);
    settings.g_BackgroundMode = 3;
    program->write_settings(settings);
    const gfx::Surface ring = ExpectedRingFrame(program->settings(), width, height, *desktop);

    Child saver = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    std::string last_difference;
    EXPECT_TRUE(program->poll_screen(20s, [&](const gfx::Surface& shot) {
        last_difference = FirstDifference(ring, shot);
        return last_difference.empty();
    })) << "expected the balls over the screen as it was; last screenshot: " << last_difference;
    EXPECT_TRUE(saver.running());
}

// The background picture is decoded while the saver's window is already
// up, then shown centred on the background colour; a click ends the saver.
TEST_P(RealWindow, TheBackgroundPictureShowsCentredAndAClickEndsTheSaver)
{
    // Beside the settings, where the program may surely read.
    const std::filesystem::path folder = std::filesystem::path(program->settings_path()).parent_path();
    std::filesystem::create_directories(folder);
    const std::string picture = folder / "wall.bmp";
    const gfx::Pixel green = gfx::rgb(0x40, 0xC0, 0x20);
    ASSERT_TRUE(std::ofstream(picture, std::ios::binary) << SolidBmp(400, 300, green));
    Settings settings = SlowSettings(50);
    settings.g_BackgroundMode = 4;
    settings.g_BackgroundArrangement = 1;
    settings.g_BackgroundPicturePath = program->path_for_program(picture);
    program->write_settings(settings);
    const gfx::Pixel background = gfx::pixel_from_colorref(settings.g_BackgroundColor);
    ASSERT_TRUE(program->move_pointer(30, 30)); // before the saver, so no move after

    Child saver = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    // The picture's top-left corner, well away from the balls' ring.
    const int left = (width - 400) / 2, top = (height - 300) / 2;
    gfx::Pixel corner = 0, outside = 0;
    EXPECT_TRUE(program->poll_screen(20s, [&](const gfx::Surface& shot) {
        corner = shot.at(left + 4, top + 4);
        outside = shot.at(left - 4, top - 4);
        return corner == green && outside == background;
    })) << "picture corner " << Hex(corner) << ", beside it " << Hex(outside);

    ASSERT_TRUE(program->click());
    ExpectEndsWithZero(saver, "a click");
}

// A picture on a network mount that stopped answering (a FUSE file system
// that never answers stands in for it): whatever touches its path is held in
// the kernel for good. Only the decoder may touch it: the dialog opens, the
// saver shows and ends on a click, its window goes and the next start runs.
TEST_P(RealWindow, APictureOnAMountThatStoppedAnsweringHoldsNeitherSaverNorDialog)
{
    const std::filesystem::path folder = std::filesystem::path(program->settings_path()).parent_path();
    std::filesystem::create_directories(folder);
    // Before the mount, so that the mount goes first and frees whatever it holds.
    Child saver, next, dialog;
    DeadMount mount((folder / "dead").string());
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    Settings settings = SlowSettings(50);
    settings.g_BackgroundMode = 4;
    settings.g_BackgroundPicturePath = program->path_for_program(mount / "wall.bmp");
    program->write_settings(settings);

    dialog = program->start({"/c"});
    ASSERT_TRUE(program->wait_for_window(kDialogTitle, 30s)) << "expected the settings dialog";
    Press(kCancel);
    ExpectClosesWithZero(dialog, "cancel");

    ASSERT_TRUE(program->move_pointer(30, 30));
    saver = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
    ASSERT_TRUE(program->click());
    if (!traits().decoder_apart)
        GTEST_SKIP() << "the saver showed; its decoding thread, held by the mount, holds the process after the click";
    ExpectEndsWithZero(saver, "a click");
    EXPECT_TRUE(program->wait_until_gone(kSaverTitle, 10s)) << "expected the window to go with the saver";
    next = program->start({"/s"});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the next start to run";
    ASSERT_TRUE(program->click());
    ExpectEndsWithZero(next, "a click");
}

// The primary is the smaller monitor, on the right, so that neither its
// size nor its place is the screen's (and Windows, which puts the primary's
// corner at 0, 0, gives the other negative coordinates); the rows below the
// primary belong to no monitor.
TEST_P(RealWindow, TwoMonitorsTheRingOnThePrimaryTheOtherBlackAndInputOnEitherEndsIt)
{
    const gfx::Rect primary{width * 2 / 5, 0, width - width * 2 / 5, height * 3 / 5};
    const gfx::Rect other{0, 0, width * 2 / 5, height};
    if (const std::string why = program->split_monitors(primary, other); !why.empty())
        GTEST_SKIP() << why;
    const std::optional<gfx::Surface> desktop = program->show_desktop(Gradient(width, height));
    ASSERT_TRUE(desktop) << "a rig of two monitors puts a picture on the desktop";
    Settings settings = SlowSettings(250);
    settings.g_BackgroundMode = 3;
    program->write_settings(settings);
    const gfx::Surface ring = ExpectedRingFrame(program->settings(), primary.width, primary.height,
                                                PartOf(*desktop, primary));
    const gfx::Surface black(other.width, other.height, gfx::kBlack);
    const int row = height / 2;
    ASSERT_TRUE(program->move_pointer(other.width / 3, row)); // waiting on the other monitor

    {
        Child saver = program->start({"/s"});
        ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s)) << "expected the saver's window";
        std::string primary_difference, other_difference;
        const bool shown = program->poll_screen(20s, [&](const gfx::Surface& shot) {
            primary_difference = FirstDifference(ring, PartOf(shot, primary));
            other_difference = FirstDifference(black, PartOf(shot, other));
            return primary_difference.empty() && other_difference.empty();
        });
        EXPECT_TRUE(shown) << "expected the starting ring on the primary: " << primary_difference
                           << "; and black on the other monitor: " << other_difference;
        if (const std::optional<int> windows = program->count_windows(kSaverTitle)) {
            EXPECT_EQ(*windows, 1) << "one saver window, whatever covers the rest";
        }
        // Along the row, on the other monitor and across onto the primary,
        // nothing ends; a diagonal move back on the other does.
        MoveTo(other.width * 2 / 3, row);
        MoveTo(primary.x + primary.width / 2, row);
        EXPECT_TRUE(saver.running()) << "expected moves along one axis to leave the saver running";
        ASSERT_TRUE(program->move_pointer(other.width / 2, row + height / 4));
        ExpectEndsWithZero(saver, "a diagonal move on the other monitor");
    }
    ASSERT_TRUE(program->wait_until_gone(kSaverTitle, 10s));

    // With an empty command line movement ends nothing; a click there does.
    Child saver = program->start({});
    ASSERT_TRUE(program->wait_for_window(kSaverTitle, 30s));
    MoveTo(other.width / 2, height / 3);
    MoveTo(other.width / 4, height * 5 / 6);
    EXPECT_TRUE(saver.running()) << "expected movement never to end the saver without a switch";
    ASSERT_TRUE(program->click());
    ExpectEndsWithZero(saver, "a click on the other monitor");
}

// The preview is a shown window of the pane's size in the pane, and ends
// with it: in a pane of the still picture's own size, a larger one, and one
// so large that a frame of its size would take over half a GiB, twice.
TEST_P(RealWindow, ThePreviewIsAShownWindowOfThePanesSizeAndEndsWithThePane)
{
    for (const auto& [pane_width, pane_height] :
         {std::pair{152, 112}, std::pair{200, 150}, std::pair{12000, 12000}}) {
        SCOPED_TRACE("pane " + std::to_string(pane_width) + " x " + std::to_string(pane_height));
        const std::unique_ptr<Pane> pane = program->open_pane(pane_width, pane_height);
        if (!pane)
            GTEST_SKIP() << "this program offers no preview in a pane";
        ASSERT_FALSE(pane->handle().empty()) << "expected the pane's handle";
        Child preview = program->start({"/p", pane->handle()});
        const std::optional<PaneChild> child = pane->child(60s);
        ASSERT_TRUE(child.has_value()) << "expected the preview's window in the pane";
        EXPECT_EQ(child->width, pane_width);
        EXPECT_EQ(child->height, pane_height);
        EXPECT_TRUE(child->visible) << "expected the preview's window shown";
        ASSERT_TRUE(pane->close());
        ExpectEndsWithZero(preview, "closing the pane");
    }
}

// A click on a check item and on "設 定" writes the settings file, byte for
// byte what the settings library writes for those values, under each system
// locale the platform has; what a killed save left goes with it, what is not
// the program's stays; while the dialog is open, a second start ends at once.
TEST_P(RealWindow, ACheckItemAndSaveWriteTheFileByteForByte)
{
    Settings start = Defaults();
    start.g_Speed = 20;
    Settings unchecked = start;
    unchecked.g_ActionEnabled[1] = 0;
    const std::string expected = FileOf(unchecked);
    const std::string folder = std::filesystem::path(program->settings_path()).parent_path();

    for (const std::string& locale : traits().locales) {
        SCOPED_TRACE("locale " + locale);
        program->write_settings(start);
        const std::string abandoned = folder + "/.Orvelune.ini.0123456789abcdef.tmp";
        const std::string other = folder + "/.Other.ini.0123456789abcdef.tmp";
        for (const std::string& leftover : {abandoned, other})
            std::ofstream(leftover) << "half a file";

        Child dialog = program->start({"/c"}, locale);
        ASSERT_TRUE(program->wait_for_window(kDialogTitle, 30s)) << "expected the settings dialog";
        if (traits().exact_dialog) {
            EXPECT_EQ(WaitForDialogPicture(ExpectedDialog(start)), "") << "expected the dialog's own picture";
        }
        Child second = program->start({"/s"}, locale);
        EXPECT_EQ(second.exit_code(20s), std::optional<int>(0)) << "expected a second start to end at once";
        EXPECT_TRUE(dialog.running());

        Press(kItemOne);
        if (traits().exact_dialog) {
            EXPECT_EQ(WaitForDialogPicture(ExpectedDialog(unchecked), 5s), "")
                << "expected item 1 unchecked on the screen";
        }
        Press(kSave);
        ExpectClosesWithZero(dialog, "the save");
        const std::string written = ReadFile(program->settings_path());
        EXPECT_FALSE(written.empty()) << "expected the settings file";
        EXPECT_TRUE(written == expected) << "expected the bytes the settings library writes";
        EXPECT_FALSE(std::filesystem::exists(abandoned)) << "expected the killed save's file gone";
        EXPECT_TRUE(std::filesystem::exists(other)) << "expected another program's file left alone";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".Orvelune.ini."))
                << "the save left " << entry.path();
        std::filesystem::remove(other);
    }
}

TEST_P(RealWindow, CancelOrEscapeAfterChangesLeavesTheFileAsItWas)
{
    Settings settings = SlowSettings(70);
    settings.g_ActionEnabled[3] = 0;
    settings.g_Speed = 22;
    program->write_settings(settings);
    const std::string before = ReadFile(program->settings_path());

    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "cancel");
        Child dialog = program->start({"/c"});
        ASSERT_TRUE(program->wait_for_window(kDialogTitle, 30s)) << "expected the settings dialog";
        Press(kItemOne);
        Press(kItemThree);
        if (escape) {
            // The dialog closes at the key's press: a tool that then finds
            // the window gone when it sends the release says it failed.
            (void)program->key("Escape");
        } else {
            Press(kCancel);
        }
        ExpectClosesWithZero(dialog, escape ? "Escape" : "cancel");
        EXPECT_TRUE(ReadFile(program->settings_path()) == before) << "expected the file byte for byte as it was";
    }
}

// Keys alone: the first Tab lands on the dial, two more pass "全て選択" to
// item 1 and Space unchecks it; Shift+Tab goes back round the end of the
// order to the speed bar, which End, Page Up, Home, Page Down and the arrows
// (the keypad's too) move; Enter saves.
TEST_P(RealWindow, KeysAloneChangeTheSettingsAndEnterSaves)
{
    const Settings start = Defaults();
    program->write_settings(start);
    Child dialog = program->start({"/c"});
    ASSERT_TRUE(program->wait_for_window(kDialogTitle, 30s)) << "expected the settings dialog";
    if (traits().exact_dialog) {
        ASSERT_EQ(WaitForDialogPicture(ExpectedDialog(start)), "");
    }
    Press(kVersionCard, false); // only the pointer, over the dialog, which has the keyboard
    auto key = [&](const char* name) {
        ASSERT_TRUE(program->key(name)) << name;
        std::this_thread::sleep_for(50ms);
    };
    key("Tab");
    key("Tab");
    key("Tab");
    key("space");
    // Two stops back to the dial, twelve over the command buttons and the
    // background panel (four options, two arrangement marks, three buttons;
    // no link, as no readme is installed beside the program under test), one
    // more to the speed bar.
    for (int n = 0; n < 2 + 12 + 1; ++n)
        key("shift+Tab");
    for (const char* name : {"End", "Prior", "Home", "Next"}) // 30, 25, 10, 15
        key(name);
    key("Right");
    key("KP_Right");
    (void)program->key("Return"); // closes on its press, as Escape does
    ExpectClosesWithZero(dialog, "Enter");
    const Settings saved = program->settings();
    EXPECT_EQ(saved.g_ActionEnabled[1], 0);
    for (std::size_t n = 2; n <= 20; ++n)
        EXPECT_EQ(saved.g_ActionEnabled[n], 1) << "action " << n;
    EXPECT_EQ(saved.g_Speed, 10 + 5 + 2) << "from the bar's left end, a page and two steps on";
    // What a save by the mouse would have written for those values.
    Settings expected = start;
    expected.g_ActionEnabled[1] = 0;
    expected.g_Speed = 17;
    expected.g_SpeedFactor = speed_factor_for(expected.g_Speed);
    EXPECT_TRUE(ReadFile(program->settings_path()) == FileOf(expected)) << "expected the bytes the settings library writes";
}

// The card turns the dial over to the version line; keys meanwhile are
// dropped; once it has closed itself the dialog looks as it did, answers,
// and what the platform lends it (the clipboard) is as it was.
TEST_P(RealWindow, TheVersionCardTurnsOverTheDialAndGivesTheDialogBack)
{
    program->write_settings(SlowSettings(30));
    Child dialog = program->start({"/c"});
    ASSERT_TRUE(program->wait_for_window(kDialogTitle, 30s)) << "expected the settings dialog";
    gfx::Surface before;
    if (traits().exact_dialog) {
        before = ExpectedDialog(program->settings());
        ASSERT_EQ(WaitForDialogPicture(before), "");
    } else {
        std::this_thread::sleep_for(300ms); // the dialog's first paint
        before = PartOf(program->screenshot(), program->dialog_area());
    }
    program->hold_clipboard();

    Press(kVersionCard);
    const gfx::Rect dialog_area = program->dialog_area();
    const gfx::Rect dial = kDial.translated(dialog_area.origin());
    // The card covers the screen with its picture of the screen: a part of
    // the dialog that no turn draws over (right of the widest rows, below
    // the tallest columns) shows there as it was.
    const gfx::Rect untouched{380, 400, 170, 109};
    const gfx::Rect untouched_on_screen = untouched.translated(dialog_area.origin());
    int yellow = 0;
    std::string untouched_difference;
    EXPECT_TRUE(program->poll_screen(10s, [&](const gfx::Surface& shot) {
        yellow = CountPixels(shot, dial, kYellow);
        untouched_difference = FirstDifference(PartOf(before, untouched), PartOf(shot, untouched_on_screen));
        return yellow > 200;
    })) << "expected the version line on the dial; most yellow pixels seen " << yellow;
    EXPECT_EQ(untouched_difference, "") << "expected the dialog in the card's picture";
    EXPECT_EQ(program->card_window_check(), "");
    if (traits().keys_during_card) {
        (void)program->key("Escape");
    }

    EXPECT_TRUE(program->wait_until_gone(kCardTitle, 10s)) << "expected the card to close itself";
    EXPECT_EQ(WaitForDialogPicture(before), "") << "expected the dialog as it was";
    EXPECT_TRUE(dialog.running()) << "expected Escape during the card to be dropped";
    EXPECT_EQ(program->clipboard_check(), "");
    (void)program->key("Escape");
    ExpectClosesWithZero(dialog, "Escape after the card");
}

} // namespace
} // namespace testrig
