#include "host/x11/x11_host_impl.h"

#include "host/message_text.h"
#include "host/x11/x11_signals.h"

#include <gdk/gdkx.h>
#include <glib-unix.h>
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

namespace {

// How often our windows are repainted while a dialog holds the loop.
constexpr guint kRepaintIntervalMs = 50;

gboolean repaint_tick(gpointer host)
{
    static_cast<X11Host*>(host)->repaint_exposed();
    return G_SOURCE_CONTINUE;
}

// SIGTERM, SIGINT or SIGHUP while a dialog holds the loop: the pipe of the signal
// handlers wakes GTK's loop, and the process ends as it would in ours.
gboolean end_on_signal(gint, GIOCondition, gpointer host)
{
    static_cast<X11Host*>(host)->end_process(0);
    return G_SOURCE_REMOVE; // not reached: the process has ended
}

// Runs a dialog modally over `owner`, keeping our windows painted. The
// dialog stays alive, so that its answer can be read; close_dialog ends it.
gint run_modal(X11Host& host, GtkWidget* dialog, host::Window* owner)
{
    gtk_widget_realize(dialog);
    if (owner) {
        GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(
            gdk_display_get_default(), ::Window(owner->native_handle()));
        if (foreign) {
            gdk_window_set_transient_for(gtk_widget_get_window(dialog), foreign);
            g_object_unref(foreign);
        }
    }
    const guint repaint = g_timeout_add(kRepaintIntervalMs, repaint_tick, &host);
    const bool watch_signals = host.options().end_on_signals && EndSignals::read_fd() >= 0;
    const guint signals = watch_signals
                              ? g_unix_fd_add(EndSignals::read_fd(), G_IO_IN, end_on_signal, &host)
                              : 0;
    // A signal that came before the dialog has already been written to the pipe.
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (signals)
        g_source_remove(signals);
    g_source_remove(repaint);
    return response;
}

void close_dialog(X11Host& host, GtkWidget* dialog)
{
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();
    host.repaint_exposed();
}

// The sixteen custom colours a colour chooser offers: the system's display
// colours 0 to 15. Linux has no such colours of its own, so those of the
// classic desktop scheme stand in (scroll bar, desktop, captions, menus,
// windows, frames, texts, borders, workspace, highlight, button face).
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

void X11Host::message_box(host::Window* owner, std::string_view text_utf8,
                          std::string_view title_utf8, MessageStyle style)
{
    const std::string title(title_utf8);
    if (!ensure_gtk()) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), std::string(text_utf8).c_str());
        return;
    }
    // A long path, which has no blanks to break at, is broken (or loses its
    // middle) so that the box stays within the screen.
    const std::string text = message_box_text(text_utf8);
    GtkWidget* dialog = gtk_message_dialog_new(
        nullptr, GTK_DIALOG_MODAL,
        style == MessageStyle::Exclamation ? GTK_MESSAGE_WARNING : GTK_MESSAGE_INFO,
        GTK_BUTTONS_OK, "%s", text.c_str());
    // Lines too long for the box are broken between words, or inside a
    // word that is longer than a line.
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    GList* labels = gtk_container_get_children(GTK_CONTAINER(area));
    for (GList* item = labels; item; item = item->next)
        if (GTK_IS_LABEL(item->data))
            gtk_label_set_line_wrap_mode(GTK_LABEL(item->data), PANGO_WRAP_WORD_CHAR);
    g_list_free(labels);
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    run_modal(*this, dialog, owner);
    close_dialog(*this, dialog);
}

std::optional<gfx::ColorRef> X11Host::choose_color(host::Window* owner, gfx::ColorRef initial)
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
    const bool ok = run_modal(*this, dialog, owner) == GTK_RESPONSE_OK;
    if (ok)
        gtk_color_chooser_get_rgba(chooser, &chosen);
    close_dialog(*this, dialog);
    if (!ok)
        return std::nullopt;
    auto channel = [](double v) { return int(v * 255.0 + 0.5); };
    return gfx::colorref(channel(chosen.red), channel(chosen.green), channel(chosen.blue));
}

std::optional<std::string> X11Host::choose_picture_file(host::Window* owner,
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
    // Every other picture the system can read (PNG above all) under a second filter.
    GtkFileFilter* all_pictures = gtk_file_filter_new();
    gtk_file_filter_set_name(all_pictures, "すべての画像ﾌｧｲﾙ (png ほか)");
    gtk_file_filter_add_pixbuf_formats(all_pictures);
    gtk_file_chooser_add_filter(chooser, all_pictures);
    // Without a folder of its own the chooser opens in the user's pictures.
    std::string folder = request.initial_folder;
    if (folder.empty() || !g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR)) {
        const gchar* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
        folder = pictures && g_file_test(pictures, G_FILE_TEST_IS_DIR) ? pictures : g_get_home_dir();
    }
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());

    std::optional<std::string> chosen;
    if (run_modal(*this, dialog, owner) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
            chosen = std::string(name);
            g_free(name);
        }
    }
    close_dialog(*this, dialog);
    return chosen;
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
