// The per-user instance lock and the activation message to a running instance.
#include "host/CSingleInstance.h"
#include "host/TaskTrayWire.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

TEST(SingleInstance, ASecondHolderIsRefusedUntilTheFirstReleasesAndOtherUsersAreIndependent) {
    QTemporaryDir runtime, otherUser;
    CSingleInstance first(runtime.path());
    CSingleInstance second(runtime.path());
    CSingleInstance elsewhere(otherUser.path());
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(first.LockPath(), runtime.path() + "/VELTRANE");
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(elsewhere.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
}

TEST(SingleInstance, TheLockOfAProcessThatDiedIsTakenOver) {
    QTemporaryDir runtime;
    QProcess holder;
    holder.start(QStringLiteral(ZELTA_TEST_HELPER), {"lock", runtime.path()});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "locked");

    CSingleInstance instance(runtime.path());
    EXPECT_FALSE(instance.Acquire()); // alive: held, however old

    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_TRUE(QFile::exists(runtime.path() + "/VELTRANE")); // left behind
    EXPECT_TRUE(instance.Acquire());
}

TEST(SingleInstance, ActivationSendsTaskTrayMessageWithLButtonDownToTheLocalServer) {
    QTemporaryDir runtime;
    const QString path = runtime.path() + "/" + ZeltaTaskTray::ServerName;
    QLocalServer server;
    ASSERT_TRUE(server.listen(path));

    ASSERT_TRUE(CSingleInstance::ActivateRunning(path));
    ASSERT_TRUE(server.waitForNewConnection(5000));
    QLocalSocket* peer = server.nextPendingConnection();
    ASSERT_NE(peer, nullptr);
    QByteArray bytes;
    while (bytes.size() < ZeltaTaskTray::MessageBytes && peer->waitForReadyRead(5000))
        bytes += peer->readAll();
    bytes += peer->readAll();
    ASSERT_EQ(bytes.size(), ZeltaTaskTray::MessageBytes);
    EXPECT_EQ(bytes, QByteArray::fromHex("0090000001020000"));
    int32_t message = 0, lParam = 0;
    ASSERT_TRUE(ZeltaTaskTray::decode(bytes, &message, &lParam));
    EXPECT_EQ(message, 0x9000);
    EXPECT_EQ(lParam, 0x201);
    EXPECT_FALSE(ZeltaTaskTray::decode(bytes.left(7), &message, &lParam));
}

TEST(SingleInstance, ActivationWithoutARunningServerGivesUpQuietly) {
    QTemporaryDir runtime;
    EXPECT_FALSE(CSingleInstance::ActivateRunning(runtime.path() + "/ZeltaIMTaskTray", 200));
}

} // namespace
