// The render tool's animated files: frames of the saver played and written
// a second, for each format at 640x480 and 1920x1080, by the program itself
// (playing, scaling, converting and encoding together, as a person runs it).
// The ten seconds of 1920x1080 WebM say whether a clip exports faster than
// it plays: its real_time_factor counter is played seconds per second spent.
// The processor time the tool used (cpu_seconds) is beside it: on a machine
// that others share, it is the figure that stays put.
#include "support/processes.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using testsupport::children_cpu_seconds;

// The saver's default pause: twenty frames a second.
constexpr double kFramesPerPlayedSecond = 20;

const char* const kExtensions[] = {"webp", "apng", "gif", "webm", "mp4"};

void BM_Export(benchmark::State& state)
{
    const std::string extension = kExtensions[state.range(0)];
    const int width = int(state.range(1));
    const int height = int(state.range(2));
    const long long frames = state.range(3);
    const std::string file =
        (std::filesystem::temp_directory_path()
         / ("orvelune-bench-" + std::to_string(testsupport::process_id()) + "." + extension))
            .string();
    const std::string command = std::string("'") + ORVELUNE_BIN_DIR + "/orvelune-render' --seed 1 --size "
                                + std::to_string(width) + "x" + std::to_string(height) + " --frames "
                                + std::to_string(frames) + " --output '" + file + "'";
    double seconds = 0;
    const double cpu_before = children_cpu_seconds();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(spent.count());
        seconds += spent.count();
    }
    const double cpu = children_cpu_seconds() - cpu_before;
    std::remove(file.c_str());
    state.SetLabel(extension);
    const double runs = double(state.iterations());
    state.counters["frames_per_second"] = seconds > 0 ? runs * double(frames) / seconds : 0;
    state.counters["real_time_factor"] =
        seconds > 0 ? runs * double(frames) / kFramesPerPlayedSecond / seconds : 0;
    state.counters["cpu_seconds"] = runs > 0 ? cpu / runs : 0;
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (long long format = 0; format < 5; ++format) {
        b->Args({format, 640, 480, 100});
        b->Args({format, 1920, 1080, 40});
    }
    // Ten played seconds of WebM at 1920x1080.
    b->Args({3, 1920, 1080, 200});
}

BENCHMARK(BM_Export)->Apply(Sizes)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
