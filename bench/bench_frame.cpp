// One whole animation frame as the actions build it: the background
// restored, the balls stamped (mask AND, sprite XOR) a step further round
// their ring than in the frame before, and the frame presented (on the
// headless host: the blocks are recorded, nothing is copied), with the trace
// off. Side by side in one run: whole restores and presents (full) against
// restoring and presenting only what changed (partial), on the single
// colour and on the ball grid, and memcpy of one frame's bytes. A real frame
// stamps eleven balls; the 22-ball case stands for the busiest trail frames.
#include "engine/random.h"
#include "engine/saver_window.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

Settings BenchSettings(int background)
{
    Settings s;
    for (int n = 1; n <= 11; ++n) {
        s.g_BallRed[std::size_t(n)] = std::int16_t(8 * n);
        s.g_BallGreen[std::size_t(n)] = 40;
        s.g_BallBlue[std::size_t(n)] = 88;
    }
    s.g_ActionEnabled.fill(1);
    s.g_OrderMode = 1;
    s.g_Speed = 15;
    s.g_SpeedFactor = 1;
    s.g_BackgroundMode = std::int16_t(background); // 1 copies Pic_Base, 2 fills
    s.g_PcSpec = 0;
    return s;
}

void BM_Frame(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const int balls = int(state.range(2));
    const int background = int(state.range(3));
    const bool full = state.range(4) != 0;

    host::HeadlessOptions options;
    options.screen = {width, height};
    host::HeadlessHost host(options);
    Settings settings = BenchSettings(background);
    Random random(1);
    Ball_A saver(host, settings, random, SaverStart{'S', false, -1}, nullptr);
    saver.stage().set_full_redraw(full);
    saver.on_load();
    saver.window()->set_timer(0);

    // The balls spread over a ring round the centre, at fractional
    // positions, each frame a little further round: every stamp lies fully
    // on the screen, and each cell overlaps the one it left, as in a glide.
    const double radius = height / 3.0;
    double turn = 0;
    for (auto _ : state) {
        saver.stage().RestoreBackground();
        for (int i = 0; i < balls; ++i) {
            const double a = turn + i * 6.28318530717958 / balls;
            saver.stage().BlitBall(i % 11 + 1, saver.CenterX() + std::cos(a) * radius - 24 + 0.3,
                           saver.CenterY() + std::sin(a) * radius - 24 + 0.7);
        }
        saver.stage().PresentFrame();
        turn += 0.01;
        benchmark::DoNotOptimize(saver.stage().Display()->row(0));
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(full ? "full" : "partial") + (background == 1 ? " grid" : " colour"));
}

void BM_Memcpy(benchmark::State& state)
{
    const std::size_t bytes = std::size_t(state.range(0)) * std::size_t(state.range(1)) * 4;
    std::vector<unsigned char> from(bytes, 0x5A), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}

constexpr std::pair<int, int> kScreens[] = {{1024, 768}, {1920, 1080}, {3840, 2160}};

BENCHMARK(BM_Frame)->Apply([](benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "balls", "bg", "full"});
    for (auto [w, h] : kScreens)
        for (int background : {2, 1})
            for (int balls : {11, 22})
                for (int full : {1, 0})
                    b->Args({w, h, balls, background, full});
    b->Unit(benchmark::kMicrosecond);
});
BENCHMARK(BM_Memcpy)->Apply([](benchmark::internal::Benchmark* b) {
    for (auto [w, h] : kScreens)
        b->Args({w, h});
    b->Unit(benchmark::kMicrosecond);
});

} // namespace
