// Two real programs, each with its own home and the probe plug-in, on one private prosody:
// selected through ZELTA_SERVICE, they exchange a message and both of its receipts. And the
// scripted peer of zeltactl, run against the network service with the same commands as against
// the local one.
#include "XmppTestSupport.h"
#include "kernova/service/xmpp/ServiceSelection.h"
#include "tests/support/CZeltaRun.h"

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR");
}
QString ProbePath() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + "/fixtures/im/Probe.zpm";
}

class XmppEndToEnd : public xmpptest::XmppFixture {
protected:
    void Prepare(CZeltaRun& run, const QString& id) {
        ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
        run.Env().remove(QStringLiteral("ZELTA_SERVICE_DIR"));
        run.Env().insert(QStringLiteral("ZELTA_SERVICE"), server.Location().ToString());
        run.Env().insert(QStringLiteral("ZELTA_AUTOLOGON_ID"), id);
        run.Env().insert(QStringLiteral("ZELTA_AUTOLOGON_PASSWORD"), xmpptest::Password(id));
    }

    CZeltaRun atA{OutDir(), ProbePath()};
    CZeltaRun atB{OutDir(), ProbePath()};
};

TEST_F(XmppEndToEnd, TwoProgramsExchangeAMessageAndBothReceipts) {
    Prepare(atA, QStringLiteral("a"));
    Prepare(atB, QStringLiteral("b"));
    atB.Env().insert(QStringLiteral("ZELTA_PROBE_READ"), QStringLiteral("1"));
    ASSERT_TRUE(atB.Start());
    ASSERT_FALSE(atB.WaitForProbe({"OnLogon", "1"}).isEmpty())
        << atB.ProbeLines().join('\n').toStdString();

    atA.Env().insert(QStringLiteral("ZELTA_PROBE_SEND"), QStringLiteral("b|||ネットワーク|本文"));
    ASSERT_TRUE(atA.Start());
    ASSERT_FALSE(atA.WaitForProbe({"OnLogon", "1"}).isEmpty())
        << atA.ProbeLines().join('\n').toStdString();
    const QString sent = atA.WaitForProbe({"SendMessage", "1"});
    ASSERT_FALSE(sent.isEmpty()) << atA.ProbeLines().join('\n').toStdString();
    const QString id = sent.section(u'\t', 2);

    EXPECT_FALSE(atB.WaitForProbe({"GetMessage", id, "1", "ネットワーク", "a"}).isEmpty())
        << atB.ProbeLines().join('\n').toStdString();
    EXPECT_FALSE(atB.WaitForProbe({"SetReadMessage", id, "1"}).isEmpty());
    EXPECT_TRUE(QFile::exists(atB.UserDir() + "account/b/message/recv/" + id + ".zmf"));
    EXPECT_FALSE(atA.WaitForProbe({"OnRecvNotify", "0", id, "b"}).isEmpty())
        << atA.ProbeLines().join('\n').toStdString();
    EXPECT_FALSE(atA.WaitForProbe({"OnRecvNotify", "1", id, "b"}).isEmpty());
    // Each sees the other come on line.
    EXPECT_FALSE(atB.WaitForProbe({"OnChangeMemPresence", "all", "a", "off"}).isEmpty());
    atA.Stop();
    atB.Stop();
}

TEST_F(XmppEndToEnd, TheScriptedPeerRunsItsCommandsOnTheNetworkService) {
    auto a = LogOn(QStringLiteral("a"));
    svctest::EventLog aEvents(a.get());
    QTemporaryDir home;
    QProcess peer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZELTA_SERVICE"), server.Location().ToString());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    peer.setProcessEnvironment(env);
    peer.start(OutDir() + QStringLiteral("/zeltactl"),
               {QStringLiteral("peer"), QStringLiteral("--id"), QStringLiteral("b"),
                QStringLiteral("--password"), xmpptest::Password(QStringLiteral("b")),
                QStringLiteral("send --to a --subject 報告 --body 完了しました --id p1"),
                QStringLiteral("wait receipt --kind 1 --timeout 20"), QStringLiteral("chat-create"),
                QStringLiteral("chat-invite a --text どうぞ"),
                QStringLiteral("wait chat --type 2 --member a --timeout 20"),
                QStringLiteral("chat-talk ようこそ"),
                QStringLiteral("wait chat --type 0 --member a --timeout 20")});
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("message p1"), 1, 20000))
        << peer.readAllStandardError().toStdString();
    const SvcMessage m = aEvents.messages.last();
    EXPECT_EQ(m.fromId, QStringLiteral("b"));
    EXPECT_EQ(m.subject, QStringLiteral("報告"));
    ASSERT_TRUE(a->MarkRead(QStringLiteral("p1")));

    int chat = 0;
    QObject::connect(a.get(), &CMessagingService::ChatInvited,
                     [&](int c, const QString& inviter, const QString&) {
                         if (inviter == QStringLiteral("b"))
                             chat = c;
                     });
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat > 0; }, 20000));
    ASSERT_TRUE(a->JoinChat(chat)) << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto events = a->GetChatEvents(chat);
            return !events.isEmpty() && events.last().text == QStringLiteral("ようこそ");
        },
        20000));
    ASSERT_TRUE(a->TalkInChat(chat, QStringLiteral("<P>ありがとう</P>")));
    // Waiting with the event loop running: a's stream has to carry the talk.
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.state() == QProcess::NotRunning; }, 30000));
    // The peer's log-off at the end of its script is told to the chat, never as a lost session.
    EXPECT_TRUE(aEvents.lines.filter(QStringLiteral("session-ended")).isEmpty());
    const QString out = QString::fromUtf8(peer.readAllStandardOutput());
    EXPECT_EQ(peer.exitCode(), 0) << out.toStdString() << peer.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\"event\":\"receipt\""))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("session-ended"))) << out.toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto events = a->GetChatEvents(chat);
            return !events.isEmpty() && events.last().type == Svc::CHAT_LOGGED_OFF;
        },
        5000));
}

// zeltactl's administration commands on the server, as its administrator: accounts through the
// server's administrative commands, members and groups through the directory node.
TEST_F(XmppEndToEnd, AdministrationCommandsActOnTheServer) {
    auto a = LogOn(QStringLiteral("a"));
    svctest::EventLog aEvents(a.get());
    QTemporaryDir home;
    std::string lastError;
    auto ctl = [&](const QStringList& args, QString* output = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELTA_SERVICE"), server.Location().ToString());
        env.insert(QStringLiteral("ZELTA_ADMIN_ID"), server.AdminId());
        env.insert(QStringLiteral("ZELTA_ADMIN_PASSWORD"), server.AdminPassword());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        p.setProcessEnvironment(env);
        p.start(OutDir() + QStringLiteral("/zeltactl"), args);
        // The event loop runs meanwhile: a's stream takes the directory's notifications.
        (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000);
        if (output)
            *output = QString::fromUtf8(p.readAllStandardOutput());
        lastError = p.readAllStandardError().toStdString();
        return p.exitCode();
    };
    ASSERT_EQ(
        ctl({"member", "add", "e", "--password", "pw-e-1", "--family", "江藤", "--first", "英二"}),
        0)
        << lastError;
    ASSERT_EQ(ctl({"membership", "add", "g1", "e", "--role", "1"}), 0) << lastError;
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("member-added e")));
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("group-member-added g1 e")));
    EXPECT_EQ(a->GetMember(QStringLiteral("e"))->DisplayName(), QStringLiteral("江藤  英二"));

    // The account is real: e logs on, then with the new password only.
    auto e = Client(QStringLiteral("e"));
    EXPECT_TRUE(e->Logon(QStringLiteral("e"), QStringLiteral("pw-e-1")))
        << e->LastError().EnglishText().toStdString();
    e->Logoff();
    ASSERT_EQ(ctl({"member", "password", "e", "pw-e-2"}), 0) << lastError;
    EXPECT_FALSE(e->Logon(QStringLiteral("e"), QStringLiteral("pw-e-1")));
    EXPECT_EQ(e->LastError().code(), CServiceError::BadLogon);
    EXPECT_TRUE(e->Logon(QStringLiteral("e"), QStringLiteral("pw-e-2")));
    e->Logoff();

    QString listing;
    ASSERT_EQ(ctl({"list"}, &listing), 0) << lastError;
    EXPECT_TRUE(listing.contains(QStringLiteral("e\t江藤  英二"))) << listing.toStdString();
    EXPECT_TRUE(listing.contains(QStringLiteral("- e\t"))) << listing.toStdString();

    // A member already there is refused, and nothing changes.
    EXPECT_EQ(ctl({"member", "add", "a", "--password", "whatever"}), 1);
    EXPECT_NE(lastError.find("member already exists: a"), std::string::npos) << lastError;
    EXPECT_TRUE(a->Logon(QStringLiteral("a"), xmpptest::Password(QStringLiteral("a"))))
        << "the existing account keeps its password";
    ASSERT_EQ(ctl({"member", "remove", "e"}), 0) << lastError;
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("member-removed e")));
    EXPECT_FALSE(e->Logon(QStringLiteral("e"), QStringLiteral("pw-e-2")));
}

// What scripts/run.sh --network starts: the demo organisation on a private server of its own,
// its peers over XMPP, and the program logged on as the demo user.
TEST(XmppDemo, TheNetworkDemoRunsItsOrganisationOnAServerOfItsOwn) {
    QTemporaryDir dir;
    QProcess demo;
    demo.setProcessChannelMode(QProcess::MergedChannels);
    demo.start(OutDir() + QStringLiteral("/zeltactl"),
               {QStringLiteral("demo"), QStringLiteral("--network"), QStringLiteral("--pace"),
                QStringLiteral("0.2"), QStringLiteral("--location-file"),
                dir.filePath(QStringLiteral("location")), QStringLiteral("--until-pid"),
                QString::number(QCoreApplication::applicationPid())});
    const QString locationFile = dir.filePath(QStringLiteral("location"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(locationFile).size() > 0; }, 60000))
        << demo.readAll().toStdString();
    QFile f(locationFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString location = QString::fromUtf8(f.readAll()).trimmed();
    ASSERT_TRUE(Svc::IsNetworkLocation(location)) << location.toStdString();

    CZeltaRun run(OutDir(), ProbePath());
    ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    run.Env().remove(QStringLiteral("ZELTA_SERVICE_DIR"));
    run.Env().insert(QStringLiteral("ZELTA_SERVICE"), location);
    run.Env().insert(QStringLiteral("ZELTA_AUTOLOGON_ID"), QStringLiteral("demo"));
    run.Env().insert(QStringLiteral("ZELTA_AUTOLOGON_PASSWORD"), QStringLiteral("demo"));
    ASSERT_TRUE(run.Start());
    ASSERT_FALSE(run.WaitForProbe({"OnLogon", "1"}, 30000).isEmpty())
        << run.ProbeLines().join('\n').toStdString();
    // The organisation's members come on line for the program.
    EXPECT_FALSE(run.WaitForProbe({"OnChangeMemPresence", "all", "sato"}, 30000).isEmpty())
        << run.ProbeLines().join('\n').toStdString();
    EXPECT_FALSE(run.WaitForProbe({"OnChangeMemPresence", "all", "yamada"}, 30000).isEmpty());
    run.Stop();
    demo.terminate();
    EXPECT_TRUE(demo.waitForFinished(15000));
    EXPECT_TRUE(demo.readAll().contains("demo-stopped"));
}

} // namespace
