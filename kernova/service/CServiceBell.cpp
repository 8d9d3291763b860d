#include "kernova/service/CServiceBell.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

CServiceBell::CServiceBell(const QString& dir, QObject* parent)
    : QObject(parent), m_path(BellPath(dir)) {
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(0);
    connect(&m_coalesce, &QTimer::timeout, this, &CServiceBell::Rung);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        Arm(); // the bell may have been removed and written anew since
        emit Rung();
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        Arm();
        m_coalesce.start();
    });
}

QString CServiceBell::BellPath(const QString& dir) {
    return QDir(dir).filePath(QStringLiteral("bell"));
}

void CServiceBell::Ring(const QString& dir) {
    // Written in place on purpose: replacing the file (as an atomic save would) ends the
    // readers' watches on it. The content is only a time stamp that nobody relies on.
    QFile f(BellPath(dir));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
}

void CServiceBell::Start(int safetyPollMs) {
    if (!QFile::exists(m_path))
        Ring(QFileInfo(m_path).absolutePath());
    Arm();
    m_poll.start(safetyPollMs);
}

void CServiceBell::Stop() {
    m_poll.stop();
    m_coalesce.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
}

bool CServiceBell::IsWatching() const {
    return !m_watcher.files().isEmpty();
}

void CServiceBell::Arm() {
    if (m_watcher.files().isEmpty() && QFile::exists(m_path))
        m_watcher.addPath(m_path);
}
