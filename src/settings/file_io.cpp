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

std::optional<ReplaceError> replace_file(const std::string& utf8_path, std::string_view bytes)
{
    fs::path target = path_from_utf8(utf8_path);
    std::error_code ec;
    // A settings file kept elsewhere and linked here is written where it lives.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    ec.clear();
    fs::create_directories(folder, ec);
    if (ec)
        return ReplaceError{ReplaceError::Step::Folder, ec};
    return platform::replace_in_folder(folder, target.filename(), bytes);
}

} // namespace file_io
