// Changing radius. The centre ball runs a figure of eight through the screen
// centre, two circles of radius W/8 side by side, while the ten small balls
// circle around it in two groups of five turning opposite ways (the even
// balls clockwise, the odd ones anticlockwise). Every 15 frames each group's
// distance from the centre ball swings in or out, and every ball, the centre
// ball included, shrinks and grows again, so the cloud seems to breathe and
// to come towards the viewer and go away. Ten lobes of 60 frames whatever
// the speed; the balls glide out to a ring first and home at the end.

#include "engine/actions/actions.h"
#include "engine/actions/circle_place.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// One lobe is a full circle of the figure of eight: 60 sixtieths of a turn,
// one per frame. It falls into four quarters of 15 frames in which the
// radii and sizes change at a steady rate.
constexpr int kLobeFrames = 60;
constexpr int kQuarterFrames = 15;

// The radius change per frame of the even and of the odd balls in each
// quarter. Over a lobe an even ball's radius runs H/4 -> H/4 - 135 ->
// H/4 + 75 -> H/4 - 135 -> H/4 and an odd ball's H/4 -> H/4 + 75 ->
// H/4 - 150 -> H/4 + 75 -> H/4, so every lobe ends with the radii it began.
constexpr double kEvenRadiusStep[4] = {-9, +14, -14, +9};
constexpr double kOddRadiusStep[4] = {+5, -15, +15, -5};

// Every ball shrinks over the first and third quarters and grows back over
// the second and fourth: to half its size and back, twice a lobe.
constexpr double kSmallStep = kSmallBallSize / 30.0; // 1.6 pixels a frame
constexpr double kCentreStep = kLargeBallSize / 30.0; // 2.4 pixels a frame

struct ChangingRadius {
    Figure& saver;
    double W = 0, H = 0;

    // Each small ball's place on its circle around the centre ball (in
    // sixtieths of a turn), its distance from the centre ball and its edge.
    double angle[kSmallBalls + 1] = {};
    double radius[kSmallBalls + 1] = {};
    double size[kSmallBalls + 1] = {};
    double centre_size = kLargeBallSize;

    // The centre ball on the figure of eight: its clock position q on the
    // current circle and which circle that is.
    double q = 15;
    bool left_lobe = true;
    double cx = 0, cy = 0; // its centre in the current frame

    // Where every ball was drawn in the current frame, cell corners.
    Figure::BallArray drawn_x{}, drawn_y{};
    double centre_drawn_x = 0, centre_drawn_y = 0;
};

// The centre ball moves on by one sixtieth of a turn. Both circles touch at
// x = W/2 on the centre line, where q = 15 on the left circle and q = 45 on
// the right one; the left circle runs clockwise (q grows from 15 to 75), the
// right one anticlockwise (q falls from 45 to -15), so both leave the
// touching point downward and the switch falls exactly on each 60th frame.
void MoveAlongFigureOfEight(ChangingRadius& r)
{
    const double lobe_radius = r.W / 8;
    const double lobe_centre_x = r.left_lobe ? 3 * r.W / 8 : 5 * r.W / 8;
    r.q += r.left_lobe ? 1 : -1;
    const double theta = gfx::clock_angle(r.q);
    r.cx = lobe_centre_x + gfx::floor_int(std::cos(theta) * lobe_radius);
    r.cy = r.saver.CenterY() + gfx::floor_int(std::sin(theta) * lobe_radius);
    if (r.left_lobe && r.q == 75) {
        r.q = 45;
        r.left_lobe = false;
    } else if (!r.left_lobe && r.q == -15) {
        r.q = 15;
        r.left_lobe = true;
    }
}

// Frame f (1..60) of a lobe: erase, the centre ball, then the small balls
// over it, all drawn stretched to their current sizes.
void DrawLobeFrame(ChangingRadius& r, int f)
{
    Figure& s = r.saver;
    const int quarter = (f - 1) / kQuarterFrames; // 0..3
    const bool shrinking = quarter % 2 == 0;

    MoveAlongFigureOfEight(r);
    s.RestoreBackground();

    r.centre_size += shrinking ? -kCentreStep : kCentreStep;
    r.centre_drawn_x = r.cx - r.centre_size / 2;
    r.centre_drawn_y = r.cy - r.centre_size / 2;
    s.blit_ball_scaled(kCentreBall, r.centre_drawn_x, r.centre_drawn_y, r.centre_size, r.centre_size);

    const double factor = s.speed_factor();
    for (int j = 1; j <= kSmallBalls; ++j) {
        const bool even = j % 2 == 0;
        r.angle[j] += even ? factor : -factor;
        r.radius[j] += even ? kEvenRadiusStep[quarter] : kOddRadiusStep[quarter];
        r.size[j] += shrinking ? -kSmallStep : kSmallStep;
        // A radius below zero (on screens lower than 600 pixels) puts the
        // ball on the far side of the centre ball; nothing is clamped.
        const CellCorner c = place_on_circle(r.cx, r.cy, r.angle[j], r.radius[j], r.size[j]);
        r.drawn_x[j] = c.x;
        r.drawn_y[j] = c.y;
        s.blit_ball_scaled(j, c.x, c.y, r.size[j], r.size[j]);
    }

    s.PresentFrame();
}

} // namespace

void Act_ChangingRadius(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    ChangingRadius r{saver};
    r.W = s.ScreenWidthPx();
    r.H = s.ScreenHeightPx();
    const double ring_radius = r.H / 4; // in both directions, so a circle

    // The balls are drawn stretched, colour on colour; the compositor's
    // scaled stamp always draws that way.

    // The ring the balls glide out to: the starting ring's angles at a
    // radius of a quarter of the screen's height.
    Figure::BallArray ring_x{}, ring_y{};
    for (int j = 1; j <= kSmallBalls; ++j) {
        const CellCorner c =
            place_on_circle(s.CenterX(), s.CenterY(), 6.0 * j, ring_radius, kSmallBallSize);
        ring_x[j] = c.x;
        ring_y[j] = c.y;
    }

    // Glide out to it; the centre ball stays where it is.
    s.glides().aim_glides(s.formation().FormationX(), s.formation().FormationY(), ring_x, ring_y);
    s.glides().aim_centre_glide(s.formation().CenterFormationX(), s.formation().CenterFormationY(), s.formation().CenterFormationX(),
                       s.formation().CenterFormationY());
    s.glides().GlideBalls(GlideKind::Clean);

    // Every ball starts on its ring angle, at the ring's radius, full size.
    for (int j = 1; j <= kSmallBalls; ++j) {
        r.angle[j] = 6.0 * j;
        r.radius[j] = ring_radius;
        r.size[j] = kSmallBallSize;
    }
    r.centre_size = kLargeBallSize;
    r.q = 15;
    r.left_lobe = true;

    // Ten lobes, left and right in turn: five figures of eight. The frame
    // count does not depend on the speed; the speed factor only sets how far
    // the small balls turn (one turn a lobe at factor 1).
    const int lobes = gfx::floor_int(kPhaseSteps * 0.5);
    for (int lobe = 1; lobe <= lobes; ++lobe)
        for (int f = 1; f <= kLobeFrames; ++f)
            DrawLobeFrame(r, f);

    // Home from where every ball was last drawn, at full size again.
    s.glides().aim_glides(r.drawn_x, r.drawn_y, s.formation().FormationX(), s.formation().FormationY());
    s.glides().aim_centre_glide(r.centre_drawn_x, r.centre_drawn_y, s.formation().CenterFormationX(), s.formation().CenterFormationY());
    s.glides().GlideBalls(GlideKind::Clean);

    s.FinishAction();
}
