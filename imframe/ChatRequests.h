// What other plug-ins ask of the chat module (module 5) through OBRIX_Begin.
#pragma once

#include <cstdint>

namespace ChatBegin {
// data: a tagCHATBEGINMEMBERS, or none for an empty chat; a chat with those members.
constexpr int32_t StartChat = 0;
// data: a tagCHATBEGINTONE; a member's own ring tone (an empty path clears it).
constexpr int32_t MemberTone = 1;
// data: a tagCHATBEGINTONE; the member's own ring tone is forgotten (the path is not read).
constexpr int32_t ClearMemberTone = 2;
// data: none; every member's own ring tone is forgotten.
constexpr int32_t ClearAllTones = 3;
} // namespace ChatBegin

struct tagCHATBEGINMEMBERS {
    const char16_t* const* ppszMembers; // member ids, sorted, each once
    int32_t nMembers;
};

struct tagCHATBEGINTONE {
    const char16_t* pszMemberID;
    const char16_t* pszFilePath;
};
