#pragma once

#include "host/host.h"
#include "host/run_loop.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The headless host: the whole host contract without a screen. It is what
// every test, benchmark and the render tool run on.
//
// - A virtual clock: now_ms() starts at 0, sleep_ms() advances it, nothing
//   really waits. run() jumps the clock to whatever is due next.
// - Scripted input: timed mouse events, delivered when the clock reaches them
//   (by run() between ticks, or by process_pending_messages() inside a
//   running animation) to the visible window under the pointer, topmost
//   windows first, newest first; an event over no window goes to the topmost
//   visible window.
// - Monitors as the options give them.
// - A frame sink: every refresh (whole or of areas, even of no area) hands
//   the whole frame to a callback, and the window's record says which
//   blocks of it the refresh put on the screen. ShownPicture keeps what a
//   screen would show from that.
// - A fixed "desktop" picture that capture_desktop() copies, with the frames
//   of the program's own shown top-level windows over it.
// - Records of every system service called, so that a test can assert what
//   the program opened, showed, hid and ended.
//
// end_process() throws host::ProcessEnd, as host.h documents.
namespace host {

class HeadlessWindow;

struct HeadlessOptions {
    Size screen{1024, 768};
    // The monitors, the primary first, in screen pixels; empty: one monitor,
    // the whole screen.
    std::vector<gfx::Rect> monitors;
    // What capture_desktop() copies: the whole screen, of which it takes the
    // primary monitor's part, with the program's own shown windows over it;
    // black where it is smaller.
    gfx::Surface desktop;
    // Decodes picture files for load_picture(); null: no file is there to
    // read (every load answers Unreadable).
    std::function<PictureResult(const std::string&, gfx::Surface&)> picture_loader;
    bool is_nt = true;
    // create_window() fails (answers null), as on a display that refuses windows.
    bool refuse_windows = false;
    // The answer of verify_screen_saver_password() once the scripted answers
    // (HeadlessHost::password_answers) are used up.
    bool password_correct = true;
    // What the colour and picture-file choosers return (nothing: cancelled).
    std::optional<gfx::ColorRef> chosen_color;
    std::optional<std::string> chosen_picture_file;
    // The text service (a desktop host's, such as host::SystemText, or a
    // test's). Null: text is neither drawn nor measured (width 0, lines 12
    // pixels high), which keeps layouts the same on every machine.
    std::shared_ptr<TextService> text;
    // False: pointer_position() answers that the pointer cannot be read.
    bool pointer_readable = true;
};

// KeyDown is a key press, delivered with the mouse events in time order to
// the same window (the one that has the focus).
enum class MouseEventKind { Down, Up, Move, KeyDown };

// One scripted input event, in screen pixels.
struct MouseEvent {
    std::uint64_t at_ms = 0;
    MouseEventKind kind = MouseEventKind::Move;
    int button = 0; // kLeftButton, ...; ignored for moves
    double x = 0;
    double y = 0;
    Key key = Key::Other; // KeyDown only; x and y are then not looked at
};

// One zoom the program played, in screen pixels.
struct ZoomRecord {
    gfx::Rect from;
    gfx::Rect to;
};

// What was created, as it stands now (updated while the window lives).
struct WindowRecord {
    std::string title;
    gfx::Rect rect;
    NativeHandle parent = 0;
    NativeHandle handle = 0;
    bool shown = false;
    bool topmost = false;
    bool ever_shown = false;
    bool alive = true;
    int timer_interval_ms = 0;
    int refreshes = 0;       // whole frames and parts of them
    int area_refreshes = 0;  // of which parts (refresh_areas, refresh_area)
    // The blocks of client pixels the latest refresh put on the screen (the
    // whole frame for refresh()), and their bounding box.
    std::vector<gfx::Rect> last_refresh_areas;
    gfx::Rect last_refresh;
    bool custom_cursor = false; // a CursorPicture is set
};

struct MessageBoxRecord {
    std::string text;
    std::string title;
    MessageStyle style = MessageStyle::Exclamation;
};

// A window's refresh_areas() lists reserved ahead: more than a frame of the
// saver ever sends, so that recording them allocates nothing while it runs.
inline constexpr std::size_t kRefreshAreasReserved = 128;

// What the screen under a headless window shows: each refresh copies the
// blocks it put on the screen from the frame, and the rest keeps what earlier
// refreshes put there (black before the first, and after the frame changes
// size). A test or the render tool
// calls update() from the frame sink; the picture then differs from the
// frame wherever the program drew without refreshing.
class ShownPicture {
public:
    void update(const WindowRecord& record, const gfx::Surface& frame);
    const gfx::Surface& picture() const { return m_picture; }

private:
    gfx::Surface m_picture;
};

class HeadlessHost : public LoopHost {
public:
    using FrameSink = std::function<void(const Window&, const gfx::Surface&)>;

    explicit HeadlessHost(HeadlessOptions options = {});
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // ---- scripting
    HeadlessOptions& options() { return m_options; }
    // Queues a mouse event; events are kept in time order (equal times in the
    // order they were added).
    void add_input(const MouseEvent& event);
    void set_frame_sink(FrameSink sink) { m_frame_sink = std::move(sink); }
    // Called after each on_timer handler has returned.
    void set_after_tick(std::function<void()> hook) { loop().set_after_tick(std::move(hook)); }
    // Titles of other programs' top-level windows, for the single-instance guard.
    std::vector<std::string> foreign_titles;
    // Other programs' windows by handle (a preview pane), for native_window_rect().
    std::map<NativeHandle, gfx::Rect> foreign_windows;
    // The handle that stands for the desktop itself, for is_desktop_window() (0: none).
    NativeHandle desktop_window = 0;
    // Answers of verify_screen_saver_password(), taken in turn.
    std::deque<bool> password_answers;
    // What claim_instance() answers (Claimed: this host takes the claim);
    // instance_claimed_elsewhere() is true while it is HeldElsewhere.
    InstanceClaim claim_answer = InstanceClaim::Claimed;

    // ---- records
    const std::vector<WindowRecord>& windows() const { return m_windows; }
    // The record of one of this host's windows (live or not).
    const WindowRecord& record_for(const Window& window) const;
    int cursor_count() const { return m_cursor_count; }
    const std::vector<bool>& cursor_calls() const { return m_cursor_calls; } // true: show
    const std::vector<bool>& screen_saver_running_calls() const { return m_running_calls; }
    const std::vector<bool>& screen_saving_active_calls() const { return m_active_calls; }
    const std::vector<NativeHandle>& password_change_calls() const { return m_password_changes; }
    int password_verifications() const { return m_verifications; }
    const std::vector<MessageBoxRecord>& message_boxes() const { return m_message_boxes; }
    const std::vector<std::string>& opened_urls() const { return m_opened_urls; }
    const std::vector<ZoomRecord>& zooms() const { return m_zooms; }
    // How many times each chooser was opened, and the last file request.
    int color_requests() const { return m_color_requests; }
    int picture_file_requests() const { return m_picture_requests; }
    const PictureFileRequest& last_picture_file_request() const { return m_last_picture_request; }
    std::optional<int> ended_with() const { return m_ended_with; }
    int instance_claims() const { return m_instance_claims; } // calls of claim_instance()
    bool instance_claimed() const { return m_instance_claimed; }
    std::size_t pending_input() const { return m_input.size(); }

    // ---- the host contract
    Size screen_size() override { return m_options.screen; }
    std::vector<gfx::Rect> monitors() override;
    std::unique_ptr<Window> create_window(const WindowOptions& options,
                                          WindowHandler& handler) override;
    std::optional<gfx::Rect> native_window_rect(NativeHandle window) override;
    bool is_desktop_window(NativeHandle window) override { return window != 0 && window == desktop_window; }
    bool top_level_window_exists(std::string_view title_utf8) override;
    InstanceClaim claim_instance() override;
    bool instance_claimed_elsewhere() override { return claim_answer == InstanceClaim::HeldElsewhere; }

    // The loop keeps host.h's rules on the virtual clock: run() jumps the
    // clock to whatever is due next, and returns once no timer runs and no
    // scripted input is left.
    void sleep_ms(int ms) override;
    std::uint64_t now_ms() override { return m_now; }

    int show_cursor(bool show) override;
    gfx::Point cursor_pos() override { return m_pointer; }
    std::optional<gfx::Point> pointer_position() override;
    void animate_zoom(gfx::Rect from, gfx::Rect to) override { m_zooms.push_back({from, to}); }

    bool capture_desktop(gfx::Surface& into) override;
    PictureResult load_picture(const std::string& path_utf8, gfx::Surface& out) override;
    TextService& text() override;

    bool is_nt_platform() override { return m_options.is_nt; }
    bool verify_screen_saver_password(Window& saver) override;
    void change_screen_saver_password(NativeHandle parent) override;
    void set_screen_saver_running(bool running) override;
    void set_screen_saving_active(bool active) override;

    void message_box(Window* owner, std::string_view text_utf8, std::string_view title_utf8,
                     MessageStyle style) override;
    std::optional<gfx::ColorRef> choose_color(Window* owner, gfx::ColorRef initial) override;
    std::optional<std::string> choose_picture_file(Window* owner,
                                                   const PictureFileRequest& request) override;
    void open_url(std::string_view url) override;

    [[noreturn]] void end_process(int status) override;

private:
    friend class HeadlessWindow;

    // Called by the windows.
    void window_destroyed(HeadlessWindow& window);
    void window_refreshed(const HeadlessWindow& window);
    WindowRecord& record_of(const HeadlessWindow& window);

    // Scripted input for the loop (headless_loop.cpp).
    std::size_t pending_input(std::uint64_t limit) override;
    bool deliver_next_input(std::uint64_t limit) override;
    bool wait(std::optional<std::uint64_t> until) override;
    HeadlessWindow* input_target(std::optional<gfx::Point> pointer) const;
    void deliver_input(const MouseEvent& event);
    bool window_alive(const HeadlessWindow* window) const;

    HeadlessOptions m_options;
    FrameSink m_frame_sink;

    std::uint64_t m_now = 0;
    std::deque<MouseEvent> m_input;
    int m_buttons_down = 0;
    gfx::Point m_pointer;

    std::vector<HeadlessWindow*> m_live; // in creation order
    std::vector<WindowRecord> m_windows;

    int m_cursor_count = 0;
    std::vector<bool> m_cursor_calls;
    std::vector<bool> m_running_calls;
    std::vector<bool> m_active_calls;
    std::vector<NativeHandle> m_password_changes;
    int m_verifications = 0;
    std::vector<MessageBoxRecord> m_message_boxes;
    std::vector<std::string> m_opened_urls;
    std::vector<ZoomRecord> m_zooms;
    int m_color_requests = 0;
    int m_picture_requests = 0;
    PictureFileRequest m_last_picture_request;
    std::optional<int> m_ended_with;
    int m_instance_claims = 0;
    bool m_instance_claimed = false;
};

} // namespace host
