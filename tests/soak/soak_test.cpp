// The soak: every action that is built, in random order, at speeds 1, 15
// and 30 with no pause, on screens of 1 x 1, 320 x 200 and 1024 x 768,
// through the render tool of the sanitizer build.
// Actions are taken from the engine's table, so the soak grows as they land.
#include "render_test_support.h"

#include "engine/actions/action_table.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Soak {
    int speed;
    int width, height;
    int ticks;
};

// A tick runs one whole action; under the sanitizers an action costs about
// as much at 320 x 200 as at 1024 x 768 (a small screen plays more frames),
// and a twentieth of that at 1 x 1. A cycle of twenty ticks plays every
// built action once, in a fresh random order, so each screen runs whole
// cycles: the tiny screen five (each action after several others), the
// small one two, the large one a single cycle.
const Soak kSoaks[] = {
    {1, 1, 1, 100},     {15, 1, 1, 100},     {30, 1, 1, 100},
    {1, 320, 200, 40},  {15, 320, 200, 40},  {30, 320, 200, 40},
    {1, 1024, 768, 20}, {15, 1024, 768, 20}, {30, 1024, 768, 20},
};

class SoakTest : public testing::TestWithParam<Soak> {};

TEST_P(SoakTest, EveryBuiltActionRunsWithoutASanitizerReport)
{
    const Soak soak = GetParam();
    ScratchDir dir;
    Settings s{};
    LoadSettings(s, (dir.path / "none.ini").string()); // every default: all actions, random order
    s.g_Speed = std::int16_t(soak.speed);
    s.g_PcSpec = 0;
    const fs::path ini = dir.path / "Orvelune.ini";
    ASSERT_TRUE(save_settings_file(ini.string(), s).ok);

    const fs::path trace = dir.path / "trace.jsonl";
    ToolRun run = RunRenderTool({"--ini", ini.string(), "--ticks", std::to_string(soak.ticks), "--seed",
                                 std::to_string(soak.speed * 7919 + soak.width), "--size",
                                 std::to_string(soak.width) + "x" + std::to_string(soak.height), "--trace",
                                 trace.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "a sanitizer reported";

    std::map<long long, int> actions;
    long long frames = 0;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("{\"ev\":\"frame\"", 0) == 0)
            ++frames;
        else if (line.rfind("{\"ev\":\"action\"", 0) == 0)
            ++actions[Field(line, "kind")];
    }
    std::string played;
    for (const ActionEntry& entry : action_table()) {
        if (!entry.routine)
            continue;
        EXPECT_GT(actions[entry.kind], 0) << "kind " << entry.kind << " never ran";
        played += " " + std::to_string(entry.kind) + "x" + std::to_string(actions[entry.kind]);
    }
    std::printf("soak speed %d, %dx%d: %d ticks, %lld frames, actions%s\n", soak.speed, soak.width, soak.height,
                soak.ticks, frames, played.c_str());
}

INSTANTIATE_TEST_SUITE_P(SpeedsAndSizes, SoakTest, testing::ValuesIn(kSoaks),
                         [](const testing::TestParamInfo<Soak>& info) {
                             return "speed" + std::to_string(info.param.speed) + "_"
                                    + std::to_string(info.param.width) + "x"
                                    + std::to_string(info.param.height);
                         });

} // namespace
