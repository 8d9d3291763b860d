// What other plug-ins (and the message plug-in's own windows) ask of the message module
// (module 4) through OBRIX_Begin.
#pragma once

#include <cstdint>

struct tagLETRIX;

namespace MessageBegin {
constexpr int32_t New = 0;                 // data: none
constexpr int32_t NewToSameRecipients = 1; // data: tagMESBEGIN
constexpr int32_t Reply = 2;               // data: tagMESBEGIN
constexpr int32_t ReplyToAll = 3;          // data: tagMESBEGIN
constexpr int32_t EditDraft = 4;           // data: tagMESBEGIN (box 0, the draft)
constexpr int32_t Open = 5;                // data: tagMESBEGIN; opens the receive window
constexpr int32_t Forward = 6;             // data: tagMESBEGIN
constexpr int32_t NewToMember = 7;         // data: tagMESBEGINMEMBER
constexpr int32_t SetMemberTone = 8;       // data: tagMESBEGINTONE
constexpr int32_t ClearMemberTone = 9;     // data: the member id (const char16_t*)
constexpr int32_t ClearAllTones = 10;      // data: none
} // namespace MessageBegin

// A request about an earlier message: the box it lies in (ObrixBox) and its record, which
// stays the caller's.
struct tagMESBEGIN {
    uint32_t nBox;
    const tagLETRIX* pLetrix;
};

// A new message to one member with files attached (full paths, NUL-terminated UTF-16).
struct tagMESBEGINMEMBER {
    const char16_t* pszMemberID;
    const char16_t* const* ppszFiles;
    int32_t nFiles;
};

// A member's own ring tone.
struct tagMESBEGINTONE {
    const char16_t* pszMemberID;
    const char16_t* pszFilePath;
};
