#include "engine/scheduler.h"

#include "engine/actions/action_table.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/sprites.h"

#include <array>
#include <cmath>

void Scheduler::reset()
{
    m_order.fill(0);
    m_counter = kKinds; // the first tick builds a new order
    m_first_run = true;
    m_highlight_style = 0;
}

// Ticks come in cycles of twenty, positions 1 to 20 of one order. The order
// is built before anything is drawn, so the very first tick already has one.
int Scheduler::next_kind(OrderMode order_mode, Random& random)
{
    if (m_counter >= kKinds || m_counter < 0) {
        BuildActionOrder(order_mode, random);
        m_counter = 0;
    }
    m_counter = std::int16_t(m_counter + 1);
    ++m_tick_count;
    return m_order[std::size_t(m_counter)];
}

// The random order (the default, and what a garbled number in the file
// means) gives a fresh random permutation, disabled kinds included (they are skipped at tick time). The
// permutation is drawn by picking, twenty times, the pick-th of the kinds not
// yet placed, each pick uniform over the remaining ones. The one generator is
// never reseeded, so two cycles are independent draws.
void Scheduler::BuildActionOrder(OrderMode order_mode, Random& random)
{
    if (order_mode == OrderMode::InSequence) {
        for (int i = 1; i <= kKinds; ++i)
            m_order[std::size_t(i)] = std::int16_t(i);
        return;
    }

    std::array<bool, kKinds + 1> used{};
    int filled = 0;
    for (int remaining = kKinds; remaining > 0; --remaining) {
        const double r = random.Rnd();
        int pick = int(std::floor(r * remaining)) + 1;
        if (pick > remaining) // r is below 1, so this guards only against a bad generator
            pick = remaining;
        int seen = 0;
        for (int j = 1; j <= kKinds; ++j) {
            if (used[std::size_t(j)])
                continue;
            if (++seen == pick) {
                used[std::size_t(j)] = true;
                m_order[std::size_t(++filled)] = std::int16_t(j);
                break;
            }
        }
    }
}

// One style per action: 1, 2, 3, 4, 5, 1, ...; the run at load gets 1.
std::int16_t Scheduler::next_highlight_style()
{
    ++m_highlight_style;
    if (m_highlight_style > kLastHighlightStyle)
        m_highlight_style = kFirstHighlightStyle;
    return m_highlight_style;
}

// One timer tick runs at most one whole action; a disabled kind costs one
// empty tick. The timer is not re-entered while an action runs: the host
// delivers the next tick only after this one returned.
void Ball_A::on_tick()
{
    const int kind = m_scheduler.next_kind(order_mode(settings()), m_random);

    // The opening plays on the first tick even when the first kind of the
    // order is disabled.
    if (m_scheduler.FirstRun()) {
        m_scheduler.opening_played();
        PlayOpening();
    }

    const bool enabled = kind >= 1 && kind <= Scheduler::kKinds &&
                         settings().g_ActionEnabled[std::size_t(kind)] == 1;
    if (trace())
        trace()->tick(m_scheduler.TickCount(), kind, enabled);
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
