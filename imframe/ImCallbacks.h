// The callbacks every IM plug-in exports (IMCBK_) and the messaging core binds by exact
// name. Every plug-in exports the whole set; a callback it does not need does nothing.
//
// Argument conventions:
// - member, group and message ids are NUL-terminated UTF-16 owned by the core, valid for the
//   duration of the call;
// - boxes are ObrixBox values (0 draft, 1 sent, 2 received);
// - flag arguments of OnLogon/OnLogoff: the plug-in acts only when non-zero;
// - OnSendMessage's result: the presence plug-in answers the message record it added, the
//   others 0;
// - OnRecvNotify kinds: 0 received, 1 read, 3 unknown destination (kind 2 is reserved);
// - OnChangeMemPresence(group, member, previous status): group "all" when the change covers
//   every group of the member;
// - OnAddGrp(group, parent group or empty, name); OnAddGrpMember(group, member, name in group).
#pragma once

#include "obrix/ModuleInfo.h"
#include "obrix/ZeltaPlatform.h"

#include <cstdint>

// One event of a chat as OnChatUpdate and OnChatAllLog deliver it. Types: 0 talk (text is
// HTML), 1 notice, 2 joined, 3 left, 4 declined, 5 invitation timed out, 6 logged off,
// 7 removed (text is a ready-made notice for types other than 0).
struct tagCHATEVENT {
    int32_t nType;
    const char16_t* pszMemberID;
    const char16_t* pszText;
    SYSTEMTIME stTime; // UTC
};

// X(name, result, parameters)
#define IMCBK_FUNCTION_LIST(X)                                                                     \
    X(OnIMZpmInfo, void, (tagMODULEINFO * info))                                                   \
    X(OnInit, void, ())                                                                            \
    X(OnStart, void, ())                                                                           \
    X(OnKill, void, ())                                                                            \
    X(OnPreTranslateMessage, int32_t, (MSG * msg))                                                 \
    X(OnBegin, void, (int32_t kind, intptr_t data))                                                \
    X(OnOption, void, ())                                                                          \
    X(OnBeginOption, void, ())                                                                     \
    X(OnKillOption, void, ())                                                                      \
    X(OnLogon, void, (int32_t flag))                                                               \
    X(OnLogoff, void, (int32_t flag))                                                              \
    X(OnEndAuthorize, void, ())                                                                    \
    X(OnRecvMessage, int32_t, (const char16_t* messageId))                                         \
    X(OnSendMessage, intptr_t, (const char16_t* messageId))                                        \
    X(OnRemoveMessage, void, (int32_t box, const char16_t* messageId))                             \
    X(OnChangeMessageFlags, void, (int32_t box, const char16_t* messageId, uint32_t flags))        \
    X(OnRecvNotify, void, (int32_t kind, const char16_t* messageId, const char16_t* memberId))     \
    X(OnChangeMemPresence, void,                                                                   \
      (const char16_t* groupId, const char16_t* memberId, const char16_t* previousStatus))         \
    X(OnAddGrp, void, (const char16_t* groupId, const char16_t* parentId, const char16_t* name))   \
    X(OnAddGrpMember, void,                                                                        \
      (const char16_t* groupId, const char16_t* memberId, const char16_t* name))                   \
    X(OnRemoveGrp, int32_t, (const char16_t* groupId))                                             \
    X(OnRemoveGrpMember, void, (const char16_t* groupId, const char16_t* memberId))                \
    X(OnChangeGrpName, void, (const char16_t* groupId))                                            \
    X(OnChangeGrpPresence, void, (const char16_t* groupId))                                        \
    X(OnChangeAlias, void, (const char16_t* memberId))                                             \
    X(OnChangeBirth, void, (const char16_t* memberId))                                             \
    X(OnChangeEmail, void, (const char16_t* memberId))                                             \
    X(OnChangeFamilyName, void, (const char16_t* memberId))                                        \
    X(OnChangeFirstName, void, (const char16_t* memberId))                                         \
    X(OnChangeMemo, void, (const char16_t* memberId))                                              \
    X(OnChangeSex, void, (const char16_t* memberId))                                               \
    X(OnChangeTelephone, void, (const char16_t* memberId))                                         \
    X(OnChangeMiddleName, void, (const char16_t* memberId, int32_t nameSet))                       \
    X(OnChangeMemRole, void, (const char16_t* groupId, const char16_t* memberId))                  \
    X(OnBltDMenu, void, ())                                                                        \
    X(OnBltSMenu, void, ())

// Exported by the chat plug-in only.
#define IMCBK_CHAT_FUNCTION_LIST(X)                                                                \
    X(OnChatCreate, void, (int32_t chat, int32_t result))                                          \
    X(OnChatUpdate, void, (int32_t chat, const tagCHATEVENT* event))                               \
    X(OnChatAllLog, void, (int32_t chat, const tagCHATEVENT* event))                               \
    X(OnChatInvite, void, (int32_t chat, const char16_t* inviterId, const char16_t* text))

#define IMCBK_DECLARE_TYPE(name, result, params) using IMCBK_##name##_t = result(*) params;
IMCBK_FUNCTION_LIST(IMCBK_DECLARE_TYPE)
IMCBK_CHAT_FUNCTION_LIST(IMCBK_DECLARE_TYPE)
#undef IMCBK_DECLARE_TYPE
