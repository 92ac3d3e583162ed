#pragma once

#include "dialog/artwork.h"
#include "gfx/surface.h"

// A horizontal scroll bar that behaves as the system's do: an arrow button
// at each end steps by the small change, a press on the track steps by the
// large change towards the pointer, and both repeat while the button is held
// (each repeat only while the pointer is still over what was pressed, and
// the track's only until the thumb reaches the pointer); the thumb can be
// dragged. The thumb is a square as wide as the bar is high; the value runs
// from min at the left to max at the right.
//
// Positions are in the bar's own pixels; the bar knows its size. The bar
// does not call anyone: each input function says whether the value changed,
// and the dialog runs the bar's handler then.
namespace dialog {

class ScrollBar {
public:
    enum class Part { None, LeftArrow, RightArrow, TrackLeft, TrackRight, Thumb };

    ScrollBar() = default;
    ScrollBar(int width, int height, int min, int max, int small_change, int large_change);

    int value() const { return m_value; }
    int min() const { return m_min; }
    int max() const { return m_max; }
    // Sets the value and says whether it changed. A value outside min..max
    // cannot be shown: it is refused and the value stays as it was.
    bool set_value(int value);

    // The part under a point of the bar, as things stand.
    Part part_at(int x, int y) const;

    // A press of the left button at (x, y): the value changed?
    bool press(int x, int y);
    // The pointer moved while the press is held: the value changed? (Only a
    // dragged thumb moves at once; arrows and track wait for repeat().)
    bool move(int x, int y);
    // One repeat of a held arrow or track press: the value changed?
    bool repeat();
    // An arrow key: one small step left (direction < 0) or right. The
    // value changed?
    bool nudge(int direction) { return step(direction < 0 ? -m_small : m_small); }
    // Page Up or Page Down: one large step, as a press on the track.
    bool page(int direction) { return step(direction < 0 ? -m_large : m_large); }
    // Home or End: to the left or the right end.
    bool to_end(int direction) { return set_value(direction < 0 ? m_min : m_max); }
    // The button went up; nothing is held any more.
    void release();

    Part held() const { return m_held; }
    // True while an arrow or the track is held, so that repeat() has work.
    bool repeating() const { return m_held != Part::None && m_held != Part::Thumb; }

    // The x of the thumb's left edge.
    int thumb_left() const;
    int thumb_width() const;

    // Draws the bar with its top-left at `origin` of `dst`.
    void paint(gfx::Surface& dst, gfx::Point origin, const DialogArt& art) const;

private:
    int arrow_width() const;
    int travel() const; // pixels the thumb's left edge can move
    bool step(int by);

    int m_width = 0, m_height = 0;
    int m_min = 0, m_max = 0, m_small = 1, m_large = 1;
    int m_value = 0;
    Part m_held = Part::None;
    int m_pointer_x = 0, m_pointer_y = 0;
    int m_grab_offset = 0; // pointer x minus thumb left at the thumb's press
};

} // namespace dialog
