// The behaviour every messaging service owes the core, checked once for each back end: the
// local SQLite service and the XMPP service on a private prosody. Where the two must differ,
// the test says why.
#include "XmppTestSupport.h"

using svctest::EventLog;
using svctest::MakeMessage;
using svctest::Password;

namespace {

// One back end with its administration, holding members a, b, c, d and the groups g1 (a, b, c)
// and g2 below it (c, d; role 1).
class Backend {
public:
    virtual ~Backend() = default;
    virtual void SetUp() = 0;
    // A client on its own machine (its own local state).
    virtual std::unique_ptr<CMessagingService> Client(const QString& machine) = 0;
    virtual bool AddMember(const SvcMember& member) = 0;
    virtual bool AddMembership(const QString& group, const QString& member, int role) = 0;
    virtual bool RemoveMembership(const QString& group, const QString& member) = 0;
    virtual bool RenameGroup(const QString& group, const QString& name) = 0;
    virtual bool IsNetwork() const = 0;
};

class LocalBackend : public Backend {
public:
    void SetUp() override {
        ASSERT_TRUE(m_tmp.isValid());
        m_admin = std::make_unique<CLocalServiceAdmin>(m_tmp.filePath(QStringLiteral("service")));
        ASSERT_TRUE(m_admin->Create());
        svctest::Populate(*m_admin);
    }
    std::unique_ptr<CMessagingService> Client(const QString&) override {
        auto s = std::make_unique<CLocalService>(m_tmp.filePath(QStringLiteral("service")));
        s->SetHeartbeat(100, 3000);
        s->SetSafetyPollInterval(200);
        return s;
    }
    bool AddMember(const SvcMember& m) override { return m_admin->AddMember(m, Password(m.id)); }
    bool AddMembership(const QString& g, const QString& m, int role) override {
        return m_admin->AddMembership(g, m, role);
    }
    bool RemoveMembership(const QString& g, const QString& m) override {
        return m_admin->RemoveMembership(g, m);
    }
    bool RenameGroup(const QString& g, const QString& name) override {
        return m_admin->RenameGroup(g, name);
    }
    bool IsNetwork() const override { return false; }

private:
    QTemporaryDir m_tmp;
    std::unique_ptr<CLocalServiceAdmin> m_admin;
};

class XmppBackend : public Backend {
public:
    void SetUp() override {
        ASSERT_TRUE(CProsodyServer::Available()) << "scripts/bootstrap.sh installs prosody";
        ASSERT_TRUE(m_server.Start()) << m_server.Error().toStdString();
        ASSERT_TRUE(m_server.AddAccounts(xmpptest::Accounts({"a", "b", "c", "d", "e"})))
            << m_server.Error().toStdString();
        m_admin = std::make_unique<CXmppAdmin>(m_server.Location());
        ASSERT_TRUE(m_admin->Connect(m_server.AdminId(), m_server.AdminPassword()))
            << m_admin->LastError().EnglishText().toStdString();
        xmpptest::Publish(*m_admin);
    }
    std::unique_ptr<CMessagingService> Client(const QString& machine) override {
        return std::make_unique<CXmppService>(m_server.Location(), m_tmp.filePath(machine));
    }
    bool AddMember(const SvcMember& m) override { return m_admin->AddMember(m); }
    bool AddMembership(const QString& g, const QString& m, int role) override {
        return m_admin->AddMembership(g, m, role);
    }
    bool RemoveMembership(const QString& g, const QString& m) override {
        return m_admin->RemoveMembership(g, m);
    }
    bool RenameGroup(const QString& g, const QString& name) override {
        return m_admin->RenameGroup(g, name);
    }
    bool IsNetwork() const override { return true; }

private:
    QTemporaryDir m_tmp;
    CProsodyServer m_server;
    std::unique_ptr<CXmppAdmin> m_admin;
};

class ServiceContractTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override {
        if (GetParam() == QStringLiteral("local"))
            backend = std::make_unique<LocalBackend>();
        else
            backend = std::make_unique<XmppBackend>();
        backend->SetUp();
    }

    struct Session {
        std::unique_ptr<CMessagingService> service;
        std::unique_ptr<EventLog> log;
        CMessagingService* operator->() const { return service.get(); }
    };

    Session LogOn(const QString& id, const QString& machine = {}) {
        Session s;
        s.service = backend->Client(machine.isEmpty() ? id : machine);
        s.log = std::make_unique<EventLog>(s.service.get());
        EXPECT_TRUE(s.service->Logon(id, Password(id)))
            << s.service->LastError().EnglishText().toStdString();
        return s;
    }

    // Waits until watcher has seen member come on line (the network back end first has to
    // exchange presence subscriptions).
    static bool SeesOnline(Session& watcher, const QString& member) {
        return QTest::qWaitFor(
            [&] {
                const auto m = watcher->GetMember(member);
                return m && m->online;
            },
            5000);
    }

    std::unique_ptr<Backend> backend;
};

TEST_P(ServiceContractTest, LogsOnWithTheRightPasswordOnlyAndShowsTheDirectory) {
    auto wrong = backend->Client(QStringLiteral("a"));
    EXPECT_FALSE(wrong->Logon(QStringLiteral("a"), QStringLiteral("nope")));
    EXPECT_EQ(wrong->LastError().code(), CServiceError::BadLogon);
    EXPECT_FALSE(wrong->IsLoggedOn());
    EXPECT_FALSE(wrong->Logon(QStringLiteral("nobody"), QStringLiteral("pw-nobody")));
    EXPECT_EQ(wrong->LastError().code(), CServiceError::BadLogon);

    Session a = LogOn(QStringLiteral("a"));
    ASSERT_TRUE(a->IsLoggedOn());
    EXPECT_EQ(a->GetMembers().size(), 4);
    const QList<SvcGroup> groups = a->GetGroups();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].id, QStringLiteral("g1"));
    EXPECT_EQ(groups[1].parentId, QStringLiteral("g1"));
    const QList<SvcMembership> g2 = a->GetMemberships(QStringLiteral("g2"));
    ASSERT_EQ(g2.size(), 2);
    EXPECT_EQ(g2[0].memberId, QStringLiteral("c"));
    EXPECT_EQ(g2[0].role, 1);
    EXPECT_EQ(a->GetMember(QStringLiteral("b"))->DisplayName(), QStringLiteral("Fam-b  Giv"));
    EXPECT_FALSE(a->GetGroup(QStringLiteral("zz")));
    EXPECT_EQ(a->LastError().code(), CServiceError::UnknownGroup);
    // The user's own presence is "on" in its groups from the start.
    EXPECT_EQ(a->GetMemberships(QStringLiteral("g1"))[0].presence.status, Svc::kStatusOn);
}

TEST_P(ServiceContractTest, DirectoryChangesArriveAsEvents) {
    Session a = LogOn(QStringLiteral("a"));
    ASSERT_TRUE(backend->RenameGroup(QStringLiteral("g1"), QStringLiteral("営業部")));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("group-renamed g1 Group 1")));
    EXPECT_EQ(a->GetGroup(QStringLiteral("g1"))->name, QStringLiteral("営業部"));

    SvcMember e;
    e.id = QStringLiteral("e");
    ASSERT_TRUE(backend->AddMember(e));
    ASSERT_TRUE(backend->AddMembership(QStringLiteral("g2"), QStringLiteral("e"), 0));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("member-added e")));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("group-member-added g2 e")));
    ASSERT_TRUE(backend->RemoveMembership(QStringLiteral("g2"), QStringLiteral("c")));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("group-member-removed g2 c")));
    QStringList g2;
    for (const SvcMembership& m : a->GetMemberships(QStringLiteral("g2")))
        g2.append(m.memberId);
    EXPECT_EQ(g2, (QStringList{"d", "e"}));
}

TEST_P(ServiceContractTest, PresenceChangesPerGroupAndInAllGroups) {
    Session a = LogOn(QStringLiteral("a"));
    Session c = LogOn(QStringLiteral("c"));
    ASSERT_TRUE(SeesOnline(a, QStringLiteral("c")));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("presence all c off")));

    const SvcPresence busy{QStringLiteral("会議中"), QStringLiteral("7"), 0x000000FF};
    ASSERT_TRUE(c->SetPresence(busy, {QStringLiteral("g2")}));
    ASSERT_TRUE(a.log->WaitFor(QStringLiteral("presence g2 c on")));
    const QList<SvcMembership> mine = a->GetMemberships();
    for (const SvcMembership& m : mine)
        if (m.memberId == QStringLiteral("c"))
            EXPECT_EQ(m.presence.status,
                      m.groupId == QStringLiteral("g2") ? busy.status : Svc::kStatusOn);
    // Groups the member is not in are refused, and nothing is announced.
    EXPECT_FALSE(c->SetPresence(busy, {QStringLiteral("zz")}));
    EXPECT_EQ(c->LastError().code(), CServiceError::UnknownGroup);

    auto allOfC = [&](int n) {
        return QTest::qWaitFor([&] { return a.log->Count(QStringLiteral("presence all c ")) >= n; },
                               5000);
    };
    ASSERT_TRUE(c->SetPresence({QStringLiteral("休憩"), {}, 0x0000FF00}));
    ASSERT_TRUE(allOfC(2));
    c->Logoff();
    ASSERT_TRUE(a.log->WaitFor(QStringLiteral("presence all c 休憩")));
    for (const SvcMembership& m : a->GetMemberships())
        if (m.memberId == QStringLiteral("c"))
            EXPECT_EQ(m.presence, (SvcPresence{Svc::kStatusOff, {}, Svc::kColorOff}));
    EXPECT_FALSE(a->GetMember(QStringLiteral("c"))->online);
}

TEST_P(ServiceContractTest, BlindCopiesStayBlindAndUnknownDestinationsComeBack) {
    Session a = LogOn(QStringLiteral("a"));
    Session b = LogOn(QStringLiteral("b"));
    Session c = LogOn(QStringLiteral("c"));
    Session d = LogOn(QStringLiteral("d"));
    QStringList unknown;
    ASSERT_TRUE(a->SendMessage(
        MakeMessage(QStringLiteral("m1"), {QStringLiteral("b"), QStringLiteral("zz")},
                    {QStringLiteral("all@g2")}, {QStringLiteral("d"), QStringLiteral("a")}),
        &unknown));
    EXPECT_EQ(unknown, QStringList{"zz"});
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("receipt 3 m1 zz")));
    for (Session* s : {&b, &c, &d})
        ASSERT_TRUE(s->log->WaitFor(QStringLiteral("message m1")));
    ASSERT_TRUE(a.log->WaitFor(QStringLiteral("message m1")));

    const SvcMessage forB = b.log->messages.first();
    EXPECT_EQ(forB.fromId, QStringLiteral("a"));
    EXPECT_EQ(forB.fromName, QStringLiteral("Fam-a  Giv"));
    EXPECT_EQ(forB.subject, QStringLiteral("件名 m1"));
    EXPECT_EQ(forB.DestIds(Svc::DST_TO), (QStringList{"b", "zz"}));
    EXPECT_EQ(forB.DestIds(Svc::DST_CC), QStringList{"all@g2"});
    EXPECT_TRUE(forB.DestIds(Svc::DST_BCC).isEmpty());
    // d is in g2 (Cc) as well as on the Bcc list: the more visible list counts.
    EXPECT_TRUE(d.log->messages.first().DestIds(Svc::DST_BCC).isEmpty());
    // The sender's own copy shows what it sent.
    EXPECT_EQ(a.log->messages.first().DestIds(Svc::DST_BCC), (QStringList{"d", "a"}));

    ASSERT_TRUE(a->SendMessage(MakeMessage(QStringLiteral("m2"), {QStringLiteral("b")}, {},
                                           {QStringLiteral("c"), QStringLiteral("d")})));
    ASSERT_TRUE(c.log->WaitFor(QStringLiteral("message m2")));
    ASSERT_TRUE(d.log->WaitFor(QStringLiteral("message m2")));
    ASSERT_TRUE(b.log->WaitFor(QStringLiteral("message m2")));
    EXPECT_EQ(c.log->messages.last().DestIds(Svc::DST_BCC), QStringList{"c"});
    EXPECT_EQ(d->GetMessage(QStringLiteral("m2"))->DestIds(Svc::DST_BCC), QStringList{"d"});
    EXPECT_TRUE(b->GetMessage(QStringLiteral("m2"))->DestIds(Svc::DST_BCC).isEmpty());
    // The sender sees every list as written.
    EXPECT_EQ(a->GetMessage(QStringLiteral("m2"))->DestIds(Svc::DST_BCC), (QStringList{"c", "d"}));

    EXPECT_FALSE(a->SendMessage(MakeMessage(QStringLiteral("m2"), {QStringLiteral("b")})));
    EXPECT_EQ(a->LastError().code(), CServiceError::DuplicateMessage);
}

TEST_P(ServiceContractTest, ReceiptsPerDestinationReachTheSenderOnce) {
    Session a = LogOn(QStringLiteral("a"));
    Session b = LogOn(QStringLiteral("b"));
    Session c = LogOn(QStringLiteral("c"));
    ASSERT_TRUE(a->SendMessage(
        MakeMessage(QStringLiteral("r1"), {QStringLiteral("b")}, {QStringLiteral("c")})));
    ASSERT_TRUE(b.log->WaitFor(QStringLiteral("message r1")));
    ASSERT_TRUE(c.log->WaitFor(QStringLiteral("message r1")));
    ASSERT_TRUE(b->MarkReceived({QStringLiteral("r1")}));
    ASSERT_TRUE(a.log->WaitFor(QStringLiteral("receipt 0 r1 b")));
    ASSERT_TRUE(b->MarkRead(QStringLiteral("r1")));
    ASSERT_TRUE(b->MarkRead(QStringLiteral("r1")));
    ASSERT_TRUE(a.log->WaitFor(QStringLiteral("receipt 1 r1 b")));
    // c reads without marking received first: both receipts go.
    ASSERT_TRUE(c->MarkRead(QStringLiteral("r1")));
    ASSERT_TRUE(a.log->WaitFor(QStringLiteral("receipt 1 r1 c")));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("receipt 0 r1 c")));
    a.log->Settle();
    EXPECT_EQ(a.log->Count(QStringLiteral("receipt ")), 4);

    const SvcMessage sent = *a->GetMessage(QStringLiteral("r1"));
    EXPECT_TRUE(sent.dest[Svc::DST_TO][0].recvTime.isValid());
    EXPECT_TRUE(sent.dest[Svc::DST_TO][0].readTime.isValid());
    EXPECT_TRUE(sent.dest[Svc::DST_CC][0].readTime.isValid());
    // Messages that did not reach the user cannot be marked.
    EXPECT_FALSE(c->MarkReceived({QStringLiteral("nothing")}));
    EXPECT_EQ(c->LastError().code(), CServiceError::UnknownMessage);
}

TEST_P(ServiceContractTest, OfflineMessagesArriveOnceAtTheNextLogOnAndStayUntilMarked) {
    {
        Session a = LogOn(QStringLiteral("a"));
        ASSERT_TRUE(a->SendMessage(MakeMessage(QStringLiteral("o1"), {QStringLiteral("d")})));
        ASSERT_TRUE(a->SendMessage(MakeMessage(QStringLiteral("o2"), {QStringLiteral("d")})));
        a.log->Settle(200);
    }
    Session d = LogOn(QStringLiteral("d"));
    ASSERT_TRUE(d.log->WaitFor(QStringLiteral("message o2")));
    d.log->Settle();
    EXPECT_EQ(d.log->Count(QStringLiteral("message ")), 2);
    EXPECT_EQ(d.log->messages.first().messageId, QStringLiteral("o1"));
    EXPECT_EQ(d->GetPendingMessages().size(), 2);
    ASSERT_TRUE(d->MarkReceived({QStringLiteral("o1")}));
    d->Logoff();

    // Only the message not yet marked comes again, once.
    ASSERT_TRUE(d->Logon(QStringLiteral("d"), Password(QStringLiteral("d"))));
    ASSERT_TRUE(d.log->WaitFor(QStringLiteral("message o2"), 2));
    d.log->Settle();
    EXPECT_EQ(d.log->Count(QStringLiteral("message o1")), 1);
    EXPECT_EQ(d.log->Count(QStringLiteral("message o2")), 2);

    // The receipt waits for the sender as well.
    Session a = LogOn(QStringLiteral("a"));
    EXPECT_TRUE(a.log->WaitFor(QStringLiteral("receipt 0 o1 d")));
}

TEST_P(ServiceContractTest, ASecondLogOnOfTheSameMemberEndsTheFirst) {
    Session first = LogOn(QStringLiteral("b"), QStringLiteral("office"));
    Session second = LogOn(QStringLiteral("b"), QStringLiteral("home"));
    ASSERT_TRUE(first.log->WaitFor(QStringLiteral("session-ended %1").arg(Svc::END_REPLACED)));
    EXPECT_FALSE(first->IsLoggedOn());
    EXPECT_TRUE(second->IsLoggedOn());
    second.log->Settle();
    EXPECT_EQ(second.log->Count(QStringLiteral("session-ended")), 0);

    // Messages go to the session that is left.
    Session a = LogOn(QStringLiteral("a"));
    ASSERT_TRUE(a->SendMessage(MakeMessage(QStringLiteral("s1"), {QStringLiteral("b")})));
    EXPECT_TRUE(second.log->WaitFor(QStringLiteral("message s1")));
    EXPECT_EQ(first.log->Count(QStringLiteral("message s1")), 0);
}

TEST_P(ServiceContractTest, AttachedFilesTravelWithTheirMessageWithinTheLimit) {
    Session a = LogOn(QStringLiteral("a"));
    Session b = LogOn(QStringLiteral("b"));
    SvcMessage m = MakeMessage(QStringLiteral("f1"), {QStringLiteral("b")});
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 7);
    m.attachments.append({QStringLiteral("表.csv"), 9, QByteArray("a,b\n1,2\n\0", 9)});
    m.attachments.append({QStringLiteral("図.bin"), binary.size(), binary});
    ASSERT_TRUE(a->SendMessage(m)) << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(b.log->WaitFor(QStringLiteral("message f1")));
    const SvcMessage got = b.log->messages.last();
    ASSERT_EQ(got.attachments.size(), 2);
    EXPECT_EQ(got.attachments[0].name, QStringLiteral("表.csv"));
    EXPECT_EQ(got.attachments[1].size, binary.size());
    // The bytes come on request, exactly as sent, for the recipient and the sender alike.
    EXPECT_EQ(b->GetAttachmentData(QStringLiteral("f1"), 0), QByteArray("a,b\n1,2\n\0", 9));
    EXPECT_EQ(b->GetAttachmentData(QStringLiteral("f1"), 1), binary);
    EXPECT_EQ(a->GetAttachmentData(QStringLiteral("f1"), 1), binary);
    EXPECT_FALSE(b->GetAttachmentData(QStringLiteral("f1"), 2));
    EXPECT_EQ(b->LastError().code(), CServiceError::UnknownAttachment);

    // Over the limit: refused, nothing stored, nothing sent.
    a->SetAttachmentLimit(4000);
    SvcMessage big = MakeMessage(QStringLiteral("f2"), {QStringLiteral("b")});
    big.attachments.append({QStringLiteral("大.bin"), binary.size(), binary});
    EXPECT_FALSE(a->SendMessage(big));
    EXPECT_EQ(a->LastError().code(), CServiceError::AttachmentsTooLarge);
    EXPECT_FALSE(a->GetMessage(QStringLiteral("f2")));
    b.log->Settle();
    EXPECT_EQ(b.log->Count(QStringLiteral("message f2")), 0);
}

// "type member" of every chat event, for comparing whole logs.
QStringList Brief(const QList<SvcChatEvent>& events) {
    QStringList out;
    for (const SvcChatEvent& e : events)
        out.append(QStringLiteral("%1 %2").arg(e.type).arg(e.memberId));
    return out;
}

// Waits until the member's log of the chat reads as expected. The network back end hands
// events on as the room delivers them, the user's own included, so every check waits.
bool LogReads(CMessagingService* s, int chat, const QStringList& expected) {
    const bool ok =
        QTest::qWaitFor([&] { return Brief(s->GetChatEvents(chat)) == expected; }, 5000);
    if (!ok)
        ADD_FAILURE() << s->GetUserID().toStdString() << " reads "
                      << Brief(s->GetChatEvents(chat)).join(QStringLiteral(", ")).toStdString();
    return ok;
}

TEST_P(ServiceContractTest, AChatFromCreationToTheLastLeaver) {
    Session a = LogOn(QStringLiteral("a"));
    Session b = LogOn(QStringLiteral("b"));
    ASSERT_TRUE(SeesOnline(a, QStringLiteral("b")));
    QStringList invitations;
    QObject::connect(b.service.get(), &CMessagingService::ChatInvited,
                     [&](int chat, const QString& inviter, const QString& text) {
                         invitations.append(
                             QStringLiteral("%1 %2 %3").arg(chat).arg(inviter, text));
                     });
    const int chat = a->CreateChat(5);
    ASSERT_GT(chat, 0) << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(a->InviteToChat(chat, QStringLiteral("b"), QStringLiteral("議題"), 5));
    // Every participant knows the chat by the same number.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return invitations.contains(QStringLiteral("%1 a 議題").arg(chat)); }, 5000))
        << invitations.join(QLatin1Char(',')).toStdString();
    EXPECT_FALSE(b->TalkInChat(chat, QStringLiteral("早すぎ")));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInChat);

    ASSERT_TRUE(b->JoinChat(chat)) << b->LastError().EnglishText().toStdString();
    ASSERT_TRUE(LogReads(a.service.get(), chat, {"2 a", "1 a", "2 b"}));
    ASSERT_TRUE(a->TalkInChat(chat, QStringLiteral("<P>こんにちは</P>")));
    ASSERT_TRUE(LogReads(b.service.get(), chat, {"2 a", "1 a", "2 b", "0 a"}));
    ASSERT_TRUE(b->TalkInChat(chat, QStringLiteral("<P>どうも</P>")));
    // The whole log is the same for both, the joiner's included.
    const QStringList both{"2 a", "1 a", "2 b", "0 a", "0 b"};
    ASSERT_TRUE(LogReads(a.service.get(), chat, both));
    ASSERT_TRUE(LogReads(b.service.get(), chat, both));
    const auto log = b->GetChatEvents(chat);
    EXPECT_EQ(log[4].text, QStringLiteral("<P>どうも</P>"));
    EXPECT_TRUE(log[2].text.contains(QStringLiteral("Fam-b  Giv")) &&
                log[2].text.contains(QStringLiteral("参加")))
        << log[2].text.toStdString();
    for (int i = 1; i < log.size(); ++i)
        EXPECT_GT(log[i].seq, log[i - 1].seq);
    EXPECT_EQ(Brief(a->GetChatEvents(chat, a->GetChatEvents(chat)[2].seq)),
              (QStringList{"0 a", "0 b"}));
    EXPECT_EQ(a->GetChatMembers(chat).size(), 2);

    ASSERT_TRUE(b->LeaveChat(chat));
    EXPECT_FALSE(b->TalkInChat(chat, QStringLiteral("x")));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInChat);
    ASSERT_TRUE(LogReads(a.service.get(), chat, both + QStringList{"3 b"}));
    ASSERT_TRUE(a->LeaveChat(chat));
    ASSERT_TRUE(LogReads(a.service.get(), chat, both + QStringList{"3 b", "3 a"}));
    // Nobody left: the chat is over for good.
    EXPECT_FALSE(a->TalkInChat(chat, QStringLiteral("x")));
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatClosed);
    EXPECT_FALSE(a->InviteToChat(chat, QStringLiteral("b"), {}, 5));
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatClosed);
    // Where the back ends differ: the local service keeps one log that every member ever asked
    // in reads to the end; on the network a member who left no longer hears the room.
    EXPECT_EQ(b->GetChatEvents(chat).size(), backend->IsNetwork() ? 6 : 7);
}

TEST_P(ServiceContractTest, ChatDeclinesAndLimitsAreTheServicesToHold) {
    Session a = LogOn(QStringLiteral("a"));
    Session b = LogOn(QStringLiteral("b"));
    Session c = LogOn(QStringLiteral("c"));
    Session d = LogOn(QStringLiteral("d"));
    ASSERT_TRUE(SeesOnline(a, QStringLiteral("b")) && SeesOnline(a, QStringLiteral("c")) &&
                SeesOnline(a, QStringLiteral("d")));
    const int chat = a->CreateChat(1);
    ASSERT_GT(chat, 0) << a->LastError().EnglishText().toStdString();
    EXPECT_EQ(a->CreateChat(1), 0);
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatRoomLimit);
    ASSERT_TRUE(a->InviteToChat(chat, QStringLiteral("b"), {}, 3));
    ASSERT_TRUE(a->InviteToChat(chat, QStringLiteral("c"), {}, 3));
    // Pending invitations count: a, b and c fill a chat of three.
    EXPECT_FALSE(a->InviteToChat(chat, QStringLiteral("d"), {}, 3));
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatMemberLimit);
    EXPECT_FALSE(a->InviteToChat(chat, QStringLiteral("b"), {}, 5));
    EXPECT_EQ(a->LastError().code(), CServiceError::AlreadyInChat);

    auto invited = [&](Session& s) {
        return QTest::qWaitFor([&] { return s->DeclineChat(chat, &s == &b); }, 5000);
    };
    ASSERT_TRUE(invited(b)) << b->LastError().EnglishText().toStdString();
    // Declines reach the log in the order the service takes them: on the network two members'
    // answers travel apart, so c answers once b's answer is in.
    ASSERT_TRUE(LogReads(a.service.get(), chat, {"2 a", "1 a", "1 a", "4 b"}));
    ASSERT_TRUE(invited(c)) << c->LastError().EnglishText().toStdString();
    EXPECT_FALSE(b->DeclineChat(chat, true));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInvited);
    EXPECT_FALSE(c->JoinChat(chat));
    EXPECT_EQ(c->LastError().code(), CServiceError::NotInvited);
    // A refusal and a time-out are told apart.
    ASSERT_TRUE(LogReads(a.service.get(), chat, {"2 a", "1 a", "1 a", "4 b", "5 c"}));
    // A member who declined may be asked again, and joins.
    ASSERT_TRUE(a->InviteToChat(chat, QStringLiteral("b"), {}, 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return b->JoinChat(chat); }, 5000))
        << b->LastError().EnglishText().toStdString();
    EXPECT_FALSE(b->JoinChat(chat));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInvited);
}

INSTANTIATE_TEST_SUITE_P(Backends, ServiceContractTest,
                         ::testing::Values(QStringLiteral("local"), QStringLiteral("xmpp")),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
