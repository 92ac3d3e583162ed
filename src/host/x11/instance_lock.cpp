// The claim of the one saver or settings dialog per display, for the desktop
// hosts (X11 and Wayland): a lock on a file named after the display. The kernel arbitrates the lock, so of any
// number of starts at once exactly one gets it, and it lets go when the
// process ends, however it ends (even killed). The lock is an open file
// description lock rather than flock(): it can be tested without being
// taken, so that a preview looking for a saver never keeps one from starting.
//
// The lock file's name is never followed: a link, a FIFO or anything else
// but a regular file found there is replaced by a new regular file, so that
// what is there can neither lead the guard to another file (where a start
// that followed it and one that replaced it would each lock a file of their
// own) nor turn it off.
#include "host/x11/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host::x11 {

namespace {
// A folder only this user can write to, or "" with the reason in `error`:
// `preferred` when it is one, else a folder of our own in /tmp, which must
// be a real folder that is ours and closed to others (anyone may have made
// the name first).
std::string private_folder(const char* preferred, std::string& error)
{
    const uid_t me = getuid();
    auto is_private = [me](const std::string& path) {
        struct stat info {};
        return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == me
               && (info.st_mode & 077) == 0;
    };
    if (preferred && preferred[0] == '/' && is_private(preferred))
        return preferred;
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

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Puts a new, empty regular file in the place of what is at `path` when
// that is not a regular file; false, with the reason in `error`, when it
// cannot. Starts at the same moment all find the same link there: the folder
// is locked while one of them looks again and replaces it, so that the
// others find its file in place and keep it, instead of each replacing the
// file the one before has already locked.
bool replace_with_file(const std::string& path, std::string& error)
{
    const std::string folder = path.substr(0, path.rfind('/'));
    const Descriptor listing(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listing.fd < 0 || flock(listing.fd, LOCK_EX) != 0) {
        error = "cannot lock the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return true; // another start has replaced it meanwhile
    std::string temporary = folder + "/.orvelune-lock-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot make a file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    // The rename swaps the name over at once and never follows a link; a
    // folder in the way is not taken away, and makes the guard unavailable.
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ", which is no file: " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// The lock file opened for reading and writing, made when missing and
// replaced when something else is there; -1 with the reason in `error`.
int open_lock_file(const std::string& path, std::string& error)
{
    // A few rounds: what is at the name may change while we look at it.
    for (int attempt = 0; attempt < 8; ++attempt) {
        struct stat named {};
        if (lstat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
            if (!replace_with_file(path, error))
                return -1;
            continue;
        }
        // Close-on-exec: a program we start must not carry the lock past our
        // end. O_NOFOLLOW and O_NONBLOCK: should a link or a FIFO take the
        // file's place after the look above, it is neither followed nor
        // waited on, and found out below.
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
        if (fd < 0) {
            if (errno == ELOOP || errno == EISDIR || errno == ENXIO || errno == ENOENT)
                continue;
            error = "cannot open " + path + ": " + std::strerror(errno);
            return -1;
        }
        struct stat opened {};
        if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode))
            return fd;
        close(fd);
    }
    error = path + " keeps changing while it is opened";
    return -1;
}

} // namespace

std::string instance_lock_path(const std::string& file_name, std::string& error)
{
    // $XDG_RUNTIME_DIR is made for this.
    return instance_lock_path_in(std::getenv("XDG_RUNTIME_DIR"), file_name, error);
}

std::string instance_lock_path_in(const char* folder, const std::string& file_name,
                                  std::string& error)
{
    const std::string chosen = private_folder(folder, error);
    if (chosen.empty())
        return {};
    return chosen + "/" + file_name;
}

InstanceClaim claim_instance_lock(const std::string& path, int& held_fd)
{
    if (held_fd >= 0)
        return InstanceClaim::Claimed;
    std::string error;
    for (int attempt = 0; attempt < 8; ++attempt) {
        Descriptor file(open_lock_file(path, error));
        if (file.fd < 0)
            return unavailable(error);
        struct flock lock = whole_file_write_lock();
        if (fcntl(file.fd, F_OFD_SETLK, &lock) != 0) {
            const int reason = errno;
            if (reason == EAGAIN || reason == EACCES)
                return InstanceClaim::HeldElsewhere;
            return unavailable("cannot lock " + path + ": " + std::strerror(reason));
        }
        // The lock counts only while the file locked is the one of that
        // name: if it was replaced after we opened it, the next start would
        // lock the new one. Lock what is there now instead.
        struct stat locked {}, named {};
        if (fstat(file.fd, &locked) == 0 && lstat(path.c_str(), &named) == 0 && same_file(locked, named)) {
            held_fd = file.fd;
            file.fd = -1;
            return InstanceClaim::Claimed;
        }
    }
    return unavailable(path + " keeps changing while it is locked");
}

bool instance_lock_held_elsewhere(const std::string& path)
{
    // Only looks: whatever is at the name is left for a claim to replace.
    const Descriptor file(path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat opened {};
    if (file.fd < 0 || fstat(file.fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return false; // no lock file: nobody has ever claimed this display
    struct flock lock = whole_file_write_lock();
    return fcntl(file.fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

} // namespace host::x11
