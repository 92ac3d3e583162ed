// Rolling rotation. The ring of ten small balls, the centre ball in its
// middle, travels diagonally over the screen like a wheel and bounces off
// the four edges, while the ring spins about the centre ball. At every
// bounce the spin takes the direction a wheel rolling along that wall would
// turn. Once every 60 frames the ring squashes in and springs out. The
// action ends in the frame of the twentieth bounce, and the balls glide home
// from where they were last drawn.

#include "engine/actions/actions.h"
#include "engine/actions/circle_place.h"
#include "engine/figure.h"
#include "gfx/numeric.h"

#include <cstdlib>

namespace {

// The wheel moves this many pixels per frame along each axis.
constexpr int kWheelStep = 9;

// The four starting directions, by a draw of 0..3: down-right, up-left,
// up-right, down-left.
constexpr int kStartVelocity[4][2] = {
    {+kWheelStep, +kWheelStep},
    {-kWheelStep, -kWheelStep},
    {+kWheelStep, -kWheelStep},
    {-kWheelStep, +kWheelStep},
};

// The ring's breathing within each cycle of 60 frames: the full radius for
// 51 frames, then three frames in, three out past it and three back,
// a third of half the radius a frame (90, ..., 90, 75, 60, 45, 75, 105, 135,
// 120, 105, 90).
constexpr int kCycleFrames = 60;
constexpr int kSquashFrom = 52, kSpringFrom = 55, kSettleFrom = 58;
constexpr double kRadiusStep = (kRingRadius - kRingRadius / 2.0) / 3; // 15

// The ring turns clockwise (0) or anticlockwise (1).
enum Spin { kClockwise = 0, kAnticlockwise = 1 };

struct RollingRotation {
    Figure& saver;
    double W = 0, H = 0;
    int x = 0, y = 0;   // the wheel's centre, whole pixels
    int vx = 0, vy = 0; // its velocity
    int pvx = 0, pvy = 0; // its velocity before the last bounce
    int spin = kClockwise;
    double angle[kSmallBalls + 1] = {}; // each ball on the ring, sixtieths of a turn
    double radius = kRingRadius;
    int bounces = 0; // frames in which the wheel bounced
};

// One axis of the bounce test: when the next step would take the wheel's
// centre closer than the ring's radius to an edge, the velocity turns back
// before the step, so the wheel turns in the same frame. The margin is the
// ring's radius alone, so balls may reach partly beyond the edge.
bool BounceOnAxis(int& position, int& velocity, double extent)
{
    const int next = position + velocity;
    bool bounced = false;
    if (next + kRingRadius > extent) {
        velocity = -std::abs(velocity);
        bounced = true;
    } else if (next - kRingRadius < 0) {
        velocity = std::abs(velocity);
        bounced = true;
    }
    position += velocity;
    return bounced;
}

// The spin after a bounce. A wheel travelling anticlockwise around the
// screen (down-right turning up-right at the bottom edge, up-right turning
// up-left at the right edge, and so on) rolls along each wall turning
// clockwise; a wheel travelling the other way round, or one thrown straight
// back by a corner, turns anticlockwise.
struct Turn {
    int pvx, pvy, vx, vy; // the signs before and after the bounce
};
constexpr Turn kClockwiseTurns[4] = {
    {+1, +1, +1, -1}, // bottom
    {+1, -1, -1, -1}, // right
    {-1, -1, -1, +1}, // top
    {-1, +1, +1, +1}, // left
};

int SpinAfterBounce(int pvx, int pvy, int vx, int vy)
{
    const auto sign = [](int v) { return v > 0 ? +1 : -1; };
    for (const Turn& t : kClockwiseTurns)
        if (sign(pvx) == t.pvx && sign(pvy) == t.pvy && sign(vx) == t.vx && sign(vy) == t.vy)
            return kClockwise;
    return kAnticlockwise;
}

// The ring's radius in frame f (1..60) of a cycle.
void BreatheRing(RollingRotation& r, int f)
{
    if (f < kSquashFrom)
        r.radius = kRingRadius;
    else if (f < kSpringFrom)
        r.radius -= kRadiusStep;
    else if (f < kSettleFrom)
        r.radius += 2 * kRadiusStep;
    else
        r.radius -= kRadiusStep;
}

// Frame f of a cycle; true when it was the frame of the last bounce.
bool DrawWheelFrame(RollingRotation& r, int f)
{
    Figure& s = r.saver;

    // Move, bouncing off the edges.
    const bool bounced_x = BounceOnAxis(r.x, r.vx, r.W);
    const bool bounced_y = BounceOnAxis(r.y, r.vy, r.H);
    if (bounced_x || bounced_y) {
        r.spin = SpinAfterBounce(r.pvx, r.pvy, r.vx, r.vy);
        r.pvx = r.vx;
        r.pvy = r.vy;
        r.bounces += 1;
    }

    // The centre ball, under the ring.
    s.RestoreBackground();
    s.glides().set_centre_start(r.x - kHalfLargeCell, r.y - kHalfLargeCell);
    s.BlitBall(kCentreBall, s.glides().CenterStartX(), s.glides().CenterStartY());

    // The ring, its angles kept across bounces: only their direction flips.
    BreatheRing(r, f);
    const double factor = s.speed_factor();
    for (int j = 1; j <= kSmallBalls; ++j) {
        r.angle[j] += r.spin == kClockwise ? factor : -factor;
        const CellCorner c = place_on_circle(r.x, r.y, r.angle[j], r.radius, kSmallBallSize);
        s.glides().hand_on_start(j, c.x, c.y);
        s.BlitBall(j, c.x, c.y);
    }

    s.PresentFrame();
    return r.bounces == kPhaseSteps;
}

} // namespace

void Act_RollingRotation(Figure& saver, int /*mode*/)
{
    Figure& s = saver;
    RollingRotation r{saver};
    r.W = s.ScreenWidthPx();
    r.H = s.ScreenHeightPx();

    // The wheel starts on the screen centre with no glide before it, heading
    // diagonally in a random one of four directions, turning clockwise.
    r.x = gfx::round_half_even(s.CenterX());
    r.y = gfx::round_half_even(s.CenterY());
    r.spin = kClockwise;
    const int direction = gfx::floor_int(s.Rnd() * 4);
    r.vx = kStartVelocity[direction][0];
    r.vy = kStartVelocity[direction][1];
    r.pvx = r.vx;
    r.pvy = r.vy;
    r.bounces = 0;
    for (int j = 1; j <= kSmallBalls; ++j)
        r.angle[j] = 6.0 * j;

    // Cycles of 60 frames until the twentieth bounce. The wheel moves 9
    // pixels a frame on each axis and turns back only at an edge, so it
    // meets one within a screen's width of frames; on a screen too small to
    // hold the ring every frame is a bounce.
    for (;;) {
        for (int f = 1; f <= kCycleFrames; ++f) {
            if (DrawWheelFrame(r, f)) {
                s.glides().GlideIntoFormation();
                s.FinishAction();
                return;
            }
        }
    }
}
