#pragma once

// What a running process has done, read from outside it: its CPU time and
// how often it went to sleep on its own (each a wake-up later), summed over
// its threads. A paused saver shows both standing still.
#include "process.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace testrig {

struct Activity {
    std::uint64_t cpu_ns = 0;   // the scheduler's account (schedstat), finer than clock ticks
    std::uint64_t wakeups = 0;  // voluntary context switches
};

inline Activity ActivityOf(pid_t pid)
{
    Activity activity;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::uint64_t ns = 0;
        if (std::ifstream(task.path() / "schedstat") >> ns)
            activity.cpu_ns += ns;
        std::istringstream status(ReadFile(task.path() / "status"));
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("voluntary_ctxt_switches:"))
                activity.wakeups += std::stoull(line.substr(line.find(':') + 1));
    }
    return activity;
}

// What it does over `watched` from now.
inline Activity ActivityOver(pid_t pid, std::chrono::milliseconds watched)
{
    const Activity before = ActivityOf(pid);
    std::this_thread::sleep_for(watched);
    const Activity after = ActivityOf(pid);
    return {after.cpu_ns - before.cpu_ns, after.wakeups - before.wakeups};
}

// How many times `part` occurs in `text` (lines a program said).
inline int CountOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace testrig
