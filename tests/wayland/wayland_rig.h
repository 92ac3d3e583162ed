#pragma once

// A headless sway per test and the orvelune program on it: the compositor
// started (as an unprivileged user of the rig's own when the tests run as
// root, since sway refuses root) with its own runtime folder, screenshots
// of an output through grim, the pointer moved and clicked through the wlr
// virtual-pointer protocol, keys typed with wtype.
#include "pictures.h"
#include "process.h"

#include "gfx/surface.h"
#include "settings/settings.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wltest {

using testrig::Child;
using testrig::Clock;

struct OutputSpec {
    int width = 640; // pixels
    int height = 480;
    int scale = 1;
};

class VirtualPointer;

class SwayRig {
public:
    // Outputs HEADLESS-1, HEADLESS-2, ... side by side. available() is false
    // (and why() says why) when sway, grim or the test user cannot be had.
    explicit SwayRig(std::vector<OutputSpec> outputs = {OutputSpec{}}, bool pointer = true);
    ~SwayRig();

    bool available() const { return m_ready; }
    const std::string& why() const { return m_why; }
    // The compositor's socket, as a full path that any process may connect to.
    std::string socket_path() const { return m_folder + "/" + m_socket; }

    // The settings the program reads ($XDG_CONFIG_HOME/orvelune/Orvelune.ini).
    void write_settings(const Settings& settings);
    Settings settings() const;
    std::string settings_path() const;

    // Runs build/bin/orvelune (a copy the test user can run) on this compositor.
    Child start_orvelune(const std::vector<std::string>& args,
                         const std::vector<std::string>& extra_env = {},
                         const std::string& stderr_path = {});
    // Runs the program as start_orvelune() does once a writer opens and
    // closes the named pipe `gate`, which it waits on first.
    Child start_orvelune_at_gate(const std::vector<std::string>& args, const std::string& gate);
    // Runs a program as the compositor's user and waits for it; true when it
    // ended with 0.
    bool run_tool(const std::string& program, const std::vector<std::string>& args);

    // The pixels an output shows; nothing when grim fails.
    std::optional<gfx::Surface> screenshot(const std::string& output = "HEADLESS-1");
    // Screenshots until `accept` takes one or the time is up.
    bool poll_screenshot(const std::string& output, std::chrono::milliseconds timeout,
                         const std::function<bool(const gfx::Surface&)>& accept);

    // Gives the seat the rig's pointer (the rig made without one).
    bool attach_pointer();
    // The pointer to a point of the layout (logical pixels), a click of the left button.
    bool move_pointer(double x, double y);
    bool click();
    // A key typed through a virtual keyboard, by its xkb name ("Escape", "a").
    bool type_key(const std::string& name);

    // A file in the rig's folder that the program may write.
    std::string path(const std::string& name) const { return m_folder + "/" + name; }

private:
    std::vector<std::string> environment(const std::vector<std::string>& extra) const;
    Child spawn(const std::string& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env, const std::string& stderr_path = {});

    testrig::TempFolder m_folder_handle{"orvelune-wayland"};
    bool m_ready = false;
    std::string m_why;
    std::string m_folder;
    std::string m_socket;
    std::string m_ipc_socket;
    std::string m_program;
    int m_layout_width = 0;
    int m_layout_height = 0;
    unsigned m_uid = 0;
    unsigned m_gid = 0;
    bool m_switch_user = false;
    Child m_sway;
    std::unique_ptr<VirtualPointer> m_pointer;
};

using testrig::ExpectedRingFrame;
using testrig::FirstDifference;
using testrig::SlowSettings;

} // namespace wltest
