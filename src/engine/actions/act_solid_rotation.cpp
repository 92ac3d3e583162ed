// Solid rotation: the ring of small balls turns over like a coin about the
// diameter through a random pivot ball (every ball slides in a straight line
// to its mirror partner's place and back) while the whole figure drifts
// diagonally and bounces off the screen edges. In about half of the turns the
// centre ball swings once around the pivot ball. The action ends after the
// turn during which the twentieth bounce happened.

#include "engine/actions/actions.h"
#include "engine/actions/solid_rotation.h"
#include "engine/ball_geometry.h"
#include "engine/saver_window.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

struct SolidRotation {
    Ball_A& saver;
    SolidDrift drift;
    double n = 0; // frames of each leg of a turn (g_Speed)
    // The centre ball's swing around the pivot ball, drawn per turn.
    bool swing = false;
    double swingStart = 0;    // s: sixtieths of a turn, towards the ring's centre
    double swingCounter = 0;  // c: frames of the swing so far
    double pivotX = 0, pivotY = 0; // the pivot ball's centre
    // Where the centre ball was last drawn: its start for the glide home.
    double centerDrawnX = 0, centerDrawnY = 0;
};

// The four starting directions, by a draw of 0..3.
constexpr double kStartVelocity[4][2] = {{+5, +5}, {-5, -5}, {+5, -5}, {-5, +5}};

// The centre ball, once per frame: riding with the figure, or on its circle of
// radius 90 around the pivot ball, half a turn per leg, starting from and
// ending at the ring's centre.
void DrawCenterBall(SolidRotation& a)
{
    Ball_A& s = a.saver;
    double x, y;
    if (!a.swing) {
        x = s.g_CenterX + a.drift.ox - kHalfLargeCell;
        y = s.g_CenterY + a.drift.oy - kHalfLargeCell;
    } else {
        a.swingCounter += 1;
        const double theta = gfx::clock_angle(a.swingStart + 30 * a.swingCounter / a.n);
        const int dx = gfx::floor_int(std::cos(theta) * g_RingRadius);
        const int dy = gfx::floor_int(std::sin(theta) * g_RingRadius);
        x = a.pivotX + a.drift.ox + dx - kHalfLargeCell;
        y = a.pivotY + a.drift.oy + dy - kHalfLargeCell;
    }
    s.BlitBall(kCentreBall, x, y);
    a.centerDrawnX = x;
    a.centerDrawnY = y;
}

// One frame of a leg: drift, erase, the small balls in the given order (the
// centre ball after the fifth of them), present. `sign` is -1 on the way out
// (towards the mirror places) and +1 on the way back.
void DrawTurnFrame(SolidRotation& a, const int (&order)[kSmallBalls], double sign)
{
    Ball_A& s = a.saver;
    BounceSolidOffEdges(s, a.drift);
    s.RestoreBackground();
    for (int n = 1; n <= kSmallBalls; ++n) {
        const int b = order[n - 1];
        s.GlideX[b] += sign * s.GlideStepX[b];
        s.GlideY[b] += sign * s.GlideStepY[b];
        s.BlitBall(b, s.GlideX[b] + a.drift.ox, s.GlideY[b] + a.drift.oy);
        if (n == 5)
            DrawCenterBall(a);
    }
    s.PresentFrame();
}

// One turn: the ring turns over about the pivot ball and back, 2 n frames.
void PlayTurn(SolidRotation& a)
{
    Ball_A& s = a.saver;

    // 1-2. From the formation (kept in LastX/Y) to its mirror image about a
    //      new random pivot ball, which RotateBallOrder puts in StartX/Y.
    s.RotateBallOrder(1);
    const int p = s.PivotBall;

    // 3. Steps of the outward leg.
    s.aim_glides(s.LastX, s.LastY, s.StartX, s.StartY);

    // 4. Swing or ride: the swing starts from the direction of the ring's
    //    centre as seen from the pivot ball (balls sit 6 sixtieths apart).
    a.swing = gfx::floor_int(s.Rnd() * 2) == 1;
    if (a.swing) {
        a.swingStart = 6.0 * p + 30;
        if (a.swingStart > 60)
            a.swingStart -= 60;
        a.pivotX = s.LastX[p] + kHalfSmallCell;
        a.pivotY = s.LastY[p] + kHalfSmallCell;
        a.swingCounter = 0;
    }

    // 5. Out, in DrawOrder.
    int forward[kSmallBalls], backward[kSmallBalls];
    for (int k = 1; k <= kSmallBalls; ++k) {
        forward[k - 1] = s.DrawOrder[k];
        backward[k - 1] = s.DrawOrder[kSmallBalls + 1 - k];
    }
    for (int frame = 1; frame <= a.n; ++frame)
        DrawTurnFrame(a, forward, -1);

    // 6. Back, in reversed DrawOrder: every ball returns to LastX/Y.
    for (int frame = 1; frame <= a.n; ++frame)
        DrawTurnFrame(a, backward, +1);
}

} // namespace

void BounceSolidOffEdges(const Ball_A& saver, SolidDrift& d)
{
    const double W = saver.ScreenWidthPx;
    const double H = saver.ScreenHeightPx;

    d.bounced = false;

    // The step comes before the test, so the figure may overshoot an edge by
    // up to one step in the frame of the bounce.
    d.ox += d.vx;
    if (saver.FormationX[3] + d.ox + g_SmallBallSize > W) {
        d.vx = -std::abs(d.vx);
        d.bounced = true;
    } else if (saver.FormationX[8] + d.ox < 0) {
        d.vx = std::abs(d.vx);
        d.bounced = true;
    }

    d.oy += d.vy;
    if (saver.FormationY[5] + d.oy + g_SmallBallSize > H) {
        d.vy = -std::abs(d.vy);
        d.bounced = true;
    } else if (saver.FormationY[10] + d.oy < 0) {
        d.vy = std::abs(d.vy);
        d.bounced = true;
    }

    if (d.bounced)
        d.bounces += 1;
}

void Act_SolidRotation(Ball_A& saver, std::int16_t /*mode*/)
{
    Ball_A& s = saver;
    SolidRotation a{saver, SolidDrift{}};
    a.n = s.S().g_Speed;
    a.centerDrawnX = s.CenterFormationX;
    a.centerDrawnY = s.CenterFormationY;

    // 1. At rest, heading diagonally in one of four directions.
    const int direction = gfx::floor_int(s.Rnd() * 4);
    a.drift = SolidDrift{};
    a.drift.vx = kStartVelocity[direction][0];
    a.drift.vy = kStartVelocity[direction][1];

    // 2. Every turn starts from the formation.
    for (int i = 1; i <= kSmallBalls; ++i) {
        s.LastX[i] = s.FormationX[i];
        s.LastY[i] = s.FormationY[i];
    }

    // 3. Turns until the twentieth bounce; the test comes only after a
    //    complete turn. The figure keeps moving 5 pixels per frame on each
    //    axis, so it always reaches an edge and the loop always ends.
    do {
        PlayTurn(a);
    } while (a.drift.bounces < g_PhaseSteps);

    // 4. The way home starts where the balls were last drawn, ball i from the
    //    place where ball 11 - i was drawn; the centre ball from where it was
    //    last drawn (on the drifted figure or on its swing circle).
    for (int i = 1; i <= kSmallBalls; ++i) {
        s.StartX[i] = s.GlideX[kSmallBalls + 1 - i] + a.drift.ox;
        s.StartY[i] = s.GlideY[kSmallBalls + 1 - i] + a.drift.oy;
    }
    s.CenterStartX = a.centerDrawnX;
    s.CenterStartY = a.centerDrawnY;

    // 5-6. Glide into formation, then the closing figure.
    s.GlideIntoFormation();
    s.FinishAction();
}
