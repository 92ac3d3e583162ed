#pragma once

#include "dialog/artwork.h"
#include "dialog/controls.h"
#include "dialog/scroll_bar.h"
#include "gfx/surface.h"
#include "host/host.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Ball_P;

// What the dialog needs from the rest of the program that it does not own.
struct DialogSeams {
    // The version card, shown over the dialog; the dialog waits until it has
    // closed itself, taking no input meanwhile. Null: the version command
    // does nothing.
    std::function<void(Ball_P&)> show_version;
};

// How the dialog ended.
enum class DialogOutcome {
    Open,             // still open (or never loaded)
    Saved,            // "設 定": every setting written
    DefaultsRestored, // "初期設定に戻す": the default settings written
    Cancelled,        // cancel, the close button, Escape or the window manager: nothing written
};

// Ball_P: the settings dialog. A borderless window of 701 x 509 pixels drawn
// entirely by the program: a linen surface with six panels, a dial of the
// eleven balls on the background colour, check items, option marks, scroll
// bars and image buttons. The check items and options write straight into
// the settings (which it keeps a reference to); the colours, the bars, the
// dial's colour and the picture path live in the dialog until "設 定" writes
// them all to the settings file. The process ends when the dialog closes, so
// whatever is not saved is lost with it.
//
// The picture is composed in the window's frame: each change repaints only
// the controls it touched, from the control table, bottom to top, and puts
// only that part on the screen. Nothing runs between inputs (no timer runs
// unless a scroll-bar press is being repeated), so an idle dialog costs nothing.
//
// Member names keep the dialog's own names (handlers are control plus event,
// as `lbl_Cmd_MouseUp`); its member functions are spread over the files of
// src/dialog by subject: lifecycle and input (ball_p.cpp), the check items
// and options (choices.cpp), the colour dial (color_dial.cpp), the commands
// (commands.cpp), the keyboard (keyboard.cpp) and painting (paint.cpp).
//
// The keyboard reaches every control: Tab and Shift+Tab move the focus
// through them in reading order, Space works the focused one, the arrows
// move a bar or the dial's selection, Enter saves and Escape cancels. The
// focus is marked with a dotted rectangle from the first key on; until then
// the dialog looks exactly as it does to the mouse alone.
class Ball_P : public host::WindowHandler {
public:
    Ball_P(host::Host& host, Settings& settings, DialogSeams seams = {});
    ~Ball_P() override;
    Ball_P(const Ball_P&) = delete;
    Ball_P& operator=(const Ball_P&) = delete;

    // ---- lifecycle (ball_p.cpp)
    // Creates the window centred on the screen, loads the settings into the
    // controls, selects ball 10, plays the opening zoom from the pointer and
    // shows the window.
    void Form_Load();
    // The closing zoom into the point the opening grew from.
    void Form_QueryUnload();

    // ---- the top bar (ball_p.cpp)
    void Image1_MouseDown(int button);
    void Image1_MouseMove();
    void Image1_MouseUp();

    // ---- check items and options (choices.cpp); every button, at the press
    void Img_Action_Kind_MouseDown(int i);
    void lbl_Action_Kind_MouseDown(int i) { Img_Action_Kind_MouseDown(i); }
    void Img_Opt_Ptn_MouseDown(int i);
    void lbl_Opt_Ptn_MouseDown(int i) { Img_Opt_Ptn_MouseDown(i); }
    void Img_Opt_bk_MouseDown(int i);
    void lbl_Opt_bk_MouseDown(int i) { Img_Opt_bk_MouseDown(i); }
    void Img_Opt_bk_G_MouseDown(int i);
    void lbl_Opt_bk_G_MouseDown(int i) { Img_Opt_bk_G_MouseDown(i); }

    // ---- the colour dial (color_dial.cpp)
    void DrawBallSwatch(int n, int red, int green, int blue);
    void ShowSelectedBall(int n);
    void Pic_Mas_Click(int n);
    void H_RGB_Change(int j);
    void lbl_C_MouseDown();
    void lbl_C_MouseUp();

    // ---- commands (commands.cpp)
    void lbl_Cmd_MouseDown(int i);
    void lbl_Cmd_MouseUp(int i);
    void ImgExit_MouseDown();
    void ImgExit_MouseUp();
    void lbl_All_MouseDown();
    void lbl_All_MouseUp();
    void lbl_Path_MouseDown();
    void lbl_Path_MouseUp();
    void lbl_URL_Click();
    // Writes every setting; false (after telling the user why) when the file
    // could not be written, which leaves it as it was.
    bool SaveAllSettings();

    // ---- painting (paint.cpp)
    // Tiles the texture strip over `box` (window pixels) of `into`, drawn
    // with `origin` as the window's top-left.
    void PaintTexture(gfx::Surface& into, gfx::Point origin, gfx::Rect box) const;
    // The whole picture, composed afresh from the state into `into` (sized
    // to the window): what the window shows when nothing is stale.
    void paint_all(gfx::Surface& into) const;

    // ---- the keyboard (keyboard.cpp)
    // The controls Tab visits, in order; the focus starts on the first.
    const std::vector<const dialog::Control*>& focus_order() const { return m_focus_order; }
    const dialog::Control* focused() const;
    // The focus mark (window pixels), or nothing while it is not shown.
    std::optional<gfx::Rect> focus_mark() const;

    // ---- window handler
    void on_mouse_down(int button, double x, double y) override;
    void on_mouse_up(int button, double x, double y) override;
    void on_mouse_move(int buttons, double x, double y) override;
    void on_key_down(host::Key key) override;
    void on_timer() override;
    void on_close_request() override;

    // ---- for the program, the version card and the tests
    bool loaded() const { return window != nullptr; }
    DialogOutcome outcome() const { return m_outcome; }
    const std::vector<dialog::Control>& controls() const { return m_controls; }
    // The control of that design name; null when there is none.
    const dialog::Control* control(std::string_view name) const;
    // The topmost control at a window pixel, null outside the window.
    const dialog::Control* control_at(int x, int y) const;
    // The window's picture (empty once the dialog has closed).
    const gfx::Surface& picture() const;
    // Where the window stands on the screen.
    gfx::Rect window_rect() const;
    const dialog::DialogArt& art() const { return m_art; }
    // The path shown in BK_Path, and the control bars' positions.
    const std::string& BK_Path() const { return m_path_text; }
    dialog::ScrollBar& bar(int index);
    const dialog::ScrollBar& bar(int index) const;

    // ================= state =================
    host::Host& host;
    Settings& settings;
    DialogSeams seams;
    std::unique_ptr<host::Window> window;

    // The working colours of balls 1..11 (slot 0 unused).
    std::array<std::int16_t, 12> EditRed{}, EditGreen{}, EditBlue{};
    std::int16_t SelectedBall = 10;
    bool ColorSyncOn = false;
    std::int16_t DragActive = 0;
    std::int16_t DragOffsetX = 0, DragOffsetY = 0;
    // The dial's centre, set at load: half its width and height (154.5).
    double g_CenterX = 0, g_CenterY = 0;
    // Where the pointer was when the dialog opened; the zooms use it.
    std::int16_t g_ZoomX = 0, g_ZoomY = 0;
    // The dial's background colour: what "背景色" chose, what "設 定" writes.
    gfx::ColorRef DisplayBackColor = 0;
    // The swatches' pictures, balls 1..11; each keeps its drawing until drawn again.
    std::array<gfx::Surface, 12> Pic_Mas;
    // The centre of the selection mark on the dial (dial pixels).
    std::optional<gfx::Point> mark_centre;
    std::array<dialog::ScrollBar, 3> H_RGB;
    dialog::ScrollBar PC_Spec;
    dialog::ScrollBar HS_Fast;

private:
    // Input: the control that took the first press keeps every event until
    // all buttons are up again, as a control that captured the mouse does.
    void press(const dialog::Control& c, int button, int x, int y);
    void release(const dialog::Control& c, int button, int x, int y);
    void drag(const dialog::Control& c, int x, int y);
    void update_pointer_shape(const dialog::Control* over);
    void bar_pressed(const dialog::Control& c, int x, int y);
    void bar_changed(int index);
    void show_colour_on_bars(int n); // color_dial.cpp
    // Ends the dialog: the closing zoom, then the window goes.
    void unload(DialogOutcome outcome);
    void ZoomWindowOpen(int x, int y);
    void ZoomWindowClose(int x, int y);

    // Image buttons: the face shows Img_On from the press and Img_Off again
    // at the release, which is put on the screen before the command runs.
    void press_image_button(int button);
    void release_image_button(int button);
    // The press and release of an image button's caption, by its ImageButton index.
    void image_button_down(int button);
    void image_button_up(int button);
    void run_command(int button);
    // Tells the user, with the dialog's message title and icon.
    void warn(const std::string& text);

    // Painting (paint.cpp): repaints `area` (window pixels) from the control
    // table into the frame and remembers it for the next flush().
    void invalidate(gfx::Rect area);
    void invalidate(const dialog::Control& c);
    void invalidate(std::string_view name);
    void flush();
    // The keyboard (keyboard.cpp).
    void move_focus(int by);
    void invalidate_focus();
    void work_focused();
    void arrow_key(int direction);
    // The focus mark, dotted, over what `paint_area` composed.
    void paint_focus(gfx::Surface& into, gfx::Point origin) const;
    void paint_area(gfx::Surface& into, gfx::Rect area) const;
    void paint_control(gfx::Surface& into, gfx::Point origin, const dialog::Control& c) const;
    void draw_caption(gfx::Surface& into, gfx::Point origin, const dialog::Control& c, std::string_view text,
                      int shift) const;

    dialog::DialogArt m_art;
    std::vector<dialog::Control> m_controls;
    gfx::Rect m_rect;            // the window on the screen
    std::string m_path_text;     // BK_Path
    DialogOutcome m_outcome = DialogOutcome::Open;
    const dialog::Control* m_captured = nullptr;
    int m_buttons = 0;           // the buttons held, as reported to us
    bool m_hand_shown = false;
    std::optional<int> m_pressed_button; // the image button whose face is down
    bool m_exit_pressed = false;
    bool m_card_shown = false;   // the version card plays over us: input is dropped
    int m_click_button = 0;      // the button of a press that may become a click
    std::vector<const dialog::Control*> m_focus_order;
    std::size_t m_focus = 0;
    bool m_focus_shown = false;  // from the first key on
    gfx::Rect m_dirty;
    gfx::Surface m_empty;
};

// The whole dialog mode: loads Ball_P on `host`, runs until it has closed
// and tells how it ended.
DialogOutcome run_settings_dialog(host::Host& host, Settings& settings, DialogSeams seams = {});
