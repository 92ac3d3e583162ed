// Rod rotation and its trail. The ten small balls line up as a vertical rod
// through the centre ball; the rod then spins about its middle as if lying on
// a tilted turntable (each ball runs on an ellipse half as high as it is
// wide) while its middle, carrying the centre ball, swings around a circle
// through the screen centre.
//
// Mode 1 (kind 2): the rod first flips end over end and back; every frame is
// clean; twenty repetitions of the spin.
// Mode 2 (kind 14): no flip; in each repetition the small balls shrink and
// grow again, and the first half of the repetition is drawn without
// erasing, so the shrinking balls leave trails; ten repetitions.

#include "engine/actions/actions.h"
#include "engine/actions/small_ball_glide.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// Mode 2 shrinks and grows the small balls by a 25th of a cell per frame.
constexpr double kSizeStep = kSmallBallSize / 25.0; // 1.92
// Mode 2 erases again once the trail counter reaches 15 (60 / 4). It grows by
// the speed factor per frame, half as fast as the spin angle, so erasing
// resumes halfway through the turn whatever the factor: from the 15th of 30
// frames at factor 1, the 8th of 15 at 2, the 60th of 119 at 0.25.
constexpr double kTrailLength = 60.0 / 4;

struct RodRotation {
    Figure& saver;
    int mode;            // 1 clean with the flip, 2 with trails
    int repetitions = 0; // 20 in mode 1, 10 in mode 2
    double width = 0, height = 0;
    double factor = 1;   // g_SpeedFactor

    // Signed distance of each ball's centre from the rod's middle, positive
    // above it, and each ball's own spin direction for spin mode 2.
    double offset[kSmallBalls + 1] = {};
    int direction[kSmallBalls + 1] = {};

    // The current repetition.
    double px = 0, py = 0; // pivot of the orbit of the rod's middle
    double a = 0;          // orbit position, sixtieths of a turn
    int spin_mode = 0;      // 0 clockwise, 1 anticlockwise, 2 each ball its own way
    double size = kSmallBallSize;
    double trail = 0;
};

// The flip glides the balls' centres along the rod, which become cell
// corners only where a ball is drawn; the shared glides hold corners, so the
// flip keeps its own, aimed and stepped the same way (g_Speed equal steps of
// (from - to) / g_Speed).
struct RodFlip {
    Figure::BallArray centre_x{}, centre_y{};
    Figure::BallArray step_x{}, step_y{};
};

// One leg of the flip: every ball slides along the rod to its mirror
// partner's place (outward, balls 1 to 10) or back (10 to 1); the centre
// ball is drawn right after ball 5 on both legs.
void flip_leg(Figure& s, RodFlip& f, bool outward)
{
    for (int frame = 1; frame <= s.speed(); ++frame) {
        s.RestoreBackground();
        for (int n = 1; n <= kSmallBalls; ++n) {
            const int j = outward ? n : kSmallBalls + 1 - n;
            if (outward) {
                f.centre_x[j] -= f.step_x[j];
                f.centre_y[j] -= f.step_y[j];
            } else {
                f.centre_x[j] += f.step_x[j];
                f.centre_y[j] += f.step_y[j];
            }
            s.BlitBall(j, f.centre_x[j] - kHalfSmallCell, f.centre_y[j] - kHalfSmallCell);
            if (j == 5)
                s.BlitBall(kCentreBall, s.formation().CenterFormationX(), s.formation().CenterFormationY());
        }
        s.PresentFrame();
    }
}

// The flip end over end and back: ball i slides along the rod to ball
// 11 - i's place.
void flip_rod(Figure& s)
{
    Figure::BallArray centre_x{}, centre_y{};
    for (int i = 1; i <= kSmallBalls; ++i) {
        centre_x[i] = s.formation().VerticalRodX()[i] + kHalfSmallCell;
        centre_y[i] = s.formation().VerticalRodY()[i] + kHalfSmallCell;
    }
    const double frames = s.speed();
    RodFlip f;
    for (int i = 1; i <= kSmallBalls; ++i) {
        f.step_x[i] = (centre_x[i] - centre_x[i]) / frames;
        f.step_y[i] = (centre_y[i] - centre_y[kSmallBalls + 1 - i]) / frames;
        f.centre_x[i] = centre_x[i];
        f.centre_y[i] = centre_y[i];
    }
    flip_leg(s, f, true);
    flip_leg(s, f, false);
}

// The offsets along the rod and the spin directions.
void pick_directions(RodRotation& r)
{
    Figure& s = r.saver;
    const int common = r.mode == 2 ? gfx::floor_int(s.Rnd() * 2) : 0;
    for (int i = 1; i <= kSmallBalls; ++i) {
        r.offset[i] = s.CenterY() - (s.formation().VerticalRodY()[i] + kHalfSmallCell);
        r.direction[i] = r.mode == 2 ? common : gfx::floor_int(s.Rnd() * 2);
    }
}

// Where the rod's middle orbits in this repetition: a circle of
// radius width/10 around a pivot a tenth of the screen beside, above or below the
// centre. The radius is width/10 in all four cases, so in the vertical cases the
// rod's middle starts (width - height)/10 off the screen centre.
void pick_orbit(RodRotation& r)
{
    Figure& s = r.saver;
    const int orbit_case = gfx::floor_int(s.Rnd() * 4);
    r.spin_mode = gfx::floor_int(s.Rnd() * 3);
    switch (orbit_case) {
    case 0: r.px = s.CenterX() - r.width / 10; r.py = s.CenterY(); r.a = 15; break;
    case 1: r.px = s.CenterX() + r.width / 10; r.py = s.CenterY(); r.a = 45; break;
    case 2: r.px = s.CenterX(); r.py = s.CenterY() - r.height / 10; r.a = 30; break;
    default: r.px = s.CenterX(); r.py = s.CenterY() + r.height / 10; r.a = 0; break;
    }
}

// One frame of the spin at spin angle k (sixtieths of a turn).
void draw_rod_frame(RodRotation& r, double k)
{
    Figure& s = r.saver;

    // Erase: every frame in mode 1; in mode 2 only once the trail is long
    // enough, while the balls shrink over the first half turn and grow back.
    if (r.mode == 1) {
        s.RestoreBackground();
    } else {
        r.trail += r.factor;
        if (r.trail >= kTrailLength)
            s.RestoreBackground();
        r.size += k < 30 ? -kSizeStep : kSizeStep;
    }

    // The rod's middle on its orbit.
    const double theta = gfx::clock_angle(r.a);
    const double cx = r.px + gfx::floor_int(std::cos(theta) * r.width / 10);
    const double cy = r.py + gfx::floor_int(std::sin(theta) * r.width / 10);

    for (int j = 1; j <= kSmallBalls; ++j) {
        const bool clockwise = r.spin_mode == 0 || (r.spin_mode == 2 && r.direction[j] == 0);
        const double phi = gfx::clock_angle(clockwise ? k : 60 - k);
        // The ellipse is half as high as wide: the tilted turntable.
        const int dx = gfx::floor_int(std::cos(phi) * r.offset[j]);
        const int dy = gfx::floor_int(std::sin(phi) * r.offset[j] / 2);
        const double x = cx + dx - r.size / 2;
        const double y = cy + dy - r.size / 2;
        if (r.mode == 1)
            s.BlitBall(j, x, y);
        else // stretched colour on colour; a negative size draws the ball mirrored
            s.blit_ball_scaled(j, x, y, r.size, r.size);
        if (j == 5) // the centre ball, never scaled, on the rod's middle
            s.BlitBall(kCentreBall, cx - kHalfLargeCell, cy - kHalfLargeCell);
    }

    s.PresentFrame();
    r.a += 2; // the orbit advances 2 sixtieths per frame, whatever the factor
}

} // namespace

void Act_RodRotation(Figure& saver, int mode)
{
    Figure& s = saver;
    RodRotation r{saver, mode};
    r.repetitions = mode == 1 ? kPhaseSteps : kPhaseSteps / 2;
    r.width = s.ScreenWidthPx();
    r.height = s.ScreenHeightPx();
    r.factor = s.speed_factor();
    // The step of the spin angle per frame: 2 sixtieths scaled by the speed
    // factor, so 30 frames per repetition at factor 1, 15 at 2, 119 at 0.25.
    const double spin_step = 2 * r.factor;

    // Glide into the vertical rod; the centre ball stays in the middle.
    glide_small_balls(s, s.formation().FormationX(), s.formation().FormationY(), s.formation().VerticalRodX(), s.formation().VerticalRodY());

    // The flip, in mode 1 only.
    if (mode == 1)
        flip_rod(s);

    // Offsets and spin directions.
    pick_directions(r);

    // The repetitions of the spin.
    for (int rep = 1; rep <= r.repetitions; ++rep) {
        pick_orbit(r);
        if (mode == 2) {
            s.RestoreBackground();
            r.trail = 0;
        }
        r.size = kSmallBallSize;
        // A real-valued loop, as the frame counts depend on it: k = 1, 1 + step, ... up to 60.
        for (double k = 1; k <= 60; k += spin_step)
            draw_rod_frame(r, k);
    }

    // The balls jump back into the vertical rod and glide home.
    glide_small_balls(s, s.formation().VerticalRodX(), s.formation().VerticalRodY(), s.formation().FormationX(), s.formation().FormationY());

    // The closing figure.
    s.FinishAction();
}
