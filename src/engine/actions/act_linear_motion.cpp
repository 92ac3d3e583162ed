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
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

// The target point keeps this margin from every screen edge, so that a ring
// of this radius around it stays on the screen.
constexpr int kMargin = kRingRadius;

struct LinearMotion {
    Figure& saver;
    EdgeTargets edges{}; // where the small balls turn in the current leg
    int target_x = 0, target_y = 0; // middle of the next meeting place, whole pixels
    bool ring = false;  // the current leg ends in a ring
    // The centre ball's glide over the current leg: from where the previous
    // leg left it (the formation in the first) to the middle of the meeting
    // place (home in the last).
    double centre_from_x = 0, centre_from_y = 0;
    double centre_to_x = 0, centre_to_y = 0;
    // The meeting place the current leg ends in, where the next one starts.
    Figure::BallArray meet_x{}, meet_y{};
};

// A uniform whole number from 90 to extent - 90, both ends included.
int target_coordinate(Figure& saver, double extent)
{
    return gfx::floor_int(kMargin + saver.Rnd() * (extent - kMargin - kMargin + 1));
}

// The meeting place at the end of a leg: either a ring of radius
// 90 around the target point, ball i at clock minute 6i (ball 10 straight up),
// or all ten balls on one spot centred on it.
void pick_meeting_place(LinearMotion& m)
{
    Figure& s = m.saver;
    m.ring = gfx::floor_int(2 * s.Rnd()) == 0; // one leg in two
    for (int i = 1; i <= kSmallBalls; ++i) {
        if (m.ring) {
            const double theta = gfx::clock_angle(ring_clock(i));
            const int dx = gfx::floor_int(kRingRadius * std::cos(theta));
            const int dy = gfx::floor_int(kRingRadius * std::sin(theta));
            m.meet_x[i] = dx + m.target_x - kHalfSmallCell;
            m.meet_y[i] = dy + m.target_y - kHalfSmallCell;
        } else {
            m.meet_x[i] = m.target_x - kHalfSmallCell;
            m.meet_y[i] = m.target_y - kHalfSmallCell;
        }
    }
}

} // namespace

EdgeTargets PickEdgeTargets(Figure& saver)
{
    EdgeTargets edges;
    const double width = saver.ScreenWidthPx();
    const double height = saver.ScreenHeightPx();
    const double cell = kSmallBallSize;
    for (int i = 1; i <= kSmallBalls; ++i) {
        const int side = gfx::floor_int(4 * saver.Rnd());
        const double r = saver.Rnd();
        switch (side) {
        case 0: // top
            edges.EdgeX[i] = gfx::floor_int(r * width);
            edges.EdgeY[i] = 0;
            break;
        case 1: // right
            edges.EdgeX[i] = width - cell;
            edges.EdgeY[i] = gfx::floor_int(r * height);
            break;
        case 2: // bottom
            edges.EdgeX[i] = gfx::floor_int(r * width);
            edges.EdgeY[i] = height - cell;
            break;
        default: // left
            edges.EdgeX[i] = 0;
            edges.EdgeY[i] = gfx::floor_int(r * height);
            break;
        }
    }
    return edges;
}

void Act_LinearMotion(Figure& saver, int /*mode*/)
{
    LinearMotion m{saver};
    Figure& s = saver;
    const int legs = kPhaseSteps;

    for (int leg = 1; leg <= legs; ++leg) {
        // Start: from the formation in the first leg, afterwards from the
        // meeting place the previous leg reached.
        const Figure::BallArray& start_x = leg == 1 ? s.formation().FormationX() : m.meet_x;
        const Figure::BallArray& start_y = leg == 1 ? s.formation().FormationY() : m.meet_y;
        m.centre_from_x = leg == 1 ? s.formation().CenterFormationX() : m.centre_to_x;
        m.centre_from_y = leg == 1 ? s.formation().CenterFormationY() : m.centre_to_y;

        // Outward: every ball towards its own edge point.
        m.edges = PickEdgeTargets(s);
        s.glides().aim_glides(start_x, start_y, m.edges.EdgeX, m.edges.EdgeY);

        // The next meeting place, 90 pixels clear of every edge.
        m.target_x = target_coordinate(s, s.ScreenWidthPx());
        m.target_y = target_coordinate(s, s.ScreenHeightPx());

        // The centre ball heads for the middle of the meeting place (home
        // in the last leg), half its way in each of the leg's two glides.
        if (leg == legs) {
            m.centre_to_x = s.formation().CenterFormationX();
            m.centre_to_y = s.formation().CenterFormationY();
        } else {
            m.centre_to_x = m.target_x - kHalfLargeCell;
            m.centre_to_y = m.target_y - kHalfLargeCell;
        }
        s.glides().aim_centre_glide(m.centre_from_x, m.centre_from_y, m.centre_to_x, m.centre_to_y);
        s.glides().halve_centre_step();

        // Outward half of the leg.
        s.glides().GlideBallsCenterOnTop();

        // The last leg turns home from the edges.
        if (leg == legs) {
            s.glides().aim_glides(m.edges.EdgeX, m.edges.EdgeY, s.formation().FormationX(), s.formation().FormationY());
            break;
        }

        // Any other leg ends at a ring or a single spot.
        pick_meeting_place(m);
        s.glides().aim_glides(m.edges.EdgeX, m.edges.EdgeY, m.meet_x, m.meet_y);

        // Inward half; a ring turns over once with the centre ball circling,
        // from the ring as the balls' last places.
        s.glides().GlideBallsCenterOnTop();
        if (m.ring) {
            s.glides().hand_on_last(m.meet_x, m.meet_y);
            s.PlayClosingTransition(ClosingCentre::Swing);
        }
    }

    // Home: balls from the edges back into formation, the centre ball the
    // second half of its way back.
    s.glides().GlideBallsCenterOnTop();
    s.FinishAction();
}
