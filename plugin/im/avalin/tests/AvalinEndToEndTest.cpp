// The real program with the messaging core, Avalin.zpm and a witness plug-in that reports the
// IM window's member tree; other members act through zeltactl. The witness also keeps
// pictures of the window and its dialogs at 100 % and 200 % in <test dir>/artifacts.
#include "kernova/service/CLocalServiceAdmin.h"
#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/';
}
QString TestDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + u'/';
}
QString Artifacts() {
    return TestDir() + QStringLiteral("artifacts");
}

class AvalinEndToEnd : public ::testing::Test {
protected:
    // A run with the user "a" in "Group 1" (a .. d) and "開発部" (a, b), at a scale factor.
    void Prepare(const QString& scale) {
        m_run = std::make_unique<CZeltaRun>(OutDir(), TestDir() + u"fixtures/im/Probe.zpm"_qs);
        ASSERT_TRUE(m_run->SetupError().isEmpty()) << m_run->SetupError().toStdString();
        const QString plugins = m_run->Root() + u"/prog/plugin/im/"_qs;
        for (const QString& file : {u"Avalin.zpm"_qs, u"status.bmp"_qs, u"status@2x.bmp"_qs})
            ASSERT_TRUE(QFile::copy(OutDir() + u"plugin/im/"_qs + file, plugins + file))
                << file.toStdString();
        ASSERT_TRUE(QFile::copy(TestDir() + u"fixtures/avalin/AvalinWitness.zpm"_qs,
                                plugins + u"AvalinWitness.zpm"_qs));

        CLocalServiceAdmin admin(m_run->ServiceDir());
        ASSERT_TRUE(admin.Open());
        ASSERT_TRUE(admin.AddGroup({u"g2"_qs, {}, u"開発部"_qs, 1, {}}));
        ASSERT_TRUE(admin.AddMembership(u"g2"_qs, u"a"_qs, 0, u"a"_qs));
        ASSERT_TRUE(admin.AddMembership(u"g2"_qs, u"b"_qs, 0, u"北村(開発)"_qs));

        m_witnessLog = m_run->Root() + u"/witness.log"_qs;
        m_trigger = m_run->Root() + u"/shoot"_qs;
        QDir().mkpath(Artifacts());
        QProcessEnvironment& env = m_run->Env();
        env.insert(u"ZELTA_PROBE_MODULE"_qs, u"9"_qs); // the probe only watches
        env.insert(u"ZELTA_WITNESS_LOG"_qs, m_witnessLog);
        env.insert(u"ZELTA_WITNESS_SHOTS"_qs, Artifacts());
        env.insert(u"ZELTA_WITNESS_TRIGGER"_qs, m_trigger);
        env.insert(u"QT_SCALE_FACTOR"_qs, scale);
    }
    void TearDown() override {
        for (QProcess* peer : {&m_peerC, &m_peerD}) {
            peer->closeWriteChannel();
            if (!peer->waitForFinished(10000))
                peer->kill();
        }
        m_run.reset();
    }

    // The first member-tree snapshot holding every text, waiting for it; empty on time-out.
    QString WaitForRows(const QStringList& texts, int ms = 30000) {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& line : CZeltaRun::FileLines(m_witnessLog)) {
                    bool all = line.startsWith(u"rows\t"_qs);
                    for (const QString& text : texts)
                        all = all && line.contains(text);
                    if (all) {
                        found = line;
                        return true;
                    }
                }
                return false;
            },
            ms);
        return found;
    }
    // What the program said, for a failure message.
    std::string Diagnosis() const {
        QFile err(m_run->Root() + u"/zelta.err"_qs);
        (void)err.open(QIODevice::ReadOnly);
        return (u"probe:\n"_qs + m_run->ProbeLines().join(u'\n') + u"\nerrors:\n"_qs +
                QString::fromUtf8(err.readAll().right(3000)) + u"\nwitness:\n"_qs +
                CZeltaRun::FileLines(m_witnessLog).join(u'\n') + Logs())
            .toStdString();
    }
    QString Logs() const {
        QString text;
        const QDir dir(m_run->UserDir() + u"log"_qs);
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile log(dir.filePath(name));
            if (log.open(QIODevice::ReadOnly))
                text +=
                    u"\n"_qs + name + u":\n"_qs +
                    QString::fromUtf16(reinterpret_cast<const char16_t*>(log.readAll().constData()),
                                       log.size() / 2)
                        .right(3000);
        }
        return text;
    }
    QString LastRows() const {
        QString last;
        for (const QString& line : CZeltaRun::FileLines(m_witnessLog))
            last = line.startsWith(u"rows\t"_qs) ? line : last;
        return last;
    }

    // Two members stay on line, one with a web address as status, for the pictures.
    void StartPeers() {
        ASSERT_TRUE(m_run->StartPeer(m_peerC, u"c"_qs));
        ASSERT_TRUE(m_run->StartPeer(m_peerD, u"d"_qs));
        m_peerC.write("status https://www.tovar.example/status\n");
        m_peerD.write("status 外出中（15時戻り）\n");
        ASSERT_FALSE(WaitForRows({u"1,Fam-c,https://www.tovar.example/status"_qs,
                                  u"1,Fam-d,外出中（15時戻り）"_qs})
                         .isEmpty())
            << LastRows().toStdString();
    }
    void TakePictures() {
        QFile trigger(m_trigger);
        ASSERT_TRUE(trigger.open(QIODevice::WriteOnly));
        trigger.close();
        ASSERT_FALSE(CZeltaRun::WaitForLine(m_witnessLog, u"shots done"_qs, 30000).isEmpty())
            << CZeltaRun::FileLines(m_witnessLog).join(u'\n').toStdString();
    }

    std::unique_ptr<CZeltaRun> m_run;
    QString m_witnessLog;
    QString m_trigger;
    QProcess m_peerC;
    QProcess m_peerD;
};

TEST_F(AvalinEndToEnd, LogOnShowsGroupsAndMembersAndAPeersStatusChangeUpdatesItsRow) {
    Prepare(u"1"_qs);
    ASSERT_TRUE(m_run->Start());
    // The on-line members group first and expanded with the user's own row leading it, then
    // the groups (collapsed until the user opens them).
    const QString rows = WaitForRows({u"0,OnNetMembers,"_qs, u"0,Group 1,"_qs, u"0,開発部,"_qs});
    ASSERT_FALSE(rows.isEmpty()) << Diagnosis();
    EXPECT_TRUE(rows.startsWith(u"rows\t0,OnNetMembers,|2,Fam-a,OnNet"_qs)) << rows.toStdString();

    // b comes on line, changes status and leaves again.
    int code = -1;
    m_run->Peer(u"b"_qs, {u"sleep 1"_qs, u"status 会議中"_qs, u"sleep 2"_qs}, &code);
    ASSERT_EQ(code, 0);
    EXPECT_FALSE(WaitForRows({u"1,Fam-b,OnNet"_qs}).isEmpty()) << LastRows().toStdString();
    EXPECT_FALSE(WaitForRows({u"1,Fam-b,会議中"_qs}).isEmpty()) << LastRows().toStdString();
    (void)QTest::qWaitFor([&] { return !LastRows().contains(u"Fam-b"_qs); }, 20000);
    EXPECT_FALSE(LastRows().contains(u"Fam-b"_qs))
        << "b went off line: " << LastRows().toStdString();

    StartPeers();
    TakePictures();
    const QImage window(Artifacts() + u"/avalin-window@1x.png"_qs);
    EXPECT_GE(window.width(), 300);
    EXPECT_GE(window.height(), 470);
}

TEST_F(AvalinEndToEnd, WindowAndDialogsAtTwiceTheScale) {
    Prepare(u"2"_qs);
    ASSERT_TRUE(m_run->Start());
    ASSERT_FALSE(WaitForRows({u"0,Group 1,"_qs}).isEmpty()) << Diagnosis();
    StartPeers();
    TakePictures();
    const QImage window(Artifacts() + u"/avalin-window@2x.png"_qs);
    EXPECT_GE(window.width(), 600);
    EXPECT_TRUE(QFile::exists(Artifacts() + u"/avalin-status-dialog@2x.png"_qs));
}

} // namespace
