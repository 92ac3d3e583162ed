#pragma once

#include "gfx/surface.h"
#include "host/host.h"

#include <memory>
#include <vector>

class Ball_A;

// A monitor beside the one the saver plays on: a borderless window over it,
// one colour for as long as the saver runs, so no desktop shows there. It
// needs no frames of its own; the system repaints it from its frame.
//
// What the mouse does over it counts as done over the saver window, in the
// saver window's own pixels (a cover to the right of a 1920-pixel primary
// reports its x from 1920), so that a click ends the saver on any monitor
// and a move is judged against one reference, wherever the pointer started.
class MonitorCover : public host::WindowHandler {
public:
    MonitorCover(Ball_A& saver, gfx::Point offset) : m_saver(saver), m_offset(offset) {}

    // A borderless window over `monitor`, still hidden, its frame all
    // `colour`. False when the host gives no window.
    bool open(host::Host& host, const gfx::Rect& monitor, gfx::Pixel colour);
    // The cover's window; null until it opened.
    host::Window* window() const { return m_window.get(); }

    void on_mouse_down(int button, double x, double y) override;
    void on_mouse_move(int buttons, double x, double y) override;

private:
    std::unique_ptr<host::Window> m_window;
    Ball_A& m_saver;
    gfx::Point m_offset; // the cover's corner in the saver window's pixels
};

// The colour the other monitors show: black, or the background colour when
// the background is that single colour, so that the saver's picture does not
// end at the primary's edge.
gfx::Pixel monitor_cover_colour(const Ball_A& saver);

// A hidden cover over each monitor after the first (the primary, where
// `saver`'s window is), filled with monitor_cover_colour. A monitor the host
// gives no window for is left uncovered.
std::vector<std::unique_ptr<MonitorCover>> open_monitor_covers(Ball_A& saver,
                                                               const std::vector<gfx::Rect>& monitors);
