// Files on Windows; see file_io.h.
#include "settings/file_io.h"
#include "settings/file_io_platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace file_io {

namespace {

std::error_code last_error() { return {int(::GetLastError()), std::system_category()}; }

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

bool write_all(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &done, nullptr) || done == 0)
            return false;
        bytes.remove_prefix(done);
    }
    return true;
}

// See the POSIX version: a random name, created exclusively.
std::wstring temporary_name(const std::wstring& name)
{
    std::random_device random;
    std::uint64_t salt = (std::uint64_t(random()) << 32) ^ random() ^ std::uint64_t(::GetCurrentProcessId());
    wchar_t suffix[24];
    std::swprintf(suffix, 24, L".%016llx.tmp", static_cast<unsigned long long>(salt));
    return L"." + name.substr(0, 200) + suffix;
}

} // namespace

InputFile::~InputFile() { close(); }

void InputFile::close()
{
    if (m_handle)
        ::CloseHandle(m_handle);
    m_handle = nullptr;
    m_size = 0;
}

ReadStatus InputFile::open(const std::string& utf8_path)
{
    close();
    // Backup semantics let a folder open too, so that it can be told apart;
    // pipes and devices ("NUL", "COM1", "\\.\pipe\x") open without waiting
    // and are refused by their type below.
    std::filesystem::path path = path_from_utf8(utf8_path);
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.h == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing
                                                                               : ReadStatus::Unreadable;
    }
    if (::GetFileType(file.h) != FILE_TYPE_DISK)
        return ReadStatus::NotAFile;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.h, &info))
        return ReadStatus::Unreadable;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return ReadStatus::Folder;
    m_handle = file.h;
    file.h = INVALID_HANDLE_VALUE;
    m_size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return ReadStatus::Read;
}

std::optional<std::size_t> InputFile::read(char* into, std::size_t capacity)
{
    if (!m_handle)
        return std::nullopt;
    DWORD got = 0;
    if (!::ReadFile(m_handle, into, DWORD(std::min<std::size_t>(capacity, 1u << 30)), &got, nullptr))
        return std::nullopt;
    return std::size_t(got);
}

namespace platform {

std::optional<ReplaceError> replace_in_folder(const std::filesystem::path& folder,
                                              const std::filesystem::path& name, std::string_view bytes)
{
    using Step = ReplaceError::Step;
    const std::filesystem::path target = folder / name;
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return ReplaceError{Step::NotAFile, std::make_error_code(std::errc::is_a_directory)};
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return ReplaceError{Step::ReadOnly, std::error_code(ERROR_ACCESS_DENIED, std::system_category())};
    }

    std::filesystem::path temporary;
    Handle out(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 16 && out.h == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder / temporary_name(name.wstring());
        out.h = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out.h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS
            && ::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (out.h == INVALID_HANDLE_VALUE)
        return ReplaceError{Step::Temporary, last_error()};

    auto give_up = [&](Step step, std::error_code code) {
        if (out.h != INVALID_HANDLE_VALUE)
            ::CloseHandle(out.h);
        out.h = INVALID_HANDLE_VALUE;
        ::DeleteFileW(temporary.c_str());
        return ReplaceError{step, code};
    };
    if (!write_all(out.h, bytes) || !::FlushFileBuffers(out.h))
        return give_up(Step::Write, last_error());
    ::CloseHandle(out.h);
    out.h = INVALID_HANDLE_VALUE;
    // Write-through: the call returns once the rename is on the disk.
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return give_up(Step::Rename, last_error());
    return std::nullopt;
}

} // namespace platform

} // namespace file_io
