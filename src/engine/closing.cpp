#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/numeric.h"

#include <cmath>

// The closing figure that ends every action: the ten small balls are
// mirrored about a random pivot ball, each flying to its mirror partner's
// place and straight back, g_Speed frames each way, drawn in a fan-shaped
// order. The centre ball stays put (mode 1) or circles once around the
// pivot ball's place (mode 2, used by the linear-motion action).

namespace {

// Drawn right after the fifth ball of each leg's order.
constexpr int kCentreAfter = 5;

} // namespace

// Every action ends here, with the balls' final places in FormationX/Y and
// CenterFormationX/Y.
void Ball_A::FinishAction()
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        LastX[i] = FormationX[i];
        LastY[i] = FormationY[i];
    }
    CenterLastX = CenterFormationX;
    CenterLastY = CenterFormationY;
    PlayClosingTransition(1);
}

void Ball_A::PlayClosingTransition(std::int16_t mode)
{
    const bool swing = mode == 2;
    const int n = settings.g_Speed;
    constexpr double swing_radius = g_RingRadius;

    for (int i = 1; i <= kSmallBalls; ++i) {
        HoldX[i] = LastX[i];
        HoldY[i] = LastY[i];
    }
    RotateBallOrder(1);
    const int p = PivotBall;
    aim_glides(HoldX, HoldY, StartX, StartY);

    // The circle starts opposite ball p on the clock of the ring (the balls
    // sit 6 minutes apart, the opposite point is 30 minutes on); 60 stays 60,
    // the same clock position as 0. Its centre is the pivot ball's cell
    // centre, which the centre ball's top-left circles at the ring radius.
    if (swing) {
        SwingClock = 6 * p + 30;
        if (SwingClock > 60)
            SwingClock -= 60;
        GatherX = HoldX[p] + kHalfSmallCell;
        GatherY = HoldY[p] + kHalfSmallCell;
        SwingCount = 2;
    }

    if (trace)
        trace->closing(swing ? 2 : 1, p);

    // The hand moves 30/n minutes a frame, one full turn over both legs.
    auto draw_centre = [&] {
        if (!swing) {
            BlitBall(kCentreBall, CenterLastX, CenterLastY);
            return;
        }
        SwingCount += 1;
        const double theta = gfx::clock_angle(SwingClock + 30 * SwingCount / n);
        const double dx = std::floor(swing_radius * std::cos(theta));
        const double dy = std::floor(swing_radius * std::sin(theta));
        CenterSwingX = GatherX + dx - kHalfSmallCell;
        CenterSwingY = GatherY + dy - kHalfSmallCell;
        BlitBall(kCentreBall, CenterSwingX, CenterSwingY);
    };

    // Outward: every ball ends on its mirror partner's last place.
    for (int k = 1; k <= n; ++k) {
        RestoreBackground();
        for (int i = 1; i <= kSmallBalls; ++i) {
            const int b = DrawOrder[i];
            GlideX[b] -= GlideStepX[b];
            GlideY[b] -= GlideStepY[b];
            BlitBall(b, GlideX[b], GlideY[b]);
            if (i == kCentreAfter)
                draw_centre();
        }
        PresentFrame();
    }

    // Back: the order reversed, so the ball uppermost on the way out is drawn
    // first on the way back; every ball returns to its last place.
    for (int k = 1; k <= n; ++k) {
        RestoreBackground();
        for (int i = kSmallBalls; i >= 1; --i) {
            const int b = DrawOrder[i];
            GlideX[b] += GlideStepX[b];
            GlideY[b] += GlideStepY[b];
            BlitBall(b, GlideX[b], GlideY[b]);
            if (i == kCentreAfter)
                draw_centre();
        }
        PresentFrame();
    }
}
