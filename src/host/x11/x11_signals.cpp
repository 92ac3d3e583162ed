#include "host/x11/x11_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace host::x11 {

namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_arrived = 0;

// How long the orderly end may take before the process ends on the spot. It
// takes a frame or two; only a process held in a call that never returns (a
// display server that accepted the connection and never answers, before or
// during the loop) runs past this, and it too must end, with status 0.
constexpr unsigned kOrderlyEndSeconds = 1;

// The end that needs no cooperation from whatever the process is stuck in.
// _exit() is async-signal-safe, and what an orderly end would release goes
// with the process anyway: the instance lock is a lock on an open file, the
// connections are closed by the kernel.
void on_late_end(int)
{
    _exit(0);
}

void on_end_signal(int)
{
    const int saved = errno;
    if (!g_arrived)
        alarm(kOrderlyEndSeconds);
    g_arrived = 1;
    const char byte = 1;
    // A full pipe already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

bool EndSignals::install(std::string& error)
{
    if (g_pipe[0] >= 0)
        return true;
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = std::string("cannot catch SIGTERM, SIGINT and SIGHUP: no pipe for them: ")
                + std::strerror(errno);
        return false;
    }
    g_pipe[0] = fds[0];
    g_pipe[1] = fds[1];
    struct sigaction action {};
    action.sa_handler = on_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    // A hang-up that whoever started us chose to ignore (nohup) stays ignored.
    struct sigaction hang_up {};
    const bool keep_hang_up_ignored
        = sigaction(SIGHUP, nullptr, &hang_up) == 0 && hang_up.sa_handler == SIG_IGN;
    struct sigaction late {};
    late.sa_handler = on_late_end;
    sigemptyset(&late.sa_mask);
    if (sigaction(SIGTERM, &action, nullptr) != 0 || sigaction(SIGINT, &action, nullptr) != 0
        || (!keep_hang_up_ignored && sigaction(SIGHUP, &action, nullptr) != 0)
        || sigaction(SIGALRM, &late, nullptr) != 0) {
        error = std::string("cannot catch SIGTERM, SIGINT and SIGHUP: ") + std::strerror(errno);
        return false;
    }
    // A start that blocked them (a signal mask is inherited through exec)
    // would otherwise never hear them; one that came meanwhile is handled now.
    sigset_t ends;
    sigemptyset(&ends);
    sigaddset(&ends, SIGTERM);
    sigaddset(&ends, SIGINT);
    sigaddset(&ends, SIGHUP);
    sigaddset(&ends, SIGALRM);
    pthread_sigmask(SIG_UNBLOCK, &ends, nullptr);
    return true;
}

int EndSignals::read_fd()
{
    return g_pipe[0];
}

bool EndSignals::arrived()
{
    return g_arrived != 0;
}

} // namespace host::x11
