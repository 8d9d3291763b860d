// A run of the real program for end-to-end tests and benchmarks: a temporary program
// directory holding the build's program, the messaging core and the probe plug-in, a temporary
// home and runtime directory, a local service with members a to d in group g1, and scripted
// peers through zeltactl.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

class CZeltaRun {
public:
    // outDir: the build's program directory; probe: the probe plug-in to install.
    CZeltaRun(const QString& outDir, const QString& probe);
    ~CZeltaRun();

    // Empty when everything was set up, else what failed.
    const QString& SetupError() const { return m_error; }
    static QString Password(const QString& id) { return QStringLiteral("pw-") + id; }

    QProcessEnvironment& Env() { return m_env; }
    QString Root() const { return m_tmp.path(); }
    QString UserDir() const { return m_tmp.path() + QStringLiteral("/data/Tovar/"); }
    QString ServiceDir() const { return m_service; }

    bool Start();
    void Stop();

    // The lines of a log file that a plug-in inside the program appends to.
    static QStringList FileLines(const QString& path);
    // The first line of that file that starts with prefix, waiting for it (empty on time-out).
    static QString WaitForLine(const QString& path, const QString& prefix, int ms);

    QStringList ProbeLines() const { return FileLines(m_log); }
    void ClearProbeLog();
    // The first probe line that starts with these tab-separated fields, waiting for it.
    QString WaitForProbe(const QStringList& fields, int ms = 20000) const;

    // Runs a scripted peer to the end; its JSON events.
    QList<QJsonObject> Peer(const QString& id, const QStringList& commands,
                            int* exitCode = nullptr);
    // A peer that takes its commands one by one from standard input.
    bool StartPeer(QProcess& peer, const QString& id);

private:
    QString m_outDir;
    QTemporaryDir m_tmp;
    QString m_prog;
    QString m_service;
    QString m_log;
    QString m_error;
    QProcessEnvironment m_env;
    QProcess m_zelta;
};
