#include "output_proxy.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>

namespace wltest {

namespace {

constexpr std::uint32_t kDisplayObject = 1;
constexpr std::uint32_t kGetRegistry = 1;  // wl_display request
constexpr std::uint32_t kGlobal = 0;       // wl_registry events
constexpr std::uint32_t kGlobalRemove = 1;
constexpr std::size_t kMostFds = 28;

std::uint32_t word(const std::vector<char>& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// Bytes, with the descriptors riding on the first of them (a stream socket
// carries descriptors only beside bytes; they stay in `fds` while there are none).
void send_all(int fd, const char* data, std::size_t size, std::vector<int>& fds)
{
    while (size > 0) {
        iovec io{const_cast<char*>(data), size};
        char control[CMSG_SPACE(sizeof(int) * kMostFds)] = {};
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        const std::size_t count = std::min(fds.size(), kMostFds);
        if (count > 0) {
            message.msg_control = control;
            message.msg_controllen = CMSG_SPACE(sizeof(int) * count);
            cmsghdr* header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int) * count);
            std::memcpy(CMSG_DATA(header), fds.data(), sizeof(int) * count);
        }
        const ssize_t sent = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent < 0)
            return;
        for (std::size_t i = 0; i < count; ++i)
            close(fds[i]);
        fds.erase(fds.begin(), fds.begin() + std::ptrdiff_t(count));
        data += sent;
        size -= std::size_t(sent);
    }
}

// Reads what is there, with its descriptors; false at the end or on error.
bool receive(int fd, std::vector<char>& bytes, std::vector<int>& fds)
{
    char buffer[4096];
    char control[CMSG_SPACE(sizeof(int) * kMostFds)];
    iovec io{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (got <= 0)
        return false;
    for (cmsghdr* h = CMSG_FIRSTHDR(&message); h; h = CMSG_NXTHDR(&message, h))
        if (h->cmsg_level == SOL_SOCKET && h->cmsg_type == SCM_RIGHTS) {
            const std::size_t n = (h->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            const int* passed = reinterpret_cast<const int*>(CMSG_DATA(h));
            fds.insert(fds.end(), passed, passed + n);
        }
    bytes.insert(bytes.end(), buffer, buffer + got);
    return true;
}

} // namespace

// One client and its own connection to the compositor.
struct OutputProxy::Link {
    int client = -1;
    int server = -1;
    std::vector<char> from_client; // not yet a whole message
    std::vector<char> from_server;
    std::vector<int> server_fds;
    std::set<std::uint32_t> registries;
    struct Announced {
        std::uint32_t registry;
        std::uint32_t name;
        bool removed;
    };
    std::vector<Announced> outputs; // the wl_output globals, in order

    // Learns the registries the client makes; passes everything on.
    bool client_said()
    {
        std::vector<char> fresh;
        std::vector<int> fds;
        if (!receive(client, fresh, fds))
            return false;
        send_all(server, fresh.data(), fresh.size(), fds);
        from_client.insert(from_client.end(), fresh.begin(), fresh.end());
        std::size_t at = 0;
        while (from_client.size() - at >= 8) {
            const std::uint32_t size = word(from_client, at + 4) >> 16;
            if (size < 8 || from_client.size() - at < size)
                break;
            if (word(from_client, at) == kDisplayObject && (word(from_client, at + 4) & 0xffff) == kGetRegistry)
                registries.insert(word(from_client, at + 8));
            at += size;
        }
        // Only the tail of a message stays, to be read with its rest.
        from_client.erase(from_client.begin(), from_client.begin() + std::ptrdiff_t(at));
        return true;
    }

    // Passes whole messages on, holding back the announcement of an output
    // already removed.
    bool server_said(const std::vector<std::string>& removed)
    {
        if (!receive(server, from_server, server_fds))
            return false;
        std::vector<char> out;
        std::size_t at = 0;
        while (from_server.size() - at >= 8) {
            const std::uint32_t size = word(from_server, at + 4) >> 16;
            if (size < 8 || from_server.size() - at < size)
                break;
            bool pass = true;
            const std::uint32_t object = word(from_server, at);
            if (registries.count(object) && (word(from_server, at + 4) & 0xffff) == kGlobal) {
                const std::uint32_t length = word(from_server, at + 12);
                const std::string interface(from_server.data() + at + 16, length > 0 ? length - 1 : 0);
                if (interface == "wl_output") {
                    const std::string label = "HEADLESS-" + std::to_string(outputs.size() + 1);
                    const bool gone = std::count(removed.begin(), removed.end(), label) > 0;
                    outputs.push_back({object, word(from_server, at + 8), gone});
                    pass = !gone;
                }
            }
            if (pass)
                out.insert(out.end(), from_server.begin() + std::ptrdiff_t(at),
                           from_server.begin() + std::ptrdiff_t(at + size));
            at += size;
        }
        from_server.erase(from_server.begin(), from_server.begin() + std::ptrdiff_t(at));
        send_all(client, out.data(), out.size(), server_fds);
        return true;
    }

    // Between two whole messages: the removals not yet told.
    void tell_removals(const std::vector<std::string>& removed)
    {
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const std::string label = "HEADLESS-" + std::to_string(i + 1);
            if (std::count(removed.begin(), removed.end(), label) == 0)
                continue;
            if (outputs[i].removed)
                continue;
            outputs[i].removed = true;
            const std::uint32_t message[3] = {outputs[i].registry, (12u << 16) | kGlobalRemove, outputs[i].name};
            std::vector<int> none;
            send_all(client, reinterpret_cast<const char*>(message), sizeof message, none);
        }
    }
};

OutputProxy::OutputProxy(const std::string& path, const std::string& upstream) : m_upstream(upstream)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path || pipe(m_wake) != 0)
        return;
    std::strcpy(address.sun_path, path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0
        || chmod(path.c_str(), 0777) != 0) {
        close(fd);
        return;
    }
    m_listen_fd = fd;
    m_thread = std::thread([this] { run(); });
}

OutputProxy::~OutputProxy()
{
    m_stop = true;
    if (m_wake[1] >= 0 && write(m_wake[1], "x", 1) < 0) {
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : {m_listen_fd, m_wake[0], m_wake[1]})
        if (fd >= 0)
            close(fd);
}

void OutputProxy::remove_output(const std::string& name)
{
    {
        std::lock_guard lock(m_mutex);
        m_removed.push_back(name);
    }
    // Told by the proxy's own thread, between two whole messages.
    if (write(m_wake[1], "r", 1) < 0) {
    }
}

void OutputProxy::run()
{
    std::vector<Link> links;
    while (!m_stop) {
        std::vector<pollfd> fds = {{m_listen_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        for (const Link& link : links) {
            fds.push_back({link.client, POLLIN, 0});
            fds.push_back({link.server, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), 1000) < 0)
            continue;
        std::vector<std::string> removed;
        {
            std::lock_guard lock(m_mutex);
            removed = m_removed;
        }
        if (fds[1].revents & POLLIN) {
            char drained[16];
            if (read(m_wake[0], drained, sizeof drained) < 0) {
            }
        }
        std::vector<bool> ended(links.size(), false);
        for (std::size_t i = 0; i < links.size(); ++i) {
            const pollfd& client = fds[2 + 2 * i];
            const pollfd& server = fds[3 + 2 * i];
            if ((client.revents & (POLLIN | POLLHUP | POLLERR)) && !links[i].client_said())
                ended[i] = true;
            if (!ended[i] && (server.revents & (POLLIN | POLLHUP | POLLERR)) && !links[i].server_said(removed))
                ended[i] = true;
            if (!ended[i])
                links[i].tell_removals(removed);
        }
        for (std::size_t i = links.size(); i-- > 0;)
            if (ended[i]) {
                close(links[i].client);
                close(links[i].server);
                links.erase(links.begin() + std::ptrdiff_t(i));
            }
        if (fds[0].revents & POLLIN) {
            const int client = accept4(m_listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, m_upstream.c_str(), sizeof address.sun_path - 1);
            if (client >= 0 && server >= 0
                && connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                links.push_back({});
                links.back().client = client;
                links.back().server = server;
            } else {
                if (client >= 0)
                    close(client);
                if (server >= 0)
                    close(server);
            }
        }
    }
    for (Link& link : links) {
        close(link.client);
        close(link.server);
    }
}

} // namespace wltest
