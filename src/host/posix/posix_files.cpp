// Files on POSIX systems (see settings/file_io.h), and where the user's
// home is. Compiled into the settings library.
#include "settings/file_io.h"
#include "settings/file_io_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace file_io {

namespace {

std::error_code last_error() { return {errno, std::generic_category()}; }

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool write_all(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes.remove_prefix(std::size_t(done));
    }
    return true;
}

// Whether the file may be written, as a program that opened it for writing
// would find. Root passes every permission check, so for root a file that
// no one at all may write (chmod a-w, a file manager's "read-only") counts
// as read-only too: the user said so, and the save must not undo it.
bool may_write(int folder, const char* name, const struct stat& file)
{
    if (::faccessat(folder, name, W_OK, AT_EACCESS) != 0)
        return false;
    return ::geteuid() != 0 || (file.st_mode & 0222) != 0;
}

// The part of a temporary name before its random hex digits.
std::string temporary_prefix(const std::string& name)
{
    // Stays within the 255 bytes a file name may have, however long `name` is.
    return "." + name.substr(0, 200) + ".";
}

constexpr std::size_t kSaltDigits = 16;
constexpr std::string_view kTemporarySuffix = ".tmp";

// A name no one else will pick: a leading dot keeps it out of listings, and
// the random part makes two savers (or a planted file) collide only by a
// chance of one in 2^64, after which the exclusive creation tries again.
std::string temporary_name(const std::string& name)
{
    std::random_device random;
    std::uint64_t salt = (std::uint64_t(random()) << 32) ^ random() ^ std::uint64_t(::getpid());
    char digits[kSaltDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(salt));
    return temporary_prefix(name) + digits + std::string(kTemporarySuffix);
}

bool is_temporary_of(std::string_view entry, const std::string& prefix)
{
    if (entry.size() != prefix.size() + kSaltDigits + kTemporarySuffix.size() || !entry.starts_with(prefix)
        || !entry.ends_with(kTemporarySuffix))
        return false;
    for (char c : entry.substr(prefix.size(), kSaltDigits))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// A save holds an exclusive flock() on its new file from the moment it
// creates it until the file has taken the old one's place; the kernel lets
// go of it when the saver dies, however it dies. So a temporary file of this
// name that can be locked belongs to no running save: it was left by one
// that was killed, and goes. Links and other non-files at such names are
// not ours and stay.
void remove_abandoned_temporaries(int folder, const std::string& name)
{
    int listed = ::dup(folder);
    if (listed < 0)
        return;
    DIR* entries = ::fdopendir(listed);
    if (!entries) {
        ::close(listed);
        return;
    }
    const std::string prefix = temporary_prefix(name);
    while (const dirent* entry = ::readdir(entries)) {
        if (!is_temporary_of(entry->d_name, prefix))
            continue;
        Descriptor leftover(
            ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {}, named {};
        if (leftover.fd < 0 || ::fstat(leftover.fd, &opened) != 0 || !S_ISREG(opened.st_mode)
            || ::flock(leftover.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        // Locked: still the file of that name? (Another save may have just
        // removed it, or renamed it into place and let go.)
        if (::fstat(leftover.fd, &opened) == 0 && opened.st_nlink > 0
            && ::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

// Locks a new temporary file as its save's own; false when a save cleaning
// up got to it first, between its creation and the lock, and removed it.
// On a file system without locks nobody can lock it to remove it either.
bool hold(int fd)
{
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_nlink > 0;
}

} // namespace

InputFile::~InputFile() { close(); }

void InputFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

ReadStatus InputFile::open(const std::string& utf8_path)
{
    close();
    // O_NONBLOCK makes a FIFO open at once instead of waiting for a writer;
    // on a regular file it changes nothing.
    int fd = ::open(utf8_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    Descriptor opened(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return ReadStatus::Unreadable;
    if (S_ISDIR(info.st_mode))
        return ReadStatus::Folder;
    if (!S_ISREG(info.st_mode))
        return ReadStatus::NotAFile;
    m_fd = fd;
    opened.fd = -1;
    m_size = std::uint64_t(info.st_size);
    return ReadStatus::Read;
}

std::optional<std::size_t> InputFile::read(char* into, std::size_t capacity)
{
    if (m_fd < 0)
        return std::nullopt;
    for (;;) {
        ssize_t got = ::read(m_fd, into, capacity);
        if (got >= 0)
            return std::size_t(got);
        if (errno != EINTR)
            return std::nullopt;
    }
}

namespace platform {

std::optional<ReplaceError> replace_in_folder(const std::filesystem::path& folder_path,
                                              const std::filesystem::path& name_path,
                                              std::string_view bytes)
{
    using Step = ReplaceError::Step;
    const std::string name = name_path.string();
    Descriptor folder(::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0)
        return ReplaceError{Step::Folder, last_error()};

    // The new file starts with the old one's permissions, so that it is
    // never readable by more people than the old one was; a new settings
    // file gets what the umask allows.
    mode_t mode = 0666;
    bool replacing = false;
    struct stat old {};
    if (::fstatat(folder.fd, name.c_str(), &old, 0) == 0) {
        if (!S_ISREG(old.st_mode))
            return ReplaceError{Step::NotAFile, std::make_error_code(std::errc::invalid_argument)};
        if (!may_write(folder.fd, name.c_str(), old))
            return ReplaceError{Step::ReadOnly, std::make_error_code(std::errc::permission_denied)};
        mode = old.st_mode & 07777;
        replacing = true;
    } else if (errno != ENOENT) {
        return ReplaceError{Step::NotAFile, last_error()};
    }

    remove_abandoned_temporaries(folder.fd, name);

    // O_EXCL creates the file or fails: an existing name, a link among them,
    // is never opened, so nothing planted there is followed or truncated.
    std::string temporary;
    Descriptor out(-1);
    for (int attempt = 0; attempt < 16 && out.fd < 0; ++attempt) {
        temporary = temporary_name(name);
        out.fd = ::openat(folder.fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          mode & 0777);
        if (out.fd < 0 && errno != EEXIST)
            break;
        if (out.fd >= 0 && !hold(out.fd)) {
            ::close(out.fd);
            out.fd = -1;
        }
    }
    if (out.fd < 0)
        return ReplaceError{Step::Temporary, last_error()};

    auto give_up = [&](Step step, std::error_code code) {
        ::unlinkat(folder.fd, temporary.c_str(), 0);
        return ReplaceError{step, code};
    };
    if (replacing) {
        // The file stays whose it was: root saving a user's settings must
        // not leave them a file they cannot read. Someone else's file that
        // we may write keeps at least its group where we can give it that.
        // The mode comes after, since a change of owner clears some bits.
        if (::fchown(out.fd, old.st_uid, old.st_gid) != 0 && ::fchown(out.fd, uid_t(-1), old.st_gid) != 0) {
            // Neither: the new file is the saver's, as any file it makes.
        }
        // The umask may have taken bits the old file had; put them back.
        (void)::fchmod(out.fd, mode);
    }
    if (!write_all(out.fd, bytes) || ::fsync(out.fd) != 0)
        return give_up(Step::Write, last_error());
    // Closing reports the last write errors on some file systems (NFS); a
    // second descriptor keeps the lock meanwhile, until the file is in place.
    Descriptor held(::dup(out.fd));
    if (held.fd < 0)
        return give_up(Step::Write, last_error());
    const int written = out.fd;
    out.fd = -1;
    if (::close(written) != 0)
        return give_up(Step::Write, last_error());
    if (::renameat(folder.fd, temporary.c_str(), folder.fd, name.c_str()) != 0)
        return give_up(Step::Rename, last_error());
    // The rename lives in the folder: flushing it makes the new name last.
    // Some file systems cannot flush a folder; the file is in place by now,
    // so that is no reason to report the save as failed.
    (void)::fsync(folder.fd);
    return std::nullopt;
}

std::string home_folder()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return home;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

} // namespace platform

} // namespace file_io
