// The X11 host's claim of the one saver or settings dialog per X server: a
// lock file named after the display (see desktop_host.h).
#include "host/x11/x11_host_impl.h"

#include <cctype>
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

} // namespace

std::string X11Host::instance_lock_name()
{
    return "orvelune-" + display_key(DisplayString(m_display)) + ".lock";
}

} // namespace host::x11
