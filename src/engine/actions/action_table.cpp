#include "engine/actions/action_table.h"

#include "engine/actions/actions.h"
#include "engine/figure.h"
#include "settings/action_captions.h"

// The scheduler's dispatch table: kind, caption (settings/action_captions.h),
// the routine and the mode it is given. A row without a routine is a kind
// whose tick does nothing.
const std::array<ActionEntry, 21>& action_table()
{
    static const std::array<ActionEntry, 21> table = {{
        {},
        {1, kActionCaptions[0], "Act_LinearMotion", Act_LinearMotion, 0},
        {2, kActionCaptions[1], "Act_RodRotation", Act_RodRotation, 1},
        {3, kActionCaptions[2], "Act_ChangingRadius", Act_ChangingRadius, 0},
        {4, kActionCaptions[3], "Act_RollingRotation", Act_RollingRotation, 0},
        {5, kActionCaptions[4], "Act_SolidRotation", Act_SolidRotation, 0},
        {6, kActionCaptions[5], "Act_RingsAndBands", Act_RingsAndBands, 1},
        {7, kActionCaptions[6], "Act_RoseCurve", Act_RoseCurve, 0},
        {8, kActionCaptions[7], "Act_RingWarp", Act_RingWarp, 0},
        {9, kActionCaptions[8], "Act_Lissajous", Act_Lissajous, 0},
        {10, kActionCaptions[9], "Act_Cycloid", Act_Cycloid, 0},
        {11, kActionCaptions[10], "Act_PassThrough", Act_PassThrough, 0},
        {12, kActionCaptions[11], "Act_MutualEllipseTrails", Act_MutualEllipseTrails, 0},
        {13, kActionCaptions[12], "Act_RingsAndBands", Act_RingsAndBands, 2},
        {14, kActionCaptions[13], "Act_RodRotation", Act_RodRotation, 2},
        {15, kActionCaptions[14], "Act_RodAndBall", Act_RodAndBall, 0},
        {16, kActionCaptions[15], "Act_CircleOnEllipses", Act_CircleOnEllipses, 0},
        {17, kActionCaptions[16], "Act_CenterEllipses", Act_CenterEllipses, 0},
        {18, kActionCaptions[17], "Act_TwoRods", Act_TwoRods, 0},
        {19, kActionCaptions[18], "Act_SpiralTrail", Act_SpiralTrail, 0},
        {20, kActionCaptions[19], "Act_LaggedEllipses", Act_LaggedEllipses, 0},
    }};
    return table;
}
