#pragma once

// The X11 host's own classes. Included only by the files of src/host/x11:
// after Xlib, `Window` means the X resource id and `host::Window` ours.
#include "host/host.h"
#include "host/x11/x11_host.h"
#include "host/x11/x11_present.h"

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
        net_supporting_wm_check;
    explicit Atoms(::Display* display);
};

// How a window of ours stands to the X server.
enum class WindowKind {
    Desktop,   // our own top-level window, borderless (the saver, the dialogs)
    Ordinary,  // our own top-level window with the window manager's frame
    Child,     // our own child of another program's window (the preview)
    Foreign,   // another program's window that we only draw into
};

class X11Window : public host::Window {
public:
    X11Window(X11Host& host, WindowHandler& handler, const WindowOptions& options,
              WindowKind kind, ::Window id);
    ~X11Window() override;

    gfx::Surface& frame() override { return m_frame; }
    void refresh() override;
    void refresh_area(gfx::Rect area) override;          // x11_present_area.cpp
    void set_cursor_picture(const CursorPicture* cursor) override; // x11_cursor.cpp
    void set_title(std::string_view utf8) override;
    void move(gfx::Rect rect) override;
    void show(bool visible) override;
    void set_topmost(bool on) override;
    void set_timer(int interval_ms) override;
    NativeHandle native_handle() const override { return m_id; }

    ::Window id() const { return m_id; }
    ::Window watched_parent() const { return m_parent; }
    WindowKind kind() const { return m_kind; }
    WindowHandler& handler() { return m_handler; }
    bool owns_cursor() const { return m_kind == WindowKind::Desktop || m_kind == WindowKind::Ordinary; }

    // Timer state, driven by the host's loop.
    int timer_interval() const { return m_interval; }
    std::uint64_t timer_due() const { return m_due; }
    void rearm_timer(std::uint64_t now) { m_due = now + std::uint64_t(m_interval); }
    bool in_tick = false;

private:
    void resize_frame(int width, int height);

    X11Host& m_host;
    WindowHandler& m_handler;
    WindowKind m_kind;
    ::Window m_id;
    ::Window m_parent = 0; // the parent we follow (child windows only)
    GC m_gc = nullptr;
    std::unique_ptr<FramePresenter> m_presenter;
    gfx::Surface m_frame;
    bool m_topmost = false;
    int m_interval = 0;
    std::uint64_t m_due = 0;
};

class X11Host : public host::Host {
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
    std::unique_ptr<host::Window> create_window(const WindowOptions& options,
                                                WindowHandler& handler) override;
    std::optional<gfx::Rect> native_window_rect(NativeHandle window) override;
    bool top_level_window_exists(std::string_view title_utf8) override;

    void run() override;
    void quit() override { m_quit = true; }
    void process_pending_messages() override;
    void sleep_ms(int ms) override;
    std::uint64_t now_ms() override;

    int show_cursor(bool show) override;
    gfx::Point cursor_pos() override;
    std::optional<gfx::Point> pointer_position() override;   // x11_zoom.cpp
    void animate_zoom(gfx::Rect from, gfx::Rect to) override; // x11_zoom.cpp

    bool capture_desktop(gfx::Surface& into) override;
    bool load_picture(const std::string& path_utf8, gfx::Surface& out) override;
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour) override;
    int text_height(std::string_view utf8, const Font& font) override;
    int text_width(std::string_view utf8, const Font& font) override;

    // Linux has no screen-saver password of its own: the session's locker
    // does locking, so the saver behaves as on the NT family.
    bool is_nt_platform() override { return true; }
    bool verify_screen_saver_password(host::Window&) override { return true; }
    void change_screen_saver_password(NativeHandle) override {}
    void set_screen_saver_running(bool) override {}
    void set_screen_saving_active(bool) override {}

    void message_box(host::Window* owner, std::string_view text_utf8,
                     std::string_view title_utf8, MessageStyle style) override;
    std::optional<gfx::ColorRef> choose_color(host::Window* owner,
                                              gfx::ColorRef initial) override;
    std::optional<std::string> choose_picture_file(host::Window* owner,
                                                   const PictureFileRequest& request) override;
    void open_url(std::string_view url) override;

    [[noreturn]] void end_process(int status) override;

    // A dialog's window (WindowOptions::takes_keyboard): x11_dialog_window.cpp.
    std::unique_ptr<host::Window> create_dialog_window(const WindowOptions& options,
                                                       WindowHandler& handler);

    // ---- for the windows and the helpers
    ::Display* display() const { return m_display; }
    ::Window root() const { return m_root; }
    const Atoms& atoms() const { return m_atoms; }
    const X11HostOptions& options() const { return m_options; }
    bool window_manager_present();
    void window_created(X11Window& window);
    void window_destroyed(X11Window& window);
    bool uses_shm() const;
    void set_shm_used(bool used) { m_shm_used = used; }
    // Puts the cursor state on one of our windows.
    void apply_cursor(X11Window& window);
    // Repaints our windows from their frames while a dialog of the system
    // holds the loop (no input is delivered then).
    void repaint_exposed();

private:
    // The loop (x11_loop.cpp).
    void dispatch(const XEvent& event);
    void dispatch_pending();
    X11Window* find(::Window id) const;
    X11Window* due_timer(std::uint64_t now) const;
    bool fire_due_timer();
    bool alive(const X11Window* window) const;
    void end_if_signalled();
    bool ensure_gtk();

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
    bool m_quit = false;
    int m_cursor_count = 0;
    Cursor m_invisible_cursor = 0;
    bool m_shm_used = false;
    int m_gtk_state = 0; // 0 untried, 1 ready, -1 cannot start
};

// Window names (x11_names.cpp).
void SetWindowTitle(::Display* display, const Atoms& atoms, ::Window window,
                    std::string_view utf8);
// The window's title as UTF-8: _NET_WM_NAME, else WM_NAME; nothing when it has none.
std::optional<std::string> WindowTitle(::Display* display, const Atoms& atoms, ::Window window);
// The virtual root a window manager keeps (a child of the root carrying
// __SWM_VROOT), else the root itself.
::Window VirtualRoot(::Display* display, const Atoms& atoms, ::Window root);

// Desktop pictures through xscreensaver-getimage (x11_getimage.cpp): draws
// what the user's grab settings choose into a pixmap the size of `window` and
// reads it into `into`. False when the helper is not installed or fails.
bool CaptureThroughGetImage(::Display* display, ::Window window, gfx::Surface& into);

} // namespace host::x11
