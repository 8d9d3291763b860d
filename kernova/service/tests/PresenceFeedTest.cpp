// A presence change carries the new presence, exactly as the directory holds it afterwards, so
// that listeners need not read the directory again; feed entries of a service from before it
// kept the presence carry the current one.
#include "kernova/service/tests/ServiceTestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

// The member's presence in the group as a directory read gives it.
SvcPresence InDirectory(CMessagingService& s, const QString& group, const QString& member) {
    for (const SvcMembership& m : s.GetMemberships(group))
        if (m.memberId == member)
            return m.presence;
    return {};
}

// Runs statements on the service's database directly, as an older program would have.
void RunRaw(const QString& dir, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(S("QSQLITE"), S("raw"));
        db.setDatabaseName(CServiceStore::DatabasePath(dir));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& sql : statements)
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(S("raw"));
}

using PresenceFeed = ServiceFixture;

TEST_F(PresenceFeed, EachChangeCarriesTheNewPresenceAsTheDirectoryHoldsIt) {
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    auto c = LogOn(S("c"));
    ASSERT_TRUE(la.WaitFor(S("presence all c off")));
    EXPECT_EQ(la.presences.last(), (SvcPresence{Svc::kStatusOn, {}, Svc::kColorOn}));

    ASSERT_TRUE(c->SetPresence({S("会議中"), S("2-1"), 0x00CCFFFF}, {S("g2")}));
    ASSERT_TRUE(la.WaitFor(S("presence g2 c on")));
    EXPECT_EQ(la.presences.last(), (SvcPresence{S("会議中"), S("2-1"), 0x00CCFFFF}));
    EXPECT_EQ(la.presences.last(), InDirectory(*a, S("g2"), S("c")));

    // "off" asked with a colour arrives white, as it is stored.
    ASSERT_TRUE(c->SetPresence({S("off"), S("x"), 0x00CCCCFF}, {S("g1")}));
    ASSERT_TRUE(la.WaitFor(S("presence g1 c on")));
    EXPECT_EQ(la.presences.last(), InDirectory(*a, S("g1"), S("c")));
    EXPECT_EQ(la.presences.last().bkColor, Svc::kColorOff);

    c->Logoff();
    ASSERT_TRUE(la.WaitFor(S("presence all c off"), 2));
    EXPECT_EQ(la.presences.last(), (SvcPresence{Svc::kStatusOff, {}, Svc::kColorOff}));
    EXPECT_EQ(la.presences.size(), la.Count(S("presence")));
}

TEST_F(PresenceFeed, AServiceOfTheSecondSchemaIsUpgradedAndItsOldEntriesCarryTheCurrentPresence) {
    RunRaw(dir,
           {S("ALTER TABLE events DROP COLUMN status"), S("ALTER TABLE events DROP COLUMN icon"),
            S("ALTER TABLE events DROP COLUMN bkcolor"),
            S("UPDATE meta SET value = '2' WHERE key = 'schema'")});
    auto a = LogOn(S("a"));
    EventLog la(a.get());
    // An entry as the previous version wrote it: no presence with it.
    RunRaw(dir, {S("UPDATE memberships SET status = '外出', icon = 'i', bkcolor = 255 WHERE"
                   " member_id = 'd'"),
                 S("INSERT INTO events(time, kind, group_id, member_id, detail) VALUES("
                   "CAST((julianday('now') - 2440587.5) * 86400000 AS INTEGER), 1, 'g2', 'd',"
                   " 'off')")});
    a->PollFeed();
    ASSERT_TRUE(la.WaitFor(S("presence g2 d off")));
    EXPECT_EQ(la.presences.last(), (SvcPresence{S("外出"), S("i"), 255}));

    auto d = LogOn(S("d"));
    ASSERT_TRUE(la.WaitFor(S("presence all d 外出")));
    EXPECT_EQ(la.presences.last(), (SvcPresence{Svc::kStatusOn, {}, Svc::kColorOn}));
}

} // namespace
