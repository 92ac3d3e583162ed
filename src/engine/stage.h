#pragma once

#include "engine/ball_geometry.h"
#include "engine/trace.h"
#include "gfx/rect_set.h"
#include "gfx/surface.h"
#include "settings/settings.h"

#include <array>

namespace host {
class Host;
class Window;
} // namespace host

// The stage: the surfaces every frame is made of and the compositor that
// makes it. Display is the frame being drawn (a window's own frame, or any
// surface given to attach()); Pic_Base is the background each frame starts
// from; Pic_Mas holds the ball sprites on black, stamped through the disc
// masks Pic_Mask and Pic_Mask_C; Pic_bk_G is the background picture as
// loaded.
//
// Everything an action draws reaches Display through the verbs below, and
// each writes its own trace entry, so the trace is complete by construction.
// A restore puts the background back only where balls were drawn since the
// last one, and a present sends the screen only the blocks that changed
// since the last present; the frames are the same pixel for pixel as with
// whole restores and whole presents, which `full_redraw` asks for instead
// (for comparison, and as a fallback).
//
// A stage needs no host: with no window a present sends nothing, and with no
// host it neither lets messages run nor pauses. So a still picture can be
// drawn by the same verbs as a running saver's frames.
class Stage {
public:
    // Reads the background pattern and colour and the pause after a frame
    // from `settings`, which it keeps a reference to. `host` and `trace` may
    // be null.
    Stage(const Settings& settings, host::Host* host, Trace* trace, bool full_redraw);
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Draws into `frame` from now on and presents to `window` (null: nothing
    // to present to). Pic_Base takes the frame's size in `background`, the
    // masks are drawn and the sprites sized to their cells, black; the next
    // restore and present cover the whole frame.
    void attach(gfx::Surface& frame, host::Window* window, gfx::Pixel background);

    // The frame being drawn; null until attach().
    gfx::Surface* Display() const { return m_display; }
    const gfx::Surface& Pic_Base() const { return m_base; }
    // Pic_Base to be changed (a new background): the next restore and the
    // next present cover the whole frame.
    gfx::Surface& change_Pic_Base();
    const gfx::Surface& Pic_Mas(int n) const { return m_sprites[std::size_t(n)]; }
    // Sprite n (0..11) to be painted; frames drawn before keep their balls.
    gfx::Surface& paint_Pic_Mas(int n) { return m_sprites[std::size_t(n)]; }
    const gfx::Surface& Pic_Mask() const { return m_mask; }
    const gfx::Surface& Pic_Mask_C() const { return m_mask_centre; }
    const gfx::Surface& Pic_bk_G() const { return m_picture; }
    // The background picture, to be loaded into.
    gfx::Surface& load_Pic_bk_G() { return m_picture; }

    bool full_redraw() const { return m_full_redraw; }
    // Whole redraws from now on, or partial ones; either way the next
    // restore and present are whole.
    void set_full_redraw(bool on);

    // Where the verbs write their trace entries; null when tracing is off.
    Trace* trace() const { return m_trace; }
    void set_trace(Trace* trace) { m_trace = trace; }

    void RestoreBackground();
    void BlitBall(int n, double x, double y);
    // Ball n stretched from its full cell to w x h (both may be 0 or negative,
    // which draws nothing or draws mirrored).
    void blit_ball_scaled(int n, double x, double y, double w, double h);
    // Refresh, let pending messages run, pause g_PcSpec milliseconds.
    void PresentFrame();
    // Whatever changed Display or Pic_Base other than through the verbs
    // above (the frame of a new window, a frame the system repainted) calls
    // this: the next restore and the next present then cover the whole frame.
    void mark_whole_frame();

private:
    // A block drawn on Display: it differs from the background until the
    // next restore and from the screen until the next present.
    void note_drawn(gfx::Rect block);
    // True when Display is no longer the size the bookkeeping was made for
    // (a window the system resized): then nothing it says can be trusted.
    bool frame_resized() const;

    const Settings& m_settings;
    host::Host* m_host;
    Trace* m_trace;
    bool m_full_redraw;
    host::Window* m_window = nullptr;

    gfx::Surface* m_display = nullptr;
    gfx::Surface m_base;
    std::array<gfx::Surface, kCentreBall + 1> m_sprites;
    gfx::Surface m_mask;        // 48 x 48: black disc on white
    gfx::Surface m_mask_centre; // 72 x 72: the same for the centre ball
    gfx::Surface m_picture;

    // Where Display may differ from the background (m_drawn) and from the
    // screen (m_changed); the flags stand for "anywhere". Both start as
    // "anywhere": nothing is known of a frame's first picture.
    gfx::RectSet m_drawn, m_changed;
    bool m_drawn_whole = true, m_changed_whole = true;
    int m_frame_width = 0, m_frame_height = 0;
};

// Draws the two fixed disc masks (masks.cpp).
void draw_ball_masks(gfx::Surface& small, gfx::Surface& centre);
