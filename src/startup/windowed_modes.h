#pragma once

// The modes that open windows of their own, plugged into start-up the same
// way by every platform's main: the preview pane and the settings dialog with
// its version card. Header-only, because the start-up library itself stays
// free of the dialog and the card; the programs link those.

#include "dialog/ball_p.h"
#include "host/program.h"
#include "startup/preview_window.h"
#include "startup/readme_address.h"
#include "startup/startup.h"
#include "version/ball_v.h"

#include <cstdint>
#include <utility>

inline void plug_in_windowed_modes(StartupSeams& seams, std::uint64_t seed)
{
    seams.run_preview = [](host::Host& h, Settings&, host::NativeHandle parent, host::Size pane) {
        run_preview_pane(h, parent, pane);
    };
    seams.show_settings_dialog = [seed](host::Host& h, Settings& s) {
        // Each showing of the version card draws its turns from here.
        Random card_random(seed);
        DialogSeams dialog_seams;
        dialog_seams.show_version = [&card_random](host::Host& host, const DialogCardView& dialog) {
            show_version_card(host, dialog, card_random);
        };
        dialog_seams.link_address = installed_readme_address(host::program_folder());
        run_settings_dialog(h, s, std::move(dialog_seams));
    };
}
