#pragma once

// Windows programs under 32-bit Wine for the tests: one Xvfb and one
// wineserver for the whole suite (started by the first test that needs
// them, ended when the suite ends), the programs run with their output
// read back, and folders that hold a copy of Orvelune.scr beside its
// settings file.
#include "settings/settings.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace winetest {

using testrig::Clock;
using namespace std::chrono_literals;

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

// A Windows program we started under Wine, its standard output captured
// (read_line); killed when it goes out of scope.
using WineProcess = testrig::Child;

class WineSuite {
public:
    // The suite's Wine, started on first use. When it cannot run, why() says
    // why; the tests then skip, or fail when the build lacks the Windows
    // programs.
    static WineSuite& get();
    bool ready() const { return m_ready; }
    const std::string& why() const { return m_why; }
    // Ends the calling SetUp's (or test's) test when the suite is not ready:
    // a failure naming the missing program, or a skip saying why Wine cannot
    // run here. The caller returns after it.
    void fail_or_skip() const;
    x11test::XvfbRig& screen() { return *m_screen; }

    // Runs a Windows program (a Linux path) with these arguments under Wine.
    // `locale` names the system locale Wine takes its code page from.
    WineProcess start(const std::string& program, const std::vector<std::string>& args,
                      const std::string& locale = "en_US.UTF-8");
    // Runs orvelune-probe with these arguments and returns its first line
    // of output (empty when it says nothing in time).
    std::string probe(const std::vector<std::string>& args, const std::string& locale = "en_US.UTF-8");

    // Waits until no window of this title is left on the screen: a program
    // that was killed loses its windows a moment later, and a start meanwhile
    // would take them for a running instance.
    bool wait_until_gone(const std::string& title, std::chrono::milliseconds timeout = 10s);
    // Ends every Windows program and starts the server anew: Wine reads the
    // monitors of the screen once, when its desktop starts with the first
    // program after this.
    void restart_server();
    void shut_down();

private:
    WineSuite() = default;
    void start_up();
    std::vector<std::string> environment(const std::string& locale) const;


    bool m_started = false;
    bool m_ready = false;
    bool m_incomplete_build = false;
    std::string m_why;
    std::string m_wine;
    std::string m_wineserver;
    std::unique_ptr<x11test::XvfbRig> m_screen;
};

// A folder of its own with a copy of Orvelune.scr (and so its settings file
// beside it), removed again when the test ends. `name` is the last part of
// the folder's path, so a test can give it characters of any script.
class SaverFolder {
public:
    explicit SaverFolder(const std::string& name = "saver");
    ~SaverFolder();

    const std::string& path() const { return m_path; }
    std::string scr() const { return m_path + "/Orvelune.scr"; }
    std::string ini() const { return m_path + "/Orvelune.ini"; }
    void write_settings(const Settings& settings) const;

private:
    testrig::TempFolder m_root{"orvelune-wine-test"};
    std::string m_path;
};

// A test that needs the suite's Wine: it skips, saying why, when Wine
// cannot run here (and fails when a Windows program is missing), and ends only once the saver's window has gone, so that
// the next test's start does not find it.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The Windows form of a Linux path, through Wine's drive Z: (the root).
std::string windows_path(const std::string& linux_path);

// A Windows program of the cross build: in ORVELUNE_WIN32_DIR when that is
// set in the environment, else in the build's own folder.
std::string win32_program(const std::string& name);

// The text as hexadecimal UTF-8, the form orvelune-probe takes texts in.
std::string hex(std::string_view text);

} // namespace winetest
