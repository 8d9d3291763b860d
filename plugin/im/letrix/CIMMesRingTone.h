// Which ring tone announces a message from a sender: the member's own tone, else the option's
// choice (the built-in tone, a file, or none).
#pragma once

#include "plugin/im/letrix/CIMMesSettings.h"

#include <QString>

class CIMSndInfo;

namespace CIMMesRingTone {

// The tone file for a sender, or empty for silence. appDir is the program directory.
QString PathFor(const CIMSndInfo& memberTones, const QString& senderId,
                const CIMMesSettings& settings, const QString& appDir);

// Whether a tone file can be played: it exists and opens for reading.
bool IsPlayable(const QString& path);

} // namespace CIMMesRingTone
