// How a stored status reads on screen and how a typed status is stored.
#pragma once

#include <QString>

namespace AvalinStatus {

inline const QString kOn = QStringLiteral("on");
inline const QString kOff = QStringLiteral("off");
inline const QString kOnNet = QStringLiteral("OnNet");
inline const QString kOffNet = QStringLiteral("OffNet");
inline const QString kDefaultIcon = QStringLiteral("1-1");
inline const QString kOffIcon = QStringLiteral("1-4");

// Empty or "on" (any case) reads "OnNet", "off" reads "OffNet", anything else as it stands.
QString Shown(const QString& status);
// The own status as it is kept: "OnNet" for empty or "on", "OffNet" for "off".
inline QString Normalised(const QString& status) {
    return Shown(status);
}
// What is sent for a typed status: empty or "OnNet" (any case) becomes "on".
QString ToSend(const QString& typed);
// A member is off line only for the exact status "off".
inline bool IsOff(const QString& status) {
    return status == kOff;
}
// A status that is a web address, opened on a click.
bool IsUrl(const QString& status);
// A status text with "&" doubled, so that a menu shows it as typed.
QString MenuEscaped(const QString& text);

} // namespace AvalinStatus
