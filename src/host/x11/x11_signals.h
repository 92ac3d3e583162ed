#pragma once

#include <string>

namespace host::x11 {

// SIGTERM, SIGINT and SIGHUP turned into an orderly end. The handler only writes a
// byte to a pipe (the one thing a signal handler may safely do); the loop
// polls the pipe's read end beside the X connection, and the frame pump and
// every sleep look at it, so the process ends within one frame or one pause.
// The handlers do not restart interrupted calls: a wait of ours that a signal
// cuts short looks at the flag at once. The first signal also sets an alarm:
// a process that has not ended in order a second later (stuck in a library
// call that waits for a display server that never answers) ends then on the
// spot, with status 0.
class EndSignals {
public:
    // Installs the handlers once per process, and lets the three signals
    // through if the process was started with them blocked. main() calls it
    // before anything else, since until then a signal ends the process
    // abruptly. False, with the reason in `error`, when they cannot be
    // installed; the signals then keep their default action.
    static bool install(std::string& error);
    // The fd to poll for reading; -1 before install().
    static int read_fd();
    // True once one of them has arrived.
    static bool arrived();
};

} // namespace host::x11
