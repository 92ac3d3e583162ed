// The long form of a Windows path; see long_path.h. Portable, so that its
// rules are tested on every build.
#include "host/long_path.h"

#include <algorithm>
#include <vector>

namespace host {

namespace {

bool is_path_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool is_drive_letter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The components of `rest`, tidied: "." dropped, ".." taking back the one
// before it and nothing above the first.
std::vector<std::wstring_view> tidy_components(std::wstring_view rest)
{
    std::vector<std::wstring_view> kept;
    while (!rest.empty()) {
        const auto end = std::find_if(rest.begin(), rest.end(), is_path_separator);
        const std::wstring_view part = rest.substr(0, std::size_t(end - rest.begin()));
        rest.remove_prefix(std::min(rest.size(), part.size() + 1));
        if (part.empty() || part == L".")
            continue;
        if (part == L"..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    return kept;
}

} // namespace

std::wstring long_path_form(std::wstring_view path)
{
    const bool unc = path.size() > 2 && is_path_separator(path[0]) && is_path_separator(path[1]);
    const bool drive = path.size() > 2 && is_drive_letter(path[0]) && path[1] == L':'
                       && is_path_separator(path[2]);
    const bool prefixed = unc && (path[2] == L'?' || path[2] == L'.') && path.size() > 3
                          && is_path_separator(path[3]);
    if (prefixed || (!unc && !drive))
        return std::wstring(path);

    std::wstring result;
    std::vector<std::wstring_view> parts;
    if (drive) {
        result = L"\\\\?\\";
        result.append(path.substr(0, 2));
        parts = tidy_components(path.substr(3));
    } else {
        // The server and its share stand as the root: ".." stops below them.
        result = L"\\\\?\\UNC";
        std::wstring_view rest = path.substr(2);
        for (int i = 0; i < 2 && !rest.empty(); ++i) {
            const auto end = std::find_if(rest.begin(), rest.end(), is_path_separator);
            result.append(L"\\").append(rest.substr(0, std::size_t(end - rest.begin())));
            rest.remove_prefix(std::size_t(end - rest.begin()));
            while (!rest.empty() && is_path_separator(rest.front()))
                rest.remove_prefix(1);
        }
        parts = tidy_components(rest);
    }
    for (const std::wstring_view part : parts)
        result.append(L"\\").append(part);
    if (drive && parts.empty())
        result.append(L"\\"); // the drive's root keeps its separator
    return result;
}

} // namespace host
