#include "host/x11/x11_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace host::x11 {

namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_arrived = 0;

void on_end_signal(int)
{
    const int saved = errno;
    g_arrived = 1;
    const char byte = 1;
    // A full pipe already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

bool EndSignals::install()
{
    if (g_pipe[0] >= 0)
        return true;
    if (pipe(g_pipe) != 0)
        return false;
    for (int fd : g_pipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action {};
    action.sa_handler = on_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
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
