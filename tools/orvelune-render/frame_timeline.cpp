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

bool FrameTimeline::add(std::int64_t at_ms, const gfx::Surface& picture)
{
    if (!m_pending) {
        m_first_ms = at_ms;
        m_picture = picture;
        m_pending = true;
        m_start = 0;
        return true;
    }
    const std::int64_t at = units(std::max(at_ms - m_first_ms, std::int64_t(0)));
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
    const std::int64_t end = std::max(units(std::max(end_ms - m_first_ms, std::int64_t(0))),
                                      start + m_clock.min_length);
    return show(start, end - start);
}
