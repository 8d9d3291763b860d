// zeltactl peers chatting and sending files to each other as separate processes, and the
// demo organisation with its scripted peers.
#include "tools/zeltactl/tests/ZeltactlTestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <csignal>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

QStringList PeerArgs(const QString& id) {
    // A safety poll of a minute: within the tests' waits only the service bell can wake them.
    return {S("peer"), S("--id"), id, S("--password"), Password(id), S("--poll"), S("60000")};
}

QList<int> Types(const QList<QJsonObject>& events) {
    QList<int> types;
    for (const QJsonObject& e : events)
        types.append(e.value(S("type")).toInt());
    return types;
}

} // namespace

TEST_F(ZeltactlTest, TwoPeerProcessesChatBothWaysWokenByTheServiceAlone) {
    auto b = Start(PeerArgs(S("b")), QByteArray("wait chat-invite --inviter a --timeout 20\n"
                                                "chat-join\n"
                                                "wait chat --type 0 --member a --timeout 20\n"
                                                "chat-talk '<P>b より</P>'\n"
                                                "wait chat --type 3 --member a --timeout 20\n"));
    auto c = Start(PeerArgs(S("c")), QByteArray("wait chat-invite --timeout 20\n"
                                                "chat-decline --timed-out\n"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto m = LogOn(S("d"));
            return m->GetMember(S("b"))->online && m->GetMember(S("c"))->online;
        },
        10000));
    auto a =
        Start(PeerArgs(S("a")) + QStringList{S("chat-create"), S("chat-invite b,c --text 定例会議"),
                                             S("wait chat --type 2 --member b --timeout 20"),
                                             S("wait chat --type 5 --member c --timeout 20"),
                                             S("chat-talk '<P>a より</P>'"),
                                             S("wait chat --type 0 --member b --timeout 20"),
                                             S("chat-log"), S("chat-leave")});
    for (QProcess* p : {a.get(), b.get(), c.get()})
        EXPECT_EQ(Finish(*p, 60000), 0) << p->readAllStandardError().toStdString();
    const QString outA = QString::fromUtf8(a->readAllStandardOutput());
    const QString outB = QString::fromUtf8(b->readAllStandardOutput());

    const auto invite = Events(outB, S("chat-invite"));
    ASSERT_EQ(invite.size(), 1);
    EXPECT_EQ(invite[0].value(S("text")).toString(), S("定例会議"));
    // The whole log as the creator replays it: created, two invitations, b joined, c let the
    // invitation time out, then talk both ways.
    // The whole log as the creator replays it: created, two invitations and the answers to
    // them (b may join before c is invited), then talk both ways.
    const auto log = Events(outA, S("chat-log"));
    ASSERT_EQ(log.size(), 7);
    QList<int> sorted = Types(log);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (QList<int>{0, 0, 1, 1, 2, 2, 5}));
    EXPECT_EQ(log[0].value(S("type")).toInt(), 2);
    EXPECT_EQ(log[6].value(S("member")).toString(), S("b"));
    EXPECT_EQ(log[6].value(S("text")).toString(), S("<P>b より</P>"));
    EXPECT_TRUE(log[6].value(S("time")).toString().endsWith(u'Z'));
    // b saw the same events live, from the first one on, and a's leaving at the end.
    const auto live = Events(outB, S("chat"));
    ASSERT_GE(live.size(), 8);
    EXPECT_EQ(Types(live.mid(0, 7)), Types(log));
    EXPECT_EQ(live.last().value(S("type")).toInt(), 3);
}

TEST_F(ZeltactlTest, FilesFromAPeerArriveByteIdenticalUnderSafeNamesAndTheLimitHolds) {
    QTemporaryDir tmp;
    QByteArray binary(300 * 1024, Qt::Uninitialized);
    for (char& ch : binary)
        ch = char(QRandomGenerator::global()->bounded(256));
    const QString drawing = tmp.filePath(S("図面.bin"));
    QFile f(drawing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(binary);
    f.close();

    const QString inbox = tmp.filePath(S("recv/files"));
    auto receiver = Start(PeerArgs(S("b")) + QStringList{S("--files"), inbox},
                          QByteArray("wait message --id f1 --timeout 20\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return LogOn(S("d"))->GetMember(S("b"))->online; }, 10000));
    QString err;
    EXPECT_EQ(Run(PeerArgs(S("a")) + QStringList{S("send --to b --id f1 --attach '") + drawing +
                                                 S("' --attach-name '../../出口.txt' --attach '") +
                                                 drawing + u'\''},
                  nullptr, &err),
              0)
        << err.toStdString();
    ASSERT_EQ(Finish(*receiver), 0) << receiver->readAllStandardError().toStdString();
    const auto message = Events(QString::fromUtf8(receiver->readAllStandardOutput()), S("message"));
    ASSERT_EQ(message.size(), 1);
    EXPECT_TRUE(message[0].value(S("body")).toString().endsWith(
        S("<OBJECT>出口.txt</OBJECT><OBJECT>図面.bin</OBJECT>")));
    const QJsonArray files = message[0].value(S("attachments")).toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].toObject().value(S("name")).toString(), S("../../出口.txt"));
    EXPECT_EQ(files[0].toObject().value(S("file")).toString(),
              QDir(inbox).filePath(S("f1出口.txt")));
    EXPECT_EQ(files[1].toObject().value(S("file")).toString(),
              QDir(inbox).filePath(S("f1図面.bin")));
    for (const QJsonValue& v : files) {
        QFile got(v.toObject().value(S("file")).toString());
        ASSERT_TRUE(got.open(QIODevice::ReadOnly));
        EXPECT_TRUE(got.readAll() == binary);
    }
    // Nothing landed beside the files folder.
    EXPECT_EQ(QDir(tmp.filePath(S("recv"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{S("files")});
    EXPECT_EQ(QDir(inbox).entryList(QDir::Files).size(), 2);

    // Over the sender's limit: refused with the limit in the message, and nothing sent.
    EXPECT_EQ(
        Run(PeerArgs(S("a")) + QStringList{S("--attach-limit"), S("300000"),
                                           S("send --to b --id f2 --attach '") + drawing + u'\''},
            nullptr, &err),
        1);
    EXPECT_TRUE(err.contains(S("添付ファイルの合計が大きすぎます (300000 バイトまで)")))
        << err.toStdString();
    EXPECT_FALSE(LogOn(S("a"))->GetMessage(S("f2")));
}

TEST_F(ZeltactlTest, DemoSeedsOnceAnswersReadsJoinsChatsAndEndsWithItsParent) {
    const QString demoDir = m_tmp.path() + S("/demo");
    QProcess parent;
    parent.start(S("sleep"), {S("120")});
    ASSERT_TRUE(parent.waitForStarted());
    auto demo = Start({S("--service"), demoDir, S("demo"), S("--pace"), S("0.05"), S("--until-pid"),
                       QString::number(parent.processId())});
    QString out;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += QString::fromUtf8(demo->readAllStandardOutput());
            return Events(out, S("demo-peer-online")).size() == 12;
        },
        30000))
        << out.toStdString() << demo->readAllStandardError().toStdString();
    EXPECT_TRUE(Events(out, S("demo-seed")).value(0).value(S("seeded")).toBool());

    // The organisation: three groups, the demo user among twelve others, one member in two
    // groups, administrators.
    CLocalService me(demoDir);
    ASSERT_TRUE(me.Logon(S("demo"), S("demo"))) << me.LastError().EnglishText().toStdString();
    EXPECT_EQ(me.GetGroups().size(), 3);
    EXPECT_EQ(me.GetMembers().size(), 13);
    QHash<QString, int> groupsOf;
    int admins = 0;
    for (const SvcMembership& m : me.GetMemberships()) {
        ++groupsOf[m.memberId];
        admins += m.role == 3 ? 1 : 0;
    }
    EXPECT_EQ(std::count(groupsOf.begin(), groupsOf.end(), 2), 1);
    EXPECT_GE(admins, 1);
    const QList<SvcRole> roles = me.GetRoles();
    EXPECT_TRUE(std::any_of(roles.begin(), roles.end(),
                            [](const SvcRole& r) { return r.role == 3 && r.name == S("管理者"); }));

    EventLog log(&me);
    SvcMessage m = MakeMessage(S("demo-m1"), {S("suzuki")});
    ASSERT_TRUE(me.SendMessage(m));
    ASSERT_TRUE(log.WaitFor(S("receipt 1 demo-m1 suzuki"), 1, 20000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::any_of(log.messages.begin(), log.messages.end(), [](const SvcMessage& r) {
                return r.fromId == S("suzuki") && r.referenceId == S("demo-m1");
            });
        },
        20000));

    QList<SvcChatEvent> chat;
    QObject::connect(&me, &CMessagingService::ChatChanged, &me, [&](int number) {
        chat += me.GetChatEvents(number, chat.isEmpty() ? 0 : chat.last().seq);
    });
    const int number = me.CreateChat(5);
    ASSERT_GT(number, 0);
    ASSERT_TRUE(me.InviteToChat(number, S("ito"), S("相談"), 5));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::any_of(chat.begin(), chat.end(), [](const SvcChatEvent& e) {
                return e.type == 2 && e.memberId == S("ito");
            });
        },
        20000));
    ASSERT_TRUE(me.TalkInChat(number, S("ご意見をください")));
    const auto answers = [&] {
        return std::count_if(chat.begin(), chat.end(), [](const SvcChatEvent& e) {
            return e.type == 0 && e.memberId == S("ito");
        });
    };
    // The greeting, then an answer to what the demo user said.
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers() >= 2; }, 20000));
    ASSERT_TRUE(me.LeaveChat(number));
    me.Logoff();

    // The parent ends: so does the demo, and its members go off line.
    parent.kill();
    parent.waitForFinished();
    EXPECT_EQ(Finish(*demo, 20000), 0);
    EXPECT_TRUE(QString::fromUtf8(demo->readAllStandardOutput()).contains(S("demo-stopped")));
    ASSERT_TRUE(me.Logon(S("demo"), S("demo")));
    for (const SvcMember& member : me.GetMembers())
        EXPECT_EQ(member.online, member.id == S("demo")) << member.id.toStdString();
    me.Logoff();

    // A second run finds the organisation and leaves it as it is; SIGTERM ends it.
    auto again = Start({S("--service"), demoDir, S("demo"), S("--pace"), S("0.05")});
    out.clear();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += QString::fromUtf8(again->readAllStandardOutput());
            return out.contains(S("demo-started"));
        },
        20000));
    EXPECT_FALSE(Events(out, S("demo-seed")).value(0).value(S("seeded")).toBool(true));
    ::kill(pid_t(again->processId()), SIGTERM);
    EXPECT_EQ(Finish(*again, 20000), 0);
    ASSERT_TRUE(me.Logon(S("demo"), S("demo")));
    EXPECT_EQ(me.GetMembers().size(), 13);
}

TEST_F(ZeltactlTest, TheWelcomeComesOncePerDemoServiceHoweverOftenTheDemoStarts) {
    const QString demoDir = m_tmp.path() + S("/demo");
    ASSERT_EQ(Run({S("--service"), demoDir, S("demo"), S("--seed-only")}), 0);
    CLocalService me(demoDir);
    ASSERT_TRUE(me.Logon(S("demo"), S("demo")));
    EventLog log(&me);
    const auto welcomes = [&] {
        return std::count_if(log.messages.begin(), log.messages.end(),
                             [](const SvcMessage& m) { return m.subject == S("ようこそ"); });
    };
    for (int run = 0; run < 2; ++run) {
        auto demo = Start({S("--service"), demoDir, S("demo"), S("--no-seed"), S("--pace"),
                           S("0.05")});
        QString out;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                out += QString::fromUtf8(demo->readAllStandardOutput());
                return Events(out, S("demo-peer-online")).size() == 12;
            },
            30000))
            << out.toStdString();
        // Long enough for a greeting at this pace (1.5 to 3 seconds times 0.05).
        QTest::qWait(1500);
        EXPECT_EQ(welcomes(), 1) << "run " << run;
        ::kill(pid_t(demo->processId()), SIGTERM);
        EXPECT_EQ(Finish(*demo, 20000), 0);
    }
}
