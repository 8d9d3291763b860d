// The messaging core's functions (OBRIX_) as the object library and every IM plug-in see
// them. Each caller binds all 68 names by hand from the already loaded core (see
// CObrixTable); when the core is absent the table stays empty and callers must check.
//
// Conventions, by family:
// - Strings are NUL-terminated UTF-16. Strings and records returned by the core stay the
//   core's: they are valid until control returns to the event loop, and callers copy them at
//   once (into QString, CLetrix, CIMGroup, CIMMember).
// - Paths, windows: directories end in "/". GetModuleDir(module) is the per-module directory
//   of the current account (data/ and res/ lie below it); GetMessageDir holds recv/, send/,
//   draft/ and files/. Resource handles are opaque (CResourceLoader takes them).
// - Control: Begin(module, kind, data) hands kind and data to that module's IMCBK_OnBegin;
//   Option(module) calls its IMCBK_OnOption (0: the core's own general page).
//   AddOptionPage(pages, count) is valid only between IMCBK_OnBeginOption and
//   IMCBK_OnKillOption.
// - Log-on: GetLogonState returns ObrixLogon values (0 logged off, 1 logging on, 2 logged
//   on, 3 logging off, 4 off line: composing allowed, sending not). Logon/Logoff(0, 0) ask the
//   core to start the change; the outcome arrives as IMCBK_OnLogon(1)/IMCBK_OnLogoff(1).
// - Messages: boxes are ObrixBox values (0 draft, 1 sent, 2 received). GetMessage and
//   DuplicateLetrix hand out a record the caller releases with CleanupLetrix (likewise
//   DuplicateIMMesTime / CleanupIMMesTime). SaveDraftMessage fills the caller's buffer with the
//   draft's message id. ImportMessage hands out an array of ids released with CleanupImport
//   (array and the total of the three counts).
// - Services: settings calls take scope 1, the caller's module number, section, value name,
//   then a default (returned when absent) or a buffer, its size in characters and a default
//   text. ReadFile hands out a buffer allocated with malloc that the caller releases with
//   free(); WriteFile replaces a whole file atomically (last argument 1: create missing
//   directories). Results are 0 for failure or false.
// - Chat: chat numbers are the core's; answers arrive as IMCBK_OnChat* callbacks.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <cstdint>

struct tagLETRIX;
struct tagIMMESTIME;
struct tagIMGROUP;
struct tagIMGRPMEMBER;
struct tagIMMEMBER;
struct tagIMSTATUS;

namespace ObrixBox {
constexpr int32_t Draft = 0;
constexpr int32_t Sent = 1;
constexpr int32_t Received = 2;
} // namespace ObrixBox

namespace ObrixLogon {
constexpr int32_t LoggedOff = 0;
constexpr int32_t LoggingOn = 1;
constexpr int32_t LoggedOn = 2;
constexpr int32_t LoggingOff = 3;
constexpr int32_t Offline = 4;
} // namespace ObrixLogon

// Module numbers of the IM modules (also their settings unit and tagMODULEINFO::nType).
namespace ObrixModule {
constexpr int32_t General = 0;
constexpr int32_t Presence = 1;
constexpr int32_t MessageProperty = 2;
constexpr int32_t Message = 4;
constexpr int32_t Chat = 5;
constexpr int32_t MessageBox = 6;
constexpr int32_t Notify = 7;
} // namespace ObrixModule

// Message ids of an export or import, grouped in this order.
struct tagIMEXPORTCOUNT {
    uint64_t nDraft;
    uint64_t nSent;
    uint64_t nRecv;
};

// X(name, result, parameters): one line per core function, in family order.
#define OBRIX_FUNCTION_LIST(X)                                                                     \
    /* paths, windows */                                                                           \
    X(GetAppDir, const char16_t*, ())                                                              \
    X(GetUserDir, const char16_t*, ())                                                             \
    X(GetAccountDir, const char16_t*, ())                                                          \
    X(GetModuleDir, const char16_t*, (int32_t module))                                             \
    X(GetMessageDir, const char16_t*, ())                                                          \
    X(SetMainWnd, int32_t, (HWND wnd))                                                             \
    X(GetMainWnd, HWND, ())                                                                        \
    X(GetOSVersion, uint32_t, ())                                                                  \
    X(GetResHandle, void*, ())                                                                     \
    X(GetIMResHandle, void*, ())                                                                   \
    /* control, options */                                                                         \
    X(Begin, int32_t, (int32_t module, int32_t kind, intptr_t data))                               \
    X(Kill, void, ())                                                                              \
    X(Help, void, ())                                                                              \
    X(Version, void, ())                                                                           \
    X(Option, int32_t, (int32_t module))                                                           \
    X(ShowOption, int32_t, ())                                                                     \
    X(AddOptionPage, int32_t, (HWND * pages, int32_t count))                                       \
    /* log-on, presence */                                                                         \
    X(Logon, int32_t, (int32_t flags, int32_t reserved))                                           \
    X(Logoff, int32_t, (int32_t flags, int32_t reserved))                                          \
    X(GetLogonState, int32_t, ())                                                                  \
    X(Authorize, int32_t, ())                                                                      \
    X(GetUserID, const char16_t*, ())                                                              \
    X(SendStatus, int32_t, (const tagIMSTATUS* status))                                            \
    /* directory */                                                                                \
    X(GetGroupCount, int32_t, (int32_t reserved))                                                  \
    X(GetGroup, const tagIMGROUP*, (const char16_t* groupId))                                      \
    X(GetGroupAll, const tagIMGROUP*, ())                                                          \
    X(GetGroupMembers, const tagIMGRPMEMBER*, (const char16_t* groupId, const char16_t* memberId)) \
    X(GetMember, const tagIMMEMBER*, (const char16_t* memberId))                                   \
    /* messages */                                                                                 \
    X(SendMessage, int32_t, (const tagLETRIX* message))                                            \
    X(SetReadMessage, int32_t, (int32_t box, const char16_t* messageId))                           \
    X(SetReplyMessage, int32_t, (int32_t box, const char16_t* messageId))                          \
    X(SetForwardMessage, int32_t, (int32_t box, const char16_t* messageId))                        \
    X(SetDogearMessage, int32_t, (int32_t box, const char16_t* messageId, int32_t on))             \
    X(GetMessage, tagLETRIX*, (int32_t box, const char16_t* messageId))                            \
    X(RemoveMessage, int32_t, (int32_t box, const char16_t* messageId))                            \
    X(SaveDraftMessage, int32_t,                                                                   \
      (const tagLETRIX* message, char16_t* idBuffer, int32_t bufferChars))                         \
    X(DuplicateLetrix, tagLETRIX*, (const tagLETRIX* message))                                     \
    X(DuplicateIMMesTime, tagIMMESTIME*, (const tagIMMESTIME* destination))                        \
    X(CleanupLetrix, void, (tagLETRIX * message))                                                  \
    X(CleanupIMMesTime, void, (tagIMMESTIME * destination))                                        \
    X(QueryMTS, uint64_t, ())                                                                      \
    X(ExportMessage, int32_t,                                                                      \
      (const char16_t* path, const tagIMEXPORTCOUNT* counts, const char16_t* const* ids))          \
    X(ImportMessage, int32_t, (const char16_t* path, char16_t*** ids, tagIMEXPORTCOUNT* counts))   \
    X(CleanupImport, void, (char16_t** ids, uint64_t total))                                       \
    /* services */                                                                                 \
    X(ConvUtcToLocalTime, int32_t, (const SYSTEMTIME* utc, SYSTEMTIME* local))                     \
    X(SaveLog, void, (int32_t category, int32_t level, const char16_t* text))                      \
    X(ReadRegBinary, int32_t,                                                                      \
      (int32_t scope, int32_t module, const char16_t* section, const char16_t* name,               \
       uint8_t* buffer, int32_t bufferBytes))                                                      \
    X(ReadRegInt, int32_t,                                                                         \
      (int32_t scope, int32_t module, const char16_t* section, const char16_t* name,               \
       int32_t defaultValue))                                                                      \
    X(ReadRegString, int32_t,                                                                      \
      (int32_t scope, int32_t module, const char16_t* section, const char16_t* name,               \
       char16_t* buffer, int32_t bufferChars, const char16_t* defaultText))                        \
    X(WriteRegBinary, int32_t,                                                                     \
      (int32_t scope, int32_t module, const char16_t* section, const char16_t* name,               \
       const uint8_t* data, int32_t bytes))                                                        \
    X(WriteRegInt, int32_t,                                                                        \
      (int32_t scope, int32_t module, const char16_t* section, const char16_t* name,               \
       int32_t value))                                                                             \
    X(WriteRegString, int32_t,                                                                     \
      (int32_t scope, int32_t module, const char16_t* section, const char16_t* name,               \
       const char16_t* text))                                                                      \
    X(ReadFile, int32_t, (const char16_t* path, uint8_t** buffer, uint32_t* length))               \
    X(WriteFile, int32_t,                                                                          \
      (const char16_t* path, const uint8_t* data, uint32_t length, int32_t createDirs))            \
    X(GetAppDataInt, int32_t,                                                                      \
      (const char16_t* section, const char16_t* key, int32_t defaultValue, int32_t reserved))      \
    X(GetAppDataBool, int32_t,                                                                     \
      (const char16_t* section, const char16_t* key, int32_t defaultValue, int32_t reserved))      \
    X(GetAppDataString, int32_t,                                                                   \
      (const char16_t* section, const char16_t* key, char16_t* buffer, int32_t bufferChars,        \
       const char16_t* defaultText, int32_t reserved))                                             \
    X(Encrypt, int32_t, (const uint8_t* in, int32_t inBytes, uint8_t* out, int32_t outBytes))      \
    X(Decrypt, int32_t, (const uint8_t* in, int32_t inBytes, uint8_t* out, int32_t outBytes))      \
    X(IsExistModule, int32_t, (int32_t module, const char16_t* name))                              \
    /* chat */                                                                                     \
    X(ChatCreate, int32_t, ())                                                                     \
    X(ChatJoin, int32_t, (int32_t chat))                                                           \
    X(ChatTalk, int32_t, (int32_t chat, const char16_t* html))                                     \
    X(ChatUpdate, int32_t, (int32_t chat))                                                         \
    X(ChatInvite, int32_t, (int32_t chat, const char16_t* memberId))                               \
    X(ChatDecline, int32_t, (int32_t chat, int32_t refused))                                       \
    X(ChatClose, int32_t, (int32_t chat))                                                          \
    X(ChatGetAllLog, int32_t, (int32_t chat))

// Function pointer types: OBRIX_GetAppDir_t and so on.
#define OBRIX_DECLARE_TYPE(name, result, params) using OBRIX_##name##_t = result(*) params;
OBRIX_FUNCTION_LIST(OBRIX_DECLARE_TYPE)
#undef OBRIX_DECLARE_TYPE

// One caller's table of the core's functions, bound by exact name.
struct OBRIX_API CObrixTable {
#define OBRIX_DECLARE_MEMBER(name, result, params) OBRIX_##name##_t name = nullptr;
    OBRIX_FUNCTION_LIST(OBRIX_DECLARE_MEMBER)
#undef OBRIX_DECLARE_MEMBER

    // Looks every name up in the already loaded messaging core (never loads it). Returns the
    // number of names found; without the core the table is left empty and 0 is returned.
    int Bind();
    // Same, from a given library handle (tests bind a stand-in core this way).
    int BindFrom(void* libraryHandle);
    void Clear() {
        *this = CObrixTable();
    }
    bool IsBound() const {
        return GetUserID != nullptr;
    }

    static constexpr int kFunctionCount = 68;
    // File name of the messaging core (its soname), found among the loaded libraries.
    static constexpr const char* kCoreLibrary = "Kernova.so";
};
