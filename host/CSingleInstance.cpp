#include "host/CSingleInstance.h"

#include "host/TaskTrayWire.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

CSingleInstance::CSingleInstance(const QString& runtimeDir) {
    const QString dir = runtimeDir.isEmpty()
                            ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                            : runtimeDir;
    m_path = dir + QStringLiteral("/VELTRANE");
}

CSingleInstance::~CSingleInstance() {
    Release();
}

bool CSingleInstance::Acquire() {
    if (IsHeld())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path);
    // Age alone never makes the lock stale: only a holder that is gone does.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

void CSingleInstance::Release() {
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

bool CSingleInstance::ActivateRunning(const QString& serverPath, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ZeltaTaskTray::encode(ZeltaMsg::TaskTray, ZeltaMsg::LButtonDown));
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}
