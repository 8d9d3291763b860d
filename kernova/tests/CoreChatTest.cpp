// Chats between the core (member a, with a recording chat plug-in) and a peer acting in the
// same process on the same local service.
#include "kernova/ObrixExports.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/ObrixApi.h"

using namespace kntest;

namespace {

class CoreChat : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        AddRecordingPlugin(*core, ObrixModule::Chat);
    }
    // The chat plug-in's calls that start with prefix, without the module number.
    QStringList ChatCalls(const QString& prefix) const {
        QStringList found;
        for (const QString& call : CallsStartingWith(QStringLiteral("5 ") + prefix))
            found.append(call.mid(2));
        return found;
    }
    static QStringList Types(const QList<SvcChatEvent>& events) {
        QStringList out;
        for (const SvcChatEvent& e : events)
            out.append(QStringLiteral("%1 %2").arg(e.type).arg(e.memberId));
        return out;
    }
};

TEST_F(CoreChat, CreateInviteJoinTalkBothWaysUpdateReplayAndClose) {
    LogOnCore();
    auto peer = LogOn("b");
    QList<QStringList> invitations;
    QObject::connect(peer.get(), &CMessagingService::ChatInvited, peer.get(),
                     [&](int chat, const QString& inviter, const QString& text) {
                         invitations.append({QString::number(chat), inviter, text});
                     });
    TakeCalls();

    const int32_t chat = OBRIX_ChatCreate();
    ASSERT_GT(chat, 0);
    // Only the plug-in that exports the chat callbacks hears of it.
    EXPECT_EQ(TakeCalls(), QStringList{QStringLiteral("5 OnChatCreate %1 1").arg(chat)});
    ASSERT_EQ(OBRIX_ChatInvite(chat, u"b"), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !invitations.isEmpty(); }, 5000));
    EXPECT_EQ(invitations.first(), (QStringList{QString::number(chat), "a", "Fam-a  Giv"}));

    ASSERT_TRUE(peer->JoinChat(chat));
    ASSERT_TRUE(peer->TalkInChat(chat, "やあ"));
    // The change feed brings the events without anybody polling.
    ASSERT_TRUE(WaitForCall(QStringLiteral("5 OnChatUpdate %1 0 b").arg(chat)));
    ASSERT_EQ(OBRIX_ChatTalk(chat, u"<b>こんにちは</b>"), 1);
    ASSERT_TRUE(WaitForCall(QStringLiteral("5 OnChatUpdate %1 0 a").arg(chat)));
    EXPECT_EQ(OBRIX_ChatUpdate(chat), 1);

    const QStringList updates = ChatCalls("OnChatUpdate");
    ASSERT_EQ(updates.size(), 5) << updates.join('\n').toStdString();
    const QString c = QString::number(chat);
    EXPECT_TRUE(updates[0].startsWith("OnChatUpdate " + c + " 2 a ")) << updates[0].toStdString();
    EXPECT_TRUE(updates[1].startsWith("OnChatUpdate " + c + " 1 a ")) << updates[1].toStdString();
    EXPECT_TRUE(updates[2].startsWith("OnChatUpdate " + c + " 2 b ")) << updates[2].toStdString();
    EXPECT_EQ(updates[3], "OnChatUpdate " + c + " 0 b やあ");
    EXPECT_EQ(updates[4], "OnChatUpdate " + c + " 0 a <b>こんにちは</b>");
    for (const QString& u : updates)
        EXPECT_FALSE(u.endsWith("(not now)")) << "event times are UTC: " << u.toStdString();

    const auto peerSaw = peer->GetChatEvents(chat);
    ASSERT_FALSE(peerSaw.isEmpty());
    EXPECT_EQ(peerSaw.last().text, "<b>こんにちは</b>");

    // The replay brings the same events again, and leaves the updates where they were.
    TakeCalls();
    EXPECT_EQ(OBRIX_ChatGetAllLog(chat), 1);
    QStringList replay = ChatCalls("OnChatAllLog");
    for (QString& r : replay)
        r.replace("OnChatAllLog", "OnChatUpdate");
    EXPECT_EQ(replay, updates);
    EXPECT_TRUE(ChatCalls("OnChatUpdate").isEmpty());

    ASSERT_EQ(OBRIX_ChatClose(chat), 1);
    EXPECT_EQ(Types(peer->GetChatEvents(chat)).last(), "3 a");
    EXPECT_EQ(OBRIX_ChatUpdate(chat), 0) << "a closed chat has no more updates";
    EXPECT_EQ(OBRIX_ChatTalk(chat, u"late"), 0);
}

TEST_F(CoreChat, InvitationsReachThePluginAndAreDeclinedRefusedOrTimedOut) {
    LogOnCore();
    auto peer = LogOn("b");
    const int first = peer->CreateChat(5);
    const int second = peer->CreateChat(5);
    ASSERT_TRUE(peer->InviteToChat(first, "a", "招待です", 5));
    ASSERT_TRUE(peer->InviteToChat(second, "a", "もう一つ", 5));
    ASSERT_TRUE(WaitForCall(QStringLiteral("5 OnChatInvite %1 b 招待です").arg(first)));
    ASSERT_TRUE(WaitForCall(QStringLiteral("5 OnChatInvite %1 b もう一つ").arg(second)));

    EXPECT_EQ(OBRIX_ChatDecline(first, 1), 1);
    EXPECT_EQ(OBRIX_ChatDecline(second, 0), 1);
    EXPECT_EQ(Types(peer->GetChatEvents(first)).last(), "4 a");
    EXPECT_EQ(Types(peer->GetChatEvents(second)).last(), "5 a");
    EXPECT_EQ(OBRIX_ChatJoin(first), 0) << "a declined invitation cannot be taken back";

    // Joining starts the updates at the chat's first event.
    const int third = peer->CreateChat(5);
    ASSERT_TRUE(peer->InviteToChat(third, "a", "三つ目", 5));
    ASSERT_TRUE(WaitForCall(QStringLiteral("5 OnChatInvite %1").arg(third)));
    TakeCalls();
    ASSERT_EQ(OBRIX_ChatJoin(third), 1);
    ASSERT_TRUE(WaitForCall(QStringLiteral("5 OnChatUpdate %1 2 a").arg(third)));
    const QStringList updates = ChatCalls(QStringLiteral("OnChatUpdate %1 ").arg(third));
    ASSERT_GE(updates.size(), 3);
    EXPECT_TRUE(updates[0].startsWith(QStringLiteral("OnChatUpdate %1 2 b").arg(third)));
}

TEST_F(CoreChat, TheRoomLimitAndAMissingSessionAnswerResultZero) {
    EXPECT_EQ(OBRIX_ChatCreate(), 0);
    EXPECT_EQ(TakeCalls(), QStringList{"5 OnChatCreate -1 0"}) << "logged off";
    EXPECT_EQ(OBRIX_ChatJoin(1), 0);
    EXPECT_EQ(OBRIX_ChatUpdate(1), 0);

    LogOnCore();
    TakeCalls();
    // "PARLO" "MAXCREATEWND" is not set: five chats at a time.
    QList<int32_t> chats;
    for (int i = 0; i < 5; ++i)
        chats.append(OBRIX_ChatCreate());
    EXPECT_FALSE(chats.contains(0));
    EXPECT_EQ(OBRIX_ChatCreate(), 0);
    EXPECT_EQ(Calls().last(), "5 OnChatCreate -1 0");
    ASSERT_EQ(OBRIX_ChatClose(chats.first()), 1);
    EXPECT_GT(OBRIX_ChatCreate(), 0) << "a closed chat frees its room";

    // "MAXMEMBERS" is 7 in the test host: the creator and six invitations, not more.
    for (int i = 0; i < 7; ++i) {
        SvcMember m;
        m.id = QStringLiteral("m%1").arg(i);
        ASSERT_TRUE(admin->AddMember(m, svctest::Password(m.id)));
    }
    std::vector<std::unique_ptr<CLocalService>> online;
    for (int i = 0; i < 7; ++i)
        online.push_back(LogOn(QStringLiteral("m%1").arg(i)));
    const int32_t chat = chats[1];
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(OBRIX_ChatInvite(chat, reinterpret_cast<const char16_t*>(
                                             QStringLiteral("m%1").arg(i).utf16())),
                  1);
    EXPECT_EQ(OBRIX_ChatInvite(chat, u"m6"), 0);
}

} // namespace
