// One running Zelta per user: a lock file "VELTRANE" in the user's runtime directory. A lock
// left behind by a process that no longer runs is taken over; a live one is never considered
// stale however old it is.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class CSingleInstance {
public:
    // runtimeDir empty: the user's runtime directory.
    explicit CSingleInstance(const QString& runtimeDir = QString());
    ~CSingleInstance();

    // true when this process now holds the lock.
    bool Acquire();
    void Release();
    bool IsHeld() const { return m_lock && m_lock->isLocked(); }
    QString LockPath() const { return m_path; }

    // Tells the running instance to come forward: connects to its local server and sends
    // 0x9000 with lParam 0x201. false when no server answered in time.
    static bool ActivateRunning(const QString& serverPath, int timeoutMs = 1000);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
