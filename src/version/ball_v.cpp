// The version card; see ball_v.h.
#include "version/ball_v.h"

#include "gfx/raster.h"
#include "settings/settings_keys.h"
#include "common/version.h"

#include <algorithm>
#include <string>

using version::CardStrip;
using version::TurnKind;

namespace {

// The card is the square of the dial under the swatches: 18 pixels in from
// the dialog's left edge and 36 down from its top (the dial itself stands
// at 12, 32).
constexpr int kCardOffsetX = 18;
constexpr int kCardOffsetY = 36;
// Timer1 only lets the window appear before the card starts to turn.
constexpr int kTimer1IntervalMs = 10;
// The credit face stays up for a second between the turns.
constexpr int kHoldMs = 1000;

// Not one of the titles a second start looks for: the card belongs to the
// dialog, which is found by its own.
constexpr const char* kCardTitle = "Orvelune";

// The credit face's text: a bold serif, 36 points for the version and 26
// for the credit lines, each line with a grey shadow 4 pixels right and down.
// Liberation Serif has the metrics of the Windows serif, so the lines stand
// where they would there.
constexpr const char* kCreditFace = "Liberation Serif,Times New Roman,serif";
constexpr double kVersionPoints = 36;
constexpr double kCreditPoints = 26;
constexpr int kBold = 700;
constexpr int kShadowOffset = 4;
constexpr gfx::Pixel kShadow = gfx::rgb(128, 128, 128);
constexpr gfx::Pixel kYellow = gfx::rgb(255, 255, 0);
constexpr gfx::Pixel kWhite = gfx::rgb(255, 255, 255);
constexpr std::string_view kDesignedBy = "Designed by";
constexpr std::string_view kMakerLine = "            Quellar";

} // namespace

Ball_V::Ball_V(host::Host& h, CardOwner owner, Random& random) : m_host(h), m_owner(owner), m_random(random) {}

Ball_V::~Ball_V() = default;

void Ball_V::on_load()
{
    const host::Size screen = m_host.screen_size();
    m_screen_width = screen.width;
    m_screen_height = screen.height;
    m_dialog_left = m_owner.dialog_at.x;
    m_dialog_top = m_owner.dialog_at.y;
    m_card_left = m_dialog_left + kCardOffsetX;
    m_card_top = m_dialog_top + kCardOffsetY;
    m_front_index = 0;

    host::WindowOptions options;
    options.title = kCardTitle;
    options.rect = {0, 0, m_screen_width, m_screen_height};
    options.borderless = true;
    options.topmost = true;
    options.overlay = true;
    m_window = m_host.create_window(options, *this);
    if (!m_window)
        return;

    // The snapshot, dialog included, becomes both faces and what the window
    // first shows. A screen that cannot be read leaves the dial's colour.
    m_master[0] = gfx::Surface(m_screen_width, m_screen_height, m_owner.ground);
    m_host.capture_desktop(m_master[0]);
    m_master[1] = m_master[0];
    gfx::blit(Display(), {0, 0}, m_master[0], gfx::RasterOp::Copy);
    draw_credit_face();
    m_window->set_timer(kTimer1IntervalMs);
}

// The lines are printed on Master(0) from the card's left edge; the credit
// lines stand 5 and 6 of their own heights below the card's top, so the
// gap under the version follows the font.
void Ball_V::draw_credit_face()
{
    gfx::Surface& face = m_master[0];
    auto print = [&](int y, std::string_view text, const host::Font& font, gfx::Pixel colour) {
        m_host.draw_text(face, {m_card_left + kShadowOffset, y + kShadowOffset}, text, font, kShadow);
        m_host.draw_text(face, {m_card_left, y}, text, font, colour);
    };
    host::Font font{kCreditFace, kVersionPoints, kBold};
    print(m_card_top, "Version " + std::string(kVersionText), font, kYellow);
    font.size_pt = kCreditPoints;
    print(m_card_top + 5 * m_host.text_height(kDesignedBy, font), kDesignedBy, font, kWhite);
    print(m_card_top + 6 * m_host.text_height(kMakerLine, font), kMakerLine, font, kWhite);
}

void Ball_V::show_modal()
{
    if (!m_window)
        return;
    m_window->show(true);
    m_window->refresh();
    while (m_window) {
        m_host.sleep_ms(kTimer1IntervalMs);
        m_host.process_pending_messages();
    }
}

void Ball_V::on_tick()
{
    if (!m_window)
        return;
    m_window->set_timer(0);
    for (int k = 0; k < 2; ++k) {
        TurnKind kind;
        kind.direction = int(2 * m_random.Rnd());
        kind.axis = int(2 * m_random.Rnd());
        play_turn(kind);
        if (k == 0)
            m_host.sleep_ms(kHoldMs);
        m_front_index = 1 - m_front_index;
    }
    // The clipboard is left as it is: nothing here ever put anything on it,
    // and what the person copied elsewhere is theirs.
    on_unload();
}

void Ball_V::play_turn(TurnKind kind)
{
    gfx::Surface& display = Display();
    const gfx::Surface& old_face = m_master[std::size_t(1 - m_front_index)];
    const gfx::Surface& new_face = m_master[std::size_t(m_front_index)];
    const gfx::Rect card = card_rect();
    // Only the card is cleared each frame; what a frame draws beyond it is
    // covered by later frames or stays until the window closes.
    for (int n = 1; n <= version::kFramesPerTurn; ++n) {
        gfx::fill_box(display, card, m_owner.ground);
        const gfx::Surface& face = n <= version::kHalfTurn ? old_face : new_face;
        gfx::Rect drawn = card;
        for (const CardStrip& s : version::card_strips(n, kind, {m_card_left, m_card_top})) {
            gfx::stretch_blit(display, s.to, face, s.from, gfx::RasterOp::Copy);
            drawn = drawn.united(s.to);
        }
        present_frame(drawn);
    }
    gfx::blit(display, {m_card_left, m_card_top}, new_face, {m_card_left, m_card_top, m_card_width, m_card_height},
              gfx::RasterOp::Copy);
    const gfx::Rect shown = card.intersected(display.rect());
    if (shown.width > 0 && shown.height > 0)
        m_window->refresh_area(shown);
}

void Ball_V::present_frame(gfx::Rect area)
{
    const gfx::Rect shown = area.intersected(Display().rect());
    if (shown.width > 0 && shown.height > 0)
        m_window->refresh_area(shown);
    m_host.process_pending_messages();
    m_host.sleep_ms(m_owner.pause_ms);
}

void Ball_V::on_unload() { m_window.reset(); }

void show_version_card(host::Host& host, const DialogCardView& dialog, Random& random)
{
    CardOwner owner;
    owner.dialog_at = {dialog.window_rect.x, dialog.window_rect.y};
    owner.ground = gfx::pixel_from_colorref(dialog.dial_colour);
    // A pause outside the setting's range is taken at the nearer bound, as
    // the saver takes it: the card can be neither hurried past nor frozen.
    const SettingRange range = *setting_range(SettingKind::PcSpec);
    owner.pause_ms = std::clamp(int(dialog.pc_spec), range.lowest, range.highest);
    Ball_V card(host, owner, random);
    card.on_load();
    card.show_modal();
}
