#pragma once

#include "engine/ball_geometry.h"
#include "engine/formation.h"

#include <array>
#include <cstdint>
#include <functional>

class Stage;
class Random;
struct Settings;

// The glides: every ball travels in a straight line in g_Speed equal steps.
// The ball starts on its first place and the glide subtracts the step once
// per frame, so it stands on its second place after the last frame. The aim
// routines set one up; the glides that follow read what they filled. The
// step is always (from - to) / g_Speed, computed the same way wherever a
// glide is aimed, so that every ball lands on the same pixels.
//
// Beside the glides proper live the places they start from and hand on: where
// the balls last stood (what the closing figure starts from), where the next
// glide starts (the closing figure's mirror places, or an action's hand-over
// to GatherToCenter and GlideIntoFormation), and the closing figure's drawing
// order. Positions are cell corners, never centres.
class Glides {
public:
    using BallArray = Formation::BallArray;

    // `pause` holds the picture for a number of milliseconds (the trail's
    // hold after GlideBalls in mode 2). Every reference must outlive the glides.
    Glides(Stage& stage, const Settings& settings, const Formation& formation, Random& random,
           std::function<void(int)> pause);
    Glides(const Glides&) = delete;
    Glides& operator=(const Glides&) = delete;

    // Small ball i (1..10): GlideX/Y(i) = from, GlideStepX/Y(i) = the step.
    void aim_glide(int i, double from_x, double from_y, double to_x, double to_y);
    // All ten small balls, ball i from (from_x(i), from_y(i)) to (to_x(i), to_y(i)).
    void aim_glides(const BallArray& from_x, const BallArray& from_y, const BallArray& to_x,
                    const BallArray& to_y);
    // The centre ball: CenterGlideX/Y = from, CenterStepX/Y = the step. A
    // centre ball that is to stay where it is gets from == to, a step of 0.
    void aim_centre_glide(double from_x, double from_y, double to_x, double to_y);
    // Moves a snake on by one frame: slot 1 of (x, y) takes the lead's place
    // and slot i + 1 takes slot i's (slots 1..10), so slot i repeats where
    // the lead was i frames before. Called after each frame is drawn.
    static void shift_snake(BallArray& x, BallArray& y, double lead_x, double lead_y);

    // The glides proper: g_Speed frames of the aimed glides, each erased
    // first. GlideBalls draws the centre ball in ball 5's pass (mode 2 keeps
    // every frame's images as trails and holds the picture for a second),
    // GlideBallsCenterOnTop after the small balls, glide_balls_centre_underneath
    // before them.
    void GlideBalls(std::int16_t mode);
    void GlideBallsCenterOnTop();
    void glide_balls_centre_underneath();
    // Aim and glide: the small balls from StartX/Y onto (gather_x, gather_y)
    // (mode 2 brings the centre ball from CenterStartX/Y too), and every ball
    // from its start onto its formation place.
    void GatherToCenter(std::int16_t mode, double gather_x, double gather_y);
    void GlideIntoFormation();
    // Chooses the pivot ball (at random in mode 1, else the one after
    // `pivot`), mirrors LastX/Y about it into StartX/Y and builds DrawOrder.
    // Returns the pivot.
    int RotateBallOrder(std::int16_t mode, int pivot);

    // ---- the small balls' arrays (slots 1..10), open to the routines that
    // move them frame by frame.
    BallArray& GlideX() { return m_glide_x; }
    BallArray& GlideY() { return m_glide_y; }
    BallArray& GlideStepX() { return m_step_x; }
    BallArray& GlideStepY() { return m_step_y; }
    BallArray& LastX() { return m_last_x; }
    BallArray& LastY() { return m_last_y; }
    BallArray& StartX() { return m_start_x; }
    BallArray& StartY() { return m_start_y; }
    const BallArray& GlideX() const { return m_glide_x; }
    const BallArray& GlideY() const { return m_glide_y; }
    const BallArray& GlideStepX() const { return m_step_x; }
    const BallArray& GlideStepY() const { return m_step_y; }
    const BallArray& LastX() const { return m_last_x; }
    const BallArray& LastY() const { return m_last_y; }
    const BallArray& StartX() const { return m_start_x; }
    const BallArray& StartY() const { return m_start_y; }
    // DrawOrder(1..10): the closing figure's fan, as RotateBallOrder built it.
    const std::array<int, kSmallBalls + 1>& DrawOrder() const { return m_draw_order; }

    // ---- the centre ball, likewise.
    double CenterStartX() const { return m_centre_start_x; }
    double CenterStartY() const { return m_centre_start_y; }
    double CenterLastX() const { return m_centre_last_x; }
    double CenterLastY() const { return m_centre_last_y; }
    double CenterStepX() const { return m_centre_step_x; }
    double CenterStepY() const { return m_centre_step_y; }
    double CenterGlideX() const { return m_centre_glide_x; }
    double CenterGlideY() const { return m_centre_glide_y; }
    void set_centre_start(double x, double y);
    void set_centre_last(double x, double y);
    // One frame of the centre ball's glide: its place less its step.
    void step_centre_glide();
    // Moves the centre ball's glide place by (dx, dy) without touching its step.
    void shift_centre_glide(double dx, double dy);
    // Halves the centre ball's step, so a glide aimed at a place covers half the way.
    void halve_centre_step();

private:
    Stage& m_stage;
    const Settings& m_settings;
    const Formation& m_formation;
    Random& m_random;
    std::function<void(int)> m_pause;

    BallArray m_glide_x{}, m_glide_y{};
    BallArray m_step_x{}, m_step_y{};
    BallArray m_last_x{}, m_last_y{};
    BallArray m_start_x{}, m_start_y{};
    std::array<int, kSmallBalls + 1> m_draw_order{};

    double m_centre_start_x = 0, m_centre_start_y = 0;
    double m_centre_last_x = 0, m_centre_last_y = 0;
    double m_centre_step_x = 0, m_centre_step_y = 0;
    double m_centre_glide_x = 0, m_centre_glide_y = 0;
};
