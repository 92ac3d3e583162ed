#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Whole-file reading and atomic replacement for the settings file. Paths are
// UTF-8 on every platform (on Windows they are opened through their UTF-16
// form, so no system code page is involved).
namespace file_io {

std::filesystem::path path_from_utf8(std::string_view utf8);

// A settings file is a few kilobytes; anything past this is not one, and
// reading it whole could exhaust memory.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

struct FileBytes {
    enum Status { Read, Missing, Unreadable } status = Missing;
    std::string bytes; // when Read
    std::string error; // when Unreadable: for a person to read
};

// Missing only when nothing exists at the path; a folder, a file that cannot
// be opened or read, or one larger than kMaxFileBytes is Unreadable.
FileBytes read_file(const std::string& utf8_path);

// Replaces the file's content with `bytes` so that it is never seen half
// written: the bytes go to a file beside it, which is flushed, closed and
// renamed over the old one. Creates the folder when missing, keeps the old
// file's permissions, and writes through a symbolic link to the file it
// names. Returns the empty text on success, else a message for a person;
// the old file is then unchanged.
std::string replace_file(const std::string& utf8_path, std::string_view bytes);

} // namespace file_io
