#include "action_rig.h"
#include "figure_checks.h"

#include "engine/actions/action_table.h"
#include "host/host.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

// Every kind that has a routine in the dispatch table, alone through the
// scheduler, at every speed from 1 to 30 (speed factors 3.8 down to 0.25) and
// on screens from the ordinary down to a single pixel: it must come to its end (no loop that
// never closes, whatever the speed factor or the screen's size), play its
// closing figure and leave every ball on its formation place. New actions
// join this test by their row in the table.
//
// The closing figure, and the kinds that turn the ring over in legs of their
// own, draw every leg in the fan of its pivot (reversed on the way back) with
// the centre ball right after the fan's fifth ball.

using namespace action_test;
using namespace test_support;

namespace {

// Far more frames than any figure draws at the slowest speed: a run that
// reaches this has a loop that does not end.
constexpr int kFrameLimit = 200000;

std::vector<int> BuiltKinds()
{
    std::vector<int> kinds;
    for (const ActionEntry& entry : action_table())
        if (entry.routine)
            kinds.push_back(entry.kind);
    return kinds;
}

struct Screen {
    int width;
    int height;
};

using Case = std::tuple<int, int, Screen>; // kind, speed, screen

// The kinds whose figure is made of mirrored turns of two g_Speed-frame legs:
// the frames that come before the first turn at speed n. The turns go on
// until the glide home (n frames) and the closing figure (2 n).
struct TurningKind {
    int kind;
    int (*frames_before)(int n);
};
const TurningKind kTurningKinds[] = {
    {5, [](int) { return 0; }},      // solid rotation
    {11, [](int n) { return n + 1; }}, // passing through, after its opening
};

class EveryAction : public testing::TestWithParam<Case> {};

TEST_P(EveryAction, RunsAloneToItsEndAndLeavesTheBallsInFormation)
{
    const auto [kind, speed, screen] = GetParam();
    Settings settings = ActionSettings(std::int16_t(speed));
    settings.g_ActionEnabled.fill(0);
    settings.g_ActionEnabled[std::size_t(kind)] = 1;
    ActionRig rig(settings, screen.width, screen.height);

    int frames_drawn = 0;
    rig.host.set_frame_sink([&](const host::Window&, const gfx::Surface&) {
        if (++frames_drawn > kFrameLimit)
            throw host::ProcessEnd{99};
    });
    try {
        rig.run_ticks(kind);
    } catch (const host::ProcessEnd&) {
        FAIL() << "kind " << kind << " still running after " << kFrameLimit << " frames";
    }

    std::vector<Event> events;
    bool started = false;
    for (Event& e : rig.take_events()) {
        started = started || (e.ev == "action" && e.number("kind") == kind);
        if (started)
            events.push_back(std::move(e));
    }
    ASSERT_TRUE(started) << "kind " << kind << " never started";
    const std::vector<int> closings = ClosingModes(events);
    ASSERT_FALSE(closings.empty()) << "no closing figure";
    EXPECT_EQ(closings.back(), 1) << "the action does not end with the plain closing figure";
    const Ball_A& s = rig.saver;
    const std::vector<Event> frames = frames_of(events);
    ExpectEndsInFormation(s, frames, s.formation().FormationX(), s.formation().FormationY(), s.formation().CenterFormationX(),
                          s.formation().CenterFormationY());

    const int n = speed;
    ASSERT_GE(frames.size(), std::size_t(2 * n));
    ExpectTurnDrawingOrder(frames, frames.size() - std::size_t(2 * n), n, "closing figure");
    for (const TurningKind& turning : kTurningKinds) {
        if (turning.kind != kind)
            continue;
        const int first = turning.frames_before(n);
        const int turns_end = int(frames.size()) - 3 * n;
        ASSERT_GT(turns_end, first);
        EXPECT_EQ((turns_end - first) % (2 * n), 0) << "the turns are whole";
        for (int at = first; at + 2 * n <= turns_end; at += 2 * n)
            ExpectTurnDrawingOrder(frames, std::size_t(at), n,
                                   "turn from frame " + std::to_string(at + 1));
    }
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (int kind : BuiltKinds()) {
        for (int speed = 1; speed <= 30; ++speed)
            cases.emplace_back(kind, speed, Screen{320, 240});
        for (int speed : {1, 15, 30})
            cases.emplace_back(kind, speed, Screen{1, 1});
        cases.emplace_back(kind, 15, Screen{1024, 768});
        cases.emplace_back(kind, 15, Screen{47, 30});
        cases.emplace_back(kind, 30, Screen{800, 600});
    }
    return cases;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    const auto [kind, speed, screen] = info.param;
    return "kind" + std::to_string(kind) + "_speed" + std::to_string(speed) + "_"
           + std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

INSTANTIATE_TEST_SUITE_P(BuiltKinds, EveryAction, testing::ValuesIn(Cases()), CaseName);

} // namespace
