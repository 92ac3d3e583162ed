#pragma once

// What a test or benchmark asks the system about processes.
#include <sys/resource.h>
#include <unistd.h>

namespace testsupport {

// Processor time used by the finished child processes so far, in seconds.
inline double children_cpu_seconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// This process's id, to make names no other run picks.
inline long process_id() { return long(::getpid()); }

} // namespace testsupport
