#include "engine/actions/action_table.h"
#include "engine/saver_window.h"

#include <array>
#include <cmath>

namespace {

constexpr int kKinds = 20;

} // namespace

// One timer tick runs at most one whole action. Ticks come in cycles of
// twenty, positions 1 to 20 of one order; a disabled kind costs one empty
// tick. The timer is not re-entered while an action runs: the host delivers
// the next tick only after this one returned.
void Ball_A::Timer1_Timer()
{
    // The order is built before anything is drawn, so the very first tick
    // already has one.
    if (ActionCounter >= kKinds || ActionCounter < 0) {
        BuildActionOrder();
        ActionCounter = 0;
    }

    // The opening plays on the first tick even when the first kind of the
    // order is disabled.
    if (FirstRun) {
        FirstRun = false;
        PlayOpening();
    }

    ActionCounter = std::int16_t(ActionCounter + 1);
    const int kind = ActionOrder[std::size_t(ActionCounter)];
    const bool enabled = kind >= 1 && kind <= kKinds && settings.g_ActionEnabled[std::size_t(kind)] == 1;
    ++TickCount;
    if (trace())
        trace()->tick(TickCount, kind, enabled);
    if (!enabled)
        return;

    // Every kind has its routine; a row left empty in the table would do
    // nothing on its tick, like a disabled kind, rather than call through null.
    const ActionEntry& entry = action_table()[std::size_t(kind)];
    if (!entry.routine)
        return;
    if (trace())
        trace()->action(kind);
    entry.routine(*this, entry.argument);

    // Next highlight style, fresh sprites and background for the next action.
    ComposeBackground();
}

// Order mode 1 takes the kinds in sequence; any other value (the default 2,
// or a garbled 0) a fresh random permutation, disabled kinds included (they
// are skipped at tick time). The permutation is drawn by picking, twenty
// times, the pick-th of the kinds not yet placed, each pick uniform over the
// remaining ones. The one generator is never reseeded, so two cycles are
// independent draws.
void Ball_A::BuildActionOrder()
{
    if (settings.g_OrderMode == 1) {
        for (int i = 1; i <= kKinds; ++i)
            ActionOrder[std::size_t(i)] = std::int16_t(i);
        return;
    }

    std::array<bool, kKinds + 1> used{};
    int filled = 0;
    for (int remaining = kKinds; remaining > 0; --remaining) {
        const double r = Rnd();
        int pick = int(std::floor(r * remaining)) + 1;
        if (pick > remaining) // r is below 1, so this guards only against a bad generator
            pick = remaining;
        int seen = 0;
        for (int j = 1; j <= kKinds; ++j) {
            if (used[std::size_t(j)])
                continue;
            if (++seen == pick) {
                used[std::size_t(j)] = true;
                ActionOrder[std::size_t(++filled)] = std::int16_t(j);
                break;
            }
        }
    }
}
