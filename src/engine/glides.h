#pragma once

#include "engine/ball_geometry.h"
#include "engine/formation.h"

#include <array>
#include <cstdint>
#include <functional>

class Stage;
class Random;
struct Settings;

// How a glide is played: each frame erased first, or erased once before the
// first frame so every ball leaves a trail of all its images, the finished
// picture held for a second.
enum class GlideKind { Clean, Trail };
// What GatherToCenter gathers: the small balls, the centre ball staying
// where the action placed it (drawn under them), or the centre ball too (on top).
enum class Gathering { SmallBalls, WithCentre };
// How RotateBallOrder picks the pivot ball: at random, or the one after the
// last pivot.
enum class PivotChoice { Random, Next };

// The glides: every ball travels in a straight line in g_Speed equal steps.
// The ball starts on its first place and the glide subtracts the step once
// per frame, so it stands on its second place after the last frame. The aim
// routines set one up; the glides that follow play what they aimed. The
// step is always (from - to) / g_Speed, computed the same way wherever a
// glide is aimed, so that every ball lands on the same pixels. Positions are
// cell corners, never centres; a figure that glides centres keeps its own.
//
// How a figure is handed on. Beside the glides proper the glides keep two
// sets of places, and these are the only values that pass from one routine
// to the next (the formation, formation.h, passes from one action to the
// next):
//
//   the start places (StartX/Y, CenterStartX/Y): where the next glide sets
//   out from. An action hands them on (hand_on_start, set_centre_start)
//   before GatherToCenter or GlideIntoFormation, which read them;
//   GatherToCenter leaves the gather point there; RotateBallOrder fills the
//   small balls' with the mirror places, which the closing figure and the
//   mirrored turns of the actions glide to.
//
//   the last places (LastX/Y, CenterLastX/Y): where the balls stand before a
//   mirrored turn. RotateBallOrder mirrors LastX/Y into StartX/Y. An action
//   that turns its ring over hands its ring on here first (hand_on_last);
//   FinishAction hands on the formation's places, and the closing figure
//   sets out from them and ends on them again.
//
// So an action ends with its balls on the formation's places and calls
// FinishAction; the next action starts from the formation.
class Glides {
public:
    using BallArray = Formation::BallArray;

    // `pause` holds the picture for a number of milliseconds (the trail's
    // hold after GlideBalls). Every reference must outlive the glides.
    Glides(Stage& stage, const Settings& settings, const Formation& formation, Random& random,
           std::function<void(int)> pause);
    Glides(const Glides&) = delete;
    Glides& operator=(const Glides&) = delete;

    // ---- aiming
    // Small ball i (1..10) from (from_x, from_y) onto (to_x, to_y).
    void aim_glide(int i, double from_x, double from_y, double to_x, double to_y);
    // All ten small balls, ball i from (from_x(i), from_y(i)) to (to_x(i), to_y(i)).
    void aim_glides(const BallArray& from_x, const BallArray& from_y, const BallArray& to_x,
                    const BallArray& to_y);
    // The centre ball. A centre ball that is to stay where it is gets
    // from == to, a step of 0.
    void aim_centre_glide(double from_x, double from_y, double to_x, double to_y);
    // Moves every small ball's glide place by (dx, dy), steps unchanged (a
    // glide aimed by the balls' centres and drawn by their corners).
    void shift_glides(double dx, double dy);
    // Moves the centre ball's glide place by (dx, dy) without touching its step.
    void shift_centre_glide(double dx, double dy);
    // Divides every small ball's step by `parts`: the g_Speed frames of a
    // glide then cover 1/parts of the way.
    void divide_steps(double parts);
    // Halves the centre ball's step, so a glide aimed at a place covers half the way.
    void halve_centre_step();

    // ---- playing the aimed glides to their end: g_Speed frames, each erased
    // first. GlideBalls draws the centre ball in ball 5's pass (a trail keeps
    // every frame's images and holds the picture for a second),
    // GlideBallsCenterOnTop after the small balls, glide_balls_centre_underneath
    // before them.
    void GlideBalls(GlideKind kind);
    void GlideBallsCenterOnTop();
    void glide_balls_centre_underneath();
    // One frame of the centre ball's glide: its place less its step.
    void step_centre_glide();

    // ---- the mirrored turn: RotateBallOrder chooses the pivot ball (at
    // random, or the one after `pivot`), mirrors LastX/Y about
    // it into StartX/Y and builds DrawOrder. Returns the pivot. The glides
    // from the last places to the mirror places are then aimed, and each leg
    // plays g_Speed mirrored frames.
    int RotateBallOrder(PivotChoice choice, int pivot);
    // Aims every small ball from its last place at its mirror place.
    void aim_at_mirror_places();
    // One frame of a mirrored leg: erase, then every small ball one step on
    // (outward: towards its mirror place, in DrawOrder; back: towards its
    // own, in DrawOrder reversed) and drawn at its glide place plus (dx, dy);
    // `draw_centre` right after the ball of slot kCentreAfterSlot; present.
    template <class DrawCentre>
    void mirrored_frame(bool outward, double dx, double dy, DrawCentre&& draw_centre)
    {
        restore_frame();
        for (int n = 1; n <= kSmallBalls; ++n) {
            const int slot = leg_slot(outward, n);
            step_and_draw(m_draw_order[std::size_t(slot)], outward, dx, dy);
            if (slot == kCentreAfterSlot)
                draw_centre();
        }
        present_frame();
    }

    // ---- aim and glide in one: the small balls from StartX/Y onto
    // (gather_x, gather_y) (with the centre ball, from CenterStartX/Y too), leaving the gather point as the start places; and
    // every ball from its start onto its formation place, start places kept.
    void GatherToCenter(Gathering what, double gather_x, double gather_y);
    void GlideIntoFormation();

    // ---- handing places on (see the top of this file)
    // Small balls 1..10 start the next glide from (x(i), y(i)), or ball i from (x, y).
    void hand_on_start(const BallArray& x, const BallArray& y);
    void hand_on_start(int i, double x, double y);
    void set_centre_start(double x, double y);
    // After mirrored turns: ball i starts the next glide from where ball
    // 11 - i was drawn, its glide place plus (dx, dy).
    void start_where_drawn_reversed(double dx, double dy);
    // The balls stand on (x(i), y(i)): what RotateBallOrder mirrors next.
    void hand_on_last(const BallArray& x, const BallArray& y);
    void set_centre_last(double x, double y);

    // Moves a snake on by one frame: slot 1 of (x, y) takes the lead's place
    // and slot i + 1 takes slot i's (slots 1..10), so slot i repeats where
    // the lead was i frames before. Called after each frame is drawn.
    static void shift_snake(BallArray& x, BallArray& y, double lead_x, double lead_y);

    // ---- read only: the small balls' (slots 1..10) and the centre ball's places.
    const BallArray& GlideX() const { return m_glide_x; }
    const BallArray& GlideY() const { return m_glide_y; }
    const BallArray& LastX() const { return m_last_x; }
    const BallArray& LastY() const { return m_last_y; }
    const BallArray& StartX() const { return m_start_x; }
    const BallArray& StartY() const { return m_start_y; }
    // DrawOrder(1..10): the mirrored turn's fan, as RotateBallOrder built it.
    const std::array<int, kSmallBalls + 1>& DrawOrder() const { return m_draw_order; }
    double CenterStartX() const { return m_centre_start_x; }
    double CenterStartY() const { return m_centre_start_y; }
    double CenterLastX() const { return m_centre_last_x; }
    double CenterLastY() const { return m_centre_last_y; }
    double CenterGlideX() const { return m_centre_glide_x; }
    double CenterGlideY() const { return m_centre_glide_y; }

private:
    // Ball b one step along its glide (outward) or back, drawn at its place plus (dx, dy).
    void step_and_draw(int b, bool outward, double dx, double dy);
    void restore_frame();
    void present_frame();

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
