#include "engine/actions/actions.h"
#include "engine/actions/curve_math.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>
#include <cstdint>

// Kind 9, Lissajous curves. Ball 1 traces x = AmpX sin(4t), y = AmpY sin(b t)
// around the screen centre for b = 2, 5 and 8, each figure once upright and
// once turned; balls 2 to 10 follow it as a snake that repeats the lead's
// places of the nine frames before. Meanwhile the centre ball flies straight
// across the screen on a random diagonal and bounces off the edges. At the end
// every ball glides back to where it stood when the action began.


namespace {

// The figure's own data for one run. RotationDegrees alone is the saver's
// (carry_over()), because the turn of the rotated figures goes on from run to run.
struct LissajousState {
    std::int16_t FreqA = 4;       // frequency of x
    std::int16_t FreqB = 2;       // frequency of y: 2, 5, 8
    float CurvePeriod = 0;        // t after which the figure closes
    float CurveStart = 0;         // t of the first point
    double CurveStep = 0.035;     // t per frame
    float CurveParam = 0;         // t of the current frame
    float AmpX = 0, AmpY = 0;     // the figure's half-widths
    float CurveRotation = 0;      // the figure's turn in radians
    std::int16_t BounceX = 0, BounceY = 0;  // the centre ball's centre, whole pixels
    double BounceVX = 0, BounceVY = 0;      // its velocity in pixels per frame
    double centre_x = 0, centre_y = 0;      // the centre ball's cell, where last drawn
    double lead_x = 0, lead_y = 0;          // ball 1's cell
    // The snake behind the lead: slot j is where ball j + 1 is drawn; after
    // each frame's shift, slot i is where ball i was just drawn.
    Figure::BallArray snake_x{}, snake_y{};
};

// One axis of the centre ball's flight. The velocity turns as soon as the next
// step would take the cell's edge beyond the screen's, and the step is then
// taken with the turned velocity, so the ball's centre never leaves the screen.
void bounce_axis(std::int16_t& centre, double& velocity, double extent)
{
    const int next = gfx::round_half_even(velocity + centre);
    if (next + kHalfLargeCell > extent)
        velocity = -std::abs(velocity);
    else if (next - kHalfLargeCell < 0)
        velocity = std::abs(velocity);
    centre = std::int16_t(gfx::round_half_even(velocity + centre));
}

// The lead's cell at parameter t: the point of the figure, turned by
// CurveRotation about the screen centre.
void place_lead(const Figure& saver, LissajousState& state, float t)
{
    const double c = std::cos(double(state.CurveRotation));
    const double sn = std::sin(double(state.CurveRotation));
    const double x = state.AmpX * std::sin(double(float(state.FreqA * t)));
    const double y = state.AmpY * std::sin(double(float(state.FreqB * t)));
    state.lead_x = saver.CenterX() + x * c - y * sn - kHalfSmallCell;
    state.lead_y = saver.CenterY() + x * sn + y * c - kHalfSmallCell;
}

// One frame: the bouncing centre ball underneath, the lead, then the snake,
// ball 2 nearest the lead; afterwards the snake moves up by one place.
void DrawLissajousFrame(Figure& saver, LissajousState& state)
{
    saver.RestoreBackground();

    bounce_axis(state.BounceX, state.BounceVX, saver.ScreenWidthPx());
    bounce_axis(state.BounceY, state.BounceVY, saver.ScreenHeightPx());
    state.centre_x = state.BounceX - kHalfLargeCell;
    state.centre_y = state.BounceY - kHalfLargeCell;
    // The centre ball goes through the stretching transfer at its own size.
    saver.blit_ball_scaled(kCentreBall, state.centre_x, state.centre_y, kLargeBallSize, kLargeBallSize);

    saver.BlitBall(1, state.lead_x, state.lead_y);
    for (int j = 1; j <= 9; ++j)
        saver.BlitBall(j + 1, state.snake_x[j], state.snake_y[j]);

    saver.PresentFrame();
    Glides::shift_snake(state.snake_x, state.snake_y, state.lead_x, state.lead_y);
}

// One closed figure: its first point, every step of 0.035 short of the period
// (t accumulates in single precision, which fixes the frame count), and its
// closing point at exactly the period.
void draw_figure(Figure& saver, LissajousState& state)
{
    place_lead(saver, state, state.CurveStart);
    DrawLissajousFrame(saver, state);

    state.CurveParam = float(state.CurveStart + state.CurveStep);
    while (state.CurveParam < state.CurvePeriod) {
        place_lead(saver, state, state.CurveParam);
        DrawLissajousFrame(saver, state);
        state.CurveParam = float(state.CurveParam + state.CurveStep);
    }

    place_lead(saver, state, state.CurvePeriod);
    DrawLissajousFrame(saver, state);
}

} // namespace

void Act_Lissajous(Figure& saver, int /*mode*/)
{
    LissajousState state;

    // The centre ball starts from the screen centre on one of the four
    // diagonals, 9 pixels per frame on each axis at speed factor 1.
    state.BounceX = std::int16_t(gfx::round_half_even(saver.CenterX()));
    state.BounceY = std::int16_t(gfx::round_half_even(saver.CenterY()));
    constexpr double kDiagonals[4][2] = {{9, 9}, {-9, -9}, {9, -9}, {-9, 9}};
    const int diagonal = gfx::floor_int(4 * saver.Rnd());
    state.BounceVX = kDiagonals[diagonal][0] * saver.speed_factor();
    state.BounceVY = kDiagonals[diagonal][1] * saver.speed_factor();

    // The ten small balls gather on the screen centre; the centre ball stays.
    saver.glides().hand_on_start(saver.formation().FormationX(), saver.formation().FormationY());
    saver.glides().GatherToCenter(Gathering::SmallBalls, saver.CenterX() - kHalfSmallCell,
                                  saver.CenterY() - kHalfSmallCell);
    // The snake sets out from the gather point, where the glide left every ball.
    state.snake_x = saver.glides().StartX();
    state.snake_y = saver.glides().StartY();

    // Three pairs of figures, b = 2, 5, 8: one upright, one turned by the
    // turn carried over from run to run. The figure closes after LCM(a, b) / a / b full
    // turns of 2 pi: pi, 2 pi and pi / 2.
    state.FreqA = 4;
    for (state.FreqB = 2; state.FreqB <= 8; state.FreqB = std::int16_t(state.FreqB + 3)) {
        state.CurveStart = 0;
        state.CurvePeriod = float(double(LeastCommonMultiple(state.FreqA, state.FreqB)) / state.FreqA / state.FreqB
                              * gfx::kTwoPi);
        state.CurveStep = 0.035;
        state.AmpX = float(0.9 * saver.CenterX() / 2);
        state.AmpY = float(0.9 * saver.CenterY() / 2);
        state.CurveRotation = 0;

        // Two figures: a half turn counted in quarter turns.
        for (int figure = 1; figure <= 180 / 90; ++figure) {
            draw_figure(saver, state);
            const double degrees = saver.carry_over().turn_figures(90);
            state.CurveRotation = float(gfx::kPi * degrees / 180);
        }
    }

    // Every ball glides from where it was last drawn back to its place.
    saver.glides().aim_glides(state.snake_x, state.snake_y, saver.formation().FormationX(), saver.formation().FormationY());
    saver.glides().aim_centre_glide(state.centre_x, state.centre_y, saver.formation().CenterFormationX(),
                           saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);
    saver.FinishAction();
}
