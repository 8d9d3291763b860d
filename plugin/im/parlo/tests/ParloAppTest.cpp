// The chat plug-in over the scripted core: starting chats within the limits, inviting,
// invitations that time out, events live and replayed, talk, the alone time-out with the
// log saved into a folder, the option window's checks, and printing to PDF.
#include "imframe/ChatRequests.h"
#include "obrix/CMemberDragText.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/parlo/CChatEntryWnd.h"
#include "plugin/im/parlo/CEntryListView.h"
#include "plugin/im/parlo/CMainFrame.h"
#include "plugin/im/parlo/CMessageEditCtrl.h"
#include "plugin/im/parlo/CParloApp.h"
#include "plugin/im/parlo/CParloOptionDlg.h"
#include "tests/support/ScriptedCore.h"

#include "obrix/ObrixApi.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ParloAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ScriptedCore::Reset(ObrixModule::Chat);
        ScriptedCore::SetRoot(root.path());
        ScriptedCore::SetUserId("a");
        ScriptedCore::SetLogonState(ObrixLogon::LoggedOn);
        ScriptedCore::AddGroup("g1", "Group 1");
        for (const char* id : {"a", "b", "c", "d", "e", "f"}) {
            const QString m = QString::fromLatin1(id);
            ScriptedCore::AddMember(m, "Fam-" + m, QString(), QString());
            ScriptedCore::AddMembership("g1", m, "Fam-" + m, m == "f" ? "off" : "on");
        }
        CIMMesPrompt::SetHandler([this](const CIMMesPrompt::Request& r) {
            prompts << r.shownText;
            return answer;
        });
        app = std::make_unique<CParloApp>();
        app->SetClock([this] { return now; });
        app->SetTonePlayer([this](const QString& path) { tones << path; });
        app->SetSavePathChooser([this](QWidget*, const QString& proposed) {
            proposedNames << proposed;
            return chosenPath;
        });
        app->OnInit();
        app->OnLogon(1);
    }
    void TearDown() override {
        app->OnKill();
        app.reset();
        CIMMesPrompt::SetHandler(nullptr);
        EXPECT_EQ(ScriptedCore::ForeignSettingCalls(), 0);
    }

    // A chat window for chat number n with the given members invited.
    CMainFrame* Start(int32_t chat, const QStringList& members) {
        std::vector<std::u16string> ids;
        for (const QString& m : members)
            ids.push_back(m.toStdU16String());
        std::vector<const char16_t*> pointers;
        for (const auto& s : ids)
            pointers.push_back(s.c_str());
        tagCHATBEGINMEMBERS record{pointers.data(), int32_t(pointers.size())};
        app->OnBegin(ChatBegin::StartChat, intptr_t(&record));
        app->OnChatCreate(chat, 1);
        return app->FindWindow(chat);
    }
    void Event(int32_t chat, int type, const QString& member, const QString& text,
               bool live = true) {
        const std::u16string m = member.toStdU16String(), t = text.toStdU16String();
        tagCHATEVENT e{type, m.c_str(), t.c_str(), {2026, 12, 1, 7, 9, 5, 3, 0}};
        if (live)
            app->OnChatUpdate(chat, &e);
        else
            app->OnChatAllLog(chat, &e);
    }
    QStringList Names(CMainFrame* w) const {
        QStringList names;
        for (const CParloParticipant& p : w->Doc().Participants().Items())
            names << p.id;
        return names;
    }

    QTemporaryDir root;
    qint64 now = 1'800'000'000'000;
    QStringList prompts;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    QStringList tones;
    QStringList proposedNames;
    QString chosenPath;
    std::unique_ptr<CParloApp> app;
};

TEST_F(ParloAppTest, StartsWithinTheRoomLimitOneRequestAtATime) {
    // A second start while the first awaits its answer does nothing.
    tagCHATBEGINMEMBERS none{nullptr, 0};
    app->OnBegin(ChatBegin::StartChat, intptr_t(&none));
    app->OnBegin(ChatBegin::StartChat, intptr_t(&none));
    EXPECT_EQ(ScriptedCore::CallsOf("ChatCreate").size(), 1);
    EXPECT_EQ(app->PendingRequests(), 1);
    // A refused start leaves no window and no pending request.
    app->OnChatCreate(-1, 0);
    EXPECT_EQ(app->PendingRequests(), 0);
    EXPECT_TRUE(app->Windows().isEmpty());
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts[0], QString::fromUtf16(u"会議室が満室のため、会議機能をご利用頂けません。"));

    for (int chat = 1; chat <= 5; ++chat)
        ASSERT_NE(Start(chat, {}), nullptr);
    ScriptedCore::ClearCalls();
    app->OnBegin(ChatBegin::StartChat, intptr_t(&none));
    EXPECT_TRUE(ScriptedCore::CallsOf("ChatCreate").isEmpty());
    // Closing one frees its room at once.
    app->FindWindow(3)->close();
    app->OnBegin(ChatBegin::StartChat, intptr_t(&none));
    EXPECT_EQ(ScriptedCore::CallsOf("ChatCreate").size(), 1);
    ASSERT_EQ(prompts.size(), 2);
    EXPECT_EQ(prompts[1],
              QString::fromUtf16(
                  u"既に最大会議室数(5)を超過していますので、自ら会議を始めることはできません。"));
}

TEST_F(ParloAppTest, StartInvitesTheOnLineMembersAndDropsRespectTheMemberLimit) {
    CMainFrame* w = Start(7, {"b", "f", "c"});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Names(w), QStringList({"a", "b", "c"})) << "the user first, off-line f left out";
    EXPECT_EQ(ScriptedCore::CallsOf("ChatInvite"),
              QStringList({"ChatInvite\t7\tb", "ChatInvite\t7\tc"}));
    EXPECT_FALSE(w->Doc().AloneTimerRunning());
    // Four participants and two dropped at once: refused whole.
    app->Invite(w, {"d"}, true);
    ScriptedCore::ClearCalls();
    app->Invite(w, {"e", "b"}, true);
    EXPECT_TRUE(ScriptedCore::CallsOf("ChatInvite").isEmpty());
    EXPECT_EQ(prompts.last(),
              QString::fromUtf16(u"最大参加メンバー数（5人)を超えての参加依頼はできません。"));
    // Only member items of a drag text are taken; groups and the on-line marker invite nobody.
    EXPECT_TRUE(CEntryListView::DroppedMembers("G,g1,O,OnNetters").isEmpty());
    EXPECT_EQ(CEntryListView::DroppedMembers("m,e,G,g1,M,e,b"), QStringList({"e", "b"}));
}

TEST_F(ParloAppTest, UnansweredInvitationIsDeclinedAfterTheTimeoutAndAnsweredOnesJoin) {
    app->OnChatInvite(9, u"b", u"Fam-b");
    ASSERT_EQ(app->Invitations().size(), 1);
    CChatEntryWnd* wnd = app->Invitations().first();
    // MessagePosition 1 (the default): the top right corner of the work area.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(wnd->frameGeometry().right(), area.right());
    EXPECT_EQ(wnd->frameGeometry().top(), area.top());
    EXPECT_GE(wnd->width(), CChatEntryWnd::kWidth);
    EXPECT_TRUE(tones.isEmpty()) << "no tone file in the test's program folder: nothing plays";
    now += 89'999;
    wnd->CheckTimeout();
    EXPECT_TRUE(ScriptedCore::CallsOf("ChatDecline").isEmpty());
    now += 1;
    wnd->CheckTimeout();
    EXPECT_EQ(ScriptedCore::CallsOf("ChatDecline"), QStringList({"ChatDecline\t9\t0"}));
    EXPECT_TRUE(app->Invitations().isEmpty());

    app->OnChatInvite(10, u"c", u"Fam-c");
    app->Invitations().first()->NoButton()->click();
    EXPECT_EQ(ScriptedCore::CallsOf("ChatDecline").last(), "ChatDecline\t10\t1");
    app->OnChatInvite(11, u"d", u"Fam-d");
    app->Invitations().first()->YesButton()->click();
    EXPECT_EQ(ScriptedCore::CallsOf("ChatJoin"), QStringList({"ChatJoin\t11"}));
    ASSERT_NE(app->FindWindow(11), nullptr);
    // The joined window lists the user first; the others come with the chat's events.
    EXPECT_EQ(Names(app->FindWindow(11)), QStringList({"a"}));
    Event(11, 2, "d", "Fam-dさんが参加しました。");
    Event(11, 2, "a", "Fam-aさんが参加しました。");
    EXPECT_EQ(Names(app->FindWindow(11)), QStringList({"a", "d"}));
    EXPECT_TRUE(ScriptedCore::CallsOf("ChatInvite").isEmpty()) << "joining invites nobody";
    // Log-off closes the chat windows through their close path and every invitation.
    app->OnChatInvite(12, u"e", u"Fam-e");
    app->OnLogoff(1);
    EXPECT_TRUE(app->Invitations().isEmpty());
    EXPECT_EQ(ScriptedCore::CallsOf("ChatClose"), QStringList({"ChatClose\t11"}));
}

TEST_F(ParloAppTest, EventsFollowTheListAndOnlyLiveOnesRing) {
    QDir().mkpath(root.path() + "/app/plugin/im");
    QFile tone(root.path() + "/app/plugin/im/ChatSpeak.wav");
    ASSERT_TRUE(tone.open(QIODevice::WriteOnly));
    tone.write("RIFF");
    tone.close();
    CMainFrame* w = Start(3, {"b"});
    ASSERT_NE(w, nullptr);
    Event(3, 2, "a", "Fam-a さんが参加しました。", false);
    Event(3, 2, "b", "Fam-b さんが参加しました。", false);
    Event(3, 0, "b", "<BODY>replayed</BODY>", false);
    EXPECT_TRUE(tones.isEmpty()) << "a replayed event plays no sound";
    // A live event for a window in the background rings the talk tone.
    QWidget other;
    other.show();
    other.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_FALSE(w->isActiveWindow());
    Event(3, 2, "c", "Fam-c さんが参加しました。");
    EXPECT_EQ(Names(w), QStringList({"a", "b", "c"}));
    EXPECT_EQ(tones, QStringList({root.path() + "/app/plugin/im/ChatSpeak.wav"}));
    Event(4, 0, "b", "<BODY>another chat</BODY>");
    EXPECT_FALSE(w->LogView()->toPlainText().contains("another chat"));
    Event(3, 6, "c", "Fam-c さんがログオフしました。");
    EXPECT_EQ(Names(w), QStringList({"a", "b"}));
    EXPECT_TRUE(w->LogView()->toPlainText().contains("replayed"));
    EXPECT_EQ(w->Doc().StartTime()->date(), QDate(2026, 12, 7))
        << "the first event sets the start time";
}

TEST_F(ParloAppTest, TalkIsWrittenAsChatHtmlLoggedAndSent) {
    CMainFrame* w = Start(5, {"b"});
    ASSERT_NE(w, nullptr);
    w->Input()->insertPlainText("a < b");
    w->SendButton()->click();
    const QStringList talk = ScriptedCore::CallsOf("ChatTalk");
    ASSERT_EQ(talk.size(), 1);
    EXPECT_TRUE(talk[0].startsWith("ChatTalk\t5\t<BODY>")) << talk[0].toStdString();
    EXPECT_TRUE(talk[0].contains("a &lt; b")) << talk[0].toStdString();
    ASSERT_FALSE(ScriptedCore::LogLines().isEmpty());
    EXPECT_TRUE(ScriptedCore::LogLines().last().startsWith("5\t0\tSendData: <BODY>"));
    EXPECT_TRUE(w->Input()->document()->isEmpty());
    EXPECT_TRUE(w->PollTimer().isActive());
    // An empty line sends nothing.
    w->SendButton()->click();
    EXPECT_EQ(ScriptedCore::CallsOf("ChatTalk").size(), 1);
}

TEST_F(ParloAppTest, AloneChatClosesAfterTheTimeoutAndSavesIntoTheFolderNumbered) {
    CParloSettings s = app->Settings();
    s.logSave = 0;
    s.logSavePath = root.path() + "/logs/会議";
    s.timeout = 300;
    app->StoreSettings(s);
    QStringList saved;
    for (int round = 0; round < 2; ++round) {
        const int32_t chat = 20 + round;
        CMainFrame* w = Start(chat, {"b"});
        ASSERT_NE(w, nullptr);
        Event(chat, 2, "a", "Fam-a さんが参加しました。");
        Event(chat, 2, "b", "Fam-b さんが参加しました。");
        Event(chat, 0, "b", "<BODY>こんにちは</BODY>");
        Event(chat, 3, "b", "Fam-b さんが退席しました。");
        ASSERT_TRUE(w->Doc().AloneTimerRunning());
        now += 299'000;
        w->CheckAlone();
        ASSERT_NE(app->FindWindow(chat), nullptr);
        now += 1'000;
        QPointer<CMainFrame> guard(w);
        w->CheckAlone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(guard.isNull());
        EXPECT_EQ(ScriptedCore::CallsOf("ChatClose").last(), QString("ChatClose\t%1").arg(chat));
    }
    const QStringList files = QDir(s.logSavePath).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << files.join(", ").toStdString();
    EXPECT_EQ(files[0], "20261207_090503_Fam-a_Fam-b(1).doc");
    EXPECT_EQ(files[1], "20261207_090503_Fam-a_Fam-b.doc");
}

TEST_F(ParloAppTest, ClosingAsksBeforeSavingAndAnEmptyLogIsNotOffered) {
    CMainFrame* empty = Start(30, {"b"});
    empty->close();
    EXPECT_TRUE(prompts.isEmpty()) << "a log never written to is not offered";
    CMainFrame* w = Start(31, {"b"});
    Event(31, 2, "b", "Fam-b さんが参加しました。");
    chosenPath = root.path() + "/chosen.doc";
    w->close();
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts[0], QString::fromUtf16(u"会議の議事録を保存しますか？"));
    EXPECT_TRUE(QFile::exists(chosenPath));
    ASSERT_EQ(proposedNames.size(), 1);
    // The dialog starts in the documents folder, then where the last log went.
    EXPECT_EQ(proposedNames[0],
              QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                  .filePath("20261207_090503_Fam-b.doc"));
    CMainFrame* next = Start(32, {"b"});
    Event(32, 2, "b", "Fam-b さんが参加しました。");
    next->close();
    ASSERT_EQ(proposedNames.size(), 2);
    EXPECT_EQ(proposedNames[1], root.path() + "/20261207_090503_Fam-b.doc");
}

TEST_F(ParloAppTest, ParticipantListSideFollowsTheOptionAndTabFollowsTheSide) {
    CParloSettings s = app->Settings();
    s.memberListPosition = 0;
    app->StoreSettings(s);
    CMainFrame* w = Start(40, {});
    EXPECT_EQ(w->Splitter()->indexOf(w->List()), 0);
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    // From the send button round to the input line, the columns in their order on the screen.
    const auto tabRound = [w] {
        w->SendButton()->setFocus();
        QList<QWidget*> seen;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget();
        }
        return seen;
    };
    const QList<QWidget*> bar{w->findChild<QWidget*>("faces"), w->findChild<QWidget*>("sizes"),
                              w->findChild<QWidget*>("textColor"), w->Input(), w->SendButton()};
    EXPECT_EQ(tabRound(), QList<QWidget*>({w->List(), w->LogView()}) + bar);
    s.memberListPosition = 1;
    app->StoreSettings(s);
    EXPECT_EQ(w->Splitter()->indexOf(w->List()), 1);
    EXPECT_EQ(tabRound(), QList<QWidget*>({w->LogView(), w->List()}) + bar);
}

TEST_F(ParloAppTest, OptionWindowRefusesTimeoutsOutsideTheRangeAndForgetsTheFolderWhenAsking) {
    app->OnOption();
    CParloOptionDlg* dlg = app->OptionDialog();
    ASSERT_NE(dlg, nullptr);
    app->OnOption();
    EXPECT_EQ(app->OptionDialog(), dlg) << "one option window at a time";
    for (int bad : {0, 10000}) {
        dlg->AloneTimeoutField()->setValue(bad);
        EXPECT_FALSE(dlg->Confirm());
        EXPECT_EQ(prompts.last(), QString::fromUtf16(u"その値は設定できません。"));
    }
    dlg->AloneTimeoutField()->setValue(9999);
    dlg->EntryTimeoutField()->setValue(0);
    EXPECT_FALSE(dlg->Confirm());
    dlg->EntryTimeoutField()->setValue(1);
    dlg->AskBox()->setChecked(false);
    dlg->LogPathField()->setText("/tmp/logs");
    dlg->AskBox()->setChecked(true);
    EXPECT_TRUE(dlg->Confirm());
    EXPECT_EQ(ScriptedCore::StoredInt("DefaultSetting", "Timeout"), 9999);
    EXPECT_EQ(ScriptedCore::StoredInt("DefaultSetting", "ChatEntryTimeout"), 1);
    EXPECT_EQ(ScriptedCore::StoredInt("DefaultSetting", "LogSave"), 1);
    EXPECT_EQ(ScriptedCore::StoredString("DefaultSetting", "LogSavePath"), "");
    EXPECT_EQ(prompts.size(), 3);

    // The defaults button puts the table's values back in the controls.
    app->OnOption();
    dlg = app->OptionDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->DefaultsButton()->click();
    EXPECT_EQ(dlg->Values(), CParloSettings());
}

TEST_F(ParloAppTest, PrintedLogCarriesThePrintingTimeAndPageNumbers) {
    CMainFrame* w = Start(50, {"b"});
    Event(50, 2, "b", "Fam-b さんが参加しました。");
    Event(50, 0, "b", "<BODY>印刷の確認</BODY>");
    const QString pdf = root.path() + "/log.pdf";
    w->PrintToPdf(pdf);
    ASSERT_TRUE(QFile::exists(pdf));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (scripts/bootstrap.sh installs it)";
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    // CJK fonts may map a glyph to its radical form (U+2F47 for 日); compatibility
    // normalisation folds those back.
    const QString text =
        QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    EXPECT_TRUE(text.contains(QString::fromUtf16(u"印刷日時:"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf16(u"印刷の確認"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf16(u"1 ページ"))) << text.toStdString();
}

} // namespace

namespace {

TEST_F(ParloAppTest, MemberTonesSetByOtherPlugInsComeFirstUntilCleared) {
    const QString own = root.path() + "/b.wav";
    QFile file(own);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
    file.close();
    CParloSettings s = app->Settings();
    s.entrySetType = CParloSettings::NoTone;
    app->StoreSettings(s);

    const std::u16string path = own.toStdU16String();
    tagCHATBEGINTONE tone{u"b", path.c_str()};
    app->OnBegin(ChatBegin::MemberTone, intptr_t(&tone));
    app->OnChatInvite(60, u"b", u"Fam-b");
    EXPECT_EQ(tones, QStringList({own})) << "a personal tone rings whatever the tone type says";
    app->OnChatInvite(61, u"c", u"Fam-c");
    EXPECT_EQ(tones.size(), 1) << "others hear the option's choice: none";

    tagCHATBEGINTONE clear{u"b", u""};
    app->OnBegin(ChatBegin::ClearMemberTone, intptr_t(&clear));
    app->OnChatInvite(62, u"b", u"Fam-b");
    EXPECT_EQ(tones.size(), 1);
    app->OnBegin(ChatBegin::MemberTone, intptr_t(&tone));
    app->OnBegin(ChatBegin::ClearAllTones, 0);
    app->OnChatInvite(63, u"b", u"Fam-b");
    EXPECT_EQ(tones.size(), 1) << "clear-all forgets every personal tone";
    EXPECT_EQ(app->Invitations().size(), 4);
}

} // namespace

namespace {

TEST_F(ParloAppTest, DroppedMembersAreInvitedOnceAndGroupsInviteNobody) {
    CMainFrame* w = Start(70, {"b"});
    ASSERT_NE(w, nullptr);
    ScriptedCore::ClearCalls();
    const auto drop = [w](const QString& text) {
        std::unique_ptr<QMimeData> data(CMemberDragText(CMemberDragText::Parse(text)).ToMimeData());
        const QPoint at = w->List()->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->List()->viewport(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->List()->viewport(), &dropped);
    };
    drop("G,g1,O,OnNetters");
    EXPECT_TRUE(ScriptedCore::CallsOf("ChatInvite").isEmpty());
    drop("M,d,M,d,G,g1");
    EXPECT_EQ(ScriptedCore::CallsOf("ChatInvite"), QStringList({"ChatInvite\t70\td"}));
    EXPECT_EQ(Names(w), QStringList({"a", "b", "d"}));
}

TEST_F(ParloAppTest, EnterSendsAndShiftEnterStartsANewLine) {
    CMainFrame* w = Start(71, {"b"});
    ASSERT_NE(w, nullptr);
    QTest::keyClicks(w->Input(), "one");
    QTest::keyClick(w->Input(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(w->Input(), "two");
    EXPECT_TRUE(ScriptedCore::CallsOf("ChatTalk").isEmpty());
    QTest::keyClick(w->Input(), Qt::Key_Return);
    const QStringList talk = ScriptedCore::CallsOf("ChatTalk");
    ASSERT_EQ(talk.size(), 1);
    EXPECT_TRUE(talk[0].contains("one\ntwo")) << talk[0].toStdString();
    // The option font is ＭＳ Ｐゴシック 12 points black: no FONT element.
    EXPECT_FALSE(talk[0].contains("<FONT")) << talk[0].toStdString();
}

} // namespace

namespace {

// The commands of the pop-up menu a view opens, read and then closed.
QStringList PopUpTexts(QTextEdit* view) {
    emit view->customContextMenuRequested(QPoint(2, 2));
    QStringList texts;
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        menu->close();
    }
    return texts;
}

} // namespace

TEST_F(ParloAppTest, LogAndInputLinePopUpMenusSpeakJapanese) {
    CMainFrame* w = Start(72, {"b"});
    ASSERT_NE(w, nullptr);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QStringList log = PopUpTexts(w->LogView());
    ASSERT_EQ(log.size(), 2) << log.join(u' ').toStdString();
    EXPECT_TRUE(log[0].startsWith(QString::fromUtf16(u"コピー")));
    EXPECT_TRUE(log[1].startsWith(QString::fromUtf16(u"すべて選択")));
    const QStringList input = PopUpTexts(w->Input());
    ASSERT_EQ(input.size(), 5) << input.join(u' ').toStdString();
    EXPECT_TRUE(input[0].startsWith(QString::fromUtf16(u"元に戻す")));
    EXPECT_TRUE(input[3].startsWith(QString::fromUtf16(u"貼り付け")));
}
