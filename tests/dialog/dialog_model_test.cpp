// The dialog's model and its control table: every id names one control, and
// every change reports all it made stale, so that repainting only those
// controls gives the picture a whole repaint of the changed model gives.
#include "dialog/model.h"
#include "dialog/paint.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_keys.h"
#include "settings/settings_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

using dialog::BarIndex;
using dialog::ControlId;
using dialog::ControlKind;
using dialog::DialogModel;
using dialog::ImageButton;
using dialog::Stale;

TEST(DialogControlTable, EveryControlHasAnIdOfItsOwnThatResolvesToIt)
{
    const dialog::ControlTable table;
    for (const dialog::Control& c : table.all()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(table.find(c.id()), &c) << "two controls share an id";
        EXPECT_EQ(table.find(c.name), &c) << "two controls share a name";
    }
    const ControlId missing[] = {{ControlKind::CheckMark, 0}, {ControlKind::CheckMark, 21}, {ControlKind::Swatch, -1},
                                 {ControlKind::ScrollBar, 6}, {ControlKind::Dial, 1}};
    for (const ControlId id : missing)
        EXPECT_EQ(table.find(id), nullptr) << int(id.kind) << " " << id.index;
    // The design's names stay with the ids a reader looks for.
    const std::pair<ControlId, const char*> named[] = {
        {{ControlKind::CheckMark, 7}, "Img_Action_Kind(7)"}, {{ControlKind::CheckCaption, 20}, "lbl_Action_Kind(20)"},
        {{ControlKind::ButtonCaption, ImageButton::Save}, "lbl_Cmd(3)"}, {{ControlKind::ButtonFace, ImageButton::SelectAll}, "Img_All"},
        {{ControlKind::ScrollBar, BarIndex::SpeedBar}, "HS_Fast"}, {{ControlKind::ScrollBar, BarIndex::GreenBar}, "H_RGB(2)"},
        {{ControlKind::Swatch, 11}, "Pic_Mas(11)"}, {{ControlKind::PathBox, 0}, "BK_Path"}};
    for (const auto& [id, name] : named) {
        ASSERT_NE(table.find(id), nullptr) << name;
        EXPECT_EQ(table.find(id)->name, name);
    }
}

TEST(DialogBarsRanges, EachBarTakesItsEndsAndStepsFromTheKeyTableAndShowsTheDefault)
{
    Settings settings{};
    const dialog::ControlTable table;
    DialogModel model(settings, table);
    const std::pair<int, SettingKind> bars[] = {{BarIndex::RedBar, SettingKind::BallColor},
                                                {BarIndex::GreenBar, SettingKind::BallColor},
                                                {BarIndex::BlueBar, SettingKind::BallColor},
                                                {BarIndex::PcSpecBar, SettingKind::PcSpec},
                                                {BarIndex::SpeedBar, SettingKind::Speed}};
    for (const auto& [index, kind] : bars) {
        SCOPED_TRACE(index);
        const std::optional<BarScale> scale = setting_bar(kind);
        ASSERT_TRUE(scale.has_value());
        EXPECT_EQ(model.bar(index).min(), scale->min);
        EXPECT_EQ(model.bar(index).max(), scale->max);
        EXPECT_LT(scale->min, scale->max);
        EXPECT_GE(scale->small_change, 1);
        EXPECT_GE(scale->large_change, scale->small_change);
    }
    // Whatever the dialog can save, the saver runs as it is; and every
    // default stands on its bar, so restoring the defaults never leaves a
    // bar at its first position.
    for (const SettingKey& key : kSettingKeys) {
        if (!key.bar)
            continue;
        SCOPED_TRACE(std::string(key.key));
        if (key.range) {
            EXPECT_GE(key.bar->min, key.range->lowest);
            EXPECT_LE(key.bar->max, key.range->highest);
        }
        std::istringstream text{std::string(key.default_text)};
        for (int component; text >> component; text.ignore(1)) {
            EXPECT_GE(component, key.bar->min);
            EXPECT_LE(component, key.bar->max);
        }
    }
}

// ---- every change and what it made stale -------------------------------------

struct ChangeCase {
    const char* name;
    std::function<void(Settings&)> loaded;       // the settings the model loads
    std::function<void(DialogModel&)> prepared;  // what happened since
    std::function<Stale(DialogModel&)> change;
};

const ChangeCase kChanges[] = {
    {"a check item", {}, {}, [](DialogModel& m) { return m.Img_Action_Kind_MouseDown(5); }},
    {"a check item the file set to 3", [](Settings& s) { s.g_ActionEnabled[9] = 3; }, {},
     [](DialogModel& m) { return m.Img_Action_Kind_MouseDown(9); }},
    {"the order", {}, {}, [](DialogModel& m) { return m.Img_Opt_Ptn_MouseDown(1); }},
    {"the background", {}, {}, [](DialogModel& m) { return m.Img_Opt_bk_MouseDown(4); }},
    {"the background from one outside 1..4", [](Settings& s) { s.g_BackgroundMode = 7; }, {},
     [](DialogModel& m) { return m.Img_Opt_bk_MouseDown(3); }},
    {"the arrangement", {}, {}, [](DialogModel& m) { return m.Img_Opt_bk_G_MouseDown(2); }},
    {"select all", [](Settings& s) { s.g_ActionEnabled.fill(0); }, {},
     [](DialogModel& m) { return m.select_all_actions(); }},
    {"a small ball", {}, {}, [](DialogModel& m) { return m.Pic_Mas_Click(3); }},
    {"the centre ball", {}, {}, [](DialogModel& m) { return m.Pic_Mas_Click(11); }},
    {"a ball whose colour the bars cannot show", [](Settings& s) { s.g_BallGreen[4] = 200; }, {},
     [](DialogModel& m) { return m.Pic_Mas_Click(4); }},
    {"the dial's colour", {}, [](DialogModel& m) { m.Pic_Mas_Click(2); },
     [](DialogModel& m) { return m.set_dial_colour(gfx::colorref(10, 200, 30)); }},
    {"the picture path", {}, {}, [](DialogModel& m) { return m.set_picture_path("/srv/海/picture.bmp"); }},
    {"a button's face goes down", {}, {}, [](DialogModel& m) { return m.press_button(ImageButton::Save); }},
    {"and up", {}, [](DialogModel& m) { m.press_button(ImageButton::PictureFile); },
     [](DialogModel& m) { return m.release_button(ImageButton::PictureFile); }},
    {"the close button", {}, {}, [](DialogModel& m) { return m.press_close(true); }},
    {"a colour bar's arrow", {}, {}, [](DialogModel& m) { return m.press_bar(BarIndex::RedBar, 95, 8); }},
    {"a colour bar's track", {}, {}, [](DialogModel& m) { return m.press_bar(BarIndex::BlueBar, 20, 8); }},
    {"the speed bar's track", {}, {}, [](DialogModel& m) { return m.press_bar(BarIndex::SpeedBar, 60 - 5, 8); }},
    {"a dragged thumb", {}, [](DialogModel& m) { m.press_bar(BarIndex::GreenBar, 41, 8); },
     [](DialogModel& m) { return m.drag_bar(BarIndex::GreenBar, 70, 8); }},
    {"a held arrow repeats", {}, [](DialogModel& m) { m.press_bar(BarIndex::PcSpecBar, 70, 8); },
     [](DialogModel& m) { return m.repeat_bar(BarIndex::PcSpecBar); }},
    {"the bar let go", {}, [](DialogModel& m) { m.press_bar(BarIndex::PcSpecBar, 3, 8); },
     [](DialogModel& m) { return m.release_bar(BarIndex::PcSpecBar); }},
    {"an arrow key on a colour bar", {}, {}, [](DialogModel& m) { return m.key_bar(BarIndex::GreenBar, DialogModel::BarKey::Small, 1); }},
    {"an arrow key at the bar's end", [](Settings& s) { s.g_Speed = 30; }, {},
     [](DialogModel& m) { return m.key_bar(BarIndex::SpeedBar, DialogModel::BarKey::Small, 1); }},
    {"End on a colour bar", {}, {}, [](DialogModel& m) { return m.key_bar(BarIndex::BlueBar, DialogModel::BarKey::End, 1); }},
};

// Text as a row of boxes, one a byte, so that captions and the path show.
class BoxText : public host::TextService {
public:
    int draw_text(gfx::Surface& into, gfx::Point at, std::string_view utf8, const host::Font&,
                  gfx::Pixel colour) override
    {
        for (std::size_t i = 0; i < utf8.size(); ++i)
            gfx::fill_box(into, {at.x + int(i) * 4, at.y + 2, 3, 8}, colour);
        return int(utf8.size()) * 4;
    }
    int text_height(std::string_view, const host::Font&) override { return 12; }
    int text_width(std::string_view utf8, const host::Font&) override { return int(utf8.size()) * 4; }
};

host::HeadlessHost box_text()
{
    host::HeadlessOptions options;
    options.text = std::make_shared<BoxText>();
    return host::HeadlessHost(std::move(options));
}

TEST(DialogModelChanges, RepaintingWhatEachChangeMadeStaleGivesTheWholePicture)
{
    host::HeadlessHost text = box_text();
    const dialog::DialogArt art = dialog::make_dialog_art();
    const dialog::ControlTable table;
    TempFolder scratch;
    for (const ChangeCase& c : kChanges) {
        SCOPED_TRACE(c.name);
        Settings settings = Loaded(scratch.file("none.ini"));
        if (c.loaded)
            c.loaded(settings);
        DialogModel model(settings, table);
        model.load();
        if (c.prepared)
            c.prepared(model);
        const dialog::DialogScene scene{model, table, art, text, std::nullopt};
        gfx::Surface shown;
        dialog::paint_all(scene, shown);

        const Stale stale = c.change(model);
        EXPECT_FALSE(stale.empty()) << "every change here shows";
        for (const ControlId id : stale) {
            const dialog::Control* control = table.find(id);
            ASSERT_NE(control, nullptr) << "a stale id names no control: " << int(id.kind) << " " << id.index;
            dialog::paint_area(scene, shown, dialog::painted(*control));
        }
        gfx::Surface whole;
        dialog::paint_all(scene, whole);
        EXPECT_TRUE(shown == whole) << "a control the change touched was not reported stale";
    }
}

// The model knows no window: painting is drawn from it, the window from
// painting, and nothing leads back up.
TEST(DialogLayers, EachPartIncludesOnlyThePartsBelowIt)
{
    const std::pair<const char*, std::vector<std::string>> files[] = {
        {"controls.h", {"dialog/model.h", "dialog/paint.h", "dialog/ball_p.h", "dialog/commands.h"}},
        {"keyboard.h", {"dialog/model.h", "dialog/paint.h", "dialog/ball_p.h", "host/"}},
        {"model.h", {"dialog/paint.h", "dialog/ball_p.h", "dialog/commands.h", "host/"}},
        {"model.cpp", {"dialog/paint.h", "dialog/ball_p.h", "dialog/commands.h", "host/"}},
        {"paint.h", {"dialog/ball_p.h", "dialog/commands.h"}},
        {"paint.cpp", {"dialog/ball_p.h", "dialog/commands.h"}},
        {"commands.h", {"dialog/paint.h", "dialog/ball_p.h"}},
        {"commands.cpp", {"dialog/paint.h", "dialog/ball_p.h"}},
    };
    for (const auto& [file, forbidden] : files) {
        std::ifstream in(std::string(ORVELUNE_SOURCE_DIR) + "/src/dialog/" + file);
        ASSERT_TRUE(in) << file;
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("#include")) {
                for (const std::string& above : forbidden)
                    EXPECT_EQ(line.find(above), std::string::npos) << file << ": " << line;
            }
    }
}

} // namespace
