// Which tone announces an invitation or a talk: the member's own tone first, else the
// option's choice (the built-in tone, a file, or none).
#pragma once

#include "plugin/im/parlo/CParloSettings.h"

#include <QString>

class CIMSndInfo;

namespace CParloTone {

enum Kind { Invitation = 0, Talk = 1 };

// The tone file for a member and kind, or empty for silence. appDir is the program directory.
QString PathFor(const CIMSndInfo& memberTones, const QString& memberId, Kind kind,
                const CParloSettings& settings, const QString& appDir);

} // namespace CParloTone
