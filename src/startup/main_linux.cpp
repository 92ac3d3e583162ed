// The orvelune program on Linux: the screen-saver switches as arguments
// ("orvelune /s", "orvelune /c", ...), run on the desktop host.
#include "settings/settings_file.h"
#include "startup/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

// ---- the desktop host ------------------------------------------------------
#ifdef ORVELUNE_HAVE_X11
#include "host/x11/x11_host.h"
#endif

namespace {

// Null, with the reason in `error`, when there is no display to run on.
std::unique_ptr<host::Host> CreateDesktopHost(std::string& error)
{
#ifdef ORVELUNE_HAVE_X11
    return host::OpenX11Host(host::X11HostOptions{}, error);
#else
    error = "this build has no display host";
    return nullptr;
#endif
}
// -----------------------------------------------------------------------------

// The folder the program was started from, for the default settings path.
std::string ProgramFolder(const char* argv0)
{
    std::string path = argv0 ? argv0 : "";
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

int main(int argc, char** argv)
{
    // The runtime of a screen saver hands over one argument text; here it is
    // the arguments joined by single blanks.
    StartupOptions options;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            options.command_line += ' ';
        options.command_line += argv[i];
    }
    options.ini_path = DefaultIniPath(ProgramFolder(argc > 0 ? argv[0] : nullptr));
    options.seed = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    std::string error;
    std::unique_ptr<host::Host> host = CreateDesktopHost(error);
    if (!host) {
        std::fprintf(stderr, "orvelune: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    return RunStartup(*host, options);
}
