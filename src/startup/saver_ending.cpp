#include "startup/saver_ending.h"

#include <memory>

void SaverEndingPolicy::saver_loading()
{
    // A saver loaded again on new monitors finds the cursor as the first left it.
    if (m_saver_mode && !m_loaded)
        m_cursor_count = m_host.show_cursor(false);
    m_loaded = true;
}

void SaverEndingPolicy::end_saver(host::Window* window)
{
    // The cursor is shown for the password dialog (any non-zero counter asks
    // to show) and hidden again when the password is refused, so the saver
    // goes on exactly as it was.
    if (m_saver_mode && !m_host.is_nt_platform() && window) {
        m_cursor_count = m_host.show_cursor(m_cursor_count != 0);
        if (!m_host.verify_screen_saver_password(*window)) {
            m_cursor_count = m_host.show_cursor(false);
            return;
        }
    }

    if (m_saver_mode) {
        m_host.set_screen_saver_running(false);
        m_cursor_count = m_host.show_cursor(m_cursor_count != 0);
    }
    m_host.set_screen_saving_active(true);
    m_host.end_process(0);
}

bool run_saver(host::Host& host, Settings& settings, Random& random, const SaverStart& start,
               SaverEnding& ending)
{
    std::unique_ptr<Ball_A> saver;
    do {
        auto next = std::make_unique<Ball_A>(host, settings, random, start, nullptr, &ending);
        next->on_load();
        if (!next->window())
            return false;
        saver = std::move(next); // the old saver's windows go now
        host.run();
    } while (saver->monitors_changed());
    return true;
}
