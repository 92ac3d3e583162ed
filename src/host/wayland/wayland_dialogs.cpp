// The system's dialogs, from GTK 3 on its own connection to the compositor,
// started only when a dialog is first needed; if it cannot start, a message
// goes to standard error and a chooser answers as if cancelled. While a
// dialog runs our connection is still served (the compositor's pings are
// answered, buffers come back) but input to our windows is dropped: the
// dialog is modal.
#include "host/wayland/wayland_host_impl.h"
#include "host/x11/x11_signals.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

namespace host::wl {

namespace {

// How often our connection is served while a dialog holds the loop.
constexpr guint kServeIntervalMs = 50;


gboolean serve_tick(gpointer host)
{
    static_cast<WaylandHost*>(host)->pump(0);
    return G_SOURCE_CONTINUE;
}

gboolean end_on_signal(gint, GIOCondition, gpointer host)
{
    static_cast<WaylandHost*>(host)->end_process(0);
    return G_SOURCE_REMOVE; // not reached: the process has ended
}

gint run_modal(WaylandHost& host, GtkWidget* dialog)
{
    const guint serve = g_timeout_add(kServeIntervalMs, serve_tick, &host);
    const bool watch_signals = host.options().end_on_signals && x11::EndSignals::read_fd() >= 0;
    const guint signals = watch_signals ? g_unix_fd_add(x11::EndSignals::read_fd(), G_IO_IN,
                                                        end_on_signal, &host)
                                        : 0;
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (signals)
        g_source_remove(signals);
    g_source_remove(serve);
    return response;
}

void close_dialog(WaylandHost& host, GtkWidget* dialog)
{
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();
    host.drop_input();
}

// The sixteen custom colours a colour chooser offers, as on X11: the
// classic desktop scheme's display colours 0 to 15.
constexpr gfx::Pixel kSystemColours[16] = {
    0xC8C8C8, 0x008080, 0x000080, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x000080, 0xFFFFFF, 0xC0C0C0,
};

std::vector<std::string> split_patterns(const std::string& patterns)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', start), patterns.size());
        if (end > start)
            out.push_back(patterns.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

bool WaylandHost::ensure_gtk()
{
    if (m_gtk_state == 0)
        m_gtk_state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    return m_gtk_state == 1;
}

void WaylandHost::message_box(host::Window*, std::string_view text_utf8,
                              std::string_view title_utf8, MessageStyle style)
{
    const std::string text(text_utf8);
    const std::string title(title_utf8);
    if (!ensure_gtk()) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    GtkWidget* dialog = gtk_message_dialog_new(
        nullptr, GTK_DIALOG_MODAL,
        style == MessageStyle::Exclamation ? GTK_MESSAGE_WARNING : GTK_MESSAGE_INFO,
        GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    run_modal(*this, dialog);
    close_dialog(*this, dialog);
}

std::optional<gfx::ColorRef> WaylandHost::choose_color(host::Window*, gfx::ColorRef initial)
{
    if (!ensure_gtk())
        return std::nullopt;
    GtkWidget* dialog = gtk_color_chooser_dialog_new(nullptr, nullptr);
    GtkColorChooser* chooser = GTK_COLOR_CHOOSER(dialog);
    gtk_color_chooser_set_use_alpha(chooser, FALSE);
    GdkRGBA custom[16];
    for (int i = 0; i < 16; ++i)
        custom[i] = {gfx::red_of(kSystemColours[i]) / 255.0, gfx::green_of(kSystemColours[i]) / 255.0,
                     gfx::blue_of(kSystemColours[i]) / 255.0, 1.0};
    gtk_color_chooser_add_palette(chooser, GTK_ORIENTATION_HORIZONTAL, 8, 16, custom);
    const gfx::Pixel start = gfx::pixel_from_colorref(initial);
    const GdkRGBA rgba{gfx::red_of(start) / 255.0, gfx::green_of(start) / 255.0,
                       gfx::blue_of(start) / 255.0, 1.0};
    gtk_color_chooser_set_rgba(chooser, &rgba);
    GdkRGBA chosen = rgba;
    const bool ok = run_modal(*this, dialog) == GTK_RESPONSE_OK;
    if (ok)
        gtk_color_chooser_get_rgba(chooser, &chosen);
    close_dialog(*this, dialog);
    if (!ok)
        return std::nullopt;
    auto channel = [](double v) { return int(v * 255.0 + 0.5); };
    return gfx::colorref(channel(chosen.red), channel(chosen.green), channel(chosen.blue));
}

std::optional<std::string> WaylandHost::choose_picture_file(host::Window*,
                                                            const PictureFileRequest& request)
{
    if (!ensure_gtk())
        return std::nullopt;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        request.title.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
        GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, request.filter_name.c_str());
    // GTK's patterns match case-sensitively; the names on disk may be either.
    for (const std::string& pattern : split_patterns(request.filter_patterns)) {
        gtk_file_filter_add_pattern(filter, pattern.c_str());
        gchar* upper = g_ascii_strup(pattern.c_str(), -1);
        gtk_file_filter_add_pattern(filter, upper);
        g_free(upper);
    }
    gtk_file_chooser_add_filter(chooser, filter);
    GtkFileFilter* all_pictures = gtk_file_filter_new();
    gtk_file_filter_set_name(all_pictures, "すべての画像ﾌｧｲﾙ (png ほか)");
    gtk_file_filter_add_pixbuf_formats(all_pictures);
    gtk_file_chooser_add_filter(chooser, all_pictures);
    std::string folder = request.initial_folder;
    if (folder.empty() || !g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR)) {
        const gchar* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
        folder = pictures && g_file_test(pictures, G_FILE_TEST_IS_DIR) ? pictures : g_get_home_dir();
    }
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());

    std::optional<std::string> chosen;
    if (run_modal(*this, dialog) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
            chosen = std::string(name);
            g_free(name);
        }
    }
    close_dialog(*this, dialog);
    return chosen;
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
