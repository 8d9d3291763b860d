// How a second start of the program reaches the running one: a local socket server named
// "ZeltaIMTaskTray" in the user's runtime directory (owned by the messaging core) receives one
// message of two little-endian int32 values, the window message number and its lParam (0x9000
// and 0x201: "restore the IM window"). The server path is per user, so two users of one
// machine never reach each other's instance.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>
#include <QtEndian>
#include <cstdint>

namespace ZeltaTaskTray {

inline constexpr char ServerName[] = "ZeltaIMTaskTray";
inline constexpr int MessageBytes = 8;

// Full path of the local server socket, to be used by both sides (QLocalServer::listen and
// QLocalSocket::connectToServer accept a full path).
inline QString serverPath() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u'/' +
           QLatin1String(ServerName);
}

inline QByteArray encode(int32_t message, int32_t lParam) {
    QByteArray bytes(MessageBytes, '\0');
    qToLittleEndian<int32_t>(message, bytes.data());
    qToLittleEndian<int32_t>(lParam, bytes.data() + 4);
    return bytes;
}

// Reads one message from the front of `bytes`; false while fewer than eight bytes are there.
inline bool decode(const QByteArray& bytes, int32_t* message, int32_t* lParam) {
    if (bytes.size() < MessageBytes)
        return false;
    *message = qFromLittleEndian<int32_t>(bytes.constData());
    *lParam = qFromLittleEndian<int32_t>(bytes.constData() + 4);
    return true;
}

} // namespace ZeltaTaskTray
