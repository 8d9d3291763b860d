// Wakes every process of a local service when the change feed grows. Writers touch a small
// file next to the database after each commit; readers watch it with QFileSystemWatcher
// (inotify on Linux), so nobody polls in a tight loop. A watch can be lost (the file replaced,
// a watch limit reached, a file system without notifications), so readers also keep a slow
// safety poll, and the bell re-arms its watch whenever it fires.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class CServiceBell : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultSafetyPollMs = 3000;

    // dir: the service directory; the bell file is created on demand.
    explicit CServiceBell(const QString& dir, QObject* parent = nullptr);

    static QString BellPath(const QString& dir);
    // Touches the bell of the service in dir. Writers call it after a commit.
    static void Ring(const QString& dir);

    // Starts listening: Rung is emitted after a ring (coalesced) and at every safety poll.
    void Start(int safetyPollMs = kDefaultSafetyPollMs);
    void Stop();
    bool IsWatching() const;

signals:
    void Rung();

private:
    void Arm();

    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_poll;
    QTimer m_coalesce;
};
