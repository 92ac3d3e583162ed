// Frames per second the saver can sustain on a real X server with no pause
// after its frames: each frame is what every action draws (the background
// restored over the whole screen, eleven balls stamped) and presented, with
// the pending messages handled, exactly as the saver window does it. The
// same 1920 x 1080 Xvfb serves both ways of presenting, side by side in one
// run: MIT-SHM (the image in memory shared with the server) and XPutImage
// (the image sent through the connection).
#include "engine/random.h"
#include "engine/saver_window.h"
#include "host/x11/x11_host.h"
#include "settings/settings_file.h"
#include "x11_rig.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

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
    saver.Form_Load();
    // The frames are drawn here, not by the actions: the saver's own timer
    // would run a whole action inside the first frame's message handling.
    saver.window->set_timer(0);

    for (auto _ : state) {
        saver.RestoreBackground();
        for (int i = 1; i <= 10; ++i)
            saver.BlitBall(i, saver.FormationX[std::size_t(i)], saver.FormationY[std::size_t(i)]);
        saver.BlitBall(11, saver.CenterFormationX, saver.CenterFormationY);
        saver.PresentFrame();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(shm ? (host::x11_host_uses_shm(*host) ? "MIT-SHM" : "MIT-SHM refused: XPutImage")
                       : "XPutImage");
}
BENCHMARK(BM_SaverFrameOnXvfb)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MinTime(2.0);

} // namespace
