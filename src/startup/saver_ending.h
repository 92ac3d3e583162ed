#pragma once

#include "engine/random.h"
#include "engine/saver_window.h"
#include "host/host.h"
#include "settings/settings.h"

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
    bool m_loaded = false;
};

// Loads the saver and runs the host's loop until the saver ends. When the
// monitors change under it (Ball_A::monitors_changed()), a new saver is
// loaded on the monitors as they are then, the figures starting over with
// the opening; the old one's windows stay until the new one's are up, so no
// desktop shows between. False when no saver window could be opened.
bool run_saver(host::Host& host, Settings& settings, Random& random, const SaverStart& start,
               SaverEnding& ending);
