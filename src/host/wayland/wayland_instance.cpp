// The claim of the one saver or settings dialog per Wayland display: the
// desktop hosts' lock file (host/x11/desktop_host.h), named after the
// compositor's socket.
#include "host/wayland/wayland_host_impl.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace host::wl {

namespace {

// One name per compositor: "wayland-1" and the same socket's full path in
// the runtime folder give the same key.
std::string display_key()
{
    std::string name = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string prefix = std::string(runtime) + "/";
        if (name.compare(0, prefix.size(), prefix) == 0)
            name.erase(0, prefix.size());
    }
    for (char& c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'))
            c = '_';
    return name;
}

} // namespace

std::string WaylandHost::instance_lock_name()
{
    return "orvelune-wayland-" + display_key() + ".lock";
}

} // namespace host::wl
