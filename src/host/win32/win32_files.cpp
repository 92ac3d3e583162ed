// Files on Windows; see settings/file_io.h. Compiled into the settings library.
#include "settings/file_io.h"
#include "settings/file_io_platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

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

std::wstring temporary_prefix(const std::wstring& name) { return L"." + name.substr(0, 200) + L"."; }

constexpr std::size_t kSaltDigits = 16;
constexpr std::wstring_view kTemporarySuffix = L".tmp";

// See the POSIX version: a random name, created exclusively.
std::wstring temporary_name(const std::wstring& name)
{
    std::random_device random;
    std::uint64_t salt = (std::uint64_t(random()) << 32) ^ random() ^ std::uint64_t(::GetCurrentProcessId());
    wchar_t digits[kSaltDigits + 1];
    std::swprintf(digits, kSaltDigits + 1, L"%016llx", static_cast<unsigned long long>(salt));
    return temporary_prefix(name) + digits + std::wstring(kTemporarySuffix);
}

bool is_temporary_of(std::wstring_view entry, const std::wstring& prefix)
{
    if (entry.size() != prefix.size() + kSaltDigits + kTemporarySuffix.size() || !entry.starts_with(prefix)
        || !entry.ends_with(kTemporarySuffix))
        return false;
    for (wchar_t c : entry.substr(prefix.size(), kSaltDigits))
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
            return false;
    return true;
}

// A save keeps its new file open, with a handle that lets nobody else open
// it for deleting, from its creation until the file has taken the old one's
// place. So a leftover that opens for deleting belongs to no running save:
// it was left by one that was killed, and goes when it is closed. Links and
// folders at such names are not ours and stay.
void remove_abandoned_temporaries(const std::filesystem::path& folder, const std::wstring& name)
{
    const std::wstring prefix = temporary_prefix(name);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder / (prefix + L"*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            || !is_temporary_of(found.cFileName, prefix))
            continue;
        Handle leftover(::CreateFileW((folder / found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// Renames the open file `file` over `target` while it stays open, so that it
// is never unheld on its way; false when the system cannot rename that way.
bool rename_open_file(HANDLE file, const std::filesystem::path& target)
{
    const std::wstring name = target.wstring();
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), info->FileName);
    info->FileName[name.size()] = L'\0';
    return ::SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(buffer.size()));
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

    remove_abandoned_temporaries(folder, name.wstring());

    // Deleting is among the rights asked for, so that the file can be
    // renamed through its handle; others may read it, and rename over it
    // once it is in place, but not open it to delete it.
    std::filesystem::path temporary;
    Handle out(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 16 && out.h == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder / temporary_name(name.wstring());
        out.h = ::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    if (rename_open_file(out.h, target))
        return std::nullopt;
    // A system that cannot rename an open file: closed and moved by name.
    ::CloseHandle(out.h);
    out.h = INVALID_HANDLE_VALUE;
    // Write-through: the call returns once the rename is on the disk.
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return give_up(Step::Rename, last_error());
    return std::nullopt;
}

} // namespace platform

} // namespace file_io
