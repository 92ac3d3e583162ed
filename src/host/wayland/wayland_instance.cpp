// The claim of the one saver or settings dialog per Wayland display: the
// desktop hosts' lock file (host/x11/instance_lock.h), named after the
// compositor's socket.
#include "host/wayland/wayland_host_impl.h"
#include "host/x11/instance_lock.h"

#include <cctype>
#include <cstdio>
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

std::string lock_path(std::string& error)
{
    return x11::instance_lock_path("orvelune-wayland-" + display_key() + ".lock", error);
}

} // namespace

InstanceClaim WaylandHost::claim_instance()
{
    if (m_instance_fd >= 0)
        return InstanceClaim::Claimed;
    std::string error;
    const std::string path = lock_path(error);
    if (path.empty()) {
        std::fprintf(stderr, "orvelune: cannot make sure only one saver runs: %s\n", error.c_str());
        return InstanceClaim::Unavailable;
    }
    return x11::claim_instance_lock(path, m_instance_fd);
}

bool WaylandHost::instance_claimed_elsewhere()
{
    if (m_instance_fd >= 0)
        return false;
    std::string error;
    const std::string path = lock_path(error);
    return !path.empty() && x11::instance_lock_held_elsewhere(path);
}

} // namespace host::wl
