#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/numeric.h"

#include <cmath>

// The closing figure that ends every action: the ten small balls are
// mirrored about a random pivot ball, each flying to its mirror partner's
// place and straight back, g_Speed frames each way, drawn in a fan-shaped
// order. The centre ball stays put (ClosingCentre::Still) or circles once
// around the pivot ball's place (Swing, which the linear-motion action uses).

namespace {

// The swing of mode 2 starts from the direction of the ring's centre as seen
// from ball p. Its centre is the pivot ball's cell centre, which the centre
// ball's top-left circles at the ring radius.
void start_swing(Ball_A& s, int pivot)
{
    s.closing().start(clock_towards_centre(pivot), s.closing().HoldX()[pivot] + kHalfSmallCell,
                      s.closing().HoldY()[pivot] + kHalfSmallCell);
}

// The centre ball in one frame: where the action left it, or, swinging, one
// step further round; the hand moves 30/n minutes a frame, one full turn
// over both legs.
void draw_closing_centre(Ball_A& s, bool swing)
{
    if (!swing) {
        s.stage().BlitBall(kCentreBall, s.glides().CenterLastX(), s.glides().CenterLastY());
        return;
    }
    s.closing().step(s.settings().g_Speed, kRingRadius, kHalfSmallCell);
    s.stage().BlitBall(kCentreBall, s.closing().CenterSwingX(), s.closing().CenterSwingY());
}

// One leg of g_Speed frames. Outward, in DrawOrder, every ball ends on its
// mirror partner's last place; back, in the order reversed (so the ball
// uppermost on the way out is drawn first on the way back), every ball
// returns to its own.
void play_closing_leg(Ball_A& s, bool outward, bool swing)
{
    for (int k = 1; k <= s.settings().g_Speed; ++k)
        s.glides().mirrored_frame(outward, 0, 0, [&] { draw_closing_centre(s, swing); });
}

} // namespace

// Every action ends here, with the balls' final places in m_formation.FormationX()/Y and
// m_formation.CenterFormationX()/Y.
void Ball_A::FinishAction()
{
    m_glides.hand_on_last(m_formation.FormationX(), m_formation.FormationY());
    m_glides.set_centre_last(m_formation.CenterFormationX(), m_formation.CenterFormationY());
    PlayClosingTransition(ClosingCentre::Still);
}

void Ball_A::PlayClosingTransition(ClosingCentre centre)
{
    const bool swing = centre == ClosingCentre::Swing;

    // The mirror places about a random pivot ball, in StartX/Y, and the
    // glides there from the last places.
    m_closing.hold(m_glides.LastX(), m_glides.LastY());
    m_closing.set_pivot(m_glides.RotateBallOrder(PivotChoice::Random, m_closing.PivotBall()));
    m_glides.aim_at_mirror_places();
    if (swing)
        start_swing(*this, m_closing.PivotBall());

    if (trace())
        trace()->closing(swing ? 2 : 1, m_closing.PivotBall());

    play_closing_leg(*this, true, swing);
    play_closing_leg(*this, false, swing);
}

void ClosingSwing::hold(const BallArray& x, const BallArray& y)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        m_hold_x[std::size_t(i)] = x[std::size_t(i)];
        m_hold_y[std::size_t(i)] = y[std::size_t(i)];
    }
}

void ClosingSwing::start(double clock, double centre_x, double centre_y)
{
    m_clock = clock;
    m_centre_x = centre_x;
    m_centre_y = centre_y;
    m_count = 2;
}

// The hand moves 30/n minutes a frame, so 2n frames (both legs) turn it once.
void ClosingSwing::step(int frames_per_leg, double radius, double half_cell)
{
    m_count += 1;
    const double theta = gfx::clock_angle(m_clock + 30 * m_count / frames_per_leg);
    const double dx = std::floor(radius * std::cos(theta));
    const double dy = std::floor(radius * std::sin(theta));
    m_ball_x = m_centre_x + dx - half_cell;
    m_ball_y = m_centre_y + dy - half_cell;
}
