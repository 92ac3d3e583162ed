// Ring warp. The ring of ten small balls with the centre ball in its middle
// moves from place to place: 39 times to a new ring at a random place, of
// one of three sizes, and at the 40th move back onto its formation ring.
// Two moves in three glide, one in three jumps in a single frame; on every
// move the balls are mirrored about a random pivot ball, so they cross the
// ring while it travels.

#include "engine/actions/actions.h"
#include "engine/actions/circle_place.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

namespace {

// A ring's centre keeps the ring's radius from every edge; the rings of
// radius 135 may still reach beyond an edge.
constexpr int kMargin = kRingRadius;

// The three ring sizes, by shape 0..2, as multiples of the ring radius: a
// wide ring, a tight one and one the size of the formation's.
constexpr double kShapeFactor[3] = {1.5, 0.5, 1.0};

// When the ring jumps, the centre ball is drawn after the fifth small ball,
// so the other five pass over it, as in a glide (kCentreAfterSlot).
constexpr int kCentreAfter = kCentreAfterSlot;

struct RingWarp {
    Figure& saver;
    int shape = 0; // the size of the next ring
    // The balls' present places (cell corners): the small balls' and the
    // centre ball's.
    Figure::BallArray HoldX{}, HoldY{};
    double pcx = 0, pcy = 0;
};

// A uniform whole number from the margin to extent - margin, both ends
// included.
int RingCentre(Figure& s, double extent)
{
    return gfx::floor_int((extent - kMargin - kMargin + 1) * s.Rnd() + kMargin);
}

// The next ring, handed on as the last places (which the mirror reads), and
// its centre ball as the centre's start: a random place and the current
// shape, each ball at its formation angle.
void PickNextRing(RingWarp& w)
{
    Figure& s = w.saver;
    const int cx = RingCentre(s, s.ScreenWidthPx());
    const int cy = RingCentre(s, s.ScreenHeightPx());
    const double radius = kRingRadius * kShapeFactor[w.shape];
    Figure::BallArray ring_x{}, ring_y{};
    for (int i = 1; i <= kSmallBalls; ++i) {
        const CellCorner c = place_on_circle(cx, cy, 6.0 * i, radius, kSmallBallSize);
        ring_x[i] = c.x;
        ring_y[i] = c.y;
    }
    s.glides().hand_on_last(ring_x, ring_y);
    s.glides().set_centre_start(cx - kHalfLargeCell, cy - kHalfLargeCell);
}

// The move in one frame: every ball straight on its new place, in ball
// order, the centre ball after ball 5.
void Jump(Figure& s)
{
    s.RestoreBackground();
    for (int i = 1; i <= kSmallBalls; ++i) {
        s.BlitBall(i, s.glides().StartX()[i], s.glides().StartY()[i]);
        if (i == kCentreAfter)
            s.BlitBall(kCentreBall, s.glides().CenterStartX(), s.glides().CenterStartY());
    }
    s.PresentFrame();
}

// The move in g_Speed frames along the aimed glides, the small balls in
// DrawOrder, fanning out from the pivot: the outward leg of a mirrored turn.
void Glide(Figure& s)
{
    for (int k = 1; k <= s.speed(); ++k) {
        s.glides().mirrored_frame(true, 0, 0, [&] {
            s.glides().step_centre_glide();
            s.BlitBall(kCentreBall, s.glides().CenterGlideX(), s.glides().CenterGlideY());
        });
    }
}

} // namespace

void Act_RingWarp(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    RingWarp w{saver};

    // The balls stand in their formation.
    for (int i = 1; i <= kSmallBalls; ++i) {
        w.HoldX[i] = s.formation().FormationX()[i];
        w.HoldY[i] = s.formation().FormationY()[i];
    }
    w.pcx = s.formation().CenterFormationX();
    w.pcy = s.formation().CenterFormationY();
    w.shape = gfx::floor_int(s.Rnd() * 3);

    const int moves = 2 * kPhaseSteps;
    for (int move = 1; move <= moves; ++move) {
        const bool home = move == moves;

        // Where the ring goes: a new random ring, or home.
        if (!home) {
            PickNextRing(w);
        } else {
            s.glides().hand_on_last(s.formation().FormationX(), s.formation().FormationY());
            s.glides().set_centre_start(s.formation().CenterFormationX(), s.formation().CenterFormationY());
        }

        // Mirrored about a random pivot: ball p + t goes where the ring puts
        // ball p - t. The way home too: it ends on the formation ring with
        // the balls in mirrored places, and the closing figure then sets out
        // from every ball's own place, so the colours trade places as it
        // begins.
        s.glides().RotateBallOrder(PivotChoice::Random, 0);

        s.glides().aim_glides(w.HoldX, w.HoldY, s.glides().StartX(), s.glides().StartY());
        s.glides().aim_centre_glide(w.pcx, w.pcy, s.glides().CenterStartX(), s.glides().CenterStartY());

        // One move in three jumps, the others glide.
        if (gfx::floor_int(s.Rnd() * 3) == 0)
            Jump(s);
        else
            Glide(s);

        // Arrived; the next ring's size.
        w.HoldX = s.glides().StartX();
        w.HoldY = s.glides().StartY();
        w.pcx = s.glides().CenterStartX();
        w.pcy = s.glides().CenterStartY();
        w.shape = gfx::floor_int(s.Rnd() * 3);
    }

    s.FinishAction();
}
