#pragma once

#include "gfx/color.h"
#include "gfx/surface.h"
#include "host/picture_decoding.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The services the program needs from the system. Engine, start-up and dialog
// code reach the system only through this contract; each backend
// (headless/, x11/, wayland/, win32/) fills it in, with the same file names
// per area.
//
// Threading: one user-interface thread. Every call below is made on it, and
// every WindowHandler callback runs on it, either inside Host::run() or inside
// Host::process_pending_messages() (which is how the mouse reaches a running
// animation between its frames).
//
// Ending: Host::end_process() never returns. On the real hosts it ends the
// process on the spot, without running destructors of windows or saving
// anything. On the headless host it throws host::ProcessEnd, and so does a
// headless run that reaches its stop condition (a tick or frame limit): the
// exception unwinds the running action back to whoever called Host::run() or
// created the window. Code between must therefore never swallow exceptions
// with catch (...).
namespace host {

// A window of another program, as the system names it (an HWND, an X window id).
using NativeHandle = std::uint64_t;

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(Size, Size) = default;
};

// Thrown by the headless host to end a run; see above.
struct ProcessEnd {
    int status = 0;
};

enum MouseButton : int {
    kLeftButton = 1,
    kRightButton = 2,
    kMiddleButton = 4,
};

// The keys a window reports. Only what the program acts on has a name of its
// own; every other key arrives as Other. The keypad's arrows and Enter
// arrive as the main ones; Tab with Shift held is BackTab.
enum class Key {
    Escape,
    Tab,
    BackTab,
    Space,
    Enter,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Other,
};

// What a window reports to its owner.
class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    // A button (MouseButton) went down, or up, or the pointer moved with
    // `buttons` held (MouseButton bits). Positions are in the window's
    // client pixels.
    virtual void on_mouse_down(int /*button*/, double /*x*/, double /*y*/) {}
    virtual void on_mouse_up(int /*button*/, double /*x*/, double /*y*/) {}
    virtual void on_mouse_move(int /*buttons*/, double /*x*/, double /*y*/) {}
    // A key was pressed while the window had the keyboard focus (only windows
    // made with WindowOptions::takes_keyboard are told).
    virtual void on_key_down(Key /*key*/) {}
    // The window's timer. A tick is never delivered while the previous tick's
    // handler is still running; the next one comes an interval after it returned.
    virtual void on_timer() {}
    // The user or the system asked to close the window (or its parent went away).
    virtual void on_close_request() {}
    // A child window's parent (the preview pane) changed to this client size.
    virtual void on_parent_resized(Size /*size*/) {}
    // The monitors are no longer those monitors() gave (one came or went,
    // or changed its size, rotation or scale): monitors() gives the new
    // ones. Told to the windows over monitors, once per change, by a host
    // whose monitors change while it runs (Wayland's outputs).
    virtual void on_monitors_changed() {}
};

struct WindowOptions {
    std::string title;         // UTF-8; other instances find the window by it
    gfx::Rect rect;            // screen pixels (relative to the parent when parent != 0)
    bool borderless = true;    // no frame, no caption bar
    bool topmost = false;
    bool visible = false;      // created hidden unless asked
    NativeHandle parent = 0;   // non-zero: a child of that window (the preview pane)
    // A dialog: the window manager gives it the keyboard focus like any
    // application window, and key presses are reported (on_key_down). It is
    // not kept above others and does not cover the screen.
    bool takes_keyboard = false;
    // A picture that passes over everything for a moment (the version card
    // over the dialog): shown at once where it is put, above every window,
    // and never framed, moved, animated or given the keyboard focus by a
    // window manager. A backend whose borderless topmost windows already
    // behave so may ignore it.
    bool overlay = false;
    // A window that shows one picture of a fixed size (the preview, in a
    // pane whose size another program declares, up to 32767 pixels each
    // way): its frame never grows past this size, whatever the window's
    // size. The frame covers the top-left part of the client area and the
    // rest of the window shows black, so the window holds no more memory
    // than its picture.
    std::optional<Size> frame_limit = std::nullopt;
    // The owner can draw its picture at any whole scale (the dialog): on an
    // output of a higher scale the backend may make the frame that many
    // times the window's size each way (Window::drawing_scale()), so that
    // nothing is enlarged by the compositor. Input stays in window pixels.
    bool scalable = false;
};

// The size of the frame of a window of `width` x `height` client pixels
// made with `limit` (WindowOptions::frame_limit); never negative.
inline Size frame_size_within(int width, int height, const std::optional<Size>& limit)
{
    if (limit) {
        width = std::min(width, limit->width);
        height = std::min(height, limit->height);
    }
    return {std::max(width, 0), std::max(height, 0)};
}

// A mouse pointer drawn by the program: `image` black and white, shown where
// `mask` is white; `hot_spot` is the pixel that points.
struct CursorPicture {
    gfx::Surface image;
    gfx::Surface mask;
    gfx::Point hot_spot;
};

// A top-level (or child) window with a persistent off-screen frame. All
// drawing goes into frame(); refresh() copies it to the screen. Made by
// WindowService::create_window(), used and destroyed on the user-interface
// thread. The calls below report no failure; a frame that cannot have its
// memory throws std::bad_alloc.
class Window {
public:
    virtual ~Window() = default;

    // The off-screen image: the size of the client area, or of its top-left
    // part within WindowOptions::frame_limit.
    virtual gfx::Surface& frame() = 0;
    // Puts the whole frame on the screen.
    virtual void refresh() = 0;
    // Puts only these blocks of the frame (client pixels) on the screen, each
    // to the same place; the rest of the screen keeps what it showed. This
    // is how a frame that changed in a few places costs only those places:
    // the saver's frames send the cells its balls left and entered, the
    // dialog the control it redrew. Blocks may overlap each other and reach
    // past the frame (what lies outside it is skipped); an empty list puts
    // nothing on the screen but still counts as a refresh. A backend copies
    // each block from the frame as it is: one BitBlt per rectangle from the
    // frame's memory context to the window's on Windows, one shared-memory
    // put per rectangle on X11. The default puts the whole frame.
    virtual void refresh_areas(std::span<const gfx::Rect> areas)
    {
        (void)areas;
        refresh();
    }
    // One block: refresh_areas() of a list of one.
    void refresh_area(gfx::Rect area) { refresh_areas({&area, 1}); }
    // The pointer shown while the mouse is over this window; null gives the
    // system's arrow back. The picture is copied, so it need not outlive the
    // call. The default leaves the pointer as the system has it.
    virtual void set_cursor_picture(const CursorPicture* cursor) { (void)cursor; }

    // The title in the window's frame and in the system's lists of windows
    // (UTF-8); other instances find the window by it.
    virtual void set_title(std::string_view utf8) = 0;
    // Moves and sizes the window; the frame follows the new size (its content
    // is kept where it overlaps), within the window's frame limit.
    virtual void move(gfx::Rect rect) = 0;
    // Shows or hides the window; a hidden window gets no input.
    virtual void show(bool visible) = 0;
    // Above all non-topmost windows, or back among them; neither moves nor activates.
    virtual void set_topmost(bool on) = 0;
    // Starts the timer with this interval, or stops it with 0 (see
    // WindowHandler::on_timer()).
    virtual void set_timer(int interval_ms) = 0;
    // The window as the system names it, for other programs and for
    // native_window_rect().
    virtual NativeHandle native_handle() const = 0;
    // Frame pixels per window pixel each way: 1, or for a window made
    // scalable, the scale its backend draws it at. The frame and the blocks
    // given to refresh_areas() are then in frame pixels.
    virtual int drawing_scale() const { return 1; }
};

struct Font {
    // UTF-8 family name, or a comma-separated list of them taken in order
    // (a family the system lacks is passed over).
    std::string face;
    double size_pt = 9;    // points
    int weight = 400;      // 400 normal, 700 bold
};

// The answer to Host::claim_instance().
enum class InstanceClaim {
    Claimed,       // this process holds the claim (now, or since an earlier call)
    HeldElsewhere, // another process holds it
    Unavailable,   // the system cannot arbitrate here; the reason went to standard error
};

enum class MessageStyle {
    Exclamation, // an exclamation icon and a single OK button
    Information,
};

struct PictureFileRequest {
    std::string title;            // UTF-8
    std::string filter_name;      // "画像ﾌｧｲﾙ (bmp gif jpg wmf)"
    std::string filter_patterns;  // "*.bmp;*.gif;*.jpg;*.wmf"
    // Where the chooser opens; empty: the user's own pictures folder (the
    // system's usual place for them).
    std::string initial_folder;
};

// ---- the services
// The contract comes in six small services, each of which a part of the
// program can be handed alone. Host (below) is all of them together: what
// a backend implements, and what start-up hands to the saver, the dialog
// and the card. Unless a method says otherwise it is called on the
// user-interface thread, and a failure is in its answer (never an
// exception, except ProcessEnd from the headless host).

// Windows and presenting: the screen, the program's own windows (each with
// the frame it presents, see Window), other programs' windows, the pointer,
// and the claim that keeps the saver and the dialog to one instance.
class WindowService {
public:
    virtual ~WindowService() = default;

    // ---- screen and windows
    // The size of the screen the saver is given: the window a hack draws
    // into, else the screen as the system reports it (on X11 the root, which
    // holds every monitor; on Windows the primary monitor). Where things go
    // on a desktop of several monitors is monitors()'s to say. Never fails:
    // a display that cannot be asked gave no host to begin with.
    virtual Size screen_size() = 0;
    // The monitors the desktop spans, as rectangles in the coordinates that
    // create_window() takes, the primary monitor first; never empty. The saver
    // plays on the primary and covers the others. Where the saver is given
    // one window to draw into (an xscreensaver hack), that window is the one
    // monitor. The default is one monitor, the whole screen at (0, 0).
    virtual std::vector<gfx::Rect> monitors()
    {
        const Size screen = screen_size();
        return {gfx::Rect{0, 0, screen.width, screen.height}};
    }
    // Makes a window as `options` say, reporting to `handler` (which must
    // outlive it). Null when the system refuses the window (or the memory
    // for its frame); the reason, where the system gives one, went to
    // standard error.
    virtual std::unique_ptr<Window> create_window(const WindowOptions& options,
                                                  WindowHandler& handler) = 0;
    // The rectangle of another program's window in screen pixels, or nothing
    // when the handle names no window.
    virtual std::optional<gfx::Rect> native_window_rect(NativeHandle window) = 0;
    // True when the handle names the desktop itself (a screen's root window
    // or the window the desktop is drawn in): no program's pane, and a child
    // window in it would cover the whole desktop for the rest of the session.
    virtual bool is_desktop_window(NativeHandle window)
    {
        (void)window;
        return false;
    }
    // True when a top-level window with exactly this title exists (the
    // single-instance guard); false also when the windows cannot be listed.
    virtual bool top_level_window_exists(std::string_view title_utf8) = 0;

    // ---- one instance
    // The saver and the settings dialog run once per screen: a second start
    // ends when it finds either. Besides looking for their windows by title,
    // start-up claims the instance. The system arbitrates the claim (a lock
    // on a file per display on Linux, a named mutex on Windows), so of any
    // number of starts at the same moment exactly one gets it, and it is
    // given up when the process ends, however it ends.
    virtual InstanceClaim claim_instance() = 0;
    // True while another process holds the claim. Claims nothing, so that a
    // preview that looks never keeps a saver from starting. False when the
    // system cannot arbitrate.
    virtual bool instance_claimed_elsewhere() = 0;

    // ---- the pointer
    // Counts like ShowCursor: show adds one, hide takes one away; the cursor is
    // visible while the count is 0 or more. Returns the new count.
    virtual int show_cursor(bool show) = 0;
    // The pointer's screen position; where it cannot be read, the last one
    // known (or (0, 0)).
    virtual gfx::Point cursor_pos() = 0;
    // The pointer's screen position, or nothing when it cannot be read (the
    // pointer is on another screen of the display). The default trusts cursor_pos().
    virtual std::optional<gfx::Point> pointer_position() { return cursor_pos(); }
    // Plays the system's window zoom between two screen rectangles (an empty
    // rectangle is a point): outlines that grow from `from` into `to` in about
    // a fifth of a second, leaving the screen as it was. Returns when it has
    // played. The default plays nothing.
    virtual void animate_zoom(gfx::Rect from, gfx::Rect to)
    {
        (void)from;
        (void)to;
    }
};

// The loop and its clock. Every host keeps these rules (they live once, in
// run_loop.h):
// - run() delivers input and timer ticks until quit() is called or no
//   window is left. Input that has arrived by the time the next tick is
//   due goes first, so a click at the moment of a tick wins.
// - quit() makes run() return once the handler that called it has
//   returned. Called while no run() is running, it makes the next run()
//   return at once (a test can load a window without running it). run()
//   forgets the request when it returns, however it returns.
// - process_pending_messages() delivers the input that has arrived when
//   it is called, then the ticks of other windows that are due by then,
//   each at most once; what arrives meanwhile waits for the next call, so
//   that a stream of pointer motion cannot hold a running animation
//   between two of its frames.
// A desktop host that is asked to end by a signal ends the process inside
// whichever of these is running (see end_process()).
class LoopService {
public:
    virtual ~LoopService() = default;

    virtual void run() = 0;
    virtual void quit() = 0;
    virtual void process_pending_messages() = 0;
    // Waits this long (nothing for 0 or less) without delivering anything.
    virtual void sleep_ms(int ms) = 0;
    // Milliseconds on a monotonic clock (virtual on the headless host).
    virtual std::uint64_t now_ms() = 0;
    // Ends the process at once with this status; never returns (see the
    // top of this file).
    [[noreturn]] virtual void end_process(int status) = 0;
};

// Text in the system's fonts, drawn into surfaces. Any surface, not only a
// window's frame. Text that is not valid UTF-8 shows replacement
// characters; a face the system lacks falls back to its usual one.
class TextService {
public:
    virtual ~TextService() = default;

    // Draws text with its top-left at `at`, clipped to `into`; returns the
    // width drawn in pixels (0 for empty text).
    virtual int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8,
                          const Font& font, gfx::Pixel colour) = 0;
    // The height of a line of this text in pixels.
    virtual int text_height(std::string_view utf8, const Font& font) = 0;
    // The width draw_text() would return for this text, without drawing it.
    // The default draws it on a scratch surface to learn the width.
    virtual int text_width(std::string_view utf8, const Font& font)
    {
        gfx::Surface scratch(1, 1);
        return draw_text(scratch, {0, 0}, utf8, font, gfx::kBlack);
    }
};

// Pictures from the system: the screen as it is, and picture files.
class PictureService {
public:
    virtual ~PictureService() = default;

    // Copies into.width() x into.height() pixels of the screen, from the
    // primary monitor's top-left corner (monitors().front()), into `into`.
    // False, leaving `into` as it was, when the screen cannot be read.
    virtual bool capture_desktop(gfx::Surface& into) = 0;
    // Decodes a picture file (at least BMP, GIF, JPEG and PNG). Anything but
    // Decoded leaves `out` as it was and says why: Unreadable when there is
    // no file to read at the path, TooLarge when decoding it would take more
    // than its share of time or memory. Only the decoder touches the path
    // (a child process, a thread of its own), never the caller's thread: a
    // file on a mount that stopped answering holds the decoder, not the
    // program. A desktop host keeps delivering input (as
    // process_pending_messages() does) and ending on its signals while it
    // decodes, so handlers may run inside this call.
    virtual PictureResult load_picture(const std::string& path_utf8, gfx::Surface& out) = 0;
};

// The system's own dialogs. Each of the first three is modal: it returns
// once the person has answered, and while it runs `owner` (which may be
// null) gets no input but keeps its picture on screen; the loop keeps
// running meanwhile, so other windows' handlers may run inside the call.
class DialogService {
public:
    virtual ~DialogService() = default;

    // A message with one OK button; where the system cannot show it, the
    // text goes to standard error instead.
    virtual void message_box(Window* owner, std::string_view text_utf8,
                             std::string_view title_utf8, MessageStyle style) = 0;
    // The system's colour chooser, starting at `initial`, offering the
    // system's display colours 0 to 15 as its sixteen custom colours.
    // Nothing when the person cancels (or no chooser can be shown).
    virtual std::optional<gfx::ColorRef> choose_color(Window* owner, gfx::ColorRef initial) = 0;
    // The system's file chooser for one existing picture file: the UTF-8
    // path, or nothing when the person cancels (or no chooser can be shown).
    virtual std::optional<std::string> choose_picture_file(Window* owner,
                                                           const PictureFileRequest& request) = 0;
    // Opens the address with the desktop's default browser and returns at
    // once; failures are not reported.
    virtual void open_url(std::string_view url) = 0;
};

// The screen-saver services of older Windows, whose screen savers asked for
// the password themselves and told the system when they ran. Only the
// Windows backend (and the headless one, which records the calls) fills
// them in; the defaults are those of a system that looks after all of it
// itself, as Windows NT and every Linux desktop do.
class ScreenSaverService {
public:
    virtual ~ScreenSaverService() = default;

    // True on a system that asks for the screen-saver password itself.
    virtual bool is_nt_platform() { return true; }
    // Asks the user for the screen-saver password, modally over `saver`;
    // true when it was right (or the system has no such password).
    virtual bool verify_screen_saver_password(Window& saver)
    {
        (void)saver;
        return true;
    }
    // The system's dialog that changes the password, owned by `parent`;
    // returns when it has closed. Nothing where the system has none.
    virtual void change_screen_saver_password(NativeHandle parent) { (void)parent; }
    // Tells the system whether a screen saver is running now.
    virtual void set_screen_saver_running(bool running) { (void)running; }
    // Turns the system's own screen saving back on (true) or off.
    virtual void set_screen_saving_active(bool active) { (void)active; }
};

// Every service together: what each backend (headless/, x11/, wayland/,
// win32/) implements, with the same file names per area. Text is the one
// service a backend hands over as an object of its own (text()), since the
// same text serves several backends: Pango both Linux desktops and the
// render tool, GDI the Windows host and the render tool on Windows.
class Host : public WindowService,
             public LoopService,
             public PictureService,
             public DialogService,
             public ScreenSaverService {
public:
    ~Host() override = default;

    // The host's text; it lives as long as the host.
    virtual TextService& text() = 0;
    // The text calls as the dialog and the card make them, on the host.
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const Font& font,
                  gfx::Pixel colour)
    {
        return text().draw_text(into, at, utf8, font, colour);
    }
    int text_height(std::string_view utf8, const Font& font) { return text().text_height(utf8, font); }
    int text_width(std::string_view utf8, const Font& font) { return text().text_width(utf8, font); }
};

} // namespace host
