// The orvelune program's entry point on Linux: the end signals caught first,
// then program_main() with the arguments as they came. Compiled into the
// program, not into the host library (the tests have entry points of their
// own).
#include "host/program.h"
#include "host/x11/x11_signals.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// The end signals are caught before any library's initialisers run (GTK
// and what it brings take several milliseconds to start), so a SIGTERM
// that comes as the program starts still ends it in order, with status 0.
// The dynamic loader runs the executable's pre-initialisers first.
void catch_end_signals_first(int, char**, char**)
{
    std::string error;
    (void)host::x11::EndSignals::install(error);
}
[[gnu::section(".preinit_array"), gnu::used]] void (*const g_catch_end_signals_first)(int, char**, char**) =
    catch_end_signals_first;

} // namespace

int main(int argc, char** argv)
{
    // Installed already before the libraries started (above); this is a
    // no-op then. A failure is reported when the host opens, which installs
    // them too. (The Wayland host ends on the same signals through the same
    // handlers.)
    std::string signals_error;
    (void)host::x11::EndSignals::install(signals_error);
    // Pictures the size of the screen (several of them) may be more than the
    // system lets us have.
    try {
        host::ProgramArguments arguments;
        arguments.list.assign(argv + std::min(argc, 1), argv + argc);
        return program_main(arguments);
    } catch (const std::bad_alloc&) {
        std::fputs("orvelune: out of memory: the system refused the memory for the pictures, "
                   "each as large as the screen\n",
                   stderr);
        return EXIT_FAILURE;
    }
}
