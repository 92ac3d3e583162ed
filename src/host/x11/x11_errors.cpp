// How X errors are judged; see x11_errors.h.
#include "host/x11/x11_errors.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace host::x11 {

int handle_x_error(::Display* display, XErrorEvent* error);

namespace {

// One user-interface thread reaches these (Xlib calls the handler on it).
std::vector<::Display*> g_displays;
std::vector<ErrorTrap*> g_traps; // innermost last
std::vector<std::pair<::Display*, XID>> g_tolerated;
XErrorHandler g_previous = nullptr;

std::string describe(::Display* display, const XErrorEvent& error)
{
    char text[160] = {};
    XGetErrorText(display, error.error_code, text, sizeof text);
    return text;
}

} // namespace

int handle_x_error(::Display* display, XErrorEvent* error)
{
    if (std::find(g_displays.begin(), g_displays.end(), display) == g_displays.end())
        return g_previous ? g_previous(display, error) : 0;

    for (auto it = g_traps.rbegin(); it != g_traps.rend(); ++it) {
        ErrorTrap& trap = **it;
        if (trap.m_display != display || error->serial < trap.m_first_serial)
            continue;
        if (trap.m_errors++ == 0)
            trap.m_first_error = describe(display, *error);
        return 0;
    }

    const std::pair<::Display*, XID> resource{display, error->resourceid};
    if (std::find(g_tolerated.begin(), g_tolerated.end(), resource) != g_tolerated.end())
        return 0;

    std::fprintf(stderr,
                 "orvelune: the X server refused a request: %s (request %d.%d, resource 0x%lx)\n",
                 describe(display, *error).c_str(), int(error->request_code),
                 int(error->minor_code), error->resourceid);
    std::fflush(stderr);
    _exit(EXIT_FAILURE);
}

void install_error_handler(::Display* display)
{
    if (std::find(g_displays.begin(), g_displays.end(), display) == g_displays.end())
        g_displays.push_back(display);
    const XErrorHandler previous = XSetErrorHandler(handle_x_error);
    if (previous != handle_x_error)
        g_previous = previous;
}

void forget_display(::Display* display)
{
    std::erase(g_displays, display);
    std::erase_if(g_tolerated, [&](const auto& entry) { return entry.first == display; });
}

void tolerate_errors_on(::Display* display, XID resource)
{
    g_tolerated.emplace_back(display, resource);
}

void stop_tolerating(::Display* display, XID resource)
{
    // One registration goes: a pane may be both our child's parent and
    // followed for another reason.
    const auto it = std::find(g_tolerated.begin(), g_tolerated.end(),
                              std::pair<::Display*, XID>{display, resource});
    if (it != g_tolerated.end())
        g_tolerated.erase(it);
}

ErrorTrap::ErrorTrap(::Display* display) : m_display(display), m_first_serial(NextRequest(display))
{
    g_traps.push_back(this);
}

ErrorTrap::~ErrorTrap()
{
    // Requests still unanswered may yet fail; their errors belong here.
    if (LastKnownRequestProcessed(m_display) + 1 < NextRequest(m_display))
        XSync(m_display, False);
    std::erase(g_traps, this);
}

bool ErrorTrap::failed()
{
    XSync(m_display, False);
    return m_errors > 0;
}

} // namespace host::x11
