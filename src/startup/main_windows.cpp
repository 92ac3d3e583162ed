// Orvelune.scr: the screen saver as Windows starts it, with the switches of
// a screen saver ("/s", "/p <hwnd>", "/c", "/a <hwnd>", or none) after the
// program's own name, on the Windows host.
#include "host/win32/win32_host.h"
#include "settings/settings_file.h"
#include "startup/startup.h"
#include "startup/windowed_modes.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>

namespace {

// The argument text as the runtime of a screen saver hands it over: the
// command line without the program's name (quoted or not) and the blanks
// after it. Wide, so that a path after "/p" or in the name of the folder
// survives any code page.
std::wstring argument_text()
{
    std::wstring_view line = GetCommandLineW();
    std::size_t i = 0;
    if (!line.empty() && line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        i = close == std::wstring_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t')
            ++i;
    }
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
        ++i;
    return std::wstring(line.substr(i));
}

// The folder of Orvelune.scr itself, where its settings file lives.
std::string program_folder()
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
    return host::utf8_from_utf16(separator == std::wstring::npos ? L"." : path.substr(0, separator));
}

int run()
{
    StartupOptions options;
    options.command_line = host::utf8_from_utf16(argument_text());
    options.ini_path = default_ini_path(program_folder());
    options.seed = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());

    std::string error;
    std::unique_ptr<host::Host> host = host::open_win32_host(error);
    if (!host) {
        MessageBoxW(nullptr, host::utf16_from_utf8("Orvelune: " + error).c_str(), L"Orvelune",
                    MB_OK | MB_ICONEXCLAMATION);
        return EXIT_FAILURE;
    }
    plug_in_windowed_modes(options.seams, options.seed);
    return run_startup(*host, options);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Pictures the size of the screen (several of them) may be more than the
    // system lets us have. Every window has gone with the unwinding by the
    // time the message shows.
    try {
        return run();
    } catch (const std::bad_alloc&) {
        constexpr const char* kMessage = "Orvelune: out of memory: the system refused the memory "
                                         "for the pictures, each as large as the screen";
        std::fprintf(stderr, "%s\n", kMessage);
        std::fflush(stderr);
        MessageBoxW(nullptr, host::utf16_from_utf8(kMessage).c_str(), L"Orvelune",
                    MB_OK | MB_ICONEXCLAMATION);
        return EXIT_FAILURE;
    }
}
