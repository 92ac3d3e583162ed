#include "action_rig.h"

#include "engine/actions/action_table.h"
#include "host/headless/headless_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

// Restoring and presenting only what changed must not change one pixel:
// every built kind, with the next one after it, through the scheduler
// (the opening, a new background between them), on each background and at
// several sizes and speeds, is played once with whole restores and presents
// and once with partial ones, and every frame is compared, both as drawn
// and as the screen shows it after the partial presents.

using namespace action_test;
using namespace test_support;

namespace {

struct Setup {
    const char* name;
    int width, height;
    int speed;
    int background;  // g_BackgroundMode
    int arrangement; // for the picture
};

// The ball grid and the picture change the background under the balls; the
// small screens put most figures partly off it.
constexpr Setup kSetups[] = {
    {"grid_320x200_speed30", 320, 200, 30, 1, 1},
    {"colour_320x200_speed1", 320, 200, 1, 2, 1},
    {"colour_47x30_speed15", 47, 30, 15, 2, 1},
    {"tiled_picture_160x120_speed15", 160, 120, 15, 4, 2},
    {"startup_screen_200x150_speed10", 200, 150, 10, 3, 1},
};

void PrintTo(const Setup& setup, std::ostream* out) { *out << setup.name; }

// A picture with no two neighbours alike, so that a block restored from
// the wrong place shows.
gfx::Surface Gradient(int width, int height)
{
    gfx::Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, gfx::rgb((x * 7) & 255, (y * 11) & 255, (x * y) & 255));
    return s;
}

std::uint64_t Fingerprint(const gfx::Surface& s)
{
    std::uint64_t h = 14695981039346656037u; // FNV-1a
    for (gfx::Pixel p : s.pixels()) {
        h ^= p;
        h *= 1099511628211u;
    }
    return h;
}

struct Frames {
    std::vector<std::uint64_t> drawn; // Display after each present
    std::vector<std::uint64_t> shown; // the screen after each present
};

Frames Play(int kind, const Setup& setup, bool full_redraw)
{
    Settings settings = ActionSettings(std::int16_t(setup.speed));
    // The kind, then the next one in the sequence: between them the sprites
    // and the background are composed anew.
    const int next = kind % 20 + 1;
    settings.g_ActionEnabled.fill(0);
    settings.g_ActionEnabled[std::size_t(kind)] = 1;
    settings.g_ActionEnabled[std::size_t(next)] = 1;
    settings.g_BackgroundMode = std::int16_t(setup.background);
    settings.g_BackgroundArrangement = std::int16_t(setup.arrangement);
    settings.g_BackgroundPicturePath = "picture";
    settings.g_BackgroundColor = gfx::colorref(128, 64, 64);

    host::HeadlessOptions options = screen_of(setup.width, setup.height);
    options.desktop = Gradient(setup.width + 13, setup.height - 7);
    options.picture_loader = [](const std::string&, gfx::Surface& out) {
        out = Gradient(37, 23);
        return true;
    };
    SaverRig rig(settings, options, 5);
    rig.saver.trace = nullptr;
    rig.saver.full_redraw = full_redraw;

    Frames frames;
    host::ShownPicture shown;
    rig.host.set_frame_sink([&](const host::Window& window, const gfx::Surface& frame) {
        shown.update(rig.host.record_for(window), frame);
        frames.drawn.push_back(Fingerprint(frame));
        frames.shown.push_back(Fingerprint(shown.picture()));
    });
    rig.load();
    rig.run_ticks(kind + 1); // tick 21 starts the next cycle with kind 1
    return frames;
}

using Case = std::tuple<int, Setup>;

class PartialRedraw : public testing::TestWithParam<Case> {};

TEST_P(PartialRedraw, GivesEveryFrameOfTheFullRedraw)
{
    const auto [kind, setup] = GetParam();
    const Frames full = Play(kind, setup, true);
    const Frames partial = Play(kind, setup, false);
    ASSERT_GT(full.drawn.size(), std::size_t(2 * setup.speed)) << "no action was played";
    ASSERT_EQ(partial.drawn.size(), full.drawn.size()) << "frame counts differ";
    for (std::size_t i = 0; i < full.drawn.size(); ++i) {
        ASSERT_EQ(full.shown[i], full.drawn[i]) << "frame " << i + 1 << ": a whole refresh";
        ASSERT_EQ(partial.drawn[i], full.drawn[i]) << "frame " << i + 1 << " drawn differently";
        ASSERT_EQ(partial.shown[i], full.drawn[i])
            << "frame " << i + 1 << " drawn alike but not all of its changes reached the screen";
    }
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (const Setup& setup : kSetups)
        for (const ActionEntry& entry : action_table())
            if (entry.routine)
                cases.emplace_back(entry.kind, setup);
    return cases;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    const auto& [kind, setup] = info.param;
    return "kind" + std::to_string(kind) + "_" + setup.name;
}

INSTANTIATE_TEST_SUITE_P(BuiltKinds, PartialRedraw, testing::ValuesIn(Cases()), CaseName);

} // namespace
