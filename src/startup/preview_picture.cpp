#include "startup/preview_picture.h"

#include "engine/ball_geometry.h"
#include "engine/formation.h"
#include "engine/sprites.h"
#include "engine/stage.h"
#include "gfx/color.h"
#include "settings/setting_choices.h"
#include "settings/settings_file.h"

// How the miniature is made: the saver's stage, on a canvas three times the
// picture's size, 456 x 336, with the default settings and a black
// single-colour background, stamps the starting formation once as the
// saver's first frame after its load would (the sprites in the first
// highlight style). Every 3 x 3 block of that frame is then
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
    settings.g_BackgroundMode = setting_number(BackgroundPattern::SingleColour);
    settings.g_BackgroundColor = gfx::colorref(0, 0, 0);

    const int width = kPreviewPictureWidth * kScale;
    const int height = kPreviewPictureHeight * kScale;
    gfx::Surface canvas(width, height);
    Stage stage(settings, nullptr, nullptr, false);
    stage.attach(canvas, nullptr, gfx::pixel_from_colorref(settings.g_BackgroundColor));
    paint_ball_sprites(stage, settings, kFirstHighlightStyle);
    const Formation formation(width, height);

    stage.RestoreBackground();
    for (int i = 1; i <= kSmallBalls; ++i)
        stage.BlitBall(i, formation.FormationX()[std::size_t(i)],
                       formation.FormationY()[std::size_t(i)]);
    stage.BlitBall(kCentreBall, formation.CenterFormationX(), formation.CenterFormationY());
    return reduce(canvas, kScale);
}
