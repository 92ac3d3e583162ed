// The system's dialogs, from GTK 3 on its own connection to the compositor,
// started only when a dialog is first needed; if it cannot start, a message
// goes to standard error and a chooser answers as if cancelled. While a
// dialog runs our connection is still served (the compositor's pings are
// answered, buffers come back) but input to our windows is dropped: the
// dialog is modal.
#include "host/wayland/wayland_host_impl.h"
#include "host/x11/gtk_dialogs.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

namespace host::wl {

bool WaylandHost::ensure_gtk()
{
    if (m_gtk_state == 0)
        m_gtk_state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    return m_gtk_state == 1;
}

x11::GtkDialogLoop WaylandHost::dialog_loop()
{
    x11::GtkDialogLoop loop;
    loop.serve = [this] { pump(0); };
    if (m_options.end_on_signals)
        loop.end = [this] { end_process(0); };
    loop.after_close = [this] { drop_input(); };
    return loop;
}

void WaylandHost::message_box(host::Window*, std::string_view text_utf8, std::string_view title_utf8,
                              MessageStyle style)
{
    if (!ensure_gtk()) {
        std::fprintf(stderr, "%s: %s\n", std::string(title_utf8).c_str(), std::string(text_utf8).c_str());
        return;
    }
    x11::gtk_message_box(dialog_loop(), text_utf8, title_utf8, style);
}

std::optional<gfx::ColorRef> WaylandHost::choose_color(host::Window*, gfx::ColorRef initial)
{
    if (!ensure_gtk())
        return std::nullopt;
    return x11::gtk_choose_color(dialog_loop(), initial);
}

std::optional<std::string> WaylandHost::choose_picture_file(host::Window*,
                                                            const PictureFileRequest& request)
{
    if (!ensure_gtk())
        return std::nullopt;
    return x11::gtk_choose_picture_file(dialog_loop(), request);
}

void WaylandHost::open_url(std::string_view url)
{
    const std::string text(url);
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(text.c_str(), nullptr, &error))
        return;
    if (error)
        g_error_free(error);
    std::fprintf(stderr, "orvelune: cannot open %s: no program for it\n", text.c_str());
}

} // namespace host::wl
