// The orvelune program on Linux: the screen-saver switches as arguments
// ("orvelune /s", "orvelune /c", ...), run on the desktop host.
#include "settings/settings_file.h"
#include "startup/hack_options.h"
#include "startup/startup.h"
#include "startup/windowed_modes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// ---- the desktop host ------------------------------------------------------
#ifdef ORVELUNE_HAVE_X11
#include "host/x11/x11_host.h"
#include "host/x11/x11_signals.h"
#endif

namespace {

#ifdef ORVELUNE_HAVE_X11
// Every mode ends in order, with status 0, on SIGTERM and SIGINT. The
// xscreensaver targets are another program's window, with no input, or an
// ordinary window of our own.
host::X11HostOptions x11_options_for(const HackCommand& hack)
{
    host::X11HostOptions x11;
    x11.end_on_signals = true;
    if (hack.outcome != HackCommand::Outcome::Run)
        return x11;
    if (hack.target == HackTarget::Window) {
        x11.placement = host::X11Placement::OrdinaryWindow;
        return x11;
    }
    x11.placement = host::X11Placement::ForeignWindow;
    x11.draw_on_root = hack.target == HackTarget::Root;
    x11.foreign_window = hack.window_id;
    x11.capture_through_getimage = true;
    return x11;
}
#endif

// Null, with the reason in `error`, when there is no display to run on.
std::unique_ptr<host::Host> create_desktop_host(const HackCommand& hack, std::string& error)
{
#ifdef ORVELUNE_HAVE_X11
    return host::open_x11_host(x11_options_for(hack), error);
#else
    (void)hack;
    error = "this build has no display host";
    return nullptr;
#endif
}
// -----------------------------------------------------------------------------

// The folder the program was started from, for the default settings path.
std::string program_folder(const char* argv0)
{
    std::string path = argv0 ? argv0 : "";
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

int run(int argc, char** argv);

} // namespace

int main(int argc, char** argv)
{
#ifdef ORVELUNE_HAVE_X11
    // Before anything that takes time: until the handlers are in place, a
    // SIGTERM ends the process abruptly. A failure is reported when the host
    // opens, which installs them too.
    std::string signals_error;
    (void)host::x11::EndSignals::install(signals_error);
#endif
    // Pictures the size of the screen (several of them) may be more than the
    // system lets us have.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("orvelune: out of memory: the system refused the memory for the pictures, "
                   "each as large as the screen\n",
                   stderr);
        return EXIT_FAILURE;
    }
}

namespace {

int run(int argc, char** argv)
{
    // The xscreensaver options come first when they come at all.
    const char* daemon_window = std::getenv("XSCREENSAVER_WINDOW");
    const HackCommand hack = parse_hack_command_line(
        std::vector<std::string>(argv + std::min(argc, 1), argv + argc),
        daemon_window ? std::optional<std::string_view>(daemon_window) : std::nullopt);
    if (hack.outcome == HackCommand::Outcome::Help) {
        std::fputs(hack_usage("orvelune").c_str(), stdout);
        return EXIT_SUCCESS;
    }
    if (hack.outcome == HackCommand::Outcome::Version) {
        std::fputs(version_line("orvelune").c_str(), stdout);
        return EXIT_SUCCESS;
    }
    if (hack.outcome == HackCommand::Outcome::Error) {
        std::fprintf(stderr, "orvelune: %s\n%s", hack.message.c_str(), hack_usage("orvelune").c_str());
        return EXIT_FAILURE;
    }
    if (!hack.message.empty())
        std::fprintf(stderr, "orvelune: %s\n", hack.message.c_str());

    // The runtime of a screen saver hands over one argument text; here it is
    // the arguments joined by single blanks.
    StartupOptions options;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            options.command_line += ' ';
        options.command_line += argv[i];
    }
    options.ini_path = default_ini_path(program_folder(argc > 0 ? argv[0] : nullptr));
    options.seed = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    std::string error;
    std::unique_ptr<host::Host> host = create_desktop_host(hack, error);
    if (!host) {
        std::fprintf(stderr, "orvelune: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    if (hack.outcome == HackCommand::Outcome::Run)
        return run_hack_saver(*host, options.ini_path, options.seed);
    plug_in_windowed_modes(options.seams, options.seed);
    return run_startup(*host, options);
}

} // namespace
