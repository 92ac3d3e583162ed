// The version card; see ball_v.h.
#include "version/ball_v.h"

#include "dialog/ball_p.h"
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

gfx::Rect bounds(gfx::Rect a, gfx::Rect b)
{
    if (b.width <= 0 || b.height <= 0)
        return a;
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

gfx::Rect clipped(gfx::Rect r, const gfx::Surface& to)
{
    const int left = std::max(r.x, 0), top = std::max(r.y, 0);
    const int right = std::min(r.x + r.width, to.width());
    const int bottom = std::min(r.y + r.height, to.height());
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

} // namespace

Ball_V::Ball_V(host::Host& h, CardOwner owner, Random& random) : host(h), m_owner(owner), m_random(random) {}

Ball_V::~Ball_V() = default;

void Ball_V::Form_Load()
{
    const host::Size screen = host.screen_size();
    ScreenWidthPx = screen.width;
    ScreenHeightPx = screen.height;
    DialogLeftPx = m_owner.dialog_at.x;
    DialogTopPx = m_owner.dialog_at.y;
    CardLeft = DialogLeftPx + kCardOffsetX;
    CardTop = DialogTopPx + kCardOffsetY;
    FrontIndex = 0;

    host::WindowOptions options;
    options.title = kCardTitle;
    options.rect = {0, 0, ScreenWidthPx, ScreenHeightPx};
    options.borderless = true;
    options.topmost = true;
    options.overlay = true;
    window = host.create_window(options, *this);
    if (!window)
        return;

    // The snapshot, dialog included, becomes both faces and what the window
    // first shows. A screen that cannot be read leaves the dial's colour.
    Master[0] = gfx::Surface(ScreenWidthPx, ScreenHeightPx, m_owner.ground);
    host.capture_desktop(Master[0]);
    Master[1] = Master[0];
    gfx::blit(Display(), {0, 0}, Master[0], gfx::RasterOp::Copy);
    draw_credit_face();
    window->set_timer(kTimer1IntervalMs);
}

// The lines are printed on Master(0) from the card's left edge; the credit
// lines stand 5 and 6 of their own heights below the card's top, so the
// gap under the version follows the font.
void Ball_V::draw_credit_face()
{
    gfx::Surface& face = Master[0];
    auto print = [&](int y, std::string_view text, const host::Font& font, gfx::Pixel colour) {
        host.draw_text(face, {CardLeft + kShadowOffset, y + kShadowOffset}, text, font, kShadow);
        host.draw_text(face, {CardLeft, y}, text, font, colour);
    };
    host::Font font{kCreditFace, kVersionPoints, kBold};
    print(CardTop, "Version " + std::string(kVersionText), font, kYellow);
    font.size_pt = kCreditPoints;
    print(CardTop + 5 * host.text_height(kDesignedBy, font), kDesignedBy, font, kWhite);
    print(CardTop + 6 * host.text_height(kMakerLine, font), kMakerLine, font, kWhite);
}

void Ball_V::show_modal()
{
    if (!window)
        return;
    window->show(true);
    window->refresh();
    while (window) {
        host.sleep_ms(kTimer1IntervalMs);
        host.process_pending_messages();
    }
}

void Ball_V::Timer1_Timer()
{
    if (!window)
        return;
    window->set_timer(0);
    for (int k = 0; k < 2; ++k) {
        TurnKind kind;
        kind.direction = int(2 * m_random.Rnd());
        kind.axis = int(2 * m_random.Rnd());
        play_turn(kind);
        if (k == 0)
            host.sleep_ms(kHoldMs);
        FrontIndex = 1 - FrontIndex;
    }
    // The clipboard is left as it is: nothing here ever put anything on it,
    // and what the person copied elsewhere is theirs.
    Form_Unload();
}

void Ball_V::play_turn(TurnKind kind)
{
    gfx::Surface& display = Display();
    const gfx::Surface& old_face = Master[std::size_t(1 - FrontIndex)];
    const gfx::Surface& new_face = Master[std::size_t(FrontIndex)];
    const gfx::Rect card = card_rect();
    // Only the card is cleared each frame; what a frame draws beyond it is
    // covered by later frames or stays until the window closes.
    for (int n = 1; n <= version::kFramesPerTurn; ++n) {
        gfx::fill_box(display, card, m_owner.ground);
        const gfx::Surface& face = n <= version::kHalfTurn ? old_face : new_face;
        gfx::Rect drawn = card;
        for (const CardStrip& s : version::card_strips(n, kind, {CardLeft, CardTop})) {
            gfx::stretch_blit(display, s.to, face, s.from, gfx::RasterOp::Copy);
            drawn = bounds(drawn, s.to);
        }
        present_frame(drawn);
    }
    gfx::blit(display, {CardLeft, CardTop}, new_face, {CardLeft, CardTop, CardWidth, CardHeight},
              gfx::RasterOp::Copy);
    const gfx::Rect shown = clipped(card, display);
    if (shown.width > 0 && shown.height > 0)
        window->refresh_area(shown);
}

void Ball_V::present_frame(gfx::Rect area)
{
    const gfx::Rect shown = clipped(area, Display());
    if (shown.width > 0 && shown.height > 0)
        window->refresh_area(shown);
    host.process_pending_messages();
    host.sleep_ms(m_owner.pause_ms);
}

void Ball_V::Form_Unload() { window.reset(); }

void show_version_card(Ball_P& dialog, Random& random)
{
    CardOwner owner;
    const gfx::Rect at = dialog.window_rect();
    owner.dialog_at = {at.x, at.y};
    owner.ground = gfx::pixel_from_colorref(dialog.DisplayBackColor);
    // A pause outside the setting's range is taken at the nearer bound, as
    // the saver takes it: the card can be neither hurried past nor frozen.
    const SettingRange range = *setting_range(SettingKind::PcSpec);
    owner.pause_ms = std::clamp(int(dialog.settings.g_PcSpec), range.lowest, range.highest);
    Ball_V card(dialog.host, owner, random);
    card.Form_Load();
    card.show_modal();
}
