// Uniform linear motion: twenty legs. In each leg the ten small balls fly in
// straight lines to random points on the four screen edges and from there to
// a new random meeting place, where they land on one spot or form a ring; the
// centre ball glides steadily, over both halves of the leg, to the middle of
// the meeting place. A ring then plays the mirrored closing figure with the
// centre ball circling. In the last leg the balls fly home from the edges.
//
// This action never writes FormationX/Y or CenterFormationX/Y: they keep the
// places where the balls stood when it began, which are also where it ends.

#include "engine/actions/actions.h"
#include "engine/actions/linear_motion.h"
#include "engine/ball_geometry.h"
#include "engine/saver_window.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// The target point keeps this margin from every screen edge, so that a ring
// of this radius around it stays on the screen.
constexpr int kMargin = g_RingRadius;

struct LinearMotion {
    Ball_A& saver;
    int TX = 0, TY = 0; // middle of the next meeting place, whole pixels
    bool ring = false;  // the current leg ends in a ring
};

// A uniform whole number from 90 to extent - 90, both ends included.
int TargetCoordinate(Ball_A& saver, double extent)
{
    return gfx::floor_int(kMargin + saver.Rnd() * (extent - kMargin - kMargin + 1));
}

// The meeting place at the end of a leg, in LastX/Y: either a ring of radius
// 90 around the target point, ball i at clock minute 6i (ball 10 straight up),
// or all ten balls on one spot centred on it.
void PickMeetingPlace(LinearMotion& m)
{
    Ball_A& s = m.saver;
    m.ring = gfx::floor_int(2 * s.Rnd()) == 0; // one leg in two
    for (int i = 1; i <= kSmallBalls; ++i) {
        if (m.ring) {
            const double theta = gfx::clock_angle(6.0 * i);
            s.LastX[i] = gfx::floor_int(g_RingRadius * std::cos(theta)) + m.TX - kHalfSmallCell;
            s.LastY[i] = gfx::floor_int(g_RingRadius * std::sin(theta)) + m.TY - kHalfSmallCell;
        } else {
            s.LastX[i] = m.TX - kHalfSmallCell;
            s.LastY[i] = m.TY - kHalfSmallCell;
        }
    }
}

} // namespace

void PickEdgeTargets(Ball_A& saver)
{
    const double W = saver.ScreenWidthPx;
    const double H = saver.ScreenHeightPx;
    const double cell = g_SmallBallSize;
    for (int i = 1; i <= kSmallBalls; ++i) {
        const int side = gfx::floor_int(4 * saver.Rnd());
        const double r = saver.Rnd();
        switch (side) {
        case 0: // top
            saver.EdgeX[i] = gfx::floor_int(r * W);
            saver.EdgeY[i] = 0;
            break;
        case 1: // right
            saver.EdgeX[i] = W - cell;
            saver.EdgeY[i] = gfx::floor_int(r * H);
            break;
        case 2: // bottom
            saver.EdgeX[i] = gfx::floor_int(r * W);
            saver.EdgeY[i] = H - cell;
            break;
        default: // left
            saver.EdgeX[i] = 0;
            saver.EdgeY[i] = gfx::floor_int(r * H);
            break;
        }
    }
}

void Act_LinearMotion(Ball_A& saver, std::int16_t /*mode*/)
{
    LinearMotion m{saver, 0, 0, false};
    Ball_A& s = saver;
    const int legs = g_PhaseSteps;

    for (int leg = 1; leg <= legs; ++leg) {
        // 1. Start: from the formation in the first leg, afterwards from the
        //    meeting place the previous leg reached.
        for (int i = 1; i <= kSmallBalls; ++i) {
            s.StartX[i] = leg == 1 ? s.FormationX[i] : s.LastX[i];
            s.StartY[i] = leg == 1 ? s.FormationY[i] : s.LastY[i];
        }
        s.CenterStartX = leg == 1 ? s.CenterFormationX : s.CenterLastX;
        s.CenterStartY = leg == 1 ? s.CenterFormationY : s.CenterLastY;

        // 2-3. Outward: every ball towards its own edge point.
        PickEdgeTargets(s);
        s.aim_glides(s.StartX, s.StartY, s.EdgeX, s.EdgeY);

        // 4. The next meeting place, 90 pixels clear of every edge.
        m.TX = TargetCoordinate(s, s.ScreenWidthPx);
        m.TY = TargetCoordinate(s, s.ScreenHeightPx);

        // 5-6. The centre ball heads for the middle of the meeting place (home
        //      in the last leg), half its way in each of the leg's two glides.
        if (leg == legs) {
            s.CenterLastX = s.CenterFormationX;
            s.CenterLastY = s.CenterFormationY;
        } else {
            s.CenterLastX = m.TX - kHalfLargeCell;
            s.CenterLastY = m.TY - kHalfLargeCell;
        }
        s.aim_centre_glide(s.CenterStartX, s.CenterStartY, s.CenterLastX, s.CenterLastY);
        s.CenterStepX /= 2;
        s.CenterStepY /= 2;

        // 7. Outward half of the leg.
        s.GlideBallsCenterOnTop();

        // 8. The last leg turns home from the edges.
        if (leg == legs) {
            s.aim_glides(s.EdgeX, s.EdgeY, s.FormationX, s.FormationY);
            break;
        }

        // 9. Any other leg ends at a ring or a single spot.
        PickMeetingPlace(m);
        s.aim_glides(s.EdgeX, s.EdgeY, s.LastX, s.LastY);

        // 10. Inward half; a ring turns over once with the centre ball circling.
        s.GlideBallsCenterOnTop();
        if (m.ring)
            s.PlayClosingTransition(2);
    }

    // 11. Home: balls from the edges back into formation, the centre ball the
    //     second half of its way back.
    s.GlideBallsCenterOnTop();
    s.FinishAction();
}
