#pragma once

#include "settings/setting_choices.h"

#include <array>
#include <cstdint>

class Random;

// The scheduler's state: the order the twenty kinds play in and where the
// current cycle stands in it, whether the opening is still to play, the
// highlight style of the sprites (one per action) and the ticks started since
// load. The saver window's timer handler, on_tick, drives it.
class Scheduler {
public:
    static constexpr int kKinds = 20;
    // Positions 1 to 20 hold a kind each; slot 0 is unused.
    using Order = std::array<std::int16_t, kKinds + 1>;

    // As at load: no order yet (the next tick builds one), the opening still
    // to play, no highlight style yet. The tick count runs on.
    void reset();

    // In sequence takes the kinds in order; random a fresh permutation
    // drawn from `random`.
    void BuildActionOrder(OrderMode order_mode, Random& random);

    // One tick: a fresh order (by `order_mode`) when the cycle is over or
    // none was built yet, then the next position of it. Returns that
    // position's kind.
    int next_kind(OrderMode order_mode, Random& random);

    // The opening has played; no later run is the first.
    void opening_played() { m_first_run = false; }

    // The next action's highlight style: 1, 2, 3, 4, 5, 1, ...
    std::int16_t next_highlight_style();
    // Sets the style the sprites are painted in until the next action's (for
    // painting one sprite in a chosen style, out of the cycle).
    void set_highlight_style(std::int16_t style) { m_highlight_style = style; }

    const Order& ActionOrder() const { return m_order; }
    std::int16_t ActionCounter() const { return m_counter; }
    bool FirstRun() const { return m_first_run; }
    std::int16_t HighlightStyle() const { return m_highlight_style; }
    // 64 bits: at 100 ticks a second (a run of empty ticks) 32 would
    // overflow within a year.
    std::int64_t TickCount() const { return m_tick_count; }

private:
    Order m_order{};
    std::int16_t m_counter = kKinds;
    bool m_first_run = true;
    std::int16_t m_highlight_style = 0;
    std::int64_t m_tick_count = 0;
};
