#include "engine/monitor_covers.h"

#include "engine/saver_window.h"
#include "gfx/color.h"
#include "settings/setting_choices.h"

bool MonitorCover::open(host::Host& host, const gfx::Rect& monitor, gfx::Pixel colour)
{
    // Untitled: a second start looks for the saver's window alone.
    m_window = host.create_window(
        {.title = {}, .rect = monitor, .borderless = true, .visible = false}, *this);
    if (!m_window)
        return false;
    m_window->frame().fill(colour);
    return true;
}

void MonitorCover::on_mouse_down(int button, double x, double y)
{
    m_saver.Display_MouseDown(button, x + m_offset.x, y + m_offset.y);
}

void MonitorCover::on_mouse_move(int /*buttons*/, double x, double y)
{
    m_saver.Display_MouseMove(float(x + m_offset.x), float(y + m_offset.y));
}

gfx::Pixel monitor_cover_colour(const Ball_A& saver)
{
    if (background_pattern(saver.settings()) == BackgroundPattern::SingleColour)
        return gfx::pixel_from_colorref(saver.settings().g_BackgroundColor);
    return gfx::kBlack;
}

std::vector<std::unique_ptr<MonitorCover>> open_monitor_covers(Ball_A& saver,
                                                               const std::vector<gfx::Rect>& monitors)
{
    std::vector<std::unique_ptr<MonitorCover>> covers;
    if (monitors.size() < 2)
        return covers;
    const gfx::Rect& primary = monitors.front();
    const gfx::Pixel colour = monitor_cover_colour(saver);
    for (std::size_t i = 1; i < monitors.size(); ++i) {
        const gfx::Rect& monitor = monitors[i];
        auto cover = std::make_unique<MonitorCover>(
            saver, gfx::Point{monitor.x - primary.x, monitor.y - primary.y});
        if (cover->open(saver.host(), monitor, colour))
            covers.push_back(std::move(cover));
    }
    return covers;
}
