#pragma once

// The Wayland host's own classes. Included only by the files of src/host/wayland.
#include "host/host.h"
#include "host/run_loop.h"
#include "host/wayland/wayland_host.h"
#include "host/x11/desktop_host.h"

#include <wayland-client.h>

#include "wlr-screencopy-unstable-v1-client.h"
#include "wlr-output-power-management-unstable-v1-client.h"
#include "xdg-output-unstable-v1-client.h"
#include "xdg-shell-client.h"
// The layer shell names an argument "namespace", which C++ reserves.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace
#include <wayland-cursor.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host::wl {

class WaylandHost;
class WaylandWindow;

// Frame callbacks tell their window (wayland_window.cpp).
extern const wl_callback_listener kFrameListener;

// Destroys an object of ours, if `object` holds one, with its interface's
// destructor (wl_surface_destroy, ...), and forgets it.
template <typename T>
void destroy_proxy(T*& object, void (*destructor)(T*))
{
    if (object)
        destructor(object);
    object = nullptr;
}

// One output of the compositor. Its place in the host's coordinates is
// given by layout_outputs(): the figure's output at (0, 0), the others to
// its right, each as wide and high as its pixels.
struct Output {
    WaylandHost* host = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* xdg_output = nullptr;
    std::uint32_t global_name = 0;
    std::string name;
    int mode_width = 0; // pixels, before the output's transform
    int mode_height = 0;
    int transform = 0;
    int scale = 1;
    gfx::Rect rect; // pixels, in the host's coordinates
    // Its power, where the compositor tells it (wayland_power.cpp).
    zwlr_output_power_v1* power = nullptr;
    bool powered_off = false;
    bool known() const { return mode_width > 0 && mode_height > 0; }
    int pixel_width() const { return (transform & 1) ? mode_height : mode_width; }
    int pixel_height() const { return (transform & 1) ? mode_width : mode_height; }
    // Gives the output's objects back to the compositor.
    void destroy()
    {
        destroy_proxy(power, zwlr_output_power_v1_destroy);
        destroy_proxy(xdg_output, zxdg_output_v1_destroy);
        destroy_proxy(output, wl_output_destroy);
    }
};

// One shared-memory buffer of a window's frame. The compositor reads it from
// the commit that attaches it until it says it has let go (release); a
// buffer is written only while it is free.
struct ShmBuffer {
    wl_buffer* buffer = nullptr;
    std::uint32_t* pixels = nullptr;
    std::size_t bytes = 0;
    int width = 0;
    int height = 0;
    bool busy = false;
    std::uint64_t last_used = 0; // the take() that last handed it out
    // What changed in the frame since this buffer last took it: the blocks
    // later presents sent through other buffers, or everything.
    std::vector<gfx::Rect> stale;
    bool all_stale = true;
};

// The buffers of one window (wayland_present.cpp): two in turn, a third or
// fourth only while the compositor holds the others.
class FrameBuffers {
public:
    explicit FrameBuffers(WaylandHost& host) : m_host(host) {}
    ~FrameBuffers();
    FrameBuffers(const FrameBuffers&) = delete;
    FrameBuffers& operator=(const FrameBuffers&) = delete;

    // A free buffer the frame's size, holding the frame wherever it showed
    // something else, and `areas` taken from the frame anew. Null when no
    // buffer can be had (the reason went to standard error once).
    // `source` is the part of the frame the buffers hold (all of it but for
    // a subsurface); `areas` are in buffer pixels.
    ShmBuffer* take(const gfx::Surface& frame, gfx::Rect source, std::span<const gfx::Rect> areas,
                    bool whole);
    // The blocks another buffer now shows and the others do not.
    void sent(const ShmBuffer& sent_buffer, std::span<const gfx::Rect> areas, bool whole);
    void clear();

private:
    ShmBuffer* create(int width, int height);
    void destroy(ShmBuffer& buffer);

    WaylandHost& m_host;
    std::vector<std::unique_ptr<ShmBuffer>> m_buffers;
    std::uint64_t m_takes = 0;
    bool m_reported = false;
};

// How a window stands to the compositor.
enum class WindowRole {
    Layer,      // a layer-shell surface over (or under) one output
    Fullscreen, // an xdg-shell window made full-screen on one output
    Toplevel,   // an xdg-shell window of its own size (dialogs, -window)
    Subsurface, // a picture over a window of ours (the version card)
};

class WaylandWindow : public LoopWindow {
public:
    WaylandWindow(WaylandHost& host, WindowHandler& handler, const WindowOptions& options,
                  WindowRole role, Output* output, WaylandWindow* parent);
    ~WaylandWindow() override;

    void refresh() override;
    void refresh_areas(std::span<const gfx::Rect> areas) override;
    void set_title(std::string_view utf8) override;
    void move(gfx::Rect rect) override;
    void show(bool visible) override;
    void set_topmost(bool) override {}
    NativeHandle native_handle() const override { return m_handle; }
    int drawing_scale() const override { return m_drawing_scale; }

    wl_surface* surface() const { return m_surface; }
    WindowRole role() const { return m_role; }
    int scale() const { return m_scale; }
    const gfx::Rect& rect() const { return m_rect; }
    bool takes_input() const;
    bool takes_keyboard() const { return m_takes_keyboard; }
    bool mapped() const { return m_mapped; }
    // A present came while the compositor had not asked for the next frame
    // (it shows the window nowhere, or its output sleeps), and was kept back.
    bool owes_frame() const { return m_owed && m_frame_pending; }
    // Puts the kept-back frame on the screen once the compositor asks for it.
    void present_owed()
    {
        if (m_owed && !m_frame_pending)
            present({}, true);
    }
    WaylandWindow* parent() const { return m_parent; }
    // The host's layout() when the window was made.
    std::uint64_t layout() const { return m_layout; }
    // The compositor closed the role (or asked the window to close).
    void role_closed();
    // The output the window is over, null when it has none (or not one).
    Output* output() const { return m_output; }
    // The output went away: the role goes with it, and the window is over
    // no output until it is made anew.
    void output_gone();

    // The compositor's answers (wayland_window.cpp). `width` x `height` is
    // the size the compositor gives a surface over an output (0: its own choice).
    void configured(std::uint32_t serial, int width, int height);
    void toplevel_sized(int width, int height) { m_toplevel_size = {width, height}; }
    void frame_done()
    {
        m_frame_pending = false;
        m_frame_callback = nullptr; // the listener has destroyed it
    }
    // A button press the dialog may turn into a move (wayland_input.cpp).
    void pressed(std::uint32_t serial) { m_press_serial = serial; m_move_asked = false; }

private:
    // The part of the frame that the surface shows, in frame pixels.
    gfx::Rect shown_part() const;
    void place_subsurface();
    bool map();
    void unmap();
    void create_role();
    void destroy_role();
    void present(std::span<const gfx::Rect> areas, bool whole);
    void wait_for_frame_callback();

    WaylandHost& m_host;
    WindowRole m_role;
    Output* m_output;
    WaylandWindow* m_parent;
    NativeHandle m_handle;
    std::uint64_t m_layout;
    gfx::Rect m_rect;
    std::string m_title;
    bool m_takes_keyboard;
    int m_scale = 1;
    int m_drawing_scale = 1; // frame pixels per window pixel (a scalable window)
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    xdg_surface* m_xdg_surface = nullptr;
    xdg_toplevel* m_toplevel = nullptr;
    wl_subsurface* m_subsurface = nullptr;
    wl_callback* m_frame_callback = nullptr;
    bool m_configured = false;
    // The size the compositor gave the role first, and the size a full-screen
    // window's next configure carries.
    Size m_configured_size;
    Size m_toplevel_size;
    bool m_mapped = false;
    bool m_visible = false;
    bool m_frame_pending = false;
    bool m_owed = false;
    std::uint32_t m_press_serial = 0;
    bool m_move_asked = false;
    FrameBuffers m_buffers;
};

// What arrived from the seat, kept until the loop hands it out.
struct InputEvent {
    enum class Kind { Down, Up, Move, Key, Close, MonitorsChanged };
    Kind kind = Kind::Move;
    WaylandWindow* window = nullptr;
    int button = 0; // Down, Up: the button; Move: those held
    double x = 0;
    double y = 0;
    Key key = Key::Other;
};

// Where the lock that keeps one saver per compositor lies (wayland_instance.cpp):
// a folder (empty: the one instance_lock_path() picks) and a file name.
struct WaylandLockPlace {
    std::string folder;
    std::string file_name;
};
// The lock's place for the compositor at the other end of `connection_fd`,
// the same however the socket was named.
WaylandLockPlace wayland_lock_place(int connection_fd);

// Why the descriptor WAYLAND_SOCKET names cannot be a compositor's
// connection (no number, not open, no socket), for a person to read; "" when
// it may be one.
std::string wayland_socket_problem(const char* value);

class WaylandHost : public x11::DesktopHost {
public:
    WaylandHost(wl_display* display, const WaylandHostOptions& options);
    ~WaylandHost() override;
    WaylandHost(const WaylandHost&) = delete;
    WaylandHost& operator=(const WaylandHost&) = delete;

    // Binds the globals and learns the outputs; false with the reason when
    // something the host cannot do without is missing.
    bool start(std::string& error);

    // ---- the host contract
    Size screen_size() override;
    std::vector<gfx::Rect> monitors() override;
    std::unique_ptr<host::Window> create_window(const WindowOptions& options,
                                                WindowHandler& handler) override;
    // Wayland gives no window of another program.
    std::optional<gfx::Rect> native_window_rect(NativeHandle window) override;
    // Nor their titles: the instance claim alone keeps the saver single.
    bool top_level_window_exists(std::string_view) override { return false; }

    void sleep_ms(int ms) override;
    std::uint64_t now_ms() override;

    int show_cursor(bool show) override;
    gfx::Point cursor_pos() override;
    // Nothing: a Wayland client learns the pointer only over its own surfaces.
    std::optional<gfx::Point> pointer_position() override { return std::nullopt; }

    bool capture_desktop(gfx::Surface& into) override; // wayland_capture.cpp
    // Pictures, text, the instance claim and the system's dialogs are the
    // desktop hosts', as on X11 (x11/desktop_host.h). The screen-saver
    // services keep their defaults: the session's locker does locking.

    [[noreturn]] void end_process(int status) override;

    // ---- for the windows and the listeners
    wl_display* display() const { return m_display; }
    wl_compositor* compositor() const { return m_compositor; }
    int compositor_version() const { return m_compositor_version; }
    wl_shm* shm() const { return m_shm; }
    wl_subcompositor* subcompositor() const { return m_subcompositor; }
    xdg_wm_base* wm_base() const { return m_wm_base; }
    zwlr_layer_shell_v1* layer_shell() const { return m_layer_shell; }
    wl_seat* seat() const { return m_seat; }
    const WaylandHostOptions& options() const { return m_options; }
    NativeHandle next_handle() { return m_next_handle++; }
    void window_created(WaylandWindow& window);
    void window_destroyed(WaylandWindow& window);
    bool alive(const WaylandWindow* window) const;
    WaylandWindow* find(wl_surface* surface) const;
    void queue_input(const InputEvent& event) { m_input.push_back(event); }
    void drop_input() { m_input.clear(); }
    void record_damage(const WaylandWindow& window, std::span<const gfx::Rect> damage);
    void set_damage_recorder(WaylandDamageRecorder recorder) { m_recorder = std::move(recorder); }
    // The window a frame was just put into (or kept back from): whether it
    // can be seen decides whether the loop pauses.
    void presented(WaylandWindow& window) { m_drawn = &window; }
    // The output power protocol (wayland_power.cpp): bound when offered,
    // and each output's power followed.
    void bind_power_manager(wl_registry* registry, std::uint32_t name, std::uint32_t version);
    void watch_power(Output& output);

    // Sends what is queued, waits up to `timeout_ms` (-1: without end) for
    // the compositor or an end signal, and handles what arrived. A lost
    // connection ends the process.
    // Reads and dispatches the compositor's events, waiting up to
    // `timeout_ms` for them (or for `also_fd`, when not -1, to become
    // readable), then ends the process if an end signal has come.
    void pump(int timeout_ms, int also_fd = -1);
    // Sends what is queued and waits for every answer.
    void roundtrip();

    // The seat (wayland_input.cpp).
    void seat_capabilities(std::uint32_t capabilities);
    void pointer_entered(wl_surface* surface, std::uint32_t serial, double x, double y);
    void pointer_left(wl_surface* surface);
    void pointer_moved(double x, double y);
    void pointer_button(std::uint32_t serial, std::uint32_t button, bool pressed);
    void keymap(int fd, std::uint32_t size, std::uint32_t format);
    void key(std::uint32_t key, bool pressed);
    Key key_of(std::uint32_t code) const;
    void modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                   std::uint32_t group);
    void apply_cursor();

    // The outputs (wayland_host.cpp).
    void output_added(std::uint32_t name, std::uint32_t version);
    // A surface over an output was given another size than before, and not
    // the size of its frame: the output changed, whether or not its own
    // events said so. Counts only for the windows made since monitors()
    // last gave the outputs: the windows of a layout already told are
    // about to go, and their late configures say nothing new.
    void output_resized(const WaylandWindow& window)
    {
        if (window.layout() == m_layout)
            m_output_resized = true;
    }
    // How many times monitors() gave the outputs.
    std::uint64_t layout() const { return m_layout; }
    void global_removed(std::uint32_t name);
    void layout_outputs();
    Output* output_for(const gfx::Rect& rect);
    Output* figure_output();

    void keyboard_entered(wl_surface* surface) { m_keyboard_surface = surface; }
    void keyboard_left() { m_keyboard_surface = nullptr; }

    // The registry's answers.
    void global_added(wl_registry* registry, std::uint32_t name, const char* interface,
                      std::uint32_t version);

private:
    // Where one output is in the host's coordinates, at which scale.
    struct OutputPlace {
        std::uint32_t global_name = 0;
        gfx::Rect rect;
        int scale = 1;
        friend bool operator==(const OutputPlace&, const OutputPlace&) = default;
    };
    // The known outputs, the figure's first: what monitors() gives.
    std::vector<OutputPlace> output_places();
    // After each batch of the compositor's events: tells the windows over
    // outputs when the outputs are no longer those monitors() last gave, and
    // ends the process once no output has been left for a while.
    void watch_outputs();
    bool over_outputs() const;
    // When the end for want of an output is due; nothing while there is one.
    std::optional<std::uint64_t> no_output_deadline() const;

    // The loop's events (wayland_loop.cpp).
    std::size_t pending_input(std::uint64_t limit) override;
    bool deliver_next_input(std::uint64_t limit) override;
    bool wait(std::optional<std::uint64_t> until) override;
    void check_end() override;
    std::optional<std::string_view> hidden_cause() override; // wayland_power.cpp
    void present_owed_frames();
    void lost_connection();

    // What the desktop hosts leave to each (x11/desktop_host.h): the lock
    // file per Wayland display (wayland_instance.cpp), the wait while a
    // picture decodes (wayland_host.cpp) and the loop GTK's dialogs run in
    // (wayland_dialogs.cpp).
    std::string instance_lock_name() override;
    std::string instance_lock_file(std::string& error) override;
    void wait_for_decoder(int decoder_fd, int timeout_ms) override;
    x11::GtkDialogLoop dialog_loop(host::Window* owner) override;

    wl_display* m_display;
    WaylandHostOptions m_options;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    int m_compositor_version = 0;
    wl_subcompositor* m_subcompositor = nullptr;
    wl_shm* m_shm = nullptr;
    xdg_wm_base* m_wm_base = nullptr;
    zwlr_layer_shell_v1* m_layer_shell = nullptr;
    zxdg_output_manager_v1* m_xdg_output_manager = nullptr;
    zwlr_screencopy_manager_v1* m_screencopy = nullptr;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    zwlr_output_power_manager_v1* m_power_manager = nullptr;
    WaylandWindow* m_drawn = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs; // in the compositor's order
    std::vector<WaylandWindow*> m_windows;          // in creation order
    std::deque<InputEvent> m_input;
    NativeHandle m_next_handle = 1;
    WaylandDamageRecorder m_recorder;

    // The pointer: the surface it is over, where, the serial of its entry
    // (the cursor is set with it), the buttons held.
    wl_surface* m_pointer_surface = nullptr;
    std::uint32_t m_enter_serial = 0;
    double m_pointer_x = 0;
    double m_pointer_y = 0;
    int m_buttons = 0;
    int m_cursor_count = 0;
    wl_cursor_theme* m_cursor_theme = nullptr;
    wl_surface* m_cursor_surface = nullptr;

    // The keyboard: the focused surface and xkbcommon's state.
    wl_surface* m_keyboard_surface = nullptr;
    xkb_context* m_xkb_context = nullptr;
    xkb_keymap* m_xkb_keymap = nullptr;
    xkb_state* m_xkb_state = nullptr;

    bool m_capture_reported = false;

    // The outputs as monitors() last gave them, whether the windows were told
    // they changed since, whether a surface was resized, and since when no
    // output has been left.
    std::vector<OutputPlace> m_places_given;
    bool m_change_told = false;
    bool m_output_resized = false;
    std::uint64_t m_layout = 0;
    std::optional<std::uint64_t> m_outputs_gone_at;
};

} // namespace host::wl
