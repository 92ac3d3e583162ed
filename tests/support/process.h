#pragma once

// Processes, folders and waits for the tests that run the real programs:
// a child process that is killed and reaped with its handle, one way to
// start one, the environment it gets, programs found along $PATH, a
// temporary folder that goes with its handle, and polling for an event with
// a deadline instead of a fixed sleep.
#include <sys/types.h>

#include <signal.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testrig {

using Clock = std::chrono::steady_clock;

// A process we started; killed and reaped when it goes out of scope. Started
// with its standard output captured, read_line() reads it.
class Child {
public:
    Child() = default;
    explicit Child(pid_t pid, int output_fd = -1) : m_pid(pid), m_output(output_fd) {}
    Child(Child&& other) noexcept;
    Child& operator=(Child&& other) noexcept;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    pid_t pid() const { return m_pid; }
    bool running();
    // The wait status once it ends within `timeout`; nothing if it is still running.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // The exit code once it ends within `timeout` (128 + the signal's number
    // when a signal ended it); nothing if it is still running.
    std::optional<int> exit_code(std::chrono::milliseconds timeout);
    void signal(int number);
    // The next line of its standard output (without the line end, a CR
    // before it dropped), or nothing when none comes within `timeout`.
    std::optional<std::string> read_line(std::chrono::milliseconds timeout);

private:
    void close_output();

    pid_t m_pid = -1;
    std::optional<int> m_status;
    int m_output = -1;
    std::string m_buffer;
};

// What a started program reads and writes, and what it starts with.
struct SpawnOptions {
    // Empty: the test's own.
    std::string stdin_path;
    // Capture: read with Child::read_line. Null: /dev/null.
    enum class Output { Inherit, Null, Capture } output = Output::Inherit;
    // Empty: the test's own standard error; else this file, made anew.
    std::string stderr_path;
    // Signals blocked in the program from its first instruction (a signal
    // mask passes through exec).
    std::vector<int> blocked_signals;
};

// Starts argv[0] (looked up along $PATH when it has no slash) with these
// arguments and exactly this environment; a Child whose pid() is -1 when it
// could not be started.
Child spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const SpawnOptions& options = {});

// Starts the program, waits up to `timeout` and says whether it ended with 0.
bool run_to_success(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));

// This process's environment, as "NAME=value" entries.
std::vector<std::string> current_environment();

// Sets NAME to the value in `assignment` ("NAME=value"), replacing any value
// it had in `env`.
void set_variable(std::vector<std::string>& env, const std::string& assignment);

// The full path of a program along $PATH; nothing when it is not installed.
std::optional<std::string> find_program(const std::string& name);

// A fresh folder below $TMPDIR (or /tmp), removed with all it holds when
// the handle goes; path() is empty when it could not be made.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "orvelune-test");
    TempFolder(TempFolder&& other) noexcept : m_path(std::move(other.m_path)) { other.m_path.clear(); }
    TempFolder& operator=(TempFolder&&) = delete;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The whole of a (small) file, byte for byte; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Calls `done` every `step` until it says yes (true) or `timeout` has passed
// (false); it is always called at least once.
bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done,
               std::chrono::milliseconds step = std::chrono::milliseconds(20));

// Starts `count` programs that each wait at the named pipe `gate` (made
// here) before they run, and lets them all go at the same moment once every
// one is there; `start` starts one, given the gate. Empty when the gate
// could not be made or a start never reached it.
std::vector<Child> StartAtOneGate(int count, const std::string& gate,
                                  const std::function<Child(const std::string& gate)>& start);

// A wait status as words: "exit status 3", "signal 9".
std::string DescribeStatus(int wait_status);

} // namespace testrig
