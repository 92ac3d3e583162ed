#include "engine/saver_window.h"

#include "common/window_titles.h"
#include "engine/ball_geometry.h"
#include "gfx/color.h"
#include "gfx/numeric.h"
#include "settings/settings_keys.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTimerIntervalMs = 10;

// Thrown through a running action when the monitors change under it, and
// caught where the tick began: the action is laid out for a screen that is
// gone, and a new saver plays on the new one.
struct MonitorsChanged {};

// A value outside its key's range is taken at the nearer bound.
template <typename Int>
bool bring_into_range(Int& value, SettingKind kind)
{
    const SettingRange range = *setting_range(kind);
    if (value < range.lowest) {
        value = Int(range.lowest);
        return true;
    }
    if (value > range.highest) {
        value = Int(range.highest);
        return true;
    }
    return false;
}

} // namespace

Ball_A::Ball_A(host::Host& host_, Settings& settings_, Random& random_, SaverStart start_,
               Trace* trace_, SaverEnding* ending_)
    : m_host(host_), m_settings(settings_), m_random(random_), m_start(start_), m_ending(ending_),
      m_stage(settings_, &host_, trace_, start_.full_redraw),
      m_glides(m_stage, settings_, m_formation, random_, [this](int ms) { pause(ms); })
{
    // The factor the loader derived from a speed in range is kept as it is.
    if (bring_into_range(m_settings.g_Speed, SettingKind::Speed))
        m_settings.g_SpeedFactor = speed_factor_for(m_settings.g_Speed);
    bring_into_range(m_settings.g_PcSpec, SettingKind::PcSpec);
}

Ball_A::~Ball_A() = default;

// A borderless window over the primary monitor, still hidden, and its frame
// and the background picture filled with the background colour; the other
// monitors get their covers, hidden too. The primary monitor is the screen
// for everything the saver draws. False when the host gives no window.
bool Ball_A::open_full_screen_window()
{
    std::vector<gfx::Rect> monitors = m_host.monitors();
    if (monitors.empty()) {
        const host::Size screen = m_host.screen_size();
        monitors.push_back({0, 0, screen.width, screen.height});
    }
    const gfx::Rect primary = monitors.front();
    const host::Size screen{primary.width, primary.height};
    m_screen_width = screen.width;
    m_screen_height = screen.height;

    m_window = m_host.create_window(
        {.title = kSaverWindowTitle, .rect = primary, .borderless = true, .visible = false}, *this);
    if (!m_window)
        return false;

    const gfx::Pixel background = gfx::pixel_from_colorref(m_settings.g_BackgroundColor);
    m_stage.attach(m_window->frame(), m_window.get(), background);
    m_covers = open_monitor_covers(*this, monitors);
    return true;
}

// The load handler, step by step: the window and its surfaces, the places
// every figure starts from, the sprites and the background, then the timer.
void Ball_A::on_load()
{
    if (m_ending)
        m_ending->saver_loading();

    if (!open_full_screen_window())
        return; // no window, nothing to draw on: the saver cannot run

    m_formation = Formation(m_screen_width, m_screen_height);
    m_scheduler.reset(); // the first tick builds a new order and plays the opening

    ComposeBackground();

    // The covers go up first, so that where monitors overlap (a larger one
    // mirroring the primary) the saver's own window ends on top.
    for (const std::unique_ptr<MonitorCover>& cover : m_covers) {
        cover->window()->show(true);
        cover->window()->set_topmost(true);
        cover->window()->refresh();
    }
    m_window->set_timer(kTimerIntervalMs);
    m_window->show(true);
    m_window->set_topmost(true);
}

void Ball_A::Display_MouseDown(int /*button*/, double /*x*/, double /*y*/)
{
    EndSaver();
}

// Only a move that changes both coordinates from the reference ends the
// saver, so a pointer nudged along one axis (a desk knock, a jittery mouse)
// does not. The first move after the window shows only records where the
// pointer is. With an empty command line only a click ends the saver.
void Ball_A::Display_MouseMove(float x, float y)
{
    if (m_start.command_line_empty)
        return;
    if (!m_mouse_ref_set) {
        m_mouse_ref_x = x;
        m_mouse_ref_y = y;
        m_mouse_ref_set = true;
        return;
    }
    if (x != m_mouse_ref_x && y != m_mouse_ref_y) {
        m_mouse_ref_set = false;
        EndSaver();
    }
}

void Ball_A::EndSaver()
{
    if (m_ending)
        m_ending->end_saver(m_window.get());
    else
        m_host.end_process(0);
}

void Ball_A::on_mouse_down(int button, double x, double y)
{
    Display_MouseDown(button, x, y);
}

void Ball_A::on_mouse_move(int /*buttons*/, double x, double y)
{
    Display_MouseMove(float(x), float(y));
}

void Ball_A::on_timer()
{
    // No tick of a saver whose monitors changed, nor one nested in another.
    if (m_monitors_changed)
        return;
    struct InTick {
        bool& flag;
        explicit InTick(bool& f) : flag(f) { flag = true; }
        ~InTick() { flag = false; }
    } in_tick(m_in_tick);
    try {
        on_tick();
    } catch (const MonitorsChanged&) {
        // Given up where it stood; on_monitors_changed() has ended the loop.
    }
}

void Ball_A::on_monitors_changed()
{
    if (m_monitors_changed)
        return;
    m_monitors_changed = true;
    stop();
    m_host.quit();
    // Out of the action that runs, back to where its tick began: the loop
    // then ends as soon as the tick has returned.
    if (m_in_tick)
        throw MonitorsChanged{};
}

void Ball_A::stop()
{
    if (m_window)
        m_window->set_timer(0);
}

void Ball_A::pause(int ms)
{
    ms = std::max(ms, 0);
    if (trace())
        trace()->sleep(ms);
    m_host.sleep_ms(ms);
}

void Ball_A::do_events()
{
    m_host.process_pending_messages();
}
