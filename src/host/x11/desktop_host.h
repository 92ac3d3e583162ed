#pragma once

// What the two Linux desktop hosts (x11/ and wayland/) do alike, written
// once: text with Pango, pictures decoded in a child process, GTK's
// dialogs, and the instance claimed with a lock file. Each host derives from
// DesktopHost and supplies what differs through the hooks below. Included
// only by the files of src/host/x11 and src/host/wayland.
#include "host/run_loop.h"
#include "host/system_text.h"
#include "host/x11/gtk_dialogs.h"

#include <string>
#include <vector>

namespace host::x11 {

class DesktopHost : public LoopHost {
public:
    ~DesktopHost() override;

    // Decoded in a child process, bounded in time and memory
    // (gdk/picture_process.h); meanwhile the loop goes on (wait_for_decoder),
    // so input reaches the windows and an end signal ends the program as at
    // any other moment.
    PictureResult load_picture(const std::string& path_utf8, gfx::Surface& out) final;
    TextService& text() final { return m_text; }

    // A lock file per display in a folder only this user can write to
    // (instance_lock.h), named by instance_lock_name().
    InstanceClaim claim_instance() final;
    bool instance_claimed_elsewhere() final;

    // GTK 3's dialogs (gtk_dialogs.h). GTK is started only when a dialog is
    // first needed (the saver itself never needs it); if it cannot start, a
    // message goes to standard error and a chooser answers as if cancelled.
    void message_box(host::Window* owner, std::string_view text_utf8, std::string_view title_utf8,
                     MessageStyle style) final;
    std::optional<gfx::ColorRef> choose_color(host::Window* owner, gfx::ColorRef initial) final;
    std::optional<std::string> choose_picture_file(host::Window* owner,
                                                   const PictureFileRequest& request) final;
    // Through GIO's handler for the address, else xdg-open.
    void open_url(std::string_view url) final;

protected:
    DesktopHost() = default;

    // The lock file's name, one per display (for example "orvelune-:0.lock").
    virtual std::string instance_lock_name() = 0;
    // Its full path: by default instance_lock_name() in the folder
    // instance_lock_path() picks; "" with the reason in `error` when there
    // is no folder for it.
    virtual std::string instance_lock_file(std::string& error);
    // Waits while a picture decodes: until the decoder's pipe `decoder_fd`
    // is readable, the display has something to say or `timeout_ms` have
    // passed, ending the process on an end signal. The input that came is
    // delivered after it returns.
    virtual void wait_for_decoder(int decoder_fd, int timeout_ms) = 0;
    // The modal loop a GTK dialog over `owner` (which may be null) runs in.
    virtual GtkDialogLoop dialog_loop(host::Window* owner) = 0;
    // Called once, after GTK was first asked to start (whether it could).
    virtual void gtk_started() {}

private:
    bool ensure_gtk();

    SystemText m_text;
    int m_instance_fd = -1; // the claimed lock file
    int m_gtk_state = 0;    // 0 untried, 1 ready, -1 cannot start
};

// Other programs we start (x11_process.cpp).
// The full path of the program `name` along $PATH, else in one of
// `extra_folders`; empty when there is none.
std::string find_program(const std::string& name, const std::vector<std::string>& extra_folders = {});
// Starts the program at `path` with these arguments (argv[0] included) so
// that it outlives its part in ours: through an intermediate process that
// ends at once, so that nothing is left for us to reap. False when it could
// not be started.
bool spawn_detached(const std::string& path, const std::vector<std::string>& argv);

} // namespace host::x11
