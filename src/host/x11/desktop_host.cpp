// What the Linux desktop hosts share; see desktop_host.h.
#include "host/x11/desktop_host.h"

#include "host/gdk/picture_process.h"
#include "host/x11/instance_lock.h"

#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>

namespace host::x11 {

DesktopHost::~DesktopHost()
{
    if (m_instance_fd >= 0)
        close(m_instance_fd);
}

PictureResult DesktopHost::load_picture(const std::string& path_utf8, gfx::Surface& out)
{
    const Size screen = screen_size();
    const auto wait = [this](int decoder, int timeout_ms) {
        wait_for_decoder(decoder, timeout_ms);
        process_pending_messages();
    };
    return decode_picture_file_in_child(path_utf8, out, picture_pixel_limit(screen.width, screen.height), wait);
}

std::string DesktopHost::instance_lock_file(std::string& error)
{
    return instance_lock_path(instance_lock_name(), error);
}

InstanceClaim DesktopHost::claim_instance()
{
    if (m_instance_fd >= 0)
        return InstanceClaim::Claimed;
    std::string error;
    const std::string path = instance_lock_file(error);
    if (path.empty()) {
        std::fprintf(stderr, "orvelune: cannot make sure only one saver runs: %s\n", error.c_str());
        return InstanceClaim::Unavailable;
    }
    return claim_instance_lock(path, m_instance_fd);
}

bool DesktopHost::instance_claimed_elsewhere()
{
    if (m_instance_fd >= 0)
        return false;
    std::string error;
    const std::string path = instance_lock_file(error);
    return !path.empty() && instance_lock_held_elsewhere(path);
}

namespace {

// GTK's dialogs read and store their settings (the colour chooser its custom
// colours) through dconf, which reaches its service over the session bus.
// Where no bus answers (a bare X server, a shell without a desktop) dconf
// warns on the terminal at every setting it stores: the settings are then
// kept in this process's memory instead, which is all one dialog needs. The
// bus is asked once, before GTK starts; a backend the user chose stays.
void keep_settings_in_memory_without_a_bus()
{
    if (g_getenv("GSETTINGS_BACKEND"))
        return;
    GError* error = nullptr;
    if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error)) {
        g_object_unref(bus);
        return;
    }
    g_clear_error(&error);
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
}

} // namespace

bool DesktopHost::ensure_gtk()
{
    if (m_gtk_state == 0) {
        keep_settings_in_memory_without_a_bus();
        m_gtk_state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        gtk_started();
    }
    return m_gtk_state == 1;
}

void DesktopHost::message_box(host::Window* owner, std::string_view text_utf8, std::string_view title_utf8,
                              MessageStyle style)
{
    if (!ensure_gtk()) {
        std::fprintf(stderr, "%s: %s\n", std::string(title_utf8).c_str(), std::string(text_utf8).c_str());
        return;
    }
    gtk_message_box(dialog_loop(owner), text_utf8, title_utf8, style);
}

std::optional<gfx::ColorRef> DesktopHost::choose_color(host::Window* owner, gfx::ColorRef initial)
{
    if (!ensure_gtk())
        return std::nullopt;
    return gtk_choose_color(dialog_loop(owner), initial);
}

std::optional<std::string> DesktopHost::choose_picture_file(host::Window* owner,
                                                            const PictureFileRequest& request)
{
    if (!ensure_gtk())
        return std::nullopt;
    return gtk_choose_picture_file(dialog_loop(owner), request);
}

void DesktopHost::open_url(std::string_view url)
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
