#pragma once

#include "gfx/surface.h"
#include "host/host.h"

#include <memory>

// Ball_X: the still preview inside another program's pane. One surface,
// Master, holds the 152 x 112 picture of the saver's starting formation; it
// is shown at its natural size from the pane's top-left corner on black,
// never stretched, so a larger pane shows it with black around it and a
// smaller one shows its top-left part. The window covers the pane and
// follows its size, but its frame is never larger than the picture (the
// host paints the rest black), whatever size the pane claims. When the pane
// goes away (or the window is asked to close) the preview unloads and the
// process has nothing left to run.
class Ball_X : public host::WindowHandler {
public:
    Ball_X(host::Host& host, gfx::Surface picture);
    ~Ball_X() override;
    Ball_X(const Ball_X&) = delete;
    Ball_X& operator=(const Ball_X&) = delete;

    // Loads the form as a child of `parent`, the size of the pane, hidden.
    // False when no window could be made there.
    bool on_load(host::NativeHandle parent, host::Size pane);
    // Covers the pane, paints and shows the window.
    void RunPreview();
    // Destroys the window and asks the loop to return.
    void on_unload();

    bool loaded() const { return m_window != nullptr; }
    host::Window* window() { return m_window.get(); }

    void on_close_request() override;
    void on_parent_resized(host::Size size) override;

private:
    void paint();

    host::Host& m_host;
    gfx::Surface m_master;
    std::unique_ptr<host::Window> m_window;
};

// The whole preview mode: renders the picture, embeds Ball_X in the pane and
// runs the loop until the pane goes away. Returns at once when `parent`
// names no window, since nothing could ever close a preview that has no pane.
void run_preview_pane(host::Host& host, host::NativeHandle parent, host::Size pane);
