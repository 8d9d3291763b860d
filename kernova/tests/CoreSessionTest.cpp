// A session of the core on a local service, with other members acting in the same process:
// the log-on state machine, events to the plug-ins, messages in both directions with their
// files and receipts, and the directory records.
#include "kernova/ObrixExports.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CIMGroup.h"
#include "obrix/CIMPreset.h"
#include "obrix/CLetrix.h"
#include "obrix/ObrixApi.h"

#include <QFile>
#include <QtCore/qtestsupport_core.h>

using namespace kntest;

namespace {

class CoreSession : public CoreFixture {
protected:
    // The id of the first call that starts with prefix, taken from its third field.
    QString IdOf(const QString& prefix) {
        const QStringList calls = CallsStartingWith(prefix);
        return calls.isEmpty() ? QString() : calls.first().section(u' ', 2, 2);
    }
};

TEST_F(CoreSession, LogOnAndOffWalkTheStatesAndTellEveryPlugin) {
    QList<int32_t> states;
    QObject::connect(core.get(), &CKernovaCore::LogonStateChanged, core.get(),
                     [&](int32_t s) { states.append(s); });
    EXPECT_FALSE(core->LogonWith("a", "wrong"));
    EXPECT_FALSE(core->LastLogonError().isEmpty());
    EXPECT_EQ(core->LogonState(), ObrixLogon::LoggedOff);
    EXPECT_TRUE(CallsStartingWith("1 OnLogon").isEmpty());
    states.clear();

    SetThrowOnLogon(1, true); // the next plug-in hears of it all the same
    LogOnCore();
    EXPECT_EQ(states, (QList<int32_t>{1, 2}));
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::LoggedOn);
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnLogon 1", "4 OnLogon 1"}));
    EXPECT_FALSE(core->LogonWith("b", svctest::Password("b"))) << "already logged on";

    states.clear();
    EXPECT_EQ(OBRIX_Logoff(0, 0), 1);
    EXPECT_EQ(states, (QList<int32_t>{3, 0}));
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnLogoff 1", "4 OnLogoff 1"}));
    EXPECT_EQ(S16(OBRIX_GetUserID()), "");
    EXPECT_EQ(OBRIX_GetGroupAll(), nullptr);
}

TEST_F(CoreSession, AMessageFromAPeerIsStoredAnnouncedAndReadBackWithReceipts) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    SvcMessage m = svctest::MakeMessage("m-1", {"a"}, {"c"});
    ASSERT_TRUE(peer->SendMessage(m));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage m-1"));
    EXPECT_TRUE(QFile::exists(host.userDir + "account/a/message/recv/m-1.zmf"));

    tagLETRIX* record = OBRIX_GetMessage(ObrixBox::Received, u"m-1");
    ASSERT_NE(record, nullptr);
    const CLetrix copy(record);
    OBRIX_CleanupLetrix(record);
    EXPECT_EQ(copy.GetSubject(), m.subject);
    EXPECT_EQ(copy.GetFromID(), "b");
    EXPECT_EQ(copy.GetDstString(CLetrix::DST_CC), "c");
    EXPECT_TRUE(copy.IsUnRead());
    ASSERT_TRUE(peerLog.WaitFor("receipt 0 m-1 a"));

    TakeCalls();
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"m-1"), 1);
    EXPECT_EQ(TakeCalls(),
              (QStringList{"1 OnChangeMessageFlags 2 m-1 1", "4 OnChangeMessageFlags 2 m-1 1"}));
    EXPECT_TRUE(peerLog.WaitFor("receipt 1 m-1 a"));
    // Reading it again changes nothing and tells nobody.
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"m-1"), 1);
    EXPECT_TRUE(Calls().isEmpty());
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Sent, u"m-1"), 0);

    EXPECT_EQ(OBRIX_SetDogearMessage(ObrixBox::Received, u"m-1", 1), 1);
    EXPECT_EQ(TakeCalls().value(0), QString("1 OnChangeMessageFlags 2 m-1 %1").arg(0x101));
    EXPECT_EQ(OBRIX_RemoveMessage(ObrixBox::Received, u"m-1"), 1);
    EXPECT_EQ(TakeCalls().value(0), "1 OnRemoveMessage 2 m-1");
    EXPECT_EQ(OBRIX_GetMessage(ObrixBox::Received, u"m-1"), nullptr);
    EXPECT_EQ(OBRIX_RemoveMessage(ObrixBox::Received, u"m-1"), 0);
}

TEST_F(CoreSession, ASentMessageReachesToAndCcWithoutBccAndItsReceiptsUpdateTheSentFile) {
    LogOnCore();
    auto b = LogOn("b");
    auto d = LogOn("d");
    svctest::EventLog bLog(b.get()), dLog(d.get());

    CLetrix m;
    m.SetFromID("a");
    m.SetMessageID("out-1");
    m.AddDst(CLetrix::DST_TO, "b");
    m.AddDst(CLetrix::DST_CC, "c");
    m.AddDst(CLetrix::DST_BCC, "d");
    m.SetSubject("件名");
    m.SetMessage("<P>本文</P>");
    ASSERT_EQ(OBRIX_SendMessage(m.Record()), 1);
    EXPECT_EQ(CallsStartingWith("1 OnSendMessage"), QStringList{"1 OnSendMessage out-1"});
    ASSERT_TRUE(bLog.WaitFor("message out-1"));
    ASSERT_TRUE(dLog.WaitFor("message out-1"));
    EXPECT_TRUE(bLog.messages.first().dest[Svc::DST_BCC].isEmpty()) << "To sees no Bcc";
    EXPECT_EQ(dLog.messages.first().DestIds(Svc::DST_BCC), QStringList{"d"});
    EXPECT_EQ(bLog.messages.first().DestIds(Svc::DST_CC), QStringList{"c"});
    EXPECT_EQ(bLog.messages.first().fromName, "Fam-a  Giv");

    ASSERT_TRUE(b->MarkRead("out-1"));
    ASSERT_TRUE(WaitForCall("1 OnRecvNotify 1 out-1 b"));
    EXPECT_FALSE(CallsStartingWith("1 OnRecvNotify 0 out-1 b").isEmpty());
    tagLETRIX* sent = OBRIX_GetMessage(ObrixBox::Sent, u"out-1");
    ASSERT_NE(sent, nullptr);
    CLetrix stored(sent);
    OBRIX_CleanupLetrix(sent);
    SYSTEMTIME t{};
    EXPECT_EQ(stored.GetDstReadTime(CLetrix::DST_TO, "b", t, 0), 1);
    EXPECT_EQ(stored.GetDstRecvTime(CLetrix::DST_CC, "c", t, 0), 0) << "c has not received it";
    EXPECT_FALSE(stored.IsRecieved());

    // Once every destination has received it the stored flags say so and the box is told.
    auto c = LogOn("c");
    ASSERT_TRUE(c->MarkReceived({"out-1"}));
    ASSERT_TRUE(d->MarkReceived({"out-1"}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const QString& call : CallsStartingWith("1 OnChangeMessageFlags 1 out-1"))
                if (call.section(u' ', 4).toUInt() & LETRIX_FLAG_RECEIVED)
                    return true;
            return false;
        },
        5000));
}

TEST_F(CoreSession, WhatTheServiceRefusesIsNeitherStoredNorAnnounced) {
    EXPECT_FALSE(core->LogonWith("", "x"));
    EXPECT_FALSE(core->LogonWith("nobody", "x"));
    EXPECT_EQ(core->LogonState(), ObrixLogon::LoggedOff);
    LogOnCore();
    TakeCalls();
    CLetrix m;
    m.SetMessageID("big-1");
    m.AddDst(CLetrix::DST_TO, "b");
    m.SetSubject(QString(Svc::kMaxSubjectLength + 1, u'x'));
    EXPECT_EQ(OBRIX_SendMessage(m.Record()), 0);
    m.SetSubject("ok");
    m.SetMessage(QString(Svc::kMaxBodyBytes + 1, u'x'));
    EXPECT_EQ(OBRIX_SendMessage(m.Record()), 0);
    CLetrix nobody;
    nobody.SetMessageID("none-1");
    EXPECT_EQ(OBRIX_SendMessage(nobody.Record()), 0) << "no destination at all";
    EXPECT_TRUE(CallsStartingWith("1 OnSendMessage").isEmpty());
    EXPECT_EQ(OBRIX_GetMessage(ObrixBox::Sent, u"big-1"), nullptr);
}

TEST_F(CoreSession, UnknownDestinationsComeBackAsNoticesOfKindThree) {
    LogOnCore();
    CLetrix m;
    m.SetMessageID("out-2");
    m.AddDst(CLetrix::DST_TO, "b,nobody");
    ASSERT_EQ(OBRIX_SendMessage(m.Record()), 1);
    EXPECT_TRUE(WaitForCall("1 OnRecvNotify 3 out-2 nobody"));
}

TEST_F(CoreSession, MessagesSentWhileLoggedOffArriveAtTheNextLogOn) {
    LogOnCore();
    EXPECT_EQ(OBRIX_Logoff(0, 0), 1);
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("late-1", {"a"})));
    TakeCalls();
    LogOnCore();
    EXPECT_TRUE(WaitForCall("1 OnRecvMessage late-1"));
    EXPECT_TRUE(QFile::exists(host.userDir + "account/a/message/recv/late-1.zmf"));
}

TEST_F(CoreSession, AMessageReadWhileLoggedOffIsReportedAtTheNextLogOn) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("r-1", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage r-1"));
    ASSERT_TRUE(peerLog.WaitFor("receipt 0 r-1 a"));
    EXPECT_EQ(OBRIX_Logoff(0, 0), 1);
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"r-1"), 1);
    peerLog.Settle();
    EXPECT_EQ(peerLog.Count("receipt 1"), 0);
    LogOnCore();
    EXPECT_TRUE(peerLog.WaitFor("receipt 1 r-1 a"));
}

TEST_F(CoreSession, PresenceAndGroupChangesReachThePluginsWithAFreshDirectory) {
    LogOnCore();
    auto peer = LogOn("b");
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence all b off"));
    const tagIMGRPMEMBER* bInG1 = OBRIX_GetGroupMembers(u"g1", u"b");
    ASSERT_NE(bInG1, nullptr);
    EXPECT_EQ(S16(bInG1->presence.pszStatus), "on");
    EXPECT_EQ(bInG1->pBros, nullptr) << "one membership asked for, one handed out";

    ASSERT_TRUE(admin->AddGroup({"g3", "g1", "Group 3", 0, {}}));
    ASSERT_TRUE(admin->AddMembership("g3", "a", 0, "Ana"));
    ASSERT_TRUE(WaitForCall("1 OnAddGrpMember g3 a Ana"));
    EXPECT_FALSE(CallsStartingWith("1 OnAddGrp g3 g1 Group 3").isEmpty());
    const tagIMGROUP* g3 = OBRIX_GetGroup(u"g3");
    ASSERT_NE(g3, nullptr);
    EXPECT_EQ(S16(g3->pszName), "Group 3");
    EXPECT_EQ(g3->pBros, nullptr);
    EXPECT_EQ(OBRIX_GetGroupCount(0), 3);

    // The whole tree: g1 at the top with g2 and g3 below it.
    CIMGroup tree;
    tree = OBRIX_GetGroupAll();
    EXPECT_EQ(tree.GetID(), "g1");
    ASSERT_NE(tree.GetChild(), nullptr);
    EXPECT_EQ(tree.GetChild()->GetID(), "g2");
    ASSERT_NE(tree.GetChild()->GetBros(), nullptr);
    EXPECT_EQ(tree.GetChild()->GetBros()->GetID(), "g3");

    ASSERT_TRUE(admin->RenameGroup("g3", "Renamed"));
    ASSERT_TRUE(WaitForCall("1 OnChangeGrpName g3"));
    EXPECT_EQ(S16(OBRIX_GetGroup(u"g3")->pszName), "Renamed");
    ASSERT_TRUE(admin->RemoveGroup("g3"));
    ASSERT_TRUE(WaitForCall("1 OnRemoveGrp g3"));
    EXPECT_EQ(OBRIX_GetGroup(u"g3"), nullptr);

    const tagIMMEMBER* member = OBRIX_GetMember(u"b");
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(S16(member->pszFamilyName1), "Fam-b");
    EXPECT_EQ(OBRIX_GetMember(u"nobody"), nullptr);
}

TEST_F(CoreSession, AProfileChangeNamesOnlyTheFieldsThatChanged) {
    LogOnCore();
    SvcMember b = *core->Service()->GetMember("b");
    b.alias = "Bee";
    b.middleName[1] = "Mid";
    ASSERT_TRUE(admin->UpdateMember(b));
    ASSERT_TRUE(WaitForCall("1 OnChangeMiddleName b 1"));
    EXPECT_EQ(CallsStartingWith("1 OnChange"),
              (QStringList{"1 OnChangeAlias b", "1 OnChangeMiddleName b 1"}));
    EXPECT_EQ(S16(OBRIX_GetMember(u"b")->pszAlias), "Bee");
}

TEST_F(CoreSession, OwnStatusGoesOnlyToGroupsTheUserBelongsTo) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    CIMPreset preset;
    tagIMSTATUS status{};
    status.pszStatus = u"会議中";
    status.pszIcon = u"2-1";
    status.dwBkColor = 0x00CCCCFF;
    status.pszGroup = u"g1,g2,gone";
    ASSERT_EQ(OBRIX_SendStatus(&status), 1) << "g2 and the unknown group are passed over";
    // g1 is every group of a, so the change covers all of them.
    ASSERT_TRUE(peerLog.WaitFor("presence all a on"));
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence all a on"));
    const tagIMGRPMEMBER* own = OBRIX_GetGroupMembers(u"g1", u"a");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(S16(own->presence.pszStatus), "会議中");
    EXPECT_EQ(own->presence.dwBkColor, 0x00CCCCFFu);
    status.pszGroup = u"g2";
    EXPECT_EQ(OBRIX_SendStatus(&status), 0);
}

TEST_F(CoreSession, DraftsGetAnIdThatFitsTheCallersBufferOrNothing) {
    LogOnCore();
    CLetrix draft;
    draft.SetSubject("下書き");
    char16_t tiny[4];
    EXPECT_EQ(OBRIX_SaveDraftMessage(draft.Record(), tiny, 4), 0);
    EXPECT_EQ(tiny[0], 0);
    char16_t id[128];
    ASSERT_EQ(OBRIX_SaveDraftMessage(draft.Record(), id, 128), 1);
    const QString draftId = S16(id);
    EXPECT_TRUE(draftId.endsWith("a"));
    tagLETRIX* record = OBRIX_GetMessage(ObrixBox::Draft, id);
    ASSERT_NE(record, nullptr);
    tagLETRIX* dup = OBRIX_DuplicateLetrix(record);
    OBRIX_CleanupLetrix(record);
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(S16(dup->pszSubject), "下書き");
    OBRIX_CleanupLetrix(dup);
    OBRIX_CleanupLetrix(nullptr);
}

TEST_F(CoreSession, ALostSessionLeavesTheCoreOffLineWhereSendingIsRefused) {
    LogOnCore();
    TakeCalls();
    auto again = LogOn("a"); // the same member elsewhere ends this session
    ASSERT_TRUE(WaitForCall("1 OnLogoff 1"));
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::Offline);
    CLetrix m;
    m.AddDst(CLetrix::DST_TO, "b");
    EXPECT_EQ(OBRIX_SendMessage(m.Record()), 0);
    char16_t id[128];
    EXPECT_EQ(OBRIX_SaveDraftMessage(m.Record(), id, 128), 1) << "composing still works";
    again->Logoff();
    LogOnCore();
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::LoggedOn);
}

} // namespace
