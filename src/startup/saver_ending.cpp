#include "startup/saver_ending.h"

void SaverEndingPolicy::saver_loading()
{
    if (m_saver_mode)
        m_cursor_count = m_host.show_cursor(false);
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
