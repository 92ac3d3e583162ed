#include "settings/setting_choices.h"

#include "settings/settings.h"

#include <cstddef>

namespace {

// Each choice with the number the settings file stores for it.
template <class Choice>
struct ChoiceNumber {
    Choice choice;
    std::int16_t number;
};

constexpr ChoiceNumber<BackgroundPattern> kBackgroundPatterns[] = {
    {BackgroundPattern::BallGrid, 1},
    {BackgroundPattern::SingleColour, 2},
    {BackgroundPattern::ScreenAtStart, 3},
    {BackgroundPattern::Picture, 4},
};
constexpr ChoiceNumber<OrderMode> kOrderModes[] = {
    {OrderMode::InSequence, 1},
    {OrderMode::Random, 2},
};
constexpr ChoiceNumber<Arrangement> kArrangements[] = {
    {Arrangement::Centred, 1},
    {Arrangement::Tiled, 2},
};

template <class Choice, std::size_t N>
Choice choice_of(const ChoiceNumber<Choice> (&table)[N], std::int16_t number, Choice otherwise)
{
    for (const auto& row : table)
        if (row.number == number)
            return row.choice;
    return otherwise;
}

template <class Choice, std::size_t N>
std::int16_t number_of(const ChoiceNumber<Choice> (&table)[N], Choice choice)
{
    for (const auto& row : table)
        if (row.choice == choice)
            return row.number;
    return 0;
}

} // namespace

BackgroundPattern background_pattern_of(std::int16_t number)
{
    return choice_of(kBackgroundPatterns, number, BackgroundPattern::Other);
}

OrderMode order_mode_of(std::int16_t number) { return choice_of(kOrderModes, number, OrderMode::Random); }

Arrangement arrangement_of(std::int16_t number) { return choice_of(kArrangements, number, Arrangement::Tiled); }

std::int16_t setting_number(BackgroundPattern pattern) { return number_of(kBackgroundPatterns, pattern); }
std::int16_t setting_number(OrderMode mode) { return number_of(kOrderModes, mode); }
std::int16_t setting_number(Arrangement arrangement) { return number_of(kArrangements, arrangement); }

BackgroundPattern background_pattern(const Settings& settings)
{
    return background_pattern_of(settings.g_BackgroundMode);
}

OrderMode order_mode(const Settings& settings) { return order_mode_of(settings.g_OrderMode); }

Arrangement arrangement(const Settings& settings) { return arrangement_of(settings.g_BackgroundArrangement); }
