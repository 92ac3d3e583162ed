// Kind 16, small circles on large and small ellipses. Every small ball runs
// fast around a small ellipse whose middle runs slowly around a large ellipse
// about the screen centre, the ten middles evenly spaced. A depth value that
// falls steadily squeezes both ellipses: in the first half their horizontal
// extents shrink from wide (and mirrored) to nothing, as if the ring turned
// about the vertical axis; in the second half the horizontal extents are
// fixed and the vertical ones grow out of nothing. The centre ball stays in
// the middle throughout. At the end the balls glide back to where they stood
// when the action began.

#include "engine/actions/actions.h"
#include "engine/actions/small_ball_glide.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// Each half of the figure lasts 120 frames, over which the depth value
// falls by one: from -0.25 to -1.25, then on to -2.25.
constexpr int kHalfFrames = 2 * 60;
constexpr double kDepthStep = 1.0 / kHalfFrames;

// The ellipses' fixed half-axes: the large one reaches the ring radius plus
// a centre ball's cell, the small one a centre ball's cell.
constexpr double kLargeAxis = kRingRadius + kLargeBallSize; // 162
constexpr double kSmallAxis = kLargeBallSize;                 // 72

struct CircleOnEllipses {
    Figure& saver;
    // Clock positions (minutes) of each ball's small-ellipse middle on the
    // large ellipse, and of the ball on its small ellipse.
    Figure::BallArray BigClock{}, SmallClock{};
    // e: negative throughout, so the squeezed half-axes 72 + 90/e and 72/e
    // are negative and the squeezed picture is mirrored.
    double DepthFactor = -0.25;
    // The middle of each ball's small ellipse (a point, not a cell corner).
    Figure::BallArray middle_x{}, middle_y{};
    // Where each ball was last drawn (a cell corner).
    Figure::BallArray HoldX{}, HoldY{};
};

// The two halves differ only in which axis the depth value squeezes.
enum class Squeeze { Horizontal, Vertical };

// One frame: every clock moves on, each ball is placed on its small ellipse
// around its middle on the large one and drawn, the centre ball between
// balls 5 and 6.
void DrawEllipsesFrame(CircleOnEllipses& a, Squeeze squeeze)
{
    Figure& s = a.saver;
    const double factor = s.speed_factor();

    s.RestoreBackground();
    a.DepthFactor -= kDepthStep;
    const double e = a.DepthFactor;
    const double large_squeezed = kLargeBallSize + kRingRadius / e;
    const double small_squeezed = kLargeBallSize / e;
    const bool horizontal = squeeze == Squeeze::Horizontal;
    const double large_x = horizontal ? large_squeezed : kLargeAxis;
    const double large_y = horizontal ? kLargeAxis : large_squeezed;
    const double small_x = horizontal ? small_squeezed : kSmallAxis;
    const double small_y = horizontal ? kSmallAxis : small_squeezed;

    for (int i = 1; i <= kSmallBalls; ++i) {
        // The middle: half a minute per frame around the large ellipse.
        a.BigClock[i] += factor / 2;
        const double phi1 = gfx::clock_angle(a.BigClock[i]);
        a.middle_x[i] = gfx::floor_int(std::cos(phi1) * large_x) + s.CenterX();
        a.middle_y[i] = gfx::floor_int(std::sin(phi1) * large_y) + s.CenterY();

        // The ball: four minutes per frame around its small ellipse.
        a.SmallClock[i] += 4 * factor;
        const double phi2 = gfx::clock_angle(a.SmallClock[i]);
        a.HoldX[i] = gfx::floor_int(std::cos(phi2) * small_x) + a.middle_x[i] - kHalfSmallCell;
        a.HoldY[i] = gfx::floor_int(std::sin(phi2) * small_y) + a.middle_y[i] - kHalfSmallCell;

        s.BlitBall(i, a.HoldX[i], a.HoldY[i]);
        if (i == 5)
            s.BlitBall(kCentreBall, s.formation().CenterFormationX(), s.formation().CenterFormationY());
    }
    s.PresentFrame();
}

} // namespace

void Act_CircleOnEllipses(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    CircleOnEllipses a{saver};

    // The small balls gather on the screen centre; the centre ball stays.
    s.glides().hand_on_start(s.formation().FormationX(), s.formation().FormationY());
    s.glides().GatherToCenter(Gathering::SmallBalls, s.CenterX() - kHalfSmallCell, s.CenterY() - kHalfSmallCell);

    // The middles start 6 minutes apart like the ring; each ball starts on
    // the far side of its small ellipse (30 minutes on, 60 kept as 60).
    for (int i = 1; i <= kSmallBalls; ++i) {
        a.BigClock[i] = 6 * i;
        a.SmallClock[i] = 6 * i + 30;
        if (a.SmallClock[i] > 60)
            a.SmallClock[i] -= 60;
    }
    a.DepthFactor = -0.25;

    // First half: the horizontal extents close from about -276 and -279 to
    // 0 and -58, so the picture (mirrored) shrinks onto the vertical line
    // through the centre.
    for (int frame = 1; frame <= kHalfFrames; ++frame)
        DrawEllipsesFrame(a, Squeeze::Horizontal);

    // Second half: the clocks and the depth value run on; the horizontal
    // half-axes are fixed and the vertical ones open from about 0.5 and -57
    // to 32 and -32, so the large ellipse turns at once from a vertical line
    // into a nearly flat horizontal one.
    for (int frame = 1; frame <= kHalfFrames; ++frame)
        DrawEllipsesFrame(a, Squeeze::Vertical);

    // Home from where each ball was last drawn.
    glide_home_and_finish(s, a.HoldX, a.HoldY);
}
