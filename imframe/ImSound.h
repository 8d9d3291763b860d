#pragma once

#include <QString>

class QObject;

// Plays a sound file (WAVE) once, without waiting for it. Arrival, invitation and talk tones
// and the audition buttons of the sound settings all go through here. A missing or unreadable
// file plays nothing: a tone is a courtesy, never an error the user has to dismiss.
namespace ImSound {

// Starts playing `path`; the player lives under `owner` (or on its own when null) and is gone
// once the sound has ended. Returns false when there is nothing to play.
bool Play(const QString& path, QObject* owner = nullptr);

} // namespace ImSound
