// One whole animation frame as the actions build it: the background restored
// from Pic_Base, then the balls stamped (mask AND, sprite XOR), with the trace
// off; against memcpy of one frame's bytes in the same run. A real frame
// stamps eleven balls (22 block transfers); the 22-ball case stands for the
// busiest trail frames.
#include "engine/random.h"
#include "engine/saver_window.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

Settings BenchSettings()
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
    s.g_BackgroundMode = 1; // the ball grid: every restore is a full copy of Pic_Base
    s.g_PcSpec = 0;
    return s;
}

void BM_Frame(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const int balls = int(state.range(2));

    host::HeadlessOptions options;
    options.screen = {width, height};
    host::HeadlessHost host(options);
    Settings settings = BenchSettings();
    Random random(1);
    Ball_A saver(host, settings, random, SaverStart{'S', false, -1}, nullptr);
    saver.Form_Load();

    // The balls spread over a ring round the centre, fractional positions
    // included, so every stamp lies fully on the screen as in a real frame.
    std::vector<double> xs, ys;
    for (int i = 0; i < balls; ++i) {
        const double a = i * 6.28318530717958 / balls;
        xs.push_back(saver.g_CenterX + std::cos(a) * (height / 3.0) - 24 + 0.3);
        ys.push_back(saver.g_CenterY + std::sin(a) * (height / 3.0) - 24 + 0.7);
    }

    for (auto _ : state) {
        saver.RestoreBackground();
        for (int i = 0; i < balls; ++i)
            saver.BlitBall(i % 11 + 1, xs[std::size_t(i)], ys[std::size_t(i)]);
        benchmark::DoNotOptimize(saver.Display->row(0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * width * height * 4);
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

void Screens(benchmark::internal::Benchmark* b, bool with_balls)
{
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        if (with_balls) {
            b->Args({w, h, 11});
            b->Args({w, h, 22});
        } else {
            b->Args({w, h});
        }
    }
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Frame)->Apply([](benchmark::internal::Benchmark* b) { Screens(b, true); });
BENCHMARK(BM_Memcpy)->Apply([](benchmark::internal::Benchmark* b) { Screens(b, false); });

} // namespace
