// The real program with the messaging core and Letrix.zpm on an X display, with a witness
// plug-in inside it: peer b sends a message to the user; its arrival raises a notice without
// taking the focus, which the witness clicks; the receive window opens, the notice goes, and b
// gets the read receipt. Pictures of the notice and the window at 100 % and 200 %.
#include "LetrixRun.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {


// One reading run at a scale (pictures at 100 % and 200 %).
void ReadThroughTheNotice(int scale) {
    CZeltaRun run(OutDir(), TestDir() + QStringLiteral("fixtures/im/Probe.zpm"));
    ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    const QString log = InstallLetrixWithWitness(run);
    ASSERT_FALSE(log.isEmpty());
    // The built-in tone rings for the arrival, as in an installed program.
    ASSERT_TRUE(QFile::copy(OutDir() + QStringLiteral("plugin/im/MessageArrival.wav"),
                            run.Root() + QStringLiteral("/prog/plugin/im/MessageArrival.wav")));
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_MODE"), QStringLiteral("read"));
    run.Env().insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    // On the test's X display, where a window that must not take the focus can be seen not to.
    run.Env().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    ASSERT_TRUE(run.Start());
    ASSERT_FALSE(
        run.WaitForProbe({QStringLiteral("OnLogon"), QStringLiteral("1")}, 30000).isEmpty())
        << run.ProbeLines().join(u'\n').toStdString();

    // b sends, then waits for the read receipt, which only opening the message produces.
    int code = -1;
    const QList<QJsonObject> events =
        run.Peer(QStringLiteral("b"),
                 {QStringLiteral("send --to a --subject 会議室の変更 --id e2e-read-1 --body "
                                 "'本日の会議は 3 階の第二会議室です。'"),
                  QStringLiteral("wait receipt --kind 1 --timeout 40")},
                 &code);
    const QString steps = CZeltaRun::FileLines(log).join(u'\n');
    ASSERT_EQ(code, 0) << steps.toStdString();
    QJsonObject receipt;
    for (const QJsonObject& e : events)
        if (e.value(QStringLiteral("event")).toString() == QStringLiteral("receipt") &&
            e.value(QStringLiteral("kind")).toInt() == 1)
            receipt = e;
    ASSERT_FALSE(receipt.isEmpty()) << steps.toStdString();
    EXPECT_EQ(receipt.value(QStringLiteral("member")).toString(), QStringLiteral("a"));
    EXPECT_EQ(receipt.value(QStringLiteral("message")).toString(), QStringLiteral("e2e-read-1"));

    const QString closed = CZeltaRun::WaitForLine(log, QStringLiteral("closed\t"), 20000);
    const QString all = CZeltaRun::FileLines(log).join(u'\n');
    EXPECT_EQ(closed, QStringLiteral("closed\t1")) << all.toStdString();
    // The notice: caption, subject and sender, shown without taking the focus.
    EXPECT_TRUE(all.contains(QStringLiteral("notice\t新着メッセージ\t")) &&
                all.contains(QStringLiteral("会議室の変更")) &&
                all.contains(QStringLiteral("Fam-b")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QRegularExpression(QStringLiteral("notice\t[^\n]*\t0(\n|$)"))))
        << all.toStdString();
    // The receive window with the message; the notice is gone.
    EXPECT_TRUE(all.contains(QStringLiteral("opened\t会議室の変更\t")) &&
                all.contains(QStringLiteral("本日の会議は 3 階の第二会議室です。\t0")))
        << all.toStdString();
}

TEST(LetrixReading, PeersMessageRaisesANoticeAndOpeningItSendsTheReadReceipt) {
    ReadThroughTheNotice(1);
}

TEST(LetrixReading, AtDoubleScale) {
    ReadThroughTheNotice(2);
}

} // namespace
