// The dialog by keyboard: a focus that Tab and Shift+Tab move through the
// controls, Space to work the focused one, the arrows for the bars and the
// dial, Enter to save and Escape to cancel. Each key does exactly what the
// mouse does on the same control, through the same handlers, so a setting
// changed by keys is saved byte for byte as one changed by the mouse.
#include "dialog/ball_p.h"

using namespace dialog;

const Control* Ball_P::focused() const
{
    return m_focus < m_focus_order.size() ? m_focus_order[m_focus] : nullptr;
}

void Ball_P::invalidate_focus()
{
    if (const std::optional<gfx::Rect> mark = focus_mark())
        invalidate(*mark);
}

void Ball_P::move_focus(int by)
{
    if (m_focus_order.empty())
        return;
    // The old mark's place is repainted once the focus has left it.
    const std::optional<gfx::Rect> old_mark = focus_mark();
    const auto count = std::ptrdiff_t(m_focus_order.size());
    m_focus = std::size_t(((std::ptrdiff_t(m_focus) + by) % count + count) % count);
    if (old_mark)
        invalidate(*old_mark);
    invalidate_focus();
}

// Space: what a press of the mouse does on the focused control, and for an
// image button its release as well.
void Ball_P::work_focused()
{
    const Control* c = focused();
    if (!c)
        return;
    switch (c->kind) {
    case ControlKind::CheckCaption: Img_Action_Kind_MouseDown(c->index); break;
    case ControlKind::OrderCaption: Img_Opt_Ptn_MouseDown(c->index); break;
    case ControlKind::BackgroundCaption: Img_Opt_bk_MouseDown(c->index); break;
    case ControlKind::ArrangementCaption: Img_Opt_bk_G_MouseDown(c->index); break;
    case ControlKind::ButtonCaption:
        image_button_down(c->index);
        flush();
        image_button_up(c->index);
        break;
    case ControlKind::Link: lbl_URL_Click(); break;
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
        const int next = direction > 0 ? SelectedBall % 11 + 1 : (SelectedBall + 9) % 11 + 1;
        Pic_Mas_Click(next);
        break;
    }
    case ControlKind::ScrollBar:
        if (bar(c->index).nudge(direction))
            bar_changed(c->index);
        invalidate(*c);
        break;
    default: move_focus(direction); break;
    }
}

void Ball_P::on_key_down(host::Key key)
{
    if (!window || m_card_shown)
        return;
    if (key == host::Key::Escape) {
        unload(DialogOutcome::Cancelled);
        return;
    }
    // A key that does nothing here shows nothing either; and while the
    // mouse holds a control, that control keeps the dialog to itself.
    if (key == host::Key::Other || m_captured)
        return;
    if (!m_focus_shown) {
        m_focus_shown = true;
        invalidate_focus();
    }
    switch (key) {
    case host::Key::Tab: move_focus(1); break;
    case host::Key::BackTab: move_focus(-1); break;
    case host::Key::Space: work_focused(); break;
    case host::Key::Enter:
        // As the save button: its face goes down and up, then the save runs
        // (or says why it cannot).
        lbl_Cmd_MouseDown(ImageButton::Save);
        lbl_Cmd_MouseUp(ImageButton::Save);
        break;
    case host::Key::Left:
    case host::Key::Up: arrow_key(-1); break;
    case host::Key::Right:
    case host::Key::Down: arrow_key(1); break;
    default: break;
    }
    flush();
}
