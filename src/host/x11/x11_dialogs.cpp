#include "host/x11/x11_host_impl.h"

#include "host/x11/gtk_dialogs.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

// The system's dialogs, from GTK 3 (desktop_host.h), over our windows.
// While a dialog runs, our own windows are repainted from their frames but
// get no input: the dialog is modal, and what is sent to them meanwhile is
// dropped.
namespace host::x11 {

void X11Host::gtk_started()
{
    // GDK puts its own X error handler in place for every connection; ours
    // goes back in front, passing GDK's connection on to it.
    install_error_handler(m_display);
}

GtkDialogLoop X11Host::dialog_loop(host::Window* owner)
{
    GtkDialogLoop loop;
    // Input to our windows meanwhile is dropped as it comes, and what came
    // last once the dialog has gone: none of it is acted on later.
    loop.serve = [this] {
        drop_input();
        repaint_exposed();
    };
    if (m_options.end_on_signals)
        loop.end = [this] { end_process(0); };
    loop.before_run = [owner](GtkWidget* dialog) {
        gtk_widget_realize(dialog);
        if (!owner)
            return;
        GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(),
                                                                    ::Window(owner->native_handle()));
        if (foreign) {
            gdk_window_set_transient_for(gtk_widget_get_window(dialog), foreign);
            g_object_unref(foreign);
        }
    };
    loop.after_close = [this] {
        drop_input();
        repaint_exposed();
    };
    return loop;
}

} // namespace host::x11
