#include "settings/settings.h"

double speed_factor_for(std::int16_t speed)
{
    if (speed == 15)
        return 1;
    if (speed > 15)
        return 1 - (speed - 15) * 0.05;
    return 1 + (15 - speed) * 0.2;
}
