// See frame_timeline.h.
#include "frame_timeline.h"

#include <algorithm>

std::int64_t FrameTimeline::units(std::int64_t ms) const
{
    const std::int64_t scaled = ms * m_clock.units_per_second;
    return m_clock.constant_rate ? (scaled + 999) / 1000 : (scaled + 500) / 1000;
}

bool FrameTimeline::show(std::int64_t start, std::int64_t length)
{
    if (length <= 0)
        return true;
    ++m_shown;
    m_next = start + length;
    return m_show(m_picture, start, length);
}

std::int64_t FrameTimeline::place(std::int64_t at_ms)
{
    std::int64_t at = units(std::max(at_ms - m_first_ms, std::int64_t(0))) + m_shift;
    if (at_ms <= m_latest_ms) {
        // The pending picture starts where the file has got to (video), or
        // where its own time began (images).
        const std::int64_t start = m_clock.constant_rate ? std::max(m_start, m_next) : m_start;
        const std::int64_t end = start + std::max(m_clock.held_length, m_clock.min_length);
        if (at < end) {
            m_shift += end - at;
            at = end;
        }
    }
    m_latest_ms = std::max(m_latest_ms, at_ms);
    return at;
}

bool FrameTimeline::add(std::int64_t at_ms, const gfx::Surface& picture)
{
    if (!m_pending) {
        m_first_ms = at_ms;
        m_latest_ms = at_ms;
        m_picture = picture;
        m_pending = true;
        m_start = 0;
        return true;
    }
    const std::int64_t at = place(at_ms);
    bool ok = true;
    if (m_clock.constant_rate) {
        const std::int64_t start = std::max(m_start, m_next);
        ok = show(start, at - start);
        m_start = at;
    } else if (at - m_start >= m_clock.min_length) {
        ok = show(m_start, at - m_start);
        m_start = at;
    }
    // Too short to be shown: the newer picture takes the older's place.
    m_picture = picture;
    return ok;
}

bool FrameTimeline::finish(std::int64_t end_ms)
{
    if (!m_pending)
        return true;
    m_pending = false;
    const std::int64_t start = std::max(m_start, m_next);
    const std::int64_t end = std::max(place(end_ms), start + m_clock.min_length);
    return show(start, end - start);
}
