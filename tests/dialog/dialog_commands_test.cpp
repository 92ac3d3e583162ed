// The commands: save with its check, restore defaults, the ways to cancel,
// the picture file, the version seam and the link; the file written byte
// for byte, and failures that leave it alone.
#include "dialog_rig.h"

#include "startup/startup.h"
#include "version/ball_v.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>

namespace dialogtest {
namespace {

// Lines joined with CR LF, as the file holds them, in code page 932.
std::string file_text(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines)
        text += std::string(line) + "\r\n";
    return Sjis(text);
}

TEST(DialogSave, WritesEverySettingTheDialogShows)
{
    TempFolder scratch;
    const std::string ini = scratch.file("Orvelune.ini");
    host::HeadlessOptions options;
    options.chosen_color = gfx::colorref(10, 200, 30);
    options.chosen_picture_file = "/srv/壁紙/夕焼け.jpg";
    DialogRig rig(Loaded(ini), options);
    rig.load();
    rig.click("lbl_C");                                // the dial's colour
    rig.click("Pic_Mas(3)");
    rig.click(rig.at("H_RGB(1)", 95, 8));              // ball 3's red, 76 + 1
    rig.press(rig.at("HS_Fast", 30, 8));               // the speed's thumb to the right end
    rig.move(rig.at("HS_Fast", 300, 8));
    rig.release(rig.at("HS_Fast", 300, 8));
    rig.click(rig.at("PC_Spec", 8, 8));                // 50 - 1
    rig.click("Img_Action_Kind(5)");
    rig.click("lbl_Opt_Ptn(1)");
    rig.click("lbl_Opt_bk(4)");
    rig.click("lbl_Opt_bk_G(2)");
    rig.click("lbl_Path");
    EXPECT_FALSE(std::filesystem::exists(ini)) << "nothing is written before the save";
    rig.click("lbl_Cmd(3)");

    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Saved);
    EXPECT_FALSE(rig.dialog->loaded());
    EXPECT_EQ(ReadBytes(ini),
              file_text({"[Section]", "球色_01=000-000-088", "球色_02=000-048-000", "球色_03=077-000-000",
                        "球色_04=082-026-000", "球色_05=080-000-070", "球色_06=000-048-062",
                        "球色_07=068-042-004", "球色_08=070-048-048", "球色_09=080-030-030",
                        "球色_10=072-032-056", "球色_11=000-000-088", "ｱｸｼｮﾝ_01= 1", "ｱｸｼｮﾝ_02= 1",
                        "ｱｸｼｮﾝ_03= 1", "ｱｸｼｮﾝ_04= 1", "ｱｸｼｮﾝ_05= 0", "ｱｸｼｮﾝ_06= 1", "ｱｸｼｮﾝ_07= 1",
                        "ｱｸｼｮﾝ_08= 1", "ｱｸｼｮﾝ_09= 1", "ｱｸｼｮﾝ_10= 1", "ｱｸｼｮﾝ_11= 1", "ｱｸｼｮﾝ_12= 1",
                        "ｱｸｼｮﾝ_13= 1", "ｱｸｼｮﾝ_14= 1", "ｱｸｼｮﾝ_15= 1", "ｱｸｼｮﾝ_16= 1", "ｱｸｼｮﾝ_17= 1",
                        "ｱｸｼｮﾝ_18= 1", "ｱｸｼｮﾝ_19= 1", "ｱｸｼｮﾝ_20= 1", "処理ﾊﾟﾀｰﾝ= 1",
                        "背景色= 2017290", "速さ= 30", "背景ﾊﾟﾀｰﾝ= 4", "背景配列ﾊﾟﾀｰﾝ= 2",
                        "背景画像ﾌｧｲﾙ=/srv/壁紙/夕焼け.jpg", "PCｽﾍﾟｯｸ= 49"}));
}

TEST(DialogSave, RefusesWithNoActionCheckedAndSucceedsWithAnyOne)
{
    TempFolder scratch;
    const std::string ini = scratch.file("Orvelune.ini");
    Settings none = Loaded(ini);
    for (std::size_t n = 1; n <= 20; ++n)
        none.g_ActionEnabled[n] = 0;
    DialogRig rig(none);
    rig.load();
    rig.click("lbl_Cmd(3)");
    ASSERT_EQ(rig.host.message_boxes().size(), 1u);
    EXPECT_EQ(rig.host.message_boxes()[0].text, "ｱｸｼｮﾝの種類は最低一つ必要です。");
    EXPECT_EQ(rig.host.message_boxes()[0].title, "球体の色とｱｸｼｮﾝの設定");
    EXPECT_EQ(rig.host.message_boxes()[0].style, host::MessageStyle::Exclamation);
    EXPECT_TRUE(rig.dialog->loaded());
    EXPECT_FALSE(std::filesystem::exists(ini));

    rig.click("Img_Action_Kind(20)"); // the last one is looked at too
    rig.click("lbl_Cmd(3)");
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Saved);
    EXPECT_EQ(rig.host.message_boxes().size(), 1u);
    Settings saved = Loaded(ini);
    EXPECT_EQ(saved.g_ActionEnabled[20], 1);
    EXPECT_EQ(saved.g_ActionEnabled[19], 0);
}

TEST(DialogRestoreDefaults, RewritesEveryKeyKeepsTheRestOfTheFileAndLeavesTheControls)
{
    TempFolder scratch;
    const std::string ini = scratch.file("Orvelune.ini");
    WriteBytes(ini, file_text({"; mine", "[Section]", "速さ=20", "球色_03=001-002-003", "[Other]", "key=value"}));
    DialogRig rig(Loaded(ini));
    rig.load();
    rig.click("Img_Action_Kind(2)");
    rig.press(rig.centre("lbl_Cmd(0)"));
    const gfx::Surface pressed = rig.picture();
    rig.release(rig.centre("lbl_Cmd(0)"));
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::DefaultsRestored);
    EXPECT_EQ(rig.settings.g_ActionEnabled[2], 0) << "the controls are not reset";
    EXPECT_EQ(ReadBytes(ini),
              file_text({"; mine", "[Section]", "速さ=15", "球色_03=076-000-000", "球色_01=000-000-088",
                        "球色_02=000-048-000", "球色_04=082-026-000", "球色_05=080-000-070",
                        "球色_06=000-048-062", "球色_07=068-042-004", "球色_08=070-048-048",
                        "球色_09=080-030-030", "球色_10=072-032-056", "球色_11=000-000-088", "ｱｸｼｮﾝ_01=1",
                        "ｱｸｼｮﾝ_02=1", "ｱｸｼｮﾝ_03=1", "ｱｸｼｮﾝ_04=1", "ｱｸｼｮﾝ_05=1", "ｱｸｼｮﾝ_06=1", "ｱｸｼｮﾝ_07=1",
                        "ｱｸｼｮﾝ_08=1", "ｱｸｼｮﾝ_09=1", "ｱｸｼｮﾝ_10=1", "ｱｸｼｮﾝ_11=1", "ｱｸｼｮﾝ_12=1",
                        "ｱｸｼｮﾝ_13=1", "ｱｸｼｮﾝ_14=1", "ｱｸｼｮﾝ_15=1", "ｱｸｼｮﾝ_16=1", "ｱｸｼｮﾝ_17=1",
                        "ｱｸｼｮﾝ_18=1", "ｱｸｼｮﾝ_19=1", "ｱｸｼｮﾝ_20=1", "処理ﾊﾟﾀｰﾝ=2", "背景色= 0",
                        "背景ﾊﾟﾀｰﾝ=2", "背景配列ﾊﾟﾀｰﾝ=1", "背景画像ﾌｧｲﾙ=", "PCｽﾍﾟｯｸ=50", "[Other]",
                        "key=value"}));
}

TEST(DialogCancel, EveryWayOfClosingWithoutSavingLeavesTheFileByteForByte)
{
    TempFolder scratch;
    const std::string ini = scratch.file("Orvelune.ini");
    const std::string original = file_text({"[Section]", "速さ=20", "ｱｸｼｮﾝ_04=0"});
    struct Case {
        const char* how;
        std::function<void(DialogRig&)> close;
    };
    const Case cases[] = {
        {"ｷｬﾝｾﾙ", [](DialogRig& r) { r.click("lbl_Cmd(2)"); }},
        {"ｷｬﾝｾﾙ released away from the button",
         [](DialogRig& r) {
             r.press(r.centre("lbl_Cmd(2)"));
             r.release(r.centre("Display"));
         }},
        {"ｷｬﾝｾﾙ with the right button", [](DialogRig& r) { r.click("lbl_Cmd(2)", host::kRightButton); }},
        {"the close button", [](DialogRig& r) { r.click("ImgExit"); }},
        {"Escape", [](DialogRig& r) { r.key(host::Key::Escape); }},
        {"the window manager", [](DialogRig& r) { r.dialog->on_close_request(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        WriteBytes(ini, original);
        DialogRig rig(Loaded(ini));
        rig.load();
        ASSERT_TRUE(rig.host.top_level_window_exists(kSettingsDialogTitle)) << "a second start sees the dialog";
        rig.click("Img_Action_Kind(1)");
        rig.click(rig.at("HS_Fast", 68, 8));
        const gfx::Rect window = rig.dialog->window_rect();
        c.close(rig);
        EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Cancelled);
        EXPECT_FALSE(rig.host.top_level_window_exists(kSettingsDialogTitle));
        EXPECT_EQ(ReadBytes(ini), original);
        ASSERT_EQ(rig.host.zooms().size(), 2u);
        EXPECT_EQ(rig.host.zooms()[1].from, window) << "the window shrinks into the point it grew from";
        EXPECT_EQ(rig.host.zooms()[1].to, rig.host.zooms()[0].from);
    }
}

TEST(DialogSave, AFailingWriteIsReportedAndTheDialogStaysOpenWithNothingLost)
{
    TempFolder scratch;
    // A file where the settings folder should be: nothing can be written there.
    WriteBytes(scratch.file("blocked"), "not a folder");
    const std::string ini = scratch.file("blocked") + "/Orvelune.ini";
    for (const char* command : {"lbl_Cmd(3)", "lbl_Cmd(0)"}) {
        SCOPED_TRACE(command);
        DialogRig rig(Loaded(ini));
        rig.load();
        rig.click("Img_Action_Kind(3)");
        rig.click(command);
        ASSERT_EQ(rig.host.message_boxes().size(), 1u);
        EXPECT_NE(rig.host.message_boxes()[0].text.find("保存できませんでした"), std::string::npos)
            << rig.host.message_boxes()[0].text;
        EXPECT_EQ(rig.host.message_boxes()[0].title, "球体の色とｱｸｼｮﾝの設定");
        EXPECT_TRUE(rig.dialog->loaded());
        EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Open);
        EXPECT_EQ(rig.settings.g_ActionEnabled[3], 0) << "the user's changes are still there";
        EXPECT_EQ(ReadBytes(scratch.file("blocked")), "not a folder");
    }
}

TEST(DialogPictureFile, AChosenFileIsShownAndOneTheFileCannotHoldIsRefused)
{
    TempFolder scratch;
    struct Case {
        std::string chosen;
        bool kept;
    };
    const Case cases[] = {
        {"/home/kei/Pictures/夕焼け 2.jpg", true},
        {"/home/kei/Pictures/조명.png", false},          // hangul: not in code page 932
        {"/home/kei/Pictures/smile\xF0\x9F\x98\x80.png", false}, // an emoji
        {"/home/kei/line\nbreak.png", false},
        {"/home/kei/trailing.png ", false},
        {"/" + std::string(300, 'a') + ".png", false},     // longer than a value can be
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        Settings start = Loaded(scratch.file("none.ini"));
        start.g_BackgroundPicturePath = "/old/picture.bmp";
        host::HeadlessOptions options;
        options.chosen_picture_file = c.chosen;
        DialogRig rig(start, options);
        rig.load();
        rig.click("lbl_Path");
        ASSERT_EQ(rig.host.picture_file_requests(), 1);
        const host::PictureFileRequest& request = rig.host.last_picture_file_request();
        EXPECT_EQ(request.title, "背景にする画像ファイルを選択 ");
        EXPECT_EQ(request.filter_name, "画像ﾌｧｲﾙ (bmp gif jpg wmf)");
        EXPECT_EQ(request.filter_patterns, "*.bmp;*.gif;*.jpg;*.wmf");
        EXPECT_EQ(rig.dialog->model().BK_Path(), c.kept ? c.chosen : "/old/picture.bmp");
        EXPECT_EQ(rig.host.message_boxes().size(), c.kept ? 0u : 1u);
        EXPECT_EQ(rig.settings.g_BackgroundMode, 2) << "choosing a file does not choose the picture background";
    }
}

TEST(DialogPictureFile, TheChooserOpensWhereTheCurrentPictureIs)
{
    TempFolder scratch;
    Settings start = Loaded(scratch.file("none.ini"));
    start.g_BackgroundPicturePath = scratch.file("sea.png");
    DialogRig rig(start);
    rig.load();
    rig.click("lbl_Path");
    EXPECT_EQ(std::filesystem::path(rig.host.last_picture_file_request().initial_folder),
              std::filesystem::path(scratch.file("sea.png")).parent_path());
    EXPECT_EQ(rig.dialog->model().BK_Path(), scratch.file("sea.png")) << "a cancelled chooser changes nothing";

    DialogRig none(Loaded(scratch.file("none.ini")));
    none.load();
    none.click("lbl_Path");
    EXPECT_EQ(none.host.last_picture_file_request().initial_folder, "") << "the host's pictures folder";
}

TEST(DialogCommands, VersionLinkAndTheirClicks)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    int versions = 0;
    rig.seams.show_version = [&](host::Host&, const DialogCardView&) { ++versions; };
    rig.load();
    rig.click("lbl_Cmd(1)");
    EXPECT_EQ(versions, 1);
    EXPECT_TRUE(rig.dialog->loaded()) << "the dialog goes on after the version card";

    rig.press(rig.centre("lbl_URL"));
    rig.release(rig.centre("Display"));
    EXPECT_TRUE(rig.host.opened_urls().empty()) << "released elsewhere: no click";
    rig.click("lbl_URL", host::kRightButton);
    EXPECT_TRUE(rig.host.opened_urls().empty());
    rig.click("lbl_URL");
    ASSERT_EQ(rig.host.opened_urls().size(), 1u);
    EXPECT_EQ(rig.host.opened_urls()[0], kPackagedReadmeAddress);
    EXPECT_TRUE(rig.dialog->loaded());

    // Where no readme is installed there is no link: its place is bare
    // ground, which opens nothing and takes no focus.
    const gfx::Point place = rig.centre("lbl_URL");
    DialogRig bare(Loaded(scratch.file("none.ini")));
    bare.seams.link_address.clear();
    bare.load();
    EXPECT_EQ(bare.dialog->control("lbl_URL"), nullptr);
    EXPECT_EQ(bare.dialog->control_at(place.x, place.y)->kind, dialog::ControlKind::Panel);
    bare.click(place);
    EXPECT_TRUE(bare.host.opened_urls().empty());
    EXPECT_EQ(bare.dialog->focus_order().size() + 1, rig.dialog->focus_order().size());
}

TEST(DialogCommands, TheVersionCardPlaysOverTheDialogWhichTakesNoInputUntilTheCardHasClosed)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    Random random(1);
    rig.seams.show_version = [&](host::Host& on, const DialogCardView& dialog) { show_version_card(on, dialog, random); };
    rig.load();
    int card_frames = 0;
    rig.host.set_frame_sink([&](const host::Window& window, const gfx::Surface&) {
        if (&window == rig.dialog->window() || ++card_frames != 10)
            return;
        // What a window system may still hand the dialog while the card
        // plays over it, the keyboard focus staying with the dialog.
        const gfx::Point cancel = rig.centre("lbl_Cmd(2)");
        rig.dialog->on_key_down(host::Key::Escape);
        rig.dialog->on_close_request();
        rig.dialog->on_mouse_down(host::kLeftButton, cancel.x, cancel.y);
        rig.dialog->on_mouse_up(host::kLeftButton, cancel.x, cancel.y);
    });
    rig.click("lbl_Cmd(1)");
    EXPECT_EQ(card_frames, 51) << "the card played to its end";
    const host::WindowRecord& card = rig.host.windows().back();
    EXPECT_TRUE(card.topmost && card.ever_shown && !card.alive) << "shown over the dialog, then gone";
    EXPECT_TRUE(rig.dialog->loaded());
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Open);

    rig.key(host::Key::Escape);
    EXPECT_EQ(rig.dialog->outcome(), DialogOutcome::Cancelled) << "the dialog answers again";
}

TEST(DialogWindow, OpensCentredWithItsTitleGrowsFromThePointerAndMovesByItsTopBar)
{
    TempFolder scratch;
    host::HeadlessOptions options;
    options.screen = {1024, 768};
    DialogRig rig(Loaded(scratch.file("none.ini")), options);
    rig.load();
    EXPECT_EQ(rig.record().title, "Orveluneの設定");
    const gfx::Rect start{(1024 - 701) / 2, (768 - 509) / 2, 701, 509};
    EXPECT_EQ(rig.dialog->window_rect(), start);
    ASSERT_EQ(rig.host.zooms().size(), 1u);
    EXPECT_EQ(rig.host.zooms()[0].to, start);

    const gfx::Surface picture = rig.picture();
    rig.press({300, 10});
    rig.move({340, 35}); // window pixels of the window as it stands before each move
    EXPECT_EQ(rig.dialog->window_rect(), (gfx::Rect{start.x + 40, start.y + 25, 701, 509}));
    rig.move({300, 10});
    EXPECT_EQ(rig.dialog->window_rect(), (gfx::Rect{start.x + 40, start.y + 25, 701, 509}))
        << "the grabbed point stays under the pointer";
    rig.release({300, 10});
    rig.move({330, 10});
    EXPECT_EQ(rig.dialog->window_rect().x, start.x + 40) << "no drag after the release";
    EXPECT_TRUE(rig.picture() == picture);

    const gfx::Rect moved = rig.dialog->window_rect();
    rig.press({300, 10}, host::kRightButton);
    rig.move({350, 60});
    rig.release({350, 60}, host::kRightButton);
    rig.press(rig.centre("lbl_Title")); // the title lies on the bar and starts no drag
    rig.move({350, 60});
    rig.release({350, 60});
    EXPECT_EQ(rig.dialog->window_rect(), moved);
}

TEST(DialogWindow, OpensCentredOnThePrimaryMonitorNotAcrossTwo)
{
    TempFolder scratch;
    host::HeadlessOptions options;
    options.screen = {3200, 1200};
    options.monitors = {{1920, 0, 1280, 1024}, {0, 0, 1920, 1200}};
    DialogRig rig(Loaded(scratch.file("none.ini")), options);
    rig.load();
    EXPECT_EQ(rig.dialog->window_rect(),
              (gfx::Rect{1920 + (1280 - 701) / 2, (1024 - 509) / 2, 701, 509}));
}

TEST(DialogWindow, WithoutAPointerToGrowFromTheWindowSimplyAppears)
{
    TempFolder scratch;
    host::HeadlessOptions options;
    options.pointer_readable = false;
    DialogRig rig(Loaded(scratch.file("none.ini")), options);
    rig.load();
    EXPECT_TRUE(rig.host.zooms().empty());
    EXPECT_EQ(rig.dialog->zoom_origin().x, 0);
    EXPECT_TRUE(rig.record().shown);
    rig.click("lbl_Cmd(2)");
    EXPECT_TRUE(rig.host.zooms().empty());
}

} // namespace
} // namespace dialogtest
