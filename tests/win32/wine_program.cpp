// Orvelune.scr under Wine as the real-window scenarios drive it: a copy of
// the program in a folder with a Japanese name (its settings file beside
// it), the suite's one Xvfb and wineserver, xdotool for the pointer and the
// keys, and orvelune-probe to ask Windows itself which windows there are.
#include "wine_rig.h"

#include "window_scenarios.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <sstream>

namespace winetest {
namespace {

// A pane in a window of orvelune-probe, which reports the window that
// settles in it and then closes the pane itself. Wine draws a child of
// another process's window neither on the X screen nor into a capture the
// pane's program asks for, so the pane's program checks the child in the
// window tree.
class WinePane : public testrig::Pane {
public:
    WinePane(int width, int height)
        : m_probe(WineSuite::get().start(win32_program("orvelune-probe.exe"),
                                         {"pane", std::to_string(width), std::to_string(height)}))
    {
        m_handle = m_probe.read_line(60s).value_or("");
    }

    std::string handle() const override { return m_handle; }

    std::optional<testrig::PaneChild> child(std::chrono::milliseconds timeout) override
    {
        // "child W H visible V other-process O"
        std::istringstream line(m_probe.read_line(timeout).value_or(""));
        std::string child_word, visible_word, process_word;
        testrig::PaneChild child;
        int visible = 0, other_process = 0;
        if (!(line >> child_word >> child.width >> child.height >> visible_word >> visible >> process_word
              >> other_process)
            || child_word != "child")
            return std::nullopt;
        child.visible = visible == 1;
        EXPECT_EQ(other_process, 1) << "expected the preview's window from a process of its own";
        return child;
    }

    bool close() override
    {
        const bool closed = m_probe.read_line(30s) == std::optional<std::string>("closed");
        m_probe.exit_code(10s);
        return closed;
    }

private:
    testrig::Child m_probe;
    std::string m_handle;
};

class WineProgram : public testrig::ProgramUnderTest {
public:
    WineProgram() : m_folder("設定のテスト") {}
    ~WineProgram() override
    {
        if (!WineSuite::get().ready())
            return;
        for (const XID window : m_foreign)
            XDestroyWindow(screen().display(), window);
        XSync(screen().display(), False);
    }

    const testrig::Traits& traits() const override
    {
        static const testrig::Traits traits = [] {
            testrig::Traits t;
            t.name = "Wine";
            // A preview of a pane ends at once too.
            t.more_second_starts = {{"/p", "1234"}};
            t.starts_at_once = 4;
            // Under a Japanese system (code page 932) and an English one (1252).
            t.locales = {"ja_JP.UTF-8", "en_US.UTF-8"};
            t.reads_cursor = true;
            return t;
        }();
        return traits;
    }

    std::string why_not() const override
    {
        if (!WineSuite::get().ready())
            return WineSuite::get().why();
        if (!x11test::XvfbRig::have_xdotool())
            return "xdotool is not installed";
        return {};
    }
    int width() const override { return kScreenWidth; }
    int height() const override { return kScreenHeight; }
    std::string settings_path() const override { return m_folder.ini(); }
    void write_settings(const Settings& settings) override { m_folder.write_settings(settings); }

    std::string path_for_program(const std::string& path) const override { return windows_path(path); }

    testrig::Child start(const std::vector<std::string>& args, const std::string& locale) override
    {
        return WineSuite::get().start(m_folder.scr(), args, locale.empty() ? "en_US.UTF-8" : locale);
    }

    gfx::Surface screenshot() override { return screen().grab_screen(); }

    // The saver's window is found on the X screen; the others through
    // Windows, which knows them by their titles in any code page.
    bool wait_for_window(const std::string& title, std::chrono::milliseconds timeout) override
    {
        if (title == testrig::kSaverTitle)
            return screen().wait_for_window(title, timeout).has_value();
        return testrig::WaitUntil(timeout, [&] { return Found(title); }, 100ms);
    }
    bool wait_until_gone(const std::string& title, std::chrono::milliseconds timeout) override
    {
        if (title == testrig::kSaverTitle)
            return WineSuite::get().wait_until_gone(title, timeout);
        return testrig::WaitUntil(timeout, [&] { return !Found(title); }, 50ms);
    }
    std::optional<int> count_windows(const std::string& title) override
    {
        if (title != testrig::kSaverTitle)
            return std::nullopt;
        return screen().count_windows(title);
    }

    bool move_pointer(int x, int y) override
    {
        return screen().xdotool({"mousemove", std::to_string(x), std::to_string(y)});
    }
    bool click() override { return screen().xdotool({"click", "1"}); }
    // To the window that has the keyboard.
    bool key(const std::string& name) override { return screen().xdotool({"key", name}); }
    std::optional<bool> cursor_visible() override { return screen().cursor_visible(); }

    // A window of another X program: Wine's screen is the X screen.
    std::optional<gfx::Surface> show_desktop(const gfx::Surface& picture) override
    {
        m_foreign.push_back(screen().create_foreign_window(screen().root(), picture));
        const gfx::Surface shown = screen().grab_screen();
        if (!testrig::FirstDifference(picture, shown).empty())
            return std::nullopt;
        return shown;
    }

    // Wine reads the monitors of the screen once, when its desktop starts
    // with the first program after the server starts anew; Windows puts
    // the primary's corner at 0, 0.
    std::string split_monitors(gfx::Rect primary, gfx::Rect other) override
    {
        if (!screen().set_monitors({primary, other}))
            return "this Xvfb cannot define monitors (no RandR 1.5)";
        m_split = true;
        WineSuite::get().restart_server();
        const std::string told = WineSuite::get().probe({"monitors"});
        if (told == OneMonitor())
            return "this Wine offers one monitor only (32-bit Wine reads them through Xinerama, "
                   "from libxinerama1:i386)";
        const std::string expected = "monitors 2 " + Place(primary, primary) + " " + Place(other, primary);
        if (told != expected) {
            ADD_FAILURE() << "expected Windows to tell the primary first, at 0, 0: " << expected << ", got " << told;
            return "the monitors are not as split";
        }
        return {};
    }

    // One monitor again, in Wine too, for the cases after this one.
    void join_monitors() override
    {
        if (!m_split)
            return;
        m_split = false;
        EXPECT_TRUE(screen().clear_monitors());
        WineSuite::get().restart_server();
        EXPECT_EQ(WineSuite::get().probe({"monitors"}), OneMonitor());
    }

    std::unique_ptr<testrig::Pane> open_pane(int width, int height) override
    {
        return std::make_unique<WinePane>(width, height);
    }

    // The card in a window of its own.
    std::string card_window_check() override
    {
        return Found(testrig::kCardTitle) ? std::string() : "expected the card in a window of its own";
    }

private:
    static x11test::XvfbRig& screen() { return WineSuite::get().screen(); }

    static bool Found(const std::string& title)
    {
        return WineSuite::get().probe({"find", hex(title)}) == "found " + hex(title);
    }

    static std::string OneMonitor()
    {
        return "monitors 1 0,0," + std::to_string(kScreenWidth) + "," + std::to_string(kScreenHeight);
    }

    static std::string Place(gfx::Rect monitor, gfx::Rect primary)
    {
        return std::to_string(monitor.x - primary.x) + "," + std::to_string(monitor.y - primary.y) + ","
               + std::to_string(monitor.width) + "," + std::to_string(monitor.height);
    }

    SaverFolder m_folder;
    std::vector<XID> m_foreign;
    bool m_split = false;
};

using testrig::RealWindow;

INSTANTIATE_TEST_SUITE_P(Wine, RealWindow,
                         ::testing::Values(testrig::ProgramParam{
                             "Orvelune_scr", [] { return std::make_unique<WineProgram>(); }}),
                         testrig::ScenarioName);

} // namespace
} // namespace winetest
