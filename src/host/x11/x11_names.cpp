#include "host/x11/x11_host_impl.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

// Window titles, the virtual root and the top-level windows. A title goes on a window twice: as
// _NET_WM_NAME in UTF-8, which window managers and other programs of today
// read, and as the classic WM_NAME (Latin-1 where that suffices, compound
// text otherwise), which is all an older program can read.
namespace host::x11 {

void set_window_title(::Display* display, const Atoms& atoms, ::Window window,
                    std::string_view utf8)
{
    const std::string text(utf8);
    XChangeProperty(display, window, atoms.net_wm_name, atoms.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));

    char* list[] = {const_cast<char*>(text.c_str())};
    XTextProperty property{};
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property) >= Success) {
        XSetWMName(display, window, &property);
        XFree(property.value);
    } else {
        XStoreName(display, window, text.c_str());
    }
}

namespace {

std::optional<std::string> utf8_name(::Display* display, const Atoms& atoms, ::Window window)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // 1024 32-bit units: far more than any title.
    if (XGetWindowProperty(display, window, atoms.net_wm_name, 0, 1024, False, atoms.utf8_string,
                           &type, &format, &count, &after, &data) != Success)
        return std::nullopt;
    std::optional<std::string> name;
    if (data && type == atoms.utf8_string && format == 8)
        name = std::string(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return name;
}

std::optional<std::string> classic_name(::Display* display, ::Window window)
{
    XTextProperty property{};
    if (!XGetWMName(display, window, &property) || !property.value)
        return std::nullopt;
    std::optional<std::string> name;
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && list) {
        if (count > 0)
            name = std::string(list[0]);
        XFreeStringList(list);
    } else {
        name = std::string(reinterpret_cast<const char*>(property.value), property.nitems);
    }
    XFree(property.value);
    return name;
}

std::vector<::Window> children_of(::Display* display, ::Window window)
{
    ::Window root_return = 0, parent_return = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    std::vector<::Window> out;
    if (XQueryTree(display, window, &root_return, &parent_return, &children, &count) && children)
        out.assign(children, children + count);
    if (children)
        XFree(children);
    return out;
}

// The window ids a property of type WINDOW holds; empty when it has none.
std::vector<::Window> window_list(::Display* display, ::Window window, Atom property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<::Window> out;
    if (XGetWindowProperty(display, window, property, 0, LONG_MAX / 4, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success
        && data && type == XA_WINDOW && format == 32) {
        // Format 32 comes as longs, whatever their width.
        const auto* ids = reinterpret_cast<const unsigned long*>(data);
        out.assign(ids, ids + count);
    }
    if (data)
        XFree(data);
    return out;
}

bool has_property(::Display* display, ::Window window, Atom property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType,
                                        &type, &format, &count, &after, &data) == Success
                     && type != None;
    if (data)
        XFree(data);
    return has;
}

// A window manager that publishes its client list names a window of its
// own in _NET_SUPPORTING_WM_CHECK, which names itself again; a list left
// behind by a window manager that has gone fails that test.
bool client_list_is_live(::Display* display, const Atoms& atoms, ::Window root)
{
    const std::vector<::Window> check = window_list(display, root, atoms.net_supporting_wm_check);
    return check.size() == 1
           && window_list(display, check[0], atoms.net_supporting_wm_check) == check;
}

// Window managers nest a client in frames of their own, as deep as they
// like, and mark it with WM_STATE. Appends the marked windows below `top`
// (not below a marked one: a client's own children are not clients) and
// says whether there were any.
bool append_marked_clients(::Display* display, const Atoms& atoms, ::Window top,
                           std::vector<::Window>& out)
{
    // Deeper than any window manager nests: a bound on a hostile tree.
    constexpr int kDeepest = 16;
    bool found = false;
    std::vector<::Window> level = children_of(display, top);
    for (int depth = 0; depth < kDeepest && !level.empty(); ++depth) {
        std::vector<::Window> below;
        for (const ::Window window : level) {
            if (has_property(display, window, atoms.wm_state)) {
                out.push_back(window);
                found = true;
            } else {
                const std::vector<::Window> children = children_of(display, window);
                below.insert(below.end(), children.begin(), children.end());
            }
        }
        level = std::move(below);
    }
    return found;
}

} // namespace

std::vector<::Window> top_level_windows(::Display* display, const Atoms& atoms, ::Window root)
{
    // Windows may vanish while we look: they are simply not found.
    ErrorTrap trap(display);
    std::vector<::Window> found = children_of(display, root);
    if (client_list_is_live(display, atoms, root)) {
        const std::vector<::Window> clients = window_list(display, root, atoms.net_client_list);
        found.insert(found.end(), clients.begin(), clients.end());
    } else {
        for (const ::Window top : std::vector<::Window>(found)) {
            if (has_property(display, top, atoms.wm_state))
                continue;
            if (!append_marked_clients(display, atoms, top, found)) {
                const std::vector<::Window> children = children_of(display, top);
                found.insert(found.end(), children.begin(), children.end());
            }
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::optional<std::string> window_title(::Display* display, const Atoms& atoms, ::Window window)
{
    if (auto name = utf8_name(display, atoms, window))
        return name;
    return classic_name(display, window);
}

::Window virtual_root(::Display* display, const Atoms& atoms, ::Window root)
{
    ErrorTrap trap(display);
    for (const ::Window child : children_of(display, root))
        if (const std::vector<::Window> vroot = window_list(display, child, atoms.swm_vroot);
            vroot.size() == 1)
            return vroot[0];
    return root;
}

} // namespace host::x11
