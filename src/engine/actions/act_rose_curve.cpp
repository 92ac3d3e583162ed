#include "engine/actions/actions.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <array>
#include <cmath>

// Kind 7, rose curves. A lead ball drawn at random traces the roses
// r = cos(k theta) x H / 2 around the screen centre for k = 2, 4, 3, 1/2, 1/4
// and 1/5, and the other nine balls follow it as a snake that repeats its
// places of the nine frames before. All the while the centre ball runs a
// figure-eight of two flat ellipses that touch at the screen centre, and
// grows and shrinks as it goes, so that it seems to move in depth. At the end
// every ball glides back to where it stood when the action began.

namespace {

// Theta advances 4 degrees a frame on the first three roses and 12 on the
// last three, worked out from the 15-digit pi; the frame counts below follow
// from these very values.
constexpr double kFineStep = gfx::kPi / 90 * 2;
constexpr double kCoarseStep = gfx::kPi / 30 * 2;

// One rose: its petal parameter and how far theta runs. Every rose starts
// and ends on the same point, half a screen height right of the centre, so
// the snake runs on from one to the next without a jump. Theta is added up
// step by step in double and tested against the end each time, which gives
// the frame counts beside each row.
struct RoseFigure {
    double RoseK;
    double end;
    double step;
};

constexpr std::array<RoseFigure, 6> kRoseFigures = {{
    {2, gfx::kTwoPi, kFineStep},          // 2 pi:  90 frames
    {4, gfx::kTwoPi, kFineStep},          // 2 pi:  90 frames
    {3, gfx::kPi, kFineStep},             // pi, where three petals close: 45 frames
    {0.5, 4 * gfx::kPi, kCoarseStep},     // 4 pi:  61 frames
    {0.25, 8 * gfx::kPi, kCoarseStep},    // 8 pi: 120 frames
    {1.0 / 5, 5 * gfx::kPi, kCoarseStep}, // 5 pi: 76 frames
}};

// The centre ball shrinks from its full 72 pixels to a third of that over a
// quarter of a loop (30 frames at speed factor 1), and grows back.
constexpr double kSmallestShare = 3;
constexpr double kQuarterLoopFrames = 30;

// The figure's own data for one run.
struct RoseCurve {
    int LeadBall = 1;         // the lead's ball, 1..10
    double RoseK = 0;         // the current rose's petal parameter
    double RoseAngle = 0;     // theta of the current frame
    double RoseRadius = 0;    // cos(k theta) x H / 2; negative puts the point across the centre
    double lead_x = 0, lead_y = 0; // the lead's cell
    // Slot j: the lead's cell j frames ago; slots 1..9 are drawn.
    Figure::BallArray snake_x{}, snake_y{};

    // The centre ball's figure-eight: a clock from 0 to 60 on the lower
    // loop, from 30 down to -30 on the upper one.
    double OrbitClock = 0;
    bool OrbitForward = true; // on the lower loop
    double CenterBallSize = kLargeBallSize;
    double SizeStep = 0;      // 1.6 pixels a frame at speed factor 1
    double centre_x = 0, centre_y = 0; // the centre ball's drawn cell
};

// Ball numbers run 1..10 around the ring; one before ball 1 is ball 10.
int ball_before(int b) { return b <= 1 ? kSmallBalls : b - 1; }

bool within(double o, double from, double to) { return o >= from && o <= to; }

// How the centre ball's size changes this frame, from the clock's value as
// the frame begins: -1 shrink, +1 grow, 0 keep. On the lower loop it shrinks
// towards either end of the ellipse and grows towards the top and bottom; on
// the upper loop the other way round. Values between the stretches (0, or
// between 15 and 15.5) keep the size.
int size_change(const RoseCurve& state, double o)
{
    if (state.OrbitForward) {
        if (within(o, 0.5, 15) || within(o, 30.5, 45))
            return -1;
        if (within(o, 15.5, 30) || within(o, 45.5, 60))
            return 1;
        return 0;
    }
    if (within(o, 0.5, 15) || within(o, -30, -15.5))
        return 1;
    if (within(o, 15.5, 30) || within(o, -15, 0))
        return -1;
    return 0;
}

// The centre ball's size and place for one frame. The loops are ellipses
// with the half-axes CenterX and CenterY / 2, centred 1.5 and 0.5 times
// CenterY down; both pass through the screen centre, which is where the
// ball changes loops: clock 60 of the lower loop and 30 of the upper are the
// same point, as are -30 and 0. The change is made once the clock has
// reached or stepped past the end, since most speed factors never land on
// it exactly.
void move_centre_ball(Figure& saver, RoseCurve& state, double factor)
{
    const double o = state.OrbitClock;
    state.CenterBallSize += size_change(state, o) * state.SizeStep;
    if (state.OrbitForward && o >= 60) {
        state.OrbitForward = false;
        state.OrbitClock = 30;
    } else if (!state.OrbitForward && o <= -30) {
        state.OrbitForward = true;
        state.OrbitClock = 0;
    }

    state.OrbitClock += state.OrbitForward ? factor / 2 : -factor / 2;
    const double phi = gfx::clock_angle(state.OrbitClock);
    const double dx = gfx::floor_int(std::cos(phi) * saver.CenterX());
    const double dy = gfx::floor_int(std::sin(phi) * (saver.CenterY() / 2));
    const double loop_middle = state.OrbitForward ? 3 * (saver.CenterY() / 2) : saver.CenterY() / 2;
    state.centre_x = dx + saver.CenterX() - state.CenterBallSize / 2;
    state.centre_y = dy + loop_middle - state.CenterBallSize / 2;
}

// One frame at theta = RoseAngle: the lead, the snake over it, the centre
// ball scaled on top of everything; then the snake moves up by one place.
void DrawRoseFrame(Figure& saver, RoseCurve& state)
{
    const double W = saver.ScreenWidthPx();
    const double H = saver.ScreenHeightPx();
    const double theta = state.RoseAngle;

    state.RoseRadius = std::cos(state.RoseK * theta) * H / 2;
    state.lead_x = std::cos(theta) * state.RoseRadius + W / 2 - kHalfSmallCell;
    state.lead_y = std::sin(theta) * state.RoseRadius + H / 2 - kHalfSmallCell;

    saver.RestoreBackground();
    saver.BlitBall(state.LeadBall, state.lead_x, state.lead_y);

    // The snake takes the nine balls before the lead, counting down round
    // the ring, each drawn over the lead and over the ones nearer it.
    int c = ball_before(state.LeadBall);
    for (int j = 1; j <= 9; ++j) {
        saver.BlitBall(c, state.snake_x[std::size_t(j)], state.snake_y[std::size_t(j)]);
        c = ball_before(c);
    }

    move_centre_ball(saver, state, saver.speed_factor());
    saver.blit_ball_scaled(kCentreBall, state.centre_x, state.centre_y, state.CenterBallSize,
                         state.CenterBallSize);

    saver.PresentFrame();
    Glides::shift_snake(state.snake_x, state.snake_y, state.lead_x, state.lead_y);
}

} // namespace

void Act_RoseCurve(Figure& saver, int /*mode*/)
{
    RoseCurve state;

    // The lead, at random.
    state.LeadBall = gfx::floor_int(10 * saver.Rnd() + 1);

    // The balls set out reversed around the lead: ball i from the place of
    // ball LeadBall - i + 1, counting down round the ring.
    int j = state.LeadBall;
    for (int i = 1; i <= kSmallBalls; ++i) {
        saver.glides().hand_on_start(i, saver.formation().FormationX()[std::size_t(j)],
                                     saver.formation().FormationY()[std::size_t(j)]);
        j = ball_before(j);
    }

    // The centre ball sets out from the screen centre at the top of its lower loop.
    state.OrbitClock = 0;
    state.OrbitForward = true;

    // Every small ball gathers on the roses' common point (theta = 0), half a
    // screen height right of the centre, while the centre ball stays put;
    // the whole snake starts there.
    const double W = saver.ScreenWidthPx();
    const double H = saver.ScreenHeightPx();
    const double gather_x = std::cos(0.0) * (H / 2) + W / 2 - kHalfSmallCell;
    const double gather_y = std::sin(0.0) * (H / 2) + H / 2 - kHalfSmallCell;
    saver.glides().GatherToCenter(Gathering::SmallBalls, gather_x, gather_y);
    state.snake_x = saver.glides().StartX();
    state.snake_y = saver.glides().StartY();
    state.centre_x = saver.formation().CenterFormationX();
    state.centre_y = saver.formation().CenterFormationY();

    state.SizeStep = saver.speed_factor() * (kLargeBallSize - kLargeBallSize / kSmallestShare)
                 / kQuarterLoopFrames;
    state.CenterBallSize = kLargeBallSize;

    // The six roses; the snake, the clock and the size run on across them.
    for (const RoseFigure& figure : kRoseFigures) {
        state.RoseK = figure.RoseK;
        for (double theta = 0; theta <= figure.end; theta += figure.step) {
            state.RoseAngle = theta;
            DrawRoseFrame(saver, state);
        }
    }

    // Home: ball i from snake slot i, the centre ball at its full size from
    // its last place on the figure-eight.
    saver.glides().aim_glides(state.snake_x, state.snake_y, saver.formation().FormationX(), saver.formation().FormationY());
    saver.glides().aim_centre_glide(state.centre_x, state.centre_y, saver.formation().CenterFormationX(),
                           saver.formation().CenterFormationY());
    saver.glides().GlideBalls(GlideKind::Clean);
    saver.FinishAction();
}
