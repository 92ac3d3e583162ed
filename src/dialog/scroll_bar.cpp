#include "dialog/scroll_bar.h"

#include "gfx/raster.h"

#include <algorithm>

namespace dialog {

ScrollBar::ScrollBar(int width, int height, int min, int max, int small_change, int large_change)
    : m_width(width), m_height(height), m_min(min), m_max(max), m_small(small_change),
      m_large(large_change), m_value(min)
{
}

bool ScrollBar::set_value(int value)
{
    if (value < m_min || value > m_max || value == m_value)
        return false;
    m_value = value;
    return true;
}

int ScrollBar::arrow_width() const { return std::min(m_height, m_width / 2); }

int ScrollBar::thumb_width() const
{
    return std::clamp(m_height, 0, std::max(m_width - 2 * arrow_width(), 0));
}

int ScrollBar::travel() const { return std::max(m_width - 2 * arrow_width() - thumb_width(), 0); }

int ScrollBar::thumb_left() const
{
    const int range = m_max - m_min;
    if (range <= 0)
        return arrow_width();
    // Rounded to the nearest pixel, as the system places it.
    return arrow_width() + (2 * (m_value - m_min) * travel() + range) / (2 * range);
}

ScrollBar::Part ScrollBar::part_at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return Part::None;
    if (x < arrow_width())
        return Part::LeftArrow;
    if (x >= m_width - arrow_width())
        return Part::RightArrow;
    if (x < thumb_left())
        return Part::TrackLeft;
    if (x >= thumb_left() + thumb_width())
        return Part::TrackRight;
    return Part::Thumb;
}

bool ScrollBar::step(int by)
{
    const int target = std::clamp(m_value + by, m_min, m_max);
    if (target == m_value)
        return false;
    m_value = target;
    return true;
}

bool ScrollBar::press(int x, int y)
{
    m_pointer_x = x;
    m_pointer_y = y;
    m_held = part_at(x, y);
    switch (m_held) {
    case Part::LeftArrow: return step(-m_small);
    case Part::RightArrow: return step(m_small);
    case Part::TrackLeft: return step(-m_large);
    case Part::TrackRight: return step(m_large);
    case Part::Thumb: m_grab_offset = x - thumb_left(); return false;
    case Part::None: return false;
    }
    return false;
}

bool ScrollBar::move(int x, int y)
{
    m_pointer_x = x;
    m_pointer_y = y;
    if (m_held != Part::Thumb)
        return false;
    const int range = m_max - m_min;
    if (travel() <= 0 || range <= 0)
        return false;
    // The value whose thumb position lies nearest the dragged edge.
    const int offset = std::clamp(x - m_grab_offset - arrow_width(), 0, travel());
    const int value = m_min + (2 * offset * range + travel()) / (2 * travel());
    return set_value(std::clamp(value, m_min, m_max));
}

bool ScrollBar::repeat()
{
    // Each part repeats only while the pointer is over it; the track sides
    // are judged afresh, so the stepping ends once the thumb reaches the pointer.
    if (!repeating() || part_at(m_pointer_x, m_pointer_y) != m_held)
        return false;
    switch (m_held) {
    case Part::LeftArrow: return step(-m_small);
    case Part::RightArrow: return step(m_small);
    case Part::TrackLeft: return step(-m_large);
    case Part::TrackRight: return step(m_large);
    default: return false;
    }
}

void ScrollBar::release() { m_held = Part::None; }

namespace {

// A small triangle pointing left (-1) or right (+1), centred in `box`.
void draw_arrow(gfx::Surface& dst, gfx::Rect box, int direction, gfx::Pixel colour)
{
    constexpr int kHalfHeight = 4;
    const int cx = box.x + box.width / 2 - (direction < 0 ? 2 : 1);
    const int cy = box.y + box.height / 2;
    for (int column = 0; column <= kHalfHeight; ++column) {
        const int x = direction < 0 ? cx + column : cx + kHalfHeight - column;
        gfx::fill_box(dst, {x, cy - column, 1, 2 * column + 1}, colour);
    }
}

} // namespace

void ScrollBar::paint(gfx::Surface& dst, gfx::Point origin, const DialogArt& art) const
{
    const int arrow = arrow_width();
    const gfx::Rect track{origin.x + arrow, origin.y, m_width - 2 * arrow, m_height};
    // The track, sunk: a rim above and below, a shadow along its top.
    gfx::fill_box(dst, track, palette::kTrack);
    gfx::fill_box(dst, {track.x, track.y, track.width, 1}, palette::kRim);
    gfx::fill_box(dst, {track.x, track.y + track.height - 1, track.width, 1}, palette::kRim);
    gfx::fill_box(dst, {track.x, track.y + 1, track.width, 2}, palette::kTrackShadow);
    // The held side of the track darkens while its press lasts.
    const int thumb_x = origin.x + thumb_left();
    if (m_held == Part::TrackLeft && part_at(m_pointer_x, m_pointer_y) == Part::TrackLeft)
        gfx::fill_box(dst, {track.x, track.y + 1, thumb_x - track.x, track.height - 2},
                      palette::kTrackPressed);
    if (m_held == Part::TrackRight && part_at(m_pointer_x, m_pointer_y) == Part::TrackRight) {
        const int from = thumb_x + thumb_width();
        gfx::fill_box(dst, {from, track.y + 1, track.x + track.width - from, track.height - 2},
                      palette::kTrackPressed);
    }

    const bool left_down = m_held == Part::LeftArrow && part_at(m_pointer_x, m_pointer_y) == m_held;
    const bool right_down = m_held == Part::RightArrow && part_at(m_pointer_x, m_pointer_y) == m_held;
    const gfx::Rect left{origin.x, origin.y, arrow, m_height};
    const gfx::Rect right{origin.x + m_width - arrow, origin.y, arrow, m_height};
    draw_picture_stretched(dst, left, left_down ? art.Img_On : art.Img_Off, 4);
    draw_picture_stretched(dst, right, right_down ? art.Img_On : art.Img_Off, 4);
    draw_arrow(dst, {left.x + (left_down ? 1 : 0), left.y + (left_down ? 1 : 0), left.width, left.height},
               -1, palette::kArrow);
    draw_arrow(dst, {right.x + (right_down ? 1 : 0), right.y + (right_down ? 1 : 0), right.width, right.height},
               1, palette::kArrow);

    // The thumb: a face with three grip lines.
    if (thumb_width() <= 0)
        return;
    const gfx::Rect thumb{thumb_x, origin.y, thumb_width(), m_height};
    draw_picture_stretched(dst, thumb, art.Img_Off, 4);
    const int grip_x = thumb.x + thumb.width / 2 - 3;
    for (int i = 0; i < 3; ++i) {
        gfx::fill_box(dst, {grip_x + 2 * i + 1, thumb.y + 5, 1, thumb.height - 10}, palette::kGrooveDark);
        gfx::fill_box(dst, {grip_x + 2 * i + 2, thumb.y + 5, 1, thumb.height - 10}, palette::kGrooveLight);
    }
}

} // namespace dialog
