#include "engine/glides.h"

#include "engine/ball_geometry.h"
#include "engine/random.h"
#include "engine/stage.h"
#include "settings/settings.h"

#include <utility>

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

Glides::Glides(Stage& stage, const Settings& settings, const Formation& formation, Random& random,
               std::function<void(int)> pause)
    : m_stage(stage), m_settings(settings), m_formation(formation), m_random(random),
      m_pause(std::move(pause))
{
}

void Glides::aim_glide(int i, double from_x, double from_y, double to_x, double to_y)
{
    const double frames = m_settings.g_Speed;
    m_step_x[i] = (from_x - to_x) / frames;
    m_step_y[i] = (from_y - to_y) / frames;
    m_glide_x[i] = from_x;
    m_glide_y[i] = from_y;
}

void Glides::aim_glides(const BallArray& from_x, const BallArray& from_y, const BallArray& to_x,
                        const BallArray& to_y)
{
    for (int i = 1; i <= kSmallBalls; ++i)
        aim_glide(i, from_x[i], from_y[i], to_x[i], to_y[i]);
}

void Glides::aim_centre_glide(double from_x, double from_y, double to_x, double to_y)
{
    const double frames = m_settings.g_Speed;
    m_centre_step_x = (from_x - to_x) / frames;
    m_centre_step_y = (from_y - to_y) / frames;
    m_centre_glide_x = from_x;
    m_centre_glide_y = from_y;
}

void Glides::shift_glides(double dx, double dy)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        m_glide_x[i] += dx;
        m_glide_y[i] += dy;
    }
}

void Glides::divide_steps(double parts)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        m_step_x[i] /= parts;
        m_step_y[i] /= parts;
    }
}

void Glides::shift_snake(BallArray& x, BallArray& y, double lead_x, double lead_y)
{
    for (int i = kSmallBalls; i >= 2; --i) {
        x[i] = x[i - 1];
        y[i] = y[i - 1];
    }
    x[1] = lead_x;
    y[1] = lead_y;
}

// A clean glide erases every frame; a trail erases once before the first
// frame, so every ball leaves a trail of all its images, and holds the
// finished picture for a second. The centre ball moves and is drawn in ball 5's pass,
// so balls 6 to 10 cover it.
void Glides::GlideBalls(GlideKind kind)
{
    const bool trail = kind == GlideKind::Trail;
    if (trail)
        m_stage.RestoreBackground();
    for (int k = 1; k <= m_settings.g_Speed; ++k) {
        if (!trail)
            m_stage.RestoreBackground();
        for (int i = 1; i <= kSmallBalls; ++i) {
            m_glide_x[i] -= m_step_x[i];
            m_glide_y[i] -= m_step_y[i];
            m_stage.BlitBall(i, m_glide_x[i], m_glide_y[i]);
            if (i == 5) {
                m_centre_glide_x -= m_centre_step_x;
                m_centre_glide_y -= m_centre_step_y;
                m_stage.BlitBall(kCentreBall, m_centre_glide_x, m_centre_glide_y);
            }
        }
        m_stage.PresentFrame();
    }
    if (trail)
        m_pause(kHoldAfterTrailMs);
}

void Glides::GlideBallsCenterOnTop()
{
    for (int k = 1; k <= m_settings.g_Speed; ++k) {
        m_stage.RestoreBackground();
        for (int i = 1; i <= kSmallBalls; ++i) {
            m_glide_x[i] -= m_step_x[i];
            m_glide_y[i] -= m_step_y[i];
            m_stage.BlitBall(i, m_glide_x[i], m_glide_y[i]);
        }
        m_centre_glide_x -= m_centre_step_x;
        m_centre_glide_y -= m_centre_step_y;
        m_stage.BlitBall(kCentreBall, m_centre_glide_x, m_centre_glide_y);
        m_stage.PresentFrame();
    }
}

// The small balls glide from StartX/Y onto the gather point, ball 10 ending
// uppermost. The centre ball stays where the action placed it, drawn under
// the small balls, or comes to the gather point too, on top.
void Glides::GatherToCenter(Gathering what, double gather_x, double gather_y)
{
    const bool with_centre = what == Gathering::WithCentre;
    for (int i = 1; i <= kSmallBalls; ++i)
        aim_glide(i, m_start_x[i], m_start_y[i], gather_x, gather_y);
    if (with_centre)
        aim_centre_glide(m_centre_start_x, m_centre_start_y, gather_x, gather_y);

    for (int k = 1; k <= m_settings.g_Speed; ++k) {
        m_stage.RestoreBackground();
        if (!with_centre)
            m_stage.BlitBall(kCentreBall, m_formation.CenterFormationX(), m_formation.CenterFormationY());
        for (int i = 1; i <= kSmallBalls; ++i) {
            m_glide_x[i] -= m_step_x[i];
            m_glide_y[i] -= m_step_y[i];
            m_stage.BlitBall(i, m_glide_x[i], m_glide_y[i]);
        }
        if (with_centre) {
            m_centre_glide_x -= m_centre_step_x;
            m_centre_glide_y -= m_centre_step_y;
            m_stage.BlitBall(kCentreBall, m_centre_glide_x, m_centre_glide_y);
        }
        m_stage.PresentFrame();
    }

    for (int i = 1; i <= kSmallBalls; ++i) {
        m_start_x[i] = gather_x;
        m_start_y[i] = gather_y;
    }
    if (with_centre) {
        m_centre_start_x = gather_x;
        m_centre_start_y = gather_y;
    }
}

// Every ball glides from its start onto its formation place, the centre ball
// under the small ones. The start positions stay as they were.
void Glides::GlideIntoFormation()
{
    aim_glides(m_start_x, m_start_y, m_formation.FormationX(), m_formation.FormationY());
    aim_centre_glide(m_centre_start_x, m_centre_start_y, m_formation.CenterFormationX(), m_formation.CenterFormationY());
    glide_balls_centre_underneath();
}

void Glides::glide_balls_centre_underneath()
{
    for (int k = 1; k <= m_settings.g_Speed; ++k) {
        m_stage.RestoreBackground();
        m_centre_glide_x -= m_centre_step_x;
        m_centre_glide_y -= m_centre_step_y;
        m_stage.BlitBall(kCentreBall, m_centre_glide_x, m_centre_glide_y);
        for (int i = 1; i <= kSmallBalls; ++i) {
            m_glide_x[i] -= m_step_x[i];
            m_glide_y[i] -= m_step_y[i];
            m_stage.BlitBall(i, m_glide_x[i], m_glide_y[i]);
        }
        m_stage.PresentFrame();
    }
}

// Chooses the pivot ball, mirrors the last positions about it into
// StartX/Y and builds the fan-shaped drawing order.
//
// A random pivot is drawn from the generator. The next one advances it by one,
// skipping 5 and wrapping after 9, so repeated advancing visits
// 1, 2, 3, 4, 6, 7, 8, 9: a pivot of 5 or 10 would mirror the ring about the
// same axis as 10 or 5 does.
int Glides::RotateBallOrder(PivotChoice choice, int pivot)
{
    if (choice == PivotChoice::Random) {
        pivot = int(std::floor(10 * m_random.Rnd() + 1));
    } else {
        pivot += 1;
        if (pivot == 5)
            pivot = 6;
        if (pivot >= 10)
            pivot = 1;
    }
    if (pivot < 1 || pivot > kSmallBalls) // only a bad generator or a stray pivot
        pivot = 1;
    const int p = pivot;

    // Reflection: StartX(p + t) = LastX(p - t), cyclically in 1..10. The
    // pivot and the ball opposite it (p + 5) keep their own places; every
    // other pair exchanges them.
    int a = p, b = p;
    for (int t = 0; t < kSmallBalls; ++t) {
        m_start_x[b] = m_last_x[a];
        m_start_y[b] = m_last_y[a];
        a = previous_ball(a);
        b = next_ball(b);
    }

    // Drawing order: the pairs p+2/p+3, p+1/p+4, p/p+5, p-1/p+6, p-2/p+7,
    // fanning out from the pair p+2, p+3, so each pair further out is drawn
    // over the pairs inside it.
    m_draw_order[1] = p + 2 > kSmallBalls ? p + 2 - kSmallBalls : p + 2;
    m_draw_order[2] = p + 3 > kSmallBalls ? p + 3 - kSmallBalls : p + 3;
    for (int k = 3; k <= 9; k += 2) {
        m_draw_order[k] = previous_ball(m_draw_order[k - 2]);
        m_draw_order[k + 1] = next_ball(m_draw_order[k - 1]);
    }
    return p;
}

void Glides::step_and_draw(int b, bool outward, double dx, double dy)
{
    const auto i = std::size_t(b);
    if (outward) {
        m_glide_x[i] -= m_step_x[i];
        m_glide_y[i] -= m_step_y[i];
    } else {
        m_glide_x[i] += m_step_x[i];
        m_glide_y[i] += m_step_y[i];
    }
    m_stage.BlitBall(b, m_glide_x[i] + dx, m_glide_y[i] + dy);
}

void Glides::restore_frame() { m_stage.RestoreBackground(); }

void Glides::present_frame() { m_stage.PresentFrame(); }

void Glides::hand_on_start(const BallArray& x, const BallArray& y)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        m_start_x[i] = x[i];
        m_start_y[i] = y[i];
    }
}

void Glides::hand_on_start(int i, double x, double y)
{
    m_start_x[std::size_t(i)] = x;
    m_start_y[std::size_t(i)] = y;
}

// The way home of the figures that turn their ring over takes ball i from
// where ball 11 - i was last drawn.
void Glides::start_where_drawn_reversed(double dx, double dy)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        m_start_x[i] = m_glide_x[kSmallBalls + 1 - i] + dx;
        m_start_y[i] = m_glide_y[kSmallBalls + 1 - i] + dy;
    }
}

void Glides::hand_on_last(const BallArray& x, const BallArray& y)
{
    for (int i = 1; i <= kSmallBalls; ++i) {
        m_last_x[i] = x[i];
        m_last_y[i] = y[i];
    }
}

void Glides::aim_at_mirror_places() { aim_glides(m_last_x, m_last_y, m_start_x, m_start_y); }

void Glides::set_centre_start(double x, double y)
{
    m_centre_start_x = x;
    m_centre_start_y = y;
}

void Glides::set_centre_last(double x, double y)
{
    m_centre_last_x = x;
    m_centre_last_y = y;
}

void Glides::step_centre_glide()
{
    m_centre_glide_x -= m_centre_step_x;
    m_centre_glide_y -= m_centre_step_y;
}

void Glides::shift_centre_glide(double dx, double dy)
{
    m_centre_glide_x += dx;
    m_centre_glide_y += dy;
}

void Glides::halve_centre_step()
{
    m_centre_step_x /= 2;
    m_centre_step_y /= 2;
}
