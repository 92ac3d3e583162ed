// Orvelune.scr's entry point: the wide command line read as the runtime of a
// screen saver hands it over, then program_main(). Compiled into the
// program, not into the host library.
#include "host/program.h"
#include "host/win32/win32_host.h"

#include "host/win32/windows_api.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// The argument text: the command line without the program's name (quoted
// or not) and the blanks after it. Wide, so that a path after "/p" or in the
// name of the folder survives any code page.
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

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Pictures the size of the screen (several of them) may be more than the
    // system lets us have. Every window has gone with the unwinding by the
    // time the message shows.
    try {
        host::ProgramArguments arguments;
        arguments.text = host::utf8_from_utf16(argument_text());
        return program_main(arguments);
    } catch (const std::bad_alloc&) {
        constexpr const char* kMessage = "Orvelune: out of memory: the system refused the memory "
                                         "for the pictures, each as large as the screen";
        std::fprintf(stderr, "%s\n", kMessage);
        std::fflush(stderr);
        host::show_start_failure(kMessage);
        return EXIT_FAILURE;
    }
}
