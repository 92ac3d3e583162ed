// The readme the dialog's link opens; see readme_address.h.
#include "startup/readme_address.h"

#include "settings/file_io.h"

#include <filesystem>
#include <system_error>

namespace {

// Where each way of installing puts the readme, from the program's folder.
constexpr const char* kReadmePlaces[] = {"../share/doc/orvelune/README.md", "readme-ja.txt"};

} // namespace

std::string installed_readme_address(const std::string& program_folder)
{
    for (const char* place : kReadmePlaces) {
        std::error_code error;
        const std::filesystem::path path =
            std::filesystem::weakly_canonical(file_io::path_from_utf8(program_folder) / place, error);
        if (!error && std::filesystem::is_regular_file(path, error)) {
            const std::u8string utf8 = path.generic_u8string();
            return file_address(std::string(utf8.begin(), utf8.end()));
        }
    }
    return {};
}

std::string file_address(const std::string& absolute_path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    // A Windows path ("C:/...") takes a third slash before its drive.
    std::string address = absolute_path.starts_with('/') ? "file://" : "file:///";
    for (std::size_t i = 0; i < absolute_path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(absolute_path[i]);
        const bool drive = i == 1 && byte == ':';
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/' || drive) {
            address += char(byte);
        } else if (byte == '\\') {
            address += '/';
        } else {
            address += '%';
            address += kHex[byte >> 4];
            address += kHex[byte & 15];
        }
    }
    return address;
}
