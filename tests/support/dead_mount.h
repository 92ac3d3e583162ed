#pragma once

// A file system that stops answering, as a network mount does when its
// server goes away (sshfs, gvfs, rclone): it mounts, and then every request
// under it (a look-up, a stat, an open, a read) waits for an answer that
// never comes. A process held there cannot be killed, not even by SIGKILL,
// until the mount goes. It is FUSE without libfuse: the kernel's protocol on
// /dev/fuse, of which it answers only the first message.
#include <atomic>
#include <string>
#include <thread>

namespace testrig {

class DeadMount {
public:
    // Mounts at `folder` (made when missing). mounted() is false, and why()
    // says why, where FUSE cannot be mounted (no /dev/fuse, no right to mount).
    explicit DeadMount(std::string folder);
    // Aborts the mount, which frees every process held in it, and takes it
    // away. Destroy it before anything that would wait for such a process.
    ~DeadMount();
    DeadMount(const DeadMount&) = delete;
    DeadMount& operator=(const DeadMount&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& why() const { return m_why; }
    // A path under the mount; touching it holds whoever touches it.
    std::string operator/(const std::string& name) const { return m_folder + "/" + name; }

private:
    std::string m_folder;
    std::string m_why;
    int m_fd = -1;
    bool m_mounted = false;
    std::thread m_server;
    std::atomic<bool> m_stop{false};
};

} // namespace testrig
