// The system's headers stay in the host backends. Engine, dialog, settings,
// start-up, the tools and the benchmarks reach the system only through the
// host's portable interfaces; only the files under src/host/<backend>/
// (x11, wayland, win32, posix, gdk, pango, ...) include what a platform
// provides. A file that breaks the rule is named here with its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Headers that belong to one system or its desktop libraries: the name
// itself, or a folder (ending in '/') or a prefix (ending in '*') of names.
constexpr std::array kSystemHeaders = {
    // Windows and its libraries.
    "win*", "objbase.h", "ole2.h", "olectl.h", "ocidl.h", "oleidl.h", "objidl.h", "unknwn.h",
    "shlobj.h", "shellapi.h", "shobjidl.h", "shlwapi.h", "commdlg.h", "commctrl.h", "mmsystem.h",
    "scrnsave.h", "dwmapi.h", "uxtheme.h", "wincodec.h", "combaseapi.h", "knownfolders.h",
    "propidl.h", "psapi.h", "tlhelp32.h", "versionhelpers.h", "io.h", "direct.h", "tchar.h",
    // X11, Wayland and the desktop libraries.
    "X11/", "wayland*", "xkbcommon/", "gtk/", "gdk/", "gdk-pixbuf/", "glib*", "gio/", "gobject/",
    "pango/", "cairo*", "fontconfig/",
    // POSIX and Linux.
    "unistd.h", "sys/", "fcntl.h", "pwd.h", "grp.h", "poll.h", "signal.h", "dlfcn.h", "pthread.h",
    "spawn.h", "dirent.h", "termios.h", "syslog.h", "sched.h", "semaphore.h", "netdb.h", "netinet/",
    "arpa/", "linux/", "asm/", "execinfo.h", "libgen.h", "fnmatch.h", "glob.h", "strings.h", "mntent.h",
    "utmp.h", "langinfo.h", "iconv.h", "err.h", "getopt.h", "malloc.h", "alloca.h", "endian.h",
};

bool is_system_header(std::string_view name)
{
    return std::any_of(kSystemHeaders.begin(), kSystemHeaders.end(), [&](std::string_view pattern) {
        if (pattern.ends_with('*'))
            return name.starts_with(pattern.substr(0, pattern.size() - 1));
        if (pattern.ends_with('/'))
            return name.starts_with(pattern);
        return name == pattern;
    });
}

// The system header a line includes, if it includes one: `#include <...>`,
// with any blanks the preprocessor allows around '#' and before the name.
// A quoted name is one of ours; a line that only mentions an include (in a
// comment) includes nothing.
std::optional<std::string> system_header_in(std::string_view line)
{
    auto skip_blanks = [&] {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
    };
    skip_blanks();
    if (!line.starts_with('#'))
        return std::nullopt;
    line.remove_prefix(1);
    skip_blanks();
    if (!line.starts_with("include"))
        return std::nullopt;
    line.remove_prefix(7);
    skip_blanks();
    if (!line.starts_with('<'))
        return std::nullopt;
    const std::size_t close = line.find('>');
    if (close == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = line.substr(1, close - 1);
    if (!is_system_header(name))
        return std::nullopt;
    return std::string(name);
}

// Whether a file at this path (relative to the source tree, with '/') may
// include system headers: a file in a backend's folder, src/host/<backend>/.
// The host's own files (host.h, the shared loop) are portable.
bool may_include_system_headers(std::string_view path)
{
    constexpr std::string_view kHost = "src/host/";
    if (!path.starts_with(kHost))
        return false;
    return path.substr(kHost.size()).find('/') != std::string_view::npos;
}

TEST(OsHeaders, AnIncludeOfASystemHeaderIsFoundHoweverItIsWritten)
{
    struct Case {
        std::string_view line;
        std::optional<std::string> header;
    };
    const Case cases[] = {
        {"#include <windows.h>", "windows.h"},
        {"  #  include   <unistd.h>  // for close", "unistd.h"},
        {"#\tinclude\t<sys/stat.h>", "sys/stat.h"},
        {"#include <X11/extensions/XShm.h>", "X11/extensions/XShm.h"},
        {"#include <wayland-client.h>", "wayland-client.h"},
        {"#include <glib-unix.h>", "glib-unix.h"},
        {"#include <gdk-pixbuf/gdk-pixbuf.h>", "gdk-pixbuf/gdk-pixbuf.h"},
        {"#include <pango/pangocairo.h>", "pango/pangocairo.h"},
        {"#include <cairo.h>", "cairo.h"},
        {"#include <wincodec.h>", "wincodec.h"},
        {"#include <signal.h>", "signal.h"},
        {"#include <pwd.h>", "pwd.h"},
        // The C++ library's own headers are everyone's, <csignal> among them.
        {"#include <csignal>", std::nullopt},
        {"#include <cerrno>", std::nullopt},
        {"#include <filesystem>", std::nullopt},
        {"#include <benchmark/benchmark.h>", std::nullopt},
        {"#include <png.h>", std::nullopt},
        // Ours, by quotes, even when the name looks like a system one.
        {"#include \"host/x11/x11_host.h\"", std::nullopt},
        {"#include \"windows.h\"", std::nullopt},
        // Not an include at all.
        {"// #include <windows.h> is for the backends only", std::nullopt},
        {"std::string text = \"#include <unistd.h>\";", std::nullopt},
        {"#include_next <unistd.h>", std::nullopt},
        {"#include <unistd.h", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(system_header_in(c.line), c.header) << "line: " << c.line;
}

TEST(OsHeaders, OnlyTheBackendsFoldersMayIncludeThem)
{
    struct Case {
        std::string_view path;
        bool allowed;
    };
    const Case cases[] = {
        {"src/host/x11/x11_window.cpp", true},
        {"src/host/win32/win32_files.cpp", true},
        {"src/host/posix/posix_files.cpp", true},
        {"src/host/wayland/wayland_loop.cpp", true},
        {"src/host/host.h", false},
        {"src/host/run_loop.cpp", false},
        {"src/settings/settings_file.cpp", false},
        {"src/startup/main_linux.cpp", false},
        {"src/engine/compositor.cpp", false},
        {"tools/orvelune-render/png_frames_wic.cpp", false},
        {"bench/bench_x11.cpp", false},
        {"src/hostile/x.cpp", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(may_include_system_headers(c.path), c.allowed) << "path: " << c.path;
}

TEST(OsHeaders, NoFileOutsideTheBackendsIncludesOne)
{
    const fs::path root = ORVELUNE_SOURCE_DIR;
    std::vector<std::string> offences;
    std::size_t files = 0;
    for (const char* top : {"src", "tools", "bench"}) {
        ASSERT_TRUE(fs::is_directory(root / top)) << (root / top).string();
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / top)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file()
                || (extension != ".cpp" && extension != ".h" && extension != ".c" && extension != ".inc"
                    && extension != ".hpp"))
                continue;
            const std::string path = entry.path().lexically_relative(root).generic_string();
            ++files;
            if (may_include_system_headers(path))
                continue;
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number)
                if (std::optional<std::string> header = system_header_in(line))
                    offences.push_back(path + ":" + std::to_string(number) + ": <" + *header + ">");
        }
    }
    // The walk must have found the sources, or it proves nothing.
    EXPECT_GT(files, 100u);
    std::string listed;
    for (const std::string& offence : offences)
        listed += "\n  " + offence;
    EXPECT_TRUE(offences.empty()) << "system headers outside src/host/<backend>/:" << listed;
}

} // namespace
