// The screen-saver services of the system. Systems outside the NT family
// keep a screen-saver password of their own: its check lives in the
// password control panel module and its change in the multiple-provider
// router. Both are looked up when needed; where a module or its function is
// missing (every NT-family system) there is no such password, which means
// "no password", not a refusal.
#include "host/win32/win32_host_impl.h"

namespace host::win32 {

namespace {

// The size of OSVERSIONINFOA, which is what the call expects to be told.
constexpr DWORD kVersionInfoSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoSize);

// Looks up `name` in `module` (loaded for the call); null when either is missing.
template <typename Function>
Function find_function(const wchar_t* module, const char* name, HMODULE& loaded)
{
    loaded = LoadLibraryW(module);
    if (!loaded)
        return nullptr;
    auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
    if (!function) {
        FreeLibrary(loaded);
        loaded = nullptr;
    }
    return function;
}

} // namespace

bool reports_nt_platform()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = kVersionInfoSize;
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL got = GetVersionExA(&info);
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif
    return got == 1 && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool Win32Host::is_nt_platform()
{
    return reports_nt_platform();
}

bool Win32Host::verify_screen_saver_password(host::Window& saver)
{
    using Verify = BOOL(WINAPI*)(HWND);
    HMODULE module = nullptr;
    const auto verify = find_function<Verify>(L"password.cpl", "VerifyScreenSavePwd", module);
    if (!verify)
        return true;
    // The check shows its own dialog over the saver and waits for it.
    const BOOL right = verify(reinterpret_cast<HWND>(std::uintptr_t(saver.native_handle())));
    FreeLibrary(module);
    return right != 0;
}

void Win32Host::change_screen_saver_password(NativeHandle parent)
{
    using Change = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    HMODULE module = nullptr;
    const auto change = find_function<Change>(L"mpr.dll", "PwdChangePasswordA", module);
    if (!change)
        return;
    // The screen-saver password's provider; its dialog is the system's.
    change("SCRSAVE", reinterpret_cast<HWND>(std::uintptr_t(parent)), 0, nullptr);
    FreeLibrary(module);
}

void Win32Host::set_screen_saver_running(bool running)
{
    // The system's own note of whether a saver runs (which also governs
    // whether the task-switching keys work while it does).
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, nullptr, 0);
}

void Win32Host::set_screen_saving_active(bool active)
{
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, 0);
}

} // namespace host::win32
