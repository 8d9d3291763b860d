// The real program in a temporary program directory with a temporary home: start-up,
// shutdown, the second instance and the start without core modules.
#include "host/TaskTrayWire.h"
#include "host/tests/HostTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ZeltaRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_prog.IsValid() && m_home.isValid());
        ASSERT_TRUE(m_prog.AddFromOut("Zelta"));
        ASSERT_TRUE(m_prog.AddFromOut("lang/Japanese.so"));
        ASSERT_TRUE(QDir().mkpath(Runtime()));
        QFile::setPermissions(Runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("HOME", m_home.path() + "/home");
        m_env.insert("XDG_DATA_HOME", m_home.path() + "/data");
        m_env.insert("XDG_RUNTIME_DIR", Runtime());
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void AddProvider() {
        ASSERT_TRUE(m_prog.AddFromOut("plugin/Settings.so"));
        ASSERT_TRUE(m_prog.AddFromOut("appdata.ini"));
    }
    QString Runtime() const { return m_home.path() + "/run"; }
    QString UserDir() const { return m_home.path() + "/data/Tovar/"; }
    void Start(QProcess& process) {
        process.setProcessEnvironment(m_env);
        process.start(m_prog.Root() + "Zelta", {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    // The texts of the core log's records, oldest first.
    QStringList CoreLog() const {
        QByteArray bytes;
        for (const QString& name :
             QDir(UserDir() + "log").entryList({"*_core.log"}, QDir::Files, QDir::Name)) {
            QFile file(UserDir() + "log/" + name);
            if (file.open(QIODevice::ReadOnly))
                bytes += file.readAll();
        }
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        QStringList records;
        for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
            records.append(line.mid(21)); // after the bracketed time
        return records;
    }

    CTestProgramDir m_prog;
    QTemporaryDir m_home;
    QProcessEnvironment m_env;
};

TEST_F(ZeltaRun, StartsPreTranslatesAndShutsDownInOrderWhileASecondStartOnlyActivatesIt) {
    AddProvider();
    ASSERT_TRUE(m_prog.AddFixture("FixtureCore", "Zfix.so", {"type=4", "announce=1"}));
    QLocalServer tray;
    ASSERT_TRUE(tray.listen(Runtime() + "/" + ZeltaTaskTray::ServerName));

    QProcess first;
    Start(first);
    QByteArray out;
    auto startedAndPreTranslated = [&out] {
        return out.contains("ZELTA-FIXTURE-STARTED") && out.contains("ZELTA-FIXTURE-PRETRANSLATED");
    };
    while (!startedAndPreTranslated() && first.waitForReadyRead(20000))
        out += first.readAllStandardOutput();
    // The module's own event was offered to it before delivery.
    ASSERT_TRUE(startedAndPreTranslated()) << first.readAllStandardError().data();
    const QStringList before = CoreLog();

    QProcess second;
    Start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(tray.waitForNewConnection(5000));
    QLocalSocket* peer = tray.nextPendingConnection();
    QByteArray message = peer->readAll();
    while (message.size() < ZeltaTaskTray::MessageBytes && peer->waitForReadyRead(5000))
        message += peer->readAll();
    EXPECT_EQ(message, ZeltaTaskTray::encode(0x9000, 0x201));
    EXPECT_EQ(CoreLog(), before);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty()); // no module was loaded

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(CoreLog(), (QStringList{
                             "NOTICE    :Starting Zelta",
                             "NOTICE    :" + m_prog.PluginDir() + "Settings.so Loaded.",
                             "NOTICE    :" + m_prog.PluginDir() + "Zfix.so Loaded.",
                             "NOTICE    :Zelta will die.",
                             "NOTICE    :Zelta is terminated.",
                         }));
    EXPECT_FALSE(QFile::exists(Runtime() + "/VELTRANE")); // released
}

TEST_F(ZeltaRun, AModuleEndsTheSessionThroughKill) {
    AddProvider();
    ASSERT_TRUE(m_prog.AddFixture("FixtureCore", "Zfix.so", {"type=5", "killOnStart=1"}));
    QProcess zelta;
    Start(zelta);
    ASSERT_TRUE(zelta.waitForFinished(20000));
    EXPECT_EQ(zelta.exitCode(), 0);
    const QStringList log = CoreLog();
    ASSERT_EQ(log.size(), 5);
    EXPECT_EQ(log.last(), "NOTICE    :Zelta is terminated.");
}

TEST_F(ZeltaRun, WithoutCoreModulesItLogsAnErrorTellsTheUserAndFails) {
    QProcess zelta;
    Start(zelta);
    ASSERT_TRUE(zelta.waitForFinished(20000));
    EXPECT_NE(zelta.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(zelta.readAllStandardError()).contains("コアモジュール"));
    EXPECT_EQ(CoreLog(), (QStringList{
                             "NOTICE    :Starting Zelta",
                             "ERROR     :No core module was found in " + m_prog.PluginDir(),
                             "NOTICE    :Zelta is terminated.",
                         }));
}

} // namespace
