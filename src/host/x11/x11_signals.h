#pragma once

namespace host::x11 {

// SIGTERM and SIGINT turned into an orderly end. The handler only writes a
// byte to a pipe (the one thing a signal handler may safely do); the loop
// polls the pipe's read end beside the X connection, and the frame pump and
// every sleep look at it, so the process ends within one frame or one pause.
class EndSignals {
public:
    // Installs the handlers once per process. False when the pipe cannot be made.
    static bool install();
    // The fd to poll for reading; -1 before install().
    static int read_fd();
    // True once SIGTERM or SIGINT has arrived.
    static bool arrived();
};

} // namespace host::x11
