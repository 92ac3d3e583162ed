// See pending_file.h.
#include "pending_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

// The unfinished files, where a signal handler can reach them: fixed
// buffers, each published by its flag once its path is complete. A run
// writes at most an animated file, its spooled frames and a trace at once.
constexpr int kSlots = 8;
constexpr std::size_t kPathBytes = 4096;

struct UnfinishedFiles {
    char paths[kSlots][kPathBytes];
    volatile std::sig_atomic_t used[kSlots];
};
UnfinishedFiles unfinished; // static storage: every flag starts clear
bool handlers_installed = false;

// remove() is unlink() here, which a signal handler may call. The signal is
// then raised again with the system's own handling, so that whoever started
// the tool sees it end by that signal.
void remove_unfinished_files(int signal_number)
{
    for (int i = 0; i < kSlots; ++i)
        if (unfinished.used[i])
            std::remove(unfinished.paths[i]);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void install_handlers()
{
    if (handlers_installed)
        return;
    handlers_installed = true;
#ifdef SIGHUP
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
#else
    const int signals[] = {SIGINT, SIGTERM};
#endif
    for (int signal_number : signals) {
        // A run started to ignore one (under nohup) goes on ignoring it.
        if (std::signal(signal_number, remove_unfinished_files) == SIG_IGN)
            std::signal(signal_number, SIG_IGN);
    }
}

// -1 when every slot is taken or the path is too long to keep: such a file
// is still removed by a failure, only not by a signal.
int claim_slot(const std::string& path)
{
    if (path.size() >= kPathBytes)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (unfinished.used[i])
            continue;
        std::memcpy(unfinished.paths[i], path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        unfinished.used[i] = 1;
        return i;
    }
    return -1;
}

void release_slot(int slot)
{
    if (slot >= 0)
        unfinished.used[slot] = 0;
}

// The file a chain of symbolic links ends at (the path itself when it is
// none); a relative link is relative to the folder holding it. A loop is
// left where it stands: creating the file there then fails with its reason.
fs::path final_target(fs::path path)
{
    std::error_code ec;
    for (int hop = 0; hop < 40; ++hop) {
        if (fs::symlink_status(path, ec).type() != fs::file_type::symlink)
            return path;
        fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

std::string random_suffix()
{
    static std::mt19937_64 numbers{std::random_device{}()};
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(numbers()));
    return text;
}

} // namespace

bool PendingFile::open(const std::string& target, std::string& error)
{
    discard();
    std::error_code ec;
    const fs::path resolved = final_target(fs::path(target));
    const fs::file_status status = fs::status(resolved, ec);
    if (fs::is_directory(status)) {
        error = "'" + target + "' is a folder";
        return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        m_path = target;
        m_in_place = true;
        return true;
    }
    // A hidden name that says what it is, should a killed run leave it.
    const std::string name = "." + resolved.filename().string() + ".";
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate = resolved.parent_path() / (name + random_suffix() + ".part");
        if (fs::exists(fs::symlink_status(candidate, ec)))
            continue;
        m_slot = claim_slot(candidate.string());
        std::FILE* file = std::fopen(candidate.string().c_str(), "wb");
        if (!file) {
            error = "cannot create a file beside '" + target + "': " + std::strerror(errno);
            release_slot(m_slot);
            m_slot = -1;
            return false;
        }
        std::fclose(file);
        install_handlers();
        m_keeps_permissions = fs::is_regular_file(status);
        m_permissions = status.permissions();
        m_path = candidate.string();
        m_target = resolved.string();
        return true;
    }
    error = "cannot find a free name beside '" + target + "'";
    return false;
}

bool PendingFile::commit(std::string& error)
{
    if (m_in_place) {
        m_path.clear();
        m_in_place = false;
        return true;
    }
    if (m_path.empty())
        return true;
    std::error_code ec;
    // The new file may be read by whoever could read the old one, no more;
    // given only now, so that a read-only file is replaced as well.
    if (m_keeps_permissions)
        fs::permissions(m_path, m_permissions, ec);
    fs::rename(m_path, m_target, ec);
    if (ec) {
        error = "cannot put '" + m_target + "' in place: " + ec.message();
        discard();
        return false;
    }
    release_slot(m_slot);
    m_slot = -1;
    m_path.clear();
    return true;
}

void PendingFile::discard()
{
    if (!m_path.empty() && !m_in_place)
        std::remove(m_path.c_str());
    release_slot(m_slot);
    m_slot = -1;
    m_path.clear();
    m_in_place = false;
}

bool same_file(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec)
        return true;
    auto full = [](const std::string& path) {
        std::error_code e;
        fs::path resolved = final_target(fs::path(path));
        fs::path absolute = fs::absolute(resolved, e);
        fs::path canonical = fs::weakly_canonical(absolute, e);
        return e ? absolute.lexically_normal() : canonical;
    };
    return full(a) == full(b);
}
