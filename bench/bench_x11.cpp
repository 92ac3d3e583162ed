// The saver on a real X server.
//
// Frames per second it can sustain with no pause after its frames: each
// frame is what the actions draw (the background restored, eleven balls
// stamped a step further round their ring) and presented, with the pending
// messages handled, exactly as the saver window does it. The same
// 1920 x 1080 Xvfb serves, side by side in one run, both ways of presenting
// (MIT-SHM, the image in memory shared with the server, and XPutImage, the
// image sent through the connection) and both ways of redrawing (whole
// frames, and only what changed).
//
// And the time from starting the program to its first frame on the screen,
// on screens of 1024 x 768, 1920 x 1080 and 3840 x 2160.
#include "engine/random.h"
#include "engine/saver_window.h"
#include "gfx/color.h"
#include "host/x11/x11_host.h"
#include "settings/settings_file.h"
#include "x11_rig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// One private Xvfb for the whole program (it picks its own display number),
// ended when the program ends. The rig keeps a connection open, so the
// server outlives each benchmark's own connection.
x11test::XvfbRig& Server()
{
    static x11test::XvfbRig server(kWidth, kHeight);
    return server;
}

void BM_SaverFrameOnXvfb(benchmark::State& state)
{
    const bool shm = state.range(0) != 0;
    const bool full = state.range(1) != 0;
    if (!Server().available()) {
        state.SkipWithError(("Xvfb could not be started: " + Server().why()).c_str());
        return;
    }
    setenv("DISPLAY", Server().display_name().c_str(), 1);
    host::X11HostOptions options;
    options.use_shm = shm;
    std::string error;
    std::unique_ptr<host::Host> host = host::open_x11_host(options, error);
    if (!host) {
        state.SkipWithError(error.c_str());
        return;
    }

    Settings settings{};
    LoadSettings(settings, std::string());
    settings.g_PcSpec = 0;
    Random random(1);
    Ball_A saver(*host, settings, random, SaverStart{});
    saver.stage().set_full_redraw(full);
    saver.on_load();
    // The frames are drawn here, not by the actions: the saver's own timer
    // would run a whole action inside the first frame's message handling.
    saver.window()->set_timer(0);

    double turn = 0;
    for (auto _ : state) {
        saver.stage().RestoreBackground();
        for (int i = 1; i <= 10; ++i) {
            const double a = turn + i * 6.28318530717958 / 10;
            saver.stage().BlitBall(i, saver.CenterX() + std::cos(a) * 90 - 24,
                           saver.CenterY() + std::sin(a) * 90 - 24);
        }
        saver.stage().BlitBall(11, saver.formation().CenterFormationX(), saver.formation().CenterFormationY());
        saver.stage().PresentFrame();
        turn += 0.02;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    const std::string way = shm ? (host::x11_host_uses_shm(*host) ? "MIT-SHM" : "MIT-SHM refused: XPutImage")
                                : "XPutImage";
    state.SetLabel(way + (full ? ", full" : ", partial"));
}
BENCHMARK(BM_SaverFrameOnXvfb)
    ->ArgNames({"shm", "full"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// One private Xvfb per screen size, started on first use.
x11test::XvfbRig& ServerOfSize(int width, int height)
{
    static std::map<std::pair<int, int>, std::unique_ptr<x11test::XvfbRig>> servers;
    auto& server = servers[{width, height}];
    if (!server)
        server = std::make_unique<x11test::XvfbRig>(width, height);
    return *server;
}

// The program started with "/s" until the screen's top-left pixel shows its
// background colour (the first frame: the composed background, before the
// opening's first balls): process start, settings, window, sprites,
// background and the first refresh together.
void BM_TimeToFirstFrame(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    x11test::XvfbRig& server = ServerOfSize(width, height);
    if (!server.available()) {
        state.SkipWithError(("Xvfb could not be started: " + server.why()).c_str());
        return;
    }
    Settings settings = x11test::SlowSettings(50);
    settings.g_BackgroundColor = gfx::colorref(10, 200, 30);
    server.write_settings(settings);
    const gfx::Pixel wanted = 0x0AC81E; // the colour as the 24-bit visual holds it

    for (auto _ : state) {
        // A frame of the previous run must not count: the screen starts black.
        server.clear_root();

        const Clock::time_point start = Clock::now();
        x11test::Child saver = server.start_orvelune({"/s"});
        bool shown = false;
        while (!shown && Clock::now() - start < std::chrono::seconds(20)) {
            const gfx::Surface pixel = server.grab(server.root(), 1, 1);
            shown = !pixel.empty() && pixel.at(0, 0) == wanted;
            if (!shown)
                std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        saver.signal(SIGTERM);
        saver.wait(std::chrono::seconds(5));
        if (!shown) {
            state.SkipWithError("the saver showed no frame within 20 s");
            return;
        }
        state.SetIterationTime(elapsed.count());
    }
}
BENCHMARK(BM_TimeToFirstFrame)
    ->Args({1024, 768})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
