#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// Files read and replaced safely: the settings file, and the pictures and
// settings the render tool is pointed at. Paths are UTF-8 on every platform
// (on Windows they are opened through their UTF-16 form, so no system code
// page is involved).
//
// Only regular files are ever read. A path may name a FIFO or a device, and
// opening one of those for reading waits for a writer, or reads for ever; so
// every open is made not to block, and the opened file itself (not the path,
// which could change in between) is then checked to be a regular file.
namespace file_io {

std::filesystem::path path_from_utf8(std::string_view utf8);

enum class ReadStatus {
    Read,
    Missing,    // nothing at the path (or a dangling link)
    Folder,
    NotAFile,   // a FIFO, a device, a socket
    Unreadable, // no permission, or an error while reading
    TooLarge,   // more bytes than the caller allows
};

// A regular file opened for reading; see the namespace's comment.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Read when the path names a regular file that could be opened.
    ReadStatus open(const std::string& utf8_path);
    // The size the file had when it was opened.
    std::uint64_t size() const { return m_size; }
    // Up to `capacity` bytes into `into`: the count read, 0 at the end of the
    // file, nothing on an error.
    std::optional<std::size_t> read(char* into, std::size_t capacity);

private:
    void close();

#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    std::uint64_t m_size = 0;
};

// The whole file into `bytes` (cleared first), when it holds at most
// `max_bytes`. Growing the text as it is read would need up to twice the
// file's size; it is sized from the opened file instead.
ReadStatus read_file(const std::string& utf8_path, std::size_t max_bytes, std::string& bytes);

// Why a replacement failed, and the system's error where there is one.
struct ReplaceError {
    enum class Step {
        Folder,    // the folder could not be made or opened
        NotAFile,  // something other than a regular file is in the way
        ReadOnly,  // the file is there and may not be written
        Temporary, // the new file beside it could not be made
        Write,     // writing or flushing the new file failed
        Rename,    // it could not take the old file's place
    } step;
    std::error_code code;
};

// Replaces the file's content with `bytes` so that it is never seen half
// written, by a reader or after a crash or power loss: the bytes go to a new
// file of a unique name beside it, created exclusively (so no link or file
// planted there is ever followed or overwritten) with the old file's
// permissions (on POSIX systems its owner, group and mode too, so that root
// saving a user's file leaves it theirs), flushed to disk, and renamed over
// the old one; then the folder is flushed so that the rename itself lasts.
// Two replacements at the same time leave one whole file or the other.
//
// The new file is held, for as long as its replacement runs, in a way that
// another replacement can see (a lock on POSIX systems, an open handle that
// shares nothing on Windows). A replacement that was killed leaves its new
// file behind; the next replacement of the same file removes every such
// leftover that nobody holds, and never one that a running save is writing.
//
// Creates the folder when missing and writes through a symbolic link, or a
// chain of them, to the file it names, creating that file when the link
// names one that does not exist yet; the link stays. A file that may not be
// written (read-only) is refused, as the system's own profile-writing calls
// refuse it. On failure nothing has changed and nothing is left behind.
std::optional<ReplaceError> replace_file(const std::string& utf8_path, std::string_view bytes);

} // namespace file_io
