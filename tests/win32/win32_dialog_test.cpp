// The settings dialog of Orvelune.scr under Wine: a click on a check item and
// on "設 定" writes the file beside the program, byte for byte what the
// settings library writes for those values, under a Japanese and an English
// system alike, where the dialog's title reads back the same and keeps a
// second start out; cancel leaves the file as it was; the version card
// passes over the dialog and gives it back.
#include "wine_rig.h"

#include "dialog/controls.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace winetest {
namespace {

constexpr const char* kDialogTitle = "Orveluneの設定";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DialogUnderWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WineSuite::get().ready())
            GTEST_SKIP() << WineSuite::get().why();
        if (!x11test::XvfbRig::have_xdotool())
            GTEST_SKIP() << "xdotool is not installed";
    }

    // Waits until the system knows the dialog's window by its title.
    bool WaitForDialog(const std::string& locale)
    {
        const auto until = Clock::now() + 30s;
        while (Clock::now() < until) {
            if (WineSuite::get().probe({"find", hex(kDialogTitle)}, locale) != "none")
                return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // The dialog stands centred on the screen.
    static constexpr int kLeft = (kScreenWidth - dialog::kWindowWidth) / 2;
    static constexpr int kTop = (kScreenHeight - dialog::kWindowHeight) / 2;

    // A click at the centre of the control named `name`, or with `click`
    // false only the pointer put there.
    void Click(const std::string& name, bool click = true)
    {
        for (const dialog::Control& control : dialog::build_control_table())
            if (control.name == name) {
                std::vector<std::string> args{"mousemove",
                                              std::to_string(kLeft + control.rect.x + control.rect.width / 2),
                                              std::to_string(kTop + control.rect.y + control.rect.height / 2)};
                if (click)
                    args.insert(args.end(), {"click", "1"});
                ASSERT_TRUE(WineSuite::get().screen().xdotool(args));
                // The dialog paints what the click changed before it looks at the next.
                std::this_thread::sleep_for(300ms);
                return;
            }
        FAIL() << "no control " << name;
    }

    gfx::Surface GrabDialog()
    {
        x11test::XvfbRig& screen = WineSuite::get().screen();
        return x11test::PartOf(screen.grab_screen(),
                               {kLeft, kTop, dialog::kWindowWidth, dialog::kWindowHeight});
    }

    // The dialog closes and its process ends with 0; its window is gone
    // before the next start looks for it.
    static void ExpectClosesWithZero(WineProcess& dialog)
    {
        const std::optional<int> code = dialog.wait_exit(20s);
        ASSERT_TRUE(code.has_value()) << "expected the dialog to close";
        EXPECT_EQ(*code, 0);
        const auto until = Clock::now() + 10s;
        while (WineSuite::get().probe({"find", hex(kDialogTitle)}) != "none" && Clock::now() < until)
            std::this_thread::sleep_for(50ms);
    }
};

TEST_F(DialogUnderWine, ACheckItemAndSaveWriteTheFileByteExactUnderCodePages932And1252)
{
    // What the settings library writes for the defaults with kind 1 unchecked.
    Settings expected_values{};
    LoadSettings(expected_values, std::string());
    expected_values.g_ActionEnabled[1] = 0;
    char scratch[] = "/tmp/orvelune-wine-expected-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    const std::string expected_path = std::string(scratch) + "/Orvelune.ini";
    ASSERT_TRUE(save_settings_file(expected_path, expected_values).ok);
    const std::string expected = ReadAll(expected_path);
    std::filesystem::remove_all(scratch);

    for (const char* locale : {"ja_JP.UTF-8", "en_US.UTF-8"}) {
        SCOPED_TRACE(locale);
        SaverFolder folder("設定のテスト");
        // What a killed save left goes with this one; what is not one's stays.
        const std::string abandoned = folder.path() + "/.Orvelune.ini.0123456789abcdef.tmp";
        const std::string other = folder.path() + "/.Other.ini.0123456789abcdef.tmp";
        for (const std::string& leftover : {abandoned, other})
            std::ofstream(leftover) << "half a file";
        WineProcess dialog = WineSuite::get().start(folder.scr(), {"/c"}, locale);
        ASSERT_TRUE(WaitForDialog(locale)) << "expected the settings dialog";
        EXPECT_EQ(WineSuite::get().probe({"find", hex(kDialogTitle)}, locale), "found " + hex(kDialogTitle));
        // A second start finds the dialog by its Japanese title and ends.
        WineProcess second = WineSuite::get().start(folder.scr(), {"/s"}, locale);
        EXPECT_EQ(second.wait_exit(20s), std::optional<int>(0));
        Click("Img_Action_Kind(1)");
        Click("lbl_Cmd(3)"); // "設 定"
        ExpectClosesWithZero(dialog);
        const std::string written = ReadAll(folder.ini());
        EXPECT_FALSE(written.empty()) << "expected the file beside the program";
        EXPECT_TRUE(written == expected) << "expected the bytes the settings library writes";
        EXPECT_FALSE(std::filesystem::exists(abandoned));
        EXPECT_TRUE(std::filesystem::exists(other));
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".Orvelune.ini."))
                << "the save left " << entry.path();
    }
}

// Keys alone, as Wine delivers them to the dialog's window, Tab included:
// Tab to item 1 (past the dial and "全て選択"), Space unchecks it, Shift+Tab
// back and forth, Enter saves what a click would have saved.
TEST_F(DialogUnderWine, TabSpaceAndEnterSaveWhatTheMouseWould)
{
    Settings expected_values{};
    LoadSettings(expected_values, std::string());
    expected_values.g_ActionEnabled[1] = 0;
    char scratch[] = "/tmp/orvelune-wine-expected-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    const std::string expected_path = std::string(scratch) + "/Orvelune.ini";
    ASSERT_TRUE(save_settings_file(expected_path, expected_values).ok);
    const std::string expected = ReadAll(expected_path);
    std::filesystem::remove_all(scratch);

    SaverFolder folder;
    WineProcess dialog = WineSuite::get().start(folder.scr(), {"/c"});
    ASSERT_TRUE(WaitForDialog("en_US.UTF-8"));
    Click("Pic_C", false); // the pointer over the dialog, which has the keyboard
    for (const char* key : {"Tab", "Tab", "Tab", "shift+Tab", "space", "Return"}) {
        ASSERT_TRUE(WineSuite::get().screen().xdotool({"key", key}));
        std::this_thread::sleep_for(150ms);
    }
    ExpectClosesWithZero(dialog);
    EXPECT_TRUE(ReadAll(folder.ini()) == expected) << "expected the bytes the settings library writes";
}

TEST_F(DialogUnderWine, CancelOrEscapeAfterChangesLeavesTheFileAsItWas)
{
    SaverFolder folder;
    Settings settings = x11test::SlowSettings(70);
    settings.g_ActionEnabled[3] = 0;
    settings.g_Speed = 22;
    folder.write_settings(settings);
    const std::string before = ReadAll(folder.ini());

    // "ｷｬﾝｾﾙ", and the Escape key, which reaches the dialog as its window
    // has the keyboard.
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "cancel");
        WineProcess dialog = WineSuite::get().start(folder.scr(), {"/c"});
        ASSERT_TRUE(WaitForDialog("en_US.UTF-8"));
        Click("Img_Action_Kind(1)");
        Click("Img_Action_Kind(3)");
        if (escape)
            ASSERT_TRUE(WineSuite::get().screen().xdotool({"key", "Escape"}));
        else
            Click("lbl_Cmd(2)");
        ExpectClosesWithZero(dialog);
        EXPECT_TRUE(ReadAll(folder.ini()) == before) << "expected the file byte for byte as it was";
    }
}

// The card plays in a window of its own above the dialog and turns the dial
// over to the version line and back; Escape meanwhile is dropped, and once
// the card has closed itself the dialog looks as it did and has the
// keyboard again.
TEST_F(DialogUnderWine, TheVersionCardTurnsOverTheDialAndGivesTheDialogBack)
{
    constexpr const char* kCardTitle = "Orvelune";
    SaverFolder folder;
    folder.write_settings(x11test::SlowSettings(30));
    WineProcess dialog = WineSuite::get().start(folder.scr(), {"/c"});
    ASSERT_TRUE(WaitForDialog("en_US.UTF-8"));
    Click("lbl_Cmd(1)", false); // "ﾊﾟｰｼﾞｮﾝ情報", where the pointer stays
    const gfx::Surface before = GrabDialog();

    Click("lbl_Cmd(1)");
    const gfx::Rect card{kLeft + 18, kTop + 36, 290, 290};
    // The card's window covers the screen with its picture of the screen:
    // a part of the dialog that no turn draws over (right of the widest
    // rows, below the tallest columns) shows there as it was.
    const gfx::Rect untouched{380, 400, 170, 109};
    const gfx::Surface untouched_before = x11test::PartOf(before, untouched);
    int yellow = 0;
    std::string snapshot_difference;
    EXPECT_TRUE(WineSuite::get().screen().poll_grab(
        WineSuite::get().screen().root(), kScreenWidth, kScreenHeight, 10s, [&](const gfx::Surface& shot) {
            yellow = 0;
            for (int y = card.y; y < card.y + card.height; ++y)
                for (int x = card.x; x < card.x + card.width; ++x)
                    yellow += shot.at(x, y) == gfx::rgb(255, 255, 0) ? 1 : 0;
            snapshot_difference = x11test::FirstDifference(
                untouched_before, x11test::PartOf(shot, {kLeft + untouched.x, kTop + untouched.y,
                                                         untouched.width, untouched.height}));
            return yellow > 200;
        })) << "expected the version line on the dial; most yellow pixels seen " << yellow;
    EXPECT_TRUE(snapshot_difference.empty()) << "expected the dialog in the card's picture: " << snapshot_difference;
    ASSERT_TRUE(WineSuite::get().screen().xdotool({"key", "Escape"}));
    EXPECT_EQ(WineSuite::get().probe({"find", hex(kCardTitle)}), "found " + hex(kCardTitle))
        << "expected the card in a window of its own";

    const auto until = Clock::now() + 10s;
    while (WineSuite::get().probe({"find", hex(kCardTitle)}) != "none" && Clock::now() < until)
        std::this_thread::sleep_for(50ms);
    ASSERT_EQ(WineSuite::get().probe({"find", hex(kCardTitle)}), "none") << "expected the card to close itself";
    EXPECT_TRUE(dialog.running()) << "expected Escape during the card to be dropped";
    const std::string difference = x11test::FirstDifference(before, GrabDialog());
    EXPECT_TRUE(difference.empty()) << "expected the dialog as it was: " << difference;
    ASSERT_TRUE(WineSuite::get().screen().xdotool({"key", "Escape"}));
    ExpectClosesWithZero(dialog);
}

} // namespace
} // namespace winetest
