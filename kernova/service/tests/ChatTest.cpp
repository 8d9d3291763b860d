#include "kernova/service/tests/ServiceTestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

// Chat signals of one service, as lines.
class ChatLog : public QObject {
public:
    explicit ChatLog(CMessagingService* s) {
        connect(s, &CMessagingService::ChatInvited, this,
                [this](int chat, const QString& inviter, const QString& text) {
                    lines.append(QStringLiteral("invited %1 %2 %3").arg(chat).arg(inviter, text));
                });
        connect(s, &CMessagingService::ChatChanged, this,
                [this](int chat) { lines.append(QStringLiteral("changed %1").arg(chat)); });
    }
    bool WaitFor(const QString& line, int ms = 5000) {
        return QTest::qWaitFor([&] { return lines.contains(line); }, ms);
    }
    QStringList lines;
};

// "type member" of every event, for comparing whole logs.
QStringList Brief(const QList<SvcChatEvent>& events) {
    QStringList out;
    for (const SvcChatEvent& e : events)
        out.append(QStringLiteral("%1 %2").arg(e.type).arg(e.memberId));
    return out;
}

} // namespace

using Chat = ServiceFixture;

TEST_F(Chat, LifeCycleFromCreationToTheLastLeaverClosesTheChat) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    ChatLog la(a.get()), lb(b.get());

    const int chat = a->CreateChat(5);
    ASSERT_GT(chat, 0) << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(a->InviteToChat(chat, S("b"), S("議題"), 5));
    ASSERT_TRUE(lb.WaitFor(QStringLiteral("invited %1 a 議題").arg(chat)));
    // Invited is not taking part: no talk yet, but the log is readable.
    EXPECT_FALSE(b->TalkInChat(chat, S("早すぎ")));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInChat);

    ASSERT_TRUE(b->JoinChat(chat));
    ASSERT_TRUE(la.WaitFor(QStringLiteral("changed %1").arg(chat)));
    const qint64 seenByA = a->GetChatEvents(chat).last().seq;
    ASSERT_TRUE(a->TalkInChat(chat, S("<P>こんにちは</P>")));
    ASSERT_TRUE(lb.WaitFor(QStringLiteral("changed %1").arg(chat)));
    ASSERT_TRUE(b->TalkInChat(chat, S("<P>どうも</P>")));

    // Update: only what came after the last event seen.
    const auto update = a->GetChatEvents(chat, seenByA);
    EXPECT_EQ(Brief(update), (QStringList{S("0 a"), S("0 b")}));
    EXPECT_EQ(update[1].text, S("<P>どうも</P>"));
    EXPECT_EQ(update[0].chat, chat);

    // Replay: the whole log, the same for both, with ready-made notices and UTC times.
    const auto log = b->GetChatEvents(chat);
    EXPECT_EQ(Brief(log), (QStringList{S("2 a"), S("1 a"), S("2 b"), S("0 a"), S("0 b")}));
    EXPECT_EQ(Brief(a->GetChatEvents(chat, 0)), Brief(log));
    EXPECT_TRUE(log[2].text.contains(S("Fam-b  Giv")) && log[2].text.contains(S("参加")));
    for (int i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].time.timeSpec(), Qt::UTC);
        EXPECT_LE(qAbs(log[i].time.secsTo(QDateTime::currentDateTimeUtc())), 60);
        if (i > 0) {
            EXPECT_GT(log[i].seq, log[i - 1].seq);
        }
    }

    ASSERT_TRUE(b->LeaveChat(chat));
    EXPECT_FALSE(b->TalkInChat(chat, S("x")));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInChat);
    ASSERT_TRUE(a->LeaveChat(chat));
    EXPECT_EQ(Brief(a->GetChatEvents(chat, log.last().seq)), (QStringList{S("3 b"), S("3 a")}));
    // Nobody left: the chat is over for everybody, the log stays readable.
    EXPECT_FALSE(a->TalkInChat(chat, S("x")));
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatClosed);
    EXPECT_FALSE(a->InviteToChat(chat, S("b"), {}, 5));
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatClosed);
    EXPECT_EQ(b->GetChatEvents(chat).size(), 7);
    // Someone never asked in reads nothing.
    auto c = LogOn(S("c"));
    EXPECT_TRUE(c->GetChatEvents(chat).isEmpty());
    EXPECT_EQ(c->LastError().code(), CServiceError::NotInChat);
    EXPECT_TRUE(c->GetChatEvents(chat + 100).isEmpty());
    EXPECT_EQ(c->LastError().code(), CServiceError::UnknownChat);
}

TEST_F(Chat, DeclineRefusedAndTimedOutAreTellableApartAndAnsweredOnce) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    auto c = LogOn(S("c"));
    const int chat = a->CreateChat(5);
    ASSERT_TRUE(a->InviteToChat(chat, S("b"), {}, 5));
    ASSERT_TRUE(a->InviteToChat(chat, S("c"), {}, 5));
    ASSERT_TRUE(b->DeclineChat(chat, true));
    ASSERT_TRUE(c->DeclineChat(chat, false));
    EXPECT_FALSE(b->DeclineChat(chat, true));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInvited);
    EXPECT_FALSE(c->JoinChat(chat));
    EXPECT_EQ(c->LastError().code(), CServiceError::NotInvited);
    EXPECT_EQ(Brief(a->GetChatEvents(chat)),
              (QStringList{S("2 a"), S("1 a"), S("1 a"), S("4 b"), S("5 c")}));
    // The creator still takes part; a member who declined may be asked again.
    ASSERT_TRUE(a->InviteToChat(chat, S("b"), {}, 5));
    ASSERT_TRUE(b->JoinChat(chat));
    // Joining twice is no answer to a pending invitation.
    EXPECT_FALSE(b->JoinChat(chat));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInvited);
}

TEST_F(Chat, RoomAndParticipantLimitsAreHeldByTheService) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    auto c = LogOn(S("c"));
    const int first = a->CreateChat(2);
    const int second = a->CreateChat(2);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, first);
    EXPECT_EQ(a->CreateChat(2), 0);
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatRoomLimit);
    EXPECT_TRUE(a->LastError().Text().contains(S("2")));
    EXPECT_EQ(a->CreateChat(0), 0);
    // Leaving one makes room again; an invitation does not use up a room.
    ASSERT_TRUE(a->LeaveChat(first));
    const int third = a->CreateChat(2);
    ASSERT_GT(third, second);

    // Participants and pending invitations count together.
    ASSERT_TRUE(a->InviteToChat(third, S("b"), {}, 3));
    ASSERT_TRUE(a->InviteToChat(third, S("c"), {}, 3));
    auto d = LogOn(S("d"));
    EXPECT_FALSE(a->InviteToChat(third, S("d"), {}, 3));
    EXPECT_EQ(a->LastError().code(), CServiceError::ChatMemberLimit);
    ASSERT_TRUE(c->DeclineChat(third, true));
    EXPECT_TRUE(a->InviteToChat(third, S("d"), {}, 3));

    EXPECT_FALSE(a->InviteToChat(third, S("b"), {}, 9));
    EXPECT_EQ(a->LastError().code(), CServiceError::AlreadyInChat);
    EXPECT_FALSE(a->InviteToChat(third, S("nobody"), {}, 9));
    EXPECT_EQ(a->LastError().code(), CServiceError::UnknownMember);
    d->Logoff();
    c->Logoff();
    EXPECT_FALSE(a->InviteToChat(third, S("c"), {}, 9));
    EXPECT_EQ(a->LastError().code(), CServiceError::MemberOffline);
    // Only a participant may invite.
    EXPECT_FALSE(b->InviteToChat(third, S("a"), {}, 9));
    EXPECT_EQ(b->LastError().code(), CServiceError::NotInChat);
}

TEST_F(Chat, LoggingOffEndingASessionOrRemovalEndsTheMembersPartsAndWakesTheOthers) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    auto c = LogOn(S("c"));
    auto d = LogOn(S("d"));
    ChatLog la(a.get());
    const int chat = a->CreateChat(5);
    for (const char* id : {"b", "c", "d"})
        ASSERT_TRUE(a->InviteToChat(chat, S(id), {}, 9));
    ASSERT_TRUE(b->JoinChat(chat));
    ASSERT_TRUE(c->JoinChat(chat));
    const qint64 before = a->GetChatEvents(chat).last().seq;
    la.lines.clear();

    b->Logoff(); // taking part
    d->Logoff(); // invited only
    ASSERT_TRUE(la.WaitFor(QStringLiteral("changed %1").arg(chat)));
    // c's process stalls: its session runs out and a sweep ends it.
    ASSERT_TRUE(admin->Store().Write([&] {
        return admin->Store()
            .Run(S("UPDATE sessions SET expires = 0 WHERE member_id = 'c'"))
            .has_value();
    }));
    ASSERT_TRUE(admin->Sweep());
    SvcMember newcomer;
    newcomer.id = S("e");
    ASSERT_TRUE(admin->AddMember(newcomer, Password(S("e"))));
    auto e = LogOn(S("e"));
    ASSERT_TRUE(a->InviteToChat(chat, S("e"), {}, 9));
    ASSERT_TRUE(e->JoinChat(chat));
    ASSERT_TRUE(admin->RemoveMember(S("e")));
    EXPECT_EQ(Brief(a->GetChatEvents(chat, before)),
              (QStringList{S("6 b"), S("6 d"), S("6 c"), S("1 a"), S("2 e"), S("7 e")}));
    EXPECT_TRUE(a->GetChatEvents(chat).last().text.contains(S("削除")));
    // The creator is still in it, alone.
    int present = 0;
    for (const SvcChatMember& m : a->GetChatMembers(chat))
        present += m.state == Svc::CHAT_IN ? 1 : 0;
    EXPECT_EQ(present, 1);
}

TEST_F(Chat, AnInvitationWithdrawnOrRepeatedBeforeItArrivesIsOfferedOnceOrNotAtAll) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    ChatLog lb(b.get());
    // No event loop runs in between: b reads both entries in one round.
    const int gone = a->CreateChat(5);
    ASSERT_TRUE(a->InviteToChat(gone, S("b"), {}, 5));
    ASSERT_TRUE(a->LeaveChat(gone));
    const int live = a->CreateChat(5);
    ASSERT_TRUE(a->InviteToChat(live, S("b"), S("t"), 5));
    // Declined and asked again before b looked: still one invitation to answer.
    ASSERT_TRUE(b->DeclineChat(live, true));
    ASSERT_TRUE(a->InviteToChat(live, S("b"), S("t"), 5));
    ASSERT_TRUE(lb.WaitFor(QStringLiteral("invited %1 a t").arg(live)));
    QTest::qWait(200);
    EXPECT_EQ(lb.lines.filter(S("invited")).size(), 1);
}

TEST_F(Chat, AServiceOfTheFirstSchemaGetsTheChatTablesWhenOpened) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(S("QSQLITE"), S("downgrade"));
        db.setDatabaseName(CServiceStore::DatabasePath(dir));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* sql :
             {"DROP TABLE chat_events", "DROP TABLE chat_members", "DROP TABLE chats",
              "DROP TABLE attachments", "UPDATE meta SET value = '1' WHERE key = 'schema'"})
            ASSERT_TRUE(q.exec(S(sql))) << sql;
        db.close();
    }
    QSqlDatabase::removeDatabase(S("downgrade"));
    auto a = LogOn(S("a"));
    EXPECT_GT(a->CreateChat(5), 0) << a->LastError().EnglishText().toStdString();
    auto b = LogOn(S("b"));
    EXPECT_GT(b->CreateChat(5), 0) << b->LastError().EnglishText().toStdString();
}
