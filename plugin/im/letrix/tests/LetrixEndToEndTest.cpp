// The real program with the messaging core and Letrix.zpm: a witness plug-in inside it opens
// a compose window to member b with a file, adds c as Cc and d as Bcc and sends. The peers b
// and d, acting through zeltactl, receive subject, body, the Cc and the file; b does not see
// the Bcc.
#include "LetrixRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {


QJsonObject MessageEvent(const QList<QJsonObject>& events) {
    for (const QJsonObject& e : events)
        if (e.value(QStringLiteral("event")).toString() == QStringLiteral("message"))
            return e;
    return {};
}

QStringList Strings(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& s : v.toArray())
        out << s.toString();
    return out;
}

TEST(LetrixEndToEnd, MessageWithCcBccAndFileReachesThePeers) {
    CZeltaRun run(OutDir(), TestDir() + QStringLiteral("fixtures/im/Probe.zpm"));
    ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    const QString log = InstallLetrixWithWitness(run);
    ASSERT_FALSE(log.isEmpty());

    const QString attachment = run.Root() + QStringLiteral("/議事録 12月.txt");
    const QByteArray content = QByteArray("minutes\n") + QByteArray(5000, 'z');
    QFile f(attachment);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_FILE"), attachment);
    ASSERT_TRUE(run.Start());

    const QString closed = CZeltaRun::WaitForLine(log, QStringLiteral("closed\t"), 30000);
    const QString steps = CZeltaRun::FileLines(log).join(u'\n');
    ASSERT_EQ(closed, QStringLiteral("closed\t1")) << steps.toStdString();
    EXPECT_TRUE(steps.contains(QStringLiteral("opened\tFam-b [b]\t1"))) << steps.toStdString();
    EXPECT_TRUE(steps.contains(QStringLiteral("send\t1"))) << steps.toStdString();

    QTemporaryDir files;
    int code = -1;
    const QJsonObject atB = MessageEvent(run.Peer(
        QStringLiteral("b"),
        {QStringLiteral("--files"), files.path(), QStringLiteral("wait message --timeout 30")},
        &code));
    ASSERT_EQ(code, 0);
    ASSERT_FALSE(atB.isEmpty());
    EXPECT_EQ(atB.value(QStringLiteral("subject")).toString(), QStringLiteral("資料の送付"));
    EXPECT_EQ(atB.value(QStringLiteral("from")).toString(), QStringLiteral("a"));
    EXPECT_EQ(atB.value(QStringLiteral("priority")).toInt(), 1);
    EXPECT_EQ(Strings(atB.value(QStringLiteral("to"))), QStringList({QStringLiteral("b")}));
    EXPECT_EQ(Strings(atB.value(QStringLiteral("cc"))), QStringList({QStringLiteral("c")}));
    EXPECT_TRUE(Strings(atB.value(QStringLiteral("bcc"))).isEmpty());
    const QString body = atB.value(QStringLiteral("body")).toString();
    EXPECT_TRUE(
        body.contains(QStringLiteral("お疲れさまです。<BR>資料 &lt;最新版&gt; を送ります。")))
        << body.toStdString();
    EXPECT_FALSE(body.contains(QStringLiteral("Fam-d"))) << body.toStdString();
    const QJsonArray attached = atB.value(QStringLiteral("attachments")).toArray();
    ASSERT_EQ(attached.size(), 1);
    EXPECT_EQ(attached[0].toObject().value(QStringLiteral("name")).toString(),
              QStringLiteral("議事録 12月.txt"));
    QFile received(attached[0].toObject().value(QStringLiteral("file")).toString());
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    EXPECT_EQ(received.readAll(), content);

    // The Bcc member gets the message too and learns of no other blind copy.
    const QJsonObject atD = MessageEvent(
        run.Peer(QStringLiteral("d"), {QStringLiteral("wait message --timeout 30")}, &code));
    ASSERT_EQ(code, 0);
    EXPECT_EQ(atD.value(QStringLiteral("subject")).toString(), QStringLiteral("資料の送付"));
    EXPECT_EQ(Strings(atD.value(QStringLiteral("bcc"))), QStringList({QStringLiteral("d")}));
}

} // namespace
