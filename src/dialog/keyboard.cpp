// The keyboard's focus; see keyboard.h.
#include "dialog/keyboard.h"

namespace dialog {

std::optional<ControlId> FocusRing::focused() const
{
    if (m_focus < m_order.size())
        return m_order[m_focus];
    return std::nullopt;
}

bool FocusRing::show()
{
    if (m_shown)
        return false;
    m_shown = true;
    return true;
}

void FocusRing::move(int by)
{
    if (m_order.empty())
        return;
    const auto count = std::ptrdiff_t(m_order.size());
    m_focus = std::size_t(((std::ptrdiff_t(m_focus) + by) % count + count) % count);
}

} // namespace dialog
