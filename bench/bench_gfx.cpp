// The drawing layer's per-frame costs: restoring a whole frame (a block copy
// of the background) beside memcpy of the same bytes, and the masked ball
// stamp (AND then XOR) at the two ball sizes. Compare ratios within one run.
#include "gfx/raster.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

using gfx::Pixel;
using gfx::RasterOp;
using gfx::Surface;

Surface patterned(int width, int height)
{
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, gfx::rgb(x * 7, y * 3, x ^ y));
    return s;
}

void BM_FrameCopy(benchmark::State& state)
{
    const int width = int(state.range(0)), height = int(state.range(1));
    const Surface background = patterned(width, height);
    Surface frame(width, height);
    for (auto _ : state) {
        gfx::blit(frame, {0, 0}, background, RasterOp::Copy);
        benchmark::DoNotOptimize(frame.pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(width) * height * std::int64_t(sizeof(Pixel)));
}

void BM_FrameMemcpy(benchmark::State& state)
{
    const int width = int(state.range(0)), height = int(state.range(1));
    const Surface background = patterned(width, height);
    Surface frame(width, height);
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * sizeof(Pixel);
    for (auto _ : state) {
        std::memcpy(frame.pixels().data(), background.pixels().data(), bytes);
        benchmark::DoNotOptimize(frame.pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(bytes));
}

// The same copy into a frame one pixel wider, so it goes row by row: the
// cost of a restore that is not one contiguous block.
void BM_FrameCopyByRows(benchmark::State& state)
{
    const int width = int(state.range(0)), height = int(state.range(1));
    const Surface background = patterned(width, height);
    Surface frame(width + 1, height);
    for (auto _ : state) {
        gfx::blit(frame, {0, 0}, background, RasterOp::Copy);
        benchmark::DoNotOptimize(frame.pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(width) * height * std::int64_t(sizeof(Pixel)));
}

struct Ball {
    Surface mask;
    Surface sprite;
};

Ball make_ball(int size)
{
    Ball ball{Surface(size, size, gfx::kWhite), Surface(size, size, gfx::kBlack)};
    gfx::fill_disc(ball.mask, {size / 2, size / 2}, size / 2, gfx::kBlack);
    gfx::fill_disc(ball.sprite, {size / 2, size / 2}, size / 2, gfx::rgb(0, 0, 88));
    return ball;
}

// One ball drawn with its mask and sprite onto a 1920 x 1080 frame.
void BM_Stamp(benchmark::State& state)
{
    const int size = int(state.range(0));
    const Ball ball = make_ball(size);
    Surface frame = patterned(1920, 1080);
    int x = 0;
    for (auto _ : state) {
        gfx::stamp(frame, {600 + x, 400}, ball.mask, ball.sprite);
        x = (x + 1) & 255;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// The scaled form, as actions that grow and shrink a ball draw it.
void BM_StampScaled(benchmark::State& state)
{
    const int cell = int(state.range(0)), size = int(state.range(1));
    const Ball ball = make_ball(cell);
    Surface frame = patterned(1920, 1080);
    int x = 0;
    for (auto _ : state) {
        gfx::stamp_scaled(frame, {600 + x, 400, size, size}, ball.mask, ball.sprite);
        x = (x + 1) & 255;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_FrameCopy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameMemcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameCopyByRows)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Stamp)->Arg(48)->Arg(72)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_StampScaled)->Args({48, 48})->Args({72, 72})->Args({72, 40})->Args({72, 100})
    ->Unit(benchmark::kNanosecond);
