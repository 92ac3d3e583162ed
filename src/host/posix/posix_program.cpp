// The program's folder on Linux: that of the program file the process runs,
// as the system names it in /proc; see host/program.h.
#include "host/program.h"

#include <filesystem>
#include <string>
#include <system_error>

std::string host::program_folder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path())
        return ".";
    return program.parent_path().string();
}
