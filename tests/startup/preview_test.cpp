#include "startup/preview_picture.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "gfx/color.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"
#include "startup/preview_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

std::string Hex(gfx::Pixel p)
{
    std::ostringstream out;
    out << "0x" << std::hex << p;
    return out.str();
}

// The default colour of each ball as the sprite's brightest channel mix
// shows it: which channel dominates at the ball's centre.
int Dominant(gfx::Pixel p)
{
    const int r = gfx::red_of(p), g = gfx::green_of(p), b = gfx::blue_of(p);
    if (b > r && b > g)
        return 2;
    if (g > r && g > b)
        return 1;
    return 0;
}

TEST(PreviewPicture, TheStartingRingInMiniatureOnBlack)
{
    const gfx::Surface picture = render_preview_picture();
    ASSERT_EQ(picture.width(), 152);
    ASSERT_EQ(picture.height(), 112);

    // The corners and the edges are the black ground.
    for (gfx::Point p : {gfx::Point{0, 0}, {151, 0}, {0, 111}, {151, 111}, {76, 2}, {76, 109}})
        EXPECT_EQ(picture.at(p.x, p.y), gfx::kBlack)
            << "expected black at (" << p.x << ", " << p.y << "), got " << Hex(picture.at(p.x, p.y));

    // The centre ball sits in the middle (a third of the canvas centre
    // 228, 168 is 76, 56) and is blue.
    const gfx::Pixel centre = picture.at(76, 56);
    EXPECT_NE(centre, gfx::kBlack);
    EXPECT_EQ(Dominant(centre), 2) << "expected the centre ball blue, got " << Hex(centre);

    // Each small ball's cell centre (its place on the ring at a third of
    // the size) is lit, and the gap between the ring and the centre is not.
    for (int i = 1; i <= 10; ++i) {
        const double angle = i * 6 * 6.28318530717958 / 60 - 1.570796326794895;
        const int x = int(std::lround((228 + std::floor(std::cos(angle) * 90)) / 3.0));
        const int y = int(std::lround((168 + std::floor(std::sin(angle) * 90)) / 3.0));
        EXPECT_NE(picture.at(x, y), gfx::kBlack) << "expected ball " << i << " at (" << x << ", "
                                                  << y << "), got black";
    }
    EXPECT_EQ(picture.at(76, 56 - 18), gfx::kBlack) << "expected the gap above the centre ball black";

    EXPECT_EQ(render_preview_picture(), picture) << "expected the same picture every time";
}

// The picture is drawn without a saver window, so nothing but this ties it
// to what the saver shows: a saver loaded on a screen three times the
// picture's size, its starting formation stamped as a frame, each 3 x 3
// block averaged, rounded to nearest, must give the picture pixel for pixel.
TEST(PreviewPicture, IsTheLoadedSaversFormationFrameInMiniature)
{
    Settings settings;
    LoadSettings(settings, std::string());
    settings.g_BackgroundMode = 2;
    settings.g_BackgroundColor = gfx::colorref(0, 0, 0);
    host::HeadlessOptions screen;
    screen.screen = {456, 336};
    host::HeadlessHost host(screen);
    Random random(0);
    Ball_A saver(host, settings, random, SaverStart{});
    saver.on_load();
    Stage& stage = saver.stage();
    const Formation& formation = saver.formation();
    stage.RestoreBackground();
    for (std::size_t i = 1; i <= 10; ++i)
        stage.BlitBall(int(i), formation.FormationX()[i], formation.FormationY()[i]);
    stage.BlitBall(11, formation.CenterFormationX(), formation.CenterFormationY());
    const gfx::Surface& frame = *stage.Display();

    const gfx::Surface picture = render_preview_picture();
    ASSERT_EQ(picture.width() * 3, frame.width());
    ASSERT_EQ(picture.height() * 3, frame.height());
    int differing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            int sum[3] = {0, 0, 0};
            for (int dy = 0; dy < 3; ++dy) {
                for (int dx = 0; dx < 3; ++dx) {
                    const gfx::Pixel p = frame.at(3 * x + dx, 3 * y + dy);
                    sum[0] += gfx::red_of(p);
                    sum[1] += gfx::green_of(p);
                    sum[2] += gfx::blue_of(p);
                }
            }
            const gfx::Pixel expected = gfx::rgb((sum[0] + 4) / 9, (sum[1] + 4) / 9, (sum[2] + 4) / 9);
            if (picture.at(x, y) != expected && ++differing <= 5)
                ADD_FAILURE() << "at (" << x << ", " << y << "): expected " << Hex(expected)
                              << " got " << Hex(picture.at(x, y));
        }
    }
    EXPECT_EQ(differing, 0) << "pixels that differ from the saver's frame";
}

struct PreviewRig {
    host::HeadlessHost host;
    gfx::Surface picture = render_preview_picture();
    static constexpr host::NativeHandle kPane = 0x5000;
};

TEST(PreviewWindow, ShowsThePictureTopLeftOnBlackAndFollowsThePane)
{
    PreviewRig rig;
    Ball_X preview(rig.host, rig.picture);
    ASSERT_TRUE(preview.on_load(PreviewRig::kPane, {200, 150}));
    preview.RunPreview();

    ASSERT_EQ(rig.host.windows().size(), 1u);
    const host::WindowRecord& record = rig.host.windows()[0];
    EXPECT_EQ(record.parent, PreviewRig::kPane);
    EXPECT_TRUE(record.shown);
    EXPECT_EQ(record.rect, (gfx::Rect{0, 0, 200, 150}));

    // The window covers the pane; its frame is the part of the picture the
    // pane shows (the host paints the rest of the window black).
    auto check = [&](int width, int height) {
        EXPECT_EQ(rig.host.windows()[0].rect, (gfx::Rect{0, 0, width, height}));
        const gfx::Surface& frame = preview.window()->frame();
        ASSERT_EQ(frame.width(), std::min(width, 152));
        ASSERT_EQ(frame.height(), std::min(height, 112));
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                ASSERT_EQ(frame.at(x, y), rig.picture.at(x, y))
                    << "at (" << x << ", " << y << ") in a " << width << " x " << height << " pane";
    };
    check(200, 150);

    // A smaller pane shows the top-left part, a larger one the whole picture;
    // a pane as large as its program may claim holds no more than the picture.
    for (host::Size pane : {host::Size{100, 80}, {152, 112}, {300, 40}, {32767, 32767}, {0, 0}}) {
        preview.on_parent_resized(pane);
        check(pane.width, pane.height);
    }
}

TEST(PreviewWindow, AHugePaneFromTheStartHoldsOnlyThePicture)
{
    PreviewRig rig;
    Ball_X preview(rig.host, rig.picture);
    ASSERT_TRUE(preview.on_load(PreviewRig::kPane, {32767, 32767}));
    preview.RunPreview();
    EXPECT_EQ(rig.host.windows()[0].rect, (gfx::Rect{0, 0, 32767, 32767}));
    EXPECT_EQ(preview.window()->frame(), rig.picture);
}

TEST(PreviewWindow, EndsWhenThePaneGoesAway)
{
    PreviewRig rig;
    Ball_X preview(rig.host, rig.picture);
    ASSERT_TRUE(preview.on_load(PreviewRig::kPane, {152, 112}));
    preview.RunPreview();
    preview.on_close_request();
    EXPECT_FALSE(preview.loaded());
    EXPECT_FALSE(rig.host.windows()[0].alive);
    rig.host.run(); // returns: nothing is left to run
}

TEST(PreviewWindow, WithoutAPaneOrInTheDesktopNothingIsShownAndTheModeEnds)
{
    PreviewRig rig;
    run_preview_pane(rig.host, 0, {0, 0});
    EXPECT_TRUE(rig.host.windows().empty()) << "expected no window for a preview without a pane";
    run_preview_pane(rig.host, 0x7777, {0, 0}); // names no window
    EXPECT_TRUE(rig.host.windows().empty());
    // The desktop is a window, but no pane: the preview would never end.
    rig.host.desktop_window = 0x1e0;
    rig.host.foreign_windows[0x1e0] = {0, 0, 1024, 768};
    run_preview_pane(rig.host, 0x1e0, {1024, 768});
    EXPECT_TRUE(rig.host.windows().empty()) << "expected no window in the desktop";

    rig.host.foreign_windows[PreviewRig::kPane] = {10, 10, 152, 112};
    run_preview_pane(rig.host, PreviewRig::kPane, {152, 112});
    ASSERT_EQ(rig.host.windows().size(), 1u);
    EXPECT_EQ(rig.host.windows()[0].parent, PreviewRig::kPane);
}

} // namespace
