// The dialog by keyboard: the focus order, the mark, every kind of control
// worked by keys alone and saved byte for byte as the mouse would save it;
// and where the dialog stands on a screen smaller than itself (on a real X
// server: tests/x11/x11_dialog_test.cpp).
#include "dialog_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace dialogtest {
namespace {

using host::Key;

// The controls Tab visits, in reading order.
const std::vector<std::string> kFocusOrder = [] {
    std::vector<std::string> names = {"Display", "lbl_All"};
    for (int k = 1; k <= 20; ++k)
        names.push_back("lbl_Action_Kind(" + std::to_string(k) + ")");
    for (const char* name : {"lbl_Opt_Ptn(1)", "lbl_Opt_Ptn(2)", "H_RGB(1)", "H_RGB(2)", "H_RGB(3)", "PC_Spec",
                             "HS_Fast", "lbl_Opt_bk(1)", "lbl_Opt_bk(2)", "lbl_C", "lbl_URL", "lbl_Opt_bk(3)",
                             "lbl_Opt_bk(4)", "lbl_Opt_bk_G(1)", "lbl_Opt_bk_G(2)", "lbl_Path", "lbl_Cmd(0)",
                             "lbl_Cmd(1)", "lbl_Cmd(2)", "lbl_Cmd(3)"})
        names.push_back(name);
    return names;
}();

std::string focused_name(const DialogRig& rig)
{
    const dialog::Control* c = rig.dialog->focused();
    return c ? c->name : "(none)";
}

// Tab (or Shift+Tab) until `name` has the focus.
void tab_to(DialogRig& rig, std::string_view name, Key key = Key::Tab)
{
    for (std::size_t n = 0; n <= kFocusOrder.size() && focused_name(rig) != name; ++n)
        rig.key(key);
    ASSERT_EQ(focused_name(rig), name);
}

void keys(DialogRig& rig, Key key, int times)
{
    for (int n = 0; n < times; ++n)
        rig.key(key);
}

double luminance(gfx::Pixel p)
{
    auto linear = [](int c) { return c / 255.0 <= 0.04045 ? c / 255.0 / 12.92 : std::pow((c / 255.0 + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(gfx::red_of(p)) + 0.7152 * linear(gfx::green_of(p)) + 0.0722 * linear(gfx::blue_of(p));
}

double contrast(gfx::Pixel a, gfx::Pixel b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The picture is what a whole repaint gives, and the mark is dotted round
// (or inside) its control: every other pixel of its outline differs from
// the same dialog without the mark by a contrast of at least 3:1, the
// pixels between are as they were.
void expect_mark_drawn(DialogRig& rig)
{
    gfx::Surface whole, unmarked;
    rig.dialog->paint_all(whole);
    dialog::paint_all({rig.dialog->model(), rig.dialog->controls(), rig.dialog->art(), rig.host, std::nullopt}, unmarked);
    EXPECT_TRUE(whole == rig.picture()) << "after a key the picture differs from a whole repaint";
    const std::optional<gfx::Rect> mark = rig.dialog->focus_mark();
    ASSERT_TRUE(mark.has_value()) << "no mark on " << focused_name(rig);
    const dialog::Control& c = *rig.dialog->focused();
    EXPECT_TRUE(mark->intersects(c.rect)) << c.name;
    int faint = 0, between = 0;
    double lowest = 21;
    for (int y = mark->y; y < mark->y + mark->height; ++y)
        for (int x = mark->x; x < mark->x + mark->width; ++x) {
            const bool edge = y == mark->y || y == mark->y + mark->height - 1 || x == mark->x
                              || x == mark->x + mark->width - 1;
            if (!edge || !rig.picture().contains(x, y))
                continue;
            const double ratio = contrast(rig.picture().at(x, y), unmarked.at(x, y));
            if ((x + y) % 2 == 0) {
                lowest = std::min(lowest, ratio);
                faint += ratio < 3.0 ? 1 : 0;
            } else {
                between += ratio != 1.0 ? 1 : 0;
            }
        }
    EXPECT_EQ(faint, 0) << "expected every dot of the mark on " << c.name << " at 3:1 or more, got " << lowest;
    EXPECT_EQ(between, 0) << "expected the pixels between the dots of " << c.name << " untouched";
}

Settings start_settings(const std::string& ini)
{
    Settings s = Loaded(ini);
    s.g_ActionEnabled[5] = 0; // for "全て選択" to change
    return s;
}

// On every stop, over a dial of black (the default), mid grey and white.
TEST(DialogKeyboard, TabAndShiftTabWalkEveryStopInReadingOrderWithAMarkThatStandsOut)
{
    for (const gfx::ColorRef dial : {gfx::colorref(0, 0, 0), gfx::colorref(128, 128, 128), gfx::colorref(255, 255, 255)}) {
        SCOPED_TRACE("dial colour " + std::to_string(dial));
        TempFolder scratch;
        Settings settings = Loaded(scratch.file("none.ini"));
        settings.g_BackgroundColor = std::int32_t(dial);
        DialogRig rig(settings);
        rig.load();
        ASSERT_EQ(rig.dialog->focus_order().size(), kFocusOrder.size());
        EXPECT_EQ(focused_name(rig), "Display");
        for (std::size_t n = 0; n < kFocusOrder.size(); ++n) {
            rig.key(Key::Tab);
            EXPECT_EQ(focused_name(rig), kFocusOrder[n]) << "after " << n + 1 << " tabs: the first lands on the first stop";
            expect_mark_drawn(rig);
        }
        rig.key(Key::Tab);
        EXPECT_EQ(focused_name(rig), kFocusOrder[0]) << "round again";
        for (std::size_t n = kFocusOrder.size(); n-- > 0;) {
            rig.key(Key::BackTab);
            EXPECT_EQ(focused_name(rig), kFocusOrder[n]);
            expect_mark_drawn(rig);
        }
        EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Open) << "walking the focus works nothing";
    }

    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    rig.key(Key::BackTab);
    EXPECT_EQ(focused_name(rig), kFocusOrder.back()) << "the first Shift+Tab lands on the last stop";
}

TEST(DialogKeyboard, NoMarkUntilTheFirstKeyAndOtherKeysShowNone)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    const gfx::Surface loaded = rig.picture();
    rig.click("lbl_Opt_Ptn(1)");
    rig.click("lbl_Opt_Ptn(2)");
    rig.click("Pic_Mas(10)");
    rig.key(Key::Other);
    EXPECT_FALSE(rig.dialog->focus_mark().has_value());
    EXPECT_TRUE(rig.picture() == loaded) << "the mouse alone shows no mark";

    rig.key(Key::Up); // on the dial: back from ball 10 to ball 9, and the mark shows
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 9);
    expect_mark_drawn(rig);
}

TEST(DialogKeyboard, ArrowsStepTheBarsToTheirEndsAndTurnTheDialRoundAllElevenBalls)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    const int expected_balls[] = {11, 1, 2};
    for (int expected : expected_balls) {
        rig.key(Key::Right);
        EXPECT_EQ(rig.dialog->model().SelectedBall(), expected);
    }
    keys(rig, Key::Left, 3);
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 10);
    keys(rig, Key::Down, 10);
    EXPECT_EQ(rig.dialog->model().SelectedBall(), 9) << "ten steps clockwise from 10 over the centre ball";

    tab_to(rig, "HS_Fast");
    keys(rig, Key::Right, 20);
    EXPECT_EQ(rig.dialog->model().bar(dialog::BarIndex::SpeedBar).value(), 30);
    keys(rig, Key::Up, 25);
    EXPECT_EQ(rig.dialog->model().bar(dialog::BarIndex::SpeedBar).value(), 10);
    expect_mark_drawn(rig); // the mark follows the thumb

    tab_to(rig, "lbl_Action_Kind(3)", Key::BackTab);
    rig.key(Key::Down); // elsewhere the arrows move the focus
    EXPECT_EQ(focused_name(rig), "lbl_Action_Kind(4)");
}

// The same changes, once by the mouse and once by keys only: the files
// written are the same bytes.
TEST(DialogKeyboard, EveryKindOfControlByKeysThenEnterWritesWhatTheMouseWould)
{
    TempFolder scratch;
    host::HeadlessOptions options;
    options.chosen_color = gfx::colorref(10, 200, 30);
    options.chosen_picture_file = "/srv/壁紙/夕焼け.jpg";

    DialogRig mouse(start_settings(scratch.file("mouse.ini")), options);
    mouse.load();
    mouse.click("Pic_Mas(11)");
    mouse.click("lbl_All");
    mouse.click("Img_Action_Kind(9)");
    mouse.click("lbl_Opt_Ptn(1)");
    for (int n = 0; n < 3; ++n)
        mouse.click(mouse.at("H_RGB(1)", 95, 8));
    for (int n = 0; n < 2; ++n)
        mouse.click(mouse.at("H_RGB(3)", 4, 8));
    mouse.click(mouse.at("PC_Spec", 4, 8));
    for (int n = 0; n < 2; ++n)
        mouse.click(mouse.at("HS_Fast", 72, 8));
    mouse.click("lbl_Opt_bk(4)");
    mouse.click("lbl_C");
    mouse.click("lbl_Opt_bk_G(2)");
    mouse.click("lbl_Path");
    mouse.click("lbl_Cmd(3)");
    ASSERT_EQ(mouse.dialog->outcome(), DialogOutcome::Saved);

    DialogRig rig(start_settings(scratch.file("keys.ini")), options);
    rig.load();
    rig.key(Key::Right); // the dial: ball 10 to the centre ball
    tab_to(rig, "lbl_All");
    rig.key(Key::Space);
    tab_to(rig, "lbl_Action_Kind(9)");
    rig.key(Key::Space);
    tab_to(rig, "lbl_Opt_Ptn(2)");
    rig.key(Key::BackTab);
    rig.key(Key::Space);
    tab_to(rig, "H_RGB(1)");
    keys(rig, Key::Right, 3);
    tab_to(rig, "H_RGB(3)");
    keys(rig, Key::Left, 2);
    tab_to(rig, "PC_Spec");
    rig.key(Key::Up);
    tab_to(rig, "HS_Fast");
    keys(rig, Key::Down, 2);
    tab_to(rig, "lbl_Opt_bk(4)");
    rig.key(Key::Space);
    tab_to(rig, "lbl_C", Key::BackTab);
    rig.key(Key::Space);
    tab_to(rig, "lbl_Opt_bk_G(2)");
    rig.key(Key::Space);
    tab_to(rig, "lbl_Path");
    rig.key(Key::Space);
    EXPECT_FALSE(std::filesystem::exists(scratch.file("keys.ini"))) << "nothing is written before Enter";
    rig.key(Key::BackTab); // off the button, which Enter would press
    rig.key(Key::Enter);
    ASSERT_EQ(rig.dialog->outcome(), DialogOutcome::Saved);

    EXPECT_EQ(ReadBytes(scratch.file("keys.ini")), ReadBytes(scratch.file("mouse.ini")));
    const Settings saved = Loaded(scratch.file("keys.ini"));
    const Settings before = Loaded(scratch.file("none.ini"));
    EXPECT_EQ(saved.g_ActionEnabled[5], 1);
    EXPECT_EQ(saved.g_ActionEnabled[9], 0);
    EXPECT_EQ(saved.g_OrderMode, 1);
    EXPECT_EQ(saved.g_BallRed[11], before.g_BallRed[11] + 3);
    EXPECT_EQ(saved.g_PcSpec, before.g_PcSpec - 1);
    EXPECT_EQ(saved.g_Speed, before.g_Speed + 2);
    EXPECT_EQ(saved.g_BackgroundArrangement, 2);
    EXPECT_EQ(saved.g_BackgroundColor, gfx::colorref(10, 200, 30));
    // The picture does not exist, so a load would fall back from it: the bytes tell.
    const std::string bytes = ReadBytes(scratch.file("keys.ini"));
    for (const char* line : {"背景ﾊﾟﾀｰﾝ= 4\r\n", "背景画像ﾌｧｲﾙ=/srv/壁紙/夕焼け.jpg\r\n"})
        EXPECT_NE(bytes.find(Sjis(line)), std::string::npos) << "expected " << line;
}

TEST(DialogKeyboard, EscapeAfterChangesByKeysLeavesTheFileByteForByte)
{
    TempFolder scratch;
    const std::string ini = scratch.file("Orvelune.ini");
    WriteBytes(ini, Sjis("[Section]\r\n速さ=12\r\nｱｸｼｮﾝ_01=0\r\n; kept\r\n"));
    const std::string bytes = ReadBytes(ini);
    host::HeadlessOptions options;
    options.chosen_color = gfx::colorref(1, 2, 3);
    DialogRig rig(Loaded(ini), options);
    rig.load();
    tab_to(rig, "lbl_Action_Kind(1)");
    rig.key(Key::Space);
    tab_to(rig, "HS_Fast");
    keys(rig, Key::Right, 4);
    tab_to(rig, "lbl_C");
    rig.key(Key::Space);
    rig.key(Key::Escape);
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Cancelled);
    EXPECT_EQ(ReadBytes(ini), bytes);
}

TEST(DialogKeyboard, SpaceWorksTheCommandsAndEnterKeepsTheSaveCheck)
{
    TempFolder scratch;
    Settings none = Loaded(scratch.file("Orvelune.ini"));
    for (std::size_t n = 1; n <= 20; ++n)
        none.g_ActionEnabled[n] = 0;
    DialogRig rig(none);
    int cards = 0;
    rig.seams.show_version = [&](host::Host&, const DialogCardView&) { ++cards; };
    rig.load();

    rig.key(Key::Enter);
    ASSERT_EQ(rig.host.message_boxes().size(), 1u) << "expected the save check's message";
    EXPECT_TRUE(rig.dialog->loaded());
    tab_to(rig, "lbl_URL");
    rig.key(Key::Space);
    EXPECT_EQ(rig.host.opened_urls().size(), 1u);
    tab_to(rig, "lbl_Cmd(1)");
    rig.key(Key::Space);
    EXPECT_EQ(cards, 1);
    expect_mark_drawn(rig); // the face is up again, the mark on it

    // While the mouse holds a bar, keys wait; Escape still cancels.
    tab_to(rig, "PC_Spec", Key::BackTab);
    const int pc = rig.dialog->model().bar(dialog::BarIndex::PcSpecBar).value();
    rig.press(rig.at("H_RGB(2)", 50, 8));
    rig.key(Key::Right);
    rig.key(Key::Tab);
    EXPECT_EQ(rig.dialog->model().bar(dialog::BarIndex::PcSpecBar).value(), pc);
    EXPECT_EQ(focused_name(rig), "PC_Spec");
    rig.release(rig.at("H_RGB(2)", 50, 8));

    tab_to(rig, "lbl_Cmd(2)");
    rig.key(Key::Space);
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(scratch.file("Orvelune.ini")));
}

TEST(DialogKeyboard, PagesHomeAndEndMoveEachBarByItsLargeStepAndToItsEnds)
{
    struct Case {
        const char* bar;
        int index, min, max, large;
    };
    const Case cases[] = {
        {"H_RGB(1)", dialog::BarIndex::RedBar, 0, 127, 10},
        {"PC_Spec", dialog::BarIndex::PcSpecBar, 0, 100, 10},
        {"HS_Fast", dialog::BarIndex::SpeedBar, 10, 30, 5},
    };
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    for (const Case& c : cases) {
        tab_to(rig, c.bar);
        auto value = [&] { return rig.dialog->model().bar(c.index).value(); };
        const std::pair<Key, int> steps[] = {
            {Key::Home, c.min},         {Key::PageUp, c.min},           {Key::PageDown, c.min + c.large},
            {Key::PageDown, c.min + 2 * c.large}, {Key::PageUp, c.min + c.large}, {Key::End, c.max},
            {Key::PageDown, c.max},     {Key::PageUp, c.max - c.large},
        };
        for (const auto& [key, expected] : steps) {
            rig.key(key);
            EXPECT_EQ(value(), expected) << c.bar << " after key " << int(key);
        }
        expect_mark_drawn(rig);
    }
    tab_to(rig, "lbl_Opt_bk(1)");
    for (const Key key : {Key::PageUp, Key::PageDown, Key::Home, Key::End})
        rig.key(key);
    EXPECT_EQ(focused_name(rig), "lbl_Opt_bk(1)") << "elsewhere the keys do nothing";
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Open);
}

// Enter and Space press the focused button; on any other stop Enter is the
// save button's.
TEST(DialogKeyboard, EnterAndSpacePressTheFocusedButtonAndEnterSavesElsewhere)
{
    struct Case {
        const char* stop;
        Key key;
        DialogOutcome outcome;
        bool written;
        int cards;
        std::size_t urls;
    };
    const Case cases[] = {
        {"lbl_Cmd(2)", Key::Enter, DialogOutcome::Cancelled, false, 0, 0},
        {"lbl_Cmd(2)", Key::Space, DialogOutcome::Cancelled, false, 0, 0},
        {"lbl_Cmd(0)", Key::Enter, DialogOutcome::DefaultsRestored, true, 0, 0},
        {"lbl_Cmd(1)", Key::Enter, DialogOutcome::Open, false, 1, 0},
        {"lbl_URL", Key::Enter, DialogOutcome::Open, false, 0, 1},
        {"lbl_Cmd(3)", Key::Enter, DialogOutcome::Saved, true, 0, 0},
        {"Display", Key::Enter, DialogOutcome::Saved, true, 0, 0},
        {"lbl_Action_Kind(2)", Key::Enter, DialogOutcome::Saved, true, 0, 0},
        {"lbl_Opt_bk_G(2)", Key::Enter, DialogOutcome::Saved, true, 0, 0},
        {"HS_Fast", Key::Enter, DialogOutcome::Saved, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stop) + (c.key == Key::Enter ? " Enter" : " Space"));
        TempFolder scratch;
        const std::string ini = scratch.file("Orvelune.ini");
        DialogRig rig(Loaded(ini));
        int cards = 0;
        rig.seams.show_version = [&](host::Host&, const DialogCardView&) { ++cards; };
        rig.load();
        tab_to(rig, c.stop);
        rig.key(c.key);
        EXPECT_EQ(rig.dialog->outcome(), c.outcome);
        EXPECT_EQ(std::filesystem::exists(ini), c.written);
        EXPECT_EQ(cards, c.cards);
        EXPECT_EQ(rig.host.opened_urls().size(), c.urls);
    }
}

// At scale 2 (a scaled Wayland output) the artwork and the mark are the
// picture at scale 1 enlarged by whole pixels (the rig draws no text, which
// is set anew at the scale), and a part repainted is the whole's.
TEST(DialogKeyboard, AtScaleTwoThePictureIsEnlargedByWholePixelsAndPartsMatchTheWhole)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    for (const char* stop : {"Display", "lbl_All", "HS_Fast", "lbl_Cmd(3)"}) {
        SCOPED_TRACE(stop);
        tab_to(rig, stop);
        const dialog::DialogScene scene{rig.dialog->model(), rig.dialog->controls(), rig.dialog->art(), rig.host,
                                        rig.dialog->focus_mark()};
        gfx::Surface whole(2 * dialog::kWindowWidth, 2 * dialog::kWindowHeight);
        dialog::paint_area(scene, whole, {0, 0, dialog::kWindowWidth, dialog::kWindowHeight}, 2);
        int unlike = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                unlike += whole.at(x, y) != rig.picture().at(x / 2, y / 2) ? 1 : 0;
        EXPECT_EQ(unlike, 0) << "pixels unlike the picture at scale 1";
        gfx::Surface parts = whole;
        parts.fill(gfx::kBlack);
        for (int y = 0; y < dialog::kWindowHeight; y += 97)
            for (int x = 0; x < dialog::kWindowWidth; x += 131)
                dialog::paint_area(scene, parts, {x, y, 131, 97}, 2);
        EXPECT_TRUE(parts == whole) << "repainted in parts, the picture differs from the whole";
    }
}

// ---- a screen smaller than the dialog

TEST(DialogPlacement, CentredAsBeforeAndOnASmallScreenTheBarAndCloseButtonStayOnIt)
{
    struct Case {
        gfx::Rect monitor;
        gfx::Point expected;
    };
    const Case cases[] = {
        {{0, 0, 1024, 768}, {(1024 - 701) / 2, (768 - 509) / 2}},
        {{0, 0, 701, 509}, {0, 0}},
        {{0, 0, 700, 600}, {0, 45}},       // the close button fits as centred
        {{0, 0, 640, 480}, {640 - 696, 0}}, // centred would be (-30, -14)
        {{1920, 100, 640, 480}, {1920 + 640 - 696, 100}},
        {{0, 0, 320, 200}, {320 - 696, 0}},
    };
    for (const Case& c : cases) {
        const gfx::Rect r = dialog::dialog_placement(c.monitor);
        EXPECT_EQ(r, (gfx::Rect{c.expected.x, c.expected.y, 701, 509}))
            << "on a monitor of " << c.monitor.width << "x" << c.monitor.height;
    }
}

} // namespace
} // namespace dialogtest
