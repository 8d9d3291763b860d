// The contract between the host program and its core modules.
//
// A core module is a shared object in <program dir>/plugin/ that exports the CORECBK_
// callbacks below (plain C names, default visibility) and calls the host back through the
// COREAPI_ functions. A core module includes this header only; it never links the host: the
// host exports its dynamic symbols and the module's undefined COREAPI_ references are
// resolved when the host loads it.
//
// Conventions at this boundary:
// - strings are NUL-terminated UTF-16 (char16_t); a window handle is a QWidget* (HWND);
// - counts, flags and results are 32-bit; a value that may carry a pointer is intptr_t;
// - no C++ exception ever crosses an export, in either direction.
#pragma once

#include "obrix/ModuleInfo.h"
#include "obrix/ZeltaPlatform.h"

#include <cstdint>

// Module types reported in tagMODULEINFO::nType. The same numbers name the settings and the
// log categories of the host services.
namespace ZeltaCoreType {
constexpr int32_t Host = 0;   // the host itself (log category only)
constexpr int32_t Update = 1; // no special role
constexpr int32_t Stream = 2; // settings provider: the twelve settings callbacks
constexpr int32_t Wirel = 3;  // communication module: CORECBK_OnSendToCom
constexpr int32_t Set = 4;    // receives COREAPI_RecvFromCom
constexpr int32_t Other = 5;  // no special role
constexpr int32_t All = 255;  // notification target: every module
} // namespace ZeltaCoreType

// Log levels of COREAPI_SaveLog. The debug levels are written only when the host was started
// with the matching switch (/d1, /d2, /d3).
namespace ZeltaLogLevel {
constexpr int32_t Notice = 0;
constexpr int32_t NoticeD1 = 1;
constexpr int32_t NoticeD2 = 2;
constexpr int32_t NoticeD3 = 3;
constexpr int32_t Warning = 4;
constexpr int32_t Error = 5;
constexpr int32_t FatalError = 6;
} // namespace ZeltaLogLevel

extern "C" {

// ---------------------------------------------------------------------------------------
// Host services exported by the program (COREAPI_).
// ---------------------------------------------------------------------------------------

// Application. Call from the user-interface thread only.
// Kill: asks the host to quit; it only posts the request, shutdown runs from the event loop.
ZELTA_EXPORT void COREAPI_Kill();
// SetLogoInfo: status line of the start-up window. mode 0: text as given; 1: the language
// module's "loading" format with text; 2: its "loaded" format with text; other: empty.
ZELTA_EXPORT void COREAPI_SetLogoInfo(const char16_t* text, int32_t mode);
// The window a core module registered as the main window of the session (0 when none).
ZELTA_EXPORT HWND COREAPI_GetMainWnd();
// Registers the main window; 1 when a non-zero window was registered before, else 0.
ZELTA_EXPORT int32_t COREAPI_SetMainWnd(HWND wnd);
// The start-up window object, which stays the process's main window until shutdown.
ZELTA_EXPORT HWND COREAPI_GetRealMainWnd();
// Handle of the language module (a dlopen handle), 0 when it could not be loaded.
ZELTA_EXPORT void* COREAPI_GetResHandle();
// Shows the version dialog.
ZELTA_EXPORT void COREAPI_DispVersion();

// Routing to other core modules. A "value" is passed through unchanged (it may be a pointer).
// SendMsg: CORECBK_OnRecvMsg(value) of every module of targetType (255: all) in load order;
// 1 when at least one module was called, else 0.
ZELTA_EXPORT int32_t COREAPI_SendMsg(int32_t targetType, intptr_t value);
// RecvFromCom: CORECBK_OnRecvMessage(a, b) of every type 4 module; result as SendMsg.
ZELTA_EXPORT int32_t COREAPI_RecvFromCom(intptr_t a, intptr_t b);
// SendToCom: CORECBK_OnSendToCom(value) of the first type 3 module; -1 when there is none.
ZELTA_EXPORT int32_t COREAPI_SendToCom(intptr_t value);
// Begin: CORECBK_OnBegin(value) of every module of targetType (255: all); result as SendMsg.
ZELTA_EXPORT int32_t COREAPI_Begin(int32_t targetType, intptr_t value);
// Update: accepted and ignored.
ZELTA_EXPORT void COREAPI_Update(intptr_t value);

// Paths and platform. The strings belong to the host and live as long as the process.
// GetAppDir: program directory with a trailing "/". GetUserDir: the per-user data directory
// ($XDG_DATA_HOME/Tovar/, with a trailing "/"; empty when it could not be determined).
ZELTA_EXPORT const char16_t* COREAPI_GetAppDir();
ZELTA_EXPORT const char16_t* COREAPI_GetUserDir();
// OS version word: a family value with detail bits. Bits 0x180000 mean a platform whose
// native theme is drawn; on Linux the value is that of a newer NT family, 0.
ZELTA_EXPORT uint32_t COREAPI_GetOSVersion();

// Settings forwarding. The host turns (category, subKey) into a path: the category's prefix
// ("" for 0, "Update", "Stream", "Wirel", "Set" for 1 to 4), then "\" and subKey when subKey is
// not 0 (so category 4 with "A" gives "Set\A", category 0 with "X" gives "\X"). Any other
// category returns 0 without calling the provider. The call then goes to the first loaded type
// 2 module; without one the result is 0 (ReadRegInt: defaultValue). All other arguments pass
// through unchanged. The settings provider of this program gives them these meanings:
//   scope        1 = the user's settings (<user dir>settings/), 0 = settings installed with
//                the program (<program dir>settings/, read-only); anything else fails.
//   unit         a number that selects one file below the path's first component: the
//                messaging core passes its module number (0 general, 1 presence, ...).
//   subKey       the section; "\" separates nested sections.
//   valueName    the key inside the section.
// Buffer results follow snprintf: the full length is returned even when the copy was cut.
//
// GetRegPath(scope, category, subKey, buffer char16_t*, bufferChars): writes the directory
//   that stores the path's files; returns its length in characters, 0 on failure.
ZELTA_EXPORT int32_t COREAPI_GetRegPath(int32_t scope, int32_t category, const char16_t* subKey,
                                        intptr_t buffer, int32_t bufferChars);
// ReadRegBinary(scope, category, unit, subKey, valueName const char16_t*, buffer uint8_t*,
//   bufferBytes): the stored size in bytes (0 when absent); copies at most bufferBytes.
ZELTA_EXPORT int32_t COREAPI_ReadRegBinary(int32_t scope, int32_t category, int32_t unit,
                                           const char16_t* subKey, intptr_t valueName,
                                           intptr_t buffer, int32_t bufferBytes);
// ReadRegInt: the stored integer, or defaultValue when absent or not a number.
ZELTA_EXPORT int32_t COREAPI_ReadRegInt(int32_t scope, int32_t category, int32_t unit,
                                        const char16_t* subKey, const char16_t* valueName,
                                        int32_t defaultValue);
// ReadRegString(..., valueName, defaultText const char16_t* (0: empty), buffer char16_t*,
//   bufferChars): copies the stored text or the default; returns the full length in characters.
ZELTA_EXPORT int32_t COREAPI_ReadRegString(int32_t scope, int32_t category, int32_t unit,
                                           const char16_t* subKey, const char16_t* valueName,
                                           intptr_t defaultText, intptr_t buffer,
                                           int32_t bufferChars);
// WriteRegBinary(..., valueName const char16_t*, data const uint8_t*, bytes, flags).
// WriteRegInt(..., valueName const char16_t*, value, flags).
// WriteRegString(..., valueName const char16_t*, text const char16_t*, flags).
// flags bit 0: remove the value instead of writing it. 1 on success, 0 on failure.
ZELTA_EXPORT int32_t COREAPI_WriteRegBinary(int32_t scope, int32_t category, int32_t unit,
                                            const char16_t* subKey, intptr_t valueName,
                                            intptr_t data, int32_t bytes, int32_t flags);
ZELTA_EXPORT int32_t COREAPI_WriteRegInt(int32_t scope, int32_t category, int32_t unit,
                                         const char16_t* subKey, intptr_t valueName, int32_t value,
                                         int32_t flags);
ZELTA_EXPORT int32_t COREAPI_WriteRegString(int32_t scope, int32_t category, int32_t unit,
                                            const char16_t* subKey, intptr_t valueName,
                                            intptr_t text, int32_t flags);
// Whole files (no path building). A relative path is taken below the user directory.
// ReadFile(path const char16_t*, buffer uint8_t*, bufferBytes, offset): copies the bytes from
//   offset on, at most bufferBytes; returns the file size (-1 when it cannot be read).
// WriteFile(path const char16_t*, data const uint8_t*, bytes, flags, reserved): replaces the
//   file atomically; flags bit 0 creates missing parent directories. 1 on success, else 0.
ZELTA_EXPORT int32_t COREAPI_ReadFile(intptr_t path, intptr_t buffer, int32_t bufferBytes,
                                      int32_t offset);
ZELTA_EXPORT int32_t COREAPI_WriteFile(intptr_t path, intptr_t data, int32_t bytes, int32_t flags,
                                       int32_t reserved);
// Application data: values of the product, kept in <program dir>appdata.ini ("GENERAL":
// "VERSION_H", "VERSION_L", "VERSION_R", "VERSION_B", "CHAT_RELOAD"; "PARLO": "MAXCREATEWND",
// "MAXMEMBERS"). scope 1 lets <user dir>appdata.ini override a value, 0 reads the program's
// file only.
// GetAppDataInt(section, key, scope, defaultValue).
// GetAppDataBool(section, key, scope, defaultValue): 1 or 0 (1/true/yes/on, 0/false/no/off).
// GetAppDataString(section, key, scope, defaultText const char16_t*, buffer char16_t*,
//   bufferChars): full length in characters, as ReadRegString.
ZELTA_EXPORT int32_t COREAPI_GetAppDataInt(const char16_t* section, const char16_t* key,
                                           int32_t scope, int32_t defaultValue);
ZELTA_EXPORT int32_t COREAPI_GetAppDataBool(intptr_t section, intptr_t key, int32_t scope,
                                            int32_t defaultValue);
ZELTA_EXPORT int32_t COREAPI_GetAppDataString(intptr_t section, intptr_t key, int32_t scope,
                                              intptr_t defaultText, intptr_t buffer,
                                              int32_t bufferChars);

// No encryption service is offered; both return 0.
ZELTA_EXPORT int32_t COREAPI_Encrypt(intptr_t a, intptr_t b, intptr_t c, intptr_t d);
ZELTA_EXPORT int32_t COREAPI_Decrypt(intptr_t a, intptr_t b, intptr_t c);

// One log record: category 0 core, 2 stream, 3 wirel, 4 set, 5 othre (1 and others: nothing),
// level as ZeltaLogLevel (other values are written with a blank level word).
ZELTA_EXPORT void COREAPI_SaveLog(int32_t category, int32_t level, const char16_t* text);

} // extern "C"

// ---------------------------------------------------------------------------------------
// Callbacks a core module exports (CORECBK_), bound by exact name.
// ---------------------------------------------------------------------------------------
// Always required: OnCoreZpmInfo (bound first; fills the zeroed record), OnEnumModules,
// OnPreTranslateMessage, OnInit, OnStart, OnBegin, OnKill, OnRecvMsg, OnRecvMessage.
// Type 3 also OnSendToCom; type 2 also the twelve settings callbacks. A module lacking any
// callback its type requires is refused and unloaded.

// Module info: fills the zeroed record the host provides.
using CORECBK_OnCoreZpmInfo_t = void (*)(tagMODULEINFO* info);
// Sub-modules for the version dialog: entry `index` (0, 1, ...) into four zeroed buffers of
// bufferChars characters; non-zero while an entry was returned.
using CORECBK_OnEnumModules_t = int32_t (*)(int32_t index, char16_t* fileName, char16_t* version,
                                            char16_t* localName, char16_t* company,
                                            int32_t bufferChars);
// Every event of the user-interface thread before its normal delivery; non-zero hides it from
// the modules after this one (the event is still delivered normally).
using CORECBK_OnPreTranslateMessage_t = int32_t (*)(MSG* msg);
// Life cycle: init (load order), start (load order, after every init), kill (reverse order).
using CORECBK_OnInit_t = void (*)();
using CORECBK_OnStart_t = void (*)();
using CORECBK_OnKill_t = void (*)();
// COREAPI_Begin, COREAPI_SendMsg and COREAPI_RecvFromCom deliveries.
using CORECBK_OnBegin_t = void (*)(intptr_t value);
using CORECBK_OnRecvMsg_t = void (*)(intptr_t value);
using CORECBK_OnRecvMessage_t = void (*)(intptr_t a, intptr_t b);
// Type 3: COREAPI_SendToCom; the result goes back to the caller.
using CORECBK_OnSendToCom_t = int32_t (*)(intptr_t value);

// Type 2: the settings provider. Arguments as documented at the COREAPI_ functions above,
// with (category, subKey) replaced by the built path ("Set\A", "\X", "Stream", ...).
using CORECBK_OnGetRegPath_t = int32_t (*)(int32_t scope, const char16_t* path, intptr_t buffer,
                                           int32_t bufferChars);
using CORECBK_OnReadRegBinary_t = int32_t (*)(int32_t scope, int32_t unit, const char16_t* path,
                                              intptr_t valueName, intptr_t buffer,
                                              int32_t bufferBytes);
using CORECBK_OnReadRegInt_t = int32_t (*)(int32_t scope, int32_t unit, const char16_t* path,
                                           const char16_t* valueName, int32_t defaultValue);
using CORECBK_OnReadRegString_t = int32_t (*)(int32_t scope, int32_t unit, const char16_t* path,
                                              const char16_t* valueName, intptr_t defaultText,
                                              intptr_t buffer, int32_t bufferChars);
using CORECBK_OnWriteRegBinary_t = int32_t (*)(int32_t scope, int32_t unit, const char16_t* path,
                                               intptr_t valueName, intptr_t data, int32_t bytes,
                                               int32_t flags);
using CORECBK_OnWriteRegInt_t = int32_t (*)(int32_t scope, int32_t unit, const char16_t* path,
                                            intptr_t valueName, int32_t value, int32_t flags);
using CORECBK_OnWriteRegString_t = int32_t (*)(int32_t scope, int32_t unit, const char16_t* path,
                                               intptr_t valueName, intptr_t text, int32_t flags);
using CORECBK_OnReadFile_t = int32_t (*)(intptr_t path, intptr_t buffer, int32_t bufferBytes,
                                         int32_t offset);
using CORECBK_OnWriteFile_t = int32_t (*)(intptr_t path, intptr_t data, int32_t bytes,
                                          int32_t flags, int32_t reserved);
using CORECBK_OnGetAppDataInt_t = int32_t (*)(const char16_t* section, const char16_t* key,
                                              int32_t scope, int32_t defaultValue);
using CORECBK_OnGetAppDataBool_t = int32_t (*)(intptr_t section, intptr_t key, int32_t scope,
                                               int32_t defaultValue);
using CORECBK_OnGetAppDataString_t = int32_t (*)(intptr_t section, intptr_t key, int32_t scope,
                                                 intptr_t defaultText, intptr_t buffer,
                                                 int32_t bufferChars);
