// A window of the headless host; see headless_window.h.
#include "host/headless/headless_window.h"

#include "gfx/raster.h"
#include "gfx/rect_set.h"
#include "host/headless/headless_host.h"

#include <algorithm>

namespace host {

HeadlessWindow::HeadlessWindow(HeadlessHost& host, WindowHandler& handler,
                               const WindowOptions& options, std::size_t record,
                               NativeHandle handle)
    : LoopWindow(host.loop(), handler, options), m_host(&host), m_record(record), m_handle(handle)
{
}

HeadlessWindow::~HeadlessWindow()
{
    if (m_host)
        m_host->window_destroyed(*this);
}

void HeadlessWindow::refresh()
{
    if (!m_host)
        return;
    WindowRecord& record = m_host->record_of(*this);
    record.last_refresh = frame().rect();
    record.last_refresh_areas.assign(1, frame().rect());
    m_host->window_refreshed(*this);
}

void HeadlessWindow::refresh_areas(std::span<const gfx::Rect> areas)
{
    if (!m_host)
        return;
    WindowRecord& record = m_host->record_of(*this);
    ++record.area_refreshes;
    record.last_refresh_areas.assign(areas.begin(), areas.end());
    record.last_refresh = {};
    for (const gfx::Rect& area : areas)
        record.last_refresh = record.last_refresh.united(area);
    m_host->window_refreshed(*this);
}

void HeadlessWindow::set_cursor_picture(const CursorPicture* cursor)
{
    if (m_host)
        m_host->record_of(*this).custom_cursor = cursor != nullptr;
}

void HeadlessWindow::set_title(std::string_view utf8)
{
    if (m_host)
        m_host->record_of(*this).title = utf8;
}

void HeadlessWindow::move(gfx::Rect rect)
{
    rect.width = std::max(rect.width, 0);
    rect.height = std::max(rect.height, 0);
    if (m_host)
        m_host->record_of(*this).rect = rect;
    // The frame follows the new size; what overlaps is kept.
    resize_frame(rect.width, rect.height);
}

void HeadlessWindow::show(bool visible)
{
    if (!m_host)
        return;
    WindowRecord& record = m_host->record_of(*this);
    record.shown = visible;
    record.ever_shown = record.ever_shown || visible;
}

void HeadlessWindow::set_topmost(bool on)
{
    if (m_host)
        m_host->record_of(*this).topmost = on;
}

void HeadlessWindow::set_timer(int interval_ms)
{
    LoopWindow::set_timer(interval_ms);
    if (m_host)
        m_host->record_of(*this).timer_interval_ms = timer().interval();
}

} // namespace host
