#pragma once

// The Windows host's own classes. Included only by the files of src/host/win32.
#include "host/win32/windows_api.h"

#include "host/host.h"
#include "host/run_loop.h"
#include "host/system_text.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_present.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host::win32 {

class Win32Host;

// The class of every window of ours. Double clicks are not asked for, so a
// quick second click arrives as a second press, as every press must.
inline constexpr wchar_t kWindowClassName[] = L"OrveluneWindow";

// How a window of ours stands to the system. A new kind gets an enumerator
// here and a create function in win32_window_kinds.cpp.
enum class WindowKind {
    Popup,   // our own top-level window without frame or caption (the saver, a monitor's cover)
    Dialog,  // our own top-level window that takes the keyboard (the settings dialog)
    Child,   // our own child of another program's window (the preview pane)
    Overlay, // a picture over everything for a moment, never activated (the version card)
};

class Win32Window;

// One piece of input for a window of ours, queued by the window procedure
// and handed to the window's handler by the loop.
struct InputEvent {
    enum Kind { MouseDown, MouseUp, MouseMove, KeyDown, CloseRequest, ParentResized } kind = MouseMove;
    Win32Window* window = nullptr;
    std::uint64_t serial = 0; // tells the window from a later one at the same address
    int button = 0; // MouseDown, MouseUp: the button; MouseMove: the buttons held
    Key key = Key::Other; // KeyDown
    double x = 0;
    double y = 0;
    Size size;      // ParentResized
};

class Win32Window : public LoopWindow {
public:
    Win32Window(Win32Host& host, WindowHandler& handler, const WindowOptions& options,
                WindowKind kind, HWND hwnd);
    ~Win32Window() override;

    void refresh() override;
    void refresh_areas(std::span<const gfx::Rect> areas) override;
    void set_cursor_picture(const CursorPicture* cursor) override; // win32_cursor.cpp
    void set_title(std::string_view utf8) override;
    void move(gfx::Rect rect) override;
    void show(bool visible) override;
    void set_topmost(bool on) override;
    NativeHandle native_handle() const override;

    HWND hwnd() const { return m_hwnd; }
    HWND parent() const { return m_parent; }
    WindowKind kind() const { return m_kind; }
    // Puts the last presented frame on the screen again (WM_PAINT).
    void paint(HDC dc);
    // The pointer over the client area: ours, or null for the class's arrow.
    HCURSOR cursor() const { return m_cursor; }
    // The system destroyed the window under us (its parent went away).
    void forget_hwnd() { m_hwnd = nullptr; }
    std::uint64_t serial() const { return m_serial; }
    // A child's pane: the event for its going away (once) or for a new
    // client size, when either has happened since the last look.
    std::optional<InputEvent> check_parent();

private:
    Win32Host& m_host;
    WindowKind m_kind;
    HWND m_hwnd;
    HWND m_parent = nullptr;
    Size m_parent_size;
    bool m_parent_gone = false;
    std::uint64_t m_serial;
    FramePresenter m_presenter;
    HCURSOR m_cursor = nullptr;
};

class Win32Host : public LoopHost {
public:
    explicit Win32Host(HINSTANCE instance);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Registers the window class and starts COM; false, with the reason, when refused.
    bool start(std::string& error);

    // ---- the host contract
    Size screen_size() override;
    std::vector<gfx::Rect> monitors() override; // win32_monitors.cpp
    std::unique_ptr<host::Window> create_window(const WindowOptions& options,
                                                WindowHandler& handler) override;
    std::optional<gfx::Rect> native_window_rect(NativeHandle window) override;
    bool is_desktop_window(NativeHandle window) override;
    bool top_level_window_exists(std::string_view title_utf8) override;

    InstanceClaim claim_instance() override;
    bool instance_claimed_elsewhere() override;

    void sleep_ms(int ms) override;
    std::uint64_t now_ms() override;

    int show_cursor(bool show) override;
    gfx::Point cursor_pos() override;
    std::optional<gfx::Point> pointer_position() override;
    void animate_zoom(gfx::Rect from, gfx::Rect to) override;

    bool capture_desktop(gfx::Surface& into) override;
    PictureResult load_picture(const std::string& path_utf8, gfx::Surface& out) override;
    // GDI fonts (win32_text.cpp), shared with the render tool on Windows.
    TextService& text() override { return m_text; }

    bool is_nt_platform() override;
    bool verify_screen_saver_password(host::Window& saver) override;
    void change_screen_saver_password(NativeHandle parent) override;
    void set_screen_saver_running(bool running) override;
    void set_screen_saving_active(bool active) override;

    void message_box(host::Window* owner, std::string_view text_utf8,
                     std::string_view title_utf8, MessageStyle style) override;
    std::optional<gfx::ColorRef> choose_color(host::Window* owner,
                                              gfx::ColorRef initial) override;
    std::optional<std::string> choose_picture_file(host::Window* owner,
                                                   const PictureFileRequest& request) override;
    void open_url(std::string_view url) override;

    [[noreturn]] void end_process(int status) override;

    // ---- for the windows and the window procedure
    HINSTANCE instance() const { return m_instance; }
    void window_created(Win32Window& window);
    void window_destroyed(Win32Window& window);
    Win32Window* find(HWND hwnd) const;
    bool alive(const Win32Window* window, std::uint64_t serial) const;
    void queue(const InputEvent& event) { m_events.push_back(event); }
    std::uint64_t next_window_serial() { return m_next_window_serial++; }

private:
    // One function per kind of window (win32_window_kinds.cpp); create_window
    // picks the kind from the options. A new kind gets a function of its own
    // here and a line in create_window.
    std::unique_ptr<host::Window> create_child_window(const WindowOptions& options,
                                                      WindowHandler& handler);
    std::unique_ptr<host::Window> create_popup_window(const WindowOptions& options,
                                                      WindowHandler& handler);
    std::unique_ptr<host::Window> create_dialog_window(const WindowOptions& options,
                                                       WindowHandler& handler);
    // A window over everything (WindowOptions::overlay).
    std::unique_ptr<host::Window> create_overlay_window(const WindowOptions& options,
                                                        WindowHandler& handler);

    // The loop's events (win32_loop.cpp).
    std::size_t pending_input(std::uint64_t limit) override;
    bool deliver_next_input(std::uint64_t limit) override;
    bool wait(std::optional<std::uint64_t> until) override;
    // Runs the messages the system has queued for this thread; the window
    // procedure turns our windows' input into queued InputEvents.
    void pump_messages();
    // Children whose pane has gone, or changed size, without telling us.
    void watch_parents();

    HINSTANCE m_instance;
    SystemText m_text;
    bool m_com_started = false;
    bool m_timer_resolution_raised = false;
    std::vector<Win32Window*> m_windows; // in creation order
    std::deque<InputEvent> m_events;
    HANDLE m_instance_mutex = nullptr; // the claim, while held
    std::int64_t m_counter_frequency = 0;
    std::uint64_t m_next_window_serial = 1;
};

// The window procedure of every window of ours (win32_window.cpp).
LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// The title of any window as UTF-8 (win32_names.cpp).
std::string window_title(HWND hwnd);

// The system's answer to GetVersionExA, as the screen-saver services need it
// (win32_password.cpp).
bool reports_nt_platform();

} // namespace host::win32
