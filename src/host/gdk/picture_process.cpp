// Pictures decoded in a child process; see picture_process.h.
#include "host/gdk/picture_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <thread>
#include <vector>

// The sanitizers reserve terabytes of address space for their shadow
// memory, so under them the child's address space cannot be capped.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVELUNE_NO_ADDRESS_LIMIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ORVELUNE_NO_ADDRESS_LIMIT 1
#endif
#endif

namespace host {

namespace {

// What the child sends first: the result and the picture's size; the
// pixels follow, row after row, only for a decoded picture.
struct Answer {
    std::int32_t result;
    std::int32_t width;
    std::int32_t height;
};

bool write_all(int fd, const void* bytes, std::size_t count)
{
    const auto* at = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t n = write(fd, at, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        count -= std::size_t(n);
    }
    return true;
}

#ifndef ORVELUNE_NO_ADDRESS_LIMIT
// The address space the process holds now, from /proc; 0 when unknown.
std::uint64_t address_space_now()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    unsigned long long pages = 0;
    const bool read = std::fscanf(statm, "%llu", &pages) == 1;
    std::fclose(statm);
    return read ? pages * std::uint64_t(sysconf(_SC_PAGESIZE)) : 0;
}
#endif

void limit(int resource, std::uint64_t value)
{
    const rlimit wanted{rlim_t(value), rlim_t(value)};
    rlimit now{};
    // A limit already lower stays.
    if (getrlimit(resource, &now) == 0 && now.rlim_max != RLIM_INFINITY && now.rlim_max < wanted.rlim_max)
        return;
    setrlimit(resource, &wanted);
}

// The child keeps its pipe (as descriptor 3, which it returns) and nothing
// else of its parent's: a decoder stuck for good on a mount that stopped
// answering must not hold the display connection (whose windows would stay
// on the screen after the saver ended), the instance lock (which would
// refuse every later start) or a pipe that someone reads to its end. Its
// standard streams read and write /dev/null.
int keep_only(int fd)
{
    if (fd < 3)
        fd = fcntl(fd, F_DUPFD, 3);
    const int null = open("/dev/null", O_RDWR);
    for (int standard = 0; standard < 3; ++standard)
        if (null >= 0 && null != standard)
            dup2(null, standard);
    if (fd != 3 && dup2(fd, 3) == 3)
        fd = 3;
    if (close_range(unsigned(fd) + 1, ~0U, 0) != 0) {
        const long most = std::min(sysconf(_SC_OPEN_MAX), 65536L);
        for (int other = fd + 1; other < most; ++other)
            close(other);
    }
    for (int other = 3; other < fd; ++other)
        close(other);
    return fd;
}

[[noreturn]] void run_child(int fd, pid_t parent, const PictureDecoder& decode, std::int64_t max_pixels,
                            const PictureDecodeLimits& limits)
{
    // The child goes with its parent, however the parent ends, and the
    // parent's ways of ending (its handlers of SIGTERM and SIGINT) are not
    // the child's.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(1);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    signal(SIGALRM, SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
    fd = keep_only(fd);

    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, std::uint64_t(std::max(limits.cpu_seconds, 1)));
#ifndef ORVELUNE_NO_ADDRESS_LIMIT
    if (const std::uint64_t now = address_space_now())
        limit(RLIMIT_AS, now + 3 * std::uint64_t(max_pixels) * sizeof(gfx::Pixel) + limits.extra_address_space);
#endif

    gfx::Surface picture;
    PictureResult result = PictureResult::Broken;
    try {
        result = decode(picture);
    } catch (const std::bad_alloc&) {
        result = PictureResult::TooLarge;
    }
    const bool whole = result == PictureResult::Decoded && !picture.empty()
                       && std::int64_t(picture.width()) * picture.height() <= max_pixels;
    if (result == PictureResult::Decoded && !whole)
        result = PictureResult::Broken;
    const Answer answer{std::int32_t(result), whole ? picture.width() : 0, whole ? picture.height() : 0};
    bool sent = write_all(fd, &answer, sizeof answer);
    if (sent && whole)
        sent = write_all(fd, picture.pixels().data(), picture.pixels().size_bytes());
    _exit(sent ? 0 : 1);
}

// Children that had not ended when they were given up: a process waiting
// for a file system that stopped answering cannot be killed, not even by
// SIGKILL, until the file system answers or goes. They are reaped, without
// waiting, whenever another picture is decoded.
std::vector<pid_t>& given_up()
{
    static std::vector<pid_t> children;
    return children;
}

void reap_given_up()
{
    std::erase_if(given_up(), [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

// How long a child that was killed, or that has closed its pipe, may take
// to end before it is given up. A child on its way out ends in a moment; one
// held in the kernel by a dead mount never does.
constexpr auto kEndingGrace = std::chrono::milliseconds(500);

// The child, killed and reaped however the wait for it ends (an end of the
// process on the headless host unwinds through here), or given up when it
// does not end.
class Child {
public:
    Child(pid_t pid, int fd) : m_pid(pid), m_fd(fd) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        close(m_fd);
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            reap();
        }
    }
    int fd() const { return m_fd; }
    // Its end, the status waitpid() gives, once it has ended within the
    // grace; nothing, and the child given up, when it has not.
    std::optional<int> reap()
    {
        const pid_t pid = m_pid;
        m_pid = -1;
        const auto until = std::chrono::steady_clock::now() + kEndingGrace;
        for (;;) {
            int status = 0;
            const pid_t ended = waitpid(pid, &status, WNOHANG);
            if (ended == pid)
                return status;
            if (ended < 0 && errno != EINTR)
                return std::nullopt; // not ours to wait for any more
            if (std::chrono::steady_clock::now() >= until) {
                given_up().push_back(pid);
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    pid_t m_pid;
    int m_fd;
};

// Reads what is there without blocking: false at the end of the pipe.
// `into` and `count` advance over what was read.
bool read_available(int fd, char*& into, std::size_t& count, bool& ended)
{
    while (count > 0) {
        const ssize_t n = read(fd, into, count);
        if (n > 0) {
            into += n;
            count -= std::size_t(n);
        } else if (n == 0) {
            ended = true;
            return false;
        } else if (errno == EINTR) {
            continue;
        } else {
            ended = errno != EAGAIN && errno != EWOULDBLOCK;
            return false;
        }
    }
    return true;
}

} // namespace

PictureResult decode_in_child(const PictureDecoder& decode, gfx::Surface& out, std::int64_t max_pixels,
                              const PictureWait& wait, const PictureDecodeLimits& limits)
{
    reap_given_up();
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_CLOEXEC) != 0)
        return decode(out); // no child without a pipe: decoded here, as bounded as its decoder is
    const pid_t parent = getpid();
    std::fflush(nullptr); // nothing buffered is written twice
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return decode(out);
    }
    if (pid == 0) {
        close(fds[0]);
        run_child(fds[1], parent, decode, max_pixels, limits);
    }
    close(fds[1]);
    Child child(pid, fds[0]);
    fcntl(child.fd(), F_SETFL, fcntl(child.fd(), F_GETFL) | O_NONBLOCK);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(limits.deadline_ms, 0));
    Answer answer{};
    gfx::Surface picture;
    char* into = reinterpret_cast<char*>(&answer);
    std::size_t left = sizeof answer;
    bool header = true, ended = false, timed_out = false;
    for (;;) {
        if (!read_available(child.fd(), into, left, ended)) {
            if (ended)
                break;
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (remaining <= 0) {
                timed_out = true;
                break;
            }
            if (wait) {
                wait(child.fd(), int(remaining));
            } else {
                pollfd readable{child.fd(), POLLIN, 0};
                poll(&readable, 1, int(remaining));
            }
            continue;
        }
        if (!header)
            break; // every pixel has come
        header = false;
        const bool decoded = answer.result == std::int32_t(PictureResult::Decoded);
        if (!decoded)
            break;
        if (answer.width <= 0 || answer.height <= 0 || std::int64_t(answer.width) * answer.height > max_pixels) {
            answer.result = std::int32_t(PictureResult::Broken);
            break;
        }
        picture = gfx::Surface(answer.width, answer.height);
        into = reinterpret_cast<char*>(picture.pixels().data());
        left = picture.pixels().size_bytes();
    }

    const bool answered = !header && (left == 0 || answer.result != std::int32_t(PictureResult::Decoded));
    if (timed_out)
        return PictureResult::TooLarge; // killed on the way out
    if (!answered) {
        // It died before it answered: killed by its limit of CPU time, or
        // by running out of memory (which aborts), or by a fault of its own.
        const std::optional<int> status = child.reap();
        const bool over_limits = status && WIFSIGNALED(*status)
                                 && (WTERMSIG(*status) == SIGXCPU || WTERMSIG(*status) == SIGKILL
                                     || WTERMSIG(*status) == SIGABRT);
        return over_limits ? PictureResult::TooLarge : PictureResult::Broken;
    }
    if (answer.result < 0 || answer.result > std::int32_t(PictureResult::Broken))
        return PictureResult::Broken;
    const auto result = PictureResult(answer.result);
    if (result == PictureResult::Decoded)
        out = std::move(picture);
    return result;
}

PictureResult decode_picture_file_in_child(const std::string& path, gfx::Surface& out, std::int64_t max_pixels,
                                           const PictureWait& wait, const PictureDecodeLimits& limits)
{
    return decode_in_child([&](gfx::Surface& picture) { return decode_picture_file(path, picture, max_pixels); },
                           out, max_pixels, wait, limits);
}

bool is_folder_in_child(const std::string& path, int deadline_ms)
{
    PictureDecodeLimits limits;
    limits.deadline_ms = deadline_ms;
    // The answer travels as a one-pixel picture.
    const auto look = [&](gfx::Surface& answer) {
        struct stat status {};
        if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return PictureResult::Unreadable;
        answer = gfx::Surface(1, 1);
        return PictureResult::Decoded;
    };
    gfx::Surface answer;
    return decode_in_child(look, answer, 1, nullptr, limits) == PictureResult::Decoded;
}

} // namespace host
