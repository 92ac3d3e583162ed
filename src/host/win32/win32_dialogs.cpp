// The system's dialogs, through their wide-character calls, with the
// requests the settings dialog makes. Each is modal over its owner and
// runs its own message loop until it closes; our windows are repainted
// meanwhile by their WM_PAINT, and their input waits in the system's queue.
#include "host/message_text.h"
#include "host/win32/win32_host_impl.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>

namespace host::win32 {

namespace {

HWND hwnd_of(host::Window* window)
{
    return window ? reinterpret_cast<HWND>(std::uintptr_t(window->native_handle())) : nullptr;
}

// The record sizes of the versions the requests were written for: the
// colour chooser's is its whole record, the file chooser's is the size
// from before the fields that Windows 2000 added.
constexpr DWORD kChooseColorSize = 36;
constexpr DWORD kOpenFileNameSize = 76;
static_assert(sizeof(CHOOSECOLORW) == kChooseColorSize || sizeof(void*) != 4);

// The file buffers' length in characters.
constexpr DWORD kFileBufferLength = 255;

// The colour chooser's flags: the full colour definition is switched off,
// and no colour is preset.
constexpr DWORD kChooseColorFlags = CC_PREVENTFULLOPEN;

} // namespace

void Win32Host::message_box(host::Window* owner, std::string_view text_utf8,
                            std::string_view title_utf8, MessageStyle style)
{
    const UINT type = MB_OK | (style == MessageStyle::Exclamation ? MB_ICONEXCLAMATION
                                                                   : MB_ICONINFORMATION);
    // The box breaks its lines only at blanks: a long path, which has
    // none, is broken here (or loses its middle), so that it fits the screen.
    MessageBoxW(hwnd_of(owner), utf16_from_utf8(message_box_text(text_utf8)).c_str(),
                utf16_from_utf8(title_utf8).c_str(), type);
}

std::optional<gfx::ColorRef> Win32Host::choose_color(host::Window* owner, gfx::ColorRef initial)
{
    // The sixteen custom colours are the system's display colours.
    std::array<COLORREF, 16> custom{};
    for (int i = 0; i < 16; ++i)
        custom[std::size_t(i)] = GetSysColor(i);
    CHOOSECOLORW request{};
    request.lStructSize = kChooseColorSize;
    request.hwndOwner = hwnd_of(owner);
    request.hInstance = reinterpret_cast<HWND>(m_instance);
    request.rgbResult = initial;
    request.lpCustColors = custom.data();
    request.Flags = kChooseColorFlags;
    if (!ChooseColorW(&request))
        return std::nullopt;
    return gfx::ColorRef(request.rgbResult);
}

std::optional<std::string> Win32Host::choose_picture_file(host::Window* owner,
                                                          const PictureFileRequest& request)
{
    // The filter is pairs of NUL-ended texts, ended by one more NUL.
    std::wstring filter = utf16_from_utf8(request.filter_name);
    filter += L'\0';
    filter += utf16_from_utf8(request.filter_patterns);
    filter += L'\0';
    filter += L'\0';
    // Without a folder of its own the chooser opens in the user's pictures.
    std::wstring folder = utf16_from_utf8(request.initial_folder);
    if (folder.empty()) {
        wchar_t pictures[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)))
            folder = pictures;
    }
    const std::wstring title = utf16_from_utf8(request.title);
    std::array<wchar_t, kFileBufferLength + 1> file{};
    std::array<wchar_t, kFileBufferLength + 1> file_title{};

    OPENFILENAMEW open{};
    open.lStructSize = kOpenFileNameSize;
    open.hwndOwner = hwnd_of(owner);
    open.hInstance = m_instance;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file.data();
    open.nMaxFile = kFileBufferLength;
    open.lpstrFileTitle = file_title.data();
    open.nMaxFileTitle = kFileBufferLength;
    open.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    open.lpstrTitle = title.c_str();
    open.Flags = 0;
    if (GetOpenFileNameW(&open) <= 0)
        return std::nullopt;
    return utf8_from_utf16(file.data());
}

void Win32Host::open_url(std::string_view url)
{
    // The owner is whichever of our windows has the focus, so an error the
    // shell shows stands over it.
    ShellExecuteW(GetActiveWindow(), L"open", utf16_from_utf8(url).c_str(), L"", L"",
                  SW_SHOWNORMAL);
}

} // namespace host::win32

void host::show_start_failure(std::string_view text_utf8)
{
    MessageBoxW(nullptr, utf16_from_utf8(text_utf8).c_str(), L"Orvelune", MB_OK | MB_ICONEXCLAMATION);
}
