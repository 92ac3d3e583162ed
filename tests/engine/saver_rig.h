#pragma once

// A saver window on a headless host with its trace in memory, and a reader
// for the trace lines the tests look at.

#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace engine_test {

// The settings a fresh install has: every kind enabled, in sequence, speed
// 15, no pause, the single-colour background (so frames are cheap), and a
// distinct dark colour per ball.
Settings DefaultSettings();

struct Op {
    char what = 0; // 'R' restore, 'B' ball
    int ball = 0, x = 0, y = 0, w = 0, h = 0;
};

struct Event {
    std::string ev;
    std::string line;
    std::vector<Op> ops; // frames only
    long long number(const std::string& key) const; // an integer field; fails the test if absent
    bool flag(const std::string& key) const;
};

std::vector<Event> ParseTrace(const std::string& text);

class SaverRig {
public:
    explicit SaverRig(Settings settings = DefaultSettings(), host::Size screen = {1024, 768},
                      SaverStart start = {'S', false, -1}, std::uint64_t seed = 1);

    // Form_Load; the trace starts empty after it. Without the timer, a test
    // can call the engine's routines directly: their frames let pending
    // messages run, and a due tick would otherwise run inside them, which
    // the real saver never does (its routines run inside a tick).
    void Load(bool with_timer = true);
    // Runs the host loop until `ticks` more timer ticks have completed.
    void RunTicks(int ticks);
    // Everything traced since the last call.
    std::vector<Event> TakeEvents();
    std::vector<Event> TakeFrames();

    host::HeadlessHost host;
    Settings settings;
    Random random;
    std::ostringstream trace_text;
    Trace trace;
    std::unique_ptr<Ball_A> saver;
};

} // namespace engine_test
