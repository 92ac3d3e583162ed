// The dialog's lifecycle and input; see ball_p.h.
#include "dialog/ball_p.h"

#include "common/window_titles.h"

#include <algorithm>

namespace {

// A held arrow or track of a scroll bar steps again after this pause, and
// then at this interval, as the system's scroll bars repeat.
constexpr int kFirstRepeatMs = 350;
constexpr int kRepeatMs = 50;

// The control ranges of the bars: the speed from 10 ("速", left) to 30
// ("遅", right), the pause after each frame from 0 ("低") to 100 ("高") ms,
// each colour component from 0 to 127.
constexpr int kSpeedMin = 10, kSpeedMax = 30, kSpeedSmall = 1, kSpeedLarge = 5;
constexpr int kPcSpecMin = 0, kPcSpecMax = 100, kPcSpecSmall = 1, kPcSpecLarge = 10;
constexpr int kComponentMax = 127, kComponentSmall = 1, kComponentLarge = 10;

gfx::Rect bar_size(const std::vector<dialog::Control>& controls, std::string_view name)
{
    for (const dialog::Control& c : controls)
        if (c.name == name)
            return c.rect;
    return {};
}

} // namespace

using namespace dialog;

Ball_P::Ball_P(host::Host& h, Settings& s, DialogSeams dialog_seams)
    : host(h), settings(s), seams(std::move(dialog_seams)), m_art(make_dialog_art()),
      m_controls(build_control_table()), m_focus_order(build_focus_order(m_controls))
{
    for (int j = 1; j <= 3; ++j) {
        const gfx::Rect r = bar_size(m_controls, "H_RGB(" + std::to_string(j) + ")");
        H_RGB[std::size_t(j - 1)] =
            ScrollBar(r.width, r.height, 0, kComponentMax, kComponentSmall, kComponentLarge);
    }
    const gfx::Rect pc = bar_size(m_controls, "PC_Spec");
    PC_Spec = ScrollBar(pc.width, pc.height, kPcSpecMin, kPcSpecMax, kPcSpecSmall, kPcSpecLarge);
    const gfx::Rect fast = bar_size(m_controls, "HS_Fast");
    HS_Fast = ScrollBar(fast.width, fast.height, kSpeedMin, kSpeedMax, kSpeedSmall, kSpeedLarge);
}

Ball_P::~Ball_P() = default;

void Ball_P::Form_Load()
{
    ColorSyncOn = false;

    // Centred on the primary monitor (with several, centring on the whole
    // desktop would split it across two); on one smaller than the dialog the
    // top bar and the close button stay on it.
    m_rect = dialog_placement(host.monitors().front());
    host::WindowOptions options;
    options.title = kSettingsDialogTitle;
    options.rect = m_rect;
    options.borderless = true;
    options.takes_keyboard = true;
    window = host.create_window(options, *this);
    if (!window)
        return;
    DragActive = 0;

    // A colour the dial cannot show (above 24 bits, or negative) leaves the
    // dial black, the colour it is first painted in.
    const std::int32_t colour = settings.g_BackgroundColor;
    DisplayBackColor = colour >= 0 && colour <= 0xFFFFFF ? colour : 0;
    g_CenterX = kDisplay.width / 2.0;
    g_CenterY = kDisplay.height / 2.0;

    // The dial: every swatch on the dial's colour, in the stored colours,
    // which become the working colours; then ball 10 is selected.
    for (int n = 1; n <= 11; ++n) {
        const auto slot = std::size_t(n);
        Pic_Mas[slot] = gfx::Surface(swatch_size(n), swatch_size(n), gfx::pixel_from_colorref(DisplayBackColor));
        DrawBallSwatch(n, settings.g_BallRed[slot], settings.g_BallGreen[slot], settings.g_BallBlue[slot]);
        EditRed[slot] = settings.g_BallRed[slot];
        EditGreen[slot] = settings.g_BallGreen[slot];
        EditBlue[slot] = settings.g_BallBlue[slot];
    }
    SelectedBall = 10;
    ShowSelectedBall(10);

    // The check items and options show the settings themselves (see
    // paint.cpp); the bars take their values, or keep their first position
    // when a value lies outside their range.
    HS_Fast.set_value(settings.g_Speed);
    m_path_text = settings.g_BackgroundPicturePath;
    PC_Spec.set_value(settings.g_PcSpec);

    paint_area(window->frame(), {0, 0, kWindowWidth, kWindowHeight});
    m_dirty = {};

    // The window grows out of the pointer; where the pointer cannot be read
    // there is nothing to grow from, and the window simply appears.
    const std::optional<gfx::Point> pointer = host.pointer_position();
    g_ZoomX = pointer ? std::int16_t(std::clamp(pointer->x, -32768, 32767)) : 0;
    g_ZoomY = pointer ? std::int16_t(std::clamp(pointer->y, -32768, 32767)) : 0;
    if (pointer)
        ZoomWindowOpen(g_ZoomX, g_ZoomY);
    window->show(true);
    window->refresh();
}

void Ball_P::Form_QueryUnload()
{
    if (host.pointer_position())
        ZoomWindowClose(g_ZoomX, g_ZoomY);
}

void Ball_P::ZoomWindowOpen(int x, int y) { host.animate_zoom({x, y, 0, 0}, window_rect()); }

void Ball_P::ZoomWindowClose(int x, int y) { host.animate_zoom(window_rect(), {x, y, 0, 0}); }

void Ball_P::unload(DialogOutcome how)
{
    if (!window)
        return;
    m_outcome = how;
    Form_QueryUnload();
    window.reset();
    m_captured = nullptr;
    m_buttons = 0;
    host.quit();
}

gfx::Rect Ball_P::window_rect() const
{
    if (window)
        if (auto rect = host.native_window_rect(window->native_handle()))
            return *rect;
    return m_rect;
}

const gfx::Surface& Ball_P::picture() const { return window ? window->frame() : m_empty; }

const Control* Ball_P::control(std::string_view name) const
{
    for (const Control& c : m_controls)
        if (c.name == name)
            return &c;
    return nullptr;
}

const Control* Ball_P::control_at(int x, int y) const
{
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
        if (it->kind != ControlKind::WindowRim && contains(it->rect, x, y))
            return &*it;
    return nullptr;
}

ScrollBar& Ball_P::bar(int index)
{
    switch (index) {
    case BarIndex::PcSpecBar: return PC_Spec;
    case BarIndex::SpeedBar: return HS_Fast;
    default: return H_RGB[std::size_t(std::clamp(index, 1, 3) - 1)];
    }
}

const ScrollBar& Ball_P::bar(int index) const { return const_cast<Ball_P*>(this)->bar(index); }

// ---- the top bar ---------------------------------------------------------

void Ball_P::Image1_MouseDown(int button)
{
    if (button != host::kLeftButton)
        return;
    DragActive = 1;
    const gfx::Point pointer = host.cursor_pos();
    const gfx::Rect rect = window_rect();
    m_rect = rect;
    DragOffsetX = std::int16_t(std::clamp(pointer.x - rect.x, -32768, 32767));
    DragOffsetY = std::int16_t(std::clamp(pointer.y - rect.y, -32768, 32767));
}

void Ball_P::Image1_MouseMove()
{
    if (DragActive != 1 || !window)
        return;
    const gfx::Point pointer = host.cursor_pos();
    m_rect.y = pointer.y - DragOffsetY;
    m_rect.x = pointer.x - DragOffsetX;
    window->move(m_rect);
}

void Ball_P::Image1_MouseUp() { DragActive = 0; }

// ---- input ---------------------------------------------------------------

void Ball_P::on_mouse_down(int button, double x, double y)
{
    if (!window || m_card_shown)
        return;
    const int px = int(x), py = int(y);
    const Control* target = m_captured ? m_captured : control_at(px, py);
    m_buttons |= button;
    if (!target)
        return;
    m_captured = target;
    press(*target, button, px, py);
    flush();
}

void Ball_P::on_mouse_up(int button, double x, double y)
{
    // A release whose press we never saw (it went to a chooser that has
    // closed since) is nobody's: acting on it would run a command the user
    // never pressed.
    if (!window || m_card_shown || !m_captured || !(m_buttons & button))
        return;
    const Control* target = m_captured;
    m_buttons &= ~button;
    if (m_buttons == 0)
        m_captured = nullptr;
    release(*target, button, int(x), int(y));
    if (!window)
        return;
    if (!m_captured)
        update_pointer_shape(control_at(int(x), int(y)));
    flush();
}

void Ball_P::on_mouse_move(int buttons, double x, double y)
{
    if (!window || m_card_shown)
        return;
    // Buttons released where we could not see it (over a chooser) no longer count.
    m_buttons &= buttons;
    if (m_captured && m_buttons == 0)
        m_captured = nullptr;
    const int px = int(x), py = int(y);
    if (m_captured)
        drag(*m_captured, px, py);
    else
        update_pointer_shape(control_at(px, py));
    flush();
}

void Ball_P::on_close_request()
{
    if (!m_card_shown)
        unload(DialogOutcome::Cancelled);
}

void Ball_P::on_timer()
{
    if (!window)
        return;
    if (!m_captured || m_captured->kind != ControlKind::ScrollBar) {
        window->set_timer(0);
        return;
    }
    ScrollBar& held = bar(m_captured->index);
    window->set_timer(kRepeatMs);
    if (held.repeat())
        bar_changed(m_captured->index);
    invalidate(*m_captured);
    flush();
}

void Ball_P::update_pointer_shape(const Control* over)
{
    const bool hand = over && (over->kind == ControlKind::Swatch || over->kind == ControlKind::Link);
    if (hand == m_hand_shown)
        return;
    m_hand_shown = hand;
    window->set_cursor_picture(hand ? &m_art.hand : nullptr);
}

void Ball_P::press(const Control& c, int button, int x, int y)
{
    switch (c.kind) {
    case ControlKind::TopBar: Image1_MouseDown(button); break;
    case ControlKind::CloseButton: ImgExit_MouseDown(); break;
    case ControlKind::CheckMark:
    case ControlKind::CheckCaption: Img_Action_Kind_MouseDown(c.index); break;
    case ControlKind::OrderMark:
    case ControlKind::OrderCaption: Img_Opt_Ptn_MouseDown(c.index); break;
    case ControlKind::BackgroundMark:
    case ControlKind::BackgroundCaption: Img_Opt_bk_MouseDown(c.index); break;
    case ControlKind::ArrangementMark:
    case ControlKind::ArrangementCaption: Img_Opt_bk_G_MouseDown(c.index); break;
    case ControlKind::ButtonCaption: image_button_down(c.index); break;
    case ControlKind::ScrollBar:
        // Scroll bars, swatches and the link answer the left button only.
        if (button == host::kLeftButton && m_buttons == button)
            bar_pressed(c, x, y);
        break;
    case ControlKind::Swatch:
    case ControlKind::Link:
        if (button == host::kLeftButton && m_buttons == button)
            m_click_button = button;
        break;
    default: break; // the ground, panels, plates, faces' rims and labels take the press and do nothing
    }
}

void Ball_P::release(const Control& c, int button, int x, int y)
{
    switch (c.kind) {
    case ControlKind::TopBar: Image1_MouseUp(); break;
    case ControlKind::CloseButton: ImgExit_MouseUp(); break;
    case ControlKind::ButtonCaption: image_button_up(c.index); break;
    case ControlKind::ScrollBar:
        if (button == host::kLeftButton) {
            bar(c.index).release();
            window->set_timer(0);
            invalidate(c);
        }
        break;
    case ControlKind::Swatch:
    case ControlKind::Link: {
        // A click: pressed and released with the left button over the same control.
        const bool click = button == host::kLeftButton && m_click_button == button && control_at(x, y) == &c;
        if (button == host::kLeftButton)
            m_click_button = 0;
        if (!click)
            break;
        if (c.kind == ControlKind::Swatch)
            Pic_Mas_Click(c.index);
        else
            lbl_URL_Click();
        break;
    }
    default: break;
    }
}

void Ball_P::image_button_down(int button)
{
    switch (button) {
    case ImageButton::SelectAll: lbl_All_MouseDown(); break;
    case ImageButton::BackgroundColor: lbl_C_MouseDown(); break;
    case ImageButton::PictureFile: lbl_Path_MouseDown(); break;
    default: lbl_Cmd_MouseDown(button); break;
    }
}

void Ball_P::image_button_up(int button)
{
    switch (button) {
    case ImageButton::SelectAll: lbl_All_MouseUp(); break;
    case ImageButton::BackgroundColor: lbl_C_MouseUp(); break;
    case ImageButton::PictureFile: lbl_Path_MouseUp(); break;
    default: lbl_Cmd_MouseUp(button); break;
    }
}

void Ball_P::drag(const Control& c, int x, int y)
{
    switch (c.kind) {
    case ControlKind::TopBar: Image1_MouseMove(); break;
    case ControlKind::ScrollBar: {
        ScrollBar& held = bar(c.index);
        if (held.held() == ScrollBar::Part::None)
            break; // held by another button than the left: the bar ignores it
        if (held.move(x - c.rect.x, y - c.rect.y))
            bar_changed(c.index); // a dragged thumb changes the value at every move
        invalidate(c); // a held arrow or track side looks pressed only while the pointer is on it
        break;
    }
    default: break;
    }
}

void Ball_P::bar_pressed(const Control& c, int x, int y)
{
    ScrollBar& pressed = bar(c.index);
    if (pressed.press(x - c.rect.x, y - c.rect.y))
        bar_changed(c.index);
    if (pressed.repeating())
        window->set_timer(kFirstRepeatMs);
    invalidate(c);
}

void Ball_P::bar_changed(int index)
{
    // The colour bars redraw their ball at every change; the other two are
    // only read when the settings are saved.
    if (index >= BarIndex::RedBar && index <= BarIndex::BlueBar)
        H_RGB_Change(index);
}

DialogOutcome run_settings_dialog(host::Host& host, Settings& settings, DialogSeams seams)
{
    Ball_P dialog(host, settings, std::move(seams));
    dialog.Form_Load();
    if (dialog.loaded())
        host.run();
    return dialog.outcome();
}
