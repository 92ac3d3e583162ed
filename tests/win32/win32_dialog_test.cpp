// The settings dialog of Orvelune.scr under Wine: a click on a check item and
// on "設 定" writes the file beside the program, byte for byte what the
// settings library writes for those values, under a Japanese and an English
// system alike, where the dialog's title reads back the same and keeps a
// second start out; cancel leaves the file as it was.
#include "wine_rig.h"

#include "dialog/controls.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

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

    // A click at the centre of the control named `name`; the dialog stands
    // centred on the screen.
    void Click(const std::string& name)
    {
        const int left = (kScreenWidth - dialog::kWindowWidth) / 2;
        const int top = (kScreenHeight - dialog::kWindowHeight) / 2;
        for (const dialog::Control& control : dialog::build_control_table())
            if (control.name == name) {
                const int x = left + control.rect.x + control.rect.width / 2;
                const int y = top + control.rect.y + control.rect.height / 2;
                ASSERT_TRUE(WineSuite::get().screen().xdotool(
                    {"mousemove", std::to_string(x), std::to_string(y), "click", "1"}));
                // The dialog paints what the click changed before it looks at the next.
                std::this_thread::sleep_for(300ms);
                return;
            }
        FAIL() << "no control " << name;
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
    }
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

} // namespace
} // namespace winetest
