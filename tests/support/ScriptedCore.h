// A scripted messaging core for the plug-ins' tests: a library with the core's soname that a
// test program links, so that every CObrixTable in the process (the test's own frame and any
// copy of a plug-in it loads) binds all OBRIX_ functions from it. Tests fill in the directory,
// stored messages, settings and results, then read back what the plug-in did: settings it
// wrote, messages and statuses it sent, and a log of every other call it made.
//
// Directories (app, user, account, module, message) lie below a root directory that a test
// chooses (SetRoot); files are real files there, written atomically like the core does.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class CLetrix;
class CIMPreset;

namespace ScriptedCore {

// Empties everything (directory, messages, settings, calls, results) and sets the module whose
// settings the plug-in under test may touch (its module number; 7 for the notifications).
ZELTA_EXPORT void Reset(int32_t ownModule = 7);

// Directories: "<root>/app/", "<root>/user/", "<root>/account/", "<root>/account/module<n>/",
// "<root>/account/message/". Without a root, directory calls return nullptr.
ZELTA_EXPORT void SetRoot(const QString& root);
ZELTA_EXPORT void SetUserId(const QString& id);
ZELTA_EXPORT void SetLogonState(int32_t state);

// ---- directory ----
// A group below parentId (top level when empty), after the groups already there.
ZELTA_EXPORT void AddGroup(const QString& id, const QString& name,
                           const QString& parentId = QString());
ZELTA_EXPORT void AddMembership(const QString& groupId, const QString& memberId,
                                const QString& name, const QString& status, int32_t role = 0);
ZELTA_EXPORT void RemoveMembership(const QString& groupId, const QString& memberId);
ZELTA_EXPORT void SetStatus(const QString& groupId, const QString& memberId, const QString& status);
ZELTA_EXPORT void AddMember(const QString& id, const QString& family, const QString& middle,
                            const QString& first);
// How many times the plug-in read the directory (GetGroupAll, GetGroup, GetGroupMembers).
ZELTA_EXPORT int DirectoryReads();

// ---- messages ----
// A stored message of box ObrixBox::Draft, Sent or Received, found by its id.
ZELTA_EXPORT void AddMessage(int32_t box, const CLetrix& message);
ZELTA_EXPORT void AddSentMessage(const CLetrix& message);
ZELTA_EXPORT std::optional<uint32_t> MessageFlags(int32_t box, const QString& id);
// Messages handed to OBRIX_SendMessage and OBRIX_SaveDraftMessage, in order.
ZELTA_EXPORT QList<CLetrix> SentMessages();
ZELTA_EXPORT QList<CLetrix> SavedDrafts();
// Statuses handed to OBRIX_SendStatus, in order.
ZELTA_EXPORT QList<CIMPreset> SentStatuses();
// Message records handed out and not yet given back with OBRIX_CleanupLetrix.
ZELTA_EXPORT int OutstandingMessages();
ZELTA_EXPORT void SetAttachmentLimit(uint64_t bytes);
// The message IDs the next OBRIX_ImportMessage hands out (it then succeeds), and the strings
// handed out by imports and not yet released with OBRIX_CleanupImport.
ZELTA_EXPORT void SetImportIds(const QStringList& drafts, const QStringList& sent,
                               const QStringList& received);
ZELTA_EXPORT int OutstandingImports();

// ---- settings of the own module (scope 1) ----
ZELTA_EXPORT void SetInt(const QString& section, const QString& key, int32_t value);
ZELTA_EXPORT void SetString(const QString& section, const QString& key, const QString& value);
ZELTA_EXPORT void SetBinary(const QString& section, const QString& key, const QByteArray& value);
ZELTA_EXPORT std::optional<int32_t> StoredInt(const QString& section, const QString& key);
ZELTA_EXPORT std::optional<QString> StoredString(const QString& section, const QString& key);
ZELTA_EXPORT std::optional<QByteArray> StoredBinary(const QString& section, const QString& key);
ZELTA_EXPORT int WriteCount();
// Settings calls with another scope or module: a plug-in must make none.
ZELTA_EXPORT int ForeignSettingCalls();

// ---- every other call ----
// Each call as one line: the function name without "OBRIX_", then its arguments, separated
// by tabs (strings as text, numbers in decimal, records by their id where they have one).
// Directory, settings and record bookkeeping calls are not logged.
ZELTA_EXPORT QStringList Calls();
// The calls whose line starts with name (then a tab or the end).
ZELTA_EXPORT QStringList CallsOf(const QString& name);
ZELTA_EXPORT void ClearCalls();
// The result of the next calls of a function that returns int32_t (by name without "OBRIX_");
// unset results are 1 for actions and the natural value for queries.
ZELTA_EXPORT void SetResult(const QString& name, int32_t result);
// Modules that OBRIX_IsExistModule reports (all absent by default).
ZELTA_EXPORT void SetModulePresent(int32_t module, bool present);
// Records of OBRIX_SaveLog: "<category>\t<level>\t<text>".
ZELTA_EXPORT QStringList LogLines();

} // namespace ScriptedCore
