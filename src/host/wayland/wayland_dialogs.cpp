// The system's dialogs, from GTK 3 (x11/desktop_host.h) on its own
// connection to the compositor. While a dialog runs our connection is still
// served (the compositor's pings are answered, buffers come back) but input
// to our windows is dropped: the dialog is modal.
#include "host/wayland/wayland_host_impl.h"
#include "host/x11/gtk_dialogs.h"

namespace host::wl {

x11::GtkDialogLoop WaylandHost::dialog_loop(host::Window*)
{
    x11::GtkDialogLoop loop;
    loop.serve = [this] { pump(0); };
    if (m_options.end_on_signals)
        loop.end = [this] { end_process(0); };
    loop.after_close = [this] { drop_input(); };
    return loop;
}

} // namespace host::wl
