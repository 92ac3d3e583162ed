// The claim of the one saver or settings dialog per display: a lock on a
// file named after the display. The kernel arbitrates the lock, so of any
// number of starts at once exactly one gets it, and it lets go when the
// process ends, however it ends (even killed). The lock is an open file
// description lock rather than flock(): it can be tested without being
// taken, so that a preview looking for a saver never keeps one from starting.
#include "host/x11/x11_host_impl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host::x11 {

namespace {

// A folder only this user can write to, or "" with the reason in `error`.
// $XDG_RUNTIME_DIR is made for this; without it, a folder of our own in
// /tmp, which must be a real folder that is ours and closed to others
// (anyone may have made the name first).
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

// One name per X server: ":0", ":0.0" and "unix:0.1" name the same local
// server and give the same key; the screen number does not count.
std::string display_key(const std::string& name)
{
    const std::size_t colon = name.rfind(':');
    std::string host = colon == std::string::npos ? std::string() : name.substr(0, colon);
    std::string number = colon == std::string::npos ? name : name.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (host == "unix" || (!host.empty() && host.front() == '/'))
        host.clear();
    std::string key = host + ":" + number;
    for (char& c : key)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':'))
            c = '_';
    return key;
}

std::string lock_path(::Display* display, std::string& error)
{
    const std::string folder = private_folder(error);
    if (folder.empty())
        return {};
    return folder + "/orvelune-" + display_key(DisplayString(display)) + ".lock";
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

InstanceClaim X11Host::claim_instance()
{
    if (m_instance_fd >= 0)
        return InstanceClaim::Claimed;
    std::string error;
    const std::string path = lock_path(m_display, error);
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

bool X11Host::instance_claimed_elsewhere()
{
    if (m_instance_fd >= 0)
        return false;
    std::string error;
    const std::string path = lock_path(m_display, error);
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false; // no file: nobody has ever claimed this display
    struct flock lock = whole_file_write_lock();
    const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return held;
}

} // namespace host::x11
