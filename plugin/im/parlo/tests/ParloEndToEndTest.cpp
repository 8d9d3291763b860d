// The real program with the messaging core and Parlo.zpm, at 100 % and at 200 %: a witness
// plug-in inside it starts a chat with member b, who joins through zeltactl; both talk with
// formatting, b leaves, the window closes itself after the (shortened) alone time-out and
// the log is saved into a folder. The saved log is read with unrtf; c's invitation shows a
// window that the witness declines, and d's invitation is accepted and its chat left.
#include "plugin/im/parlo/tests/ParloRtfText.h"
#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/';
}
QString TestDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + u'/';
}

QList<QJsonObject> Events(const QList<QJsonObject>& events, const QString& name) {
    QList<QJsonObject> out;
    for (const QJsonObject& e : events)
        if (e.value(QStringLiteral("event")).toString() == name)
            out << e;
    return out;
}

class ParloEndToEnd : public ::testing::TestWithParam<int> {};

TEST_P(ParloEndToEnd, ChatWithAPeerFromInvitationToTheSavedLog) {
    const int scale = GetParam();
    CZeltaRun run(OutDir(), TestDir() + QStringLiteral("fixtures/im/Probe.zpm"));
    ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    const QString plugins = run.Root() + QStringLiteral("/prog/plugin/im/");
    ASSERT_TRUE(QFile::copy(OutDir() + QStringLiteral("plugin/im/Parlo.zpm"),
                            plugins + QStringLiteral("Parlo.zpm")));
    ASSERT_TRUE(QFile::copy(TestDir() + QStringLiteral("fixtures/parlo/ParloWitness.zpm"),
                            plugins + QStringLiteral("ParloWitness.zpm")));
    const QString log = run.Root() + QStringLiteral("/witness.log");
    const QString logDir = run.Root() + QStringLiteral("/議事録");
    const QString shots = TestDir() + QStringLiteral("artifacts");
    QDir().mkpath(shots);
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_LOG"), log);
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_LOGDIR"), logDir);
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_SHOTS"), shots);
    run.Env().insert(QStringLiteral("ZELTA_WITNESS_SCALE"), QString::number(scale));
    run.Env().insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    ASSERT_TRUE(run.Start());

    int code = -1;
    const QList<QJsonObject> atB = run.Peer(
        QStringLiteral("b"),
        {QStringLiteral("wait chat-invite --timeout 30"), QStringLiteral("chat-join"),
         QStringLiteral("wait chat --type 0 --member a --timeout 30"),
         QStringLiteral("chat-talk '<BODY><FONT face=\"Serif\" size=\"5\" color=\"#0000FF\" "
                        "style=\"BACKGROUND-COLOR: #FFFFFF\">日本語の返事</FONT>です</BODY>'"),
         QStringLiteral("sleep 1.5"), QStringLiteral("chat-leave")},
        &code);
    const QString steps = [&] { return CZeltaRun::FileLines(log).join(u'\n'); }();
    ASSERT_EQ(code, 0) << steps.toStdString();
    const QList<QJsonObject> invites = Events(atB, QStringLiteral("chat-invite"));
    ASSERT_EQ(invites.size(), 1);
    EXPECT_EQ(invites[0].value(QStringLiteral("inviter")).toString(), QStringLiteral("a"));

    // What b received of a's talk: the two lines with their formats, marks escaped.
    QString talk;
    for (const QJsonObject& e : Events(atB, QStringLiteral("chat")))
        if (e.value(QStringLiteral("type")).toInt() == 0 &&
            e.value(QStringLiteral("member")).toString() == QStringLiteral("a"))
            talk = e.value(QStringLiteral("text")).toString();
    EXPECT_TRUE(talk.startsWith(QStringLiteral("<BODY>"))) << talk.toStdString();
    EXPECT_TRUE(talk.contains(QStringLiteral("color=\"#FF0000\""))) << talk.toStdString();
    EXPECT_TRUE(talk.contains(QStringLiteral("size=\"5\""))) << talk.toStdString();
    EXPECT_TRUE(talk.contains(QStringLiteral("こんにちは、&lt;皆さん&gt;"))) << talk.toStdString();
    EXPECT_TRUE(talk.contains(QStringLiteral("\n"))) << "the second line" << talk.toStdString();
    EXPECT_TRUE(talk.contains(QStringLiteral("二行目です"))) << talk.toStdString();

    // The window closes by itself once a is alone for the shortened time-out.
    ASSERT_FALSE(CZeltaRun::WaitForLine(log, QStringLiteral("closed"), 30000).isEmpty())
        << CZeltaRun::FileLines(log).join(u'\n').toStdString();
    const QStringList lines = CZeltaRun::FileLines(log);
    EXPECT_TRUE(lines.contains(QStringLiteral("opened\t1"))) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("sent\t1"))) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("answered\t2"))) << lines.join(u'\n').toStdString();

    // The saved log, read by a reader nobody here wrote.
    const QStringList saved = QDir(logDir).entryList({QStringLiteral("*.doc")}, QDir::Files);
    ASSERT_EQ(saved.size(), 1) << saved.join(u' ').toStdString();
    EXPECT_TRUE(saved[0].endsWith(QStringLiteral("_Fam-a_Fam-b.doc"))) << saved[0].toStdString();
    if (HaveUnrtf()) {
        const QString text = UnrtfText(logDir + u'/' + saved[0]);
        for (const QString& expected :
             {QStringLiteral("[開始日時]"), QStringLiteral("[参加者]"),
              QStringLiteral("Fam-a,Fam-b"), QStringLiteral("Fam-a:"),
              QStringLiteral("こんにちは、<皆さん>"), QStringLiteral("二行目です"),
              QStringLiteral("Fam-b:"), QStringLiteral("日本語の返事です")})
            EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                                 << text.toStdString();
    }

    // An invitation from c: its window shows, and the witness declines it.
    const QList<QJsonObject> atC =
        run.Peer(QStringLiteral("c"),
                 {QStringLiteral("chat-create"), QStringLiteral("chat-invite a"),
                  QStringLiteral("wait chat --type 4 --member a --timeout 30")},
                 &code);
    EXPECT_EQ(code, 0) << CZeltaRun::FileLines(log).join(u'\n').toStdString();
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, QStringLiteral("declined"), 10000).isEmpty());
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, QStringLiteral("options"), 10000).isEmpty())
        << CZeltaRun::FileLines(log).join(u'\n').toStdString();

    // d's invitation is accepted: a joins, hears d, and leaves by closing the window.
    const QList<QJsonObject> atD =
        run.Peer(QStringLiteral("d"),
                 {QStringLiteral("chat-create"), QStringLiteral("chat-invite a"),
                  QStringLiteral("wait chat --type 2 --member a --timeout 30"),
                  QStringLiteral("chat-talk dからの発言"),
                  QStringLiteral("wait chat --type 3 --member a --timeout 30")},
                 &code);
    EXPECT_EQ(code, 0) << CZeltaRun::FileLines(log).join(u'\n').toStdString();
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, QStringLiteral("left\t1"), 10000).isEmpty())
        << CZeltaRun::FileLines(log).join(u'\n').toStdString();
    EXPECT_TRUE(CZeltaRun::FileLines(log).contains(QStringLiteral("joined\t2")))
        << CZeltaRun::FileLines(log).join(u'\n').toStdString();
    EXPECT_EQ(QDir(logDir).entryList({QStringLiteral("*_Fam-d_Fam-a.doc")}, QDir::Files).size(), 1)
        << QDir(logDir).entryList(QDir::Files).join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scales, ParloEndToEnd, ::testing::Values(1, 2),
                         [](const auto& info) { return "Scale" + std::to_string(info.param); });

} // namespace
