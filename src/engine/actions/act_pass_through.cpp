#include "engine/actions/actions.h"
#include "engine/actions/ring_places.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>
#include <cstdint>

// Kind 11, passing through. The ring of small balls and the centre ball part
// at the screen centre and travel a figure-eight of two equal circles that
// touch there, the ring one way round and the centre ball the other, so that
// on every circle they meet twice and pass through each other. As it travels
// the ring keeps half turning over: its balls slide halfway towards their
// mirror partners about a pivot ball and back, the pivot moving on by one
// ball each turn. Once the ring has come round onto the left circle four
// times, every ball glides home.
//
// Angles on the circles are clock positions in minutes (0 at the top,
// growing clockwise on the screen), offsets from a circle's middle are
// rounded down to whole pixels.

namespace {

// The turns go on until the ring has changed from the right circle to the
// left one this many times.
constexpr std::int16_t kCirclesLeft = 4;

struct PassThrough {
    double rho = 0;              // radius of both circles
    double left_x = 0;           // middle of the left circle
    double right_x = 0;          // middle of the right circle
    double middle_y = 0;         // both circles' middles lie on the centre line
    bool on_right = true;        // which circle the figure runs on
    double a = 0;                // the ring's middle on its circle, minutes
    double b = 0;                // the centre ball on its circle, minutes
    double step = 0;             // minutes a frame: a circle takes 4 g_Speed frames
    int frame_count = 0;         // frames since the last change of circle
    std::int16_t circles_left = 0; // changes from the right circle to the left
    double ox = 0, oy = 0;       // from the starting ring to the ring's middle
    // Where the opening draws the ring.
    Figure::BallArray RingX{}, RingY{};
};

// The point at clock position `minutes` on the circle of radius rho around
// (centre_x, centre_y), offsets rounded down.
void point_on_circle(const PassThrough& state, double centre_x, double minutes, double& x, double& y)
{
    const double theta = gfx::clock_angle(minutes);
    x = centre_x + gfx::floor_int(std::cos(theta) * state.rho);
    y = state.middle_y + gfx::floor_int(std::sin(theta) * state.rho);
}

// The centre ball's cell around its centre (x, y).
void blit_centre_ball(Figure& saver, double x, double y)
{
    saver.BlitBall(kCentreBall, x - kHalfLargeCell, y - kHalfLargeCell);
}

// One leg of a turn, g_Speed frames: outward, the balls slide towards their
// mirror places in DrawOrder; back, they slide home in the reverse order,
// and the centre ball's cell is kept in CenterStartX/Y, where the glide home
// picks it up after the last turn. The centre ball is drawn right after the
// ball of DrawOrder slot 5 either way: fifth ball out, sixth ball back.
void PassThroughLeg(Figure& saver, PassThrough& state, bool outward)
{
    const int n = saver.speed();
    for (int frame = 1; frame <= n; ++frame) {
        // On the right circle the ring runs clockwise and the centre ball
        // anticlockwise; on the left circle the other way round.
        if (state.on_right) {
            state.a += state.step;
            if (state.a >= 60)
                state.a = 0;
            state.b -= state.step;
            if (state.b <= 0)
                state.b = 60;
        } else {
            state.a -= state.step;
            if (state.a <= 0)
                state.a = 60;
            state.b += state.step;
            if (state.b >= 60)
                state.b = 0;
        }

        // After a whole circle both change circles at the touching point,
        // the screen centre (15 on the left circle, 45 on the right), which
        // also clears whatever the added-up steps were off by.
        state.frame_count += 1;
        if (state.frame_count >= 4 * n) {
            if (state.on_right) {
                state.circles_left += 1;
                state.a = state.b = 15;
                state.on_right = false;
            } else {
                state.a = state.b = 45;
                state.on_right = true;
            }
            state.frame_count = 0;
        }

        // The starting ring sits on the screen centre, a circle's radius
        // beside the middle of either circle.
        const double theta = gfx::clock_angle(state.a);
        state.ox = (state.on_right ? state.rho : -state.rho) + gfx::floor_int(std::cos(theta) * state.rho);
        state.oy = gfx::floor_int(std::sin(theta) * state.rho);
        double bx = 0, by = 0;
        point_on_circle(state, state.on_right ? state.right_x : state.left_x, state.b, bx, by);

        saver.glides().mirrored_frame(outward, state.ox, state.oy, [&] {
            blit_centre_ball(saver, bx, by);
            if (!outward)
                saver.glides().set_centre_start(bx - kHalfLargeCell, by - kHalfLargeCell);
        });
    }
}

} // namespace

void Act_PassThrough(Figure& saver, int /*mode*/)
{
    const int n = saver.speed();
    const double W = saver.ScreenWidthPx();
    PassThrough state;

    // The opening: the ring's middle runs from the screen centre up the
    // right circle to its top while the centre ball runs down it the other
    // way. k runs 45, 45 + step, ... 60, g_Speed + 1 frames; added up in
    // double the last value may land a hair above 60 (at speeds 7 or 11, for
    // instance), so the test allows half a step and the ring always reaches
    // the top, where the turns take it over.
    state.on_right = true;
    state.frame_count = 0;
    state.rho = (W / 2 - kRingRadius) / 2;
    state.left_x = W / 2 - state.rho;
    state.right_x = W / 2 + state.rho;
    state.middle_y = saver.CenterY();
    state.step = 15.0 / n;
    state.b = 45 + state.step;
    for (double k = 45; k <= 60 + state.step / 2; k += state.step) {
        state.frame_count += 1;

        double rx = 0, ry = 0;
        point_on_circle(state, state.right_x, k, rx, ry);
        double bx = 0, by = 0;
        point_on_circle(state, state.right_x, state.b, bx, by);
        state.b -= state.step;

        // The ring by ball number, the centre ball on top.
        saver.RestoreBackground();
        place_ring(state.RingX, state.RingY, rx, ry);
        for (int j = 1; j <= kSmallBalls; ++j)
            saver.BlitBall(j, state.RingX[std::size_t(j)], state.RingY[std::size_t(j)]);
        blit_centre_ball(saver, bx, by);
        saver.PresentFrame();
    }

    // The turns start from the starting ring, carried by the ring offset;
    // the pivot starts before ball 1. The centre ball's angle (30, the
    // bottom of the right circle) and the frame count run on.
    state.circles_left = 0;
    state.ox = state.oy = 0;
    state.a = 0;
    int pivot = 0;
    saver.glides().hand_on_last(saver.formation().FormationX(), saver.formation().FormationY());

    // A turn: the ring half turns over about the next pivot and back, the
    // balls going halfway to their mirror places in g_Speed frames.
    do {
        pivot = saver.glides().RotateBallOrder(PivotChoice::Next, pivot);
        saver.glides().aim_at_mirror_places();
        saver.glides().divide_steps(2);
        PassThroughLeg(saver, state, true);
        PassThroughLeg(saver, state, false);
    } while (state.circles_left < kCirclesLeft);

    // Home: each ball sets out from where the ring was last drawn, taken in
    // reverse ball order (ball i from ball 11 - i's place), the centre ball
    // from its last place.
    saver.glides().start_where_drawn_reversed(state.ox, state.oy);
    saver.glides().GlideIntoFormation();
    saver.FinishAction();
}
