// The real program with the messaging core, Trovane.zpm and a witness plug-in (which shows the
// message box and reads it as a user would); another member sends through zeltactl. The box
// of member a starts with a user folder and a condition that files messages whose subject
// holds "【案件】" into it. The witness keeps pictures of the window in <test dir>/artifacts.
#include "tests/support/CZeltaRun.h"
#include "plugin/im/trovane/CTrovaneSettingsFiles.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <memory>

using namespace TrovaneBox;

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/';
}
QString TestDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + u'/';
}

bool WritePrivate(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

} // namespace

TEST(TrovaneEndToEnd, AFiledMessageShowsBoldWithItsCountAndReadingItLowersTheCount) {
    CZeltaRun run(OutDir(), TestDir() + u"fixtures/im/Probe.zpm"_qs);
    ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    const QString plugins = run.Root() + u"/prog/plugin/im/"_qs;
    ASSERT_TRUE(QFile::copy(OutDir() + u"plugin/im/Trovane.zpm"_qs, plugins + u"Trovane.zpm"_qs));
    ASSERT_TRUE(QFile::copy(TestDir() + u"fixtures/trovane/TrovaneWitness.zpm"_qs,
                            plugins + u"TrovaneWitness.zpm"_qs));

    // Member a's box: the system folders, folder 16 "案件" below the received folder, and the
    // condition that files into it.
    CTrovaneStore store;
    CTrovaneSettingsFiles::CreateSystemFolders(store);
    CTrovaneFolder folder;
    folder.nID = 16;
    folder.nParentID = ReceivedFolder;
    folder.nFlags = ListsReceived;
    folder.strName = u"案件"_qs;
    ASSERT_NE(store.AddFolder(folder), nullptr);
    CTrovaneTransCondList conditions;
    CTrovaneTransCond condition;
    condition.nScope = CTrovaneTransCond::ScopeSubject;
    condition.strKeyword = u"【案件】"_qs;
    condition.nFolder = 16;
    conditions.Append(condition);
    const QString data = run.UserDir() + u"account/a/im/6/data/"_qs;
    ASSERT_TRUE(WritePrivate(data + u"MesboxTREESet.zin"_qs, CTrovaneSettingsFiles::WriteTree(store)));
    ASSERT_TRUE(
        WritePrivate(data + u"MesboxTRANSet.zin"_qs, CTrovaneSettingsFiles::WriteConditions(conditions)));
    for (const QString& dir : {run.UserDir() + u"account/a/im/6"_qs, run.UserDir() + u"account/a/im"_qs,
                               run.UserDir() + u"account/a"_qs, run.UserDir() + u"account"_qs, data})
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString log = run.Root() + u"/witness.log"_qs;
    const QString shots = TestDir() + u"artifacts"_qs;
    QDir().mkpath(shots);
    run.Env().insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
    run.Env().insert(u"ZELTA_WITNESS_LOG"_qs, log);
    run.Env().insert(u"ZELTA_WITNESS_SHOTS"_qs, shots);
    run.Env().insert(u"ZELTA_WITNESS_FOLDER"_qs, u"16"_qs);
    ASSERT_TRUE(run.Start());
    auto diagnosis = [&] {
        return (CZeltaRun::FileLines(log).join(u'\n') + u"\n--\n"_qs +
                run.ProbeLines().join(u'\n'))
            .toStdString();
    };
    ASSERT_FALSE(CZeltaRun::WaitForLine(log, u"shown\t1"_qs, 30000).isEmpty()) << diagnosis();
    ASSERT_FALSE(CZeltaRun::WaitForLine(log, u"folder\t16\t0\t0"_qs, 10000).isEmpty())
        << diagnosis();

    int code = -1;
    run.Peer(u"b"_qs,
             {u"send --to a --subject 【案件】見積もりの件 --body ご確認ください。 --id e2e-t1"_qs},
             &code);
    ASSERT_EQ(code, 0);
    // Filed into the user folder: bold with "(1)"; the witness then selects it, and the core's
    // report of the read mark takes the count back to 0.
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, u"folder\t16\t1\t1"_qs, 30000).isEmpty())
        << diagnosis();
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, u"opened\t【案件】見積もりの件"_qs, 10000).isEmpty())
        << diagnosis();
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, u"folder\t16\t0\t0"_qs, 1).isEmpty());
    EXPECT_FALSE(CZeltaRun::WaitForLine(log, u"read"_qs, 30000).isEmpty()) << diagnosis();
    const QStringList states = CZeltaRun::FileLines(log).filter(u"folder\t"_qs);
    ASSERT_GE(states.size(), 3);
    EXPECT_EQ(states.last(), u"folder\t16\t0\t0"_qs) << diagnosis();

    // The sender learns that a read it.
    const QList<QJsonObject> events =
        run.Peer(u"b"_qs, {u"wait receipt --timeout 20"_qs, u"sleep 1"_qs}, &code);
    bool read = false;
    QStringList seen;
    for (const QJsonObject& e : events) {
        seen << QString::fromUtf8(QJsonDocument(e).toJson(QJsonDocument::Compact));
        // Kind 1 is the read receipt (0: received).
        read = read || (e.value(u"event"_qs).toString() == u"receipt"_qs &&
                        e.value(u"message"_qs).toString() == u"e2e-t1"_qs &&
                        e.value(u"kind"_qs).toInt() == 1);
    }
    EXPECT_TRUE(read) << seen.join(u'\n').toStdString();
}
