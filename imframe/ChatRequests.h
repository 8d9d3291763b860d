// What other plug-ins ask of the chat module (module 5) through OBRIX_Begin.
#pragma once

#include <cstdint>

namespace ChatBegin {
// data: a tagIMBEGINMEMBERS (null: an empty chat); a chat with those members.
constexpr int32_t StartChat = 0;
// data: a tagIMBEGINMEMBER (imframe/MessageRequests.h); the member's ring tone was cleared.
constexpr int32_t MemberRingTone = 1;
} // namespace ChatBegin

struct tagIMBEGINMEMBERS {
    const char16_t* const* ppszMembers; // member ids, sorted, each once
    int32_t nMembers;
};
