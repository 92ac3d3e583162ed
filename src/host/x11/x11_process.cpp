// Other programs we start: found along $PATH, and started detached.
#include "host/x11/desktop_host.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace host::x11 {

namespace {

bool executable(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string find_program(const std::string& name, const std::vector<std::string>& extra_folders)
{
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        const std::string dirs(path);
        std::size_t start = 0;
        while (start <= dirs.size()) {
            const std::size_t end = std::min(dirs.find(':', start), dirs.size());
            // An empty entry means the current folder.
            folders.push_back(end > start ? dirs.substr(start, end - start) : ".");
            start = end + 1;
        }
    }
    folders.insert(folders.end(), extra_folders.begin(), extra_folders.end());
    for (const std::string& folder : folders)
        if (const std::string candidate = folder + "/" + name; executable(candidate))
            return candidate;
    return {};
}

bool spawn_detached(const std::string& path, const std::vector<std::string>& argv)
{
    // Everything the two children need is made before the first fork: after
    // it, only calls that are safe in a child of a threaded process are made.
    std::vector<char*> args;
    std::vector<std::string> texts = argv;
    for (std::string& text : texts)
        args.push_back(text.data());
    args.push_back(nullptr);

    const pid_t middle = fork();
    if (middle < 0)
        return false;
    if (middle == 0) {
        // The intermediate child starts the program and ends at once; the
        // program, orphaned, is reaped by the system instead of by us.
        const pid_t program = fork();
        if (program == 0) {
            execve(path.c_str(), args.data(), environ);
            _exit(127);
        }
        _exit(program < 0 ? 1 : 0);
    }
    int status = -1;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace host::x11
