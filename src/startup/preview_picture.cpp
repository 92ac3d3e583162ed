#include "startup/preview_picture.h"

#include "engine/ball_geometry.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

// How the miniature is made: a real saver window (Ball_A) loads on a canvas
// three times the picture's size, 456 x 336, with the default settings and a
// black single-colour background, and its starting formation is stamped once
// as its first frame would be. Every 3 x 3 block of that frame is then
// averaged into one pixel of the picture. At full size the ring (radius 90,
// 48-pixel balls, the 72-pixel centre ball) spans 220 x 228 pixels, which
// does not fit 112 rows; a third of it, about 73 x 76, sits in the middle of
// the picture with a margin all round, and averaging (rather than dropping
// rows and columns) keeps the balls round and their shading smooth.
namespace {

constexpr int kScale = 3;

// The mean of each scale x scale block, rounded to nearest.
gfx::Surface reduce(const gfx::Surface& large, int scale)
{
    gfx::Surface small(large.width() / scale, large.height() / scale);
    const int area = scale * scale;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            int red = 0, green = 0, blue = 0;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const gfx::Pixel p = large.at(x * scale + dx, y * scale + dy);
                    red += gfx::red_of(p);
                    green += gfx::green_of(p);
                    blue += gfx::blue_of(p);
                }
            }
            small.set(x, y, gfx::rgb((red + area / 2) / area, (green + area / 2) / area,
                                     (blue + area / 2) / area));
        }
    }
    return small;
}

} // namespace

gfx::Surface render_preview_picture()
{
    // A name that no file has: every setting takes its default.
    Settings settings;
    LoadSettings(settings, std::string());
    settings.g_BackgroundMode = 2;
    settings.g_BackgroundColor = gfx::colorref(0, 0, 0);

    // The headless host gives the saver a screen of the canvas's size; the
    // saver is loaded but never run, so nothing reaches the system.
    host::HeadlessOptions canvas;
    canvas.screen = {kPreviewPictureWidth * kScale, kPreviewPictureHeight * kScale};
    host::HeadlessHost headless(canvas);
    Random random(0); // the starting formation draws nothing at random
    Ball_A saver(headless, settings, random, SaverStart{});
    saver.Form_Load();

    saver.stage().RestoreBackground();
    for (int i = 1; i <= kSmallBalls; ++i)
        saver.stage().BlitBall(i, saver.formation().FormationX()[i], saver.formation().FormationY()[i]);
    saver.stage().BlitBall(kCentreBall, saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    return reduce(*saver.stage().Display(), kScale);
}
