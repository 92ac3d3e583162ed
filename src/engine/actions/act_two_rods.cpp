// Kind 18, two rods. The ten small balls form a rod through the centre ball,
// vertical or horizontal at random, and the rod splits into two short rods
// of five, balls 1-5 and balls 6-10. The two circle the screen centre on
// opposite sides while each spins about its own middle ball, the first
// clockwise and the second anticlockwise. The spin is drawn on an ellipse
// whose horizontal and then vertical half-axis closes to nothing and opens
// again, so the rods seem to turn in depth. The centre ball stays in the
// middle. At the end the balls glide back to where they stood.

#include "engine/actions/actions.h"
#include "engine/actions/small_ball_glide.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>

namespace {

constexpr int kFramesPerRepetition = 30;
// Both spins advance 2 sixtieths a frame whatever the speed factor: one
// turn per repetition. The orbit advances half the speed factor.
constexpr double kSpinStep = 2;
// The depth factors close and open in steps of a fifth.
constexpr double kScaleStep = 0.2;

// The middle ball of ball j's short rod: ball 3 for balls 1-5, ball 8 for 6-10.
constexpr int kFirstMiddle = 3;
constexpr int rod_middle(int j) { return j <= 5 ? kFirstMiddle : kFirstMiddle + 5; }

struct TwoRods {
    Figure& saver;
    int orientation = 0; // 0 vertical rods, 1 horizontal
    // Each ball's distance from its rod's middle ball in the rod formation.
    double arm[kSmallBalls + 1] = {};
    // Signed distance of ball 3's centre from the screen centre along the rod.
    double orbit_radius = 0;
    double o = 0;        // the first rod's middle on its circle, sixtieths of a turn
    double spin1 = 0, spin2 = 0; // the rods' spin angles, sixtieths of a turn
    // Factors on the spin ellipse's horizontal and vertical half-axes; a
    // negative factor mirrors the ellipse.
    double scale_x = 1, scale_y = 1;
    bool shrinking = true;
    bool second_phase = false;
    double m1x = 0, m1y = 0, m2x = 0, m2y = 0; // the rods' current middles
    // Where each ball stands: the rod formation, then where it was last drawn.
    Figure::BallArray DrawX{}, DrawY{};
};

// A factor closes by a fifth per repetition until it reaches 0 or below,
// then opens again. In doubles 1 - 5 x 0.2 leaves 5.55e-17, not yet 0, so
// it goes 0.8 ... 0.2, ~0, -0.2 before it turns and back through ~0 to 1.
// Returns true once it is back at 1 or more.
bool StepScale(double& scale, bool& shrinking)
{
    if (shrinking) {
        scale -= kScaleStep;
        if (scale <= 0)
            shrinking = false;
        return false;
    }
    scale += kScaleStep;
    return scale >= 1;
}

// The horizontal factor closes and opens once, then the vertical one does,
// again and again.
void StepScales(TwoRods& r)
{
    double& scale = r.second_phase ? r.scale_y : r.scale_x;
    if (StepScale(scale, r.shrinking)) {
        r.scale_x = 1;
        r.scale_y = 1;
        r.second_phase = true;
        r.shrinking = true;
    }
}

// Places ball j on its rod and draws it: on the first rod's middle (ball 3)
// or the second's (ball 8), or on the spin ellipse about it, balls 1-2 and
// 6-7 at the spin angle and 4-5 and 9-10 at the opposite end.
void DrawTwoRodsBall(TwoRods& r, int j)
{
    Figure& s = r.saver;
    const bool first = j <= 5;
    const double mx = first ? r.m1x : r.m2x;
    const double my = first ? r.m1y : r.m2y;
    const int middle = rod_middle(j);
    const double spin = first ? r.spin1 : r.spin2;

    if (j == middle) {
        r.DrawX[j] = mx - kHalfSmallCell;
        r.DrawY[j] = my - kHalfSmallCell;
    } else {
        const double angle = j < middle ? spin : spin + 30;
        const double theta = gfx::clock_angle(angle);
        const int dx = gfx::floor_int(std::cos(theta) * (r.arm[j] * r.scale_x));
        const int dy = gfx::floor_int(std::sin(theta) * (r.arm[j] * r.scale_y));
        r.DrawX[j] = mx + dx - kHalfSmallCell;
        r.DrawY[j] = my + dy - kHalfSmallCell;
    }
    s.BlitBall(j, r.DrawX[j], r.DrawY[j]);
}

// The middles of both rods on the circle, opposite each other.
void PlaceMiddles(TwoRods& r)
{
    const Figure& s = r.saver;
    const double theta1 = gfx::clock_angle(r.o);
    r.m1x = s.CenterX() + gfx::floor_int(std::cos(theta1) * r.orbit_radius);
    r.m1y = s.CenterY() + gfx::floor_int(std::sin(theta1) * r.orbit_radius);
    const double theta2 = gfx::clock_angle(r.o + 30);
    r.m2x = s.CenterX() + gfx::floor_int(std::cos(theta2) * r.orbit_radius);
    r.m2y = s.CenterY() + gfx::floor_int(std::sin(theta2) * r.orbit_radius);
}

} // namespace

void Act_TwoRods(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    TwoRods r{saver};

    // Vertical or horizontal rods.
    r.orientation = gfx::floor_int(s.Rnd() * 2);
    const bool vertical = r.orientation == 0;

    // The rod, and where the spins and the orbit start: the first rod in the
    // formation's order (balls 1 and 2 above or left of ball 3), the second
    // turned end for end, so it flips at once in the first frame.
    if (vertical) {
        r.DrawX = s.formation().VerticalRodX();
        r.DrawY = s.formation().VerticalRodY();
        r.spin1 = 0;
        r.spin2 = 30;
        r.o = 0;
    } else {
        r.DrawX = s.formation().HorizontalRodX();
        r.DrawY = s.formation().HorizontalRodY();
        r.spin1 = 45;
        r.spin2 = 15;
        r.o = 45;
    }

    // The arms along the rod, and the circle the middles run on.
    const Figure::BallArray& along = vertical ? r.DrawY : r.DrawX;
    for (int i = 1; i <= kSmallBalls; ++i) {
        r.arm[i] = std::abs(along[i] - along[rod_middle(i)]);
    }
    r.orbit_radius = vertical ? s.CenterY() - (r.DrawY[kFirstMiddle] + kHalfSmallCell)
                              : s.CenterX() - (r.DrawX[kFirstMiddle] + kHalfSmallCell);

    // Into the rod; the centre ball stays.
    glide_small_balls(s, s.formation().FormationX(), s.formation().FormationY(), r.DrawX, r.DrawY);

    r.scale_x = 1;
    r.scale_y = 1;
    r.shrinking = true;
    r.second_phase = false;

    // Twenty repetitions of 30 frames: one spin turn each, a quarter of the
    // orbit at speed factor 1. The factors step before each repetition.
    const double factor = s.speed_factor();
    for (int rep = 1; rep <= kPhaseSteps; ++rep) {
        StepScales(r);
        for (int frame = 1; frame <= kFramesPerRepetition; ++frame) {
            r.o += factor / 2;
            PlaceMiddles(r);
            r.spin1 += kSpinStep;
            r.spin2 -= kSpinStep;

            s.RestoreBackground();
            s.BlitBall(kCentreBall, s.formation().CenterFormationX(), s.formation().CenterFormationY());
            for (int j = 1; j <= kSmallBalls; ++j)
                DrawTwoRodsBall(r, j);
            s.PresentFrame();
        }
    }

    // Home from where each ball was last drawn.
    glide_home_and_finish(s, r.DrawX, r.DrawY);
}
