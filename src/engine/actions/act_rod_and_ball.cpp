// Kind 15, rods and balls. The ten small balls form a rod, each overlapping
// the next by half a cell, that turns like a clock hand about ball 10, its
// hub, while the hub rides on a circle around the screen centre. The rod
// breathes: it shrinks to nothing, grows to 1.6 times its rest length,
// shrinks again, and at every longest it turns over in depth (the other end
// comes on top). The centre ball circles the rod's far end. The figure ends
// with the turn of the rod during which it reached its longest a third time.

#include "engine/actions/actions.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// The rod's length factor moves by a hundredth a frame whatever the speed:
// down from 1 to 0 in 100 frames, then 160 frames each way between 0 and
// 1.6, so the longest comes at frames 260, 580 and 900.
constexpr double kBreathStep = 0.01;
constexpr double kLongest = 1.6;
constexpr int kPeaks = 3;
// The centre ball moves two sixtieths of a turn a frame round the far end,
// at the centre ball's own size from it.
constexpr double kCentreOrbitStep = 2;
constexpr double kCentreOrbitRadius = kLargeBallSize;

struct RodAndBall {
    Figure::BallArray L{}; // each ball's rest distance from the hub along the rod
    double s = 1;          // the rod's length factor
    bool growing = false;
    bool flipped = false;  // the far end (ball 1) lies on top
    int peaks = 0;         // times s has reached 1.6
    double u = 30;         // the hub's place on its circle, sixtieths of a turn
    double j = 0;          // the centre ball's place round the far end, sixtieths
    double px = 0, py = 0; // the hub, ball 10's centre
    Figure::BallArray x{}, y{}; // each small ball's cell
    double cx = 0, cy = 0;      // the centre ball's cell
};

// One frame's change of length; turning over at the longest.
void breathe(RodAndBall& r)
{
    if (r.growing) {
        r.s += kBreathStep;
        if (r.s >= kLongest) {
            r.growing = false;
            r.flipped = !r.flipped;
            r.peaks += 1;
        }
    } else {
        // The hundred steps down from 1 end a hair below 0 (-7.5e-16), which
        // draws the rod collapsed onto its hub.
        r.s -= kBreathStep;
        if (r.s <= 0)
            r.growing = true;
    }
}

// The hub on its circle of radius H / 8 around the screen centre, and the
// rod at angle k about it (both in sixtieths of a turn, 0 straight up,
// clockwise), every offset rounded down to whole pixels.
void place_rod(const Figure& saver, RodAndBall& r, double k)
{
    const double H = saver.ScreenHeightPx();
    const double theta = gfx::clock_angle(r.u);
    r.px = saver.CenterX() + gfx::floor_int(std::cos(theta) * H / 8);
    r.py = saver.CenterY() + gfx::floor_int(std::sin(theta) * H / 8);

    const double phi = gfx::clock_angle(k);
    for (std::size_t m = 1; m <= kSmallBalls; ++m) {
        r.x[m] = r.px + gfx::floor_int(std::cos(phi) * r.s * r.L[m]) - kHalfSmallCell;
        r.y[m] = r.py + gfx::floor_int(std::sin(phi) * r.s * r.L[m]) - kHalfSmallCell;
    }
}

// The centre ball's centre circles the top-left corner of ball 1's cell.
void place_centre_ball(RodAndBall& r)
{
    r.j += kCentreOrbitStep;
    const double psi = gfx::clock_angle(r.j);
    r.cx = r.x[1] + gfx::floor_int(kCentreOrbitRadius * std::cos(psi)) - kHalfLargeCell;
    r.cy = r.y[1] + gfx::floor_int(kCentreOrbitRadius * std::sin(psi)) - kHalfLargeCell;
}

// Turned over, the far end (ball 1) lies on top and the centre ball over
// everything; otherwise the hub lies on top and the centre ball underneath.
void draw_rod(Figure& saver, const RodAndBall& r)
{
    saver.RestoreBackground();
    if (r.flipped) {
        for (int m = kSmallBalls; m >= 1; --m)
            saver.BlitBall(m, r.x[std::size_t(m)], r.y[std::size_t(m)]);
        saver.BlitBall(kCentreBall, r.cx, r.cy);
    } else {
        saver.BlitBall(kCentreBall, r.cx, r.cy);
        for (int m = 1; m <= kSmallBalls; ++m)
            saver.BlitBall(m, r.x[std::size_t(m)], r.y[std::size_t(m)]);
    }
    saver.PresentFrame();
}

} // namespace

void Act_RodAndBall(Figure& saver, int /*mode*/)
{
    const double factor = saver.speed_factor();
    RodAndBall r;

    // The rod at rest stands upright, ball 10 lowest with its centre H / 8
    // below the screen centre (the bottom of the hub's circle), each ball
    // half a cell above the next. The centre ball waits one cell above the
    // rod's top, its left edge on the rod's axis.
    Figure::BallArray x0{}, y0{};
    r.L[kSmallBalls] = 0;
    x0[kSmallBalls] = saver.CenterX() - kHalfSmallCell;
    y0[kSmallBalls] = saver.CenterY() - kHalfSmallCell + saver.ScreenHeightPx() / 8;
    for (std::size_t m = kSmallBalls - 1; m >= 1; --m) {
        r.L[m] = r.L[m + 1] + kHalfSmallCell;
        x0[m] = saver.CenterX() - kHalfSmallCell;
        y0[m] = y0[m + 1] - kHalfSmallCell;
    }
    const double centre_x0 = x0[1] + kHalfSmallCell;
    const double centre_y0 = y0[1] + kHalfSmallCell - kSmallBallSize - kHalfLargeCell;

    // Every ball glides from its formation place into the rod.
    saver.glides().aim_glides(saver.formation().FormationX(), saver.formation().FormationY(), x0, y0);
    saver.glides().aim_centre_glide(saver.formation().CenterFormationX(), saver.formation().CenterFormationY(), centre_x0, centre_y0);
    saver.glides().GlideBalls(GlideKind::Clean);

    // Passes: one turn of the rod each, k = 1 to 60 in steps of the speed
    // factor, one frame per k (60 frames at factor 1, 30 at 2, 237 at 0.25).
    // The hub moves on by the same step, and keeps moving from pass to pass;
    // the centre ball's orbit starts again with every pass. The count of
    // peaks is looked at only between passes, so the figure ends with the
    // pass that holds the third: frame 900 at factors 1 and 2, 948 at 0.25.
    do {
        r.j = 0;
        for (double k = 1; k <= 60; k += factor) {
            breathe(r);
            r.u += factor;
            place_rod(saver, r, k);
            place_centre_ball(r);
            draw_rod(saver, r);
        }
    } while (r.peaks < kPeaks);

    // Every ball glides home from where the last frame drew it.
    saver.glides().aim_glides(r.x, r.y, saver.formation().FormationX(), saver.formation().FormationY());
    saver.glides().aim_centre_glide(r.cx, r.cy, saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);

    saver.FinishAction();
}
