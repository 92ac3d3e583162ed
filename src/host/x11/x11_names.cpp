#include "host/x11/x11_host_impl.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <string>

// Window titles and the virtual root. A title goes on a window twice: as
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

} // namespace

std::optional<std::string> window_title(::Display* display, const Atoms& atoms, ::Window window)
{
    if (auto name = utf8_name(display, atoms, window))
        return name;
    return classic_name(display, window);
}

::Window virtual_root(::Display* display, const Atoms& atoms, ::Window root)
{
    ::Window root_return = 0, parent_return = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    ::Window found = root;
    ErrorTrap trap(display);
    if (XQueryTree(display, root, &root_return, &parent_return, &children, &count)) {
        for (unsigned i = 0; i < count && found == root; ++i) {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], atoms.swm_vroot, 0, 1, False, XA_WINDOW,
                                   &type, &format, &items, &after, &data) == Success
                && data && type == XA_WINDOW && items == 1)
                found = *reinterpret_cast<const ::Window*>(data);
            if (data)
                XFree(data);
        }
        if (children)
            XFree(children);
    }
    (void)trap.failed();
    return found;
}

} // namespace host::x11
