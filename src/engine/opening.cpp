// The opening figure, played once before the first action: the ten small
// balls close in from a ring as wide as half the screen to their starting
// ring while the centre ball grows from nothing to its full size, over
// g_Speed frames (plus the frame that the real-valued loop's end admits),
// then one frame with every ball exactly in its starting place.

#include "engine/ball_geometry.h"
#include "engine/saver_window.h"

#include "gfx/numeric.h"

#include <cmath>

void Ball_A::PlayOpening()
{
    if (trace())
        trace()->opening();

    const double ring_radius = kRingRadius;

    // A screen no wider than the starting ring has nothing to close in from:
    // the radius would never step down past the ring, so only the final
    // frame is shown.
    const double radius_step = (ScreenWidthPx() / 2 - ring_radius) / m_settings.g_Speed;
    const double growth = double(kLargeBallSize) / m_settings.g_Speed;
    double size = 0;
    // The radius is stepped by repeated subtraction, as a real-valued loop
    // counter is; the last frame's radius lands within rounding of the ring
    // and is kept when it is not below it.
    for (double radius = ScreenWidthPx() / 2; radius_step > 0 && radius >= ring_radius;
         radius -= radius_step) {
        m_stage.RestoreBackground();
        for (int i = 1; i <= kSmallBalls; ++i) {
            const double angle = gfx::clock_angle(ring_clock(i));
            m_stage.BlitBall(i, std::floor(std::cos(angle) * radius) + CenterX() - kHalfSmallCell,
                     std::floor(std::sin(angle) * radius) + CenterY() - kHalfSmallCell);
        }
        size += growth;
        m_stage.blit_ball_scaled(kCentreBall, CenterX() - size / 2, CenterY() - size / 2, size, size);
        m_stage.PresentFrame();
    }

    // The final frame: the starting ring and the centre ball at full size.
    m_stage.RestoreBackground();
    for (int i = 1; i <= kSmallBalls; ++i)
        m_stage.BlitBall(i, m_formation.FormationX()[std::size_t(i)], m_formation.FormationY()[std::size_t(i)]);
    m_stage.BlitBall(kCentreBall, CenterX() - kHalfLargeCell, CenterY() - kHalfLargeCell);
    m_stage.PresentFrame();
}
