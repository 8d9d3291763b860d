// zeltactl as the other processes of a local service: concurrency across processes, a peer
// killed without logging off, and what the tool does with bad input.
#include "tools/zeltactl/tests/ZeltactlTestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST_F(ZeltactlTest, TwoWritingProcessesAndAReaderLoseNothing) {
    constexpr int kPerWriter = 100;
    auto reader = LogOn(S("c"));
    QStringList arrived;
    QObject::connect(reader.get(), &CMessagingService::MessageArrived, reader.get(),
                     [&](const SvcMessage& m) {
                         arrived.append(m.messageId);
                         EXPECT_TRUE(reader->MarkReceived({m.messageId}));
                     });

    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString& w : {S("a"), S("b")}) {
        QByteArray script;
        for (int i = 0; i < kPerWriter; ++i) {
            script += QStringLiteral("send --to c --cc all@g2 --subject 's %1' --id %2-%1\n")
                          .arg(i)
                          .arg(w)
                          .toUtf8();
            if (i % 10 == 0)
                script += QStringLiteral("status busy-%1\n").arg(i).toUtf8();
        }
        script += QStringLiteral("wait receipt --kind 0 --member c --count %1 --timeout 60\n")
                      .arg(kPerWriter)
                      .toUtf8();
        writers.push_back(Start({S("peer"), S("--id"), w, S("--password"), Password(w)}, script));
    }
    // The reader writes too while they run: its presence, over and over.
    int round = 0;
    const bool writersDone = QTest::qWaitFor(
        [&] {
            reader->SetPresence({QStringLiteral("r%1").arg(++round), {}, 0});
            return std::all_of(writers.begin(), writers.end(),
                               [](const auto& p) { return p->state() == QProcess::NotRunning; });
        },
        90000);
    EXPECT_TRUE(writersDone);
    for (auto& w : writers) {
        EXPECT_EQ(Finish(*w, 1000), 0) << w->readAllStandardError().toStdString();
        EXPECT_EQ(Events(QString::fromUtf8(w->readAllStandardOutput()), S("sent")).size(),
                  kPerWriter);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived.size() >= 2 * kPerWriter; }, 10000))
        << arrived.size();
    reader->PollFeed();
    QSet<QString> unique(arrived.begin(), arrived.end());
    EXPECT_EQ(unique.size(), 2 * kPerWriter);
    EXPECT_EQ(arrived.size(), 2 * kPerWriter); // none twice
    EXPECT_TRUE(reader->GetPendingMessages().isEmpty());
    // d was off line: every message waits for it, none lost.
    auto d = LogOn(S("d"));
    EXPECT_EQ(d->GetPendingMessages().size(), 2 * kPerWriter);
}

TEST_F(ZeltactlTest, KilledPeerTurnsOffAfterTheHeartbeatTimeOutAndNotBefore) {
    auto observer = LogOn(S("a"));
    EventLog log(observer.get());
    auto peer = Start({S("peer"), S("--id"), S("c"), S("--password"), Password(S("c")),
                       S("--heartbeat"), S("100"), S("--heartbeat-timeout"), S("1000"),
                       S("status here"), S("echo ready"), S("sleep 60")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->readAllStandardOutput().contains("\"ready\""); },
                                10000));
    ASSERT_TRUE(log.WaitFor(S("presence all c on")));
    // Alive and beating: well past the time-out it is still there.
    log.Settle(2500);
    EXPECT_FALSE(log.lines.contains(S("presence all c here")));
    EXPECT_TRUE(observer->GetMember(S("c"))->online);

    QElapsedTimer sinceKill;
    peer->kill(); // SIGKILL: no log-off
    sinceKill.start();
    ASSERT_TRUE(log.WaitFor(S("presence all c here"), 1, 10000));
    EXPECT_GE(sinceKill.elapsed(), 800);
    EXPECT_FALSE(observer->GetMember(S("c"))->online);
    for (const SvcMembership& m : observer->GetMemberships()) {
        if (m.memberId == S("c")) {
            EXPECT_EQ(m.presence.status, S("off"));
        }
    }
    peer->waitForFinished(5000);
}

TEST_F(ZeltactlTest, PeerGetsQueuedMessagesAtLogOnAndItsReadingComesBack) {
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("d")}, {S("all@g2")}, {S("b")})));
    a->Logoff();
    QString out;
    ASSERT_EQ(Run({S("peer"), S("--id"), S("d"), S("--password"), Password(S("d")),
                   S("wait-message --id m1 --timeout 10"), S("list"), S("read m1")},
                  &out),
              0);
    const auto messages = Events(out, S("message"));
    ASSERT_EQ(messages.size(), 1); // through To and Cc: still one copy
    EXPECT_EQ(messages[0].value(S("subject")).toString(), S("件名 m1"));
    EXPECT_TRUE(messages[0].value(S("bcc")).toArray().isEmpty());
    ASSERT_EQ(Events(out, S("listed")).size(), 1);
    EXPECT_EQ(Events(out, S("read")).size(), 1);

    a = LogOn(S("a"));
    EventLog back(a.get());
    ASSERT_TRUE(back.WaitFor(S("receipt 1 m1 d")));
    EXPECT_TRUE(back.lines.contains(S("receipt 0 m1 d")));
    const auto sent = a->GetMessage(S("m1"));
    EXPECT_TRUE(sent->dest[Svc::DST_TO][0].readTime.isValid());
    EXPECT_FALSE(sent->dest[Svc::DST_CC][0].readTime.isValid()); // c has not read it
}

TEST_F(ZeltactlTest, BadInputIsRefusedWithBothLanguagesAndANonZeroStatus) {
    QString out, err;
    EXPECT_EQ(Run({S("--help")}, &out), 0);
    EXPECT_TRUE(out.contains(S("使い方")) && out.contains(S("Usage")));

    const QString peer = S("peer --id a --password ") + Password(S("a"));
    struct Case {
        QStringList args;
        int status;
        const char* ja;
    };
    const Case cases[] = {
        {{S("frob")}, 2, "不明なコマンド"},
        {{S("member"), S("add"), S(""), S("--password"), S("x")}, 2, "ID が正しくありません"},
        {{S("member"), S("add"), S("all@x"), S("--password"), S("x")}, 2, "ID が正しくありません"},
        {{S("member"), S("add"), S("x")}, 2, "--password"},
        {{S("member"), S("add"), S("x"), S("--password"), S("y"), S("--bogus"), S("1")},
         2,
         "不明なオプション"},
        {{S("membership"), S("add"), S("g1"), S("nobody")}, 1, "メンバーが見つかりません"},
        {{S("group"), S("rename"), S("g1")}, 2, "NAME"},
        {{S("membership"), S("add"), S("g1"), S("d"), S("--role"), S("x")}, 2, "数値"},
        {{S("peer"), S("--id"), S("a"), S("--password"), S("wrong"), S("list")},
         1,
         "パスワードが違います"},
        {{S("peer"), S("--password"), S("x")}, 2, "--id"},
        {peer.split(u' ') + QStringList{S("send --to b --subject ") + QString(1001, u'x')}, 2,
         "件名が長すぎます"},
        {peer.split(u' ') + QStringList{S("send --to 'b c'")}, 2, "ID が正しくありません"},
        {peer.split(u' ') + QStringList{S("send --subject nobody")}, 2, "宛先がありません"},
        {peer.split(u' ') + QStringList{S("read nosuch")}, 1, "メッセージが見つかりません"},
        {peer.split(u' ') + QStringList{S("wait message --timeout 0.2")}, 1, "待ち時間"},
        {peer.split(u' ') + QStringList{S("send --to 'b")}, 2, "引用符"},
        {peer.split(u' ') + QStringList{S("fly")}, 2, "不明なコマンド"},
    };
    for (const Case& c : cases) {
        const QString what = c.args.join(u' ').left(80);
        EXPECT_EQ(Run(c.args, &out, &err), c.status) << what.toStdString();
        EXPECT_TRUE(err.contains(S(c.ja))) << what.toStdString() << "\n" << err.toStdString();
        // Both languages, in one line.
        EXPECT_TRUE(err.contains(u'(') && err.contains(u')')) << err.toStdString();
    }
    // A missing service is an error too, and is not created by asking.
    const QString elsewhere = dir + S("-none");
    EXPECT_EQ(Run({S("--service"), elsewhere, S("list")}, &out, &err), 1);
    EXPECT_TRUE(err.contains(S("サービスがありません")));
    EXPECT_FALSE(QFile::exists(CServiceStore::DatabasePath(elsewhere)));
}

TEST_F(ZeltactlTest, AdministrationChangesReachALoggedOnMember) {
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    for (const QStringList& args :
         {QStringList{S("member"), S("add"), S("e"), S("--password"), S("pe"), S("--family"),
                      S("鈴木"), S("--first"), S("花子"), S("--birth"), S("1990-04-01")},
          QStringList{S("group"), S("add"), S("g9"), S("--name"), S("新しい"), S("--parent"),
                      S("g1")},
          QStringList{S("membership"), S("add"), S("g9"), S("e"), S("--role"), S("2")},
          QStringList{S("membership"), S("set"), S("g9"), S("e"), S("--name"), S("Hanako")},
          QStringList{S("group"), S("rename"), S("g9"), S("改名")},
          QStringList{S("member"), S("password"), S("e"), S("pe2")},
          QStringList{S("member"), S("edit"), S("e"), S("--email"), S("e@example.org")}}) {
        QString err;
        ASSERT_EQ(Run(args, nullptr, &err), 0)
            << args.join(u' ').toStdString() << err.toStdString();
    }
    ASSERT_TRUE(la.WaitFor(S("member-changed e")));
    EXPECT_EQ(la.lines, (QStringList{S("member-added e"), S("group-added g9"),
                                     S("group-member-added g9 e"), S("group-member-changed g9 e"),
                                     S("group-renamed g9 新しい"), S("member-changed e")}));
    const auto e = a->GetMember(S("e"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->DisplayName(), S("鈴木  花子"));
    EXPECT_EQ(e->birth, QDate(1990, 4, 1));
    EXPECT_EQ(e->email, S("e@example.org"));
    const auto m = a->GetMemberships(S("g9"));
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m[0].role, 2); // "set" without --role keeps the role
    EXPECT_EQ(m[0].name, S("Hanako"));
    CLocalService s(dir);
    EXPECT_TRUE(s.Logon(S("e"), S("pe2")));
}

TEST_F(ZeltactlTest, PeerCommandsWorkWrittenOutAsTheHelpShowsThemAndAttachTakesSeveralFiles) {
    QStringList files;
    for (const char* name : {"表.csv", "図.png", "メモ.txt"}) {
        files.append(m_tmp.path() + u'/' + S(name));
        QFile f(files.last());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(name));
    }
    const QStringList peer = {S("peer"), S("--id"), S("b"), S("--password"), Password(S("b"))};
    QString out, err;
    // Several files after one --attach, and --attach repeated; the command's own --id is the
    // message's, not the peer's.
    ASSERT_EQ(Run(peer + QStringList{S("send"), S("--to"), S("a"), S("--id"), S("m-words"),
                                     S("--subject"), S("報告"), S("--attach"), files[0], files[1],
                                     S("--attach"), files[2], S("echo"), S("list"), S("list")},
                  &out, &err),
              0)
        << err.toStdString();
    // "echo" takes one word: the first "list" is its text, the second a command of its own.
    EXPECT_EQ(Events(out, S("echo")).value(0).value(S("text")).toString(), S("list"));
    EXPECT_EQ(Events(out, S("sent")).size(), 1) << out.toStdString();
    auto a = LogOn(S("a"));
    const std::optional<SvcMessage> m = a->GetMessage(S("m-words"));
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->fromId, S("b"));
    EXPECT_EQ(m->subject, S("報告"));
    QStringList names;
    for (const SvcAttachment& file : m->attachments)
        names.append(file.name);
    EXPECT_EQ(names, (QStringList{S("表.csv"), S("図.png"), S("メモ.txt")}));

    // The quoted form of the same commands still works.
    EXPECT_EQ(Run(peer + QStringList{S("send --to a --id m-quoted --body 'two words'"), S("list")},
                  &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(a->GetMessage(S("m-quoted")).value_or(SvcMessage{}).body, S("two words"));

    // A word that starts no command, and --attach without a file, are refused.
    EXPECT_EQ(Run(peer + QStringList{S("sned"), S("--to"), S("a")}, &out, &err), 2);
    EXPECT_TRUE(err.contains(S("不明なコマンドです: sned"))) << err.toStdString();
    EXPECT_EQ(Run(peer + QStringList{S("send"), S("--to"), S("a"), S("--attach")}, &out, &err), 2);
    EXPECT_TRUE(err.contains(S("--attach"))) << err.toStdString();
}
