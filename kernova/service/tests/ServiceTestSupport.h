// Shared set-up for tests of the local service: a fresh service with four members in a small
// group tree, a recorder of every signal, and a message builder.
#pragma once

#include "kernova/service/CLocalService.h"
#include "kernova/service/CLocalServiceAdmin.h"

#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>
#include <memory>

namespace svctest {

inline QString Password(const QString& id) {
    return QStringLiteral("pw-") + id;
}

// Members a, b, c, d; group g1 (a, b, c) with the sub-group g2 (c, d).
inline void Populate(CLocalServiceAdmin& admin) {
    for (const char* id : {"a", "b", "c", "d"}) {
        SvcMember m;
        m.id = QString::fromLatin1(id);
        m.familyName[1] = QStringLiteral("Fam-") + m.id;
        m.firstName[1] = QStringLiteral("Giv");
        ASSERT_TRUE(admin.AddMember(m, Password(m.id)))
            << admin.LastError().EnglishText().toStdString();
    }
    ASSERT_TRUE(admin.AddGroup({QStringLiteral("g1"), {}, QStringLiteral("Group 1"), 0, {}}));
    ASSERT_TRUE(admin.AddGroup(
        {QStringLiteral("g2"), QStringLiteral("g1"), QStringLiteral("Group 2"), 0, {}}));
    for (const char* id : {"a", "b", "c"})
        ASSERT_TRUE(admin.AddMembership(QStringLiteral("g1"), QString::fromLatin1(id), 0));
    for (const char* id : {"c", "d"})
        ASSERT_TRUE(admin.AddMembership(QStringLiteral("g2"), QString::fromLatin1(id), 1));
}

// Every signal of a service as one line of text, in arrival order.
class EventLog : public QObject {
public:
    explicit EventLog(CMessagingService* s) {
        auto add = [this](QString line) { lines.append(line); };
        connect(s, &CMessagingService::MemberPresenceChanged, this,
                [this, add](const QString& g, const QString& m, const QString& prev,
                            const SvcPresence& now) {
                    presences.append(now);
                    add(QStringLiteral("presence %1 %2 %3").arg(g, m, prev));
                });
        connect(s, &CMessagingService::GroupAdded, this,
                [add](const QString& g) { add(QStringLiteral("group-added ") + g); });
        connect(s, &CMessagingService::GroupRemoved, this,
                [add](const QString& g) { add(QStringLiteral("group-removed ") + g); });
        connect(s, &CMessagingService::GroupRenamed, this,
                [add](const QString& g, const QString& p) {
                    add(QStringLiteral("group-renamed %1 %2").arg(g, p));
                });
        connect(s, &CMessagingService::GroupMemberAdded, this,
                [add](const QString& g, const QString& m) {
                    add(QStringLiteral("group-member-added %1 %2").arg(g, m));
                });
        connect(s, &CMessagingService::GroupMemberRemoved, this,
                [add](const QString& g, const QString& m) {
                    add(QStringLiteral("group-member-removed %1 %2").arg(g, m));
                });
        connect(s, &CMessagingService::GroupMemberChanged, this,
                [add](const QString& g, const QString& m) {
                    add(QStringLiteral("group-member-changed %1 %2").arg(g, m));
                });
        connect(s, &CMessagingService::MemberAdded, this,
                [add](const QString& m) { add(QStringLiteral("member-added ") + m); });
        connect(s, &CMessagingService::MemberRemoved, this,
                [add](const QString& m) { add(QStringLiteral("member-removed ") + m); });
        connect(s, &CMessagingService::MemberChanged, this,
                [add](const QString& m) { add(QStringLiteral("member-changed ") + m); });
        connect(s, &CMessagingService::MessageArrived, this, [this, add](const SvcMessage& m) {
            messages.append(m);
            add(QStringLiteral("message ") + m.messageId);
        });
        connect(s, &CMessagingService::ReceiptArrived, this, [this, add](const SvcReceipt& r) {
            receipts.append(r);
            add(QStringLiteral("receipt %1 %2 %3").arg(r.kind).arg(r.messageId, r.memberId));
        });
        connect(s, &CMessagingService::SessionEnded, this,
                [add](int reason) { add(QStringLiteral("session-ended %1").arg(reason)); });
    }

    // Waits until the line has arrived the given number of times.
    bool WaitFor(const QString& line, int times = 1, int ms = 5000) {
        return QTest::qWaitFor([&] { return lines.count(line) >= times; }, ms);
    }
    // Lets pending wake-ups run, so that a test can check that nothing more arrives.
    void Settle(int ms = 300) { QTest::qWait(ms); }
    int Count(const QString& prefix) const {
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString& l) { return l.startsWith(prefix); }));
    }

    QStringList lines;
    QList<SvcPresence> presences; // the new presence of each presence line, in order
    QList<SvcMessage> messages;
    QList<SvcReceipt> receipts;
};

inline SvcMessage MakeMessage(const QString& id, const QStringList& to, const QStringList& cc = {},
                              const QStringList& bcc = {}) {
    SvcMessage m;
    m.messageId = id;
    m.subject = QStringLiteral("件名 ") + id;
    m.body = QStringLiteral("<P>本文</P>");
    m.priority = 2;
    for (const QString& d : to)
        m.AddDest(Svc::DST_TO, d);
    for (const QString& d : cc)
        m.AddDest(Svc::DST_CC, d);
    for (const QString& d : bcc)
        m.AddDest(Svc::DST_BCC, d);
    return m;
}

class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tmp.isValid());
        dir = m_tmp.path() + QStringLiteral("/service");
        admin = std::make_unique<CLocalServiceAdmin>(dir);
        ASSERT_TRUE(admin->Create());
        Populate(*admin);
    }

    std::unique_ptr<CLocalService> LogOn(const QString& id) {
        auto s = std::make_unique<CLocalService>(dir);
        s->SetHeartbeat(100, 3000);
        s->SetSafetyPollInterval(1000);
        EXPECT_TRUE(s->Logon(id, Password(id))) << s->LastError().EnglishText().toStdString();
        return s;
    }

    QTemporaryDir m_tmp;
    QString dir;
    std::unique_ptr<CLocalServiceAdmin> admin;
};

} // namespace svctest
