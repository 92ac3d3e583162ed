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

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// One private Xvfb for the whole program (it picks its own display number),
// ended when the program ends.
class PrivateServer {
public:
    PrivateServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string fd = std::to_string(fds[1]);
        std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
        char xvfb[] = "Xvfb", displayfd[] = "-displayfd", s[] = "-screen", zero[] = "0",
             nolisten[] = "-nolisten", tcp[] = "tcp", noreset[] = "-noreset";
        // -noreset: the server must outlive the first benchmark's connection.
        char* argv[] = {xvfb,     displayfd, fd.data(), s,      zero,
                        screen.data(), nolisten, tcp,   noreset, nullptr};
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        std::string number;
        while (m_pid > 0 && number.find('\n') == std::string::npos) {
            pollfd p{fds[0], POLLIN, 0};
            char buffer[16];
            if (poll(&p, 1, 15000) <= 0)
                break;
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            number.append(buffer, std::size_t(n));
        }
        close(fds[0]);
        if (number.find('\n') != std::string::npos)
            m_display = ":" + number.substr(0, number.find('\n'));
    }
    ~PrivateServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

PrivateServer& Server()
{
    static PrivateServer server;
    return server;
}

void BM_SaverFrameOnXvfb(benchmark::State& state)
{
    const bool shm = state.range(0) != 0;
    if (Server().display().empty()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    setenv("DISPLAY", Server().display().c_str(), 1);
    host::X11HostOptions options;
    options.use_shm = shm;
    std::string error;
    std::unique_ptr<host::Host> host = host::OpenX11Host(options, error);
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
    state.SetLabel(shm ? (host::X11HostUsesShm(*host) ? "MIT-SHM" : "MIT-SHM refused: XPutImage")
                       : "XPutImage");
}
BENCHMARK(BM_SaverFrameOnXvfb)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MinTime(2.0);

} // namespace
