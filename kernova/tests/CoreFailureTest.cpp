// The core where things go wrong or are asked wrongly: read marking asked for messages that are
// not received ones or refused by the service, arrivals that cannot be stored or come twice,
// log-on and log-off asked at the wrong time.
#include "kernova/ObrixExports.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CLetrix.h"
#include "obrix/ObrixApi.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtCore/qtestsupport_core.h>

using namespace kntest;

namespace {

using CoreFailure = CoreFixture;

uint32_t FlagsOf(int32_t box, const char16_t* id) {
    tagLETRIX* record = OBRIX_GetMessage(box, id);
    if (!record)
        return ~0u;
    const uint32_t flags = CLetrix(record).GetFlags();
    OBRIX_CleanupLetrix(record);
    return flags;
}

TEST_F(CoreFailure, ReadMarkingRefusesSentMessagesAndDraftsAndChangesNoFlag) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    CLetrix sent;
    sent.SetMessageID("s-1");
    sent.AddDst(CLetrix::DST_TO, "b");
    ASSERT_EQ(OBRIX_SendMessage(sent.Record()), 1);
    ASSERT_TRUE(peerLog.WaitFor("message s-1"));
    char16_t draftId[128];
    ASSERT_EQ(OBRIX_SaveDraftMessage(sent.Record(), draftId, 128), 1);
    const uint32_t sentFlags = FlagsOf(ObrixBox::Sent, u"s-1");
    const uint32_t draftFlags = FlagsOf(ObrixBox::Draft, draftId);
    ASSERT_NE(sentFlags, ~0u);
    ASSERT_NE(draftFlags, ~0u);
    TakeCalls();

    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Sent, u"s-1"), 0);
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Draft, draftId), 0);
    EXPECT_EQ(FlagsOf(ObrixBox::Sent, u"s-1"), sentFlags);
    EXPECT_EQ(FlagsOf(ObrixBox::Draft, draftId), draftFlags);
    EXPECT_TRUE(CallsStartingWith("1 OnChangeMessageFlags").isEmpty());
    peerLog.Settle();
    EXPECT_EQ(peerLog.Count("receipt"), 0);
}

TEST_F(CoreFailure, AFailedLogOnWhileOffLineLeavesTheCoreOffLineWithItsMessages) {
    LogOnCore();
    {
        auto peer = LogOn("b");
        ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("r-1", {"a"})));
        ASSERT_TRUE(WaitForCall("1 OnRecvMessage r-1"));
    }
    auto again = LogOn("a"); // the same member elsewhere ends this session
    ASSERT_TRUE(WaitForCall("1 OnLogoff 1"));
    ASSERT_EQ(OBRIX_GetLogonState(), ObrixLogon::Offline);

    EXPECT_FALSE(core->LogonWith("a", "wrong password"));
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::Offline) << "not logged off";
    EXPECT_NE(FlagsOf(ObrixBox::Received, u"r-1"), ~0u) << "stored messages stay readable";
    CLetrix draft;
    draft.SetSubject("続き");
    char16_t id[128];
    EXPECT_EQ(OBRIX_SaveDraftMessage(draft.Record(), id, 128), 1) << "composing stays possible";
}

// Runs one statement on the service's database beside the core, as an administrator or a
// failing disk would change it.
void ExecOnService(const QString& serviceDir, const QString& sql) {
    const QString connection = QStringLiteral("failure-test");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(serviceDir + QStringLiteral("/service.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    QSqlDatabase::removeDatabase(connection);
}

// Until the trigger is dropped, the service fails every read marking as a database error.
const QString kRefuseReads =
    QStringLiteral("CREATE TRIGGER refuse_reads BEFORE UPDATE OF read_time ON deliveries"
                   " BEGIN SELECT RAISE(ABORT, 'disk failure'); END");

TEST_F(CoreFailure, AReadTheServiceRefusedIsReportedOnceTheServiceWorksAgain) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    for (const char* id : {"r-1", "r-2"})
        ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage(id, {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage r-2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peerLog.Count("receipt") >= 2; }, 5000));
    peerLog.Settle();
    peerLog.lines.clear();

    ExecOnService(dir, kRefuseReads);
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"r-1"), 1) << "read here all the same";
    EXPECT_TRUE(FlagsOf(ObrixBox::Received, u"r-1") & LETRIX_FLAG_READ);
    peerLog.Settle();
    EXPECT_EQ(peerLog.Count("receipt"), 0);

    // The next read finds the service working and reports both.
    ExecOnService(dir, QStringLiteral("DROP TRIGGER refuse_reads"));
    ASSERT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"r-2"), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return peerLog.Count("receipt") >= 2; }, 5000));
    peerLog.Settle();
    QSet<QString> read;
    for (const SvcReceipt& r : peerLog.receipts)
        if (r.kind == Svc::RECEIPT_READ)
            read.insert(r.messageId);
    EXPECT_EQ(read, (QSet<QString>{"r-1", "r-2"}));
    EXPECT_EQ(peerLog.Count("receipt"), 2) << "each read reported once";
}

TEST_F(CoreFailure, AMessageReadAndDeletedWhileOffLineIsStillReportedRead) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("gone-1", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage gone-1"));
    ASSERT_EQ(OBRIX_Logoff(0, 0), 1);

    ASSERT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"gone-1"), 1);
    ASSERT_EQ(OBRIX_RemoveMessage(ObrixBox::Received, u"gone-1"), 1);
    peerLog.Settle();
    peerLog.receipts.clear();
    LogOnCore();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const SvcReceipt& r : peerLog.receipts)
                if (r.kind == Svc::RECEIPT_READ && r.messageId == "gone-1")
                    return true;
            return false;
        },
        5000));
}

TEST_F(CoreFailure, FilesThatCannotBeStoredLeaveTheMessagePendingAndNothingHalfWritten) {
    LogOnCore();
    // A file where the folder of received files should be.
    const QString files = host.userDir + "account/a/message/files";
    QDir(files).removeRecursively();
    {
        QFile blocker(files);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    SvcMessage m = svctest::MakeMessage("with-file", {"a"});
    m.body += "<OBJECT>a.txt</OBJECT>";
    m.attachments.append({"a.txt", 3, "abc"});
    ASSERT_TRUE(peer->SendMessage(m));
    QTest::qWait(500);
    EXPECT_TRUE(CallsStartingWith("1 OnRecvMessage").isEmpty());
    EXPECT_EQ(FlagsOf(ObrixBox::Received, u"with-file"), ~0u) << "the message is not stored";
    peerLog.Settle();
    EXPECT_EQ(peerLog.Count("receipt"), 0) << "nothing acknowledged";
    EXPECT_EQ(core->Service()->GetPendingMessages().size(), 1);

    ASSERT_TRUE(QFile::remove(files));
    ASSERT_EQ(OBRIX_Logoff(0, 0), 1);
    LogOnCore();
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage with-file"));
    const QStringList stored = QDir(files).entryList(QDir::Files);
    ASSERT_EQ(stored.size(), 1);
    QFile file(files + "/" + stored[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "abc");
}

TEST_F(CoreFailure, ADraftThatCannotBeWrittenIsRefusedAndGetsNoId) {
    LogOnCore();
    const QString drafts = host.userDir + "account/a/message/draft";
    QDir(drafts).removeRecursively();
    {
        QFile blocker(drafts);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    CLetrix draft;
    draft.SetSubject("書きかけ");
    char16_t id[128] = u"untouched";
    EXPECT_EQ(OBRIX_SaveDraftMessage(draft.Record(), id, 128), 0);
    EXPECT_EQ(S16(id), QStringLiteral("untouched")) << "no id for a draft that was not kept";

    ASSERT_TRUE(QFile::remove(drafts));
    ASSERT_EQ(OBRIX_SaveDraftMessage(draft.Record(), id, 128), 1);
    EXPECT_NE(FlagsOf(ObrixBox::Draft, id), ~0u);
}

TEST_F(CoreFailure, AMessageDeliveredAgainKeepsWhatTheUserDidWithIt) {
    LogOnCore();
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("twice", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage twice"));
    ASSERT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"twice"), 1);
    ASSERT_EQ(OBRIX_SetDogearMessage(ObrixBox::Received, u"twice", 1), 1);
    const uint32_t flags = FlagsOf(ObrixBox::Received, u"twice");
    ASSERT_TRUE(flags & LETRIX_FLAG_READ);

    // As after a crash between storing and acknowledging: the service offers it once more.
    ExecOnService(dir, QStringLiteral("UPDATE deliveries SET recv_time = NULL"));
    const QList<SvcMessage> again = core->Service()->GetPendingMessages();
    ASSERT_EQ(again.size(), 1);
    SvcMessage m = again[0];
    m.subject = "changed on the way";
    emit core->Service()->MessageArrived(m);
    EXPECT_EQ(FlagsOf(ObrixBox::Received, u"twice"), flags);
    tagLETRIX* record = OBRIX_GetMessage(ObrixBox::Received, u"twice");
    ASSERT_NE(record, nullptr);
    EXPECT_NE(CLetrix(record).GetSubject(), "changed on the way");
    OBRIX_CleanupLetrix(record);
    EXPECT_TRUE(core->Service()->GetPendingMessages().isEmpty()) << "acknowledged this time";

    // A message without an id could never be found again: dropped, not stored or announced.
    TakeCalls();
    SvcMessage anonymous = svctest::MakeMessage("", {"a"});
    anonymous.fromId = "b";
    emit core->Service()->MessageArrived(anonymous);
    EXPECT_TRUE(CallsStartingWith("1 OnRecvMessage").isEmpty());
    EXPECT_EQ(QDir(host.userDir + "account/a/message/recv").entryList(QDir::Files).size(), 1);
}

TEST_F(CoreFailure, LogOnAndLogOffAskedAtTheWrongTimeChangeNothing) {
    // A wrong password from logged off: back to logged off, no plug-in told, no user.
    EXPECT_FALSE(core->LogonWith("a", "wrong password"));
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::LoggedOff);
    EXPECT_TRUE(CallsStartingWith("1 OnLogon").isEmpty());
    EXPECT_EQ(S16(OBRIX_GetUserID()), QString());
    EXPECT_FALSE(QFileInfo::exists(host.userDir + "account/a")) << "nothing made for a stranger";

    // Logging off while logged off: nothing for the plug-ins to hear.
    EXPECT_EQ(OBRIX_Logoff(0, 0), 1);
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::LoggedOff);
    EXPECT_TRUE(CallsStartingWith("1 OnLogoff").isEmpty());

    // Logging on twice: the second is refused and the session is untouched.
    LogOnCore();
    TakeCalls();
    EXPECT_FALSE(core->LogonWith("b", svctest::Password("b")));
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::LoggedOn);
    EXPECT_TRUE(CallsStartingWith("1 OnLogon").isEmpty());
    EXPECT_TRUE(CallsStartingWith("1 OnLogoff").isEmpty());
    EXPECT_EQ(S16(OBRIX_GetUserID()), QStringLiteral("a"));
}

} // namespace
