#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include <cmath>

// The shared glides: every ball travels in a straight line in g_Speed equal
// steps. A glide subtracts its step once per frame, so a ball that is to go
// from A to B in n frames starts at A with the step (A - B) / n and stands on
// B after the n-th frame; aim_glide and aim_centre_glide set that up. The
// glides differ only in their set-up, in when the background is restored and
// in where the centre ball is drawn.

namespace {

constexpr int kHoldAfterTrailMs = 1000;

// Ball numbers run 1..10 around the ring; stepping past either end wraps.
int next_ball(int b) { return b >= kSmallBalls ? b - kSmallBalls + 1 : b + 1; }
int previous_ball(int b) { return b <= 1 ? b + kSmallBalls - 1 : b - 1; }

} // namespace

void Ball_A::aim_glide(int i, double from_x, double from_y, double to_x, double to_y)
{
    const double frames = settings.g_Speed;
    GlideStepX[i] = (from_x - to_x) / frames;
    GlideStepY[i] = (from_y - to_y) / frames;
    GlideX[i] = from_x;
    GlideY[i] = from_y;
}

void Ball_A::aim_glides(const BallArray& from_x, const BallArray& from_y, const BallArray& to_x,
                        const BallArray& to_y)
{
    for (int i = 1; i <= kSmallBalls; ++i)
        aim_glide(i, from_x[i], from_y[i], to_x[i], to_y[i]);
}

void Ball_A::aim_centre_glide(double from_x, double from_y, double to_x, double to_y)
{
    const double frames = settings.g_Speed;
    CenterStepX = (from_x - to_x) / frames;
    CenterStepY = (from_y - to_y) / frames;
    CenterGlideX = from_x;
    CenterGlideY = from_y;
}

void Ball_A::shift_snake(BallArray& x, BallArray& y, double lead_x, double lead_y)
{
    for (int i = kSmallBalls; i >= 2; --i) {
        x[i] = x[i - 1];
        y[i] = y[i - 1];
    }
    x[1] = lead_x;
    y[1] = lead_y;
}

// Mode 1 erases every frame; mode 2 erases once before the first frame, so
// every ball leaves a trail of all its images, and holds the finished
// picture for a second. The centre ball moves and is drawn in ball 5's pass,
// so balls 6 to 10 cover it.
void Ball_A::GlideBalls(std::int16_t mode)
{
    const bool trail = mode == 2;
    if (trail)
        m_stage.RestoreBackground();
    for (int k = 1; k <= settings.g_Speed; ++k) {
        if (!trail)
            m_stage.RestoreBackground();
        for (int i = 1; i <= kSmallBalls; ++i) {
            GlideX[i] -= GlideStepX[i];
            GlideY[i] -= GlideStepY[i];
            m_stage.BlitBall(i, GlideX[i], GlideY[i]);
            if (i == 5) {
                CenterGlideX -= CenterStepX;
                CenterGlideY -= CenterStepY;
                m_stage.BlitBall(kCentreBall, CenterGlideX, CenterGlideY);
            }
        }
        m_stage.PresentFrame();
    }
    if (trail)
        pause(kHoldAfterTrailMs);
}

void Ball_A::GlideBallsCenterOnTop()
{
    for (int k = 1; k <= settings.g_Speed; ++k) {
        m_stage.RestoreBackground();
        for (int i = 1; i <= kSmallBalls; ++i) {
            GlideX[i] -= GlideStepX[i];
            GlideY[i] -= GlideStepY[i];
            m_stage.BlitBall(i, GlideX[i], GlideY[i]);
        }
        CenterGlideX -= CenterStepX;
        CenterGlideY -= CenterStepY;
        m_stage.BlitBall(kCentreBall, CenterGlideX, CenterGlideY);
        m_stage.PresentFrame();
    }
}

// The small balls glide from StartX/Y onto the gather point, ball 10 ending
// uppermost. Mode 1 leaves the centre ball where the action placed it, drawn
// under the small balls; mode 2 brings it to the gather point too, on top.
void Ball_A::GatherToCenter(std::int16_t mode)
{
    const bool with_centre = mode == 2;
    for (int i = 1; i <= kSmallBalls; ++i)
        aim_glide(i, StartX[i], StartY[i], GatherX, GatherY);
    if (with_centre)
        aim_centre_glide(CenterStartX, CenterStartY, GatherX, GatherY);

    for (int k = 1; k <= settings.g_Speed; ++k) {
        m_stage.RestoreBackground();
        if (!with_centre)
            m_stage.BlitBall(kCentreBall, m_formation.CenterFormationX(), m_formation.CenterFormationY());
        for (int i = 1; i <= kSmallBalls; ++i) {
            GlideX[i] -= GlideStepX[i];
            GlideY[i] -= GlideStepY[i];
            m_stage.BlitBall(i, GlideX[i], GlideY[i]);
        }
        if (with_centre) {
            CenterGlideX -= CenterStepX;
            CenterGlideY -= CenterStepY;
            m_stage.BlitBall(kCentreBall, CenterGlideX, CenterGlideY);
        }
        m_stage.PresentFrame();
    }

    for (int i = 1; i <= kSmallBalls; ++i) {
        StartX[i] = GatherX;
        StartY[i] = GatherY;
    }
    if (with_centre) {
        CenterStartX = GatherX;
        CenterStartY = GatherY;
    }
}

// Every ball glides from its start onto its formation place, the centre ball
// under the small ones. The start positions stay as they were.
void Ball_A::GlideIntoFormation()
{
    aim_glides(StartX, StartY, m_formation.FormationX(), m_formation.FormationY());
    aim_centre_glide(CenterStartX, CenterStartY, m_formation.CenterFormationX(), m_formation.CenterFormationY());
    glide_balls_centre_underneath();
}

void Ball_A::glide_balls_centre_underneath()
{
    for (int k = 1; k <= settings.g_Speed; ++k) {
        m_stage.RestoreBackground();
        CenterGlideX -= CenterStepX;
        CenterGlideY -= CenterStepY;
        m_stage.BlitBall(kCentreBall, CenterGlideX, CenterGlideY);
        for (int i = 1; i <= kSmallBalls; ++i) {
            GlideX[i] -= GlideStepX[i];
            GlideY[i] -= GlideStepY[i];
            m_stage.BlitBall(i, GlideX[i], GlideY[i]);
        }
        m_stage.PresentFrame();
    }
}

// Chooses the pivot ball, mirrors the last positions about it into
// StartX/Y and builds the fan-shaped drawing order.
//
// Mode 1 draws the pivot at random. Any other mode advances it by one,
// skipping 5 and wrapping after 9, so repeated advancing visits
// 1, 2, 3, 4, 6, 7, 8, 9: a pivot of 5 or 10 would mirror the ring about the
// same axis as 10 or 5 does.
void Ball_A::RotateBallOrder(std::int16_t mode)
{
    if (mode == 1) {
        PivotBall = int(std::floor(10 * Rnd() + 1));
    } else {
        PivotBall += 1;
        if (PivotBall == 5)
            PivotBall = 6;
        if (PivotBall >= 10)
            PivotBall = 1;
    }
    if (PivotBall < 1 || PivotBall > kSmallBalls) // only a bad generator or a stray field
        PivotBall = 1;
    const int p = PivotBall;

    // Reflection: StartX(p + t) = LastX(p - t), cyclically in 1..10. The
    // pivot and the ball opposite it (p + 5) keep their own places; every
    // other pair exchanges them.
    int a = p, b = p;
    for (int t = 0; t < kSmallBalls; ++t) {
        StartX[b] = LastX[a];
        StartY[b] = LastY[a];
        a = previous_ball(a);
        b = next_ball(b);
    }

    // Drawing order: the pairs p+2/p+3, p+1/p+4, p/p+5, p-1/p+6, p-2/p+7,
    // fanning out from the pair p+2, p+3, so each pair further out is drawn
    // over the pairs inside it.
    DrawOrder[1] = p + 2 > kSmallBalls ? p + 2 - kSmallBalls : p + 2;
    DrawOrder[2] = p + 3 > kSmallBalls ? p + 3 - kSmallBalls : p + 3;
    for (int k = 3; k <= 9; k += 2) {
        DrawOrder[k] = previous_ball(DrawOrder[k - 2]);
        DrawOrder[k + 1] = next_ball(DrawOrder[k - 1]);
    }
}
