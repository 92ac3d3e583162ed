// Text between our UTF-8 and the UTF-16 of the wide-character calls, and the
// names of windows. Every title, message, caption and path goes through the
// wide calls, so that it reads the same whatever the system's code page.
#include "host/win32/win32_host_impl.h"

#include <climits>

namespace host {

std::wstring utf16_from_utf8(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > std::size_t(INT_MAX))
        return {};
    // Without MB_ERR_INVALID_CHARS, invalid bytes become U+FFFD.
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring out(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

std::string utf8_from_utf16(std::wstring_view utf16)
{
    if (utf16.empty() || utf16.size() > std::size_t(INT_MAX))
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string out(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

} // namespace host

namespace host::win32 {

std::string window_title(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(std::size_t(got > 0 ? got : 0));
    return utf8_from_utf16(text);
}

bool Win32Host::top_level_window_exists(std::string_view title_utf8)
{
    // Any class, this exact caption: the wide lookup finds a Japanese title
    // on a system of any code page.
    const std::wstring title = utf16_from_utf8(title_utf8);
    return FindWindowW(nullptr, title.c_str()) != nullptr;
}

std::optional<gfx::Rect> Win32Host::native_window_rect(NativeHandle handle)
{
    // Window handles are 32-bit values on every Windows, even 64-bit ones.
    HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
    RECT rect{};
    if (handle == 0 || !IsWindow(hwnd) || !GetWindowRect(hwnd, &rect))
        return std::nullopt;
    return gfx::Rect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool Win32Host::is_desktop_window(NativeHandle handle)
{
    HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
    if (hwnd == nullptr)
        return false;
    if (hwnd == GetDesktopWindow())
        return true;
    // The shell's desktop (Program Manager) and the windows inside it, such
    // as the list of the desktop's icons.
    HWND shell = GetShellWindow();
    return shell != nullptr && GetAncestor(hwnd, GA_ROOT) == shell;
}

} // namespace host::win32
