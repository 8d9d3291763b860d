#include "tests/support/CZeltaRun.h"

#include "kernova/service/CLocalServiceAdmin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QtCore/qtestsupport_core.h>
#include <cstdio>

namespace {

bool Copy(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    return QFile::copy(from, to);
}

} // namespace

CZeltaRun::CZeltaRun(const QString& outDir, const QString& probe) : m_outDir(outDir + u'/') {
    if (!m_tmp.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return;
    }
    const QString root = m_tmp.path();
    m_prog = root + QStringLiteral("/prog/");
    for (const char* file : {"Zelta", "libObrix.so", "appdata.ini", "lang/Japanese.so",
                             "plugin/Settings.so", "plugin/Kernova.so", "res/ZeltaRes.so"})
        if (!Copy(m_outDir + QLatin1String(file), m_prog + QLatin1String(file)))
            m_error += QLatin1String(file) + u' ';
    if (!Copy(probe, m_prog + QStringLiteral("plugin/im/Probe.zpm")))
        m_error += probe;
    QFile::setPermissions(m_prog + QStringLiteral("Zelta"), QFile::ReadOwner | QFile::ExeOwner);

    m_service = root + QStringLiteral("/service");
    CLocalServiceAdmin admin(m_service);
    bool ok = admin.Create() &&
              admin.AddGroup({QStringLiteral("g1"), {}, QStringLiteral("Group 1"), 0, {}});
    for (const char* id : {"a", "b", "c", "d"}) {
        SvcMember m;
        m.id = QString::fromLatin1(id);
        m.familyName[1] = QStringLiteral("Fam-") + m.id;
        ok = ok && admin.AddMember(m, Password(m.id)) &&
             admin.AddMembership(QStringLiteral("g1"), m.id, 0);
    }
    if (!ok)
        m_error += admin.LastError().EnglishText();

    const QString run = root + QStringLiteral("/run");
    QDir().mkpath(run);
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_log = root + QStringLiteral("/probe.log");
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.insert(QStringLiteral("ZELTA_SERVICE_DIR"), m_service);
    m_env.insert(QStringLiteral("ZELTA_AUTOLOGON_ID"), QStringLiteral("a"));
    m_env.insert(QStringLiteral("ZELTA_AUTOLOGON_PASSWORD"), Password(QStringLiteral("a")));
    m_env.insert(QStringLiteral("ZELTA_PROBE_LOG"), m_log);
    m_env.insert(QStringLiteral("ZELTA_PROBE_MODULE"), QStringLiteral("1"));
}

CZeltaRun::~CZeltaRun() {
    Stop();
}

bool CZeltaRun::Start() {
    m_zelta.setProcessEnvironment(m_env);
    m_zelta.setStandardOutputFile(QProcess::nullDevice());
    m_zelta.setStandardErrorFile(m_tmp.path() + QStringLiteral("/zelta.err"), QIODevice::Append);
    m_zelta.start(m_prog + QStringLiteral("Zelta"), {});
    return m_zelta.waitForStarted(10000);
}

void CZeltaRun::Stop() {
    if (m_zelta.state() == QProcess::NotRunning)
        return;
    m_zelta.terminate();
    if (!m_zelta.waitForFinished(15000))
        m_zelta.kill();
    m_zelta.waitForFinished(5000);
}

QStringList CZeltaRun::FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString CZeltaRun::WaitForLine(const QString& path, const QString& prefix, int ms) {
    QString found;
    (void)QTest::qWaitFor(
        [&] {
            for (const QString& line : FileLines(path))
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

void CZeltaRun::ClearProbeLog() {
    QFile::remove(m_log);
}

QString CZeltaRun::WaitForProbe(const QStringList& fields, int ms) const {
    return WaitForLine(m_log, fields.join(u'\t'), ms);
}

QList<QJsonObject> CZeltaRun::Peer(const QString& id, const QStringList& commands, int* exitCode) {
    QProcess peer;
    peer.setProcessEnvironment(m_env);
    const QStringList args{QStringLiteral("--service"),
                           m_service,
                           QStringLiteral("peer"),
                           QStringLiteral("--id"),
                           id,
                           QStringLiteral("--password"),
                           Password(id)};
    peer.start(m_outDir + QStringLiteral("zeltactl"), args + commands);
    peer.waitForFinished(60000);
    const int code = peer.exitStatus() == QProcess::NormalExit ? peer.exitCode() : -1;
    if (exitCode)
        *exitCode = code;
    // A failing peer says why on its error output; keep that next to the test's own output.
    if (code != 0)
        std::fprintf(stderr, "zeltactl peer %s: %s\n", qPrintable(id),
                     peer.readAllStandardError().constData());
    QList<QJsonObject> events;
    for (const QByteArray& line : peer.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            events.append(QJsonDocument::fromJson(line).object());
    return events;
}

bool CZeltaRun::StartPeer(QProcess& peer, const QString& id) {
    peer.setProcessEnvironment(m_env);
    peer.start(m_outDir + QStringLiteral("zeltactl"),
               {QStringLiteral("--service"), m_service, QStringLiteral("peer"),
                QStringLiteral("--id"), id, QStringLiteral("--password"), Password(id)});
    return peer.waitForStarted(10000);
}
