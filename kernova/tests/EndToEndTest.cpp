// The real program with the messaging core and the probe plug-in, a temporary home and a
// temporary local service; other members act through zeltactl. What the probe records is
// what the plug-ins see.
#include "host/TaskTrayWire.h"
#include "kernova/service/CLocalServiceAdmin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

namespace {

QString OutDir() { return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/'; }
QString ProbePath() { return qEnvironmentVariable("ZELTA_TEST_DIR") + "/fixtures/im/Probe.zpm"; }
QString Password(const QString& id) { return "pw-" + id; }

class ZeltaSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tmp.isValid());
        const QString root = m_tmp.path();
        m_prog = root + "/prog/";
        for (const char* file : {"Zelta", "libObrix.so", "appdata.ini", "lang/Japanese.so",
                                 "plugin/Settings.so", "plugin/Kernova.so", "res/ZeltaRes.so"})
            ASSERT_TRUE(Copy(OutDir() + file, m_prog + file)) << file;
        ASSERT_TRUE(Copy(ProbePath(), m_prog + "plugin/im/Probe.zpm"));
        QFile::setPermissions(m_prog + "Zelta", QFile::ReadOwner | QFile::ExeOwner);

        m_service = root + "/service";
        CLocalServiceAdmin admin(m_service);
        ASSERT_TRUE(admin.Create());
        for (const char* id : {"a", "b", "c", "d"}) {
            SvcMember m;
            m.id = QString::fromLatin1(id);
            m.familyName[1] = "Fam-" + m.id;
            ASSERT_TRUE(admin.AddMember(m, Password(m.id)));
        }
        ASSERT_TRUE(admin.AddGroup({"g1", {}, "Group 1", 0, {}}));
        for (const char* id : {"a", "b", "c", "d"})
            ASSERT_TRUE(admin.AddMembership("g1", QString::fromLatin1(id), 0));

        QDir().mkpath(root + "/run");
        QFile::setPermissions(root + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_log = root + "/probe.log";
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("HOME", root + "/home");
        m_env.insert("XDG_DATA_HOME", root + "/data");
        m_env.insert("XDG_CONFIG_HOME", root + "/config");
        m_env.insert("XDG_RUNTIME_DIR", root + "/run");
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
        m_env.insert("ZELTA_SERVICE_DIR", m_service);
        m_env.insert("ZELTA_AUTOLOGON_ID", "a");
        m_env.insert("ZELTA_AUTOLOGON_PASSWORD", Password("a"));
        m_env.insert("ZELTA_PROBE_LOG", m_log);
        m_env.insert("ZELTA_PROBE_MODULE", "1");
    }
    void TearDown() override { Stop(); }

    static bool Copy(const QString& from, const QString& to) {
        QDir().mkpath(QFileInfo(to).absolutePath());
        return QFile::copy(from, to);
    }
    QString UserDir() const { return m_tmp.path() + "/data/Tovar/"; }

    void Start() {
        m_zelta.setProcessEnvironment(m_env);
        m_zelta.setStandardOutputFile(QProcess::nullDevice());
        m_zelta.setStandardErrorFile(m_tmp.path() + "/zelta.err");
        m_zelta.start(m_prog + "Zelta", {});
        ASSERT_TRUE(m_zelta.waitForStarted(10000));
    }
    void Stop() {
        if (m_zelta.state() == QProcess::NotRunning)
            return;
        m_zelta.terminate();
        if (!m_zelta.waitForFinished(15000))
            m_zelta.kill();
        m_zelta.waitForFinished(5000);
    }

    QStringList ProbeLines() const {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    // The first probe line that starts with these tab-separated fields, waiting for it.
    QString WaitForProbe(const QStringList& fields, int ms = 20000) {
        const QString prefix = fields.join(u'\t');
        QString found;
        (void)QTest::qWaitFor([&] {
            for (const QString& line : ProbeLines())
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            return false;
        }, ms);
        return found;
    }

    // Runs a scripted peer to the end and returns its JSON events.
    QList<QJsonObject> Peer(const QString& id, const QStringList& commands, int* exitCode = nullptr) {
        QProcess peer;
        peer.setProcessEnvironment(m_env);
        QStringList args{"--service", m_service, "peer", "--id", id, "--password", Password(id)};
        peer.start(OutDir() + "zeltactl", args + commands);
        peer.waitForFinished(60000);
        if (exitCode)
            *exitCode = peer.exitCode();
        QList<QJsonObject> events;
        for (const QByteArray& line : peer.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                events.append(QJsonDocument::fromJson(line).object());
        return events;
    }
    static QJsonObject First(const QList<QJsonObject>& events, const QString& name) {
        for (const QJsonObject& e : events)
            if (e.value("event").toString() == name)
                return e;
        return {};
    }

    QTemporaryDir m_tmp;
    QString m_prog;
    QString m_service;
    QString m_log;
    QProcessEnvironment m_env;
    QProcess m_zelta;
};

TEST_F(ZeltaSession, LogsOnByItselfAndMessagesPresenceGroupsAndTheTrayReachThePlugin) {
    m_env.insert("ZELTA_PROBE_SEND", "b|c|d|件名E2E|本文");
    Start();
    ASSERT_FALSE(WaitForProbe({"OnLogon", "1"}).isEmpty())
        << ProbeLines().join('\n').toStdString();
    const QStringList start = ProbeLines();
    ASSERT_GE(start.size(), 4);
    EXPECT_TRUE(start[0].startsWith("OnIMZpmInfo"));
    EXPECT_EQ(start[1], "OnInit");
    EXPECT_EQ(start[2], "OnStart");

    // The message the plug-in sent at log-on: stored as sent, and b sees To and Cc.
    const QString sent = WaitForProbe({"SendMessage", "1"});
    ASSERT_FALSE(sent.isEmpty()) << ProbeLines().join('\n').toStdString();
    const QString id = sent.section(u'\t', 2);
    EXPECT_FALSE(WaitForProbe({"OnSendMessage", id}).isEmpty());
    EXPECT_TRUE(QFile::exists(UserDir() + "account/a/message/send/" + id + ".zmf"));
    const auto atB = Peer("b", {"wait message --timeout 20", "read " + id, "status 会議中",
                                "send --to a --subject こんにちは --id e2e-1", "sleep 1"});
    const QJsonObject message = First(atB, "message");
    ASSERT_FALSE(message.isEmpty());
    EXPECT_EQ(message.value("to").toVariant().toStringList(), QStringList{"b"});
    EXPECT_EQ(message.value("cc").toVariant().toStringList(), QStringList{"c"});
    EXPECT_EQ(message.value("subject").toString(), "件名E2E");

    // Receipts come back; presence changes and b's message arrive.
    EXPECT_FALSE(WaitForProbe({"OnRecvNotify", "0", id, "b"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnRecvNotify", "1", id, "b"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnChangeMemPresence", "all", "b", "off"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnChangeMemPresence", "all", "b", "on"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"GetMessage", "e2e-1", "1", "こんにちは", "b"}).isEmpty());
    EXPECT_TRUE(QFile::exists(UserDir() + "account/a/message/recv/e2e-1.zmf"));

    // A group change made by the administrator.
    CLocalServiceAdmin admin(m_service);
    ASSERT_TRUE(admin.Open());
    ASSERT_TRUE(admin.AddGroup({"g9", "g1", "Group 9", 0, {}}));
    ASSERT_TRUE(admin.AddMembership("g9", "a", 0, "A in 9"));
    EXPECT_FALSE(WaitForProbe({"OnAddGrp", "g9", "g1", "Group 9"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnAddGrpMember", "g9", "a", "A in 9"}).isEmpty());

    // A second start reaches the running one through the tray server.
    QLocalSocket socket;
    socket.connectToServer(m_tmp.path() + "/run/" + ZeltaTaskTray::ServerName);
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write(ZeltaTaskTray::encode(ZeltaMsg::TaskTray, ZeltaMsg::LButtonDown));
    socket.flush();
    EXPECT_FALSE(WaitForProbe({"OnBegin", "0", "0"}).isEmpty());

    Stop();
    const QStringList end = ProbeLines();
    ASSERT_GE(end.size(), 2);
    EXPECT_EQ(end[end.size() - 2], "OnLogoff\t1");
    EXPECT_EQ(end.last(), "OnKill");
}

TEST_F(ZeltaSession, WhatWasSentWhileTheProgramWasClosedArrivesAtTheNextLogOn) {
    Start();
    ASSERT_FALSE(WaitForProbe({"OnLogon", "1"}).isEmpty());
    Stop();
    int code = -1;
    Peer("c", {"send --to a,nobody --subject 留守中 --id queued-1"}, &code);
    EXPECT_EQ(code, 0);
    QFile::remove(m_log);
    Start();
    EXPECT_FALSE(WaitForProbe({"GetMessage", "queued-1", "1", "留守中", "c"}).isEmpty())
        << ProbeLines().join('\n').toStdString();
    // The sender learns that a received it, and that "nobody" named nobody.
    int waited = -1;
    const auto atC = Peer("c", {"wait receipt --member a --timeout 20"}, &waited);
    EXPECT_EQ(waited, 0);
    QStringList receipts;
    for (const QJsonObject& e : atC)
        if (e.value("event") == "receipt")
            receipts.append(QStringLiteral("%1 %2 %3").arg(e.value("kind").toInt()).arg(
                e.value("message").toString(), e.value("member").toString()));
    EXPECT_TRUE(receipts.contains("0 queued-1 a")) << receipts.join('|').toStdString();
    EXPECT_TRUE(receipts.contains("3 queued-1 nobody")) << receipts.join('|').toStdString();
}

} // namespace
