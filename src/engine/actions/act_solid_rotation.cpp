// Solid rotation: the ring of small balls turns over like a coin about the
// diameter through a random pivot ball (every ball slides in a straight line
// to its mirror partner's place and back) while the whole figure drifts
// diagonally and bounces off the screen edges. In about half of the turns the
// centre ball swings once around the pivot ball. The action ends after the
// turn during which the twentieth bounce happened.

#include "engine/actions/actions.h"
#include "engine/actions/solid_rotation.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

struct SolidRotation {
    Figure& saver;
    SolidDrift drift;
    double n = 0; // frames of each leg of a turn (g_Speed)
    // The centre ball's swing around the pivot ball, drawn per turn.
    bool swing = false;
    double swing_start = 0;    // s: sixtieths of a turn, towards the ring's centre
    double swing_counter = 0;  // c: frames of the swing so far
    double pivot_x = 0, pivot_y = 0; // the pivot ball's centre
    // Where the centre ball was last drawn: its start for the glide home.
    double centre_drawn_x = 0, centre_drawn_y = 0;
};

// The four starting directions, by a draw of 0..3.
constexpr double kStartVelocity[4][2] = {{+5, +5}, {-5, -5}, {+5, -5}, {-5, +5}};

// The centre ball, once per frame: riding with the figure, or on its circle of
// radius 90 around the pivot ball, half a turn per leg, starting from and
// ending at the ring's centre.
void draw_centre_ball(SolidRotation& a)
{
    Figure& s = a.saver;
    double x, y;
    if (!a.swing) {
        x = s.CenterX() + a.drift.ox - kHalfLargeCell;
        y = s.CenterY() + a.drift.oy - kHalfLargeCell;
    } else {
        a.swing_counter += 1;
        const double theta = gfx::clock_angle(a.swing_start + 30 * a.swing_counter / a.n);
        const int dx = gfx::floor_int(std::cos(theta) * kRingRadius);
        const int dy = gfx::floor_int(std::sin(theta) * kRingRadius);
        x = a.pivot_x + a.drift.ox + dx - kHalfLargeCell;
        y = a.pivot_y + a.drift.oy + dy - kHalfLargeCell;
    }
    s.BlitBall(kCentreBall, x, y);
    a.centre_drawn_x = x;
    a.centre_drawn_y = y;
}

// One frame of a leg: drift, erase, the small balls in DrawOrder on the way
// out (steps subtracted, towards the mirror places) or in the order reversed
// on the way back (steps added), the centre ball right after the ball of
// slot 5 either way, present.
void draw_turn_frame(SolidRotation& a, bool outward)
{
    Figure& s = a.saver;
    BounceSolidOffEdges(s, a.drift);
    s.glides().mirrored_frame(outward, a.drift.ox, a.drift.oy, [&] { draw_centre_ball(a); });
}

// One turn: the ring turns over about the pivot ball and back, 2 n frames.
void play_turn(SolidRotation& a)
{
    Figure& s = a.saver;

    // From the formation (kept in LastX/Y) to its mirror image about a
    // new random pivot ball, which RotateBallOrder puts in StartX/Y.
    const int p = s.glides().RotateBallOrder(PivotChoice::Random, 0);

    // Steps of the outward leg.
    s.glides().aim_at_mirror_places();

    // Swing or ride: the swing starts from the direction of the ring's
    // centre as seen from the pivot ball.
    a.swing = gfx::floor_int(s.Rnd() * 2) == 1;
    if (a.swing) {
        a.swing_start = clock_towards_centre(p);
        a.pivot_x = s.glides().LastX()[p] + kHalfSmallCell;
        a.pivot_y = s.glides().LastY()[p] + kHalfSmallCell;
        a.swing_counter = 0;
    }

    // Out, then back: every ball returns to LastX/Y.
    for (int frame = 1; frame <= a.n; ++frame)
        draw_turn_frame(a, true);
    for (int frame = 1; frame <= a.n; ++frame)
        draw_turn_frame(a, false);
}

// One axis of the drift. The step comes before the test, so the figure may
// overshoot an edge by up to one step in the frame of the bounce; the
// velocity then points back onto the screen. `low` and `high` are the
// formation places of the balls nearest either edge. True on a bounce.
bool bounce_axis(double& offset, double& velocity, double low, double high, double extent)
{
    offset += velocity;
    if (high + offset + kSmallBallSize > extent) {
        velocity = -std::abs(velocity);
        return true;
    }
    if (low + offset < 0) {
        velocity = std::abs(velocity);
        return true;
    }
    return false;
}

} // namespace

void BounceSolidOffEdges(const Figure& saver, SolidDrift& d)
{
    const double width = saver.ScreenWidthPx();
    const double height = saver.ScreenHeightPx();

    const bool across = bounce_axis(d.ox, d.vx, saver.formation().FormationX()[8], saver.formation().FormationX()[3], width);
    const bool down = bounce_axis(d.oy, d.vy, saver.formation().FormationY()[10], saver.formation().FormationY()[5], height);
    d.bounced = across || down;
    if (d.bounced)
        d.bounces += 1;
}

void Act_SolidRotation(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    SolidRotation a{saver, SolidDrift{}};
    a.n = s.speed();
    a.centre_drawn_x = s.formation().CenterFormationX();
    a.centre_drawn_y = s.formation().CenterFormationY();

    // At rest, heading diagonally in one of four directions.
    const int direction = gfx::floor_int(s.Rnd() * 4);
    a.drift = SolidDrift{};
    a.drift.vx = kStartVelocity[direction][0];
    a.drift.vy = kStartVelocity[direction][1];

    // Every turn starts from the formation.
    s.glides().hand_on_last(s.formation().FormationX(), s.formation().FormationY());

    // Turns until the twentieth bounce; the test comes only after a
    // complete turn. The figure keeps moving 5 pixels per frame on each
    // axis, so it always reaches an edge and the loop always ends.
    do {
        play_turn(a);
    } while (a.drift.bounces < kPhaseSteps);

    // The way home starts where the balls were last drawn, ball i from the
    // place where ball 11 - i was drawn; the centre ball from where it was
    // last drawn (on the drifted figure or on its swing circle).
    s.glides().start_where_drawn_reversed(a.drift.ox, a.drift.oy);
    s.glides().set_centre_start(a.centre_drawn_x, a.centre_drawn_y);

    // Glide into formation, then the closing figure.
    s.glides().GlideIntoFormation();
    s.FinishAction();
}
