// The check items of the action kinds and the three option groups. They act
// at the press, of any mouse button, and write straight into the settings.
#include "dialog/ball_p.h"

using namespace dialog;

void Ball_P::Img_Action_Kind_MouseDown(int i)
{
    // 0 and 1 swap. A value the file gave that is neither shows as
    // unchecked (only 1 takes part in the saver), so a press checks it.
    std::int16_t& enabled = settings.g_ActionEnabled[std::size_t(i)];
    enabled = enabled == 1 ? 0 : 1;
    invalidate("Img_Action_Kind(" + std::to_string(i) + ")");
}

void Ball_P::Img_Opt_Ptn_MouseDown(int i)
{
    settings.g_OrderMode = std::int16_t(i);
    invalidate("Img_Opt_Ptn(1)");
    invalidate("Img_Opt_Ptn(2)");
}

void Ball_P::Img_Opt_bk_MouseDown(int i)
{
    // Only the mark changes: option 4 asks for no picture and option 2 for
    // no colour; those have buttons of their own.
    settings.g_BackgroundMode = std::int16_t(i);
    for (int k = 1; k <= 4; ++k)
        invalidate("Img_Opt_bk(" + std::to_string(k) + ")");
}

void Ball_P::Img_Opt_bk_G_MouseDown(int i)
{
    settings.g_BackgroundArrangement = std::int16_t(i);
    invalidate("Img_Opt_bk_G(1)");
    invalidate("Img_Opt_bk_G(2)");
}
