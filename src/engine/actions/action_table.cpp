#include "engine/actions/action_table.h"

#include "engine/actions/actions.h"
#include "engine/saver_window.h"

// The scheduler's dispatch table: kind, the dialog's caption, the routine and
// the mode it is given. A row without a routine is a kind whose tick does nothing.
const std::array<ActionEntry, 21>& ActionTable()
{
    static const std::array<ActionEntry, 21> table = {{
        {},
        {1, "等速直線運動", "Act_LinearMotion", Act_LinearMotion, 0},
        {2, "棒の回転", "Act_RodRotation", Act_RodRotation, 1},
        {3, "半径の変化", "Act_ChangingRadius", Act_ChangingRadius, 0},
        {4, "転がり回転", "Act_RollingRotation", Act_RollingRotation, 0},
        {5, "立体回転", "Act_SolidRotation", Act_SolidRotation, 0},
        {6, "輪と帯", "Act_RingsAndBands", Act_RingsAndBands, 1},
        {7, "正葉線", "Act_RoseCurve", Act_RoseCurve, 0},
        {8, "輪のﾜｰﾌﾟ", "Act_RingWarp", Act_RingWarp, 0},
        {9, "ﾘｻｰｼﾞｭ曲線", "Act_Lissajous", Act_Lissajous, 0},
        {10, "ｻｲｸﾛｲﾄﾞ曲線", "Act_Cycloid", Act_Cycloid, 0},
        {11, "通り抜け", "Act_PassThrough", Act_PassThrough, 0},
        {12, "楕円の相互軌跡", "Act_MutualEllipseTrails", Act_MutualEllipseTrails, 0},
        {13, "輪と帯の軌跡", "Act_RingsAndBands", Act_RingsAndBands, 2},
        {14, "棒回転の軌跡", "Act_RodRotation", Act_RodRotation, 2},
        {15, "棒と球", "Act_RodAndBall", Act_RodAndBall, 0},
        {16, "小円の大小楕円回転", "Act_CircleOnEllipses", Act_CircleOnEllipses, 0},
        {17, "中心点からの楕円", "Act_CenterEllipses", Act_CenterEllipses, 0},
        {18, "二本の棒", "Act_TwoRods", Act_TwoRods, 0},
        {19, "ｽﾊﾟｲﾗﾙ曲線の軌跡", "Act_SpiralTrail", Act_SpiralTrail, 0},
        {20, "楕円の相互(時間差)", "Act_LaggedEllipses", Act_LaggedEllipses, 0},
    }};
    return table;
}
