// The claim of the one saver or settings dialog per Wayland compositor: the
// desktop hosts' lock file (host/x11/desktop_host.h), named after the
// compositor's socket itself, not after how a start spelled it.
//
// One compositor can be reached under many names: "wayland-1" in the
// runtime folder, the same socket's full path (with or without
// $XDG_RUNTIME_DIR set), a link to it, a descriptor handed over in
// WAYLAND_SOCKET. A lock named after the spelling, in a folder chosen by the
// environment, lets two savers run on one compositor; the socket's device
// and inode, in the folder the socket lies in, are the same for every one.
#include "host/wayland/wayland_host_impl.h"
#include "host/x11/instance_lock.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace host::wl {

namespace {

// The name as given, made safe for a file name: the key when the socket
// cannot be found on the file system (an abstract socket, a compositor in
// another mount namespace).
std::string spelled_key()
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

// Where the compositor's socket may be: the address the connection is made
// to (the path the compositor bound, whatever name reached it), then the
// path WAYLAND_DISPLAY gives, as the client library reads it.
std::vector<std::string> socket_paths(int connection_fd)
{
    std::vector<std::string> paths;
    sockaddr_un peer{};
    socklen_t length = sizeof peer;
    if (getpeername(connection_fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0
        && peer.sun_family == AF_UNIX && length > offsetof(sockaddr_un, sun_path)
        && peer.sun_path[0] != '\0')
        paths.emplace_back(peer.sun_path,
                           strnlen(peer.sun_path, length - offsetof(sockaddr_un, sun_path)));
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const std::string name = display && *display ? display : "wayland-0";
    if (name.front() == '/')
        paths.push_back(name);
    else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        paths.push_back(std::string(runtime) + "/" + name);
    return paths;
}

} // namespace

WaylandLockPlace wayland_lock_place(int connection_fd)
{
    for (const std::string& path : socket_paths(connection_fd)) {
        struct stat info {};
        char resolved[PATH_MAX];
        // stat() and realpath() follow links: a link and its socket are one.
        if (stat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)
            || !realpath(path.c_str(), resolved))
            continue;
        const std::string real(resolved);
        char key[64];
        std::snprintf(key, sizeof key, "%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                      static_cast<unsigned long long>(info.st_ino));
        return {real.substr(0, real.rfind('/')), "orvelune-wayland-" + std::string(key) + ".lock"};
    }
    return {{}, "orvelune-wayland-" + spelled_key() + ".lock"};
}

std::string WaylandHost::instance_lock_name()
{
    return wayland_lock_place(wl_display_get_fd(m_display)).file_name;
}

std::string WaylandHost::instance_lock_file(std::string& error)
{
    const WaylandLockPlace place = wayland_lock_place(wl_display_get_fd(m_display));
    // The socket's own folder (the session's runtime folder) when it is this
    // user's alone; else the private folder under /tmp. Never a folder that
    // depends on a start's $XDG_RUNTIME_DIR, which one start may lack.
    if (!place.folder.empty())
        return x11::instance_lock_path_in(place.folder.c_str(), place.file_name, error);
    return x11::instance_lock_path(place.file_name, error);
}

} // namespace host::wl
