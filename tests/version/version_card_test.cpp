// The version card on the headless host: the worked strips of a turn, each
// kind of turn ending on the exact face, the screen as it was before and
// after, the credit face on the dial wherever the dialog stands, the pauses.
#include "version/ball_v.h"

#include "dialog/ball_p.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using version::TurnKind;

constexpr int kWidth = 480, kHeight = 420;
constexpr gfx::Pixel kGround = gfx::rgb(0, 0, 40);

// No two pixels alike, so that a strip out of place or a pixel left behind shows.
gfx::Surface patterned_screen()
{
    gfx::Surface s(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            s.set(x, y, gfx::rgb(x & 255, y & 255, ((x >> 8) << 4) | (y >> 8)));
    return s;
}

gfx::Surface crop(const gfx::Surface& from, gfx::Rect r)
{
    gfx::Surface out(r.width, r.height, 0xFF000000u); // off-screen parts compare as themselves
    gfx::blit(out, {0, 0}, from, r, gfx::RasterOp::Copy);
    return out;
}

// Text as boxes 8 pixels a character wide and as high as the font's points;
// a line measures 7 more. Where each line went can be read off the face.
class BoxText final : public host::TextService {
public:
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view text, const host::Font& font,
                  gfx::Pixel colour) override
    {
        gfx::fill_box(into, {at.x, at.y, 8 * int(text.size()), int(font.size_pt)}, colour);
        return 8 * int(text.size());
    }
    int text_height(std::string_view, const host::Font& font) override { return int(font.size_pt) + 7; }
    int text_width(std::string_view, const host::Font&) override { return 0; }
};

host::HeadlessOptions screen_with_box_text()
{
    host::HeadlessOptions o;
    o.screen = {kWidth, kHeight};
    o.desktop = patterned_screen();
    o.text = std::make_shared<BoxText>();
    return o;
}

// The card alone over the patterned screen, with what its window shows.
struct CardRig {
    CardRig(gfx::Point dialog_at, std::uint64_t seed)
        : host(screen_with_box_text()), random(seed), card(host, CardOwner{dialog_at, kGround, 20}, random)
    {
        host.set_frame_sink([this](const host::Window&, const gfx::Surface& frame) {
            frames.push_back(frame);
            squares.push_back(crop(frame, card.card_rect()));
        });
    }
    host::HeadlessHost host;
    Random random;
    Ball_V card;
    std::vector<gfx::Surface> frames, squares; // whole, and the card's square
};

TEST(VersionCard, RowsTurningForwardStandWhereTheWorkedFramesPutThem)
{
    struct Case {
        int n, i;
        gfx::Rect to;
    };
    const Case cases[] = {
        // The old face: a pixel thinner and 24 lower each frame, strip i
        // narrowed by (n * i) / 4 a side, a line on the lower edge at n = 12.
        {1, 0, {100, 74, 290, 11}},  {1, 3, {100, 107, 290, 11}}, {1, 24, {106, 338, 278, 11}},
        {12, 5, {115, 338, 260, 0}}, {12, 24, {172, 338, 146, 0}},
        // The new face standing on the upper edge, 300 wide at n = 13, 428 at 24.
        {13, 24, {95, 50, 300, 1}},  {13, 0, {95, 26, 300, 1}},   {24, 24, {31, 50, 428, 12}},
        {24, 0, {31, -238, 428, 12}},
    };
    for (const Case& c : cases) {
        const version::CardStrip s = version::card_strips(c.n, TurnKind{0, 0}, {100, 50})[std::size_t(c.i)];
        EXPECT_EQ(s.to, c.to) << "frame " << c.n << " strip " << c.i << ": got " << s.to.x << ", " << s.to.y
                              << ", " << s.to.width << " x " << s.to.height;
        EXPECT_EQ(s.from, (gfx::Rect{100, 50 + 12 * c.i, 290, 12}));
    }
}

TEST(VersionCard, EveryKindOfTurnPassesThroughTheBareCardAndEndsOnTheExactNewFace)
{
    for (const TurnKind kind : {TurnKind{0, 0}, TurnKind{0, 1}, TurnKind{1, 0}, TurnKind{1, 1}}) {
        SCOPED_TRACE("direction " + std::to_string(kind.direction) + " axis " + std::to_string(kind.axis));
        CardRig rig({40, 30}, 1);
        rig.card.on_load();
        rig.card.card_window()->set_timer(0); // the turns are played here, not by Timer1
        const gfx::Surface faces[2] = {crop(rig.card.master(0), rig.card.card_rect()),
                                       crop(rig.card.master(1), rig.card.card_rect())};
        ASSERT_FALSE(faces[0] == faces[1]);
        // Where neither face shows: the old one folded flat, the new not yet risen.
        const std::size_t bare = kind.direction == 0 ? 11 : 12;
        for (int front : {0, 1}) {
            rig.squares.clear();
            rig.card.set_front_index(front);
            rig.card.play_turn(kind);
            ASSERT_EQ(rig.squares.size(), 25u) << "24 frames and the exact copy";
            EXPECT_TRUE(rig.squares[bare] == gfx::Surface(290, 290, kGround)) << "turning to face " << front;
            EXPECT_TRUE(rig.squares.back() == faces[front]) << "turning to face " << front;
        }
    }
}

// Before the first turn the window shows the screen as it was; after the
// second the card shows the dialog's face again, and only what a turn drew
// beyond the card differs (it goes with the window).
TEST(VersionCard, TheScreenIsAsItWasBeforeTheFirstTurnAndOutsideWhatTheTurnsDrewAfterTheSecond)
{
    const std::pair<gfx::Point, std::uint64_t> cases[] = {{{40, 30}, 1},    {{40, 30}, 2},  {{40, 30}, 3},
                                                          {{40, 30}, 5},    {{-100, -20}, 7}, {{300, 200}, 11}};
    for (const auto& [dialog_at, seed] : cases) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CardRig rig(dialog_at, seed);
        rig.card.on_load();
        rig.card.show_modal();
        EXPECT_FALSE(rig.card.loaded()) << "the card closes itself";
        ASSERT_EQ(rig.frames.size(), 51u) << "the snapshot, two turns of 24 frames, two exact copies";
        const gfx::Surface screen = patterned_screen();
        EXPECT_TRUE(rig.frames.front() == screen);

        // Seeded alike, a generator gives the two turns' kinds as the card drew them.
        Random draws(seed);
        gfx::Surface drawn(kWidth, kHeight, 0);
        const gfx::Rect card = rig.card.card_rect();
        for (int k = 0; k < 2; ++k) {
            const int direction = int(2 * draws.Rnd());
            const TurnKind kind{direction, int(2 * draws.Rnd())};
            for (int n = 1; n <= 24; ++n)
                for (const version::CardStrip& s : version::card_strips(n, kind, {card.x, card.y}))
                    gfx::fill_box(drawn, s.to, 1);
        }
        gfx::fill_box(drawn, card, 0);
        int changed_where_undrawn = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                changed_where_undrawn += drawn.at(x, y) == 0 && rig.frames.back().at(x, y) != screen.at(x, y);
        EXPECT_EQ(changed_where_undrawn, 0);
    }
}

// ---- over the settings dialog ----------------------------------------------

struct OverDialog {
    explicit OverDialog(std::int16_t pc_spec) : host(screen_with_box_text()), dialog(host, settings), random(3)
    {
        LoadSettings(settings, "/nonexistent/Orvelune.ini");
        settings.g_BackgroundColor = gfx::colorref(0, 0, 40);
        settings.g_PcSpec = pc_spec;
        dialog.Form_Load();
        host.set_frame_sink([this](const host::Window& window, const gfx::Surface& frame) {
            if (&window != dialog.window())
                frames.push_back(frame);
        });
    }
    host::HeadlessHost host;
    Settings settings{};
    Ball_P dialog;
    Random random;
    std::vector<gfx::Surface> frames; // the card's
};

TEST(VersionCardOverDialog, TheCreditFaceStandsOnTheDialWhereverTheDialogStands)
{
    for (const gfx::Point at : {gfx::Point{-110, -44}, gfx::Point{0, 0}, gfx::Point{-40, -30}, gfx::Point{150, 100}}) {
        SCOPED_TRACE(std::to_string(at.x) + ", " + std::to_string(at.y));
        OverDialog rig(0);
        rig.dialog.window()->move({at.x, at.y, 701, 509});
        gfx::Surface screen = patterned_screen();
        gfx::blit(screen, at, rig.dialog.picture(), gfx::RasterOp::Copy);
        show_version_card(rig.host, rig.dialog.card_view(), rig.random);
        ASSERT_EQ(rig.frames.size(), 51u);
        EXPECT_TRUE(rig.frames.front() == screen) << "the dialog is part of the snapshot";

        // During the hold, from the card's corner: the version line (13
        // characters, 36 points) over its grey shadow, and "Designed by" 5
        // of its line heights (26 + 7) down.
        const gfx::Surface& hold = rig.frames[25];
        const int left = at.x + 18, top = at.y + 36;
        const std::pair<gfx::Point, gfx::Pixel> probes[] = {
            {{left, top}, gfx::rgb(255, 255, 0)},       {{left + 103, top + 35}, gfx::rgb(255, 255, 0)},
            {{left + 107, top + 39}, gfx::rgb(128, 128, 128)}, {{left + 108, top + 40}, kGround},
            {{left + 87, top + 165}, gfx::kWhite},     {{left + 200, top + 2}, kGround}};
        for (const auto& [p, colour] : probes)
            if (hold.contains(p.x, p.y)) {
                EXPECT_EQ(hold.at(p.x, p.y), colour) << "at (" << p.x << ", " << p.y << ")";
            }
        const gfx::Rect card{left, top, 290, 290};
        EXPECT_TRUE(crop(rig.frames.back(), card) == crop(screen, card)) << "the dialog's face is back";
        EXPECT_TRUE(rig.dialog.loaded());
    }
}

TEST(VersionCardOverDialog, EveryFramePausesTheSettingsPauseTakenInRangeAndTheCreditFaceHoldsASecond)
{
    // Timer1's first tick after 10 ms, 48 frames, the hold.
    const std::pair<std::int16_t, std::uint64_t> cases[] = {
        {0, 10 + 1000}, {50, 10 + 48 * 50 + 1000}, {-7, 10 + 1000}, {5000, 10 + 48 * 1000 + 1000}};
    for (const auto& [pc_spec, elapsed] : cases) {
        OverDialog rig(pc_spec);
        const std::uint64_t before = rig.host.now_ms();
        show_version_card(rig.host, rig.dialog.card_view(), rig.random);
        EXPECT_EQ(rig.host.now_ms() - before, elapsed) << "pause " << pc_spec;
    }
}

} // namespace
