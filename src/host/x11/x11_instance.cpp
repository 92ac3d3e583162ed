// The X11 host's claim of the one saver or settings dialog per X server: a
// lock file named after the display (see instance_lock.h).
#include "host/x11/instance_lock.h"
#include "host/x11/x11_host_impl.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace host::x11 {

namespace {

// One name per X server: ":0", ":0.0" and "unix:0.1" name the same local
// server and give the same key; the screen number does not count.
std::string display_key(const std::string& name)
{
    const std::size_t colon = name.rfind(':');
    std::string host = colon == std::string::npos ? std::string() : name.substr(0, colon);
    std::string number = colon == std::string::npos ? name : name.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (host == "unix" || (!host.empty() && host.front() == '/'))
        host.clear();
    std::string key = host + ":" + number;
    for (char& c : key)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':'))
            c = '_';
    return key;
}

std::string lock_path(::Display* display, std::string& error)
{
    return instance_lock_path("orvelune-" + display_key(DisplayString(display)) + ".lock", error);
}

} // namespace

InstanceClaim X11Host::claim_instance()
{
    if (m_instance_fd >= 0)
        return InstanceClaim::Claimed;
    std::string error;
    const std::string path = lock_path(m_display, error);
    if (path.empty()) {
        std::fprintf(stderr, "orvelune: cannot make sure only one saver runs: %s\n", error.c_str());
        return InstanceClaim::Unavailable;
    }
    return claim_instance_lock(path, m_instance_fd);
}

bool X11Host::instance_claimed_elsewhere()
{
    if (m_instance_fd >= 0)
        return false;
    std::string error;
    const std::string path = lock_path(m_display, error);
    return !path.empty() && instance_lock_held_elsewhere(path);
}

} // namespace host::x11
