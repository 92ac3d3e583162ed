#include "engine/actions/actions.h"
#include "engine/actions/curve_math.h"
#include "engine/actions/cycloid_curve.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cstdint>

// Kind 10, cycloid curves. The centre ball leads: it traces four closed
// trochoids, x = (A cos(K t) + B cos t) pi, y = (A sin(K t) + B sin t) pi with
// K = 20 / 7, B = 27 and A = 5, 8, 11, 14, while the ten small balls follow it
// as a snake that repeats its places of the ten frames before. The middle of
// the curve travels a figure-eight through the screen centre meanwhile. At the
// end every ball glides back to where it stood when the action began.
//
// The figure works with the balls' centres, not their cells' corners (the
// snake, the lead and the gather point are all centres); they become corners,
// 24 or 36 pixels up and left, only where a ball is drawn.

namespace {

// The figure's own data for one run.
struct CycloidState {
    CycloidCurve curve;              // CycloidA, CycloidK, CycloidB
    std::int16_t CycloidR1 = 20;     // the rolling circles' radii,
    std::int16_t CycloidR2 = 7;      // whose ratio is K and sum is B
    float CurveStart = 0;
    double CurveStep = 0.25;         // t per frame
    float CurvePeriod = 0;           // t after which the curve closes
    float CurveParam = 0;            // t of the current frame
    CurveOrbit orbit;                // the curve's middle on the figure-eight
    double gather_x = 0, gather_y = 0; // where every ball meets before the first curve
    double lead_x = 0, lead_y = 0;     // the centre ball's centre
    Figure::BallArray snake_x{}, snake_y{}; // slot i: ball i's centre
    // Where each small ball's cell was drawn in the latest frame: after the
    // frame the snake moves up by one place, so snake_x(i) then already holds
    // where ball i would go next, not where it is.
    Figure::BallArray drawn_x{}, drawn_y{};
};

// K, B and the period follow from the two radii. The curve closes after
// R2 / gcd(R1, R2) full turns: 7 x 2 pi.
void set_up_curve(CycloidState& state)
{
    state.curve.CycloidK = float(double(state.CycloidR1) / state.CycloidR2);
    state.curve.CycloidB = std::int16_t(state.CycloidR1 + state.CycloidR2);
    state.CurveStart = 0;
    state.CurvePeriod = float(double(state.CycloidR2) / GreatestCommonDivisor(state.CycloidR1, state.CycloidR2)
                          * gfx::kTwoPi);
}

// All eleven balls glide, by their centres, onto the gather point in
// g_Speed frames, the centre ball under the small ones.
void GatherForCycloid(Figure& saver, CycloidState& state)
{
    // Aimed by the centres, drawn by the cells' corners: the step is the same.
    for (int i = 1; i <= kSmallBalls; ++i)
        saver.glides().aim_glide(i, state.snake_x[i], state.snake_y[i], state.gather_x, state.gather_y);
    saver.glides().shift_glides(-kHalfSmallCell, -kHalfSmallCell);
    saver.glides().aim_centre_glide(state.lead_x, state.lead_y, state.gather_x, state.gather_y);
    saver.glides().shift_centre_glide(-kHalfLargeCell, -kHalfLargeCell);
    saver.glides().glide_balls_centre_underneath();

    state.snake_x.fill(state.gather_x);
    state.snake_y.fill(state.gather_y);
    state.lead_x = state.gather_x;
    state.lead_y = state.gather_y;
}

// One frame: the lead under everything, then the snake, ball 1 nearest the
// lead; afterwards the snake moves up by one place, so that ball i repeats
// the lead's centre of i frames before.
void DrawCycloidFrame(Figure& saver, CycloidState& state)
{
    saver.RestoreBackground();
    saver.BlitBall(kCentreBall, state.lead_x - kHalfLargeCell, state.lead_y - kHalfLargeCell);
    for (int i = 1; i <= kSmallBalls; ++i) {
        state.drawn_x[i] = state.snake_x[i] - kHalfSmallCell;
        state.drawn_y[i] = state.snake_y[i] - kHalfSmallCell;
        saver.BlitBall(i, state.drawn_x[i], state.drawn_y[i]);
    }
    saver.PresentFrame();
    Glides::shift_snake(state.snake_x, state.snake_y, state.lead_x, state.lead_y);
}

// The lead at parameter t around the curve's current middle.
void place_lead(CycloidState& state, float t)
{
    state.lead_x = Cyc_X(state.curve, t) + state.orbit.CurveCenterX;
    state.lead_y = Cyc_Y(state.curve, t) + state.orbit.CurveCenterY;
}

} // namespace

void Act_Cycloid(Figure& saver, int /*mode*/)
{
    CycloidState state;

    // From here on the balls are handled by their centres.
    for (int i = 1; i <= kSmallBalls; ++i) {
        state.snake_x[i] = saver.formation().FormationX()[i] + kHalfSmallCell;
        state.snake_y[i] = saver.formation().FormationY()[i] + kHalfSmallCell;
    }
    state.lead_x = saver.formation().CenterFormationX() + kHalfLargeCell;
    state.lead_y = saver.formation().CenterFormationY() + kHalfLargeCell;

    // The curve's constants.
    state.CycloidR1 = 20;
    state.CycloidR2 = 7;
    state.curve.CycloidA = 5;
    set_up_curve(state);
    state.CurveStep = 0.25;

    // Everything gathers on the first curve's first point, taken around the
    // screen centre, where the curve's middle sets out.
    state.CurveParam = float(state.CurveStep + state.CurveStart);
    state.gather_x = Cyc_X(state.curve, state.CurveParam) + saver.CenterX();
    state.gather_y = Cyc_Y(state.curve, state.CurveParam) + saver.CenterY();
    GatherForCycloid(saver, state);

    // The figure-eight starts on the left circle at the touching point and
    // runs on through all four curves.
    state.orbit.OrbitForward = true;
    state.orbit.OrbitClock = 15;

    // Four curves, A = 5, 8, 11, 14: 175 frames at t = 0.25 ... 43.75 and a
    // closing frame at t = 14 pi, where the curve meets its start.
    for (state.curve.CycloidA = 5; state.curve.CycloidA <= 14; state.curve.CycloidA += 3) {
        set_up_curve(state);
        state.CurveParam = float(0.25 + state.CurveStart);

        while (state.CurveParam < state.CurvePeriod) {
            move_curve_center(state.orbit, saver.speed_factor(), saver.ScreenWidthPx(),
                              saver.CenterY());
            place_lead(state, state.CurveParam);
            DrawCycloidFrame(saver, state);
            state.CurveParam = float(state.CurveStep + state.CurveParam);
            // The curve frames last twice the usual pause.
            saver.do_events();
            saver.pause(saver.frame_pause_ms());
        }

        // The closing point, around the middle as it stands (not moved again),
        // with the frame's own pause only.
        place_lead(state, state.CurvePeriod);
        DrawCycloidFrame(saver, state);
    }

    // Every ball glides back from where it was last drawn to its place.
    saver.glides().aim_glides(state.drawn_x, state.drawn_y, saver.formation().FormationX(), saver.formation().FormationY());
    saver.glides().aim_centre_glide(state.lead_x - kHalfLargeCell, state.lead_y - kHalfLargeCell,
                           saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);
    saver.FinishAction();
}
