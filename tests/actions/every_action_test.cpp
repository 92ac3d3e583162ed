#include "action_rig.h"

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

using namespace action_test;
using namespace test_support;

namespace {

// Far more frames than any figure draws at the slowest speed: a run that
// reaches this has a loop that does not end.
constexpr int kFrameLimit = 200000;

std::vector<int> BuiltKinds()
{
    std::vector<int> kinds;
    for (const ActionEntry& entry : ActionTable())
        if (entry.routine)
            kinds.push_back(entry.kind);
    return kinds;
}

struct Screen {
    int width;
    int height;
};

using Case = std::tuple<int, int, Screen>; // kind, speed, screen

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
        rig.RunTicks(kind);
    } catch (const host::ProcessEnd&) {
        FAIL() << "kind " << kind << " still running after " << kFrameLimit << " frames";
    }

    std::vector<Event> events;
    bool started = false;
    for (Event& e : rig.TakeEvents()) {
        started = started || (e.ev == "action" && e.Number("kind") == kind);
        if (started)
            events.push_back(std::move(e));
    }
    ASSERT_TRUE(started) << "kind " << kind << " never started";
    EXPECT_FALSE(ClosingModes(events).empty()) << "no closing figure";
    const Ball_A& s = rig.saver;
    ExpectEndsInFormation(s, FramesOf(events), s.FormationX, s.FormationY, s.CenterFormationX,
                          s.CenterFormationY);
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
