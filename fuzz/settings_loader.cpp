// The settings loader: any bytes as the settings file. Loading never fails,
// and leaves settings that hold together: the defaults' texts filled in, the
// speed factor of the speed, and a picture path that a save can carry. The
// loader never looks at the picture path (a dead network mount would hold
// it), so pattern 4 is kept as written, whatever lies at its path.
#include "settings/number_text.h"
#include "settings/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// One file name per process; the file lives only while an input is loaded
// (libFuzzer ends without running exit handlers, which could remove it).
// In memory where the system has such a folder: millions of rewrites of a
// disk file would wait on the disk.
const std::string& file_path()
{
    static const std::string path = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp")
                                    + std::string("/orvelune-fuzz-") + std::to_string(::getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Created afresh, never through whatever else may lie at the name.
    const int out = ::open(file_path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    check(out >= 0);
    check(size == 0 || ::write(out, data, size) == ssize_t(size));
    check(::close(out) == 0);

    Settings s{};
    LoadSettings(s, file_path());
    check(s.g_IniPath == file_path());
    for (int slot = 1; slot <= 11; ++slot)
        check(!s.g_DefaultColorText[std::size_t(slot)].empty());
    check(s.g_SpeedFactor == speed_factor_for(s.g_Speed));
    // A NUL ends a value on reading, and no line break survives in one.
    check(s.g_BackgroundPicturePath.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    check(::unlink(file_path().c_str()) == 0);
    return 0;
}
