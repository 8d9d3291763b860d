// The real program with the messaging core and the probe plug-in, a temporary home and a
// temporary local service; other members act through zeltactl. What the probe records is
// what the plug-ins see.
#include "host/TaskTrayWire.h"
#include "kernova/service/CLocalServiceAdmin.h"
#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <gtest/gtest.h>

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR");
}
QString ProbePath() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + "/fixtures/im/Probe.zpm";
}

class ZeltaSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    }

    void Start() { ASSERT_TRUE(run.Start()); }
    void Stop() { run.Stop(); }
    QStringList ProbeLines() const { return run.ProbeLines(); }
    QString WaitForProbe(const QStringList& fields, int ms = 20000) {
        return run.WaitForProbe(fields, ms);
    }
    QString UserDir() const { return run.UserDir(); }
    QList<QJsonObject> Peer(const QString& id, const QStringList& commands,
                            int* exitCode = nullptr) {
        return run.Peer(id, commands, exitCode);
    }
    static QJsonObject First(const QList<QJsonObject>& events, const QString& name) {
        for (const QJsonObject& e : events)
            if (e.value("event").toString() == name)
                return e;
        return {};
    }

    CZeltaRun run{OutDir(), ProbePath()};
};

TEST_F(ZeltaSession, LogsOnByItselfAndMessagesPresenceGroupsAndTheTrayReachThePlugin) {
    run.Env().insert("ZELTA_PROBE_SEND", "b|c|d|件名E2E|本文");
    Start();
    ASSERT_FALSE(WaitForProbe({"OnLogon", "1"}).isEmpty()) << ProbeLines().join('\n').toStdString();
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
    EXPECT_TRUE(message.value("bcc").toArray().isEmpty());
    EXPECT_EQ(message.value("subject").toString(), "件名E2E");

    // Receipts come back; presence changes and b's message arrive.
    EXPECT_FALSE(WaitForProbe({"OnRecvNotify", "0", id, "b"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnRecvNotify", "1", id, "b"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnChangeMemPresence", "all", "b", "off"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnChangeMemPresence", "all", "b", "on"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"GetMessage", "e2e-1", "1", "こんにちは", "b"}).isEmpty());
    EXPECT_TRUE(QFile::exists(UserDir() + "account/a/message/recv/e2e-1.zmf"));

    // A group change made by the administrator.
    CLocalServiceAdmin admin(run.ServiceDir());
    ASSERT_TRUE(admin.Open());
    ASSERT_TRUE(admin.AddGroup({"g9", "g1", "Group 9", 0, {}}));
    ASSERT_TRUE(admin.AddMembership("g9", "a", 0, "A in 9"));
    EXPECT_FALSE(WaitForProbe({"OnAddGrp", "g9", "g1", "Group 9"}).isEmpty());
    EXPECT_FALSE(WaitForProbe({"OnAddGrpMember", "g9", "a", "A in 9"}).isEmpty());

    // A second start reaches the running one through the tray server.
    QLocalSocket socket;
    socket.connectToServer(run.Root() + "/run/" + ZeltaTaskTray::ServerName);
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
    run.ClearProbeLog();
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
            receipts.append(QStringLiteral("%1 %2 %3")
                                .arg(e.value("kind").toInt())
                                .arg(e.value("message").toString(), e.value("member").toString()));
    EXPECT_TRUE(receipts.contains("0 queued-1 a")) << receipts.join('|').toStdString();
    EXPECT_TRUE(receipts.contains("3 queued-1 nobody")) << receipts.join('|').toStdString();
}

TEST_F(ZeltaSession, APeerWhoseProcessDiedIsShownOffAfterItsHeartbeatTimeOut) {
    Start();
    ASSERT_FALSE(WaitForProbe({"OnLogon", "1"}).isEmpty());
    QProcess peer;
    peer.setProcessEnvironment(run.Env());
    peer.start(OutDir() + "/zeltactl",
               {"--service", run.ServiceDir(), "peer", "--id", "d", "--password",
                CZeltaRun::Password("d"), "--heartbeat", "200", "--heartbeat-timeout", "1000",
                "status 外出中", "sleep 60"});
    ASSERT_TRUE(peer.waitForStarted(10000));
    ASSERT_FALSE(WaitForProbe({"OnChangeMemPresence", "all", "d", "on"}).isEmpty());
    peer.kill(); // no log-off reaches the service
    peer.waitForFinished(5000);
    // The core's own service beats every few seconds and then finds d's session expired.
    EXPECT_FALSE(WaitForProbe({"OnChangeMemPresence", "all", "d", "外出中"}, 30000).isEmpty())
        << ProbeLines().join('\n').toStdString();
}

TEST_F(ZeltaSession, TheServiceLocationComesFromTheCoresSettingsWhenTheEnvironmentNamesNone) {
    run.Env().remove("ZELTA_SERVICE_DIR");
    ASSERT_TRUE(QDir().mkpath(UserDir() + "settings/Set"));
    QFile ini(UserDir() + "settings/Set/0.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(("[IM/SERVICE]\nDir=" + run.ServiceDir() + "\n").toUtf8());
    ini.close();
    Start();
    EXPECT_FALSE(WaitForProbe({"OnLogon", "1"}).isEmpty()) << ProbeLines().join('\n').toStdString();
}

TEST_F(ZeltaSession, AFileAttachedByAPeerArrivesByteIdenticalWhereTheMessagePluginLooks) {
    Start();
    ASSERT_FALSE(WaitForProbe({"OnLogon", "1"}).isEmpty());
    QByteArray data(300000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 7919) >> 3);
    const QString path = run.Root() + "/図面.bin";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    int code = -1;
    Peer("b", {"send --to a --subject 添付 --id att-e2e --attach " + path}, &code);
    ASSERT_EQ(code, 0);
    ASSERT_FALSE(WaitForProbe({"GetMessage", "att-e2e", "1"}).isEmpty())
        << ProbeLines().join('\n').toStdString();
    QFile got(UserDir() + "account/a/message/files/att-e2e図面.bin");
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    EXPECT_EQ(got.readAll(), data);
}

// The chat variant of the probe joins what it is invited to and answers every talk.
class ZeltaChatSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
        run.Env().insert("ZELTA_PROBE_CHAT_ANSWER", "1");
        ASSERT_TRUE(run.Start());
        ASSERT_FALSE(run.WaitForProbe({"OnLogon", "1"}).isEmpty());
    }
    CZeltaRun run{OutDir(), qEnvironmentVariable("ZELTA_TEST_DIR") + "/fixtures/im/ProbeChat.zpm"};
};

TEST_F(ZeltaChatSession, APeersChatIsJoinedTalkedInBothWaysAndLeft) {
    int code = -1;
    const auto atB = run.Peer("b",
                              {"chat-create", "chat-invite a --text 会議しましょう",
                               "wait-chat --type 2 --member a --timeout 20", "chat-talk こんにちは",
                               "wait-chat --type 0 --member a --timeout 20", "chat-leave"},
                              &code);
    ASSERT_EQ(code, 0);
    QString chat;
    QStringList saidByA;
    for (const QJsonObject& e : atB) {
        if (e.value("event") == "chat-created")
            chat = QString::number(e.value("chat").toInt());
        if (e.value("event") == "chat" && e.value("type").toInt() == 0 && e.value("member") == "a")
            saidByA.append(e.value("text").toString());
    }
    ASSERT_FALSE(chat.isEmpty());
    EXPECT_EQ(saidByA, QStringList{"re: こんにちは"});
    for (const QStringList& line :
         QList<QStringList>{{"OnChatInvite", chat, "b", "会議しましょう"},
                            {"ChatJoin", chat, "1"},
                            {"OnChatUpdate", chat, "0", "b", "こんにちは"},
                            {"ChatTalk", chat, "1"},
                            {"OnChatUpdate", chat, "0", "a"},
                            {"OnChatUpdate", chat, "3", "b"}})
        EXPECT_FALSE(run.WaitForProbe(line).isEmpty()) << line.join(' ').toStdString() << "\n"
                                                       << run.ProbeLines().join('\n').toStdString();
}

} // namespace
