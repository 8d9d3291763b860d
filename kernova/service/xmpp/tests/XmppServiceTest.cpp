// The XMPP service against a real prosody: what only the network back end has (TLS and
// certificates, the stream's life, foreign stanzas). Behaviour both back ends share is in the
// contract suite.
#include "XmppTestSupport.h"

using namespace xmpptest;

namespace {

class XmppServiceTest : public XmppFixture {};

TEST_F(XmppServiceTest, LogsOnOverTlsWithScramAndReadsTheDirectory) {
    auto a = LogOn(QStringLiteral("a"));
    ASSERT_TRUE(a->IsLoggedOn());
    EXPECT_EQ(a->GetUserID(), QStringLiteral("a"));
    EXPECT_EQ(a->GetMembers().size(), 4);
    const QList<SvcGroup> groups = a->GetGroups();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].id, QStringLiteral("g1"));
    EXPECT_EQ(groups[1].parentId, QStringLiteral("g1"));
    EXPECT_EQ(a->GetMemberships(QStringLiteral("g2")).size(), 2);
    const QString log = server.Log();
    // The test server offers SCRAM alone, so the password never crossed in clear.
    EXPECT_TRUE(log.contains(QStringLiteral("Stream encrypted"))) << log.toStdString();
    a->Logoff();
    EXPECT_FALSE(a->IsLoggedOn());
}

} // namespace
