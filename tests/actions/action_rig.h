#pragma once

// What the action tests share beyond the common saver rig: their settings,
// a rig that is loaded from the start and runs one routine at a time, and
// the check every action must pass (it runs to its end and leaves the balls
// in formation).

#include "support/saver_rig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace action_test {

using test_support::Event;
using test_support::Op;

// The common settings at the given speed with brighter ball colours.
inline Settings ActionSettings(std::int16_t speed = 15)
{
    Settings s = test_support::default_settings(speed);
    test_support::set_ball_colours(s, 20, 10, 120);
    return s;
}

// A loaded saver window whose trace goes to memory.
class ActionRig : public test_support::SaverRig {
public:
    explicit ActionRig(Settings s = ActionSettings(), int width = 1024, int height = 768,
                       std::uint64_t seed = 1)
        : SaverRig(std::move(s), test_support::screen_of(width, height), seed)
    {
        load();
    }

    // Calls one action routine directly and returns what it traced. The
    // window's timer is stopped first, so that no scheduler tick can start
    // inside the routine's pauses: it runs alone, as it does inside a tick.
    std::vector<Event> Run(void (*routine)(Figure&, int), int mode = 0)
    {
        if (saver.window())
            saver.window()->set_timer(0);
        routine(saver, mode);
        return take_events();
    }
};

// The modes of the closing figures in the order they were played.
inline std::vector<int> ClosingModes(const std::vector<Event>& events)
{
    std::vector<int> modes;
    for (const Event& e : events)
        if (e.ev == "closing")
            modes.push_back(int(e.number("mode")));
    return modes;
}

// True when pixel p is where a place at `at` is drawn. A place on a half
// pixel (on screens of odd size) may be drawn on either neighbour: a glide's
// last step lands a rounding error to one side of it.
inline bool DrawnAt(int p, double at)
{
    if (at - std::floor(at) == 0.5)
        return p == int(std::floor(at)) || p == int(std::ceil(at));
    return p == int(std::nearbyint(at));
}

// The action left the balls where the next one expects them: the formation
// fields are those it found, and its last frame draws every ball there.
inline void ExpectEndsInFormation(const Ball_A& saver, const std::vector<Event>& frames,
                                  const Ball_A::BallArray& fx, const Ball_A::BallArray& fy,
                                  double cx, double cy)
{
    for (std::size_t i = 1; i <= 10; ++i) {
        EXPECT_EQ(saver.formation().FormationX()[i], fx[i]) << "FormationX(" << i << ") changed";
        EXPECT_EQ(saver.formation().FormationY()[i], fy[i]) << "FormationY(" << i << ") changed";
    }
    EXPECT_EQ(saver.formation().CenterFormationX(), cx) << "CenterFormationX changed";
    EXPECT_EQ(saver.formation().CenterFormationY(), cy) << "CenterFormationY changed";
    ASSERT_FALSE(frames.empty()) << "the action drew no frame";
    const Event& last = frames.back();
    for (int i = 1; i <= 11; ++i) {
        const double ex = i == 11 ? cx : fx[std::size_t(i)];
        const double ey = i == 11 ? cy : fy[std::size_t(i)];
        const Op* op = last.ball(i);
        ASSERT_NE(op, nullptr) << "ball " << i << " missing from the last frame: " << last.line;
        EXPECT_TRUE(DrawnAt(op->x, ex))
            << "ball " << i << " ends at x: expected " << ex << " got " << op->x;
        EXPECT_TRUE(DrawnAt(op->y, ey))
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

inline KindRun RunOnlyKind(int kind, std::int16_t speed, std::uint64_t seed = 1, int width = 1024,
                           int height = 768)
{
    Settings settings = ActionSettings(speed);
    settings.g_ActionEnabled.fill(0);
    settings.g_ActionEnabled[std::size_t(kind)] = 1;
    KindRun run{std::make_unique<ActionRig>(settings, width, height, seed), {}};
    run.rig->run_ticks(kind);
    bool started = false;
    for (Event& e : run.rig->take_events()) {
        started = started || (e.ev == "action" && e.number("kind") == kind);
        if (started)
            run.events.push_back(std::move(e));
    }
    EXPECT_TRUE(started) << "kind " << kind << " never started";
    return run;
}

} // namespace action_test
