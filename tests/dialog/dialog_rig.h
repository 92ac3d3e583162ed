#pragma once

// The settings dialog on a headless host, driven through the host's input
// like a person with a mouse: presses, moves and releases on controls named
// as the design names them, with the virtual clock running between.
// The folders, files and settings come from the settings tests' helpers:
// TempFolder, ReadBytes, WriteBytes, Sjis and Loaded (the defaults, as a
// missing file loads them, saving to that file).
#include "dialog/ball_p.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"
#include "settings/settings_test_support.h"

#include <memory>
#include <string>
#include <string_view>

namespace dialogtest {

class DialogRig {
public:
    explicit DialogRig(Settings settings, host::HeadlessOptions options = {});

    host::HeadlessHost host;
    Settings settings;
    std::unique_ptr<Ball_P> dialog;
    DialogSeams seams; // with the readme's address as an installed program has it

    // Loads the dialog (the seams as set by then).
    void load();

    // A point of a control, in window pixels: its centre, or the given
    // offset from its top-left corner.
    gfx::Point centre(std::string_view control) const;
    gfx::Point at(std::string_view control, int dx, int dy) const;

    void press(gfx::Point p, int button = host::kLeftButton);
    void release(gfx::Point p, int button = host::kLeftButton);
    void move(gfx::Point p);
    void click(gfx::Point p, int button = host::kLeftButton);
    void click(std::string_view control, int button = host::kLeftButton) { click(centre(control), button); }
    void key(host::Key key);
    // Lets `ms` of virtual time pass, with every timer tick on the way.
    void wait(int ms);

    const gfx::Surface& picture() const { return dialog->picture(); }
    // The window's pixels of a control's rectangle.
    gfx::Surface region(std::string_view control) const;
    const host::WindowRecord& record() const;

private:
    void send(host::MouseEventKind kind, gfx::Point p, int button);
};

} // namespace dialogtest
