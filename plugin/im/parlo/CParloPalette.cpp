#include "plugin/im/parlo/CParloPalette.h"

COLORREF CParloPalette::Take() {
    size_t best = 0;
    for (size_t i = 1; i < kColors.size(); ++i)
        if (m_uses[i] < m_uses[best])
            best = i;
    ++m_uses[best];
    return kColors[best];
}

void CParloPalette::Release(COLORREF color) {
    for (size_t i = 0; i < kColors.size(); ++i)
        if (kColors[i] == color && m_uses[i] > 0)
            --m_uses[i];
}

int CParloPalette::UseCount(COLORREF color) const {
    for (size_t i = 0; i < kColors.size(); ++i)
        if (kColors[i] == color)
            return m_uses[i];
    return 0;
}
