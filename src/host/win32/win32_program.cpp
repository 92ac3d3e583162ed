// The program's folder on Windows: that of the module itself; see host/program.h.
#include "host/program.h"
#include "host/win32/win32_host.h"

#include "host/win32/windows_api.h"

#include <string>

std::string host::program_folder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // a long path: try again with room for it
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    return utf8_from_utf16(separator == std::wstring::npos ? L"." : path.substr(0, separator));
}
