#pragma once

#include "engine/saver_window.h"
#include "host/host.h"

// Start-up's side of a running saver: the cursor and, on systems outside the
// NT family, the screen-saver password. In saver mode ("/s") the cursor is
// hidden as the saver loads (start-up hid it once already) and shown again
// as it ends; the password is asked before it ends, and a refused password
// keeps it running with the cursor hidden again. With an empty command line
// the cursor is left alone and no password is asked. Either way ending
// re-arms the system's screen saving and ends the process with 0.
class SaverEndingPolicy : public SaverEnding {
public:
    SaverEndingPolicy(host::Host& host, const SaverStart& start)
        : m_host(host), m_saver_mode(start.switch_letter == 'S'), m_cursor_count(start.cursor_count)
    {
    }

    void saver_loading() override;
    void end_saver(host::Window* window) override;

    // The display counter the last cursor call returned.
    int cursor_count() const { return m_cursor_count; }

private:
    host::Host& m_host;
    bool m_saver_mode;
    int m_cursor_count;
};
