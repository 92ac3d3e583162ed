#pragma once

#include "engine/ball_geometry.h"
#include "engine/closing_swing.h"
#include "engine/formation.h"
#include "engine/glides.h"
#include "engine/monitor_covers.h"
#include "engine/random.h"
#include "engine/stage.h"
#include "engine/trace.h"
#include "gfx/surface.h"
#include "host/host.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// How the saver was started: the switch letter of the command line ('S' for
// the screen saver proper, 0 for an empty command line, where only a click ends
// the saver and the cursor stays visible).
struct SaverStart {
    char switch_letter = 0;
    bool command_line_empty = true;
    int cursor_count = 0; // the cursor counter as start-up left it
    // Every restore and every present covers the whole frame (for comparison
    // with the partial ones, and as a fallback).
    bool full_redraw = false;
};

// Whoever started the saver decides what its load does to the cursor and
// what ending it takes (a password, the cursor, the end of the process).
class SaverEnding {
public:
    virtual ~SaverEnding() = default;
    // Called first thing in the load, before the window opens.
    virtual void saver_loading() {}
    // The saver is asked to end (a click, a move); `window` is its window,
    // null if it has none. Returns only when the saver goes on running.
    virtual void end_saver(host::Window* window) = 0;
};

// Ball_A: the full-screen saver window. It owns every surface and every field
// of the animation; the scheduler, the renderer, the background composer, the
// compositor, the glides, the closing figure and all action routines work on
// this one object. Its member functions are spread over the files of
// src/engine by subject (lifecycle, scheduler, sprites, background, opening,
// compositor, glides, closing); the action routines are free functions in
// src/engine/actions that receive it.
//
// Field names keep the saver's own names. Ball arrays have slots 0 to 10 and
// use 1 to 10; ball 11 is the centre ball, ball 0 the ball of the grid
// background. Positions are the top-left corners of the balls' cells in
// screen pixels, as reals; they become whole pixels only when drawn.
class Ball_A : public host::WindowHandler {
public:
    using BallArray = Formation::BallArray;

    // Takes a speed and a pause outside the ranges of their settings keys
    // (1..30, 0..1000 ms; settings_keys.h) at the nearer bound, in `settings`,
    // which it keeps a reference to: no routine ever sees one outside them,
    // so no glide divides by zero and no curve runs for ever.
    //
    // `ending` (may be null: ending then just ends the process with 0) is
    // called back as the saver loads and ends; it must outlive the saver.
    Ball_A(host::Host& host, Settings& settings, Random& random, SaverStart start,
           Trace* trace = nullptr, SaverEnding* ending = nullptr);
    ~Ball_A() override;
    Ball_A(const Ball_A&) = delete;
    Ball_A& operator=(const Ball_A&) = delete;

    // ---- lifecycle (saver_window.cpp)
    // The load handler: sizes the window and surfaces to the screen (the
    // primary monitor; the others get covers), computes the starting
    // formations, draws the sprites and the background, starts the 10 ms
    // timer and shows the window topmost.
    void Form_Load();
    void Display_MouseDown(int button, double x, double y);
    void Display_MouseMove(float x, float y);
    // Tries to end the saver; returns only when the saver goes on running.
    void EndSaver();

    // ---- scheduler (scheduler.cpp)
    void Timer1_Timer(); // one tick: at most one whole action
    void BuildActionOrder();

    // ---- sprites (sprites.cpp)
    void DrawHalftoneBall(std::int16_t index, std::int16_t red, std::int16_t green,
                          std::int16_t blue);

    // ---- background and opening (background.cpp, opening.cpp)
    void ComposeBackground();
    void PlayOpening();

    // ---- the stage (stage.h): the surfaces and the compositor, the only
    // way anything reaches Display.
    Stage& stage() { return m_stage; }
    const Stage& stage() const { return m_stage; }
    // ---- the formation (formation.h): where every action starts and ends.
    const Formation& formation() const { return m_formation; }
    Formation& formation() { return m_formation; }

    // The primary monitor's size, "the screen" of every figure, and its middle.
    double ScreenWidthPx() const { return m_screen_width; }
    double ScreenHeightPx() const { return m_screen_height; }
    double g_CenterX() const { return m_screen_width / 2; }
    double g_CenterY() const { return m_screen_height / 2; }

    // The trace every routine writes to, the stage's; null when tracing is off.
    Trace* trace() const { return m_stage.trace(); }

    // A pause that is not a frame's own (holds, second pauses).
    void pause(int ms);
    // Lets pending window messages run (the mouse may end the saver here).
    void do_events();

    // ---- the glides (glides.h): the balls' straight-line glides, the places
    // they start from and hand on, and the closing figure's drawing order.
    Glides& glides() { return m_glides; }
    const Glides& glides() const { return m_glides; }

    // ---- closing figure (closing.cpp, closing_swing.h)
    ClosingSwing& closing() { return m_closing; }
    const ClosingSwing& closing() const { return m_closing; }
    void FinishAction();
    void PlayClosingTransition(std::int16_t mode);

    // ---- shared services for the actions
    // The one random generator's next value in [0, 1). Actions read the
    // setting values through `settings` and never change them.
    double Rnd() { return random.Rnd(); }

    // ---- window handler
    void on_mouse_down(int button, double x, double y) override;
    void on_mouse_move(int buttons, double x, double y) override;
    void on_timer() override;

    // ================= state =================
    // Which state lives here. The window holds what routines share that has
    // no object of its own yet: the closing figure's hold, and
    // RotationDegrees, which carries over between runs of its action. The
    // glides and the formation own the balls' places handed from one routine
    // to the next; the closing figure's pivot and swing are its own.
    // A value that lives only while one action runs (its edge points, its
    // snake, its lead, the centres it computes with) belongs in that action's
    // own state struct, never in a field here, and a field here keeps one
    // meaning in every routine: positions are cell corners, never centres.
    host::Host& host;
    Settings& settings;
    Random& random;
    SaverStart start;

    std::unique_ptr<host::Window> window;
    // The other monitors' covers (monitor_covers.h); none on one monitor.
    std::vector<std::unique_ptr<MonitorCover>> covers;

    std::array<std::int16_t, 21> ActionOrder{};
    std::int16_t ActionCounter = 20;
    bool FirstRun = true;
    std::int16_t HighlightStyle = 0;
    // Ticks started since load, for the trace; 64 bits, since at 100 ticks a
    // second (a run of empty ticks) 32 would overflow within a year.
    std::int64_t TickCount = 0;

    float MouseRefX = 0, MouseRefY = 0;
    bool MouseRefSet = false;

    // The closing figure's own copy of the last places.
    BallArray HoldX{}, HoldY{};

    // The ball-grid background.
    double GradientColumns = 0;
    double GradientRows = 0;
    std::int16_t g_GradientBallSize = 0;

    // Kept across runs of the Lissajous action: the turn of its rotated figures.
    double RotationDegrees = 0;

private:
    // A borderless window over the primary monitor, still hidden, its frame
    // and the background filled with the background colour; the other
    // monitors get their covers, hidden too. False when the host gives no window.
    bool open_full_screen_window();

    SaverEnding* m_ending;
    Stage m_stage;
    double m_screen_width = 0, m_screen_height = 0;
    Formation m_formation;
    Glides m_glides;
    ClosingSwing m_closing;
};
