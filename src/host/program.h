#pragma once

#include <string>
#include <vector>

// The program as the system starts it. Each desktop backend holds the
// process's entry point (x11/x11_main.cpp, win32/win32_main.cpp): it readies
// the process as its system asks (on Linux the end signals are caught before
// any library starts), reads the arguments in UTF-8, and calls
// program_main(), which start-up defines once per program. What the program
// does with its arguments is portable; only how they arrive is not.
namespace host {

// What the system handed over, in UTF-8.
struct ProgramArguments {
    // The arguments after the program's own name, one by one (Linux).
    std::vector<std::string> list;
    // The argument text as the runtime of a screen saver hands it over: the
    // command line without the program's name (quoted or not) and the blanks
    // after it (Windows).
    std::string text;
};

// The folder of the program file the process runs, where the settings file
// lives on Windows: the folder of Orvelune.scr (or of the render tool) as
// the system loaded it, however the program was started (by a full path, a
// relative one, or a search of PATH). Never fails: "." when the system does
// not say. Any thread. Defined once per system (win32/win32_program.cpp,
// posix/posix_program.cpp), so the programs and the render tool agree.
std::string program_folder();

} // namespace host

// The program: reads `arguments`, opens the desktop host and runs one mode
// to its end; returns the process's exit status. Runs on the entry point's
// thread, which becomes the user-interface thread. Portable; defined by
// start-up (startup/main_linux.cpp, startup/main_windows.cpp).
int program_main(const host::ProgramArguments& arguments);
