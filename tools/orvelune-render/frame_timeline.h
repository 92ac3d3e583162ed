#pragma once

#include "gfx/surface.h"

#include <cstdint>
#include <functional>

// Turns frames presented on the saver's virtual clock into the frames of an
// animated file, so that the file plays at the saver's own speed.
//
// A file's clock counts in units of 1/units_per_second of a second. Image
// formats give each picture its own length in those units; a frame shorter
// than `min_length` units is never shown alone: the next picture takes its
// place from its start. Video formats show one picture per unit, at a
// constant rate: each unit shows the latest frame presented by its start, so
// a frame is repeated for as long as it stays and one shorter than a unit
// may never be shown.
//
// A frame presented no later than the one before it (the saver's pause of
// 0, which draws as fast as the machine can) has no time of its own on the
// clock: rather than lose it, the frame before it is shown for
// `held_length` units and everything after moves that much later, so that
// every frame is seen.
struct FileClock {
    int units_per_second = 1000;
    int min_length = 1;
    bool constant_rate = false;
    int held_length = 1;
};

class FrameTimeline {
public:
    // `show` receives each settled picture, where it starts and how many
    // units it lasts, in order; false from it ends the timeline's work.
    using Show = std::function<bool(const gfx::Surface& picture, std::int64_t start,
                                    std::int64_t length)>;

    FrameTimeline(FileClock clock, Show show) : m_clock(clock), m_show(std::move(show)) {}

    // A frame presented at `at_ms` on the virtual clock (never earlier than
    // the one before). The picture is copied: the caller may draw on.
    bool add(std::int64_t at_ms, const gfx::Surface& picture);
    // The last frame stays until `end_ms`, and at least for one shortest
    // frame (or one unit of video).
    bool finish(std::int64_t end_ms);

    std::int64_t pictures_shown() const { return m_shown; }

private:
    // Milliseconds since the first frame, to units: rounded to the nearest
    // for image formats, up for video (a unit starting inside a frame shows
    // the frame before it).
    std::int64_t units(std::int64_t ms) const;
    bool show(std::int64_t start, std::int64_t length);
    // `at_ms` in units, after the frames of no time before it, and moved
    // later when it is one of those itself.
    std::int64_t place(std::int64_t at_ms);

    FileClock m_clock;
    Show m_show;
    bool m_pending = false;
    gfx::Surface m_picture;         // the latest frame, not yet shown
    std::int64_t m_first_ms = 0;    // when the first frame was presented
    std::int64_t m_latest_ms = 0;   // when the pending picture was
    std::int64_t m_shift = 0;       // units added for frames of no time
    std::int64_t m_start = 0;       // where the pending picture starts, in units
    std::int64_t m_next = 0;        // the first unit not yet shown
    std::int64_t m_shown = 0;
};
