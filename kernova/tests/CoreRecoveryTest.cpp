// What the core does when something goes wrong on the way: a session the service ended, an
// automatic log-on that failed, a service that cannot be reached, a user directory that cannot
// be written, a message whose id names no file, an invitation nobody here can answer. The user
// is told (in Japanese, through the tray), nothing is acknowledged that was not kept, and
// nothing is retried for ever.
#include "kernova/CMessageFiles.h"
#include "kernova/ObrixExports.h"
#include "kernova/service/CLocalService.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/ObrixApi.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtCore/qtestsupport_core.h>

using namespace kntest;

namespace {

const char16_t* U16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// An environment variable for the length of one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() { qunsetenv(m_name); }

private:
    const char* m_name;
};

class CoreRecovery : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        // The texts the user is shown come from the built resource module.
        host.appDir = qEnvironmentVariable("ZELTA_OUT_DIR") + QStringLiteral("/");
        core->SetReconnectDelays(50, 400);
        QObject::connect(core.get(), &CKernovaCore::UserNotified, core.get(),
                         [this](uint32_t id, const QString& text) {
                             notices.append(id);
                             noticeTexts.append(text);
                         });
    }

    CLocalService* CoreService() const { return dynamic_cast<CLocalService*>(core->Service()); }

    // The service forgets the core's session, as a live process does with a session whose
    // heartbeat stopped while its owner was paused.
    void ExpireCoreSession() {
        const QString connection = QStringLiteral("expire-session");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(dir + QStringLiteral("/service.db"));
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM sessions WHERE member_id = 'a'")));
        }
        QSqlDatabase::removeDatabase(connection);
    }

    bool WaitForState(int32_t state, int ms = 5000) {
        return QTest::qWaitFor([&] { return core->LogonState() == state; }, ms);
    }

    QList<uint32_t> notices;
    QStringList noticeTexts;
};

TEST_F(CoreRecovery, AnExpiredSessionIsToldAndLoggedOnAgainWithTheSameCredentials) {
    LogOnCore();
    ASSERT_NE(CoreService(), nullptr);
    CoreService()->SetHeartbeat(30, 200);
    TakeCalls();
    ExpireCoreSession();
    ASSERT_TRUE(WaitForCall("1 OnLogoff 1"));
    EXPECT_EQ(notices.value(0), 2041u);
    EXPECT_EQ(noticeTexts.value(0), "サービスとの接続が切れました。自動的にログオンし直します。");
    ASSERT_TRUE(WaitForState(ObrixLogon::LoggedOn));
    EXPECT_EQ(core->UserID(), "a");
    EXPECT_EQ(notices, (QList<uint32_t>{2041, 2042}));
    EXPECT_TRUE(WaitForCall("1 OnLogon 1"));

    // Messages sent meanwhile arrive in the new session.
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("after-return", {"a"})));
    EXPECT_TRUE(WaitForCall("1 OnRecvMessage after-return"));
}

TEST_F(CoreRecovery, AfterAnExpiredSessionAChangedPasswordStopsTheRetriesAndAsksTheUser) {
    LogOnCore();
    CoreService()->SetHeartbeat(30, 200);
    ASSERT_TRUE(admin->SetPassword("a", "changed"));
    ExpireCoreSession();
    ASSERT_TRUE(QTest::qWaitFor([&] { return core->LogonDialog() != nullptr; }, 5000));
    EXPECT_EQ(core->LogonState(), ObrixLogon::Offline);
    EXPECT_FALSE(core->IsReconnecting());
    EXPECT_TRUE(
        core->LogonDialog()->ShownError().contains("メンバー ID またはパスワードが違います"))
        << core->LogonDialog()->ShownError().toStdString();
    EXPECT_EQ(core->LogonDialog()->CurrentValues().memberId, "a");
}

TEST_F(CoreRecovery, AReplacedSessionIsToldAndNotTakenBack) {
    LogOnCore();
    auto elsewhere = LogOn("a");
    ASSERT_TRUE(WaitForState(ObrixLogon::Offline));
    EXPECT_EQ(notices, QList<uint32_t>{2043});
    EXPECT_EQ(noticeTexts.value(0),
              "メンバー ID「a」が別の場所でログオンしたため、ここではログオフしました。");
    EXPECT_FALSE(core->IsReconnecting());
    QTest::qWait(300); // several reconnection delays
    EXPECT_EQ(core->LogonState(), ObrixLogon::Offline);
    EXPECT_TRUE(elsewhere->IsLoggedOn());
    EXPECT_TRUE(elsewhere->Heartbeat()) << "the other session is left alone";
}

TEST_F(CoreRecovery, AFailedAutomaticLogOnOpensTheDialogWithTheReason) {
    ScopedEnv id("ZELTA_AUTOLOGON_ID", "a");
    ScopedEnv password("ZELTA_AUTOLOGON_PASSWORD", "wrong");
    core->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return core->LogonDialog() != nullptr; }, 3000));
    EXPECT_EQ(core->LogonDialog()->ShownError(),
              "ログオンできませんでした。\nメンバー ID またはパスワードが違います");
    EXPECT_EQ(core->LogonDialog()->CurrentValues().memberId, "a");
    EXPECT_EQ(core->LogonState(), ObrixLogon::LoggedOff);
}

TEST_F(CoreRecovery, AServiceThatCannotBeReachedIsNamedInTheDialog) {
    const QString missing = m_home.path() + "/no-service-here";
    qputenv("ZELTA_SERVICE_DIR", QFile::encodeName(missing)); // the fixture clears it
    ScopedEnv id("ZELTA_AUTOLOGON_ID", "a");
    ScopedEnv password("ZELTA_AUTOLOGON_PASSWORD", svctest::Password("a"));
    core->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return core->LogonDialog() != nullptr; }, 3000));
    const QString shown = core->LogonDialog()->ShownError();
    EXPECT_TRUE(shown.startsWith(
        "ログオンできませんでした。\nサービスに接続できません。サービスの場所 " + missing))
        << shown.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing)) << "a missing service is not created by logging on";
}

TEST_F(CoreRecovery, AnUnwritableMessageFolderIsToldOnceAndNothingIsAcknowledgedOrLost) {
    LogOnCore();
    // A file where the received box should be: no write below it succeeds, not even as root.
    const QString recv = host.userDir + "account/a/message/recv";
    ASSERT_TRUE(QDir(recv).removeRecursively());
    {
        QFile blocker(recv);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    auto peer = LogOn("b");
    for (const char* id : {"kept-1", "kept-2"})
        ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage(id, {"a"})));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.isEmpty(); }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(notices, QList<uint32_t>{2045}) << "told once";
    EXPECT_TRUE(noticeTexts.value(0).contains(host.userDir + "account/a/message/"));
    EXPECT_TRUE(CallsStartingWith("1 OnRecvMessage").isEmpty());
    EXPECT_EQ(core->Service()->GetPendingMessages().size(), 2) << "nothing acknowledged";

    // Once the folder can be written, the next log-on brings both.
    ASSERT_TRUE(QFile::remove(recv));
    ASSERT_EQ(OBRIX_Logoff(0, 0), 1);
    LogOnCore();
    EXPECT_TRUE(WaitForCall("1 OnRecvMessage kept-1"));
    EXPECT_TRUE(WaitForCall("1 OnRecvMessage kept-2"));
    EXPECT_TRUE(QFile::exists(recv + "/kept-2.zmf"));
}

TEST_F(CoreRecovery, AMessageWhoseIdNamesNoFileIsStoredOnceUnderADigestAndFoundByItsId) {
    LogOnCore();
    // Ninety Japanese characters: 270 bytes, more than a file name may hold. Such a message can
    // come from a service with other rules, or from before today's.
    const QString longId = QString(90, QChar(0x3042));
    SvcMessage m = svctest::MakeMessage(longId, {"a"});
    m.fromId = "b";
    emit core->Service()->MessageArrived(m);
    ASSERT_EQ(CallsStartingWith("1 OnRecvMessage " + longId).size(), 1);
    tagLETRIX* stored = OBRIX_GetMessage(ObrixBox::Received, U16(longId));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(S16(stored->pszMessageID), longId);
    OBRIX_CleanupLetrix(stored);
    const QStringList files =
        QDir(host.userDir + "account/a/message/recv").entryList(QDir::Files | QDir::NoDotAndDotDot);
    ASSERT_EQ(files.size(), 1);
    EXPECT_LE(files[0].toUtf8().size(), 70);

    // The next message from the service still arrives as ever.
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("next", {"a"})));
    EXPECT_TRUE(WaitForCall("1 OnRecvMessage next"));
    EXPECT_TRUE(QFile::exists(host.userDir + "account/a/message/recv/next.zmf"));
}

TEST(MessageFileStem, EveryIdGetsAShortDistinctNameAndNoChosenIdTakesADigestName) {
    const QString hiragana90(90, QChar(0x3042));
    const QString unpaired1 = QStringLiteral("id") + QChar(0xD800);
    const QString unpaired2 = QStringLiteral("id") + QChar(0xD801);
    QSet<QString> stems;
    for (const QString& id : {QString("20261207-a1"), hiragana90, hiragana90 + "x", QString("a/b"),
                              QString(".hidden"), unpaired1, unpaired2, QString(200, u'x')}) {
        const QString stem = CMessageFiles::FileStem(id);
        EXPECT_LE(stem.toUtf8().size(), 128) << id.toStdString();
        EXPECT_FALSE(stem.contains(u'/'));
        EXPECT_FALSE(stem.startsWith(u'.'));
        stems.insert(stem);
    }
    EXPECT_EQ(stems.size(), 8) << "no two ids share a file";
    EXPECT_EQ(CMessageFiles::FileStem("20261207-a1"), "20261207-a1") << "ordinary ids as they are";
    const QString digest = CMessageFiles::FileStem(hiragana90);
    EXPECT_NE(CMessageFiles::FileStem(digest), digest)
        << "an id that looks like a digest is hashed";
    EXPECT_EQ(CMessageFiles::FileStem(""), "");
}

TEST_F(CoreRecovery, WithoutAChatPluginAnInvitationIsDeclinedAtOnceAsTimedOut) {
    LogOnCore(); // plug-ins 1 and 4 only: nobody here shows chats
    auto peer = LogOn("b");
    const int chat = peer->CreateChat(5);
    ASSERT_GT(chat, 0);
    ASSERT_TRUE(peer->InviteToChat(chat, "a", "相談", 5));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QList<SvcChatEvent> events = peer->GetChatEvents(chat);
            return !events.isEmpty() && events.last().type == Svc::CHAT_TIMED_OUT &&
                   events.last().memberId == "a";
        },
        3000));
}

TEST_F(CoreRecovery, TheAccountDirectoryAndEverythingBelowItAreTheUsersAlone) {
    // What an earlier version left readable by everybody.
    const QString old = host.userDir + "account/a/im/6/data/";
    ASSERT_TRUE(QDir().mkpath(old));
    QFile oldFile(old + "MesboxTREESet.zin");
    ASSERT_TRUE(oldFile.open(QIODevice::WriteOnly));
    oldFile.close();
    QFile::setPermissions(oldFile.fileName(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ReadOther);
    core->Start();

    LogOnCore();
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("private", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage private"));
    tagLETRIX* received = OBRIX_GetMessage(ObrixBox::Received, u"private");
    ASSERT_NE(received, nullptr);
    char16_t draftId[64];
    ASSERT_EQ(OBRIX_SaveDraftMessage(received, draftId, 64), 1);
    OBRIX_CleanupLetrix(received);
    const uint8_t data[] = {1};
    ASSERT_EQ(OBRIX_WriteFile(U16(core->ModuleDir(4) + "data/opt.zin"), data, 1, 1), 1);

    const auto mode = [](const QString& path) {
        return int(QFile::permissions(path) &
                   ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
    };
    const int dirMode = int(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int fileMode = int(QFile::ReadOwner | QFile::WriteOwner);
    const QString account = host.userDir + "account/a/";
    for (const QString& d : {account, account + "message/", account + "message/recv/",
                             account + "message/draft/", account + "im/4/data/", old})
        EXPECT_EQ(mode(d), dirMode) << d.toStdString();
    EXPECT_EQ(mode(host.userDir + "account/"), dirMode);
    for (const QString& f :
         {account + "message/recv/private.zmf", account + "message/draft/" + S16(draftId) + ".zmf",
          account + "im/4/data/opt.zin", account + "logon.check", oldFile.fileName()})
        EXPECT_EQ(mode(f), fileMode) << f.toStdString();
}

} // namespace
