// A display server that takes the connection and never answers (a frozen
// compositor, a socket of some other program): the program's first round
// trip waits for ever, and the end signals must still end it, in every mode,
// with status 0. Both backends meet the same silent socket; no real server
// is needed.
#include "process.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testrig::Child;

// A listening Unix socket that accepts and then says nothing.
class SilentServer {
public:
    // `abstract`: in the abstract namespace (where Xlib looks first for
    // display :N), so that nothing is left in /tmp/.X11-unix.
    SilentServer(const std::string& name, bool abstract)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + (abstract ? 1 : 0), name.data(), name.size());
        const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + name.size() + (abstract ? 1 : 0));
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd >= 0 && (bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_fd, 8) != 0)) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~SilentServer()
    {
        for (int fd : m_accepted)
            close(fd);
        if (m_fd >= 0)
            close(m_fd);
    }
    bool listening() const { return m_fd >= 0; }
    // Takes the next connection, and keeps it open without a word.
    bool accept_one(std::chrono::milliseconds timeout)
    {
        pollfd incoming{m_fd, POLLIN, 0};
        if (poll(&incoming, 1, int(timeout.count())) != 1)
            return false;
        const int fd = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            m_accepted.push_back(fd);
        return fd >= 0;
    }

private:
    int m_fd = -1;
    std::vector<int> m_accepted;
};

TEST(SilentDisplayServer, EndSignalsEndEveryModeWithStatusZero)
{
    testrig::TempFolder runtime("orvelune-silent");
    ASSERT_FALSE(runtime.path().empty());
    // An X display number nobody uses: the first one whose abstract socket
    // is free and that has no socket file either.
    std::unique_ptr<SilentServer> x11;
    std::string display;
    for (int n = 700 + getpid() % 200; !x11 && n < 1000; ++n) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (access(socket.c_str(), F_OK) == 0)
            continue;
        auto server = std::make_unique<SilentServer>(socket, true);
        if (server->listening()) {
            x11 = std::move(server);
            display = ":" + std::to_string(n);
        }
    }
    ASSERT_TRUE(x11) << "no free X display number for the silent server";
    SilentServer wayland(runtime / "wayland-silent", false);
    ASSERT_TRUE(wayland.listening());

    std::vector<std::string> env = testrig::current_environment();
    std::erase_if(env, [](const std::string& e) {
        return e.starts_with("DISPLAY=") || e.starts_with("WAYLAND_DISPLAY=") || e.starts_with("WAYLAND_SOCKET=")
               || e.starts_with("ORVELUNE_BACKEND=");
    });
    testrig::set_variable(env, "XDG_RUNTIME_DIR=" + runtime.path());
    testrig::set_variable(env, "XDG_CONFIG_HOME=" + runtime.path());

    struct Server {
        const char* name;
        SilentServer* server;
        std::string variable;
    };
    const Server servers[] = {{"X11", x11.get(), "DISPLAY=" + display},
                              {"Wayland", &wayland, "WAYLAND_DISPLAY=wayland-silent"}};
    const int signals[] = {SIGTERM, SIGINT, SIGHUP};
    int run = 0;
    for (const Server& server : servers) {
        for (const char* mode : {"/s", "/c", "-root"}) {
            const int signal = signals[run++ % 3];
            SCOPED_TRACE(std::string(server.name) + " " + mode + ", signal " + strsignal(signal));
            std::vector<std::string> with = env;
            testrig::set_variable(with, server.variable);
            testrig::SpawnOptions options;
            options.stderr_path = runtime / "stderr.txt";
            Child program = testrig::spawn({std::string(ORVELUNE_BIN_DIR) + "/orvelune", mode}, with, options);
            ASSERT_GT(program.pid(), 0);
            ASSERT_TRUE(server.server->accept_one(10s)) << "the program never connected";
            // Time to send its greeting and settle in the wait for an answer.
            std::this_thread::sleep_for(200ms);
            program.signal(signal);
            const std::optional<int> status = program.wait(5s);
            ASSERT_TRUE(status.has_value()) << "still running 5 s after the signal; it said: "
                                            << testrig::ReadFile(runtime / "stderr.txt");
            EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
                << "expected exit status 0, got " << testrig::DescribeStatus(*status);
        }
    }
}

} // namespace
