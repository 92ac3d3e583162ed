#pragma once

#include "engine/ball_geometry.h"
#include "engine/ball_grid.h"
#include "engine/carry_over.h"
#include "engine/closing_swing.h"
#include "engine/figure.h"
#include "engine/formation.h"
#include "engine/glides.h"
#include "engine/monitor_covers.h"
#include "engine/random.h"
#include "engine/scheduler.h"
#include "engine/stage.h"
#include "engine/trace.h"
#include "gfx/surface.h"
#include "host/host.h"
#include "settings/settings.h"

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

// Ball_A: the full-screen saver window. It owns the parts of the animation,
// each an object with its own state: the stage (the surfaces and the
// compositor), the formation, the glides, the closing figure's hold and
// swing, the scheduler, the ball grid and what actions carry over between
// runs. Its member functions are spread over the files of src/engine by
// subject (lifecycle, scheduler, sprites, background, opening, closing); the
// action routines are free functions in src/engine/actions that receive it
// as their figure contract (figure.h) and reach only what that offers. A value that lives only while one action
// runs (its edge points, its snake, its lead, the places it holds) belongs in
// that action's own state struct.
//
// Names keep the saver's own names. Ball arrays have slots 0 to 10 and
// use 1 to 10; ball 11 is the centre ball, ball 0 the ball of the grid
// background. Positions are the top-left corners of the balls' cells in
// screen pixels, as reals; they become whole pixels only when drawn.
class Ball_A : public host::WindowHandler, public Figure {
public:
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
    void on_load();
    void Display_MouseDown(int button, double x, double y);
    void Display_MouseMove(float x, float y);
    // Tries to end the saver; returns only when the saver goes on running.
    void EndSaver();

    // ---- scheduler (scheduler.cpp, scheduler.h)
    void on_tick(); // one tick: at most one whole action

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
    const Formation& formation() const override { return m_formation; }
    Formation& formation() { return m_formation; }

    // The primary monitor's size, "the screen" of every figure, and its middle.
    double ScreenWidthPx() const override { return m_screen_width; }
    double ScreenHeightPx() const override { return m_screen_height; }

    // The parts that do not draw: the scheduler's order and counters, the
    // ball grid of the last composed background, what actions carry over.
    Scheduler& scheduler() { return m_scheduler; }
    const Scheduler& scheduler() const { return m_scheduler; }
    const BallGrid& grid() const { return m_grid; }
    CarryOver& carry_over() override { return m_carry_over; }
    const CarryOver& carry_over() const { return m_carry_over; }

    // What the saver was given. Actions read the setting values and never
    // change them.
    host::Host& host() { return m_host; }
    const Settings& settings() const { return m_settings; }
    const SaverStart& start() const { return m_start; }
    // The saver's window, null until the load opened it (or when the host
    // gave none); the other monitors' covers (monitor_covers.h), none on one
    // monitor.
    host::Window* window() { return m_window.get(); }
    const host::Window* window() const { return m_window.get(); }
    const std::vector<std::unique_ptr<MonitorCover>>& covers() const { return m_covers; }
    // Where the first move after the window showed found the pointer: the
    // reference later moves are judged against.
    float MouseRefX() const { return m_mouse_ref_x; }
    float MouseRefY() const { return m_mouse_ref_y; }

    // The trace every routine writes to, the stage's; null when tracing is off.
    Trace* trace() const { return m_stage.trace(); }

    // A pause that is not a frame's own (holds, second pauses).
    void pause(int ms) override;
    // Lets pending window messages run (the mouse may end the saver here).
    void do_events() override;

    // ---- the glides (glides.h): the balls' straight-line glides, the places
    // they start from and hand on, and the closing figure's drawing order.
    Glides& glides() override { return m_glides; }
    const Glides& glides() const { return m_glides; }

    // ---- closing figure (closing.cpp, closing_swing.h)
    ClosingSwing& closing() { return m_closing; }
    const ClosingSwing& closing() const { return m_closing; }
    void FinishAction() override;
    void PlayClosingTransition(ClosingCentre centre) override;

    // ---- the rest of the figure contract (figure.h)
    // The one random generator's next value in [0, 1).
    double Rnd() override { return m_random.Rnd(); }
    void RestoreBackground() override { m_stage.RestoreBackground(); }
    void BlitBall(int n, double x, double y) override { m_stage.BlitBall(n, x, y); }
    void blit_ball_scaled(int n, double x, double y, double w, double h) override
    {
        m_stage.blit_ball_scaled(n, x, y, w, h);
    }
    void PresentFrame() override { m_stage.PresentFrame(); }
    int speed() const override { return m_settings.g_Speed; }
    double speed_factor() const override { return m_settings.g_SpeedFactor; }
    int frame_pause_ms() const override { return m_settings.g_PcSpec; }

    // ---- window handler
    void on_mouse_down(int button, double x, double y) override;
    void on_mouse_move(int buttons, double x, double y) override;
    void on_timer() override;
    // The monitors changed under the saver: what it plays is laid out for
    // monitors that are gone or have another size, so it stops (the action
    // that runs is cut short) and ends the host's loop; whoever runs it
    // loads a new saver on the monitors as they are now (monitors_changed()).
    void on_monitors_changed() override;

    // ---- starting over
    // True once the monitors changed under the saver.
    bool monitors_changed() const { return m_monitors_changed; }
    // Stops the timer, so that nothing more is played on the window, which
    // stays on the screen until the saver is destroyed.
    void stop();

private:
    // A borderless window over the primary monitor, still hidden, its frame
    // and the background filled with the background colour; the other
    // monitors get their covers, hidden too. False when the host gives no window.
    bool open_full_screen_window();

    host::Host& m_host;
    Settings& m_settings;
    Random& m_random;
    SaverStart m_start;
    SaverEnding* m_ending;

    std::unique_ptr<host::Window> m_window;
    std::vector<std::unique_ptr<MonitorCover>> m_covers;
    float m_mouse_ref_x = 0, m_mouse_ref_y = 0;
    bool m_mouse_ref_set = false;
    bool m_in_tick = false;
    bool m_monitors_changed = false;

    Stage m_stage;
    double m_screen_width = 0, m_screen_height = 0;
    Formation m_formation;
    Glides m_glides;
    ClosingSwing m_closing;
    Scheduler m_scheduler;
    BallGrid m_grid;
    CarryOver m_carry_over;
};
