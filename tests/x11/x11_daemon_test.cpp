// Under the real xscreensaver daemon: it runs the saver as its hack in its
// own window when it blanks, and the saver ends when it unblanks.
#include "x11_rig.h"

#include "settings/settings_file.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace x11test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kWidth = 480;
constexpr int kHeight = 360;

// The user the daemon runs as: ourselves, or nobody when we are root, since
// the daemon starts no hacks for root.
struct RunAs {
    uid_t uid;
    gid_t gid;
};

std::optional<RunAs> daemon_user()
{
    if (geteuid() != 0)
        return RunAs{geteuid(), getegid()};
    if (const passwd* nobody = getpwnam("nobody"))
        return RunAs{nobody->pw_uid, nobody->pw_gid};
    return std::nullopt;
}

// Text vectors as exec wants them.
std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Forks and executes `program` as `user` in a process group of its own, its
// output appended to `log`. Everything exec needs is made before the fork.
pid_t start_as(const std::string& program, std::vector<std::string> args,
            std::vector<std::string> env, RunAs user, const std::string& log)
{
    args.insert(args.begin(), program);
    const std::vector<char*> argv = Pointers(args);
    const std::vector<char*> envp = Pointers(env);
    const bool switch_user = geteuid() != user.uid;
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    setpgid(0, 0);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    if (switch_user && (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0))
        _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
}

// The processes whose /proc folder `matches` accepts.
std::vector<pid_t> processes(const std::function<bool(const fs::path&)>& matches)
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") == std::string::npos && matches(entry.path()))
            found.push_back(pid_t(std::stoi(name)));
    }
    return found;
}

// The programs running from `path` (the hack's copy): what the daemon started.
std::vector<pid_t> processes_of(const std::string& path)
{
    return processes([&](const fs::path& process) {
        std::error_code gone;
        return fs::read_symlink(process / "exe", gone) == path;
    });
}

// The processes whose environment holds `variable`: everything the daemon
// started, however deep, since each inherits the environment.
std::vector<pid_t> processes_with(const std::string& variable)
{
    return processes([&](const fs::path& process) {
        std::string environment = "\n" + ReadFile(process / "environ");
        std::replace(environment.begin(), environment.end(), '\0', '\n');
        return environment.find("\n" + variable + "\n") != std::string::npos;
    });
}

bool wait_until(std::chrono::milliseconds timeout, const std::function<bool()>& done)
{
    const auto until = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// The daemon on the rig's server, with a home of its own: its settings pick
// the saver as its only hack, and no lock, fade or splash slows it down.
class Daemon {
public:
    Daemon(XvfbRig& rig, RunAs user, const Settings& settings) : m_user(user)
    {
        char folder[] = "/tmp/orvelune-daemon-XXXXXX";
        if (!mkdtemp(folder))
            return;
        m_home = folder;
        // The hack runs as the daemon's user, which may not reach the build
        // folder: it runs a copy kept here.
        m_hack = m_home + "/orvelune";
        fs::copy_file(std::string(ORVELUNE_BIN_DIR) + "/orvelune", m_hack);
        fs::create_directories(m_home + "/.config/orvelune");
        save_settings_file(m_home + "/.config/orvelune/Orvelune.ini", settings);
        std::ofstream(m_home + "/.xscreensaver")
            << "timeout: 1:00:00\ncycle: 0:00:00\nlock: False\nfade: False\nunfade: False\n"
               "splash: False\ndpmsEnabled: False\nmode: one\nselected: 0\n"
               "programs: \"Orvelune\" " << m_hack << " -root \\n\n";
        // A file the daemon's user cannot own shows up as that user's failure
        // to read it, which the test reports; nothing to add here.
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_home))
            [[maybe_unused]] const int owned = chown(entry.path().c_str(), user.uid, user.gid);
        [[maybe_unused]] const int owned = chown(m_home.c_str(), user.uid, user.gid);
        m_log = m_home + "/daemon.log";

        m_env = {"DISPLAY=" + rig.display_name(), "HOME=" + m_home,
                 "XDG_CONFIG_HOME=" + m_home + "/.config", "PATH=/usr/local/bin:/usr/bin:/bin",
                 "LANG=C.UTF-8"};
        // Orphans of the daemon come to us, so that none is left unreaped.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        if (const std::optional<std::string> daemon = find_program("xscreensaver"))
            m_pid = start_as(*daemon, {"-no-splash", "-verbose"}, m_env, user, m_log);
    }

    ~Daemon()
    {
        if (running()) {
            kill(-m_pid, SIGTERM);
            wait_until(5s, [&] { return !running(); });
        }
        // Whatever it started and left behind, found by the home it was given.
        if (!m_home.empty())
            for (const pid_t pid : processes_with("HOME=" + m_home)) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        prctl(PR_SET_CHILD_SUBREAPER, 0);
        if (!m_home.empty()) {
            std::error_code ignored;
            fs::remove_all(m_home, ignored);
        }
    }

    bool started() const { return m_pid > 0; }
    bool running()
    {
        if (m_pid <= 0 || m_ended)
            return false;
        m_ended = waitpid(m_pid, nullptr, WNOHANG) != 0;
        return !m_ended;
    }
    const std::string& hack() const { return m_hack; }
    std::string log() const { return ReadFile(m_log); }

    // Runs xscreensaver-command with this option; true when it succeeded.
    bool command(const std::string& option) const
    {
        const std::optional<std::string> program = find_program("xscreensaver-command");
        if (!program)
            return false;
        const pid_t pid = start_as(*program, {option}, m_env, m_user, m_log);
        int status = 0;
        if (!wait_until(10s, [&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return false;
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    RunAs m_user;
    std::string m_home;
    std::string m_hack;
    std::string m_log;
    std::vector<std::string> m_env;
    pid_t m_pid = -1;
    bool m_ended = false; // reaped, or lost
};

TEST(DaemonOnX, TheSaverRunsInTheDaemonsWindowWhileItBlanksAndEndsWhenItUnblanks)
{
    if (!find_program("xscreensaver") || !find_program("xscreensaver-command"))
        GTEST_SKIP() << "the xscreensaver daemon is not installed (Debian package xscreensaver)";
    const std::optional<RunAs> user = daemon_user();
    if (!user)
        GTEST_SKIP() << "the daemon starts no hacks for root, and there is no user nobody to run it as";
    XvfbRig rig(kWidth, kHeight);
    if (!rig.available())
        GTEST_SKIP() << rig.why();

    const Settings settings = SlowSettings(250);
    Daemon daemon(rig, *user, settings);
    ASSERT_TRUE(daemon.started()) << "cannot start the daemon";
    // It answers once it is ready; a daemon that cannot run here ends instead.
    const bool ready = wait_until(15s, [&] { return !daemon.running() || daemon.command("-version"); });
    if (!daemon.running())
        GTEST_SKIP() << "the xscreensaver daemon cannot run here:\n" << daemon.log();
    ASSERT_TRUE(ready) << "expected the daemon to answer; its log:\n" << daemon.log();

    ASSERT_TRUE(daemon.command("-activate")) << daemon.log();
    // The ring, at the daemon's window's size (the whole screen of one
    // monitor), on the screen: the saver draws in the daemon's window.
    const gfx::Surface ring = ExpectedRingFrame(settings, kWidth, kHeight);
    std::string last;
    EXPECT_TRUE(rig.poll_grab(rig.root(), kWidth, kHeight, 20s, [&](const gfx::Surface& shot) {
        last = FirstDifference(ring, shot);
        return last.empty();
    })) << "expected the starting ring in the daemon's window; last grab: " << last
        << "\ndaemon's log:\n" << daemon.log();
    EXPECT_FALSE(processes_of(daemon.hack()).empty()) << "expected the saver running as the hack";

    ASSERT_TRUE(daemon.command("-deactivate")) << daemon.log();
    EXPECT_TRUE(wait_until(15s, [&] { return processes_of(daemon.hack()).empty(); }))
        << "expected the saver to end when the daemon unblanks; daemon's log:\n" << daemon.log();
    EXPECT_TRUE(daemon.running()) << "expected the daemon to run on:\n" << daemon.log();
}

} // namespace
} // namespace x11test
