// Module info record filled by core modules (CORECBK_OnCoreZpmInfo) and IM plug-ins
// (IMCBK_OnIMZpmInfo) into memory the caller zeroed. Byte layout is fixed: 1008 bytes,
// little-endian, NUL-terminated UTF-16 strings.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <cstddef>
#include <cstdint>

struct tagMODULEINFO {
    int32_t nType;            // module type (host) or module number (IM plug-in)
    WCHAR16 szFileName[80];   // file name, shown in the status line and version dialog
    WCHAR16 szCompany[80];    // maker
    WCHAR16 szName[80];       // English name
    WCHAR16 szLocalName[256]; // name in the user's language
    uint32_t dwVersion;       // major in the high 16 bits, minor in the low 16 bits
    int32_t nOrder;           // load order within the type, smaller first
    int32_t bShowLoading;     // non-zero: show the loading status line
};

static_assert(sizeof(tagMODULEINFO) == 1008);
static_assert(offsetof(tagMODULEINFO, nType) == 0);
static_assert(offsetof(tagMODULEINFO, szFileName) == 4);
static_assert(offsetof(tagMODULEINFO, szCompany) == 164);
static_assert(offsetof(tagMODULEINFO, szName) == 324);
static_assert(offsetof(tagMODULEINFO, szLocalName) == 484);
static_assert(offsetof(tagMODULEINFO, dwVersion) == 996);
static_assert(offsetof(tagMODULEINFO, nOrder) == 1000);
static_assert(offsetof(tagMODULEINFO, bShowLoading) == 1004);

// Copies a UTF-16 string into a fixed field, always terminated, truncated to fit.
template <size_t N> inline void zeltaCopyField(WCHAR16 (&field)[N], const char16_t* text) {
    size_t i = 0;
    for (; text && text[i] && i + 1 < N; ++i)
        field[i] = text[i];
    field[i] = 0;
}
