// A scripted messaging core for the notification plug-in's tests: a library with the core's
// soname that the test programs link, so that every CObrixTable in the process (the test's
// own frame and any copy of Pingel.zpm it loads) binds its OBRIX_ functions. Tests fill in
// groups, members, sent messages and settings, and read back what the plug-in wrote.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstdint>
#include <optional>

class CLetrix;

namespace ScriptedCore {

// Empties everything: directory, messages, settings and counters.
ZELTA_EXPORT void Reset();

// A group below parentId (top level when empty), after the groups already there.
ZELTA_EXPORT void AddGroup(const QString& id, const QString& name,
                           const QString& parentId = QString());
ZELTA_EXPORT void AddMembership(const QString& groupId, const QString& memberId,
                                const QString& name, const QString& status);
ZELTA_EXPORT void SetStatus(const QString& groupId, const QString& memberId, const QString& status);
ZELTA_EXPORT void AddMember(const QString& id, const QString& family, const QString& middle,
                            const QString& first);
// A message of the sent box, found by its id.
ZELTA_EXPORT void AddSentMessage(const CLetrix& message);

// Settings of the notification module (scope 1, module 7).
ZELTA_EXPORT void SetInt(const QString& section, const QString& key, int32_t value);
ZELTA_EXPORT void SetString(const QString& section, const QString& key, const QString& value);
ZELTA_EXPORT std::optional<int32_t> StoredInt(const QString& section, const QString& key);
ZELTA_EXPORT std::optional<QString> StoredString(const QString& section, const QString& key);
ZELTA_EXPORT int WriteCount();

// Settings calls with another scope or module: the plug-in must make none.
ZELTA_EXPORT int ForeignSettingCalls();
// Message records handed out and not yet given back with OBRIX_CleanupLetrix.
ZELTA_EXPORT int OutstandingMessages();

} // namespace ScriptedCore
