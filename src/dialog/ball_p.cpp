// The dialog's window: lifecycle, input, the keyboard and repainting; see ball_p.h.
#include "dialog/ball_p.h"

#include "common/window_titles.h"
#include "dialog/commands.h"

#include <algorithm>

using namespace dialog;

namespace {

// A held arrow or track of a scroll bar steps again after this pause, and
// then at this interval, as the system's scroll bars repeat.
constexpr int kFirstRepeatMs = 350;
constexpr int kRepeatMs = 50;

std::int16_t to_int16(int value) { return std::int16_t(std::clamp(value, -32768, 32767)); }

} // namespace

Ball_P::Ball_P(host::Host& h, Settings& s, DialogSeams dialog_seams)
    : m_host(h), m_seams(std::move(dialog_seams)), m_art(make_dialog_art()), m_controls(m_seams.link_address),
      m_model(s, m_controls),
      m_focus(m_controls)
{
}

Ball_P::~Ball_P() = default;

void Ball_P::Form_Load()
{
    // Centred on the primary monitor (with several, centring on the whole
    // desktop would split it across two); on one smaller than the dialog the
    // top bar and the close button stay on it.
    m_rect = dialog_placement(m_host.monitors().front());
    host::WindowOptions options;
    options.title = kSettingsDialogTitle;
    options.rect = m_rect;
    options.borderless = true;
    options.takes_keyboard = true;
    options.scalable = true;
    m_window = m_host.create_window(options, *this);
    if (!m_window)
        return;
    m_scale = std::max(m_window->drawing_scale(), 1);
    DragActive = 0;

    m_model.load();
    paint_area(scene(), m_window->frame(), {0, 0, kWindowWidth, kWindowHeight}, m_scale);
    m_dirty = {};

    // The window grows out of the pointer; where the pointer cannot be read
    // there is nothing to grow from, and the window simply appears.
    const std::optional<gfx::Point> pointer = m_host.pointer_position();
    g_ZoomX = pointer ? to_int16(pointer->x) : 0;
    g_ZoomY = pointer ? to_int16(pointer->y) : 0;
    if (pointer)
        ZoomWindowOpen(g_ZoomX, g_ZoomY);
    m_window->show(true);
    m_window->refresh();
}

void Ball_P::Form_QueryUnload()
{
    if (m_host.pointer_position())
        ZoomWindowClose(g_ZoomX, g_ZoomY);
}

void Ball_P::ZoomWindowOpen(int x, int y) { m_host.animate_zoom({x, y, 0, 0}, window_rect()); }

void Ball_P::ZoomWindowClose(int x, int y) { m_host.animate_zoom(window_rect(), {x, y, 0, 0}); }

void Ball_P::unload(DialogOutcome how)
{
    if (!m_window)
        return;
    m_outcome = how;
    Form_QueryUnload();
    m_window.reset();
    m_captured = nullptr;
    m_buttons = 0;
    m_host.quit();
}

gfx::Rect Ball_P::window_rect() const
{
    if (m_window)
        if (auto rect = m_host.native_window_rect(m_window->native_handle()))
            return *rect;
    return m_rect;
}

const gfx::Surface& Ball_P::picture() const { return m_window ? m_window->frame() : m_empty; }

DialogScene Ball_P::scene() const { return DialogScene{m_model, m_controls, m_art, m_host, focus_mark()}; }

void Ball_P::paint_all(gfx::Surface& into) const { dialog::paint_all(scene(), into); }

DialogCardView Ball_P::card_view() const
{
    return DialogCardView{window_rect(), m_model.DisplayBackColor(), m_model.settings().g_PcSpec};
}

// ---- repainting ------------------------------------------------------------

void Ball_P::repaint(gfx::Rect area)
{
    if (!m_window)
        return;
    paint_area(scene(), m_window->frame(), area, m_scale);
    m_dirty = m_dirty.united(area);
}

void Ball_P::repaint(const Control& c) { repaint(painted(c)); }

void Ball_P::repaint(const Stale& stale)
{
    for (const ControlId id : stale)
        if (const Control* c = m_controls.find(id))
            repaint(*c);
}

void Ball_P::flush()
{
    if (m_window && m_dirty.width > 0 && m_dirty.height > 0)
        m_window->refresh_area({m_dirty.x * m_scale, m_dirty.y * m_scale, m_dirty.width * m_scale,
                                m_dirty.height * m_scale});
    m_dirty = {};
}

// ---- the top bar -----------------------------------------------------------

void Ball_P::Image1_MouseDown(int button)
{
    if (button != host::kLeftButton)
        return;
    DragActive = 1;
    const gfx::Point pointer = m_host.cursor_pos();
    const gfx::Rect rect = window_rect();
    m_rect = rect;
    DragOffsetX = to_int16(pointer.x - rect.x);
    DragOffsetY = to_int16(pointer.y - rect.y);
}

void Ball_P::Image1_MouseMove()
{
    if (DragActive != 1 || !m_window)
        return;
    const gfx::Point pointer = m_host.cursor_pos();
    m_rect.y = pointer.y - DragOffsetY;
    m_rect.x = pointer.x - DragOffsetX;
    m_window->move(m_rect);
}

void Ball_P::Image1_MouseUp() { DragActive = 0; }

// ---- input -----------------------------------------------------------------

void Ball_P::on_mouse_down(int button, double x, double y)
{
    if (!m_window || m_card_shown)
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
    if (!m_window || m_card_shown || !m_captured || !(m_buttons & button))
        return;
    const Control* target = m_captured;
    m_buttons &= ~button;
    if (m_buttons == 0)
        m_captured = nullptr;
    release(*target, button, int(x), int(y));
    if (!m_window)
        return;
    if (!m_captured)
        update_pointer_shape(control_at(int(x), int(y)));
    flush();
}

void Ball_P::on_mouse_move(int buttons, double x, double y)
{
    if (!m_window || m_card_shown)
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
    if (!m_window)
        return;
    if (!m_captured || m_captured->kind != ControlKind::ScrollBar) {
        m_window->set_timer(0);
        return;
    }
    m_window->set_timer(kRepeatMs);
    repaint(m_model.repeat_bar(m_captured->index));
    flush();
}

void Ball_P::update_pointer_shape(const Control* over)
{
    const bool hand = over && (over->kind == ControlKind::Swatch || over->kind == ControlKind::Link);
    if (hand == m_hand_shown)
        return;
    m_hand_shown = hand;
    m_window->set_cursor_picture(hand ? &m_art.hand : nullptr);
}

void Ball_P::press(const Control& c, int button, int x, int y)
{
    switch (c.kind) {
    case ControlKind::TopBar: Image1_MouseDown(button); break;
    case ControlKind::CloseButton: repaint(m_model.press_close(true)); break;
    // The check items and options act at the press, of any mouse button.
    case ControlKind::CheckMark:
    case ControlKind::CheckCaption: repaint(m_model.Img_Action_Kind_MouseDown(c.index)); break;
    case ControlKind::OrderMark:
    case ControlKind::OrderCaption: repaint(m_model.Img_Opt_Ptn_MouseDown(c.index)); break;
    case ControlKind::BackgroundMark:
    case ControlKind::BackgroundCaption: repaint(m_model.Img_Opt_bk_MouseDown(c.index)); break;
    case ControlKind::ArrangementMark:
    case ControlKind::ArrangementCaption: repaint(m_model.Img_Opt_bk_G_MouseDown(c.index)); break;
    case ControlKind::ButtonCaption: image_button_down(c.index); break;
    case ControlKind::ScrollBar:
        // Scroll bars, swatches and the link answer the left button only.
        if (button == host::kLeftButton && m_buttons == button) {
            const Stale stale = m_model.press_bar(c.index, x - c.rect.x, y - c.rect.y);
            if (m_model.bar(c.index).repeating())
                m_window->set_timer(kFirstRepeatMs);
            repaint(stale);
        }
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
    case ControlKind::CloseButton:
        repaint(m_model.press_close(false));
        flush();
        unload(DialogOutcome::Cancelled);
        break;
    case ControlKind::ButtonCaption: image_button_up(c.index); break;
    case ControlKind::ScrollBar:
        if (button == host::kLeftButton) {
            const Stale stale = m_model.release_bar(c.index);
            m_window->set_timer(0);
            repaint(stale);
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
            repaint(m_model.Pic_Mas_Click(c.index));
        else
            m_host.open_url(c.caption);
        break;
    }
    default: break;
    }
}

void Ball_P::drag(const Control& c, int x, int y)
{
    switch (c.kind) {
    case ControlKind::TopBar: Image1_MouseMove(); break;
    case ControlKind::ScrollBar: repaint(m_model.drag_bar(c.index, x - c.rect.x, y - c.rect.y)); break;
    default: break;
    }
}

// ---- image buttons and their commands -----------------------------------------

void Ball_P::image_button_down(int button) { repaint(m_model.press_button(button)); }

// The release acts wherever the pointer now is: a press on a button
// followed by a release elsewhere still runs its command.
void Ball_P::image_button_up(int button)
{
    // The released face goes on the screen before the command runs (which
    // may open a chooser or close the dialog).
    repaint(m_model.release_button(button));
    flush();
    run_command(button);
}

void Ball_P::run_command(int button)
{
    switch (button) {
    case ImageButton::RestoreDefaults:
        // A file that could not be written keeps the dialog open with nothing lost.
        if (restore_defaults(m_model, m_host, m_window.get()))
            unload(DialogOutcome::DefaultsRestored);
        break;
    case ImageButton::VersionInformation: show_version(); break;
    case ImageButton::Cancel: unload(DialogOutcome::Cancelled); break;
    case ImageButton::Save:
        if (SaveAllSettings(m_model, m_host, m_window.get()))
            unload(DialogOutcome::Saved);
        break;
    case ImageButton::SelectAll: repaint(m_model.select_all_actions()); break;
    case ImageButton::BackgroundColor: choose_dial_colour(); break;
    case ImageButton::PictureFile: choose_picture_file(); break;
    default: break;
    }
}

void Ball_P::show_version()
{
    if (!m_seams.show_version)
        return;
    // The card is modal: input that still reaches us while it plays (the
    // keyboard focus stays here) is dropped, as a window under a modal one
    // gets none.
    m_card_shown = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_card_shown};
    m_seams.show_version(m_host, card_view());
}

void Ball_P::choose_dial_colour()
{
    if (!m_window)
        return;
    const std::optional<gfx::ColorRef> chosen = dialog::choose_dial_colour(m_host, m_window.get());
    // The dialog may have gone while the chooser was open.
    if (!chosen || !m_window)
        return;
    repaint(m_model.set_dial_colour(*chosen));
}

void Ball_P::choose_picture_file()
{
    if (!m_window)
        return;
    std::optional<std::string> chosen = choose_picture_path(m_model, m_host, m_window.get());
    if (!chosen || !m_window)
        return;
    if (const std::optional<std::string> refusal = picture_path_refusal(*chosen)) {
        warn(m_host, m_window.get(), *refusal);
        return;
    }
    repaint(m_model.set_picture_path(std::move(*chosen)));
}

// ---- the keyboard ------------------------------------------------------------
// Each key does exactly what the mouse does on the same control, through the
// same changes, so a setting changed by keys is saved byte for byte as one
// changed by the mouse.

std::vector<const Control*> Ball_P::focus_order() const
{
    std::vector<const Control*> order;
    for (const ControlId id : m_focus.order())
        order.push_back(m_controls.find(id));
    return order;
}

const Control* Ball_P::focused() const
{
    const std::optional<ControlId> id = m_focus.focused();
    return id ? m_controls.find(*id) : nullptr;
}

std::optional<gfx::Rect> Ball_P::focus_mark() const
{
    const Control* c = focused();
    if (!m_focus.shown() || !c)
        return std::nullopt;
    return focus_mark_round(*c, m_model, m_controls, m_host);
}

void Ball_P::move_focus(int by)
{
    // The old mark's place is repainted once the focus has left it.
    const std::optional<gfx::Rect> old_mark = focus_mark();
    m_focus.move(by);
    if (old_mark)
        repaint(*old_mark);
    if (const std::optional<gfx::Rect> mark = focus_mark())
        repaint(*mark);
}

// Space: what a press of the mouse does on the focused control, and for an
// image button its release as well.
void Ball_P::work_focused()
{
    const Control* c = focused();
    if (!c)
        return;
    switch (c->kind) {
    case ControlKind::CheckCaption: repaint(m_model.Img_Action_Kind_MouseDown(c->index)); break;
    case ControlKind::OrderCaption: repaint(m_model.Img_Opt_Ptn_MouseDown(c->index)); break;
    case ControlKind::BackgroundCaption: repaint(m_model.Img_Opt_bk_MouseDown(c->index)); break;
    case ControlKind::ArrangementCaption: repaint(m_model.Img_Opt_bk_G_MouseDown(c->index)); break;
    case ControlKind::ButtonCaption:
        image_button_down(c->index);
        flush();
        image_button_up(c->index);
        break;
    case ControlKind::Link: m_host.open_url(c->caption); break;
    default: break; // the dial and the bars answer the arrows
    }
}

// The arrows move a bar by its small step and the dial's selection to the
// next ball clockwise (the centre ball after ball 10, then ball 1 again) or
// back; on any other control they move the focus, as through a group.
void Ball_P::arrow_key(int direction)
{
    const Control* c = focused();
    if (!c)
        return;
    switch (c->kind) {
    case ControlKind::Dial: {
        const int ball = m_model.SelectedBall();
        const int next = direction > 0 ? ball % 11 + 1 : (ball + 9) % 11 + 1;
        repaint(m_model.Pic_Mas_Click(next));
        break;
    }
    case ControlKind::ScrollBar: repaint(m_model.key_bar(c->index, DialogModel::BarKey::Small, direction)); break;
    default: move_focus(direction); break;
    }
}

// Page Up and Page Down move a bar by its large step, Home and End to its
// ends, as the system's bars do; elsewhere they do nothing.
void Ball_P::bar_key(DialogModel::BarKey key, int direction)
{
    const Control* c = focused();
    if (c && c->kind == ControlKind::ScrollBar)
        repaint(m_model.key_bar(c->index, key, direction));
}

// Enter presses the focused button (or opens the link); anywhere else it
// is the default button, "設 定": its face goes down and up, then the save
// runs (or says why it cannot).
void Ball_P::enter_key()
{
    const Control* c = focused();
    if (c && (c->kind == ControlKind::ButtonCaption || c->kind == ControlKind::Link)) {
        work_focused();
        return;
    }
    image_button_down(ImageButton::Save);
    image_button_up(ImageButton::Save);
}

void Ball_P::on_key_down(host::Key key)
{
    if (!m_window || m_card_shown)
        return;
    if (key == host::Key::Escape) {
        unload(DialogOutcome::Cancelled);
        return;
    }
    // A key that does nothing here shows nothing either; and while the
    // mouse holds a control, that control keeps the dialog to itself.
    if (key == host::Key::Other || m_captured)
        return;
    // The first key shows the mark where the focus starts, on the first
    // stop: the first Tab lands there rather than passing it.
    const bool first = m_focus.show();
    if (first)
        if (const std::optional<gfx::Rect> mark = focus_mark())
            repaint(*mark);
    switch (key) {
    case host::Key::Tab:
        if (!first)
            move_focus(1);
        break;
    case host::Key::BackTab: move_focus(-1); break;
    case host::Key::Space: work_focused(); break;
    case host::Key::Enter: enter_key(); break;
    case host::Key::Left:
    case host::Key::Up: arrow_key(-1); break;
    case host::Key::Right:
    case host::Key::Down: arrow_key(1); break;
    case host::Key::PageUp: bar_key(DialogModel::BarKey::Large, -1); break;
    case host::Key::PageDown: bar_key(DialogModel::BarKey::Large, 1); break;
    case host::Key::Home: bar_key(DialogModel::BarKey::End, -1); break;
    case host::Key::End: bar_key(DialogModel::BarKey::End, 1); break;
    default: break;
    }
    flush();
}

DialogOutcome run_settings_dialog(host::Host& host, Settings& settings, DialogSeams seams)
{
    Ball_P dialog(host, settings, std::move(seams));
    dialog.Form_Load();
    if (dialog.loaded())
        host.run();
    return dialog.outcome();
}
