// The one table between the numbers the settings file stores and the choices
// they stand for, both ways, garbled numbers included.
#include "settings/setting_choices.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Row {
    std::int16_t number;
    BackgroundPattern pattern;
    OrderMode order;
    Arrangement arrangement;
};

// What each stored number means to each of the three settings; numbers no
// version writes (0, 5, negative, the largest) take the setting's fallback.
constexpr Row kRows[] = {
    {1, BackgroundPattern::BallGrid, OrderMode::InSequence, Arrangement::Centred},
    {2, BackgroundPattern::SingleColour, OrderMode::Random, Arrangement::Tiled},
    {3, BackgroundPattern::ScreenAtStart, OrderMode::Random, Arrangement::Tiled},
    {4, BackgroundPattern::Picture, OrderMode::Random, Arrangement::Tiled},
    {0, BackgroundPattern::Other, OrderMode::Random, Arrangement::Tiled},
    {5, BackgroundPattern::Other, OrderMode::Random, Arrangement::Tiled},
    {-1, BackgroundPattern::Other, OrderMode::Random, Arrangement::Tiled},
    {32767, BackgroundPattern::Other, OrderMode::Random, Arrangement::Tiled},
};

TEST(SettingChoices, EveryStoredNumberMeansOneChoiceAndEveryChoiceStoresItsNumber)
{
    for (const Row& row : kRows) {
        EXPECT_EQ(background_pattern_of(row.number), row.pattern) << "number " << row.number;
        EXPECT_EQ(order_mode_of(row.number), row.order) << "number " << row.number;
        EXPECT_EQ(arrangement_of(row.number), row.arrangement) << "number " << row.number;
    }
    for (BackgroundPattern p : {BackgroundPattern::BallGrid, BackgroundPattern::SingleColour,
                                BackgroundPattern::ScreenAtStart, BackgroundPattern::Picture})
        EXPECT_EQ(background_pattern_of(setting_number(p)), p);
    EXPECT_EQ(setting_number(BackgroundPattern::Other), 0) << "no number of its own";
    for (OrderMode m : {OrderMode::InSequence, OrderMode::Random})
        EXPECT_EQ(order_mode_of(setting_number(m)), m);
    for (Arrangement a : {Arrangement::Centred, Arrangement::Tiled})
        EXPECT_EQ(arrangement_of(setting_number(a)), a);
}

} // namespace
