// The claim of the one saver or settings dialog per Wayland display: a lock
// on a file named after the compositor's socket, in the user's runtime
// folder. The kernel arbitrates the lock, so of any number of starts at once
// exactly one gets it, and it lets go when the process ends, however it
// ends. An open file description lock can be tested without being taken, so
// that a look for a running saver never keeps one from starting.
#include "host/wayland/wayland_host_impl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host::wl {

namespace {

// A folder only this user can write to, or "" with the reason in `error`:
// $XDG_RUNTIME_DIR, where the compositor's socket lives too, else a folder
// of our own in /tmp that must be ours and closed to others.
std::string private_folder(std::string& error)
{
    const uid_t me = getuid();
    auto is_private = [me](const std::string& path) {
        struct stat info {};
        return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == me
               && (info.st_mode & 077) == 0;
    };
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && runtime[0] == '/' && is_private(runtime))
        return runtime;
    const std::string folder = "/tmp/orvelune-" + std::to_string(me);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the folder " + folder + ": " + std::strerror(errno);
        return {};
    }
    if (!is_private(folder)) {
        error = folder + " is not a folder of this user's alone";
        return {};
    }
    return folder;
}

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
    const std::string folder = private_folder(error);
    if (folder.empty())
        return {};
    return folder + "/orvelune-wayland-" + display_key() + ".lock";
}

struct flock whole_file_write_lock()
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end, however long
    return lock;
}

InstanceClaim unavailable(const std::string& why)
{
    std::fprintf(stderr, "orvelune: cannot make sure only one saver runs: %s\n", why.c_str());
    return InstanceClaim::Unavailable;
}

} // namespace

InstanceClaim WaylandHost::claim_instance()
{
    if (m_instance_fd >= 0)
        return InstanceClaim::Claimed;
    std::string error;
    const std::string path = lock_path(error);
    if (path.empty())
        return unavailable(error);
    // Close-on-exec: a program we start must not carry the lock past our end.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return unavailable("cannot open " + path + ": " + std::strerror(errno));
    struct flock lock = whole_file_write_lock();
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0) {
        m_instance_fd = fd;
        return InstanceClaim::Claimed;
    }
    const int reason = errno;
    close(fd);
    if (reason == EAGAIN || reason == EACCES)
        return InstanceClaim::HeldElsewhere;
    return unavailable("cannot lock " + path + ": " + std::strerror(reason));
}

bool WaylandHost::instance_claimed_elsewhere()
{
    if (m_instance_fd >= 0)
        return false;
    std::string error;
    const std::string path = lock_path(error);
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false; // no file: nobody has ever claimed this display
    struct flock lock = whole_file_write_lock();
    const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return held;
}

} // namespace host::wl
