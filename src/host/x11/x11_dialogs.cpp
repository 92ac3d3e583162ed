#include "host/x11/x11_host_impl.h"

#include "host/x11/gtk_dialogs.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

// The system's dialogs, from GTK 3. GTK is started only when a dialog is
// first needed (the saver itself never needs it); if it cannot start, a
// message goes to standard error and a chooser answers as if cancelled.
// While a dialog runs, our own windows are repainted from their frames but
// get no input: the dialog is modal.
namespace host::x11 {

bool X11Host::ensure_gtk()
{
    if (m_gtk_state == 0) {
        m_gtk_state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        // GDK puts its own X error handler in place for every connection;
        // ours goes back in front, passing GDK's connection on to it.
        install_error_handler(m_display);
    }
    return m_gtk_state == 1;
}

GtkDialogLoop X11Host::dialog_loop(host::Window* owner)
{
    GtkDialogLoop loop;
    loop.serve = [this] { repaint_exposed(); };
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
    loop.after_close = [this] { repaint_exposed(); };
    return loop;
}

void X11Host::message_box(host::Window* owner, std::string_view text_utf8,
                          std::string_view title_utf8, MessageStyle style)
{
    if (!ensure_gtk()) {
        std::fprintf(stderr, "%s: %s\n", std::string(title_utf8).c_str(), std::string(text_utf8).c_str());
        return;
    }
    gtk_message_box(dialog_loop(owner), text_utf8, title_utf8, style);
}

std::optional<gfx::ColorRef> X11Host::choose_color(host::Window* owner, gfx::ColorRef initial)
{
    if (!ensure_gtk())
        return std::nullopt;
    return gtk_choose_color(dialog_loop(owner), initial);
}

std::optional<std::string> X11Host::choose_picture_file(host::Window* owner,
                                                        const PictureFileRequest& request)
{
    if (!ensure_gtk())
        return std::nullopt;
    return gtk_choose_picture_file(dialog_loop(owner), request);
}

void X11Host::open_url(std::string_view url)
{
    const std::string text(url);
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(text.c_str(), nullptr, &error))
        return;
    if (error)
        g_error_free(error);
    // No desktop handler registered with GIO: ask xdg-open, passing the
    // address as one argument (no shell sees it). It may stay as long as the
    // browser it starts, so it runs detached: nothing is left for us to reap.
    const std::string xdg_open = find_program("xdg-open");
    if (xdg_open.empty() || !spawn_detached(xdg_open, {"xdg-open", text}))
        std::fprintf(stderr, "orvelune: cannot open %s: no program for it\n", text.c_str());
}

} // namespace host::x11
