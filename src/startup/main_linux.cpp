// The orvelune program on Linux: the screen-saver switches as arguments
// ("orvelune /s", "orvelune /c", ...), run on the desktop host. The entry
// point that catches the end signals and hands the arguments over is the
// host's (host/x11/x11_main.cpp).
#include "host/program.h"
#include "settings/settings_file.h"
#include "startup/backend_choice.h"
#include "startup/command_line.h"
#include "startup/hack_options.h"
#include "startup/startup.h"
#include "startup/windowed_modes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// ---- the desktop host ------------------------------------------------------
#ifdef ORVELUNE_HAVE_X11
#include "host/x11/x11_host.h"
#endif
#ifdef ORVELUNE_HAVE_WAYLAND
#include "host/wayland/wayland_host.h"
#endif

namespace {

// --verbose, or ORVELUNE_VERBOSE=1 where the option cannot be given (a
// daemon that starts the hack).
bool log_pauses(const BackendChoice& choice)
{
    const char* variable = std::getenv("ORVELUNE_VERBOSE");
    return choice.verbose || (variable && std::string_view(variable) == "1");
}

#ifdef ORVELUNE_HAVE_X11
// Every mode ends in order, with status 0, on SIGTERM and SIGINT. The
// xscreensaver targets are another program's window, with no input, or an
// ordinary window of our own.
host::X11HostOptions x11_options_for(const HackCommand& hack, bool verbose)
{
    host::X11HostOptions x11;
    x11.end_on_signals = true;
    x11.verbose = verbose;
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

#ifdef ORVELUNE_HAVE_WAYLAND
// -root is the background layer of every output (a live wallpaper), -window
// an ordinary window; a compositor hands out no other program's window.
std::unique_ptr<host::Host> open_wayland(const HackCommand& hack, const BackendChoice& choice,
                                         std::string& error)
{
    host::WaylandHostOptions wayland;
    wayland.end_on_signals = true;
    wayland.output_name = choice.output;
    wayland.verbose = log_pauses(choice);
    const char* layer_shell = std::getenv("ORVELUNE_WAYLAND_LAYER_SHELL");
    wayland.use_layer_shell = !(layer_shell && std::string(layer_shell) == "0");
    if (hack.outcome == HackCommand::Outcome::Run) {
        if (hack.target == HackTarget::WindowId) {
            error = "-window-id names an X window; Wayland gives no window of another program";
            return nullptr;
        }
        wayland.placement = hack.target == HackTarget::Root ? host::WaylandPlacement::Wallpaper
                                                            : host::WaylandPlacement::OrdinaryWindow;
    }
    return host::open_wayland_host(wayland, error);
}
#endif

// Null, with the reason in `error`, when there is no display to run on.
std::unique_ptr<host::Host> create_desktop_host(const HackCommand& hack, const BackendChoice& choice,
                                                std::string& error)
{
    if (choice.backend == DesktopBackend::Wayland) {
#ifdef ORVELUNE_HAVE_WAYLAND
        return open_wayland(hack, choice, error);
#else
        error = "this build has no Wayland host";
        return nullptr;
#endif
    }
#ifdef ORVELUNE_HAVE_X11
    return host::open_x11_host(x11_options_for(hack, log_pauses(choice)), error);
#else
    (void)hack;
    error = "this build has no display host";
    return nullptr;
#endif
}

std::optional<std::string_view> variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string_view>(value) : std::nullopt;
}
// -----------------------------------------------------------------------------

} // namespace

int program_main(const host::ProgramArguments& arguments)
{
    // The host's options go first, wherever they stand.
    const BackendChoice choice =
        choose_backend(arguments.list, variable("ORVELUNE_BACKEND"), variable("WAYLAND_DISPLAY"),
                       variable("DISPLAY"), variable("XSCREENSAVER_WINDOW"));
    if (!choice.error.empty()) {
        std::fprintf(stderr, "orvelune: %s\n%s", choice.error.c_str(), hack_usage("orvelune").c_str());
        return EXIT_FAILURE;
    }
    // The xscreensaver options come first when they come at all.
    const HackCommand hack = parse_hack_command_line(choice.args, variable("XSCREENSAVER_WINDOW"));
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
    for (std::size_t i = 0; i < choice.args.size(); ++i) {
        if (i > 0)
            options.command_line += ' ';
        options.command_line += choice.args[i];
    }
    if (choice.backend == DesktopBackend::Wayland && hack.outcome != HackCommand::Outcome::Run
        && parse_command_line(options.command_line).switch_letter == 'P') {
        std::fprintf(stderr, "orvelune: the preview draws into another program's window, which "
                             "Wayland does not give; it runs on X11 only\n");
        return EXIT_FAILURE;
    }
    options.ini_path = default_ini_path(host::program_folder());
    options.seed = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    std::string error;
    std::unique_ptr<host::Host> host = create_desktop_host(hack, choice, error);
    if (!host) {
        std::fprintf(stderr, "orvelune: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    if (hack.outcome == HackCommand::Outcome::Run)
        return run_hack_saver(*host, options.ini_path, options.seed);
    plug_in_windowed_modes(options.seams, options.seed);
    return run_startup(*host, options);
}
