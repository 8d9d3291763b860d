// Two real programs, each with its own home and the probe plug-in, on one private prosody:
// selected through ZELTA_SERVICE, they exchange a message and both of its receipts.
#include "XmppTestSupport.h"
#include "tests/support/CZeltaRun.h"

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR");
}
QString ProbePath() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + "/fixtures/im/Probe.zpm";
}

class XmppEndToEnd : public xmpptest::XmppFixture {
protected:
    void Prepare(CZeltaRun& run, const QString& id) {
        ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
        run.Env().remove(QStringLiteral("ZELTA_SERVICE_DIR"));
        run.Env().insert(QStringLiteral("ZELTA_SERVICE"), server.Location().ToString());
        run.Env().insert(QStringLiteral("ZELTA_AUTOLOGON_ID"), id);
        run.Env().insert(QStringLiteral("ZELTA_AUTOLOGON_PASSWORD"), xmpptest::Password(id));
    }

    CZeltaRun atA{OutDir(), ProbePath()};
    CZeltaRun atB{OutDir(), ProbePath()};
};

TEST_F(XmppEndToEnd, TwoProgramsExchangeAMessageAndBothReceipts) {
    Prepare(atA, QStringLiteral("a"));
    Prepare(atB, QStringLiteral("b"));
    atB.Env().insert(QStringLiteral("ZELTA_PROBE_READ"), QStringLiteral("1"));
    ASSERT_TRUE(atB.Start());
    ASSERT_FALSE(atB.WaitForProbe({"OnLogon", "1"}).isEmpty())
        << atB.ProbeLines().join('\n').toStdString();

    atA.Env().insert(QStringLiteral("ZELTA_PROBE_SEND"), QStringLiteral("b|||ネットワーク|本文"));
    ASSERT_TRUE(atA.Start());
    ASSERT_FALSE(atA.WaitForProbe({"OnLogon", "1"}).isEmpty())
        << atA.ProbeLines().join('\n').toStdString();
    const QString sent = atA.WaitForProbe({"SendMessage", "1"});
    ASSERT_FALSE(sent.isEmpty()) << atA.ProbeLines().join('\n').toStdString();
    const QString id = sent.section(u'\t', 2);

    EXPECT_FALSE(atB.WaitForProbe({"GetMessage", id, "1", "ネットワーク", "a"}).isEmpty())
        << atB.ProbeLines().join('\n').toStdString();
    EXPECT_FALSE(atB.WaitForProbe({"SetReadMessage", id, "1"}).isEmpty());
    EXPECT_TRUE(QFile::exists(atB.UserDir() + "account/b/message/recv/" + id + ".zmf"));
    EXPECT_FALSE(atA.WaitForProbe({"OnRecvNotify", "0", id, "b"}).isEmpty())
        << atA.ProbeLines().join('\n').toStdString();
    EXPECT_FALSE(atA.WaitForProbe({"OnRecvNotify", "1", id, "b"}).isEmpty());
    // Each sees the other come on line.
    EXPECT_FALSE(atB.WaitForProbe({"OnChangeMemPresence", "all", "a", "off"}).isEmpty());
    atA.Stop();
    atB.Stop();
}

} // namespace
