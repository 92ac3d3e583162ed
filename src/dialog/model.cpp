// The dialog's values and their changes; see model.h.
#include "dialog/model.h"

#include "gfx/numeric.h"
#include "gfx/raster.h"
#include "settings/settings_keys.h"

#include <algorithm>

namespace dialog {

namespace {

// The dial's centre lies on a half pixel: half its width and height (154.5).
constexpr double kCenterX = kDisplay.width / 2.0;
constexpr double kCenterY = kDisplay.height / 2.0;

ScrollBar make_bar(const ControlTable& controls, int index, SettingKind kind)
{
    const Control* c = controls.find(ControlId{ControlKind::ScrollBar, index});
    const gfx::Rect r = c ? c->rect : gfx::Rect{};
    const BarScale scale = setting_bar(kind).value_or(BarScale{0, 0, 1, 1});
    return ScrollBar(r.width, r.height, scale.min, scale.max, scale.small_change, scale.large_change);
}

} // namespace

// A ball lit from the upper left: discs each 2 pixels smaller in radius,
// 1 pixel further up and left and one step lighter than the one before,
// each component held to 0..255. A small swatch gets 13 discs (radius 24
// down to 0, lighter by up to 192), the large one 19 (36 down to 0, up to
// 216). The discs cover the ball's previous drawing, so nothing is cleared.
void DrawBallSwatch(gfx::Surface& swatch, int n, int red, int green, int blue)
{
    const int step = n == 11 ? 12 : 16;
    const int cx = swatch.width() / 2, cy = swatch.height() / 2;
    auto shade = [](int base, int k, int by) { return std::clamp(base + k * by, 0, 255); };
    for (int k = 0; k <= 63; ++k) {
        if (cx - 2 * k < 0 || k > cy)
            break;
        gfx::fill_disc(swatch, {cx - k, cy - k}, cx - 2 * k,
                       gfx::rgb(shade(red, k, step), shade(green, k, step), shade(blue, k, step)));
    }
}

DialogModel::DialogModel(Settings& settings, const ControlTable& controls)
    : m_settings(settings),
      m_rgb{make_bar(controls, BarIndex::RedBar, SettingKind::BallColor),
            make_bar(controls, BarIndex::GreenBar, SettingKind::BallColor),
            make_bar(controls, BarIndex::BlueBar, SettingKind::BallColor)},
      m_pc_spec(make_bar(controls, BarIndex::PcSpecBar, SettingKind::PcSpec)),
      m_speed(make_bar(controls, BarIndex::SpeedBar, SettingKind::Speed))
{
}

void DialogModel::load()
{
    Stale ignored;
    m_sync = false;
    // A colour the dial cannot show (above 24 bits, or negative) leaves the
    // dial black, the colour it is first painted in.
    const std::int32_t colour = m_settings.g_BackgroundColor;
    m_dial_colour = colour >= 0 && colour <= 0xFFFFFF ? gfx::ColorRef(colour) : 0;

    // The dial: every swatch on the dial's colour, in the stored colours,
    // which become the working colours; then ball 10 is selected.
    for (int n = 1; n <= 11; ++n) {
        const auto s = slot(n);
        m_swatches[s] = gfx::Surface(swatch_size(n), swatch_size(n), gfx::pixel_from_colorref(m_dial_colour));
        m_red[s] = m_settings.g_BallRed[s];
        m_green[s] = m_settings.g_BallGreen[s];
        m_blue[s] = m_settings.g_BallBlue[s];
        draw_swatch(n, ignored);
    }
    m_selected = 10;
    ShowSelectedBall(10, ignored);

    // The check items and options show the settings themselves; the bars
    // take their values, or keep their first position when a value lies
    // outside their range.
    m_speed.set_value(m_settings.g_Speed);
    m_path = m_settings.g_BackgroundPicturePath;
    m_pc_spec.set_value(m_settings.g_PcSpec);
}

const ScrollBar& DialogModel::bar(int index) const { return bar_of(*this, index); }

ScrollBar& DialogModel::bar_at(int index) { return bar_of(*this, index); }

bool DialogModel::any_action_enabled() const
{
    // Every action is looked at: any one enabled is enough.
    for (std::size_t n = 1; n <= 20; ++n)
        if (m_settings.g_ActionEnabled[n] == 1)
            return true;
    return false;
}

Settings DialogModel::values_to_save() const
{
    // The check items and options are the settings' own values already.
    Settings values = m_settings;
    for (std::size_t n = 1; n <= 11; ++n) {
        values.g_BallRed[n] = m_red[n];
        values.g_BallGreen[n] = m_green[n];
        values.g_BallBlue[n] = m_blue[n];
    }
    values.g_BackgroundColor = std::int32_t(m_dial_colour);
    values.g_Speed = std::int16_t(m_speed.value());
    values.g_PcSpec = std::int16_t(m_pc_spec.value());
    values.g_BackgroundPicturePath = m_path;
    return values;
}

// ---- check items and options: they act at the press, of any mouse button

Stale DialogModel::Img_Action_Kind_MouseDown(int i)
{
    if (i < 1 || i > 20)
        return {};
    std::int16_t& enabled = m_settings.g_ActionEnabled[std::size_t(i)];
    enabled = enabled == 1 ? 0 : 1;
    return {{ControlKind::CheckMark, i}};
}

Stale DialogModel::Img_Opt_Ptn_MouseDown(int i)
{
    m_settings.g_OrderMode = std::int16_t(i);
    return {{ControlKind::OrderMark, 1}, {ControlKind::OrderMark, 2}};
}

Stale DialogModel::Img_Opt_bk_MouseDown(int i)
{
    // Only the mark changes: option 4 asks for no picture and option 2 for
    // no colour; those have buttons of their own.
    m_settings.g_BackgroundMode = std::int16_t(i);
    Stale stale;
    for (int k = 1; k <= 4; ++k)
        stale.push_back({ControlKind::BackgroundMark, k});
    return stale;
}

Stale DialogModel::Img_Opt_bk_G_MouseDown(int i)
{
    m_settings.g_BackgroundArrangement = std::int16_t(i);
    return {{ControlKind::ArrangementMark, 1}, {ControlKind::ArrangementMark, 2}};
}

// There is no command that clears them all.
Stale DialogModel::select_all_actions()
{
    Stale stale;
    for (int n = 1; n <= 20; ++n) {
        m_settings.g_ActionEnabled[std::size_t(n)] = 1;
        stale.push_back({ControlKind::CheckMark, n});
    }
    return stale;
}

// ---- the colour dial

void DialogModel::draw_swatch(int n, Stale& stale)
{
    const auto s = slot(n);
    if (s == 0)
        return;
    DrawBallSwatch(m_swatches[s], n, m_red[s], m_green[s], m_blue[s]);
    stale.push_back({ControlKind::Swatch, n});
}

void DialogModel::ShowSelectedBall(int n, Stale& stale)
{
    // The dial's own drawing is only the mark: moving it clears the old one.
    const gfx::Point offset = mark_offset(n);
    m_mark_centre = gfx::Point{gfx::floor_int(kCenterX + offset.x), gfx::floor_int(kCenterY + offset.y)};
    stale.push_back({ControlKind::Dial, 0});

    // The bars show the ball's colour; the guard keeps their change from
    // being taken for an edit.
    m_sync = false;
    show_colour_on_bars(n, stale);
    m_sync = true;
}

// A component above 127 cannot be shown: that bar stays where it was. Each
// bar that moves runs its handler, as any change of a bar does.
void DialogModel::show_colour_on_bars(int n, Stale& stale)
{
    const auto s = slot(n);
    const int components[3] = {m_red[s], m_green[s], m_blue[s]};
    for (int j = 1; j <= 3; ++j)
        if (m_rgb[std::size_t(j - 1)].set_value(components[j - 1])) {
            H_RGB_Change(j, stale);
            stale.push_back({ControlKind::ScrollBar, j});
        }
}

Stale DialogModel::Pic_Mas_Click(int n)
{
    if (slot(n) == 0)
        return {};
    // Clearing the guard first keeps the bars' change from being copied into
    // the ball selected until now.
    Stale stale;
    m_sync = false;
    show_colour_on_bars(n, stale);
    ShowSelectedBall(n, stale);
    m_sync = true;
    m_selected = std::int16_t(n);
    return stale;
}

void DialogModel::H_RGB_Change(int j, Stale& stale)
{
    if (!m_sync)
        return;
    const auto s = slot(m_selected);
    const auto value = std::int16_t(m_rgb[std::size_t(j - 1)].value());
    switch (j) {
    case BarIndex::RedBar: m_red[s] = value; break;
    case BarIndex::GreenBar: m_green[s] = value; break;
    case BarIndex::BlueBar: m_blue[s] = value; break;
    default: return;
    }
    draw_swatch(m_selected, stale);
}

Stale DialogModel::set_dial_colour(gfx::ColorRef colour)
{
    // The chosen colour lives in the dial alone; "設 定" writes it from there.
    // It does not select the single-colour background: that stays the
    // user's own choice.
    Stale stale;
    m_dial_colour = colour & 0xFFFFFF;
    for (int n = 1; n <= 11; ++n) {
        m_swatches[slot(n)].fill(gfx::pixel_from_colorref(m_dial_colour));
        draw_swatch(n, stale);
    }
    m_selected = 10;
    ShowSelectedBall(10, stale);
    return stale;
}

Stale DialogModel::set_picture_path(std::string path)
{
    m_path = std::move(path);
    return {{ControlKind::PathBox, 0}};
}

// ---- the faces of the buttons

Stale DialogModel::press_button(int button)
{
    m_pressed_button = button;
    return {{ControlKind::ButtonFace, button}, {ControlKind::ButtonCaption, button}};
}

Stale DialogModel::release_button(int button)
{
    if (m_pressed_button == button)
        m_pressed_button.reset();
    return {{ControlKind::ButtonFace, button}, {ControlKind::ButtonCaption, button}};
}

Stale DialogModel::press_close(bool down)
{
    m_close_pressed = down;
    return {{ControlKind::CloseButton, 0}};
}

// ---- the bars

void DialogModel::bar_changed(int index, Stale& stale)
{
    // The colour bars redraw their ball at every change; the other two are
    // only read when the settings are saved.
    if (index >= BarIndex::RedBar && index <= BarIndex::BlueBar)
        H_RGB_Change(index, stale);
}

Stale DialogModel::press_bar(int index, int x, int y)
{
    Stale stale;
    if (bar_at(index).press(x, y))
        bar_changed(index, stale);
    stale.push_back({ControlKind::ScrollBar, index});
    return stale;
}

Stale DialogModel::drag_bar(int index, int x, int y)
{
    ScrollBar& held = bar_at(index);
    if (held.held() == ScrollBar::Part::None)
        return {}; // held by another button than the left: the bar ignores it
    Stale stale;
    if (held.move(x, y))
        bar_changed(index, stale); // a dragged thumb changes the value at every move
    // A held arrow or track side looks pressed only while the pointer is on it.
    stale.push_back({ControlKind::ScrollBar, index});
    return stale;
}

Stale DialogModel::repeat_bar(int index)
{
    Stale stale;
    if (bar_at(index).repeat())
        bar_changed(index, stale);
    stale.push_back({ControlKind::ScrollBar, index});
    return stale;
}

Stale DialogModel::release_bar(int index)
{
    bar_at(index).release();
    return {{ControlKind::ScrollBar, index}};
}

Stale DialogModel::key_bar(int index, BarKey key, int direction)
{
    ScrollBar& b = bar_at(index);
    const bool changed = key == BarKey::Small   ? b.nudge(direction)
                         : key == BarKey::Large ? b.page(direction)
                                                : b.to_end(direction);
    Stale stale;
    if (changed)
        bar_changed(index, stale);
    stale.push_back({ControlKind::ScrollBar, index});
    return stale;
}

} // namespace dialog
