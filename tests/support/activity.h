#pragma once

// What a running process has done, read from outside it: its CPU time and
// how often it went to sleep on its own (each a wake-up later), summed over
// its threads. A paused saver shows both standing still.
#include "process.h"

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

} // namespace testrig
