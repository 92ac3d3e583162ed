#include "dead_mount.h"

#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace testrig {

namespace {

// Reads the kernel's requests and answers only its INIT: everything after
// it is read (so the kernel counts it as sent, and no signal can take the
// waiting process back) and never answered.
void serve(int fd, const std::atomic<bool>* stop)
{
    // The kernel wants room for its largest request.
    std::vector<char> buffer(std::size_t(1) << 20 | FUSE_MIN_READ_BUFFER);
    while (!*stop) {
        pollfd request{fd, POLLIN, 0};
        if (poll(&request, 1, 50) <= 0)
            continue;
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == ENODEV)
            return; // aborted
        if (n < ssize_t(sizeof(fuse_in_header)))
            continue;
        fuse_in_header header;
        std::memcpy(&header, buffer.data(), sizeof header);
        if (header.opcode != FUSE_INIT)
            continue;
        fuse_init_in in{};
        std::memcpy(&in, buffer.data() + sizeof header,
                    std::min(sizeof in, std::size_t(n) - sizeof header));
        struct {
            fuse_out_header header;
            fuse_init_out init;
        } reply{};
        reply.header.len = sizeof reply;
        reply.header.unique = header.unique;
        reply.init.major = FUSE_KERNEL_VERSION;
        reply.init.minor = std::min<std::uint32_t>(in.minor, FUSE_KERNEL_MINOR_VERSION);
        reply.init.max_readahead = in.max_readahead;
        reply.init.max_write = 4096;
        [[maybe_unused]] const ssize_t written = write(fd, &reply, sizeof reply);
    }
}

} // namespace

DeadMount::DeadMount(std::string folder) : m_folder(std::move(folder))
{
    m_fd = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        m_why = std::string("no FUSE here: /dev/fuse: ") + std::strerror(errno);
        return;
    }
    mkdir(m_folder.c_str(), 0755);
    const std::string options = "fd=" + std::to_string(m_fd) + ",rootmode=40000,user_id=" + std::to_string(getuid())
                                + ",group_id=" + std::to_string(getgid()) + ",allow_other";
    if (mount("orvelune-dead", m_folder.c_str(), "fuse", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        m_why = std::string("cannot mount a FUSE file system here: ") + std::strerror(errno);
        close(m_fd);
        m_fd = -1;
        return;
    }
    m_mounted = true;
    m_server = std::thread(serve, m_fd, &m_stop);
}

DeadMount::~DeadMount()
{
    if (m_mounted) {
        // A forced unmount aborts the connection: every waiting request
        // ends with an error, and the processes held there go on.
        umount2(m_folder.c_str(), MNT_FORCE | MNT_DETACH);
        m_stop = true;
        m_server.join();
    }
    // The last descriptor of the connection aborts it too.
    if (m_fd >= 0)
        close(m_fd);
    rmdir(m_folder.c_str());
}

} // namespace testrig
