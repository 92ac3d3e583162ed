#pragma once

// A Wayland proxy between the program and the rig's sway that can take an
// output away from its clients, which sway 1.7 cannot do with its headless
// outputs ("output ... disable" fails to commit there): it passes every
// message and descriptor through unchanged and, on request, tells each
// client that the output's global is gone (wl_registry.global_remove), as a
// compositor does when a monitor is unplugged or sleeps deeply.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wltest {

class OutputProxy {
public:
    // Listens at `path` (any user may connect) and passes each client on to
    // the compositor at `upstream`. listening() is false when it cannot.
    OutputProxy(const std::string& path, const std::string& upstream);
    ~OutputProxy();
    OutputProxy(const OutputProxy&) = delete;
    OutputProxy& operator=(const OutputProxy&) = delete;

    bool listening() const { return m_listen_fd >= 0; }
    // Removes the output with this name from every client, now and for
    // clients yet to come. The n-th output the compositor announces is taken
    // as HEADLESS-n, as the rig's sway names them in that order.
    void remove_output(const std::string& name);

private:
    struct Link;
    void run();

    std::string m_upstream;
    int m_listen_fd = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_removed; // names, under m_mutex
    std::thread m_thread;
};

} // namespace wltest
