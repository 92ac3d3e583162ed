#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testrig {

// ---- Child

Child::Child(Child&& other) noexcept
    : m_pid(other.m_pid), m_status(other.m_status), m_output(other.m_output),
      m_buffer(std::move(other.m_buffer))
{
    other.m_pid = -1;
    other.m_output = -1;
}

Child& Child::operator=(Child&& other) noexcept
{
    if (this != &other) {
        this->~Child();
        m_pid = other.m_pid;
        m_status = other.m_status;
        m_output = other.m_output;
        m_buffer = std::move(other.m_buffer);
        other.m_pid = -1;
        other.m_output = -1;
    }
    return *this;
}

Child::~Child()
{
    if (m_pid > 0 && !m_status) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
    m_status.reset();
    close_output();
}

void Child::close_output()
{
    if (m_output >= 0)
        close(m_output);
    m_output = -1;
}

bool Child::running()
{
    return m_pid > 0 && !wait(std::chrono::milliseconds(0));
}

std::optional<int> Child::wait(std::chrono::milliseconds timeout)
{
    if (m_status || m_pid <= 0)
        return m_status;
    const auto until = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
            return m_status;
        }
        if (Clock::now() >= until)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::optional<int> Child::exit_code(std::chrono::milliseconds timeout)
{
    const std::optional<int> status = wait(timeout);
    if (!status)
        return std::nullopt;
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
}

void Child::signal(int number)
{
    if (m_pid > 0 && !m_status)
        kill(m_pid, number);
}

std::optional<std::string> Child::read_line(std::chrono::milliseconds timeout)
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
            close_output();
            continue;
        }
        m_buffer.append(chunk, std::size_t(n));
    }
}

// ---- starting programs

Child spawn(const std::vector<std::string>& argv_text, const std::vector<std::string>& env_text,
            const SpawnOptions& options)
{
    if (argv_text.empty())
        return Child();
    std::vector<std::string> args = argv_text, env = env_text;
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int fds[2] = {-1, -1};
    if (options.output == SpawnOptions::Output::Capture && pipe2(fds, O_CLOEXEC) != 0)
        return Child();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.stdin_path.empty())
        posix_spawn_file_actions_addopen(&actions, 0, options.stdin_path.c_str(), O_RDONLY, 0);
    if (options.output == SpawnOptions::Output::Capture)
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    else if (options.output == SpawnOptions::Output::Null)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (!options.stderr_path.empty())
        posix_spawn_file_actions_addopen(&actions, 2, options.stderr_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (!options.blocked_signals.empty()) {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int number : options.blocked_signals)
            sigaddset(&blocked, number);
        posix_spawnattr_setsigmask(&attributes, &blocked);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (fds[1] >= 0)
        close(fds[1]);
    if (pid < 0) {
        if (fds[0] >= 0)
            close(fds[0]);
        return Child();
    }
    return Child(pid, fds[0]);
}

bool run_to_success(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                    std::chrono::milliseconds timeout)
{
    Child child = spawn(argv, env);
    const std::optional<int> status = child.wait(timeout);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::vector<std::string> current_environment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    return env;
}

void set_variable(std::vector<std::string>& env, const std::string& assignment)
{
    const std::string name = assignment.substr(0, assignment.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
    env.push_back(assignment);
}

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

// ---- folders and files

TempFolder::TempFolder(const std::string& prefix)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()))
        m_path = pattern;
}

TempFolder::~TempFolder()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done,
               std::chrono::milliseconds step)
{
    const auto until = Clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(step);
    }
}

std::vector<Child> StartAtOneGate(int count, const std::string& gate,
                                  const std::function<Child(const std::string& gate)>& start)
{
    if (mkfifo(gate.c_str(), 0644) != 0 || chmod(gate.c_str(), 0644) != 0)
        return {};
    std::vector<Child> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back(start(gate));
    // Each sleeps opening the pipe, which has no writer yet.
    for (Child& child : starts)
        if (!WaitUntil(std::chrono::seconds(30), [&] {
                return ReadFile("/proc/" + std::to_string(child.pid()) + "/wchan") == "wait_for_partner";
            }, std::chrono::milliseconds(10)))
            return {};
    const int writer = open(gate.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer < 0)
        return {};
    close(writer);
    return starts;
}

std::string DescribeStatus(int wait_status)
{
    if (WIFEXITED(wait_status))
        return "exit status " + std::to_string(WEXITSTATUS(wait_status));
    if (WIFSIGNALED(wait_status))
        return "signal " + std::to_string(WTERMSIG(wait_status));
    return "wait status " + std::to_string(wait_status);
}

} // namespace testrig
