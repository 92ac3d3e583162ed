#include "settings/file_io.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace file_io {

fs::path path_from_utf8(std::string_view utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

FileBytes read_file(const std::string& utf8_path)
{
    FileBytes result;
    fs::path path = path_from_utf8(utf8_path);
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        result.status = FileBytes::Missing;
        return result;
    }
    result.status = FileBytes::Unreadable;
    if (fs::is_directory(status)) {
        result.error = "設定ファイルの場所がフォルダーです: " + utf8_path;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "設定ファイルを読めません: " + utf8_path;
        return result;
    }
    char chunk[64 * 1024];
    while (in) {
        in.read(chunk, sizeof chunk);
        result.bytes.append(chunk, std::size_t(in.gcount()));
        if (result.bytes.size() > kMaxFileBytes) {
            result.bytes.clear();
            result.error = "設定ファイルが大きすぎます: " + utf8_path;
            return result;
        }
    }
    if (in.bad()) {
        result.bytes.clear();
        result.error = "設定ファイルを読めません: " + utf8_path;
        return result;
    }
    result.status = FileBytes::Read;
    return result;
}

std::string replace_file(const std::string& utf8_path, std::string_view bytes)
{
    fs::path target = path_from_utf8(utf8_path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    auto failure = [&](std::string_view what) {
        std::string message = "設定ファイルを保存できませんでした: " + utf8_path + " (" + std::string(what);
        if (ec)
            message += ": " + ec.message();
        return message + ")";
    };

    if (target.has_parent_path()) {
        ec.clear();
        fs::create_directories(target.parent_path(), ec);
        if (ec)
            return failure("フォルダーを作れません");
    }

    fs::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return failure("一時ファイルを作れません");
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        out.close();
        if (out.fail()) {
            fs::remove(temporary, ec);
            ec.clear();
            return failure("一時ファイルに書けません");
        }
    }

    ec.clear();
    fs::file_status old = fs::status(target, ec);
    if (!ec && fs::is_regular_file(old))
        fs::permissions(temporary, old.permissions(), ec); // best effort: the content matters more

    ec.clear();
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return failure("置き換えられません");
    }
    return {};
}

} // namespace file_io
