#pragma once

#include "dialog/card_view.h"
#include "engine/random.h"
#include "gfx/surface.h"
#include "host/host.h"
#include "version/card_turn.h"

#include <array>
#include <memory>

// What the card takes from the settings dialog it turns over.
struct CardOwner {
    gfx::Point dialog_at;    // the dialog's top-left corner on the screen
    gfx::Pixel ground = 0;   // the dial's background colour, behind the turning card
    int pause_ms = 0;        // the pause after every frame (the settings' machine-speed value, g_PcSpec)
};

// Ball_V: the version card. It shows no window of its own to speak of: it
// covers the screen with a snapshot of the screen, so nothing seems to
// change, and then turns the square of the dial over like a card to show the
// credit face, holds it for a second, turns it back to the dialog's picture
// and closes itself. The person does nothing and can do nothing meanwhile;
// the whole sequence runs from one tick of Timer1.
//
// Both faces, Master(0) (the credit face) and Master(1) (the screen as it
// was), are screen-sized pictures made once at load; every frame is block
// transfers of strips of them, so the speed of a turn depends only on the
// pause after each frame.
class Ball_V : public host::WindowHandler {
public:
    Ball_V(host::Host& host, CardOwner owner, Random& random);
    ~Ball_V() override;
    Ball_V(const Ball_V&) = delete;
    Ball_V& operator=(const Ball_V&) = delete;

    // Makes the (hidden) window over the whole screen, takes the snapshot
    // into both faces and onto Display, draws the credit face on Master(0)
    // and starts Timer1.
    void on_load();
    // Shows the window and waits, letting messages run, until the card has
    // played and closed itself: how the dialog shows it modally.
    void show_modal();
    // Timer1's first and only tick: two turns with the hold between, then
    // the window goes.
    void on_tick();
    // One turn from Master(1 - FrontIndex) to Master(FrontIndex), ending on
    // an exact copy of the new face in the card's square.
    void play_turn(version::TurnKind kind);
    void on_unload();

    bool loaded() const { return m_window != nullptr; }
    // The card's window, null once it has closed itself.
    host::Window* card_window() const { return m_window.get(); }
    // What the person sees; every frame is drawn here.
    gfx::Surface& Display() { return m_window->frame(); }
    gfx::Rect card_rect() const { return {m_card_left, m_card_top, m_card_width, m_card_height}; }
    // Face 0 (the credit face) and face 1 (the screen as it was).
    const gfx::Surface& master(int index) const { return m_master[std::size_t(index & 1)]; }
    // The face the next turn turns to; the one turned away from is the other.
    int front_index() const { return m_front_index; }
    void set_front_index(int index) { m_front_index = index & 1; }

    // ---- window handler: input of every kind is ignored; Timer1 starts the card.
    void on_timer() override { on_tick(); }

private:
    void draw_credit_face();
    // Puts `area` of Display on the screen, lets messages run, and pauses.
    void present_frame(gfx::Rect area);

    host::Host& m_host;
    std::unique_ptr<host::Window> m_window;
    std::array<gfx::Surface, 2> m_master;
    int m_screen_width = 0, m_screen_height = 0;
    int m_dialog_left = 0, m_dialog_top = 0;
    int m_card_left = 0, m_card_top = 0;
    int m_card_width = version::kCardSide, m_card_height = version::kCardSide;
    int m_front_index = 0;
    CardOwner m_owner;
    Random& m_random;
};

// The settings dialog's version command: plays the card on `host` over the
// dialog `dialog` describes and returns once it has closed itself.
void show_version_card(host::Host& host, const DialogCardView& dialog, Random& random);
