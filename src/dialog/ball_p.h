#pragma once

#include "dialog/artwork.h"
#include "dialog/card_view.h"
#include "dialog/controls.h"
#include "dialog/keyboard.h"
#include "dialog/model.h"
#include "dialog/paint.h"
#include "gfx/surface.h"
#include "host/host.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the dialog needs from the rest of the program that it does not own.
struct DialogSeams {
    // The version card, shown over the dialog; the dialog waits until it has
    // closed itself, taking no input meanwhile. Null: the version command
    // does nothing.
    std::function<void(host::Host&, const DialogCardView&)> show_version;
    // What the link label shows and opens: the address of the readme
    // installed with the program. Empty: the dialog shows no link.
    std::string link_address;
};

// The readme's address where the Debian package installs it (prefix /usr):
// what pictures of the dialog made away from an installation show.
inline constexpr std::string_view kPackagedReadmeAddress = "file:///usr/share/doc/orvelune/README.md";

// How the dialog ended.
enum class DialogOutcome {
    Open,             // still open (or never loaded)
    Saved,            // "設 定": every setting written
    DefaultsRestored, // "初期設定に戻す": the default settings written
    Cancelled,        // cancel, the close button, Escape or the window manager: nothing written
};

// Ball_P: the settings dialog's window. A borderless window of 701 x 509
// pixels drawn entirely by the program: a linen surface with six panels, a
// dial of the eleven balls on the background colour, check items, option
// marks, scroll bars and image buttons. The process ends when the dialog
// closes, so whatever is not saved is lost with it.
//
// The dialog is three parts, each using only those before it: the model
// (dialog/model.h: the values and their changes), painting (dialog/paint.h:
// the model and the artwork into a surface) and this window, which routes
// input and capture, runs the scroll bars' repeat timer, runs the commands
// (dialog/commands.h: the file, the choosers) and repaints the controls each
// change made stale, putting only that part on the screen. Nothing runs
// between inputs, so an idle dialog costs nothing.
//
// The keyboard reaches every control: Tab and Shift+Tab move the focus
// through them in reading order, Space works the focused one, the arrows
// move a bar or the dial's selection, Page Up and Down and Home and End move
// a bar further, Enter presses the focused button and saves elsewhere, and
// Escape cancels. The focus is marked with a dotted rectangle from the
// first key on.
class Ball_P : public host::WindowHandler {
public:
    Ball_P(host::Host& host, Settings& settings, DialogSeams seams = {});
    ~Ball_P() override;
    Ball_P(const Ball_P&) = delete;
    Ball_P& operator=(const Ball_P&) = delete;

    // Creates the window centred on the screen, loads the settings into the
    // controls, selects ball 10, plays the opening zoom from the pointer and
    // shows the window.
    void Form_Load();

    // ---- window handler
    void on_mouse_down(int button, double x, double y) override;
    void on_mouse_up(int button, double x, double y) override;
    void on_mouse_move(int buttons, double x, double y) override;
    void on_key_down(host::Key key) override;
    void on_timer() override;
    void on_close_request() override;

    // ---- for the program, the version card and the tests
    bool loaded() const { return m_window != nullptr; }
    DialogOutcome outcome() const { return m_outcome; }
    const dialog::DialogModel& model() const { return m_model; }
    const dialog::ControlTable& controls() const { return m_controls; }
    // The control of that design name; null when there is none.
    const dialog::Control* control(std::string_view name) const { return m_controls.find(name); }
    const dialog::Control* control(dialog::ControlId id) const { return m_controls.find(id); }
    // The topmost control at a window pixel, null outside the window.
    const dialog::Control* control_at(int x, int y) const { return m_controls.at(x, y); }
    // The window (null once the dialog has closed) and its picture (empty
    // then), at the window's drawing scale.
    host::Window* window() const { return m_window.get(); }
    const gfx::Surface& picture() const;
    // Where the window stands on the screen.
    gfx::Rect window_rect() const;
    // Where the pointer was when the dialog opened; the zooms use it.
    gfx::Point zoom_origin() const { return {g_ZoomX, g_ZoomY}; }
    const dialog::DialogArt& art() const { return m_art; }
    // The whole picture, composed afresh from the state into `into` (sized
    // to the window): what the window shows when nothing is stale.
    void paint_all(gfx::Surface& into) const;
    // What the version card reads of the dialog.
    DialogCardView card_view() const;

    // The controls Tab visits, in order; the focused one; the focus mark
    // (window pixels), or nothing while it is not shown.
    std::vector<const dialog::Control*> focus_order() const;
    const dialog::Control* focused() const;
    std::optional<gfx::Rect> focus_mark() const;

private:
    // The closing zoom into the point the opening grew from.
    void Form_QueryUnload();
    // Ends the dialog: the closing zoom, then the window goes.
    void unload(DialogOutcome outcome);
    void ZoomWindowOpen(int x, int y);
    void ZoomWindowClose(int x, int y);

    // The top bar drags the window.
    void Image1_MouseDown(int button);
    void Image1_MouseMove();
    void Image1_MouseUp();

    // Input: the control that took the first press keeps every event until
    // all buttons are up again, as a control that captured the mouse does.
    void press(const dialog::Control& c, int button, int x, int y);
    void release(const dialog::Control& c, int button, int x, int y);
    void drag(const dialog::Control& c, int x, int y);
    void update_pointer_shape(const dialog::Control* over);
    // Image buttons: the face shows Img_On from the press and Img_Off again
    // at the release, which is put on the screen before the command runs.
    void image_button_down(int button);
    void image_button_up(int button);
    void run_command(int button);
    void choose_dial_colour();
    void choose_picture_file();
    void show_version();

    // The keyboard.
    void move_focus(int by);
    void work_focused();
    void arrow_key(int direction);
    void bar_key(dialog::DialogModel::BarKey key, int direction);
    void enter_key();

    // Repaints what a change made stale into the frame, and remembers it
    // for the next flush().
    void repaint(const dialog::Stale& stale);
    void repaint(const dialog::Control& c);
    void repaint(gfx::Rect area);
    void flush();
    dialog::DialogScene scene() const;

    host::Host& m_host;
    DialogSeams m_seams;
    dialog::DialogArt m_art;
    dialog::ControlTable m_controls;
    dialog::DialogModel m_model;
    dialog::FocusRing m_focus;
    std::unique_ptr<host::Window> m_window;

    gfx::Rect m_rect; // the window on the screen
    int m_scale = 1;  // frame pixels per window pixel (a scaled output's)
    // Where the pointer was when the dialog opened.
    std::int16_t g_ZoomX = 0, g_ZoomY = 0;
    // The top bar's drag: on while the left button holds it, and the
    // pointer's offset from the window's corner.
    std::int16_t DragActive = 0;
    std::int16_t DragOffsetX = 0, DragOffsetY = 0;
    DialogOutcome m_outcome = DialogOutcome::Open;
    const dialog::Control* m_captured = nullptr;
    int m_buttons = 0;           // the buttons held, as reported to us
    bool m_hand_shown = false;
    bool m_card_shown = false;   // the version card plays over us: input is dropped
    int m_click_button = 0;      // the button of a press that may become a click
    gfx::Rect m_dirty;
    gfx::Surface m_empty;
};

// The whole dialog mode: loads Ball_P on `host`, runs until it has closed
// and tells how it ended.
DialogOutcome run_settings_dialog(host::Host& host, Settings& settings, DialogSeams seams = {});
