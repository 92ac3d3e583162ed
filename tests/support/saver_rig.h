#pragma once

// A saver window (Ball_A) on a headless host with its trace kept in memory,
// and the settings the tests start from.

#include "support/trace_reader.h"

#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "gfx/color.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"
#include "startup/saver_ending.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

// Ball n gets (n * red_step, n * green_step, blue): a colour of its own
// unless both steps are 0.
inline void set_ball_colours(Settings& s, int red_step, int green_step, int blue)
{
    for (std::size_t n = 1; n <= 11; ++n) {
        s.g_BallRed[n] = std::int16_t(int(n) * red_step);
        s.g_BallGreen[n] = std::int16_t(int(n) * green_step);
        s.g_BallBlue[n] = std::int16_t(blue);
    }
}

// A fresh install's settings at the given speed: every kind enabled, in
// sequence, no pause, the single-colour background (so frames are cheap),
// and a distinct dark colour per ball.
inline Settings default_settings(std::int16_t speed = 15)
{
    Settings s;
    set_ball_colours(s, 4, 2, 88);
    for (std::size_t k = 1; k <= 20; ++k)
        s.g_ActionEnabled[k] = 1;
    s.g_OrderMode = 1;
    s.g_BackgroundColor = gfx::colorref(0, 0, 64);
    s.g_Speed = speed;
    s.g_SpeedFactor = speed_factor_for(speed);
    s.g_BackgroundMode = 2;
    s.g_BackgroundArrangement = 1;
    s.g_PcSpec = 0;
    return s;
}

inline host::HeadlessOptions screen_of(int width, int height)
{
    host::HeadlessOptions options;
    options.screen = {width, height};
    return options;
}

class SaverRig {
public:
    // The saver is constructed, not loaded: a test loads it with load() or
    // calls on_load (or any other routine) itself.
    explicit SaverRig(Settings s = default_settings(), host::HeadlessOptions options = {},
                      std::uint64_t seed = 1, SaverStart start = {'S', false, -1})
        : host(std::move(options)), settings(std::move(s)), random(seed), trace(trace_text),
          ending(host, start), saver(host, settings, random, start, &trace, &ending)
    {
    }

    // on_load; the trace starts empty after it. Without the timer, a test
    // can call the engine's routines directly: their frames let pending
    // messages run, and a due tick would otherwise run inside them, which
    // the real saver never does (its routines run inside a tick).
    void load(bool with_timer = true)
    {
        saver.on_load();
        if (!with_timer)
            saver.window()->set_timer(0);
        take_events();
    }

    // Runs the host loop until `ticks` more timer ticks have completed.
    void run_ticks(int ticks)
    {
        int done = 0;
        host.set_after_tick([&] {
            if (++done == ticks)
                host.quit();
        });
        host.run();
        host.set_after_tick(nullptr);
    }

    // Everything traced since the last call, as text or as events.
    std::string take_trace()
    {
        trace.flush();
        std::string text = trace_text.str();
        trace_text.str({});
        return text;
    }
    std::vector<Event> take_events() { return parse_trace(take_trace()); }
    std::vector<Event> take_frames() { return frames_of(take_events()); }

    host::HeadlessHost host;
    Settings settings;
    Random random;
    std::ostringstream trace_text;
    Trace trace;
    SaverEndingPolicy ending; // start-up's, as the programs run it
    Ball_A saver;
};

} // namespace test_support
