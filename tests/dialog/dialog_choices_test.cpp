// The check items and the option groups: what a press does to the settings
// and to the picture, with every button, on the mark or its caption.
#include "dialog_rig.h"

#include <gtest/gtest.h>

#include <functional>

namespace dialogtest {
namespace {

// The picture of a dialog freshly loaded with these settings.
gfx::Surface loaded_picture(const Settings& settings)
{
    DialogRig rig(settings);
    rig.load();
    return rig.picture();
}

TEST(DialogCheckItems, APressOnMarkOrCaptionWithAnyButtonTogglesAndASecondRestores)
{
    TempFolder scratch;
    struct Case {
        const char* target;
        int item;
        int button;
    };
    const Case cases[] = {
        {"Img_Action_Kind(1)", 1, host::kLeftButton},
        {"lbl_Action_Kind(1)", 1, host::kLeftButton},
        {"Img_Action_Kind(7)", 7, host::kRightButton},
        {"lbl_Action_Kind(20)", 20, host::kRightButton},
        {"lbl_Action_Kind(12)", 12, host::kMiddleButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        DialogRig rig(Loaded(scratch.file("none.ini")));
        rig.load();
        const gfx::Surface at_load = rig.picture();
        const std::string mark = "Img_Action_Kind(" + std::to_string(c.item) + ")";
        const gfx::Surface checked = rig.region(mark);

        rig.click(c.target, c.button);
        EXPECT_EQ(rig.settings.g_ActionEnabled[std::size_t(c.item)], 0);
        EXPECT_FALSE(rig.region(mark) == checked) << "the mark should show unchecked";
        Settings unchecked = rig.settings;
        EXPECT_TRUE(rig.picture() == loaded_picture(unchecked)) << "the picture of a dialog loaded that way";

        rig.click(c.target, c.button);
        EXPECT_EQ(rig.settings.g_ActionEnabled[std::size_t(c.item)], 1);
        EXPECT_TRUE(rig.picture() == at_load) << "two presses leave the picture as it was";
    }
}

TEST(DialogOptions, APressGivesThePictureOfADialogLoadedWithTheResult)
{
    TempFolder scratch;
    struct Case {
        const char* target;
        int button;
        std::function<void(Settings&)> start;
        std::function<void(Settings&)> expect;
    };
    const Case cases[] = {
        {"lbl_Opt_Ptn(1)", host::kLeftButton, [](Settings&) {}, [](Settings& s) { s.g_OrderMode = 1; }},
        {"Img_Opt_Ptn(2)", host::kRightButton, [](Settings& s) { s.g_OrderMode = 1; },
         [](Settings& s) { s.g_OrderMode = 2; }},
        // 3 after 4: only mark 3 shows; the arrangement keeps its own state.
        {"lbl_Opt_bk(3)", host::kLeftButton,
         [](Settings& s) { s.g_BackgroundMode = 4; s.g_BackgroundArrangement = 2; },
         [](Settings& s) { s.g_BackgroundMode = 3; }},
        {"Img_Opt_bk(1)", host::kMiddleButton, [](Settings& s) { s.g_BackgroundMode = 9; },
         [](Settings& s) { s.g_BackgroundMode = 1; }},
        {"lbl_Opt_bk_G(2)", host::kLeftButton, [](Settings&) {},
         [](Settings& s) { s.g_BackgroundArrangement = 2; }},
        {"Img_Opt_bk_G(1)", host::kRightButton, [](Settings& s) { s.g_BackgroundArrangement = 5; },
         [](Settings& s) { s.g_BackgroundArrangement = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        Settings start = Loaded(scratch.file("none.ini"));
        c.start(start);
        Settings expected = start;
        c.expect(expected);
        DialogRig rig(start);
        rig.load();
        rig.click(c.target, c.button);
        EXPECT_EQ(rig.settings.g_OrderMode, expected.g_OrderMode);
        EXPECT_EQ(rig.settings.g_BackgroundMode, expected.g_BackgroundMode);
        EXPECT_EQ(rig.settings.g_BackgroundArrangement, expected.g_BackgroundArrangement);
        EXPECT_TRUE(rig.picture() == loaded_picture(expected));
    }
}

TEST(DialogOptions, StoredValuesWithoutAMarkStayUntilAnOptionIsPressed)
{
    TempFolder scratch;
    Settings odd = Loaded(scratch.file("none.ini"));
    odd.g_OrderMode = 7;      // shown as random
    odd.g_BackgroundMode = 9; // no mark at all
    Settings shown = odd;
    shown.g_OrderMode = 2;
    DialogRig rig(odd);
    rig.load();
    EXPECT_TRUE(rig.picture() == loaded_picture(shown)) << "order 7 shows as ﾗﾝﾀﾞﾑ";
    // No background mark differs from its look in a dialog where another is selected.
    for (int i = 1; i <= 4; ++i) {
        Settings other = odd;
        other.g_BackgroundMode = std::int16_t(i % 4 + 1);
        DialogRig reference(other);
        reference.load();
        const std::string mark = "Img_Opt_bk(" + std::to_string(i) + ")";
        EXPECT_TRUE(rig.region(mark) == reference.region(mark)) << "background mark " << i << " unselected";
    }
    rig.click("lbl_Opt_bk_G(1)");
    EXPECT_EQ(rig.settings.g_OrderMode, 7) << "unchanged until an order option is pressed";
    EXPECT_EQ(rig.settings.g_BackgroundMode, 9);
}

TEST(DialogCheckItems, AValueOtherThanZeroOrOneShowsUncheckedAndAPressChecksIt)
{
    TempFolder scratch;
    Settings start = Loaded(scratch.file("none.ini"));
    start.g_ActionEnabled[4] = 2;
    Settings unchecked = start, checked = start;
    unchecked.g_ActionEnabled[4] = 0;
    checked.g_ActionEnabled[4] = 1;
    DialogRig rig(start);
    rig.load();
    EXPECT_TRUE(rig.picture() == loaded_picture(unchecked));
    rig.click("Img_Action_Kind(4)");
    EXPECT_EQ(rig.settings.g_ActionEnabled[4], 1);
    EXPECT_TRUE(rig.picture() == loaded_picture(checked));
}

TEST(DialogSelectAll, ChecksEveryItemAtTheReleaseAndNothingClearsThemAll)
{
    TempFolder scratch;
    Settings start = Loaded(scratch.file("none.ini"));
    for (int n = 1; n <= 20; n += 2)
        start.g_ActionEnabled[std::size_t(n)] = 0;
    DialogRig rig(start);
    rig.load();
    rig.press(rig.centre("lbl_All"));
    EXPECT_EQ(rig.settings.g_ActionEnabled[1], 0) << "nothing happens before the release";
    rig.release(rig.centre("lbl_All"));
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(rig.settings.g_ActionEnabled[std::size_t(n)], 1) << "action " << n;
    Settings all = start;
    for (int n = 1; n <= 20; ++n)
        all.g_ActionEnabled[std::size_t(n)] = 1;
    EXPECT_TRUE(rig.picture() == loaded_picture(all));
    rig.click("lbl_All");
    EXPECT_TRUE(rig.picture() == loaded_picture(all)) << "a second press changes nothing";
}

TEST(DialogImageButtons, APressOnTheFacesRimOutsideTheCaptionDoesNothing)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    const gfx::Surface before = rig.picture();
    for (const char* face : {"Img_Cmd(2)", "Img_All", "Img_C", "Img_Path"}) {
        SCOPED_TRACE(face);
        rig.click(rig.at(face, 2, 1)); // the top rim, above the caption
        EXPECT_TRUE(rig.dialog->loaded());
        EXPECT_TRUE(rig.picture() == before);
    }
    EXPECT_EQ(rig.host.color_requests(), 0);
    EXPECT_EQ(rig.host.picture_file_requests(), 0);
}

} // namespace
} // namespace dialogtest
