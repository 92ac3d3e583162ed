// The background composer: the highlight style cycle, the ball grid, the
// screen at start and the picture file, centred and tiled.

#include "art_settings.h"

#include "gfx/raster.h"

#include <gtest/gtest.h>

#include <string>

using namespace art_testing;
using namespace test_support;

namespace {

// A seed whose first draw gives the grid this many columns: the grid's
// column count is the first random number a saver draws after its load.
std::uint64_t seed_for_columns(int columns)
{
    for (std::uint64_t seed = 1; seed < 1000; ++seed) {
        Random probe(seed);
        if (int(probe.Rnd() * 5 + 4) == columns)
            return seed;
    }
    return 0;
}

// True when the block of `big` at (x, y) is exactly `small`.
bool holds_at(const gfx::Surface& big, int x, int y, const gfx::Surface& small)
{
    for (int sy = 0; sy < small.height(); ++sy)
        for (int sx = 0; sx < small.width(); ++sx)
            if (big.at(x + sx, y + sy) != small.at(sx, sy))
                return false;
    return true;
}

bool all_of_colour(const gfx::Surface& s, gfx::Rect r, gfx::Pixel colour)
{
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x)
            if (s.at(x, y) != colour)
                return false;
    return true;
}

const gfx::Pixel kBackgroundPixel = gfx::pixel_from_colorref(kBackground);

// A picture whose every pixel tells where in the picture it is.
gfx::Surface numbered_picture(int width, int height)
{
    gfx::Surface picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.set(x, y, gfx::rgb(x, y, 200));
    return picture;
}

host::HeadlessOptions with_picture(int width, int height, bool decodes = true)
{
    host::HeadlessOptions options = screen_of(1024, 768);
    options.picture_loader = [=](const std::string&, gfx::Surface& out) {
        if (!decodes)
            return host::PictureResult::Broken;
        out = numbered_picture(width, height);
        return host::PictureResult::Decoded;
    };
    return options;
}

Settings picture_settings(int arrangement)
{
    Settings s = plain_settings(4);
    s.g_BackgroundArrangement = std::int16_t(arrangement);
    s.g_BackgroundPicturePath = "/pictures/tile.png";
    return s;
}

} // namespace

TEST(ComposeBackground, HighlightStylesCycleOnePerRun)
{
    SaverRig rig(plain_settings(2), screen_of(320, 240));
    rig.saver.on_load();
    EXPECT_EQ(rig.saver.scheduler().HighlightStyle(), 1);
    rig.saver.scheduler().opening_played();
    for (int expected : {2, 3, 4, 5, 1, 2}) {
        rig.saver.ComposeBackground();
        EXPECT_EQ(rig.saver.scheduler().HighlightStyle(), expected);
    }
    const std::string trace = rig.take_trace();
    EXPECT_NE(trace.find("{\"ev\":\"compose\",\"style\":1}"), std::string::npos) << trace;
    EXPECT_NE(trace.find("{\"ev\":\"compose\",\"style\":5}"), std::string::npos) << trace;
}

TEST(ComposeBackground, GridOfFourColumnsFillsTheScreenWithTouchingBalls)
{
    const std::uint64_t seed = seed_for_columns(4);
    ASSERT_NE(seed, 0u);
    SaverRig rig(plain_settings(1), screen_of(1024, 768), seed);
    rig.saver.on_load();
    const Ball_A& s = rig.saver;

    EXPECT_EQ(s.grid().GradientColumns(), 4);
    EXPECT_EQ(s.grid().GradientBallSize(), 256);
    EXPECT_EQ(s.grid().GradientRows(), 3);
    ASSERT_EQ(s.stage().Pic_Mas(0).width(), 256);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_TRUE(holds_at(s.stage().Pic_Base(), 256 * i, 256 * j, s.stage().Pic_Mas(0)))
                << "expected the grid ball at (" << 256 * i << "," << 256 * j << ")";
    EXPECT_TRUE(*s.stage().Display() == s.stage().Pic_Base()) << "the composed grid must be on the screen";
}

TEST(ComposeBackground, GridOfFiveColumnsSharesTheRestAsGaps)
{
    const std::uint64_t seed = seed_for_columns(5);
    ASSERT_NE(seed, 0u);
    SaverRig rig(plain_settings(1), screen_of(1024, 768), seed);
    rig.saver.on_load();
    const Ball_A& s = rig.saver;

    EXPECT_EQ(s.grid().GradientColumns(), 5);
    EXPECT_EQ(s.grid().GradientBallSize(), 204);
    EXPECT_EQ(s.grid().GradientRows(), 3);
    // gapX = 4 / 6 and gapY = 156 / 4 = 39; cell corners rounded halves to even.
    const int xs[] = {1, 205, 410, 615, 819};
    const int ys[] = {39, 282, 525};
    for (int x : xs)
        for (int y : ys)
            EXPECT_TRUE(holds_at(s.stage().Pic_Base(), x, y, s.stage().Pic_Mas(0)))
                << "expected the grid ball at (" << x << "," << y << ")";
    EXPECT_TRUE(all_of_colour(s.stage().Pic_Base(), {0, 0, 1024, 39}, gfx::kBlack)) << "top gap not black";
    EXPECT_TRUE(all_of_colour(s.stage().Pic_Base(), {0, 0, 1, 768}, gfx::kBlack)) << "left gap not black";

    // A dark colour (each component below 64) lightened by 5 per disc: the
    // outermost disc's rim and the second disc's rim differ by exactly 5.
    const gfx::Pixel outer = s.stage().Pic_Mas(0).at(202, 102); // k = 0 only
    const gfx::Pixel second = s.stage().Pic_Mas(0).at(1, 101);  // k = 1 only
    EXPECT_LT(gfx::red_of(outer), 64);
    EXPECT_LT(gfx::green_of(outer), 64);
    EXPECT_LT(gfx::blue_of(outer), 64);
    EXPECT_EQ(gfx::red_of(second) - gfx::red_of(outer), 5);
    EXPECT_EQ(gfx::blue_of(second) - gfx::blue_of(outer), 5);
}

TEST(ComposeBackground, GridIsNewOnEveryRun)
{
    SaverRig rig(plain_settings(1), screen_of(1024, 768), 7);
    rig.saver.on_load();
    rig.saver.scheduler().opening_played();
    bool column_count_changed = false;
    const double first = rig.saver.grid().GradientColumns();
    for (int run = 0; run < 20; ++run) {
        rig.saver.ComposeBackground();
        ASSERT_GE(rig.saver.grid().GradientColumns(), 4);
        ASSERT_LE(rig.saver.grid().GradientColumns(), 8);
        column_count_changed |= rig.saver.grid().GradientColumns() != first;
    }
    EXPECT_TRUE(column_count_changed) << "twenty grids all had " << first << " columns";
}

// The grid's layout on screens from none to far wider than a ball's size can
// say: a ball never wraps round to a negative size, and a screen with no
// room for a ball has no rows rather than a division by zero.
TEST(BallGridLayout, BallsAsLargeAsTheWidthAllowsWithinTheirSizeInAsManyRowsAsFit)
{
    struct Case {
        double columns, width, height;
        int ball_size;
        double rows;
    };
    const Case cases[] = {
        {4, 1024, 768, 256, 3},
        {8, 1024, 768, 128, 6},
        {5, 1024, 100, 204, 0},        // lower than a ball
        {8, 7, 600, 0, 0},             // narrower than the columns
        {4, 0, 0, 0, 0},               // no screen
        {4, 200000, 70000, 32767, 2},  // a ball held at the largest size it can have
    };
    for (const Case& c : cases) {
        const BallGrid grid(c.columns, c.width, c.height);
        EXPECT_EQ(grid.GradientColumns(), c.columns);
        EXPECT_EQ(grid.GradientBallSize(), c.ball_size) << c.width << " x " << c.height;
        EXPECT_EQ(grid.GradientRows(), c.rows) << c.width << " x " << c.height;
    }
}

TEST(ComposeBackground, GridOnScreensTooSmallForABallOrARow)
{
    // Narrower than four pixels: balls of size 0, no cells, no division by 0.
    for (int width : {1, 3}) {
        SaverRig rig(plain_settings(1), screen_of(width, 1));
        rig.saver.on_load();
        EXPECT_EQ(rig.saver.grid().GradientBallSize(), 0);
        EXPECT_EQ(rig.saver.grid().GradientRows(), 0);
        EXPECT_TRUE(all_of_colour(rig.saver.stage().Pic_Base(), rig.saver.stage().Pic_Base().rect(), gfx::kBlack));
    }
    // Wide but lower than any ball: 0 rows, a black screen.
    SaverRig rig(plain_settings(1), screen_of(1024, 100));
    rig.saver.on_load();
    EXPECT_EQ(rig.saver.grid().GradientRows(), 0);
    EXPECT_TRUE(all_of_colour(*rig.saver.stage().Display(), rig.saver.stage().Display()->rect(), gfx::kBlack));
}

TEST(ComposeBackground, StartupScreenIsCapturedOnceAndKept)
{
    host::HeadlessOptions options = screen_of(64, 48);
    options.desktop = numbered_picture(64, 48);
    SaverRig rig(plain_settings(3), std::move(options));
    rig.saver.on_load();
    EXPECT_TRUE(rig.saver.stage().Pic_Base() == numbered_picture(64, 48));
    EXPECT_TRUE(*rig.saver.stage().Display() == numbered_picture(64, 48));

    // After the first run the desktop is not read again.
    rig.saver.scheduler().opening_played();
    rig.host.options().desktop = gfx::Surface(64, 48, gfx::kWhite);
    for (int run = 0; run < 6; ++run)
        rig.saver.ComposeBackground();
    EXPECT_TRUE(rig.saver.stage().Pic_Base() == numbered_picture(64, 48));
}

TEST(ComposeBackground, PictureCentredOnTheBackgroundColour)
{
    SaverRig rig(picture_settings(1), with_picture(100, 50));
    rig.saver.on_load();
    const gfx::Surface& base = rig.saver.stage().Pic_Base();

    EXPECT_TRUE(holds_at(base, 462, 359, numbered_picture(100, 50)));
    EXPECT_EQ(base.at(461, 359), kBackgroundPixel);
    EXPECT_EQ(base.at(462, 358), kBackgroundPixel);
    EXPECT_EQ(base.at(562, 408), kBackgroundPixel);
    EXPECT_EQ(base.at(561, 409), kBackgroundPixel);
    EXPECT_TRUE(*rig.saver.stage().Display() == base);
}

TEST(ComposeBackground, PictureLargerThanTheScreenIsCutOnAllSides)
{
    SaverRig rig(picture_settings(1), with_picture(1030, 780));
    rig.saver.on_load();
    // Corner at (-3, -6): the screen's corner shows the picture's (3, 6).
    EXPECT_EQ(rig.saver.stage().Pic_Base().at(0, 0), gfx::rgb(3, 6, 200));
    EXPECT_EQ(rig.saver.stage().Pic_Base().at(1023, 767), gfx::rgb(1026 & 0xFF, 773 & 0xFF, 200));
}

TEST(ComposeBackground, PictureTiledFromTheCorner)
{
    SaverRig rig(picture_settings(2), with_picture(100, 50));
    rig.saver.on_load();
    const gfx::Surface& base = rig.saver.stage().Pic_Base();
    const gfx::Surface tile = numbered_picture(100, 50);

    for (int x = 0; x + 100 <= 1024; x += 100)
        for (int y = 0; y + 50 <= 768; y += 50)
            ASSERT_TRUE(holds_at(base, x, y, tile)) << "expected a tile at (" << x << "," << y << ")";
    // The last column and row only begin on the screen.
    EXPECT_EQ(base.at(1023, 767), gfx::rgb(23, 17, 200));
    EXPECT_TRUE(*rig.saver.stage().Display() == base);
}

TEST(ComposeBackground, PictureWithoutPixelsShowsTheBackgroundColour)
{
    struct Case {
        const char* what;
        host::HeadlessOptions options;
        int arrangement;
    };
    Case cases[] = {
        {"0x0 tiled", with_picture(0, 0), 2},
        {"0x0 centred", with_picture(0, 0), 1},
        {"100x0 tiled", with_picture(100, 0), 2},
        {"0x50 tiled", with_picture(0, 50), 2},
        {"undecodable tiled", with_picture(100, 50, false), 2},
        {"undecodable centred", with_picture(100, 50, false), 1},
    };
    for (Case& c : cases) {
        SaverRig rig(picture_settings(c.arrangement), std::move(c.options));
        rig.saver.on_load();
        EXPECT_TRUE(all_of_colour(rig.saver.stage().Pic_Base(), rig.saver.stage().Pic_Base().rect(), kBackgroundPixel))
            << c.what;
        EXPECT_TRUE(*rig.saver.stage().Display() == rig.saver.stage().Pic_Base()) << c.what;
    }
}

// Whether a file is at the picture's path is the decoder's to say (the
// settings loader never opens it): with none there, the saver plays exactly as
// on the ball grid, a new grid on every run, frames and random draws alike.
TEST(ComposeBackground, PicturePathWithNoFileShowsTheBallGridOnEveryRun)
{
    host::HeadlessOptions options = screen_of(1024, 768);
    options.picture_loader = [](const std::string&, gfx::Surface&) { return host::PictureResult::Unreadable; };
    SaverRig missing(picture_settings(1), std::move(options), 7);
    SaverRig grid(plain_settings(1), screen_of(1024, 768), 7);
    for (SaverRig* rig : {&missing, &grid})
        rig->load();
    EXPECT_EQ(missing.saver.settings().g_BackgroundMode, 1);
    for (int run = 0; run < 3; ++run) {
        EXPECT_TRUE(missing.saver.stage().Pic_Base() == grid.saver.stage().Pic_Base()) << "run " << run;
        EXPECT_EQ(missing.saver.grid().GradientColumns(), grid.saver.grid().GradientColumns()) << "run " << run;
        EXPECT_EQ(missing.take_trace(), grid.take_trace()) << "run " << run;
        for (SaverRig* rig : {&missing, &grid}) {
            rig->saver.scheduler().opening_played();
            rig->saver.ComposeBackground();
        }
    }
}

TEST(ComposeBackground, PictureIsLoadedOnlyOnTheFirstRun)
{
    int loads = 0;
    host::HeadlessOptions options = with_picture(100, 50);
    auto decode = options.picture_loader;
    options.picture_loader = [&](const std::string& path, gfx::Surface& out) {
        ++loads;
        return decode(path, out);
    };
    SaverRig rig(picture_settings(1), std::move(options));
    rig.saver.on_load();
    rig.saver.scheduler().opening_played();
    rig.saver.ComposeBackground();
    rig.saver.ComposeBackground();
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(holds_at(rig.saver.stage().Pic_Base(), 462, 359, numbered_picture(100, 50)));
}

// A picture can take a while to decode, and the host goes on delivering
// input meanwhile: the saver's window is already up, on top and in the
// background colour, so a click that comes then ends the saver.
TEST(ComposeBackground, TheWindowIsUpAndAnswersWhileThePictureDecodes)
{
    for (const bool click : {false, true}) {
        host::HeadlessOptions options = with_picture(100, 50);
        auto decode = options.picture_loader;
        SaverRig* rig = nullptr;
        bool shown = false, topmost = false, coloured = false;
        options.picture_loader = [&](const std::string& path, gfx::Surface& out) {
            const host::WindowRecord& record = rig->host.windows().front();
            shown = record.shown;
            topmost = record.topmost;
            const gfx::Surface& display = *rig->saver.stage().Display();
            coloured = all_of_colour(display, display.rect(), kBackgroundPixel);
            rig->host.process_pending_messages();
            return decode(path, out);
        };
        SaverRig saver_rig(picture_settings(1), std::move(options));
        rig = &saver_rig;
        if (click) {
            rig->host.add_input({0, host::MouseEventKind::Down, host::kLeftButton, 10, 10});
            EXPECT_THROW(rig->saver.on_load(), host::ProcessEnd);
        } else {
            rig->saver.on_load();
            EXPECT_TRUE(holds_at(rig->saver.stage().Pic_Base(), 462, 359, numbered_picture(100, 50)));
        }
        EXPECT_TRUE(shown && topmost && coloured) << "click " << click;
    }
}
