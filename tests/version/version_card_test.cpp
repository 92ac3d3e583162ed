// The version card on the headless host: the credit face, each kind of turn
// ending on the exact face, the screen as it was before and after, the card
// on the dial wherever the dialog stands, and the pauses.
#include "version/ball_v.h"

#include "dialog/ball_p.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using version::TurnKind;

constexpr int kWidth = 480;
constexpr int kHeight = 420;
constexpr gfx::Pixel kGround = gfx::rgb(0, 0, 40);
constexpr gfx::Pixel kGrey = gfx::rgb(128, 128, 128);
constexpr gfx::Pixel kYellow = gfx::rgb(255, 255, 0);
constexpr gfx::Pixel kWhite = gfx::rgb(255, 255, 255);

// A screen on which no two pixels are alike, so that a strip out of place
// or a pixel left behind shows.
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
    gfx::blit(out, 0, 0, from, r.x, r.y, r.width, r.height, gfx::RasterOp::Copy);
    return out;
}

// "" when equal, else where and how the first pixel differs.
std::string first_difference(const gfx::Surface& expected, const gfx::Surface& got)
{
    if (expected.width() != got.width() || expected.height() != got.height())
        return "expected " + std::to_string(expected.width()) + "x" + std::to_string(expected.height())
               + " got " + std::to_string(got.width()) + "x" + std::to_string(got.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (expected.at(x, y) != got.at(x, y))
                return "expected " + std::to_string(expected.at(x, y)) + " got "
                       + std::to_string(got.at(x, y)) + " at (" + std::to_string(x) + ", "
                       + std::to_string(y) + ")";
    return "";
}

struct TextCall {
    std::string text;
    host::Font font;
};

// Text as boxes: 8 pixels a character wide and as high as the font's size
// in points; a line measures 7 pixels more than that. Where each line went,
// and in which colour, can then be read off the face.
host::HeadlessOptions screen_with_box_text(std::vector<TextCall>* calls = nullptr)
{
    host::HeadlessOptions o;
    o.screen = {kWidth, kHeight};
    o.desktop = patterned_screen();
    o.draw_text = [calls](gfx::Surface& into, gfx::Point at, std::string_view text, const host::Font& font,
                          gfx::Pixel colour) {
        if (calls)
            calls->push_back({std::string(text), font});
        gfx::fill_box(into, {at.x, at.y, 8 * int(text.size()), int(font.size_pt)}, colour);
        return 8 * int(text.size());
    };
    o.text_height = [](std::string_view, const host::Font& font) { return int(font.size_pt) + 7; };
    return o;
}

// The card alone, over a patterned screen, with the frames its window shows.
struct CardRig {
    CardRig(gfx::Point dialog_at, std::uint64_t seed, host::HeadlessOptions options = screen_with_box_text())
        : host(std::move(options)), random(seed), card(host, CardOwner{dialog_at, kGround, 20}, random)
    {
        host.set_frame_sink([this](const host::Window&, const gfx::Surface& frame) {
            if (frames == 0)
                first = frame;
            last = frame;
            squares.push_back(crop(frame, card.card_rect()));
            ++frames;
        });
    }

    host::HeadlessHost host;
    Random random;
    Ball_V card;
    int frames = 0;
    gfx::Surface first, last;
    std::vector<gfx::Surface> squares; // the card's square in each frame
};

TEST(VersionCard, TheCreditFaceIsPrintedWithShadowsOnMasterZeroOnly)
{
    std::vector<TextCall> calls;
    CardRig rig({40, 30}, 1, screen_with_box_text(&calls));
    rig.card.Form_Load();
    ASSERT_TRUE(rig.card.loaded());
    const int left = 58, top = 66; // the dialog's corner + (18, 36)
    EXPECT_EQ(rig.card.card_rect(), (gfx::Rect{left, top, 290, 290}));

    // Each line: the grey shadow 4 right and 4 down, then the line itself;
    // the credit lines 5 and 6 of their own heights (26 + 7) below the top.
    gfx::Surface expected = patterned_screen();
    auto line = [&](int y, int chars, int points, gfx::Pixel colour) {
        gfx::fill_box(expected, {left + 4, y + 4, 8 * chars, points}, kGrey);
        gfx::fill_box(expected, {left, y, 8 * chars, points}, colour);
    };
    line(top, 13, 36, kYellow);
    line(top + 5 * 33, 11, 26, kWhite);
    line(top + 6 * 33, 19, 26, kWhite);
    EXPECT_EQ(first_difference(expected, rig.card.Master[0]), "");
    EXPECT_EQ(first_difference(patterned_screen(), rig.card.Master[1]), "") << "the dialog's face is the snapshot";
    EXPECT_EQ(first_difference(patterned_screen(), rig.card.Display()), "") << "the window opens on the snapshot";

    const std::vector<std::string> texts = {"Version 3.1.0", "Version 3.1.0", "Designed by", "Designed by",
                                            "            Quellar", "            Quellar"};
    ASSERT_EQ(calls.size(), texts.size());
    for (std::size_t k = 0; k < calls.size(); ++k) {
        EXPECT_EQ(calls[k].text, texts[k]);
        EXPECT_EQ(calls[k].font.face.rfind("Liberation Serif", 0), 0u) << calls[k].font.face;
        EXPECT_EQ(calls[k].font.weight, 700);
        EXPECT_EQ(calls[k].font.size_pt, k < 2 ? 36 : 26);
    }
}

TEST(VersionCard, EveryKindOfTurnPassesThroughTheBareCardAndEndsOnTheExactNewFace)
{
    for (const TurnKind kind : {TurnKind{0, 0}, TurnKind{0, 1}, TurnKind{1, 0}, TurnKind{1, 1}}) {
        SCOPED_TRACE("direction " + std::to_string(kind.direction) + " axis " + std::to_string(kind.axis));
        CardRig rig({40, 30}, 1);
        rig.card.Form_Load();
        rig.card.window->set_timer(0); // the turns are played here, not by Timer1
        const gfx::Rect card = rig.card.card_rect();
        const gfx::Surface credit = crop(rig.card.Master[0], card);
        const gfx::Surface dialog = crop(rig.card.Master[1], card);
        ASSERT_NE(first_difference(credit, dialog), "");

        // The frame at which neither face shows: the old one has folded
        // into a line and the new one has not yet risen.
        const std::size_t bare = kind.direction == 0 ? 11 : 12;
        rig.card.play_turn(kind);
        ASSERT_EQ(rig.squares.size(), 25u) << "24 frames and the exact copy";
        EXPECT_EQ(first_difference(gfx::Surface(290, 290, kGround), rig.squares[bare]), "");
        EXPECT_EQ(first_difference(credit, rig.squares.back()), "");

        rig.squares.clear();
        rig.card.FrontIndex = 1;
        rig.card.play_turn(kind);
        ASSERT_EQ(rig.squares.size(), 25u);
        EXPECT_EQ(first_difference(gfx::Surface(290, 290, kGround), rig.squares[bare]), "");
        EXPECT_EQ(first_difference(dialog, rig.squares.back()), "");
    }
}

// Before the first turn the window shows the screen as it was; after the
// second, the screen differs only where a turn drew beyond the card (the
// card itself holds the dialog's face again), which goes with the window.
TEST(VersionCard, TheScreenIsAsItWasBeforeTheFirstTurnAndOutsideWhatTheTurnsDrewAfterTheSecond)
{
    struct Case {
        gfx::Point dialog_at;
        std::uint64_t seed;
    };
    const Case cases[] = {{{40, 30}, 1}, {{40, 30}, 2}, {{40, 30}, 3}, {{40, 30}, 5},
                          {{-100, -20}, 7}, {{300, 200}, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE("dialog at " + std::to_string(c.dialog_at.x) + ", " + std::to_string(c.dialog_at.y)
                     + ", seed " + std::to_string(c.seed));
        CardRig rig(c.dialog_at, c.seed);
        rig.card.Form_Load();
        rig.card.show_modal();
        EXPECT_FALSE(rig.card.loaded()) << "the card closes itself";
        EXPECT_FALSE(rig.host.windows().back().alive);
        ASSERT_EQ(rig.frames, 51) << "the snapshot, two turns of 24 frames, two exact copies";
        const gfx::Surface screen = patterned_screen();
        EXPECT_EQ(first_difference(screen, rig.first), "");

        // Where the two turns drew, by the card's own draws of its turns.
        Random draws(c.seed);
        gfx::Surface drawn(kWidth, kHeight, 0);
        const gfx::Rect card = rig.card.card_rect();
        gfx::fill_box(drawn, card, 1);
        for (int k = 0; k < 2; ++k) {
            TurnKind kind;
            kind.direction = int(2 * draws.Rnd());
            kind.axis = int(2 * draws.Rnd());
            for (int n = 1; n <= 24; ++n)
                for (const version::CardStrip& s : version::card_strips(n, kind, {card.x, card.y}))
                    gfx::fill_box(drawn, s.to, 1);
        }
        int changed_outside = 0, changed_in_card = 0, drawn_outside = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool in_card = x >= card.x && x < card.x + 290 && y >= card.y && y < card.y + 290;
                const bool changed = rig.last.at(x, y) != screen.at(x, y);
                changed_outside += drawn.at(x, y) == 0 && changed ? 1 : 0;
                changed_in_card += in_card && changed ? 1 : 0;
                drawn_outside += !in_card && drawn.at(x, y) != 0 ? 1 : 0;
            }
        EXPECT_EQ(changed_outside, 0) << "pixels changed where no turn drew";
        EXPECT_EQ(changed_in_card, 0) << "pixels of the card that do not show the dialog again";
        EXPECT_GT(drawn_outside, 0) << "the turns draw beyond the card";
    }
}

// ---- over the settings dialog ----------------------------------------------

struct OverDialog {
    explicit OverDialog(std::int16_t pc_spec = 0)
        : host(screen_with_box_text()), settings(defaults(pc_spec)), dialog(host, settings), random(3)
    {
        dialog.Form_Load();
        host.set_frame_sink([this](const host::Window& window, const gfx::Surface& frame) {
            if (&window != dialog.window.get())
                frames.push_back(frame);
        });
    }
    static Settings defaults(std::int16_t pc_spec)
    {
        Settings s{};
        LoadSettings(s, "/nonexistent/Orvelune.ini");
        s.g_BackgroundColor = gfx::colorref(0, 0, 40);
        s.g_PcSpec = pc_spec;
        return s;
    }

    host::HeadlessHost host;
    Settings settings;
    Ball_P dialog;
    Random random;
    std::vector<gfx::Surface> frames; // the card's
};

TEST(VersionCardOverDialog, TheCreditFaceStandsOnTheDialWhereverTheDialogStands)
{
    const gfx::Point places[] = {{(kWidth - 701) / 2, (kHeight - 509) / 2}, {0, 0}, {-40, -30}, {150, 100}};
    for (const gfx::Point at : places) {
        SCOPED_TRACE("dialog at " + std::to_string(at.x) + ", " + std::to_string(at.y));
        OverDialog rig;
        rig.dialog.window->move({at.x, at.y, 701, 509});
        gfx::Surface screen = patterned_screen();
        gfx::blit(screen, at.x, at.y, rig.dialog.picture(), gfx::RasterOp::Copy);

        show_version_card(rig.dialog, rig.random);
        ASSERT_EQ(rig.frames.size(), 51u);
        EXPECT_EQ(first_difference(screen, rig.frames.front()), "") << "the dialog is part of the snapshot";
        // During the hold: the version's box from the card's corner, on the
        // dial's colour where the dial shows beside it.
        const gfx::Surface& hold = rig.frames[25];
        const int left = at.x + 18, top = at.y + 36;
        for (const gfx::Point p : {gfx::Point{left, top}, gfx::Point{left + 103, top + 35}}) {
            if (hold.contains(p.x, p.y)) {
                EXPECT_EQ(hold.at(p.x, p.y), kYellow) << "(" << p.x << ", " << p.y << ")";
            }
        }
        if (hold.contains(left + 200, top + 2)) {
            EXPECT_EQ(hold.at(left + 200, top + 2), kGround);
        }
        EXPECT_EQ(first_difference(crop(screen, {left, top, 290, 290}), crop(rig.frames.back(), {left, top, 290, 290})),
                  "");
        EXPECT_TRUE(rig.dialog.loaded());
    }
}

TEST(VersionCardOverDialog, EveryFramePausesTheSettingsPauseTakenInRangeAndTheCreditFaceHoldsASecond)
{
    struct Case {
        std::int16_t pc_spec;
        std::uint64_t elapsed; // Timer1's first tick, 48 frames, the hold
    };
    const Case cases[] = {{0, 10 + 1000}, {50, 10 + 48 * 50 + 1000}, {-7, 10 + 1000},
                          {5000, 10 + 48 * 1000 + 1000}};
    for (const Case& c : cases) {
        OverDialog rig(c.pc_spec);
        const std::uint64_t before = rig.host.now_ms();
        show_version_card(rig.dialog, rig.random);
        EXPECT_EQ(rig.host.now_ms() - before, c.elapsed) << "pause " << c.pc_spec;
    }
}

} // namespace
