#pragma once

// The orvelune program on a private Xvfb as the real-window scenarios drive
// it: xdotool for the pointer and the keys, the screen read back through
// Xlib, windows found by their titles.
#include "program_under_test.h"
#include "x11_rig.h"

#include <memory>
#include <string>
#include <vector>

namespace x11test {

class X11Program : public testrig::ProgramUnderTest {
public:
    // On an Xvfb of its own of this size.
    X11Program(int width, int height);
    // On a test's own server, with these variables added to the program's
    // environment.
    X11Program(XvfbRig& rig, std::vector<std::string> env);
    ~X11Program() override;

    XvfbRig& rig() { return *m_rig; }

    const testrig::Traits& traits() const override;
    std::string why_not() const override;
    int width() const override { return m_rig->width(); }
    int height() const override { return m_rig->height(); }
    std::string settings_path() const override { return m_rig->settings_path(); }
    void write_settings(const Settings& settings) override { m_rig->write_settings(settings); }

    Child start(const std::vector<std::string>& args, const std::string& locale = {}) override;
    // The starts wait at a named pipe until every one is there, then go.
    std::vector<Child> start_together(int count, const std::vector<std::string>& args) override;

    gfx::Surface screenshot() override { return m_rig->grab_screen(); }
    bool wait_for_window(const std::string& title, std::chrono::milliseconds timeout) override;
    bool wait_until_gone(const std::string& title, std::chrono::milliseconds timeout) override;
    std::optional<int> count_windows(const std::string& title) override;

    bool move_pointer(int x, int y) override;
    bool click() override;
    bool key(const std::string& name) override;
    std::optional<bool> cursor_visible() override { return m_rig->cursor_visible(); }

    std::optional<gfx::Surface> show_desktop(const gfx::Surface& picture) override;
    std::string split_monitors(gfx::Rect primary, gfx::Rect other) override;
    void join_monitors() override;

    std::unique_ptr<testrig::Pane> open_pane(int width, int height) override;

    // The card: a window above everything (no window manager moves it)
    // over the whole screen.
    std::string card_window_check() override;
    void hold_clipboard() override;
    std::string clipboard_check() override;

private:
    std::unique_ptr<XvfbRig> m_own;
    XvfbRig* m_rig;
    std::vector<std::string> m_env;
    testrig::TempFolder m_gates{"orvelune-x11-gate"};
    bool m_split = false;
    XID m_clipboard_holder = 0;
};

} // namespace x11test
