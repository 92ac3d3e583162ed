// The scroll bars: arrows, track and thumb, held presses that repeat, and the
// colour bars redrawing their ball while the thumb is dragged.
#include "dialog_rig.h"

#include <gtest/gtest.h>

namespace dialogtest {
namespace {

struct BarCase {
    const char* name;      // for the trace
    const char* bar;
    int start;             // the setting loaded into the bar
    int press_x;           // where the press lands, from the bar's left (y: its middle)
    int move_to_x;         // where the pointer then goes while held (-1: stays)
    int hold_ms;           // how long the press is held
    int expected;
};

// Speed bar 77 pixels wide from 10 to 30: arrows 0..16 and 60..76, thumb 17
// wide; at 15 it stands at 24..40. PC_Spec is as wide, from 0 to 100; at 50
// its thumb stands at 30..46.
const BarCase kBarCases[] = {
    {"left arrow steps by one", "HS_Fast", 15, 8, -1, 0, 14},
    {"right arrow steps by one", "HS_Fast", 15, 68, -1, 0, 16},
    {"track left of the thumb steps by five", "HS_Fast", 15, 19, -1, 0, 10},
    {"track right of the thumb steps by five", "HS_Fast", 15, 55, -1, 0, 20},
    {"a press on the thumb changes nothing", "HS_Fast", 15, 30, -1, 0, 15},
    {"the thumb dragged past the right end", "HS_Fast", 15, 30, 400, 0, 30},
    {"the thumb dragged past the left end", "HS_Fast", 15, 30, -300, 0, 10},
    {"a held track steps until the thumb reaches the pointer", "PC_Spec", 50, 58, -1, 2000, 100},
    {"a held track towards the left", "PC_Spec", 50, 18, -1, 2000, 0},
    {"a held arrow repeats", "PC_Spec", 50, 68, -1, 1000, 65},
    {"a held arrow stops repeating once the pointer leaves it", "PC_Spec", 50, 68, 30, 1000, 51},
    {"the track stops when the pointer moves onto the thumb", "PC_Spec", 0, 58, 20, 2000, 10},
};

TEST(DialogScrollBars, ArrowsTrackAndThumbMoveTheValueAsTheSystemsBarsDo)
{
    TempFolder scratch;
    for (const BarCase& c : kBarCases) {
        SCOPED_TRACE(c.name);
        Settings start = Loaded(scratch.file("none.ini"));
        start.g_Speed = std::int16_t(c.start);
        start.g_PcSpec = std::int16_t(c.start);
        DialogRig rig(start);
        rig.load();
        const gfx::Point press = rig.at(c.bar, c.press_x, 8);
        rig.press(press);
        if (c.move_to_x != -1)
            rig.move(rig.at(c.bar, c.move_to_x, 8));
        rig.wait(c.hold_ms);
        const gfx::Point end = c.move_to_x != -1 ? rig.at(c.bar, c.move_to_x, 8) : press;
        rig.release(end);
        const int index = std::string_view(c.bar) == "HS_Fast" ? dialog::BarIndex::SpeedBar : dialog::BarIndex::PcSpecBar;
        EXPECT_EQ(rig.dialog->model().bar(index).value(), c.expected);
        EXPECT_EQ(rig.record().timer_interval_ms, 0) << "nothing repeats after the release";
        rig.wait(500);
        EXPECT_EQ(rig.dialog->model().bar(index).value(), c.expected);
    }
}

TEST(DialogScrollBars, OnlyTheLeftButtonMovesABar)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    rig.click(rig.at("HS_Fast", 68, 8), host::kRightButton);
    rig.click(rig.at("HS_Fast", 68, 8), host::kMiddleButton);
    EXPECT_EQ(rig.dialog->model().bar(dialog::BarIndex::SpeedBar).value(), 15);
}

TEST(DialogScrollBars, ValuesOutsideTheRangeLeaveTheThumbAtItsStart)
{
    TempFolder scratch;
    Settings start = Loaded(scratch.file("none.ini"));
    start.g_Speed = 40;
    start.g_PcSpec = -3;
    DialogRig rig(start);
    rig.load();
    EXPECT_EQ(rig.dialog->model().bar(dialog::BarIndex::SpeedBar).value(), 10);
    EXPECT_EQ(rig.dialog->model().bar(dialog::BarIndex::PcSpecBar).value(), 0);
}

TEST(DialogColourBars, DraggingTheThumbRedrawsTheBallAtEveryMoveBeforeTheRelease)
{
    TempFolder scratch;
    DialogRig rig(Loaded(scratch.file("none.ini")));
    rig.load();
    // Ball 10 is 072-032-056: the red thumb (101 wide, 0..127) stands at 45..61.
    ASSERT_EQ(rig.dialog->model().bar(1).value(), 72);
    const gfx::Surface ball_before = rig.region("Pic_Mas(10)");
    rig.press(rig.at("H_RGB(1)", 53, 8));
    rig.move(rig.at("H_RGB(1)", 63, 8));
    const int first = rig.dialog->model().EditRed(10);
    EXPECT_GT(first, 72);
    EXPECT_FALSE(rig.region("Pic_Mas(10)") == ball_before) << "redrawn while the thumb is held";
    const gfx::Surface ball_moved = rig.region("Pic_Mas(10)");
    rig.move(rig.at("H_RGB(1)", 73, 8));
    EXPECT_GT(rig.dialog->model().EditRed(10), first);
    EXPECT_FALSE(rig.region("Pic_Mas(10)") == ball_moved);
    rig.release(rig.at("H_RGB(1)", 73, 8));
    EXPECT_EQ(rig.dialog->model().EditRed(10), rig.dialog->model().bar(1).value());
    EXPECT_EQ(rig.dialog->model().EditGreen(10), 32);
    EXPECT_EQ(rig.dialog->model().EditBlue(10), 56);
    EXPECT_EQ(rig.settings.g_BallRed[10], 72) << "the setting itself waits for the save";
}

TEST(DialogColourBars, AComponentAbove127KeepsTheBarAndIsDrawnAsStored)
{
    TempFolder scratch;
    Settings start = Loaded(scratch.file("none.ini"));
    start.g_BallRed[3] = 200;
    start.g_BallGreen[3] = 40;
    DialogRig rig(start);
    rig.load();
    rig.click("Pic_Mas(3)");
    EXPECT_EQ(rig.dialog->model().bar(1).value(), 72) << "still ball 10's red";
    EXPECT_EQ(rig.dialog->model().bar(2).value(), 40);
    EXPECT_EQ(rig.dialog->model().EditRed(3), 200);
    rig.click(rig.at("H_RGB(1)", 95, 8)); // right arrow: the bar's own value plus one
    EXPECT_EQ(rig.dialog->model().EditRed(3), 73);
}

} // namespace
} // namespace dialogtest
