// Orvelune.scr: the screen saver as Windows starts it, with the switches of
// a screen saver ("/s", "/p <hwnd>", "/c", "/a <hwnd>", or none) after the
// program's own name, on the Windows host. The entry point that reads them
// is the host's (host/win32/win32_main.cpp).
#include "host/program.h"
#include "host/win32/win32_host.h"
#include "settings/settings_file.h"
#include "startup/startup.h"
#include "startup/windowed_modes.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

int program_main(const host::ProgramArguments& arguments)
{
    StartupOptions options;
    options.command_line = arguments.text;
    options.ini_path = default_ini_path(host::program_folder());
    options.seed = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    std::string error;
    std::unique_ptr<host::Host> host = host::open_win32_host(error);
    if (!host) {
        host::show_start_failure("Orvelune: " + error);
        return EXIT_FAILURE;
    }
    plug_in_windowed_modes(options.seams, options.seed);
    return run_startup(*host, options);
}
