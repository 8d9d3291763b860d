// The real program with the messaging core, Avalin.zpm and a witness plug-in that reports the
// IM window's member tree; other members act through zeltactl. The witness also keeps
// pictures of the window and its dialogs at 100 % and 200 % in <test dir>/artifacts.
#include "kernova/service/CLocalServiceAdmin.h"
#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
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
        for (const QString& file :
             {u"Avalin.zpm"_qs, u"AvalinH.so"_qs, u"Preset.zin"_qs, u"status.bmp"_qs,
              u"status@2x.bmp"_qs})
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
        m_readTrigger = m_run->Root() + u"/read"_qs;
        QDir().mkpath(Artifacts());
        QProcessEnvironment& env = m_run->Env();
        env.insert(u"ZELTA_PROBE_MODULE"_qs, u"9"_qs); // the probe only watches
        env.insert(u"ZELTA_WITNESS_LOG"_qs, m_witnessLog);
        env.insert(u"ZELTA_WITNESS_SHOTS"_qs, Artifacts());
        env.insert(u"ZELTA_WITNESS_TRIGGER"_qs, m_trigger);
        env.insert(u"ZELTA_WITNESS_READ"_qs, m_readTrigger);
        env.insert(u"QT_SCALE_FACTOR"_qs, scale);
    }
    // Settings of the presence plug-in as the user left them, before the program starts: the
    // core keeps module 1's section S in the section "IM/S" of settings/Set/1.ini.
    void WriteSettings(const QByteArray& ini) {
        const QString path = m_run->UserDir() + u"settings/Set/1.ini"_qs;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    // The last line of the witness that starts with prefix (null when none yet).
    QString LastLine(const QString& prefix) const {
        QString last;
        for (const QString& line : CZeltaRun::FileLines(m_witnessLog))
            last = line.startsWith(prefix) ? line : last;
        return last;
    }
    // Waits until the peer prints an event with these fields.
    bool WaitForPeerEvent(QProcess& peer, const QJsonObject& fields, int ms = 30000) {
        return QTest::qWaitFor(
            [&] {
                m_peerOutput[&peer] += QString::fromUtf8(peer.readAllStandardOutput());
                for (const QString& line : m_peerOutput[&peer].split(u'\n')) {
                    const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
                    bool all = !event.isEmpty();
                    for (auto it = fields.begin(); it != fields.end(); ++it)
                        all = all && event.value(it.key()) == it.value();
                    if (all) {
                        // Consumed: the next wait looks at later events only.
                        m_peerOutput[&peer] = m_peerOutput[&peer].mid(
                            m_peerOutput[&peer].indexOf(line) + line.size());
                        return true;
                    }
                }
                return false;
            },
            ms);
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
                CZeltaRun::FileLines(m_witnessLog).join(u'\n') + Logs() + Settings())
            .toStdString();
    }
    // The settings files of the run, as the program left them.
    QString Settings() const {
        QString text;
        QDirIterator it(m_run->UserDir() + u"settings"_qs, {u"*.ini"_qs}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile ini(it.next());
            if (ini.open(QIODevice::ReadOnly))
                text += u"\n"_qs + ini.fileName() + u":\n"_qs + QString::fromUtf8(ini.readAll());
        }
        return text;
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
        // Something in the new-message list: one read-worthy, one urgent.
        m_peerC.write("send --to a --subject 来週の定例会議について --id shot-1\n");
        m_peerD.write("send --to a --subject 【至急】見積書の確認 --priority 1 --id shot-2\n");
        ASSERT_FALSE(WaitForRows({u"1,Fam-c,https://www.tovar.example/status"_qs,
                                  u"1,Fam-d,外出中（15時戻り）"_qs})
                         .isEmpty())
            << LastRows().toStdString();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return LastLine(u"new\t"_qs).count(u'|') == 1; }, 20000))
            << LastLine(u"new\t"_qs).toStdString();
    }
    void TakePictures() {
        // Pictures of an earlier run must not pass for this one's.
        const QDir artifacts(Artifacts());
        for (const QString& old : artifacts.entryList(
                 {u"avalin-*@"_qs + m_run->Env().value(u"QT_SCALE_FACTOR"_qs) + u"x.png"_qs}))
            QFile::remove(artifacts.filePath(old));
        QFile trigger(m_trigger);
        ASSERT_TRUE(trigger.open(QIODevice::WriteOnly));
        trigger.close();
        ASSERT_FALSE(CZeltaRun::WaitForLine(m_witnessLog, u"shots done"_qs, 30000).isEmpty())
            << CZeltaRun::FileLines(m_witnessLog).join(u'\n').toStdString();
    }

    std::unique_ptr<CZeltaRun> m_run;
    QString m_witnessLog;
    QString m_trigger;
    QString m_readTrigger;
    QHash<QProcess*, QString> m_peerOutput;
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
    for (const char* name : {"status-dialog", "new-tab", "sent-tab", "option-general",
                             "option-presence", "member-property", "sound-dialog",
                             "group-property"})
        EXPECT_TRUE(QFile::exists(Artifacts() + u"/avalin-"_qs + QString::fromLatin1(name) +
                                  u"@2x.png"_qs))
            << name;
}

TEST_F(AvalinEndToEnd, APeersMessageIsListedAsNewAndLeavesOnceReadWhenReadOnesAreNotKept) {
    Prepare(u"1"_qs);
    WriteSettings("[IM/NewPage]\nDspUnRead=0\n");
    ASSERT_TRUE(m_run->Start());
    ASSERT_FALSE(WaitForRows({u"0,Group 1,"_qs}).isEmpty()) << Diagnosis();

    int code = -1;
    m_run->Peer(u"c"_qs, {u"send --to a --subject 週報の件 --id e2e-m1"_qs}, &code);
    ASSERT_EQ(code, 0);
    ASSERT_FALSE(CZeltaRun::WaitForLine(m_witnessLog, u"new\t週報の件,"_qs, 30000).isEmpty())
        << Diagnosis();

    // The message module marks it read when the user opens it.
    QFile read(m_readTrigger);
    ASSERT_TRUE(read.open(QIODevice::WriteOnly));
    read.write("e2e-m1");
    read.close();
    ASSERT_FALSE(CZeltaRun::WaitForLine(m_witnessLog, u"read\te2e-m1"_qs, 20000).isEmpty())
        << Diagnosis();
    EXPECT_TRUE(QTest::qWaitFor([&] { return LastLine(u"new\t"_qs) == u"new\t"_qs; }, 10000))
        << LastLine(u"new\t"_qs).toStdString();
}

// Under a real X display: with "Time" 1 and a minute of two seconds the user goes away, a
// key press brings the user back, and another member sees both changes.
TEST_F(AvalinEndToEnd, IdleUserGoesAwayAndAKeyPressBringsTheUserBack) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    Prepare(u"1"_qs);
    WriteSettings("[IM/PresencePage]\nTime=1\nReservation=1\nStatus=昼休み\n");
    m_run->Env().insert(u"ZELTA_AVALIN_MINUTE_MS"_qs, u"2000"_qs);
    m_run->Env().insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
    ASSERT_TRUE(m_run->StartPeer(m_peerC, u"c"_qs));
    ASSERT_TRUE(m_run->Start());
    ASSERT_FALSE(WaitForRows({u"0,Group 1,"_qs}).isEmpty()) << Diagnosis();

    ASSERT_TRUE(WaitForPeerEvent(m_peerC, {{u"event"_qs, u"presence"_qs},
                                           {u"member"_qs, u"a"_qs},
                                           {u"status"_qs, u"昼休み"_qs}}))
        << Diagnosis() << m_peerOutput[&m_peerC].toStdString();

    QProcess xdotool;
    xdotool.start(u"xdotool"_qs, {u"key"_qs, u"shift"_qs});
    ASSERT_TRUE(xdotool.waitForFinished(10000));
    ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
    EXPECT_TRUE(WaitForPeerEvent(m_peerC, {{u"event"_qs, u"presence"_qs},
                                           {u"member"_qs, u"a"_qs},
                                           {u"status"_qs, u"on"_qs}}))
        << Diagnosis() << m_peerOutput[&m_peerC].toStdString();
}

} // namespace
