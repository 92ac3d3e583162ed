// Kind 19, spiral trails. The ten small balls gather under the centre ball
// and then, six times, draw a flower of ten spiral arms without erasing, so
// that each ball leaves the trail of its path. Every arm is the same
// flattened spiral r = t^2 / 350 (two turns of t), stretched four times wider
// than high and turned by the arm's own angle about the screen centre. In
// one style, drawn at random per flower, the balls set off one after
// another; in the other all at once. Each finished flower is held for two
// seconds and the balls glide back to the centre; the turn between arms
// shrinks from flower to flower, 36 degrees down to 6.

#include "engine/actions/actions.h"
#include "engine/actions/small_ball_glide.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cmath>
#include <cstdint>

namespace {

// Two turns of the spiral. The all-at-once style keeps its parameter in
// single precision and compares it there too.
constexpr double kSpiralEnd = 2 * gfx::kTwoPi;
constexpr float kSpiralEndSingle = float(kSpiralEnd);
constexpr double kSpiralStart = 0.1;
constexpr double kSpiralDivisor = 350;

// The arm steps of the six flowers, in degrees.
constexpr int kFirstArmStep = 36;
constexpr int kLastArmStep = 6;

// In the one-after-another style ball i joins in frame 5 (i - 1), ball 1 in
// the first frame.
constexpr int kStaggerFrames = 5;

constexpr int kHoldMs = 2000;

struct SpiralTrail {
    Figure& saver;
    // The running arm angle in whole degrees, never reset: the arms of each
    // flower continue from the last arm of the one before.
    std::int16_t a = 0;
    int s = 0;                             // the arm step of this flower
    float arm_sin[kSmallBalls + 1] = {};   // of each ball's arm angle
    float arm_cos[kSmallBalls + 1] = {};
    float sx = 0, sy = 0;                  // the spiral's stretch: 1.6 H across, 0.4 H along
    double dtheta = 0.1;                   // spiral parameter per frame
    double theta[kSmallBalls + 1] = {};    // each ball's parameter, one after another
    float theta_all = 0;                   // the common parameter, all at once
    int style = 0;                         // 0 one after another, 1 all at once
    int frame_counter = 0;
    // Each ball's spiral point before it is turned onto its arm, and the
    // cell corner it was last drawn at.
    Figure::BallArray spiral_x{}, spiral_y{};
    Figure::BallArray HoldX{}, HoldY{};
};

// Ball i at parameter t: the point of the spiral, turned by its arm angle
// about the screen centre; its cell corner goes to HoldX/Y.
void PlaceOnSpiral(SpiralTrail& sp, int i, double t)
{
    const Figure& s = sp.saver;
    const double r = t * t / kSpiralDivisor;
    sp.spiral_x[i] = r * std::cos(t) * sp.sx;
    sp.spiral_y[i] = r * std::sin(t) * sp.sy;
    const double c = sp.arm_cos[i], sn = sp.arm_sin[i];
    sp.HoldX[i] = s.CenterX() + c * sp.spiral_x[i] - sn * sp.spiral_y[i] - kHalfSmallCell;
    sp.HoldY[i] = s.CenterY() + sn * sp.spiral_x[i] + c * sp.spiral_y[i] - kHalfSmallCell;
}

// One step of ball i in the one-after-another style. A ball at the end of
// its arm is not drawn again; its last image stays, as nothing erases.
void SpiralStepBall(SpiralTrail& sp, int i)
{
    if (sp.theta[i] >= kSpiralEnd)
        return;
    PlaceOnSpiral(sp, i, sp.theta[i]);
    sp.saver.BlitBall(i, sp.HoldX[i], sp.HoldY[i]);
    sp.theta[i] += sp.dtheta;
}

// One after another: 169 frames, each ball drawn 125 times (t = 0.1 ...
// 12.5), the last ball joining in frame 45.
void DrawStaggeredFlower(SpiralTrail& sp)
{
    Figure& s = sp.saver;
    sp.frame_counter = 0;
    while (sp.theta[kSmallBalls] < kSpiralEnd) {
        sp.frame_counter += 1;
        const int active = sp.frame_counter < kStaggerFrames * kSmallBalls
                               ? sp.frame_counter / kStaggerFrames + 1
                               : kSmallBalls;
        for (int i = 1; i <= active; ++i)
            SpiralStepBall(sp, i);
        s.BlitBall(kCentreBall, s.formation().CenterFormationX(), s.formation().CenterFormationY());
        s.PresentFrame();
    }
}

// All at once: 125 frames.
void DrawSimultaneousFlower(SpiralTrail& sp)
{
    Figure& s = sp.saver;
    while (kSpiralEndSingle > sp.theta_all) {
        for (int i = 1; i <= kSmallBalls; ++i) {
            PlaceOnSpiral(sp, i, sp.theta_all);
            s.BlitBall(i, sp.HoldX[i], sp.HoldY[i]);
        }
        s.BlitBall(kCentreBall, s.formation().CenterFormationX(), s.formation().CenterFormationY());
        sp.theta_all = float(sp.theta_all + sp.dtheta);
        s.PresentFrame();
    }
}

// The small balls glide from (from_x, from_y) to the screen centre, under
// the centre ball, which stays on its place. `legs` glides' worth of frames
// (g_Speed each): the step is split evenly over them, halving it exactly
// for two.
void GlideUnderCentre(Figure& s, const Figure::BallArray& from_x,
                      const Figure::BallArray& from_y, int legs)
{
    const double centre_x = s.CenterX() - kHalfSmallCell;
    const double centre_y = s.CenterY() - kHalfSmallCell;
    for (int i = 1; i <= kSmallBalls; ++i)
        s.glides().aim_glide(i, from_x[i], from_y[i], centre_x, centre_y);
    s.glides().divide_steps(legs);
    s.glides().aim_centre_glide(s.formation().CenterFormationX(), s.formation().CenterFormationY(), s.formation().CenterFormationX(),
                       s.formation().CenterFormationY());
    for (int leg = 1; leg <= legs; ++leg)
        s.glides().GlideBallsCenterOnTop();
}

} // namespace

void Act_SpiralTrail(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    SpiralTrail sp{saver};

    // The small balls gather under the centre ball, on the screen centre.
    GlideUnderCentre(s, s.formation().FormationX(), s.formation().FormationY(), 1);

    // Six flowers, the arm step shrinking by 6 degrees each time.
    sp.dtheta = 0.1;
    for (sp.s = kFirstArmStep; sp.s >= kLastArmStep; sp.s -= 6) {
        const double h = s.ScreenHeightPx();
        sp.sx = float(h * 1.6);
        sp.sy = float(h * 0.4);
        // Erased once, before the flower's first frame: every later frame
        // keeps the images of the ones before, so the arms are drawn as trails.
        s.RestoreBackground();

        for (int i = 1; i <= kSmallBalls; ++i) {
            sp.a = std::int16_t(sp.a + sp.s);
            const double angle = sp.a / 180.0 * gfx::kPi;
            sp.arm_sin[i] = float(std::sin(angle));
            sp.arm_cos[i] = float(std::cos(angle));
        }

        sp.theta_all = float(kSpiralStart);
        for (int i = 1; i <= kSmallBalls; ++i)
            sp.theta[i] = sp.dtheta;

        sp.style = gfx::floor_int(s.Rnd() * 2);
        if (sp.style == 0)
            DrawStaggeredFlower(sp);
        else
            DrawSimultaneousFlower(sp);

        // The finished flower stays on the screen for two seconds.
        s.pause(kHoldMs);

        if (sp.s == kLastArmStep)
            break;
        // Back to the centre over twice an ordinary glide's frames.
        GlideUnderCentre(s, sp.HoldX, sp.HoldY, 2);
    }

    // Home from where each ball was last drawn.
    glide_home_and_finish(s, sp.HoldX, sp.HoldY);
}
