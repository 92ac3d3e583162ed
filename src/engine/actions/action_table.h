#pragma once

#include <array>
#include <cstdint>

class Figure;

// One action routine. `argument` is the mode the table passes (only kinds 2,
// 6, 13 and 14 use one); the routine runs its figure to the end, closing figure
// included, and returns.
using ActionRoutine = void (*)(Figure& saver, int argument);

struct ActionEntry {
    int kind = 0;                      // 1..20
    const char* caption = "";          // the dialog's label, UTF-8
    const char* routine_name = "";     // for traces and messages
    ActionRoutine routine = nullptr;   // a null routine would make its tick do nothing
    int argument = 0;
};

// Slots 1 to 20, indexed by kind; slot 0 is empty.
const std::array<ActionEntry, 21>& action_table();
