#include "wine_rig.h"

#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace winetest {

namespace {

// A fresh prefix is made on first use, which takes far longer than any
// later start.
constexpr auto kFirstStartTimeout = 180s;

std::optional<std::string> find_program(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

void set_variable(std::vector<std::string>& env, const std::string& assignment)
{
    const std::string name = assignment.substr(0, assignment.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
    env.push_back(assignment);
}

// Starts `argv` with `env`; its standard output into a pipe whose reading end
// is returned in `output` (when asked for), its standard error discarded
// (Wine's own chatter).
pid_t spawn(const std::vector<std::string>& argv_text, const std::vector<std::string>& env_text,
            int* output)
{
    std::vector<std::string> args = argv_text, env = env_text;
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int fds[2] = {-1, -1};
    if (output && pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output)
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        close(fds[1]);
        *output = fds[0];
    }
    return pid;
}

// Ends the suite's Wine when the suite ends.
class WineEnvironment : public ::testing::Environment {
public:
    void TearDown() override { WineSuite::get().shut_down(); }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WineEnvironment);

} // namespace

// ---- WineProcess

WineProcess::WineProcess(WineProcess&& other) noexcept
    : m_child(std::move(other.m_child)), m_output(other.m_output), m_buffer(std::move(other.m_buffer))
{
    other.m_output = -1;
}

WineProcess& WineProcess::operator=(WineProcess&& other) noexcept
{
    if (this != &other) {
        if (m_output >= 0)
            close(m_output);
        m_child = std::move(other.m_child);
        m_output = other.m_output;
        m_buffer = std::move(other.m_buffer);
        other.m_output = -1;
    }
    return *this;
}

WineProcess::~WineProcess()
{
    if (m_output >= 0)
        close(m_output);
}

std::optional<int> WineProcess::wait_exit(std::chrono::milliseconds timeout)
{
    const std::optional<int> status = m_child.wait(timeout);
    if (!status)
        return std::nullopt;
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
}

std::optional<std::string> WineProcess::read_line(std::chrono::milliseconds timeout)
{
    const auto until = Clock::now() + timeout;
    for (;;) {
        if (const std::size_t end = m_buffer.find('\n'); end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back(); // a Windows console writes CR LF
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (m_output < 0 || left.count() <= 0)
            return std::nullopt;
        pollfd p{m_output, POLLIN, 0};
        if (poll(&p, 1, int(left.count())) <= 0)
            continue;
        char chunk[512];
        const ssize_t n = read(m_output, chunk, sizeof chunk);
        if (n <= 0) {
            close(m_output);
            m_output = -1;
            continue;
        }
        m_buffer.append(chunk, std::size_t(n));
    }
}

// ---- WineSuite

WineSuite& WineSuite::get()
{
    static WineSuite suite;
    if (!suite.m_started) {
        suite.m_started = true;
        suite.start_up();
    }
    return suite;
}

std::vector<std::string> WineSuite::environment(const std::string& locale) const
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    set_variable(env, "DISPLAY=" + m_screen->display_name());
    set_variable(env, std::string("WINEPREFIX=") + ORVELUNE_WINE_PREFIX);
    set_variable(env, "WINEARCH=win32");
    set_variable(env, "WINEDEBUG=-all");
    // No offer to install .NET or the HTML engine, no menu entries on the desktop.
    set_variable(env, "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
    // Wine takes the system's code page from the locale of the environment.
    set_variable(env, "LC_ALL=" + locale);
    return env;
}

void WineSuite::start_up()
{
    const std::optional<std::string> wine = find_program("wine");
    const std::optional<std::string> wineserver = find_program("wineserver");
    if (!wine || !wineserver) {
        m_why = "Wine is not installed (scripts/install-deps installs wine and wine32)";
        return;
    }
    m_wine = *wine;
    m_wineserver = *wineserver;
    for (const char* program : {"Orvelune.scr", "orvelune-render.exe", "orvelune-probe.exe"})
        if (!std::filesystem::exists(win32_program(program))) {
            // Not a reason to skip: the build is incomplete.
            ADD_FAILURE() << "expected " << win32_program(program)
                          << " from the cross build (make build makes it)";
            m_why = "the Windows programs are not built";
            return;
        }
    m_screen = std::make_unique<x11test::XvfbRig>(kScreenWidth, kScreenHeight);
    if (!m_screen->available()) {
        m_why = m_screen->why();
        return;
    }
    // A wineserver left by an earlier run that was killed would still speak
    // to a screen that is gone; then one server for the whole suite, kept
    // between programs instead of starting anew with each.
    restart_server();

    // The first program makes the prefix; if no 32-bit program runs at all,
    // this machine cannot run the suite.
    WineProcess first = start(win32_program("orvelune-probe.exe"), {"acp"});
    const std::optional<std::string> line = first.read_line(kFirstStartTimeout);
    if (!line || line->empty()) {
        m_why = "this machine cannot run 32-bit Windows programs under Wine "
                "(scripts/install-deps adds the i386 architecture, wine and wine32)";
        return;
    }
    first.wait_exit(10s);
    m_ready = true;
}

WineProcess WineSuite::start(const std::string& program, const std::vector<std::string>& args,
                             const std::string& locale)
{
    std::vector<std::string> argv{m_wine, program};
    argv.insert(argv.end(), args.begin(), args.end());
    int output = -1;
    const pid_t pid = spawn(argv, environment(locale), &output);
    return WineProcess(x11test::Child(pid), output);
}

std::string WineSuite::probe(const std::vector<std::string>& args, const std::string& locale)
{
    WineProcess probe = start(win32_program("orvelune-probe.exe"), args, locale);
    std::string line = probe.read_line(30s).value_or("");
    probe.wait_exit(10s);
    return line;
}

bool WineSuite::wait_until_gone(const std::string& title, std::chrono::milliseconds timeout)
{
    const auto until = Clock::now() + timeout;
    while (m_screen->find_window(title)) {
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

void WineSuite::restart_server()
{
    x11test::Child(spawn({m_wineserver, "-k"}, environment("en_US.UTF-8"), nullptr)).wait(10s);
    x11test::Child(spawn({m_wineserver, "-p"}, environment("en_US.UTF-8"), nullptr)).wait(10s);
}

void WineSuite::shut_down()
{
    if (!m_wineserver.empty() && m_screen)
        x11test::Child(spawn({m_wineserver, "-k"}, environment("en_US.UTF-8"), nullptr)).wait(10s);
    m_screen.reset();
    m_ready = false;
}

// ---- SaverFolder

SaverFolder::SaverFolder(const std::string& name)
{
    char folder[] = "/tmp/orvelune-wine-test-XXXXXX";
    if (!mkdtemp(folder))
        return;
    m_root = folder;
    m_path = m_root + "/" + name;
    std::filesystem::create_directories(m_path);
    std::filesystem::copy_file(win32_program("Orvelune.scr"), scr());
}

SaverFolder::~SaverFolder()
{
    std::error_code ignored;
    if (!m_root.empty())
        std::filesystem::remove_all(m_root, ignored);
}

void SaverFolder::write_settings(const Settings& settings) const
{
    save_settings_file(ini(), settings);
}

// ---- helpers

std::string windows_path(const std::string& linux_path)
{
    std::string path = "Z:" + linux_path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string win32_program(const std::string& name)
{
    return std::string(ORVELUNE_WIN32_DIR) + "/" + name;
}

std::string hex(std::string_view text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace winetest
