// How each kind of window is made. A window the system refuses is reported
// on standard error and answered with null.
#include "host/win32/win32_host_impl.h"

#include <cstdio>

namespace host::win32 {

namespace {

void report_refusal(const char* what)
{
    std::fprintf(stderr, "orvelune: cannot create %s (system error %lu)\n", what,
                 static_cast<unsigned long>(GetLastError()));
}

} // namespace

std::unique_ptr<host::Window> Win32Host::create_window(const WindowOptions& options,
                                                       WindowHandler& handler)
{
    if (options.parent != 0)
        return create_child_window(options, handler);
    // A new kind of window is chosen here from its options and made by a
    // function of its own beside these.
    if (options.takes_keyboard)
        return create_dialog_window(options, handler);
    if (options.overlay)
        return create_overlay_window(options, handler);
    return create_popup_window(options, handler);
}

std::unique_ptr<host::Window> Win32Host::create_child_window(const WindowOptions& options,
                                                             WindowHandler& handler)
{
    HWND parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(options.parent));
    if (!IsWindow(parent))
        return nullptr; // the pane is no window (or went away): nothing to show
    // A child of another program's window, as the display settings embed a
    // preview: it moves, hides and goes with that window.
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (options.visible ? WS_VISIBLE : 0);
    HWND hwnd = CreateWindowExW(0, kWindowClassName, utf16_from_utf8(options.title).c_str(), style,
                                options.rect.x, options.rect.y, options.rect.width,
                                options.rect.height, parent, nullptr, m_instance, this);
    if (!hwnd) {
        report_refusal("the preview in its pane");
        return nullptr;
    }
    return std::make_unique<Win32Window>(*this, handler, options, WindowKind::Child, hwnd);
}

std::unique_ptr<host::Window> Win32Host::create_popup_window(const WindowOptions& options,
                                                             WindowHandler& handler)
{
    DWORD style = options.borderless ? WS_POPUP : (WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX);
    RECT outer{options.rect.x, options.rect.y, options.rect.x + options.rect.width,
               options.rect.y + options.rect.height};
    // The rectangle is the client area; a frame, when asked for, goes around it.
    if (!options.borderless)
        AdjustWindowRectEx(&outer, style, FALSE, 0);
    if (options.visible)
        style |= WS_VISIBLE;
    DWORD ex_style = options.topmost ? WS_EX_TOPMOST : 0;
    // A borderless window without a title (the black cover of another
    // monitor) is no application of its own: no taskbar button for it.
    if (options.borderless && options.title.empty())
        ex_style |= WS_EX_TOOLWINDOW;
    HWND hwnd = CreateWindowExW(ex_style, kWindowClassName, utf16_from_utf8(options.title).c_str(),
                                style, outer.left, outer.top, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr, m_instance, this);
    if (!hwnd) {
        report_refusal("a window");
        return nullptr;
    }
    return std::make_unique<Win32Window>(*this, handler, options, WindowKind::Popup, hwnd);
}

} // namespace host::win32

namespace host::win32 {

std::unique_ptr<host::Window> Win32Host::create_dialog_window(const WindowOptions& options,
                                                              WindowHandler& handler)
{
    // An application window without frame or caption (the dialog draws its
    // own bar): it has a button on the task bar, takes the focus when shown
    // and stays among the other windows.
    const DWORD style = WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | (options.visible ? WS_VISIBLE : 0);
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, kWindowClassName,
                                utf16_from_utf8(options.title).c_str(), style, options.rect.x,
                                options.rect.y, options.rect.width, options.rect.height, nullptr,
                                nullptr, m_instance, this);
    if (!hwnd) {
        report_refusal("the dialog's window");
        return nullptr;
    }
    return std::make_unique<Win32Window>(*this, handler, options, WindowKind::Dialog, hwnd);
}

std::unique_ptr<host::Window> Win32Host::create_overlay_window(const WindowOptions& options,
                                                               WindowHandler& handler)
{
    // Topmost from the start, so it is above the dialog the moment it shows;
    // a tool window, so it gets no button on the task bar; never activated,
    // not even by a click, so the dialog keeps the keyboard throughout and
    // is still the active window when the card goes.
    const DWORD style = WS_POPUP | (options.visible ? WS_VISIBLE : 0);
    const DWORD ex_style = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    HWND hwnd = CreateWindowExW(ex_style, kWindowClassName, utf16_from_utf8(options.title).c_str(),
                                style, options.rect.x, options.rect.y, options.rect.width,
                                options.rect.height, nullptr, nullptr, m_instance, this);
    if (!hwnd) {
        report_refusal("the window over the screen");
        return nullptr;
    }
    return std::make_unique<Win32Window>(*this, handler, options, WindowKind::Overlay, hwnd);
}

} // namespace host::win32
