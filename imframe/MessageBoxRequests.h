// What other plug-ins ask of the message box (module 6) through OBRIX_Begin.
#pragma once

#include <cstdint>

namespace MessageBoxBegin {
// Any other kind shows the message box window.
constexpr int32_t Show = 0;
// data: the message ID (const char16_t*) of a draft the core has just stored.
constexpr int32_t DraftStored = 1;
// data: a tagMESBOXDELETE; the entry goes to the trash unless it is there already.
constexpr int32_t DeleteMessage = 2;
} // namespace MessageBoxBegin

struct tagMESBOXDELETE {
    uint32_t nKind;               // 2 received, 1 sent
    const char16_t* pszMessageID; // NUL-terminated UTF-16
};
