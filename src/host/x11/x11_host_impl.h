#pragma once

// The X11 host's own classes. Included only by the files of src/host/x11:
// after Xlib, `Window` means the X resource id and `host::Window` ours.
#include "host/host.h"
#include "host/run_loop.h"
#include "host/x11/desktop_host.h"
#include "host/x11/x11_host.h"
#include "host/x11/x11_present.h"
#include "host/x11/x11_sight.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host::x11 {

class X11Host;

struct Atoms {
    Atom wm_protocols, wm_delete_window, net_wm_name, utf8_string, net_wm_state,
        net_wm_state_fullscreen, net_wm_state_above, motif_wm_hints, swm_vroot, net_wm_pid,
        net_supporting_wm_check, net_client_list, wm_state;
    explicit Atoms(::Display* display);
};

// How a window of ours stands to the X server.
enum class WindowKind {
    Desktop,   // our own top-level window, borderless (the saver, the dialogs)
    Ordinary,  // our own top-level window with the window manager's frame
    Child,     // our own child of another program's window (the preview)
    Foreign,   // another program's window that we only draw into
};

// The X resources of a window, made by one of X11Host's create functions.
struct WindowResources {
    ::Window id = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
};

class X11Window : public LoopWindow {
public:
    X11Window(X11Host& host, WindowHandler& handler, const WindowOptions& options,
              WindowKind kind, const WindowResources& resources);
    ~X11Window() override;

    void refresh() override;
    void refresh_areas(std::span<const gfx::Rect> areas) override; // x11_present_area.cpp
    void set_cursor_picture(const CursorPicture* cursor) override; // x11_cursor.cpp
    void set_title(std::string_view utf8) override;
    void move(gfx::Rect rect) override;
    void show(bool visible) override;
    void set_topmost(bool on) override;
    NativeHandle native_handle() const override { return m_id; }

    ::Window id() const { return m_id; }
    ::Window watched_parent() const { return m_parent; }
    WindowKind kind() const { return m_kind; }
    bool owns_cursor() const { return m_kind == WindowKind::Desktop || m_kind == WindowKind::Ordinary; }

private:
    // Paints black what the frame does not cover (a window with a frame limit).
    void clear_beyond_frame();

    X11Host& m_host;
    WindowKind m_kind;
    ::Window m_id;
    ::Window m_parent = 0; // the parent we follow (child windows only)
    GC m_gc;
    std::unique_ptr<FramePresenter> m_presenter;
    Size m_size; // the client area's, which the frame may not fill
    bool m_topmost = false;
};

class X11Host : public DesktopHost {
public:
    X11Host(::Display* display, const X11HostOptions& options);
    ~X11Host() override;
    X11Host(const X11Host&) = delete;
    X11Host& operator=(const X11Host&) = delete;

    // Finds the window to draw into for the foreign placement and takes its
    // size; false, with a reason, when it names no window.
    bool resolve_foreign_window(std::string& error);

    // ---- the host contract
    Size screen_size() override;
    std::vector<gfx::Rect> monitors() override; // x11_monitors.cpp
    std::unique_ptr<host::Window> create_window(const WindowOptions& options,
                                                WindowHandler& handler) override;
    std::optional<gfx::Rect> native_window_rect(NativeHandle window) override;
    bool is_desktop_window(NativeHandle window) override;
    bool top_level_window_exists(std::string_view title_utf8) override;

    void sleep_ms(int ms) override;
    std::uint64_t now_ms() override;

    int show_cursor(bool show) override;
    gfx::Point cursor_pos() override;
    std::optional<gfx::Point> pointer_position() override;   // x11_zoom.cpp
    void animate_zoom(gfx::Rect from, gfx::Rect to) override; // x11_zoom.cpp

    bool capture_desktop(gfx::Surface& into) override;
    // Pictures, text, the instance claim and the system's dialogs are the
    // desktop hosts' (desktop_host.h). The screen-saver services keep their
    // defaults: Linux has no screen-saver password of its own (the
    // session's locker does locking), so the saver behaves as on the NT
    // family.

    [[noreturn]] void end_process(int status) override;

    // A dialog's window (WindowOptions::takes_keyboard): x11_dialog_window.cpp.
    std::unique_ptr<host::Window> create_dialog_window(const WindowOptions& options,
                                                       WindowHandler& handler);
    // A window over everything (WindowOptions::overlay): x11_overlay_window.cpp.
    std::unique_ptr<host::Window> create_overlay_window(const WindowOptions& options,
                                                        WindowHandler& handler);

    // ---- for the windows and the helpers
    ::Display* display() const { return m_display; }
    ::Window root() const { return m_root; }
    const Atoms& atoms() const { return m_atoms; }
    const X11HostOptions& options() const { return m_options; }
    void window_created(X11Window& window);
    void window_destroyed(X11Window& window);
    bool uses_shm() const;
    void set_shm_used(bool used) { m_shm_used = used; }
    // The window a frame was just put into: whether it can be seen decides
    // whether the loop pauses (x11_sight.h).
    void presented(::Window window) { m_sight.presented(window); }
    // Puts the cursor state on one of our windows.
    void apply_cursor(X11Window& window);
    // Repaints our windows from their frames while a dialog of the system
    // holds the loop (no input is delivered then).
    void repaint_exposed();
    // Drops the input to our windows that has come so far: a window under a
    // modal dialog of the system takes none, neither meanwhile nor when the
    // dialog has closed.
    void drop_input();

private:
    // One function per kind of window (x11_window_kinds.cpp); create_window
    // picks the kind from the options and the placement. A new kind gets a
    // function of its own here and a line in create_window.
    std::unique_ptr<host::Window> create_child_window(const WindowOptions& options,
                                                      WindowHandler& handler);
    std::unique_ptr<host::Window> adopt_foreign_window(const WindowOptions& options,
                                                       WindowHandler& handler);
    std::unique_ptr<host::Window> create_ordinary_window(const WindowOptions& options,
                                                         WindowHandler& handler);
    std::unique_ptr<host::Window> create_desktop_window(const WindowOptions& options,
                                                        WindowHandler& handler);
    // A top-level window of ours with the properties every kind carries
    // (size hints, close protocol, process id, title, class); 0 with the
    // reason on standard error when the server refuses it.
    WindowResources create_top_level(const gfx::Rect& rect, const std::string& title,
                                     long extra_events = 0);
    // Hands a new top-level window out: the cursor state on it, shown when
    // the options ask, and the requests sent.
    std::unique_ptr<host::Window> finish_top_level(std::unique_ptr<X11Window> window,
                                                   const WindowOptions& options);

    // The loop's events (x11_loop.cpp).
    std::size_t pending_input(std::uint64_t limit) override;
    bool deliver_next_input(std::uint64_t limit) override;
    bool wait(std::optional<std::uint64_t> until) override;
    void check_end() override;
    std::optional<std::string_view> hidden_cause() override;
    std::optional<std::uint64_t> hidden_recheck() override;
    void dispatch(const XEvent& event);
    void repaint(X11Window& window);
    X11Window* find(::Window id) const;
    bool alive(const X11Window* window) const;

    // What the desktop hosts leave to each (desktop_host.h): the lock file
    // per display (x11_instance.cpp), the wait while a picture decodes
    // (x11_host.cpp), GTK's dialogs over our windows and GDK's X error
    // handler (x11_dialogs.cpp).
    std::string instance_lock_name() override;
    void wait_for_decoder(int decoder_fd, int timeout_ms) override;
    GtkDialogLoop dialog_loop(host::Window* owner) override;
    void gtk_started() override;

    ::Display* m_display;
    X11HostOptions m_options;
    Atoms m_atoms;
    int m_screen;
    ::Window m_root;
    ::Window m_foreign = 0;
    Size m_foreign_size;
    bool m_foreign_taken = false;
    bool m_ordinary_taken = false;
    std::vector<X11Window*> m_windows; // in creation order
    int m_cursor_count = 0;
    Cursor m_invisible_cursor = 0;
    bool m_shm_used = false;
    X11Sight m_sight;
};

// Window names and the window tree (x11_names.cpp).
void set_window_title(::Display* display, const Atoms& atoms, ::Window window,
                      std::string_view utf8);
// The window's title as UTF-8: _NET_WM_NAME, else WM_NAME; nothing when it has none.
std::optional<std::string> window_title(::Display* display, const Atoms& atoms, ::Window window);
// The virtual root a window manager keeps (a child of the root carrying
// __SWM_VROOT), else the root itself.
::Window virtual_root(::Display* display, const Atoms& atoms, ::Window root);
// The top-level windows of every program, as a person would count them:
// the clients a window manager lists in _NET_CLIENT_LIST, the windows that
// carry WM_STATE however deep a window manager nests them in its frames,
// and the root's own children (windows not yet shown, or shown without a
// window manager). Below a child of the root that holds no WM_STATE
// window, its own children count too (a frame of a window manager that
// does not mark its clients). Windows that vanish meanwhile are left out.
std::vector<::Window> top_level_windows(::Display* display, const Atoms& atoms, ::Window root);

// Desktop pictures through xscreensaver-getimage (x11_getimage.cpp): draws
// what the user's grab settings choose into a pixmap the size of `window` and
// reads it into `into`. False when the helper is not installed or fails.
bool capture_through_getimage(::Display* display, ::Window window, gfx::Surface& into);

} // namespace host::x11
