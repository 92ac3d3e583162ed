#pragma once

#include "engine/ball_geometry.h"
#include "engine/carry_over.h"
#include "engine/formation.h"
#include "engine/glides.h"

#include <cstdint>

// The figure contract: everything an action routine (src/engine/actions)
// may use, and the only engine header an action includes. The saver window
// fills it in; an action receives it and knows nothing else of the saver.
//
// What it offers:
//
//   the stage's verbs: erase the balls drawn since the last erase
//   (RestoreBackground), stamp a ball (BlitBall, blit_ball_scaled), present
//   the frame and pause after it (PresentFrame), and pauses that are not a
//   frame's own (pause, do_events). Each writes its trace entry, so the
//   trace of a figure is complete by construction;
//
//   the glides (glides.h): aim every ball at places, play the aimed glides
//   to their end, the mirrored turn, and the hand-over of places from one
//   routine to the next, written down at the top of glides.h;
//
//   the formation, read only: the places every action starts from, and
//   the rods. An action ends with its balls on the formation's places and
//   calls FinishAction, which plays the closing figure from there;
//
//   the one random generator (Rnd), the screen's geometry (the primary
//   monitor's size and middle) and the settings a figure reads, as typed
//   values already within their keys' ranges; and CarryOver, what an
//   action keeps from one of its runs to the next.
//
// Positions are the top-left corners of the balls' cells in screen pixels,
// as reals; they become whole pixels only when drawn. Ball arrays have
// slots 0 to 10 and use 1 to 10; ball 11 (kCentreBall) is the centre ball.
// How the centre ball spends the closing figure: where the action left it,
// or swinging once round the pivot ball's cell centre at the ring radius.
enum class ClosingCentre { Still, Swing };

class Figure {
public:
    using BallArray = Formation::BallArray;

    // ---- the stage
    virtual void RestoreBackground() = 0;
    virtual void BlitBall(int n, double x, double y) = 0;
    // Ball n stretched from its full cell to w x h (0 or negative sizes
    // draw nothing or draw mirrored).
    virtual void blit_ball_scaled(int n, double x, double y, double w, double h) = 0;
    // Refresh, let pending messages run (the mouse may end the saver here),
    // pause frame_pause_ms().
    virtual void PresentFrame() = 0;
    // A pause that is not a frame's own (holds, second pauses).
    virtual void pause(int ms) = 0;
    // Lets pending window messages run.
    virtual void do_events() = 0;

    // ---- the glides and the formation
    virtual Glides& glides() = 0;
    virtual const Formation& formation() const = 0;

    // ---- the closing figure: the ring turns over about a random pivot ball
    // from the last places and back onto them. FinishAction hands the
    // formation's places on as the last places and plays it with the centre
    // ball still; an action may play it in between (PlayClosingTransition)
    // from the last places it handed on.
    virtual void FinishAction() = 0;
    virtual void PlayClosingTransition(ClosingCentre centre) = 0;

    // ---- the random generator: its next value in [0, 1).
    virtual double Rnd() = 0;

    // ---- the screen: the primary monitor's size, "the screen" of every
    // figure, and its middle.
    virtual double ScreenWidthPx() const = 0;
    virtual double ScreenHeightPx() const = 0;
    double CenterX() const { return ScreenWidthPx() / 2; }
    double CenterY() const { return ScreenHeightPx() / 2; }

    // ---- the settings a figure reads: the frames of every glide (g_Speed,
    // 1..30, larger is slower), the curve actions' step factor
    // (g_SpeedFactor, 1 at speed 15) and the pause after each frame
    // (g_PcSpec, 0..1000 ms).
    virtual int speed() const = 0;
    virtual double speed_factor() const = 0;
    virtual int frame_pause_ms() const = 0;

    // ---- what the action carries from one run to the next.
    virtual CarryOver& carry_over() = 0;

protected:
    Figure() = default;
    ~Figure() = default;
    Figure(const Figure&) = default;
    Figure& operator=(const Figure&) = default;
};
