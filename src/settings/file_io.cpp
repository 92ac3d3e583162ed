#include "settings/file_io.h"

#include "settings/file_io_platform.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace file_io {

fs::path path_from_utf8(std::string_view utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

ReadStatus read_file(const std::string& utf8_path, std::size_t max_bytes, std::string& bytes)
{
    bytes.clear();
    InputFile file;
    ReadStatus status = file.open(utf8_path);
    if (status != ReadStatus::Read)
        return status;
    if (file.size() > max_bytes)
        return ReadStatus::TooLarge;
    // One byte more than the size, so that the read which finds the end
    // needs no growth; a file that grows meanwhile is still bounded below.
    bytes.resize(std::size_t(file.size()) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > max_bytes) {
                bytes.clear();
                bytes.shrink_to_fit();
                return ReadStatus::TooLarge;
            }
            bytes.resize(std::min(max_bytes + 1, bytes.size() + 64 * 1024));
        }
        std::optional<std::size_t> got = file.read(bytes.data() + used, bytes.size() - used);
        if (!got) {
            bytes.clear();
            return ReadStatus::Unreadable;
        }
        if (*got == 0)
            break;
        used += *got;
    }
    bytes.resize(used);
    return ReadStatus::Read;
}

namespace {

// Where a chain of symbolic links ends: the path itself when it is no link.
// A link is followed even when what it names does not exist yet, so that a
// settings file kept elsewhere (a dotfile manager's link into a folder of
// its own) is created there on the first save instead of replacing the link.
std::optional<fs::path> final_target(fs::path path, std::error_code& ec)
{
    // The limit the system itself puts on a chain of links.
    for (int hop = 0; hop < 40; ++hop) {
        if (fs::symlink_status(path, ec).type() != fs::file_type::symlink) {
            ec.clear();
            return path;
        }
        fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return std::nullopt;
        // A relative link is relative to the folder holding it.
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return std::nullopt;
}

} // namespace

std::optional<ReplaceError> replace_file(const std::string& utf8_path, std::string_view bytes)
{
    std::error_code ec;
    std::optional<fs::path> target = final_target(path_from_utf8(utf8_path), ec);
    if (!target)
        return ReplaceError{ReplaceError::Step::NotAFile, ec};
    fs::path folder = target->parent_path();
    if (folder.empty())
        folder = ".";
    fs::create_directories(folder, ec);
    if (ec)
        return ReplaceError{ReplaceError::Step::Folder, ec};
    return platform::replace_in_folder(folder, target->filename(), bytes);
}

} // namespace file_io
