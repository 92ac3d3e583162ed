// Kind 17, ellipses from the centre. The ten small balls form a ring of a
// quarter of the screen height about the screen centre and circle on it,
// all one way, all the other way, or the even balls against the odd ones.
// Meanwhile the centre ball flies out from the screen centre along an
// ellipse and back, shrinking on the way out and growing on the way back as
// if it flew away into depth and returned; ten such ellipses, each turned
// 36 degrees further than the one before, make a flower about the centre.
// At the end the balls glide back to where they stood when it began.

#include "engine/actions/actions.h"
#include "engine/actions/small_ball_glide.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// The centre ball's edge shrinks by 2 pixels a frame over the first half of
// an ellipse (31 frames, 72 down to 10) and grows back over the second.
constexpr double kSizeStep = 2;
// t moves on by a tenth per frame, rounded back to single precision each time.
constexpr double kParamStep = 0.1;

struct CenterEllipses {
    Figure& saver;
    double ring_radius = 0;           // a quarter of the screen height
    Figure::BallArray RingClock{};    // each ball's clock position on the ring, minutes
    double CenterBallSize = kLargeBallSize;
    // The half-axes of the centre ball's ellipse: twice the ring radius
    // across, half that along.
    float EllipseRx = 2 * kRingRadius;
    float EllipseRy = EllipseRx / 2;
    int EllipseTurn = 0;              // the current ellipse is turned 36 x this degrees
    float EllipseAngle = 0;           // psi, radians
    float turn_cos = 1, turn_sin = 0; // of psi
    float EllipseParam = 0;           // t along the ellipse
    // Where the ellipse's point t = 0 lies from its middle once turned:
    // subtracting it starts and ends every ellipse on the screen centre.
    double EllipseOffsetX = 0, EllipseOffsetY = 0;
    double CenterDrawX = 0, CenterDrawY = 0; // the centre ball's cell corner this frame
    Figure::BallArray DrawX{}, DrawY{};      // the small balls' cell corners this frame
};

// Ball i's cell corner on the ring at the clock position m.
void RingPlace(const CenterEllipses& a, double m, double& x, double& y)
{
    const Figure& s = a.saver;
    const double phi = gfx::clock_angle(m);
    x = gfx::floor_int(std::cos(phi) * a.ring_radius) + s.CenterX() - kHalfSmallCell;
    y = gfx::floor_int(std::sin(phi) * a.ring_radius) + s.CenterY() - kHalfSmallCell;
}

// How ball i moves on the ring during ellipse r: all clockwise, the even
// balls clockwise against the odd ones, or all anticlockwise, in turn.
double RingStep(int r, int i, double factor)
{
    switch (r % 3) {
    case 0: return factor;
    case 1: return i % 2 == 0 ? factor : -factor;
    default: return -factor;
    }
}

// One frame of ellipse r: the centre ball, scaled, under the ring balls.
void DrawEllipseFrame(CenterEllipses& a, int r)
{
    Figure& s = a.saver;
    s.RestoreBackground();

    // Out into depth over the first half turn of t, back over the second.
    if (a.EllipseParam < gfx::kPiSingle)
        a.CenterBallSize -= kSizeStep;
    else
        a.CenterBallSize += kSizeStep;

    const double t = a.EllipseParam;
    const double ex = a.EllipseRx * std::cos(t);
    const double ey = a.EllipseRy * std::sin(t);
    const double c = a.turn_cos, sn = a.turn_sin;
    a.CenterDrawX = s.CenterX() + c * ex - sn * ey - a.CenterBallSize / 2 - a.EllipseOffsetX;
    a.CenterDrawY = s.CenterY() + sn * ex + c * ey - a.CenterBallSize / 2 - a.EllipseOffsetY;
    s.blit_ball_scaled(kCentreBall, a.CenterDrawX, a.CenterDrawY, a.CenterBallSize,
                     a.CenterBallSize);

    const double factor = s.speed_factor();
    for (int i = 1; i <= kSmallBalls; ++i) {
        a.RingClock[i] += RingStep(r, i, factor);
        RingPlace(a, a.RingClock[i], a.DrawX[i], a.DrawY[i]);
        s.BlitBall(i, a.DrawX[i], a.DrawY[i]);
    }

    a.EllipseParam = float(a.EllipseParam + kParamStep);
    s.PresentFrame();
}

} // namespace

void Act_CenterEllipses(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    CenterEllipses a{saver};

    // The shrinking centre ball is drawn with the stretching stamp, which
    // always samples colour on colour. The ring balls start 6 minutes apart.
    a.ring_radius = s.ScreenHeightPx() / 4;
    for (int i = 1; i <= kSmallBalls; ++i)
        a.RingClock[i] = 6 * i;
    a.CenterBallSize = kLargeBallSize;

    // The ring, and the glide into it from the formation; the centre ball stays.
    Figure::BallArray ring_x{}, ring_y{};
    for (int i = 1; i <= kSmallBalls; ++i)
        RingPlace(a, 6 * i, ring_x[i], ring_y[i]);
    glide_small_balls(s, s.formation().FormationX(), s.formation().FormationY(), ring_x, ring_y);

    a.EllipseTurn = 0;
    a.EllipseRx = 2 * kRingRadius;
    a.EllipseRy = a.EllipseRx / 2;

    // Ten ellipses (half the phase count), turned 36, 72, ..., 360 degrees.
    // Each runs t = 0.1 ... 6.2: 62 frames, the centre ball 10 pixels wide at
    // the far end and 72 again when it is back.
    const int ellipses = gfx::round_half_even(kPhaseSteps * 0.5);
    for (int r = 1; r <= ellipses; ++r) {
        a.EllipseTurn += 1;
        a.EllipseAngle = float(36.0 * a.EllipseTurn / 180 * gfx::kPi);
        a.turn_cos = float(std::cos(double(a.EllipseAngle)));
        a.turn_sin = float(std::sin(double(a.EllipseAngle)));
        // The point t = 0, (Rx, 0), turned by psi.
        a.EllipseOffsetX = a.turn_cos * a.EllipseRx - a.turn_sin * 0.0f;
        a.EllipseOffsetY = a.turn_sin * a.EllipseRx + a.turn_cos * 0.0f;

        a.EllipseParam = float(kParamStep);
        while (a.EllipseParam < gfx::kTwoPiSingle)
            DrawEllipseFrame(a, r);
    }

    // Home from the ring, the centre ball from its last cell corner, at full
    // size again from the glide's first frame.
    s.glides().aim_glides(a.DrawX, a.DrawY, s.formation().FormationX(), s.formation().FormationY());
    s.glides().aim_centre_glide(a.CenterDrawX, a.CenterDrawY, s.formation().CenterFormationX(), s.formation().CenterFormationY());
    s.glides().GlideBalls(GlideKind::Clean);
    s.FinishAction();
}
