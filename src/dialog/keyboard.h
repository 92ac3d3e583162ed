#pragma once

#include "dialog/controls.h"

#include <cstddef>
#include <optional>
#include <vector>

// The keyboard's focus: the controls Tab and Shift+Tab visit, in reading
// order, the one that has it, and whether its mark is shown (from the first
// key on; until then the dialog looks exactly as it does to the mouse alone).
namespace dialog {

class FocusRing {
public:
    explicit FocusRing(const ControlTable& controls) : m_order(build_focus_order(controls)) {}

    const std::vector<ControlId>& order() const { return m_order; }
    // The focused control; the focus starts on the first.
    std::optional<ControlId> focused() const;
    bool shown() const { return m_shown; }
    // The first key shows the mark; true when it was not shown before.
    bool show();
    // Moves the focus `by` places round the ring (negative: backwards).
    void move(int by);

private:
    std::vector<ControlId> m_order;
    std::size_t m_focus = 0;
    bool m_shown = false;
};

} // namespace dialog
