#include "host/x11/gtk_dialogs.h"

#include "host/gdk/picture_process.h"
#include "host/message_text.h"
#include "host/x11/x11_signals.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <string>
#include <vector>

namespace host::x11 {

namespace {

// The sixteen custom colours a colour chooser offers: the system's display
// colours 0 to 15. Linux has no such colours of its own, so those of the
// classic desktop scheme stand in (scroll bar, desktop, captions, menus,
// windows, frames, texts, borders, workspace, highlight, button face).
constexpr gfx::Pixel kSystemColours[16] = {
    0xC8C8C8, 0x008080, 0x000080, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x000080, 0xFFFFFF, 0xC0C0C0,
};

// How often the host is served while a dialog holds the loop.
constexpr guint kServeIntervalMs = 50;

// How long the file chooser waits to learn whether the folder it is to open
// in is there: a local folder answers at once.
constexpr int kFolderDeadlineMs = 1000;

gboolean serve_tick(gpointer loop)
{
    static_cast<const GtkDialogLoop*>(loop)->serve();
    return G_SOURCE_CONTINUE;
}

gboolean end_on_signal(gint, GIOCondition, gpointer loop)
{
    static_cast<const GtkDialogLoop*>(loop)->end();
    return G_SOURCE_REMOVE; // not reached: the process has ended
}

// Runs a dialog modally to its response. The dialog stays alive, so that
// its answer can be read; close_dialog ends it.
gint run_modal(const GtkDialogLoop& loop, GtkWidget* dialog)
{
    if (loop.before_run)
        loop.before_run(dialog);
    gpointer data = const_cast<GtkDialogLoop*>(&loop);
    const guint serve = loop.serve ? g_timeout_add(kServeIntervalMs, serve_tick, data) : 0;
    const guint signals =
        loop.end && EndSignals::read_fd() >= 0 ? g_unix_fd_add(EndSignals::read_fd(), G_IO_IN, end_on_signal, data)
                                               : 0;
    // A signal that came before the dialog has already been written to the pipe.
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (signals)
        g_source_remove(signals);
    if (serve)
        g_source_remove(serve);
    return response;
}

void close_dialog(const GtkDialogLoop& loop, GtkWidget* dialog)
{
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();
    if (loop.after_close)
        loop.after_close();
}

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

void gtk_message_box(const GtkDialogLoop& loop, std::string_view text_utf8, std::string_view title_utf8,
                     MessageStyle style)
{
    const std::string title(title_utf8);
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
    run_modal(loop, dialog);
    close_dialog(loop, dialog);
}

std::optional<gfx::ColorRef> gtk_choose_color(const GtkDialogLoop& loop, gfx::ColorRef initial)
{
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
    const bool ok = run_modal(loop, dialog) == GTK_RESPONSE_OK;
    if (ok)
        gtk_color_chooser_get_rgba(chooser, &chosen);
    close_dialog(loop, dialog);
    if (!ok)
        return std::nullopt;
    auto channel = [](double v) { return int(v * 255.0 + 0.5); };
    return gfx::colorref(channel(chosen.red), channel(chosen.green), channel(chosen.blue));
}

std::optional<std::string> gtk_choose_picture_file(const GtkDialogLoop& loop, const PictureFileRequest& request)
{
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
    // The folder of the picture before is looked at by a child, which a
    // dead network mount may hold, never by the dialog.
    std::string folder = request.initial_folder;
    if (folder.empty() || !is_folder_in_child(folder, kFolderDeadlineMs)) {
        const gchar* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
        folder = pictures && g_file_test(pictures, G_FILE_TEST_IS_DIR) ? pictures : g_get_home_dir();
    }
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());

    std::optional<std::string> chosen;
    if (run_modal(loop, dialog) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
            chosen = std::string(name);
            g_free(name);
        }
    }
    close_dialog(loop, dialog);
    return chosen;
}

} // namespace host::x11
