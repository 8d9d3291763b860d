// The message box plug-in's life with a scripted core: first log-on, filing of what the core
// reports, saving and loading across log-offs, Restore, the abnormal-end question and
// authorisation while logged off.
#include "TrovaneAppFixture.h"
#include "imframe/MessageBoxRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/trovane/CTrovaneProgressEvent.h"
#include "plugin/im/trovane/CTrovaneSettingsFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace TrovaneBox;

namespace {

CLetrix Message(const QString& id, const QString& from, const QString& to, const QString& subject) {
    CLetrix m;
    m.SetMessageID(id);
    m.SetFromID(from);
    m.SetFromName(from);
    m.AddDst(CLetrix::DST_TO, to);
    m.SetSubject(subject);
    m.SetMessage(u"<P>"_qs + subject + u"</P>"_qs);
    return m;
}

class TrovaneAppTest : public TrovaneAppFixture {
protected:
    // A message of the core, with its file in the message directory for Restore to find.
    void CoreHas(int32_t box, const CLetrix& m) {
        ScriptedCore::AddMessage(box, m);
        const char* sub[] = {"draft", "send", "recv"};
        const QString folder = dir.filePath(u"account/message/"_qs + QLatin1String(sub[box]));
        QDir().mkpath(folder);
        QFile(folder + u'/' + m.GetMessageID() + u".zmf"_qs).open(QIODevice::WriteOnly);
    }
    void Receive(const QString& id, const QString& subject = u"連絡"_qs) {
        CoreHas(ObrixBox::Received, Message(id, u"sato"_qs, u"me"_qs, subject));
        app->OnRecvMessage(reinterpret_cast<const char16_t*>(id.utf16()));
    }
    QString DataFile(const char16_t* name) const {
        return dir.filePath(u"account/module6/data/"_qs + QString::fromUtf16(name));
    }
    uint32_t FolderOf(const QString& id, bool received = true) {
        const CTrovaneMessage* e = app->Store().FindEntry(id, received);
        return e ? e->FolderID() : 0;
    }
    void AddUserFolder(uint32_t id, uint32_t parent) {
        CTrovaneFolder f;
        f.nID = id;
        f.nParentID = parent;
        f.strName = u"案件"_qs;
        ASSERT_NE(app->Store().AddFolder(f), nullptr);
    }
};

} // namespace

TEST_F(TrovaneAppTest, TheFirstLogOnGivesTheFiveSystemFoldersAndFilesWhatTheCoreReports) {
    LogOn();
    ASSERT_TRUE(app->IsLoaded());
    EXPECT_EQ(app->Store().FolderCount(), 5);
    EXPECT_EQ(app->Store().ChildrenOf(RootFolder).size(), 4);
    EXPECT_EQ(app->Store().FindFolder(ReceivedFolder)->strName, u"受信箱"_qs);
    EXPECT_EQ(app->Store().FindFolder(TrashFolder)->strName, u"ごみ箱"_qs);
    ASSERT_NE(app->Frame(), nullptr);
    EXPECT_FALSE(app->Frame()->isVisible());

    Receive(u"r1"_qs);
    EXPECT_EQ(FolderOf(u"r1"_qs), ReceivedFolder);
    EXPECT_EQ(app->Store().FindFolder(ReceivedFolder)->nUnreadHere, 1u);

    // A condition files the next one into a user folder.
    AddUserFolder(16, ReceivedFolder);
    CTrovaneTransCond c;
    c.nScope = CTrovaneTransCond::ScopeSubject;
    c.strKeyword = u"請求"_qs;
    c.nFolder = 16;
    app->TransConds().Append(c);
    Receive(u"r2"_qs, u"請求書の件"_qs);
    EXPECT_EQ(FolderOf(u"r2"_qs), 16u);

    CoreHas(ObrixBox::Sent, Message(u"s1"_qs, u"me"_qs, u"sato"_qs, u"請求書"_qs));
    app->OnSendMessage(u"s1");
    EXPECT_EQ(FolderOf(u"s1"_qs, false), SentFolder) << "the condition is for received messages";

    // What the core does not have, and what is already there, adds nothing.
    app->OnRecvMessage(u"missing");
    app->OnRecvMessage(u"r1");
    EXPECT_EQ(app->Store().EntryCount(), 3);

    app->OnChangeMessageFlags(ObrixBox::Received, u"r1", LETRIX_FLAG_READ);
    EXPECT_EQ(app->Store().FindFolder(ReceivedFolder)->nUnreadHere, 0u);
}

TEST_F(TrovaneAppTest, TheBoxIsSavedAtLogOffAndComesBackAtTheNextLogOn) {
    LogOn();
    AddUserFolder(16, ReceivedFolder);
    CTrovaneTransCond c;
    c.nScope = CTrovaneTransCond::ScopeSender;
    c.strKeyword = u"[suzuki]"_qs;
    c.nFolder = 16;
    app->TransConds().Append(c);
    for (int i = 0; i < 30; ++i) {
        const QString id = QStringLiteral("r%1").arg(i);
        CoreHas(ObrixBox::Received,
                Message(id, i % 2 ? u"suzuki"_qs : u"sato"_qs, u"me"_qs, u"件名 "_qs + id));
        app->OnRecvMessage(reinterpret_cast<const char16_t*>(id.utf16()));
    }
    CoreHas(ObrixBox::Draft, Message(u"d1"_qs, u"me"_qs, u"sato"_qs, u"下書き"_qs));
    app->OnBegin(MessageBoxBegin::DraftStored, reinterpret_cast<intptr_t>(u"d1"));
    EXPECT_EQ(FolderOf(u"d1"_qs, false), DraftsFolder);

    app->OnLogoff(1);
    EXPECT_FALSE(app->IsLoaded());
    EXPECT_EQ(app->Frame(), nullptr);
    EXPECT_EQ(app->Store().EntryCount(), 0);
    for (const char16_t* name :
         {CTrovaneSettingsFiles::kTreeFile, CTrovaneSettingsFiles::kConditionsFile,
          CTrovaneSettingsFiles::kEntriesFile})
        EXPECT_TRUE(QFile::exists(DataFile(name))) << QString::fromUtf16(name).toStdString();

    // Meanwhile the core lost one message.
    ASSERT_EQ(app->Obrix().RemoveMessage(ObrixBox::Received, u"r4"), 1);

    LogOn();
    EXPECT_EQ(app->Store().EntryCount(), 31);
    EXPECT_EQ(app->Store().EntriesOf(16).size(), 15);
    EXPECT_EQ(FolderOf(u"r3"_qs), 16u);
    EXPECT_EQ(FolderOf(u"d1"_qs, false), DraftsFolder);
    EXPECT_EQ(app->Store().FindEntry(u"r3"_qs, true)->GetSubject(), u"件名 r3"_qs);
    EXPECT_TRUE(app->Store().FindEntry(u"r4"_qs, true)->GetSubject().isEmpty());
    ASSERT_EQ(app->TransConds().Count(), 1);
    EXPECT_EQ(app->TransConds().Conditions()[0].strKeyword, u"[suzuki]"_qs);
    EXPECT_EQ(app->Store().FindFolder(16)->nUnreadHere, 15u);
}

TEST_F(TrovaneAppTest, LoadingReportsProgressToTheShownWindowAndSavingWaitsForTheLoad) {
    LogOn();
    for (int i = 0; i < 100; ++i)
        Receive(QStringLiteral("r%1").arg(i));
    app->OnLogoff(1);

    app->SetLoadPause(CTrovaneApp::kLoadPauseMs);
    app->OnLogon(1);
    ASSERT_TRUE(app->IsLoading());
    QList<uint32_t> steps;
    bool done = false;
    struct Recorder : QObject {
        QList<uint32_t>* steps;
        bool* done;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == CTrovaneProgressEvent::kProgress)
                *steps << static_cast<CTrovaneProgressEvent*>(e)->WParam();
            if (e->type() == CTrovaneProgressEvent::kDone)
                *done = true;
            return false;
        }
    } recorder;
    recorder.steps = &steps;
    recorder.done = &done;
    app->OnBegin(MessageBoxBegin::Show, 0);
    app->Frame()->installEventFilter(&recorder);
    // A few slices arrive through the event loop, with the window answering meanwhile.
    (void)QTest::qWaitFor([&] { return steps.size() >= 2; }, 5000);
    EXPECT_GE(steps.size(), 2);
    EXPECT_TRUE(app->Frame()->LoadProgress()->isVisible());
    ASSERT_TRUE(app->IsLoading()) << "100 entries take eleven slices";

    // A log-off now saves the whole box, not the part loaded so far.
    app->OnLogoff(1);
    LogOn();
    EXPECT_EQ(app->Store().EntryCount(), 100);
}

TEST_F(TrovaneAppTest, RestoreFilesOnlyWhatTheIndexLacks) {
    LogOn();
    Receive(u"r1"_qs);
    Receive(u"r2"_qs);
    CoreHas(ObrixBox::Received, Message(u"r3"_qs, u"sato"_qs, u"me"_qs, u"未登録"_qs));
    CoreHas(ObrixBox::Sent, Message(u"s1"_qs, u"me"_qs, u"sato"_qs, u"未登録"_qs));
    CoreHas(ObrixBox::Draft, Message(u"d1"_qs, u"me"_qs, u"sato"_qs, u"未登録"_qs));
    ASSERT_TRUE(
        app->Store().MoveEntry(TrashFolder, app->Store().FindEntry(u"r1"_qs, true)->LocalNumber()));

    EXPECT_EQ(app->Restore(), 3);
    EXPECT_EQ(app->Store().EntryCount(), 5);
    EXPECT_EQ(FolderOf(u"r1"_qs), TrashFolder) << "an entry already there stays where it is";
    EXPECT_EQ(FolderOf(u"r3"_qs), ReceivedFolder);
    EXPECT_EQ(FolderOf(u"s1"_qs, false), SentFolder);
    EXPECT_EQ(FolderOf(u"d1"_qs, false), DraftsFolder);
    EXPECT_EQ(app->Restore(), 0);
}

TEST_F(TrovaneAppTest, AnAbnormalEndOffersRestoreAtTheFirstShowOnly) {
    ScriptedCore::SetInt(u"MESBOX"_qs, u"Abnormal"_qs, 1);
    LogOn();
    CoreHas(ObrixBox::Received, Message(u"lost"_qs, u"sato"_qs, u"me"_qs, u"索引にない"_qs));

    app->OnBegin(MessageBoxBegin::Show, 0);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith(u"メッセージボックス|"_qs));
    EXPECT_EQ(FolderOf(u"lost"_qs), ReceivedFolder) << "OK runs Restore";
    EXPECT_TRUE(app->Frame()->isVisible());
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"Abnormal"_qs), 1);

    app->Frame()->close();
    EXPECT_FALSE(app->Frame()->isVisible()) << "closing hides";
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"Abnormal"_qs), 0);

    ScriptedCore::SetInt(u"MESBOX"_qs, u"Abnormal"_qs, 1);
    app->OnBegin(MessageBoxBegin::Show, 0);
    EXPECT_EQ(questions.size(), 1) << "asked at the first show since start only";
    app->OnLogoff(1);
    EXPECT_EQ(ScriptedCore::StoredInt(u"MESBOX"_qs, u"Abnormal"_qs), 0);
}

TEST_F(TrovaneAppTest, WhileLoggedOffRequestsNeedAnAuthorisation) {
    ScriptedCore::SetLogonState(ObrixLogon::LoggedOff);
    ScriptedCore::SetResult(u"Authorize"_qs, 0);
    CoreHas(ObrixBox::Draft, Message(u"d1"_qs, u"me"_qs, u"sato"_qs, u"下書き"_qs));
    app->OnBegin(MessageBoxBegin::DraftStored, reinterpret_cast<intptr_t>(u"d1"));
    EXPECT_EQ(ScriptedCore::CallsOf(u"Authorize"_qs).size(), 1);
    EXPECT_FALSE(app->IsLoaded());
    EXPECT_EQ(app->Frame(), nullptr);

    ScriptedCore::SetResult(u"Authorize"_qs, 1);
    app->OnBegin(MessageBoxBegin::DraftStored, reinterpret_cast<intptr_t>(u"d1"));
    app->FinishLoading();
    ASSERT_TRUE(app->IsLoaded());
    EXPECT_EQ(app->Mode(), CTrovaneApp::LoadedForAuthorization);
    EXPECT_EQ(FolderOf(u"d1"_qs, false), DraftsFolder);
    ASSERT_NE(app->Frame(), nullptr);

    // The end of the authorisation saves and keeps the box; the next log-on loads it anew.
    app->OnEndAuthorize();
    EXPECT_TRUE(app->IsLoaded());
    EXPECT_TRUE(QFile::exists(DataFile(CTrovaneSettingsFiles::kEntriesFile)));
    ScriptedCore::SetLogonState(ObrixLogon::LoggedOn);
    LogOn();
    EXPECT_EQ(app->Mode(), CTrovaneApp::LoadedAtLogon);
    EXPECT_EQ(FolderOf(u"d1"_qs, false), DraftsFolder);
}

TEST_F(TrovaneAppTest, ADeleteRequestMovesTheEntryToTheTrashOnce) {
    LogOn();
    Receive(u"r1"_qs);
    tagMESBOXDELETE request{uint32_t(ObrixBox::Received), u"r1"};
    app->OnBegin(MessageBoxBegin::DeleteMessage, reinterpret_cast<intptr_t>(&request));
    EXPECT_EQ(FolderOf(u"r1"_qs), TrashFolder);
    EXPECT_EQ(app->Store().FindEntry(u"r1"_qs, true)->PrevFolderID(), ReceivedFolder);
    app->OnBegin(MessageBoxBegin::DeleteMessage, reinterpret_cast<intptr_t>(&request));
    EXPECT_EQ(app->Store().FindEntry(u"r1"_qs, true)->PrevFolderID(), ReceivedFolder);
    // A request for the other direction finds nothing.
    tagMESBOXDELETE sent{uint32_t(ObrixBox::Sent), u"r1"};
    app->OnBegin(MessageBoxBegin::DeleteMessage, reinterpret_cast<intptr_t>(&sent));
    EXPECT_EQ(app->Store().EntryCount(), 1);
}
