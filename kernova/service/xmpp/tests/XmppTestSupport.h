// Shared set-up for tests against a private prosody: a fresh server per test with the accounts
// a, b, c, d and the directory the local service tests use (g1: a, b, c; its sub-group g2:
// c, d), published by the administrator.
#pragma once

#include "kernova/service/tests/ServiceTestSupport.h"
#include "kernova/service/xmpp/CXmppAdmin.h"
#include "kernova/service/xmpp/CXmppService.h"
#include "kernova/service/xmpp/testing/CProsodyServer.h"

// Readable ids in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace xmpptest {

using svctest::Password;

inline QList<std::pair<QString, QString>> Accounts(std::initializer_list<const char*> ids) {
    QList<std::pair<QString, QString>> accounts;
    for (const char* id : ids)
        accounts.append({QString::fromLatin1(id), Password(QString::fromLatin1(id))});
    return accounts;
}

inline void Publish(CXmppAdmin& admin) {
    for (const char* id : {"a", "b", "c", "d"}) {
        SvcMember m;
        m.id = QString::fromLatin1(id);
        m.familyName[1] = QStringLiteral("Fam-") + m.id;
        m.firstName[1] = QStringLiteral("Giv");
        ASSERT_TRUE(admin.AddMember(m)) << admin.LastError().EnglishText().toStdString();
    }
    ASSERT_TRUE(admin.AddGroup({QStringLiteral("g1"), {}, QStringLiteral("Group 1"), 0, {}}));
    ASSERT_TRUE(admin.AddGroup(
        {QStringLiteral("g2"), QStringLiteral("g1"), QStringLiteral("Group 2"), 0, {}}));
    for (const char* id : {"a", "b", "c"})
        ASSERT_TRUE(admin.AddMembership(QStringLiteral("g1"), QString::fromLatin1(id), 0));
    for (const char* id : {"c", "d"})
        ASSERT_TRUE(admin.AddMembership(QStringLiteral("g2"), QString::fromLatin1(id), 1));
}

class XmppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CProsodyServer::Available())
            << "prosody, prosodyctl and openssl are needed (scripts/bootstrap.sh installs them)";
        ASSERT_TRUE(m_state.isValid());
        ASSERT_TRUE(server.Start(options)) << server.Error().toStdString();
        for (const char* id : {"a", "b", "c", "d"})
            ASSERT_TRUE(
                server.AddAccount(QString::fromLatin1(id), Password(QString::fromLatin1(id))))
                << server.Error().toStdString();
        admin = std::make_unique<CXmppAdmin>(server.Location());
        ASSERT_TRUE(admin->Connect(server.AdminId(), server.AdminPassword()))
            << admin->LastError().EnglishText().toStdString();
        Publish(*admin);
    }

    void TearDown() override {
        admin.reset();
        server.Stop();
    }

    // stateDir: where the member's client keeps its state; one per simulated machine.
    std::unique_ptr<CXmppService> Client(const QString& machine = QStringLiteral("pc")) {
        return std::make_unique<CXmppService>(server.Location(), m_state.filePath(machine));
    }

    std::unique_ptr<CXmppService> LogOn(const QString& id) {
        auto s = Client(id);
        EXPECT_TRUE(s->Logon(id, Password(id))) << s->LastError().EnglishText().toStdString();
        return s;
    }

    CProsodyServer::Options options;
    CProsodyServer server;
    std::unique_ptr<CXmppAdmin> admin;
    QTemporaryDir m_state;
};

} // namespace xmpptest
