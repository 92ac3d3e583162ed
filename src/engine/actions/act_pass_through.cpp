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
void point_on_circle(const PassThrough& s, double centre_x, double minutes, double& x, double& y)
{
    const double theta = gfx::clock_angle(minutes);
    x = centre_x + gfx::floor_int(std::cos(theta) * s.rho);
    y = s.middle_y + gfx::floor_int(std::sin(theta) * s.rho);
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
void PassThroughLeg(Figure& saver, PassThrough& s, bool outward)
{
    const int n = saver.speed();
    for (int frame = 1; frame <= n; ++frame) {
        // On the right circle the ring runs clockwise and the centre ball
        // anticlockwise; on the left circle the other way round.
        if (s.on_right) {
            s.a += s.step;
            if (s.a >= 60)
                s.a = 0;
            s.b -= s.step;
            if (s.b <= 0)
                s.b = 60;
        } else {
            s.a -= s.step;
            if (s.a <= 0)
                s.a = 60;
            s.b += s.step;
            if (s.b >= 60)
                s.b = 0;
        }

        // After a whole circle both change circles at the touching point,
        // the screen centre (15 on the left circle, 45 on the right), which
        // also clears whatever the added-up steps were off by.
        s.frame_count += 1;
        if (s.frame_count >= 4 * n) {
            if (s.on_right) {
                s.circles_left += 1;
                s.a = s.b = 15;
                s.on_right = false;
            } else {
                s.a = s.b = 45;
                s.on_right = true;
            }
            s.frame_count = 0;
        }

        // The starting ring sits on the screen centre, a circle's radius
        // beside the middle of either circle.
        const double theta = gfx::clock_angle(s.a);
        s.ox = (s.on_right ? s.rho : -s.rho) + gfx::floor_int(std::cos(theta) * s.rho);
        s.oy = gfx::floor_int(std::sin(theta) * s.rho);
        double bx = 0, by = 0;
        point_on_circle(s, s.on_right ? s.right_x : s.left_x, s.b, bx, by);

        saver.glides().mirrored_frame(outward, s.ox, s.oy, [&] {
            blit_centre_ball(saver, bx, by);
            if (!outward)
                saver.glides().set_centre_start(bx - kHalfLargeCell, by - kHalfLargeCell);
        });
    }
}

} // namespace

void Act_PassThrough(Figure& saver, std::int16_t /*mode*/)
{
    const int n = saver.speed();
    const double W = saver.ScreenWidthPx();
    PassThrough s;

    // The opening: the ring's middle runs from the screen centre up the
    // right circle to its top while the centre ball runs down it the other
    // way. k runs 45, 45 + step, ... 60, g_Speed + 1 frames; added up in
    // double the last value may land a hair above 60 (at speeds 7 or 11, for
    // instance), so the test allows half a step and the ring always reaches
    // the top, where the turns take it over.
    s.on_right = true;
    s.frame_count = 0;
    s.rho = (W / 2 - g_RingRadius) / 2;
    s.left_x = W / 2 - s.rho;
    s.right_x = W / 2 + s.rho;
    s.middle_y = saver.g_CenterY();
    s.step = 15.0 / n;
    s.b = 45 + s.step;
    for (double k = 45; k <= 60 + s.step / 2; k += s.step) {
        s.frame_count += 1;

        double rx = 0, ry = 0;
        point_on_circle(s, s.right_x, k, rx, ry);
        double bx = 0, by = 0;
        point_on_circle(s, s.right_x, s.b, bx, by);
        s.b -= s.step;

        // The ring by ball number, the centre ball on top.
        saver.RestoreBackground();
        place_ring(s.RingX, s.RingY, rx, ry);
        for (int j = 1; j <= kSmallBalls; ++j)
            saver.BlitBall(j, s.RingX[std::size_t(j)], s.RingY[std::size_t(j)]);
        blit_centre_ball(saver, bx, by);
        saver.PresentFrame();
    }

    // The turns start from the starting ring, carried by the ring offset;
    // the pivot starts before ball 1. The centre ball's angle (30, the
    // bottom of the right circle) and the frame count run on.
    s.circles_left = 0;
    s.ox = s.oy = 0;
    s.a = 0;
    int pivot = 0;
    saver.glides().hand_on_last(saver.formation().FormationX(), saver.formation().FormationY());

    // A turn: the ring half turns over about the next pivot and back, the
    // balls going halfway to their mirror places in g_Speed frames.
    do {
        pivot = saver.glides().RotateBallOrder(PivotChoice::Next, pivot);
        saver.glides().aim_at_mirror_places();
        saver.glides().divide_steps(2);
        PassThroughLeg(saver, s, true);
        PassThroughLeg(saver, s, false);
    } while (s.circles_left < kCirclesLeft);

    // Home: each ball sets out from where the ring was last drawn, taken in
    // reverse ball order (ball i from ball 11 - i's place), the centre ball
    // from its last place.
    saver.glides().start_where_drawn_reversed(s.ox, s.oy);
    saver.glides().GlideIntoFormation();
    saver.FinishAction();
}
