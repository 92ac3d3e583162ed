#include "wine_rig.h"

#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace winetest {

namespace {

// A fresh prefix is made on first use, which takes far longer than any
// later start.
constexpr auto kFirstStartTimeout = 180s;

// A Windows program's standard output is captured, its standard error
// (Wine's own chatter) discarded.
testrig::SpawnOptions Captured()
{
    testrig::SpawnOptions options;
    options.stdin_path = "/dev/null";
    options.output = testrig::SpawnOptions::Output::Capture;
    options.stderr_path = "/dev/null";
    return options;
}

testrig::SpawnOptions Quiet()
{
    testrig::SpawnOptions options = Captured();
    options.output = testrig::SpawnOptions::Output::Null;
    return options;
}

// Ends the suite's Wine when the suite ends.
class WineEnvironment : public ::testing::Environment {
public:
    void TearDown() override { WineSuite::get().shut_down(); }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WineEnvironment);

} // namespace

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
    std::vector<std::string> env = testrig::current_environment();
    testrig::set_variable(env, "DISPLAY=" + m_screen->display_name());
    testrig::set_variable(env, std::string("WINEPREFIX=") + ORVELUNE_WINE_PREFIX);
    testrig::set_variable(env, "WINEARCH=win32");
    testrig::set_variable(env, "WINEDEBUG=-all");
    // No offer to install .NET or the HTML engine, no menu entries on the desktop.
    testrig::set_variable(env, "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
    // Wine takes the system's code page from the locale of the environment.
    testrig::set_variable(env, "LC_ALL=" + locale);
    return env;
}

void WineSuite::start_up()
{
    // Not a reason to skip: the build is incomplete.
    for (const char* program : {"Orvelune.scr", "orvelune-render.exe", "orvelune-probe.exe"})
        if (!std::filesystem::exists(win32_program(program))) {
            m_why = "expected " + win32_program(program) + " from the cross build (make build makes it)";
            m_incomplete_build = true;
            return;
        }
    const std::optional<std::string> wine = testrig::find_program("wine");
    const std::optional<std::string> wineserver = testrig::find_program("wineserver");
    if (!wine || !wineserver) {
        m_why = "Wine is not installed (scripts/install-deps installs wine and wine32)";
        return;
    }
    m_wine = *wine;
    m_wineserver = *wineserver;
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
    first.exit_code(10s);
    m_ready = true;
}

void WineSuite::fail_or_skip() const
{
    // A failure alone would let the test go on (a skip after a failure
    // does not stop it), to a screen that is not there.
    if (m_incomplete_build)
        FAIL() << m_why;
    GTEST_SKIP() << m_why;
}

WineProcess WineSuite::start(const std::string& program, const std::vector<std::string>& args,
                             const std::string& locale)
{
    std::vector<std::string> argv{m_wine, program};
    argv.insert(argv.end(), args.begin(), args.end());
    return testrig::spawn(argv, environment(locale), Captured());
}

std::string WineSuite::probe(const std::vector<std::string>& args, const std::string& locale)
{
    WineProcess probe = start(win32_program("orvelune-probe.exe"), args, locale);
    std::string line = probe.read_line(30s).value_or("");
    probe.exit_code(10s);
    return line;
}

bool WineSuite::wait_until_gone(const std::string& title, std::chrono::milliseconds timeout)
{
    return testrig::WaitUntil(timeout, [&] { return !m_screen->find_window(title); });
}

void WineSuite::restart_server()
{
    testrig::spawn({m_wineserver, "-k"}, environment("en_US.UTF-8"), Quiet()).wait(10s);
    testrig::spawn({m_wineserver, "-p"}, environment("en_US.UTF-8"), Quiet()).wait(10s);
}

void WineSuite::shut_down()
{
    if (!m_wineserver.empty() && m_screen)
        testrig::spawn({m_wineserver, "-k"}, environment("en_US.UTF-8"), Quiet()).wait(10s);
    m_screen.reset();
    m_ready = false;
}

// ---- WineTest

void WineTest::SetUp()
{
    if (!WineSuite::get().ready())
        return WineSuite::get().fail_or_skip();
}

void WineTest::TearDown()
{
    if (WineSuite::get().ready()) {
        EXPECT_TRUE(WineSuite::get().wait_until_gone("Orvelune(Main)")) << "expected the saver's window to go";
    }
}

// ---- SaverFolder

SaverFolder::SaverFolder(const std::string& name)
{
    if (m_root.path().empty())
        return;
    m_path = m_root / name;
    std::filesystem::create_directories(m_path);
    // Without the program (an incomplete build) the folder stays empty; the
    // suite reports what is missing.
    std::error_code error;
    std::filesystem::copy_file(win32_program("Orvelune.scr"), scr(), error);
}

SaverFolder::~SaverFolder() = default;

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
    const char* dir = std::getenv("ORVELUNE_WIN32_DIR");
    return std::string(dir && *dir ? dir : ORVELUNE_WIN32_DIR) + "/" + name;
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
