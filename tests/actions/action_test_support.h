#pragma once

// Shared by the action tests: a loaded saver window on a headless host with
// its trace in memory, a reader for the trace lines, and the check every
// action must pass (it runs to its end and leaves the balls in formation).

#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "gfx/color.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace action_test {

// A fresh install's settings with the given speed: every kind enabled, in
// sequence, no pause, the single-colour background (frames are cheap), and
// a distinct colour per ball.
inline Settings DefaultSettings(std::int16_t speed = 15)
{
    Settings s;
    for (std::size_t n = 1; n <= 11; ++n) {
        s.g_BallRed[n] = std::int16_t(n * 20);
        s.g_BallGreen[n] = std::int16_t(n * 10);
        s.g_BallBlue[n] = 120;
    }
    for (std::size_t k = 1; k <= 20; ++k)
        s.g_ActionEnabled[k] = 1;
    s.g_OrderMode = 1;
    s.g_BackgroundColor = gfx::colorref(0, 0, 64);
    s.g_Speed = speed;
    s.g_SpeedFactor = SpeedFactorFor(speed);
    s.g_BackgroundMode = 2;
    s.g_BackgroundArrangement = 1;
    s.g_PcSpec = 0;
    return s;
}

// One drawing operation of a frame: 'R' a restore, 'B' a ball stamp.
struct Op {
    char what = 0;
    int ball = 0, x = 0, y = 0, w = 0, h = 0;
};

// One trace line; `ops` is filled for frames.
struct Event {
    std::string ev;
    std::string line;
    std::vector<Op> ops;

    // An integer field; the test fails when it is absent.
    long long Number(const std::string& key) const
    {
        const std::string quoted = "\"" + key + "\":";
        const std::size_t at = line.find(quoted);
        EXPECT_NE(at, std::string::npos) << "no \"" << key << "\" in " << line;
        return at == std::string::npos ? 0 : std::strtoll(line.c_str() + at + quoted.size(), nullptr, 10);
    }
    // The last stamp of ball n in this frame, or null.
    const Op* Ball(int n) const
    {
        const Op* found = nullptr;
        for (const Op& op : ops)
            if (op.what == 'B' && op.ball == n)
                found = &op;
        return found;
    }
};

inline std::vector<Op> ParseOps(const std::string& line)
{
    std::vector<Op> ops;
    const std::size_t at = line.find("\"ops\":[");
    if (at == std::string::npos)
        return ops;
    const char* p = line.c_str() + at + 7;
    while (*p == '[' || *p == ',') {
        if (*p == ',') {
            ++p;
            continue;
        }
        Op op;
        op.what = p[2]; // ["R"] or ["B",n,x,y,w,h]
        p += 4;
        if (op.what == 'B') {
            for (int* field : {&op.ball, &op.x, &op.y, &op.w, &op.h}) {
                ++p; // the comma
                char* end = nullptr;
                *field = int(std::strtol(p, &end, 10));
                p = end;
            }
        }
        ++p; // the closing ']'
        ops.push_back(op);
    }
    return ops;
}

inline std::vector<Event> ParseTrace(const std::string& text)
{
    std::vector<Event> events;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Event e;
        e.line = line;
        const std::size_t at = line.find("\"ev\":\"");
        if (at != std::string::npos) {
            const std::size_t from = at + 6;
            e.ev = line.substr(from, line.find('"', from) - from);
        }
        if (e.ev == "frame")
            e.ops = ParseOps(line);
        events.push_back(std::move(e));
    }
    return events;
}

// A loaded saver window whose trace goes to memory.
class ActionRig {
public:
    explicit ActionRig(Settings s = DefaultSettings(), int width = 1024, int height = 768,
                       std::uint64_t seed = 1)
        : host([&] {
              host::HeadlessOptions o;
              o.screen = {width, height};
              return o;
          }()),
          settings(std::move(s)), random(seed), trace(trace_text),
          saver(host, settings, random, SaverStart{'S', false, -1}, &trace)
    {
        saver.Form_Load();
        TakeEvents();
    }

    // Everything traced since the last call.
    std::vector<Event> TakeEvents()
    {
        trace.flush();
        std::vector<Event> events = ParseTrace(trace_text.str());
        trace_text.str("");
        return events;
    }

    // Calls one action routine directly and returns what it traced. The
    // window's timer is stopped first, so that no scheduler tick can start
    // inside the routine's pauses: it runs alone, as it does inside a tick.
    std::vector<Event> Run(void (*routine)(Ball_A&, std::int16_t), std::int16_t mode = 0)
    {
        if (saver.window)
            saver.window->set_timer(0);
        routine(saver, mode);
        return TakeEvents();
    }

    // Runs the scheduler until `ticks` timer ticks have completed.
    void RunTicks(int ticks)
    {
        int done = 0;
        host.set_after_tick([&] {
            if (++done == ticks)
                host.quit();
        });
        host.run();
        host.set_after_tick(nullptr);
    }

    host::HeadlessHost host;
    Settings settings;
    Random random;
    std::ostringstream trace_text;
    Trace trace;
    Ball_A saver;
};

inline std::vector<Event> FramesOf(const std::vector<Event>& events)
{
    std::vector<Event> frames;
    for (const Event& e : events)
        if (e.ev == "frame")
            frames.push_back(e);
    return frames;
}

// Index of the first event named `ev`, or events.size().
inline std::size_t IndexOf(const std::vector<Event>& events, const std::string& ev,
                           std::size_t from = 0)
{
    for (std::size_t i = from; i < events.size(); ++i)
        if (events[i].ev == ev)
            return i;
    return events.size();
}

// The modes of the closing figures in the order they were played.
inline std::vector<int> ClosingModes(const std::vector<Event>& events)
{
    std::vector<int> modes;
    for (const Event& e : events)
        if (e.ev == "closing")
            modes.push_back(int(e.Number("mode")));
    return modes;
}

// The action left the balls where the next one expects them: the formation
// fields are those it found, and its last frame draws every ball there.
inline void ExpectEndsInFormation(const Ball_A& saver, const std::vector<Event>& frames,
                                  const Ball_A::BallArray& fx, const Ball_A::BallArray& fy,
                                  double cx, double cy)
{
    for (std::size_t i = 1; i <= 10; ++i) {
        EXPECT_EQ(saver.FormationX[i], fx[i]) << "FormationX(" << i << ") changed";
        EXPECT_EQ(saver.FormationY[i], fy[i]) << "FormationY(" << i << ") changed";
    }
    EXPECT_EQ(saver.CenterFormationX, cx) << "CenterFormationX changed";
    EXPECT_EQ(saver.CenterFormationY, cy) << "CenterFormationY changed";
    ASSERT_FALSE(frames.empty()) << "the action drew no frame";
    const Event& last = frames.back();
    for (int i = 1; i <= 11; ++i) {
        const double ex = i == 11 ? cx : fx[std::size_t(i)];
        const double ey = i == 11 ? cy : fy[std::size_t(i)];
        const Op* op = last.Ball(i);
        ASSERT_NE(op, nullptr) << "ball " << i << " missing from the last frame: " << last.line;
        EXPECT_EQ(op->x, int(std::nearbyint(ex)))
            << "ball " << i << " ends at x: expected " << ex << " got " << op->x;
        EXPECT_EQ(op->y, int(std::nearbyint(ey)))
            << "ball " << i << " ends at y: expected " << ey << " got " << op->y;
    }
}

// A saver with only `kind` enabled, in sequence order, run through the
// scheduler until that kind's tick is over; `events` holds what was traced
// from the kind's "action" line on (the opening and the empty ticks before
// it left out).
struct KindRun {
    std::unique_ptr<ActionRig> rig;
    std::vector<Event> events;
};

inline KindRun RunOnlyKind(int kind, std::int16_t speed, std::uint64_t seed = 1)
{
    Settings settings = DefaultSettings(speed);
    settings.g_ActionEnabled.fill(0);
    settings.g_ActionEnabled[std::size_t(kind)] = 1;
    KindRun run{std::make_unique<ActionRig>(settings, 1024, 768, seed), {}};
    run.rig->RunTicks(kind);
    bool started = false;
    for (Event& e : run.rig->TakeEvents()) {
        started = started || (e.ev == "action" && e.Number("kind") == kind);
        if (started)
            run.events.push_back(std::move(e));
    }
    EXPECT_TRUE(started) << "kind " << kind << " never started";
    return run;
}

} // namespace action_test
