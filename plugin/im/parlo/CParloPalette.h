// The five colours that joined chat members are shown in. Each colour counts its users; a
// joining member takes the least used one (the first in palette order on a tie), so a sixth
// member shares the first colour and a member who leaves frees its colour for the next.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <array>

class CParloPalette {
public:
    static constexpr std::array<COLORREF, 5> kColors = {0x0DA080, 0xA02C0D, 0x0D27A0, 0x90A00D,
                                                        0x0D76A0};

    // The colour for a joining member; its use count rises.
    COLORREF Take();
    // A member showing this colour left; a colour outside the palette changes nothing.
    void Release(COLORREF color);
    int UseCount(COLORREF color) const;

private:
    std::array<int, kColors.size()> m_uses{};
};
