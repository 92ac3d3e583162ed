#include "engine/actions/ellipse_rosette.h"

#include "gfx/numeric.h"

#include <cmath>

void set_up_rosette(const Figure& saver, EllipseRosette& r, int repetition)
{
    r.a = float(saver.ScreenWidthPx() / 3.5);
    r.b = float(saver.ScreenHeightPx() / (2 * 3.5));
    r.D = kRosetteTurnSteps[std::size_t(repetition)];
    for (int i = 1; i <= kSmallBalls; ++i) {
        // The turn angle is taken to radians with the 15-digit pi and kept
        // single, as are its sine and cosine.
        const float phi = float(double(r.D) * i / 180 * gfx::kPi);
        r.s[std::size_t(i)] = float(std::sin(double(phi)));
        r.c[std::size_t(i)] = float(std::cos(double(phi)));
    }
}

// The ellipse point (a cos t, b sin t) turned by ball i's angle about the
// screen centre, less half a cell so that the ball's centre lies on the
// curve. The products of two single values stay single; the sine and cosine
// of t bring them to double. With y growing downwards, growing t and growing
// turn angles both go clockwise on the screen.
void place_on_ellipse(const Figure& saver, EllipseRosette& r, int i, double t)
{
    const auto n = std::size_t(i);
    const double cos_t = std::cos(t), sin_t = std::sin(t);
    r.x[n] = saver.CenterX() + double(r.c[n] * r.a) * cos_t - double(r.s[n] * r.b) * sin_t
             - kHalfSmallCell;
    r.y[n] = saver.CenterY() + double(r.s[n] * r.a) * cos_t + double(r.c[n] * r.b) * sin_t
             - kHalfSmallCell;
}

void glide_out_to_ellipses(Figure& saver, EllipseRosette& r)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        place_on_ellipse(saver, r, i, 0);
        saver.glides().aim_glide(i, saver.formation().FormationX()[std::size_t(i)], saver.formation().FormationY()[std::size_t(i)],
                        r.x[std::size_t(i)], r.y[std::size_t(i)]);
    }
    saver.glides().aim_centre_glide(saver.formation().CenterFormationX(), saver.formation().CenterFormationY(),
                           saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);
}

void clear_and_place(Figure& saver, EllipseRosette& r)
{
    saver.RestoreBackground();
    saver.BlitBall(kCentreBall, saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    for (int i = 1; i <= kSmallBalls; ++i) {
        place_on_ellipse(saver, r, i, gfx::kTwoPi);
        saver.BlitBall(i, r.x[std::size_t(i)], r.y[std::size_t(i)]);
    }
    saver.PresentFrame();
}

void glide_back_to_formation(Figure& saver, EllipseRosette& r)
{
    saver.glides().aim_glides(r.x, r.y, saver.formation().FormationX(), saver.formation().FormationY());
    saver.glides().aim_centre_glide(saver.formation().CenterFormationX(), saver.formation().CenterFormationY(),
                           saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);
}
