// The settings loader: any bytes as the settings file. Loading never fails,
// and leaves settings that hold together: the defaults' texts filled in, the
// speed factor of the speed, pattern 4 only with a picture file that exists,
// and a picture path that a save can carry.
#include "settings/number_text.h"
#include "settings/settings_file.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// One file per process, rewritten for every input.
const std::string& file_path()
{
    static const std::string path = [] {
        // In memory where the system has such a folder: millions of
        // rewrites of a disk file would wait on the disk.
        char name[] = "/dev/shm/orvelune-fuzz-XXXXXX";
        if (::access("/dev/shm", W_OK) != 0)
            std::snprintf(name, sizeof name, "/tmp/orvelune-fuzz-XXXXXX");
        int fd = ::mkstemp(name);
        check(fd >= 0);
        ::close(fd);
        std::atexit([] { std::remove(file_path().c_str()); });
        return std::string(name);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* out = std::fopen(file_path().c_str(), "wb");
    check(out != nullptr);
    check(std::fwrite(data, 1, size, out) == size);
    check(std::fclose(out) == 0);

    Settings s{};
    LoadSettings(s, file_path());
    check(s.g_IniPath == file_path());
    for (int slot = 1; slot <= 11; ++slot)
        check(!s.g_DefaultColorText[std::size_t(slot)].empty());
    // Pattern 4 survives the load only with a picture file that exists.
    if (s.g_BackgroundMode == 4)
        check(FileExists(s.g_BackgroundPicturePath));
    check(s.g_SpeedFactor == speed_factor_for(s.g_Speed));
    // A NUL ends a value on reading, and no line break survives in one.
    check(s.g_BackgroundPicturePath.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    return 0;
}
