#include "kernova/service/tests/ServiceTestSupport.h"

#include "kernova/service/CPasswordHash.h"

using namespace svctest;

namespace {
const QString g1 = QStringLiteral("g1");
const QString g2 = QStringLiteral("g2");
QString S(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

using LocalService = ServiceFixture;

TEST_F(LocalService, GroupDestinationReachesEveryMemberOnceAndOnNettersOnlyThoseOnLine) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    EventLog la(a.get()), lb(b.get());

    // b is reached through the group and directly; d is off line, so OnNetters skips it.
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("all@g1"), S("b")}, {S("all@OnNetters")})));
    ASSERT_TRUE(lb.WaitFor(S("message m1")));
    ASSERT_TRUE(la.WaitFor(S("message m1"))); // the sender is a member of g1 too
    lb.Settle();
    EXPECT_EQ(lb.Count(S("message")), 1);

    auto c = LogOn(S("c"));
    EventLog lc(c.get());
    ASSERT_TRUE(lc.WaitFor(S("message m1")));
    auto d = LogOn(S("d"));
    EventLog ld(d.get());
    ld.Settle();
    EXPECT_EQ(ld.Count(S("message")), 0);
    EXPECT_TRUE(d->GetPendingMessages().isEmpty());

    // Now d is on line: OnNetters reaches it, and a group that d is not in does not.
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m2"), {S("all@OnNetters")})));
    ASSERT_TRUE(ld.WaitFor(S("message m2")));
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m3"), {S("all@g2")})));
    ASSERT_TRUE(lc.WaitFor(S("message m3")));
    ASSERT_TRUE(ld.WaitFor(S("message m3")));
    lb.Settle();
    EXPECT_FALSE(lb.lines.contains(S("message m3")));
}

TEST_F(LocalService, BccIsHiddenFromToAndCcAndEachBlindCopySeesOnlyItself) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    auto c = LogOn(S("c"));
    auto d = LogOn(S("d"));
    EventLog lb(b.get()), lc(c.get()), ld(d.get());

    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("b")}, {S("c")}, {S("d"), S("all@g2")})));
    ASSERT_TRUE(lb.WaitFor(S("message m1")));
    ASSERT_TRUE(lc.WaitFor(S("message m1")));
    ASSERT_TRUE(ld.WaitFor(S("message m1")));

    const SvcMessage& atB = lb.messages.first();
    EXPECT_EQ(atB.DestIds(Svc::DST_TO), QStringList{S("b")});
    EXPECT_EQ(atB.DestIds(Svc::DST_CC), QStringList{S("c")});
    EXPECT_TRUE(atB.dest[Svc::DST_BCC].isEmpty());
    // c is in g2 (Bcc) as well as in Cc: the visible list wins, so it learns of no Bcc.
    EXPECT_TRUE(lc.messages.first().dest[Svc::DST_BCC].isEmpty());
    EXPECT_EQ(ld.messages.first().DestIds(Svc::DST_BCC), QStringList{S("d")});
    // Fetching it again gives the same view.
    EXPECT_EQ(b->GetMessage(S("m1"))->dest[Svc::DST_BCC].size(), 0);
    EXPECT_EQ(d->GetMessage(S("m1"))->DestIds(Svc::DST_BCC), QStringList{S("d")});
    // The sender keeps everything it wrote.
    EXPECT_EQ(a->GetMessage(S("m1"))->DestIds(Svc::DST_BCC), (QStringList{S("d"), S("all@g2")}));
}

TEST_F(LocalService, MessageFieldsSurviveDelivery) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    EventLog lb(b.get());
    SvcMessage m = MakeMessage(S("m1"), {S("b")});
    m.replyMode = 3;
    m.replyTo = S("a");
    m.referenceId = S("m0");
    m.priority = 5;
    m.flags = 0x102;
    m.picNumber = 7;
    m.picVersion = 8;
    m.bgColor = 0x00CCFFCC;
    m.type = S("type");
    m.typeValue = S("value");
    m.sendTime = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 123), Qt::UTC);
    m.body = QString(5000, QChar(u'語'));
    ASSERT_TRUE(a->SendMessage(m));
    ASSERT_TRUE(lb.WaitFor(S("message m1")));
    const SvcMessage& got = lb.messages.first();
    EXPECT_EQ(got.fromId, S("a"));
    EXPECT_EQ(got.fromName, S("Fam-a  Giv"));
    EXPECT_EQ(got.replyMode, 3u);
    EXPECT_EQ(got.replyTo, S("a"));
    EXPECT_EQ(got.referenceId, S("m0"));
    EXPECT_EQ(got.priority, 5u);
    EXPECT_EQ(got.flags, 0x102u);
    EXPECT_EQ(got.picNumber, 7u);
    EXPECT_EQ(got.picVersion, 8u);
    EXPECT_EQ(got.bgColor, 0x00CCFFCCu);
    EXPECT_EQ(got.type, S("type"));
    EXPECT_EQ(got.typeValue, S("value"));
    EXPECT_EQ(got.sendTime, m.sendTime);
    EXPECT_EQ(got.subject, m.subject);
    EXPECT_EQ(got.body, m.body);
}

TEST_F(LocalService, QueuedMessagesAndReceiptsWaitForTheNextLogOn) {
    auto a = LogOn(S("a"));
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("c")})));
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m2"), {S("c")})));
    a->Logoff();

    {
        // Arrives after log-on, oldest first; not marked, it stays pending.
        auto c = LogOn(S("c"));
        EventLog lc(c.get());
        ASSERT_TRUE(lc.WaitFor(S("message m2")));
        EXPECT_EQ(lc.lines.filter(S("message")), (QStringList{S("message m1"), S("message m2")}));
        ASSERT_EQ(c->GetPendingMessages().size(), 2);
        ASSERT_TRUE(c->MarkReceived({S("m1")}));
        const QList<SvcMessage> pending = c->GetPendingMessages();
        ASSERT_EQ(pending.size(), 1) << "a message marked received is pending no more";
        EXPECT_EQ(pending.first().messageId, S("m2"));
    }
    {
        auto c = LogOn(S("c"));
        EventLog lc(c.get());
        ASSERT_TRUE(lc.WaitFor(S("message m2")));
        lc.Settle();
        EXPECT_EQ(lc.Count(S("message")), 1);
        ASSERT_TRUE(c->MarkRead(S("m2")));
    }
    // The sender was away for all of it and hears every receipt once back.
    a = LogOn(S("a"));
    EventLog la(a.get());
    ASSERT_TRUE(la.WaitFor(S("receipt 1 m2 c")));
    la.Settle();
    EXPECT_EQ(la.lines.filter(S("receipt")),
              (QStringList{S("receipt 0 m1 c"), S("receipt 0 m2 c"), S("receipt 1 m2 c")}));
    // Receipts are not repeated at a further log-on.
    a->Logoff();
    a = LogOn(S("a"));
    EventLog again(a.get());
    again.Settle();
    EXPECT_EQ(again.Count(S("receipt")), 0);
}

TEST_F(LocalService, UnknownDestinationsComeBackAsReceiptsAndTheRestIsDelivered) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    EventLog la(a.get()), lb(b.get());
    QStringList unknown;
    ASSERT_TRUE(a->SendMessage(
        MakeMessage(S("m1"), {S("zz"), S("b")}, {S("all@nogroup")}, {S("zz")}), &unknown));
    EXPECT_EQ(unknown, (QStringList{S("zz"), S("all@nogroup")}));
    ASSERT_TRUE(la.WaitFor(S("receipt 3 m1 all@nogroup")));
    EXPECT_TRUE(la.lines.contains(S("receipt 3 m1 zz")));
    EXPECT_EQ(la.Count(S("receipt 3")), 2);
    ASSERT_TRUE(lb.WaitFor(S("message m1")));
    // The sender's copy keeps the unknown destination, never received.
    const auto sent = a->GetMessage(S("m1"));
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->DestIds(Svc::DST_TO), (QStringList{S("zz"), S("b")}));
    EXPECT_FALSE(sent->dest[Svc::DST_TO][0].recvTime.isValid());
}

TEST_F(LocalService, ReceiptsSetDestinationTimesOncePerKind) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    auto c = LogOn(S("c"));
    EventLog la(a.get()), lb(b.get()), lc(c.get());
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("b")}, {S("all@g2")})));
    ASSERT_TRUE(lb.WaitFor(S("message m1")));
    ASSERT_TRUE(lc.WaitFor(S("message m1")));

    ASSERT_TRUE(b->MarkReceived({S("m1")}));
    ASSERT_TRUE(la.WaitFor(S("receipt 0 m1 b")));
    ASSERT_TRUE(b->MarkRead(S("m1")));
    ASSERT_TRUE(b->MarkRead(S("m1")));
    ASSERT_TRUE(la.WaitFor(S("receipt 1 m1 b")));
    ASSERT_TRUE(c->MarkRead(S("m1"))); // marks received too
    ASSERT_TRUE(la.WaitFor(S("receipt 1 m1 c")));
    la.Settle();
    EXPECT_EQ(la.lines.filter(S("receipt")),
              (QStringList{S("receipt 0 m1 b"), S("receipt 1 m1 b"), S("receipt 0 m1 c"),
                           S("receipt 1 m1 c")}));
    const SvcReceipt& read = la.receipts[1];
    const auto sent = a->GetMessage(S("m1"));
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->dest[Svc::DST_TO][0].readTime, read.time);
    EXPECT_TRUE(sent->dest[Svc::DST_TO][0].recvTime.isValid());
    // g2 reached c and d; d has not received it, so the group destination has no time yet.
    EXPECT_FALSE(sent->dest[Svc::DST_CC][0].recvTime.isValid());

    auto d = LogOn(S("d"));
    EventLog ld(d.get());
    ASSERT_TRUE(ld.WaitFor(S("message m1")));
    ASSERT_TRUE(d->MarkRead(S("m1")));
    ASSERT_TRUE(la.WaitFor(S("receipt 1 m1 d")));
    const auto after = a->GetMessage(S("m1"));
    EXPECT_TRUE(after->dest[Svc::DST_CC][0].recvTime.isValid());
    EXPECT_EQ(after->dest[Svc::DST_CC][0].readTime, la.receipts.last().time);
}

TEST_F(LocalService, PresenceEventsNameTheGroupOrAllAndThePreviousStatus) {
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    auto c = LogOn(S("c"));
    ASSERT_TRUE(la.WaitFor(S("presence all c off")));

    ASSERT_TRUE(c->SetPresence({S("会議中"), S("meeting"), 0x00CCFFFF}, {g2}));
    ASSERT_TRUE(la.WaitFor(S("presence g2 c on")));
    // Both groups of c listed: one change for every group.
    ASSERT_TRUE(c->SetPresence({S("外出"), {}, 0x00CCCCFF}, {g1, g2}));
    ASSERT_TRUE(la.WaitFor(S("presence all c on")));
    // Setting the same presence again changes nothing and says nothing.
    ASSERT_TRUE(c->SetPresence({S("外出"), {}, 0x00CCCCFF}));
    la.Settle();
    EXPECT_EQ(la.Count(S("presence")), 3);

    const auto memberships = a->GetMemberships(g2);
    ASSERT_EQ(memberships.size(), 2);
    EXPECT_EQ(memberships[0].memberId, S("c"));
    EXPECT_EQ(memberships[0].presence, (SvcPresence{S("外出"), {}, 0x00CCCCFF}));
    EXPECT_EQ(memberships[1].presence.status, S("off"));

    // "off" by hand is white whatever colour was asked for.
    ASSERT_TRUE(c->SetPresence({S("off"), {}, 0x00CCCCFF}, {g1}));
    ASSERT_TRUE(la.WaitFor(S("presence g1 c 外出")));
    EXPECT_EQ(a->GetMemberships(g1)[2].presence.bkColor, Svc::kColorOff);

    // A group that c is not in, or that does not exist, changes nothing at all.
    EXPECT_FALSE(c->SetPresence({S("x"), {}, 0}, {g2, S("nosuch")}));
    EXPECT_EQ(c->LastError().code(), CServiceError::UnknownGroup);
    auto d = LogOn(S("d"));
    EXPECT_FALSE(d->SetPresence({S("x"), {}, 0}, {g1}));
    EXPECT_EQ(d->LastError().code(), CServiceError::NotMember);
    EXPECT_EQ(a->GetMemberships(g2)[0].presence.status, S("外出"));

    c->Logoff();
    ASSERT_TRUE(la.WaitFor(S("presence all c off"), 2));
    for (const SvcMembership& m : a->GetMemberships()) {
        if (m.memberId == S("c")) {
            EXPECT_EQ(m.presence, (SvcPresence{S("off"), {}, Svc::kColorOff}));
        }
    }
}

TEST_F(LocalService, GroupChangesArriveInOrderAndRemovalReportsSubGroupsFirst) {
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    ASSERT_TRUE(admin->AddGroup({S("g3"), g2, S("Group 3"), 0, {}}));
    ASSERT_TRUE(admin->AddMembership(S("g3"), S("a"), 2, S("A in g3")));
    ASSERT_TRUE(admin->RenameGroup(S("g3"), S("Renamed")));
    ASSERT_TRUE(admin->SetMembership(S("g3"), S("a"), 1, {}));
    ASSERT_TRUE(admin->RemoveMembership(g1, S("b")));
    ASSERT_TRUE(admin->RemoveGroup(g2));
    ASSERT_TRUE(la.WaitFor(S("group-removed g2")));
    EXPECT_EQ(la.lines, (QStringList{S("group-added g3"), S("group-member-added g3 a"),
                                     S("group-renamed g3 Group 3"), S("group-member-changed g3 a"),
                                     S("group-member-removed g1 b"), S("group-removed g3"),
                                     S("group-removed g2")}));
    // The tree and the memberships went with it; a, on line, kept its membership elsewhere.
    const auto groups = a->GetGroups();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0].id, g1);
    const auto left = a->GetMemberships();
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[0].memberId, S("a"));
    EXPECT_EQ(left[1].memberId, S("c"));
}

TEST_F(LocalService, DirectoryGivesTreeOrderNamesRolesAndOnlineState) {
    ASSERT_TRUE(admin->AddGroup({S("g0"), {}, S("Zero"), 0, {}}));
    ASSERT_TRUE(admin->AddGroup({S("g1b"), g1, {}, 0, {}}));
    auto a = LogOn(S("a"));
    QStringList order;
    for (const SvcGroup& g : a->GetGroups())
        order << g.id + u'<' + g.parentId;
    EXPECT_EQ(order, (QStringList{S("g1<"), S("g2<g1"), S("g1b<g1"), S("g0<")}));
    EXPECT_EQ(a->GetGroup(S("g1b"))->name, S("g1b"));
    EXPECT_EQ(a->GetMemberships(g2)[0].name, S("Fam-c  Giv"));
    EXPECT_EQ(a->GetMemberships(g2)[0].role, 1);
    EXPECT_EQ(a->GetRoles().size(), 3);
    EXPECT_TRUE(a->GetMember(S("a"))->online);
    EXPECT_FALSE(a->GetMember(S("b"))->online);
    EXPECT_FALSE(a->GetMember(S("nobody")));
    EXPECT_EQ(a->LastError().code(), CServiceError::UnknownMember);
}

TEST_F(LocalService, LogOnElsewhereEndsTheFirstSessionAndKeepsPresence) {
    auto first = LogOn(S("b"));
    EventLog l1(first.get());
    ASSERT_TRUE(first->SetPresence({S("busy"), {}, 0}));
    auto observer = LogOn(S("a"));
    EventLog lo(observer.get());
    auto second = LogOn(S("b"));
    ASSERT_TRUE(l1.WaitFor(QStringLiteral("session-ended %1").arg(Svc::END_REPLACED)));
    EXPECT_FALSE(first->IsLoggedOn());
    // The first object's log-off must not turn the new session off.
    first->Logoff();
    lo.Settle();
    EXPECT_EQ(lo.Count(S("presence")), 0);
    EXPECT_EQ(observer->GetMemberships(g1)[1].presence.status, S("busy"));
    EXPECT_TRUE(second->Heartbeat());
}

TEST_F(LocalService, RemovedMemberIsLoggedOffAndLosesItsMemberships) {
    auto c = LogOn(S("c"));
    EventLog lc(c.get());
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    ASSERT_TRUE(admin->RemoveMember(S("c")));
    ASSERT_TRUE(lc.WaitFor(QStringLiteral("session-ended %1").arg(Svc::END_REMOVED)));
    ASSERT_TRUE(la.WaitFor(S("member-removed c")));
    EXPECT_TRUE(la.lines.contains(S("group-member-removed g1 c")));
    EXPECT_TRUE(la.lines.contains(S("group-member-removed g2 c")));
    QStringList unknown;
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("c")}), &unknown));
    EXPECT_EQ(unknown, QStringList{S("c")});
}

TEST(PasswordHash, MatchesPublishedPbkdf2Vectors) {
    EXPECT_EQ(CPasswordHash::Pbkdf2("passwd", "salt", 1, 40).toHex(),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b645");
    EXPECT_EQ(CPasswordHash::Pbkdf2("Password", "NaCl", 80000, 40).toHex(),
              "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56a1d425a122583354");
    const CPasswordHash h = CPasswordHash::Make(S("秘密"));
    EXPECT_TRUE(h.Verify(S("秘密")));
    EXPECT_FALSE(h.Verify(S("秘蜜")));
    EXPECT_NE(CPasswordHash::Make(S("秘密")).salt, h.salt);
    CPasswordHash damaged = h;
    damaged.iterations = 1 << 30; // must be refused, not computed
    EXPECT_FALSE(damaged.Verify(S("秘密")));
}
