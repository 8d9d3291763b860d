// The mappings between Zelta's records and XMPP stanzas, and the directory built from the
// node's items: checked without a server.
#include "kernova/service/xmpp/XmppCodec.h"
#include "kernova/service/xmpp/CXmppDirectory.h"
#include "kernova/service/xmpp/CXmppLocation.h"

#include <QMap>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using Change = CXmppDirectory::Change;

namespace {

const QString kDomain = QStringLiteral("example.test");

SvcMessage Sample() {
    SvcMessage m;
    m.messageId = QStringLiteral("m-1");
    m.fromId = QStringLiteral("a");
    m.fromName = QStringLiteral("差出人");
    m.subject = QStringLiteral("件名 <重要>");
    m.body = QStringLiteral("<P>一行目<BR>二行目 &amp; 三</P>");
    m.priority = 2;
    m.bgColor = 0x00FFEEDD;
    m.sendTime = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 250), Qt::UTC);
    m.AddDest(Svc::DST_TO, QStringLiteral("b"));
    m.AddDest(Svc::DST_TO, QStringLiteral("all@g1"));
    m.AddDest(Svc::DST_CC, QStringLiteral("c"));
    m.AddDest(Svc::DST_BCC, QStringLiteral("d"));
    m.AddDest(Svc::DST_BCC, QStringLiteral("e"));
    m.attachments.append({QStringLiteral("図.png"), 3, QByteArray("\x00\x01\x02", 3)});
    return m;
}

// What the peer's library would hand over: the stanza parsed back from its text.
XmppNode Reparse(const XmppNode& node) {
    QXmlStreamReader r(node.ToXml());
    std::function<XmppNode()> read = [&]() {
        XmppNode n(r.name().toString(), r.namespaceUri().toString());
        for (const auto& a : r.attributes())
            n.SetAttr(a.name().toString(), a.value().toString());
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement())
                n.children.append(read());
            else if (r.isCharacters())
                n.text += r.text();
            else if (r.isEndElement())
                break;
        }
        return n;
    };
    while (!r.atEnd() && !r.isStartElement())
        r.readNext();
    XmppNode root = read();
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return root;
}

// Publishes the records as the administrator does: each bucket they fall in, holding exactly
// these records of it, parsed back from the wire.
bool ApplyMembers(CXmppDirectory& dir, const QList<SvcMember>& members, QList<Change>* changes) {
    QMap<int, QList<SvcMember>> buckets;
    for (const SvcMember& m : members)
        buckets[Xmpp::BucketOf(m.id)].append(m);
    bool ok = true;
    for (auto it = buckets.cbegin(); it != buckets.cend(); ++it)
        ok = dir.ApplyItem(Xmpp::MemberBucketId(it.key()),
                           Reparse(Xmpp::EncodeMemberBucket(it.value())), changes) &&
             ok;
    return ok;
}

bool ApplyGroups(CXmppDirectory& dir, const QList<Xmpp::DirectoryGroup>& groups,
                 QList<Change>* changes) {
    QMap<int, QList<Xmpp::DirectoryGroup>> buckets;
    for (const Xmpp::DirectoryGroup& g : groups)
        buckets[Xmpp::BucketOf(g.group.id)].append(g);
    bool ok = true;
    for (auto it = buckets.cbegin(); it != buckets.cend(); ++it)
        ok = dir.ApplyItem(Xmpp::GroupBucketId(it.key()),
                           Reparse(Xmpp::EncodeGroupBucket(it.value())), changes) &&
             ok;
    return ok;
}

} // namespace

TEST(XmppCodecTest, MemberIdsBecomeJidsAndBackWithTheStandardEscapes) {
    for (const QString& id :
         {QStringLiteral("yamada"), QStringLiteral("o'brien"), QStringLiteral("a@b"),
          QStringLiteral("x:y&z"), QStringLiteral("back\\slash"), QStringLiteral("山田")}) {
        const QString jid = Xmpp::BareJid(id, kDomain);
        EXPECT_EQ(jid.count(QLatin1Char('@')), 1) << jid.toStdString();
        EXPECT_EQ(Xmpp::MemberOfJid(jid + QStringLiteral("/zelta"), kDomain), id);
    }
    EXPECT_EQ(Xmpp::MemberOfJid(QStringLiteral("a@other.test/zelta"), kDomain), QString());
    EXPECT_EQ(Xmpp::MemberOfJid(kDomain, kDomain), QString());
    // A backslash that begins no escape stays as it is.
    EXPECT_EQ(Xmpp::UnescapeNode(QStringLiteral("a\\zz")), QStringLiteral("a\\zz"));
}

TEST(XmppCodecTest, LocationsNeedTlsExceptOnLoopbackWhenAskedFor) {
    auto l = CXmppLocation::Parse(QStringLiteral("xmpp://127.0.0.1:5333/Example.Test?tls=off"));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->port, 5333);
    EXPECT_EQ(l->domain, kDomain);
    EXPECT_EQ(l->tls, CXmppLocation::Tls::Off);
    EXPECT_EQ(l->pubsubJid, QStringLiteral("pubsub.example.test"));
    EXPECT_EQ(CXmppLocation::Parse(l->ToString())->ToString(), l->ToString());

    const auto plain = CXmppLocation::Parse(QStringLiteral("xmpp://chat.example.com/example.com"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->tls, CXmppLocation::Tls::Verify);
    EXPECT_EQ(plain->port, 5222);
    QString why;
    EXPECT_FALSE(CXmppLocation::Parse(QStringLiteral("xmpp://chat.example.com/x?tls=off"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(CXmppLocation::Parse(QStringLiteral("http://127.0.0.1/x")));
    EXPECT_FALSE(CXmppLocation::Parse(QStringLiteral("xmpp://127.0.0.1/x?tls=maybe")));
    EXPECT_FALSE(CXmppLocation::Parse(QStringLiteral("xmpp://127.0.0.1:99999/x")));
}

TEST(XmppCodecTest, TextThatXmlCannotCarryIsDroppedInsteadOfBreakingTheStream) {
    XmppNode n(QStringLiteral("message"));
    n.SetAttr(QStringLiteral("id"), QStringLiteral("a\x01") + QChar(0xD800) + QStringLiteral("b"));
    n.Add(QStringLiteral("body")).SetText(QStringLiteral("x\x0By") + QString::fromUcs4(U"😀"));
    const XmppNode back = Reparse(n);
    EXPECT_EQ(back.Attr(QStringLiteral("id")), QStringLiteral("ab"));
    EXPECT_EQ(back.ChildText(QStringLiteral("body")),
              QStringLiteral("xy") + QString::fromUcs4(U"😀"));
}

TEST(XmppCodecTest, EachRecipientSeesToAndCcButOnlyABlindRecipientSeesItselfAsBcc) {
    const SvcMessage m = Sample();
    QString why;
    const auto forB = Xmpp::DecodeMessage(
        Reparse(Xmpp::EncodeMessage(m, QStringLiteral("b"), Svc::DST_TO, kDomain)),
        QStringLiteral("a"), kDomain, &why);
    ASSERT_TRUE(forB) << why.toStdString();
    EXPECT_EQ(forB->DestIds(Svc::DST_TO), (QStringList{"b", "all@g1"}));
    EXPECT_EQ(forB->DestIds(Svc::DST_CC), QStringList{"c"});
    EXPECT_TRUE(forB->DestIds(Svc::DST_BCC).isEmpty());
    EXPECT_EQ(forB->subject, m.subject);
    EXPECT_EQ(forB->body, m.body);
    EXPECT_EQ(forB->sendTime, m.sendTime);
    EXPECT_EQ(forB->fromName, m.fromName);
    EXPECT_EQ(forB->priority, 2u);
    EXPECT_EQ(forB->bgColor, m.bgColor);
    ASSERT_EQ(forB->attachments.size(), 1);
    EXPECT_EQ(forB->attachments[0].data, m.attachments[0].data);

    const XmppNode wireForD = Xmpp::EncodeMessage(m, QStringLiteral("d"), Svc::DST_BCC, kDomain);
    EXPECT_FALSE(QString::fromUtf8(wireForD.ToXml()).contains(QStringLiteral("e@example.test")));
    const auto forD = Xmpp::DecodeMessage(Reparse(wireForD), QStringLiteral("a"), kDomain, &why);
    ASSERT_TRUE(forD);
    EXPECT_EQ(forD->DestIds(Svc::DST_BCC), QStringList{"d"});
    // Other clients read a plain body and the subject.
    EXPECT_EQ(wireForD.ChildText(QStringLiteral("body")), QStringLiteral("一行目\n二行目 & 三"));
}

TEST(XmppCodecTest, ForeignMessagesAreShownAsTypedAndBrokenOnesRefused) {
    XmppNode plain(QStringLiteral("message"));
    plain.SetAttr(QStringLiteral("id"), QStringLiteral("x1"));
    plain.Add(QStringLiteral("subject")).SetText(QStringLiteral("hi"));
    plain.Add(QStringLiteral("body")).SetText(QStringLiteral("1 < 2\nok"));
    XmppNode& addresses = plain.Add(QStringLiteral("addresses"), Xmpp::kNsAddress);
    addresses.Add(QStringLiteral("address"))
        .SetAttr(QStringLiteral("type"), QStringLiteral("to"))
        .SetAttr(QStringLiteral("jid"), QStringLiteral("b@example.test"));
    QString why;
    const auto m = Xmpp::DecodeMessage(plain, QStringLiteral("c"), kDomain, &why);
    ASSERT_TRUE(m) << why.toStdString();
    EXPECT_EQ(m->body, QStringLiteral("<P>1 &lt; 2<BR>ok</P>"));
    EXPECT_EQ(m->messageId, QStringLiteral("x1"));

    XmppNode broken = Xmpp::EncodeMessage(Sample(), QStringLiteral("b"), Svc::DST_TO, kDomain);
    for (XmppNode& c : broken.children)
        if (c.name == QStringLiteral("zelta"))
            c.SetAttr(QStringLiteral("priority"), QStringLiteral("high"));
    EXPECT_FALSE(Xmpp::DecodeMessage(broken, QStringLiteral("a"), kDomain, &why));
    EXPECT_FALSE(why.isEmpty());

    SvcMessage big = Sample();
    big.attachments.clear();
    big.body = QString(Svc::kMaxBodyBytes + 1, QLatin1Char('x'));
    EXPECT_FALSE(
        Xmpp::DecodeMessage(Xmpp::EncodeMessage(big, QStringLiteral("b"), Svc::DST_TO, kDomain),
                            QStringLiteral("a"), kDomain, &why));

    XmppNode badFile = Xmpp::EncodeMessage(Sample(), QStringLiteral("b"), Svc::DST_TO, kDomain);
    for (XmppNode& c : badFile.children)
        if (c.name == QStringLiteral("zelta"))
            for (XmppNode& f : c.children)
                if (f.name == QStringLiteral("file"))
                    f.text = QStringLiteral("***");
    EXPECT_FALSE(Xmpp::DecodeMessage(badFile, QStringLiteral("a"), kDomain, &why));
}

TEST(XmppCodecTest, ReceiptsAndTheirTimesAreReadFromTheAuthorNotTheServer) {
    const QDateTime t(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
    XmppNode r =
        Xmpp::EncodeReceipt(Svc::RECEIPT_READ, QStringLiteral("m-1"),
                            QStringLiteral("a@example.test"), t, QStringLiteral("b@example.test"));
    // Offline storage adds the server's own stamp in front.
    r.children.prepend(XmppNode(QStringLiteral("delay"), Xmpp::kNsDelay));
    r.children.first().SetAttr(QStringLiteral("from"), kDomain);
    r.children.first().SetAttr(QStringLiteral("stamp"), QStringLiteral("2026-12-07T11:00:00Z"));
    const auto decoded = Xmpp::DecodeReceipt(r, QStringLiteral("b"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->kind, Svc::RECEIPT_READ);
    EXPECT_EQ(decoded->messageId, QStringLiteral("m-1"));
    EXPECT_EQ(Xmpp::StampOf(r, QStringLiteral("b@example.test")), t);
}

TEST(XmppCodecTest, DirectoryItemsBecomeTheEventsOfEachChange) {
    CXmppDirectory dir;
    QList<Change> changes;
    SvcMember a;
    a.id = QStringLiteral("a");
    a.familyName[1] = QStringLiteral("山田");
    a.birth = QDate(1990, 4, 1);
    ASSERT_TRUE(ApplyMembers(dir, {a}, &changes));
    SvcMember b;
    b.id = QStringLiteral("B");
    ASSERT_TRUE(ApplyMembers(dir, {a, b}, &changes));
    Xmpp::DirectoryGroup g{{QStringLiteral("g1"), {}, QStringLiteral("One"), 0, {}}, {}};
    g.members.append({QStringLiteral("g1"), QStringLiteral("a"), QStringLiteral("A"), 0, 0, {}});
    ASSERT_TRUE(ApplyGroups(dir, {g}, &changes));
    EXPECT_EQ(changes, (QList<Change>{{Change::MemberAdded, {}, "a", {}, {}},
                                      {Change::MemberAdded, {}, "B", {}, {}},
                                      {Change::GroupAdded, "g1", {}, {}, {}},
                                      {Change::GroupMemberAdded, "g1", "a", {}, {}}}));
    EXPECT_EQ(dir.Member(QStringLiteral("a"))->birth, a.birth);
    EXPECT_EQ(dir.MemberForNode(QStringLiteral("b")), QStringLiteral("B"));

    changes.clear();
    g.group.name = QStringLiteral("Uno");
    g.members[0].role = 2;
    g.members.append({QStringLiteral("g1"), QStringLiteral("B"), QStringLiteral("b"), 0, 1, {}});
    ASSERT_TRUE(ApplyGroups(dir, {g}, &changes));
    Xmpp::DirectoryGroup child{
        {QStringLiteral("g2"), QStringLiteral("g1"), QStringLiteral("Two"), 0, {}}, {}};
    if (Xmpp::BucketOf(child.group.id) == Xmpp::BucketOf(g.group.id))
        ASSERT_TRUE(ApplyGroups(dir, {g, child}, &changes));
    else
        ASSERT_TRUE(ApplyGroups(dir, {child}, &changes));
    dir.Retract(Xmpp::GroupBucketId(Xmpp::BucketOf(QStringLiteral("g1"))), &changes);
    EXPECT_EQ(changes, (QList<Change>{{Change::GroupRenamed, "g1", {}, "One", {}},
                                      {Change::GroupMemberChanged, "g1", "a", {}, {}},
                                      {Change::GroupMemberAdded, "g1", "B", {}, {}},
                                      {Change::GroupAdded, "g2", {}, {}, {}},
                                      {Change::GroupRemoved, "g2", {}, {}, {}},
                                      {Change::GroupRemoved, "g1", {}, {}, {}}}));
    EXPECT_TRUE(dir.Groups().isEmpty());

    // Unreadable items, records filed in another bucket and items under another spelling of a
    // bucket change nothing.
    changes.clear();
    XmppNode bad = Xmpp::EncodeMember(a);
    bad.SetAttr(QStringLiteral("id"), QStringLiteral("bad/id"));
    XmppNode withBad = Xmpp::EncodeMemberBucket({a});
    withBad.Add(bad);
    EXPECT_FALSE(dir.ApplyItem(Xmpp::MemberBucketId(Xmpp::BucketOf(a.id)), withBad, &changes));
    const int elsewhere = (Xmpp::BucketOf(a.id) + 1) % Xmpp::kDirectoryBuckets;
    EXPECT_FALSE(
        dir.ApplyItem(Xmpp::MemberBucketId(elsewhere), Xmpp::EncodeMemberBucket({a}), &changes));
    EXPECT_FALSE(dir.ApplyItem(QStringLiteral("members:0%1").arg(Xmpp::BucketOf(a.id)),
                               Xmpp::EncodeMemberBucket({}), &changes));
    EXPECT_FALSE(dir.ApplyItem(QStringLiteral("member:a"), Xmpp::EncodeMember(a), &changes));
    EXPECT_FALSE(dir.ApplyItem(Xmpp::MemberBucketId(Xmpp::BucketOf(a.id)),
                               Xmpp::EncodeMemberBucket({a, a}), &changes));
    EXPECT_TRUE(changes.isEmpty());
    EXPECT_TRUE(dir.HasMember(QStringLiteral("a")));
}

TEST(XmppCodecTest, ABucketRepublishedIsComparedWithWhatItHeld) {
    // Ids that share one bucket, so that one item carries them together.
    QStringList ids;
    for (int i = 0; ids.size() < 3; ++i) {
        const QString id = QStringLiteral("m%1").arg(i);
        if (Xmpp::BucketOf(id) == Xmpp::BucketOf(QStringLiteral("m0")))
            ids.append(id);
    }
    const int bucket = Xmpp::BucketOf(ids[0]);
    CXmppDirectory dir;
    QList<Change> changes;
    QList<SvcMember> members;
    for (const QString& id : ids) {
        SvcMember m;
        m.id = id;
        members.append(m);
    }
    ASSERT_TRUE(ApplyMembers(dir, members, &changes));
    EXPECT_EQ(dir.MembersIn(bucket).size(), 3);

    // One changed, one gone, one untouched: only the first two are events.
    changes.clear();
    members[0].alias = QStringLiteral("renamed");
    members.removeAt(1);
    ASSERT_TRUE(ApplyMembers(dir, members, &changes));
    EXPECT_EQ(changes, (QList<Change>{{Change::MemberChanged, {}, ids[0], {}, {}},
                                      {Change::MemberRemoved, {}, ids[1], {}, {}}}));

    // A child listed before its parent in the same bucket still comes after it.
    changes.clear();
    Xmpp::DirectoryGroup parent{{ids[0], {}, QStringLiteral("P"), 0, {}}, {}};
    Xmpp::DirectoryGroup child{{ids[1], ids[0], QStringLiteral("C"), 0, {}}, {}};
    ASSERT_TRUE(ApplyGroups(dir, {child, parent}, &changes));
    EXPECT_EQ(changes, (QList<Change>{{Change::GroupAdded, ids[0], {}, {}, {}},
                                      {Change::GroupAdded, ids[1], {}, {}, {}}}));
    // Retracting the bucket removes everything it held.
    changes.clear();
    dir.Retract(Xmpp::MemberBucketId(bucket), &changes);
    EXPECT_EQ(changes.size(), 2);
    EXPECT_EQ(dir.MemberCount(), 0);
}

TEST(XmppCodecTest, PresenceIsOneEventForAllGroupsOrOnePerGroupThatChanged) {
    CXmppDirectory dir;
    QList<Change> changes;
    SvcMember a;
    a.id = QStringLiteral("a");
    ApplyMembers(dir, {a}, &changes);
    for (const char* id : {"g1", "g2"}) {
        Xmpp::DirectoryGroup g{{QString::fromLatin1(id), {}, QString::fromLatin1(id), 0, {}}, {}};
        g.members.append({g.group.id, QStringLiteral("a"), QStringLiteral("A"), 0, 0, {}});
        ApplyGroups(dir, {g}, &changes);
    }
    changes.clear();
    const SvcPresence on{Svc::kStatusOn, {}, Svc::kColorOn};
    const SvcPresence busy{QStringLiteral("会議中"), QStringLiteral("3"), 0x000000FF};
    auto apply = [&](const Xmpp::PresenceMap& map, bool online) {
        changes.clear();
        dir.ApplyPresence(QStringLiteral("a"), Xmpp::DecodePresence(Xmpp::EncodePresence(map)),
                          online, &changes);
        return changes;
    };
    EXPECT_EQ(apply({{Svc::kAllGroups, on}}, true),
              (QList<Change>{{Change::Presence, Svc::kAllGroups, "a", Svc::kStatusOff, on}}));
    EXPECT_TRUE(dir.IsOnline(QStringLiteral("a")));
    EXPECT_EQ(apply({{QStringLiteral("g1"), on}, {QStringLiteral("g2"), busy}}, true),
              (QList<Change>{{Change::Presence, "g2", "a", Svc::kStatusOn, busy}}));
    EXPECT_EQ(dir.Memberships(QStringLiteral("g2")).first().presence, busy);
    EXPECT_TRUE(apply({{QStringLiteral("g1"), on}, {QStringLiteral("g2"), busy}}, true).isEmpty());

    // Leaving is "off" on white in every group, whatever was announced.
    XmppNode gone(QStringLiteral("presence"));
    gone.SetAttr(QStringLiteral("type"), QStringLiteral("unavailable"));
    changes.clear();
    dir.ApplyPresence(QStringLiteral("a"), Xmpp::DecodePresence(gone), false, &changes);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].groupId, Svc::kAllGroups);
    EXPECT_EQ(changes[0].presence, (SvcPresence{Svc::kStatusOff, {}, Svc::kColorOff}));
    EXPECT_FALSE(dir.IsOnline(QStringLiteral("a")));

    // Another client's plain presence counts as "on".
    EXPECT_EQ(Xmpp::DecodePresence(XmppNode(QStringLiteral("presence"))).value(Svc::kAllGroups),
              on);
}
