// Every built action through the scheduler, one table row per action.
#include "action_rig.h"

#include "engine/actions/action_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace action_test;
using namespace test_support;

namespace {

struct ActionRow {
    int kind;
    const char* routine_name;
};

// One row per built kind; a new action adds its own.
const std::vector<ActionRow> kBuiltActions = {
    {1, "Act_LinearMotion"}, {2, "Act_RodRotation"}, {5, "Act_SolidRotation"},
    {9, "Act_Lissajous"},    {10, "Act_Cycloid"},    {14, "Act_RodRotation"},
};

TEST(EveryAction, EachBuiltKindHasItsRow)
{
    std::vector<int> built;
    for (const ActionEntry& entry : action_table())
        if (entry.routine)
            built.push_back(entry.kind);
    std::vector<int> rows;
    for (const ActionRow& row : kBuiltActions) {
        rows.push_back(row.kind);
        EXPECT_EQ(std::string(action_table()[std::size_t(row.kind)].routine_name), row.routine_name)
            << "kind " << row.kind;
    }
    EXPECT_EQ(rows, built) << "every kind with a routine needs a row here, in kind order";
}

// Alone, at the slowest, default and fastest speeds, on screens from large to
// smaller than the figure: the action ends with the plain closing figure and
// leaves every ball where it found it, where the next action expects it.
TEST(EveryAction, RunsAloneToItsEndInFormation)
{
    struct Screen {
        int width, height;
    };
    for (const ActionRow& row : kBuiltActions) {
        for (std::int16_t speed : {1, 15, 30}) {
            for (Screen screen : {Screen{1024, 768}, Screen{320, 200}, Screen{47, 30}}) {
                SCOPED_TRACE(std::string(row.routine_name) + " kind " + std::to_string(row.kind)
                             + " speed " + std::to_string(speed) + " on "
                             + std::to_string(screen.width) + "x" + std::to_string(screen.height));
                KindRun run = RunOnlyKind(row.kind, speed, 3, screen.width, screen.height);
                const Ball_A& s = run.rig->saver;
                const std::vector<int> closings = ClosingModes(run.events);
                ASSERT_FALSE(closings.empty());
                EXPECT_EQ(closings.back(), 1);
                ExpectEndsInFormation(s, frames_of(run.events), s.FormationX, s.FormationY,
                                      s.CenterFormationX, s.CenterFormationY);
            }
        }
    }
}

} // namespace
