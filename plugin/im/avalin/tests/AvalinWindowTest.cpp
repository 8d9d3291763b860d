// The IM window and its status dialogs on the scripted core, under the offscreen platform.
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CAvalinApp.h"
#include "plugin/im/avalin/CAvalinDlg.h"
#include "plugin/im/avalin/CChangeStatusDlg.h"
#include "plugin/im/avalin/CMemberTreeModel.h"
#include "obrix/CIMSndInfo.h"
#include "plugin/im/avalin/CGroupPropDlg.h"
#include "plugin/im/avalin/CMemberPropDlg.h"
#include "plugin/im/avalin/CMessageList.h"
#include "plugin/im/avalin/CNewPage.h"
#include "plugin/im/avalin/CPresenceList.h"
#include "plugin/im/avalin/COptionGeneralPage.h"
#include "plugin/im/avalin/CPresetList.h"
#include "plugin/im/avalin/COptionStatusPage.h"
#include "plugin/im/avalin/CSendPage.h"
#include "plugin/im/avalin/CSettingSoundDlg.h"
#include "tests/support/ScriptedCore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QButtonGroup>
#include <QHeaderView>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace AvalinCmd;

class AvalinWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedCore::Reset(ObrixModule::Presence);
        ScriptedCore::SetRoot(root.path());
        ScriptedCore::SetUserId(QStringLiteral("me"));
        ScriptedCore::AddGroup(QStringLiteral("sales"), QStringLiteral("営業部"));
        ScriptedCore::AddGroup(QStringLiteral("dev"), QStringLiteral("開発部"));
        ScriptedCore::AddMembership("sales", "me", "自分", "on");
        ScriptedCore::AddMembership("sales", "aoki", "青木", "on");
        ScriptedCore::AddMembership("sales", "baba", "馬場", "off");
        ScriptedCore::AddMembership("dev", "aoki", "青木", "on");
        app = std::make_unique<CAvalinApp>();
        app->OnStart();
    }
    void TearDown() override {
        app->OnKill();
        app.reset();
        EXPECT_EQ(ScriptedCore::ForeignSettingCalls(), 0);
    }

    void LogOn() {
        ScriptedCore::SetLogonState(ObrixLogon::LoggedOn);
        app->OnLogon(1);
    }
    CAvalinDlg& Window() { return *app->Window(); }
    bool ButtonEnabled(int command) { return Window().Button(command)->isEnabled(); }
    // Offers a key press to the plug-in as the host does before delivery.
    bool Press(QKeyCombination key) {
        Window().activateWindow();
        QApplication::setActiveWindow(&Window());
        QKeyEvent event(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        MSG msg{Window().PresenceList(), &event};
        return app->OnPreTranslateMessage(&msg) != 0;
    }
    // Answers the next modal box with its accepting or rejecting button and records its text.
    void AnswerNextBox(bool accept, QString* text = nullptr) {
        QTimer::singleShot(0, [accept, text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (text)
                *text = box->text();
            for (QAbstractButton* button : box->buttons()) {
                const auto role = box->buttonRole(button);
                if (role == (accept ? QMessageBox::AcceptRole : QMessageBox::RejectRole)) {
                    button->click();
                    return;
                }
            }
            FAIL() << "no such button";
        });
    }

    QTemporaryDir root;
    std::unique_ptr<CAvalinApp> app;
};

TEST_F(AvalinWindowTest, LoggedOffTheSessionCommandsStayDisabledAndKeysDoNothing) {
    EXPECT_FALSE(ButtonEnabled(StatusChangeButton));
    EXPECT_FALSE(ButtonEnabled(NewMessageButton));
    EXPECT_FALSE(ButtonEnabled(ChatButton));
    EXPECT_TRUE(ButtonEnabled(MessageBoxButton));
    EXPECT_TRUE(Press(QKeyCombination(Qt::Key_F2)));
    EXPECT_TRUE(Press(Qt::CTRL | Qt::Key_N));
    EXPECT_TRUE(ScriptedCore::SentStatuses().isEmpty());
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("Begin")).isEmpty());
    // Message box needs no session.
    EXPECT_TRUE(Press(Qt::CTRL | Qt::Key_B));
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("Begin")), QStringList{"Begin\t6\t0\t0"});

    LogOn();
    EXPECT_TRUE(ButtonEnabled(StatusChangeButton));
    EXPECT_TRUE(ButtonEnabled(NewMessageButton));
    EXPECT_FALSE(ButtonEnabled(ChatButton)) << "no chat module is loaded";
    app->OnLogoff(1);
    EXPECT_FALSE(ButtonEnabled(NewMessageButton));
    EXPECT_EQ(app->Model().rowCount(), 0);
}

TEST_F(AvalinWindowTest, PresetKeysApplyTheirPresetsWithF3BeforeF4) {
    LogOn();
    // The defaults show "OnNet" everywhere; make preset 1 distinguishable.
    CIMPreset busy = app->Presets().At(1);
    busy.SetStatus(QStringLiteral("会議中"));
    app->StorePreset(1, busy);
    ASSERT_TRUE(Press(QKeyCombination(Qt::Key_F3)));
    ASSERT_EQ(ScriptedCore::SentStatuses().size(), 1);
    EXPECT_EQ(ScriptedCore::SentStatuses().back().GetStatus(), QStringLiteral("会議中"));
    EXPECT_EQ(ScriptedCore::SentStatuses().back().GetGroup(), QStringLiteral("sales"));
    EXPECT_EQ(app->LastPreset(), 1);
    ASSERT_TRUE(Press(QKeyCombination(Qt::Key_F2)));
    EXPECT_EQ(ScriptedCore::SentStatuses().back().GetStatus(), QStringLiteral("OnNet"));
    EXPECT_EQ(app->OwnStatus().status, QStringLiteral("OnNet"));
    EXPECT_EQ(CAvalinDlg::AcceleratorCommand(0, Qt::CTRL | Qt::Key_M), SelectMessage);
    EXPECT_EQ(CAvalinDlg::AcceleratorCommand(1, Qt::CTRL | Qt::Key_M), 0);
    // The presets survive in the account's file.
    EXPECT_TRUE(QFile::exists(app->DataPath(QStringLiteral("Preset.zin"))));
}

TEST_F(AvalinWindowTest, LogOnListsGroupsAndPresenceEventsUpdateTheRows) {
    ScriptedCore::SetString(QStringLiteral("IMWINDOW"), QStringLiteral("WinPos"),
                            QStringLiteral("2:40:50:440:650"));
    LogOn();
    const CMemberTreeModel& model = app->Model();
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("OnNetMembers"));
    EXPECT_EQ(model.RowKind(1), CMemberTreeModel::OwnRow);
    EXPECT_GE(model.FindGroupRow(QStringLiteral("dev")), 0);
    EXPECT_FALSE(Window().isMinimized());
    EXPECT_EQ(Window().normalGeometry().topLeft(), QPoint(40, 50));

    const int before = ScriptedCore::DirectoryReads();
    ScriptedCore::SetStatus(QStringLiteral("sales"), QStringLiteral("baba"),
                            QStringLiteral("外出中"));
    app->OnChangeMemPresence(u"sales", u"baba", u"off");
    const int row = model.FindMemberRow(QStringLiteral("OnNetters"), QStringLiteral("baba"));
    ASSERT_GT(row, 0);
    EXPECT_EQ(model.index(row, 2).data().toString(), QStringLiteral("外出中"));
    EXPECT_LE(ScriptedCore::DirectoryReads() - before, 2) << "one membership read per group";
    const QString artifacts = qEnvironmentVariable("ZELTA_TEST_DIR") + QStringLiteral("/artifacts");
    QDir().mkpath(artifacts);
    QApplication::processEvents();
    Window().grab().save(artifacts + QStringLiteral("/avalin-window-scripted.png"));

    // Log-off keeps the layout for the next log-on.
    app->OnLogoff(1);
    EXPECT_EQ(ScriptedCore::StoredString(QStringLiteral("PresencePage"), QStringLiteral("ColSize"))
                  .value_or(QString())
                  .count(u':'),
              2);
    EXPECT_TRUE(ScriptedCore::StoredString(QStringLiteral("IMWINDOW"), QStringLiteral("WinPos"))
                    .value_or(QString())
                    .startsWith(QStringLiteral("1:40:50:")));
}

TEST_F(AvalinWindowTest, LogonCommandOnlyWarnsDuringATransitionAndAsksBeforeLoggingOff) {
    ScriptedCore::SetLogonState(ObrixLogon::LoggingOn);
    QString warning;
    AnswerNextBox(true, &warning);
    Window().OnCommand(Logon);
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("Logon")).isEmpty());

    LogOn();
    AnswerNextBox(false);
    Window().OnCommand(Logon);
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("Logoff")).isEmpty());
    AnswerNextBox(true);
    Window().OnCommand(Logon);
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("Logoff")).size(), 1);
}

TEST_F(AvalinWindowTest, StatusDialogRefusesOfflineWordsAndKeepsRedPresetsEverywhere) {
    LogOn();
    {
        CChangeStatusDlg dlg(*app, -1, &Window());
        EXPECT_TRUE(dlg.AllGroups()->isChecked());
        dlg.StatusEdit()->setText(QStringLiteral("offnet"));
        AnswerNextBox(true);
        dlg.accept();
        EXPECT_EQ(dlg.result(), 0) << "an off-line status is refused and the dialog stays";
        EXPECT_EQ(dlg.StatusEdit()->selectedText(), QStringLiteral("offnet"));

        dlg.StatusEdit()->setText(QStringLiteral("OnNet"));
        dlg.accept();
        EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
        EXPECT_EQ(dlg.Result().GetStatus(), QStringLiteral("on"));
        EXPECT_EQ(dlg.Result().GetGroup(), QStringLiteral("sales"));
    }
    {
        CChangeStatusDlg dlg(*app, 4, &Window());
        dlg.StatusEdit()->setText(QStringLiteral("&"));
        dlg.AllGroups()->click();
        EXPECT_FALSE(dlg.AllGroups()->isChecked());
        EXPECT_FALSE(dlg.GroupList()->isEnabled());
        dlg.ColourBox()->setCurrentIndex(2);
        AnswerNextBox(true);
        dlg.accept();
        EXPECT_TRUE(dlg.AllGroups()->isChecked()) << "red is shown in all groups";
    }
    EXPECT_EQ(app->Presets().At(4).GetGroup(), QStringLiteral("sales"));
    EXPECT_EQ(app->Presets().At(4).GetBkColor(), AvalinColour::Red);
    // The menus show the "&" as typed.
    QMenu* file = Window().MenuBar(0)->actions().front()->menu();
    QMenu* status = nullptr;
    for (QAction* action : file->actions())
        status = action->menu() ? action->menu() : status;
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->actions().at(4)->text().startsWith(QStringLiteral("&&\t")));
}

CLetrix StoredMessage(const QString& id, const QString& subject, uint32_t flags = 0) {
    CLetrix m;
    m.SetMessageID(id);
    m.SetSubject(subject);
    m.SetFromID(QStringLiteral("aoki"));
    m.SetFromName(QStringLiteral("青木"));
    m.AddDst(CLetrix::DST_TO, QStringLiteral("me"));
    m.SetFlags(flags);
    m.CreateSendTime();
    return m;
}

TEST_F(AvalinWindowTest, MessageListsFollowTheCoreAndHandTheirCommandsToTheMessageModule) {
    ScriptedCore::SetInt(QStringLiteral("NewPage"), QStringLiteral("DspUnRead"), 0);
    ScriptedCore::SetInt(QStringLiteral("NewPage"), QStringLiteral("DspCnt"), 2);
    ScriptedCore::AddMember(QStringLiteral("aoki"), QStringLiteral("青木"), QString(),
                            QStringLiteral("太郎"));
    LogOn();
    for (const char* id : {"r1", "r2", "r3"})
        ScriptedCore::AddMessage(ObrixBox::Received,
                                 StoredMessage(QString::fromLatin1(id), QString::fromLatin1(id)));
    CLetrix sent = StoredMessage(QStringLiteral("s1"), QStringLiteral("報告"));
    sent.AddDst(CLetrix::DST_TO, QStringLiteral("aoki,all@dev"));
    ScriptedCore::AddMessage(ObrixBox::Sent, sent);

    CMessageListModel& received = Window().NewPage()->Model();
    for (const char16_t* id : {u"r1", u"r2", u"r3", u"unknown"})
        app->OnRecvMessage(id);
    EXPECT_EQ(received.ArrivalOrder(), (QStringList{"r2", "r3"})) << "two are kept";
    EXPECT_EQ(ScriptedCore::OutstandingMessages(), 0) << "every record went back to the core";
    EXPECT_NE(app->OnSendMessage(u"s1"), 0) << "the listed record";
    EXPECT_EQ(app->OnSendMessage(u"s1"), 0) << "listed once";
    EXPECT_EQ(Window().SendPage()->Model().index(0, 1).data().toString(),
              QStringLiteral("青木  太郎,開発部")) << "the user, unknown to the directory here, is left out";

    // One selected row: the commands carry the received box to the message module.
    Window().SelectTab(1);
    CMessageList* list = Window().NewPage()->List();
    list->setCurrentIndex(received.index(received.RowOf(QStringLiteral("r2")), 0));
    ScriptedCore::ClearCalls();
    for (int command : {Reply, ReplyAll, Open, Transfer, Property, ReEdit})
        Window().OnCommand(command);
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("Begin")),
              (QStringList{"Begin\t4\t2\t1", "Begin\t4\t3\t1", "Begin\t4\t5\t1",
                           "Begin\t4\t6\t1", "Begin\t2\t2\t1"}));
    // Two rows: commands on one message do nothing.
    list->selectAll();
    ScriptedCore::ClearCalls();
    Window().OnCommand(Reply);
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("Begin")).isEmpty());

    // Read in the message module: with "DspUnRead" 0 it leaves the list.
    app->OnChangeMessageFlags(ObrixBox::Received, u"R3", LETRIX_FLAG_READ);
    EXPECT_EQ(received.ArrivalOrder(), QStringList{"r2"});
    // Clear asks first; Cancel keeps the rows.
    AnswerNextBox(false);
    Window().OnCommand(ClearAll);
    EXPECT_EQ(received.rowCount(), 1);
    AnswerNextBox(true);
    Window().OnCommand(ClearAll);
    EXPECT_EQ(received.rowCount(), 0);

    // The sent tab re-edits from the sent box; a removed message leaves its list.
    Window().SelectTab(2);
    Window().SendPage()->List()->setCurrentIndex(Window().SendPage()->Model().index(0, 0));
    ScriptedCore::ClearCalls();
    Window().OnCommand(ReEdit);
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("Begin")), QStringList{"Begin\t4\t4\t1"});
    app->OnRemoveMessage(ObrixBox::Sent, u"s1");
    EXPECT_EQ(Window().SendPage()->Model().rowCount(), 0);

    // The sort survives log-off.
    Window().SendPage()->SortByPosition(3, false);
    app->OnLogoff(1);
    EXPECT_EQ(ScriptedCore::StoredInt(QStringLiteral("SendPage"), QStringLiteral("SortIndex")), 3);
    EXPECT_EQ(ScriptedCore::StoredInt(QStringLiteral("SendPage"), QStringLiteral("SortAsc")), 0);
}

// The option sheet sends OK as a window message and reads the answer back.
intptr_t SendOk(QWidget* page) {
    CWndMessageEvent ok(ZeltaMsg::OptionOK);
    QApplication::sendEvent(page, &ok);
    return ok.result();
}

TEST_F(AvalinWindowTest, OptionPagesRefuseValuesOutOfRangeAndStoreWhatTheyTake) {
    // Logged off, the sheet gets no pages of this plug-in.
    ScriptedCore::SetLogonState(ObrixLogon::LoggedOff);
    app->OnBeginOption();
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("AddOptionPage")).isEmpty());
    EXPECT_EQ(app->GeneralPage(), nullptr);
    app->OnKillOption();
    LogOn();
    app->OnBeginOption();
    ASSERT_EQ(ScriptedCore::CallsOf(QStringLiteral("AddOptionPage")).size(), 1);
    COptionGeneralPage* general = app->GeneralPage();
    COptionStatusPage* presence = app->StatusPage();
    ASSERT_TRUE(general && presence);

    general->NewCountBox()->setValue(51);
    QString warning;
    AnswerNextBox(true, &warning);
    EXPECT_EQ(SendOk(general), 0);
    EXPECT_EQ(warning, app->Text(274));
    EXPECT_EQ(general->NewCountBox()->findChild<QLineEdit*>()->selectedText(), u"51"_qs)
        << "the bad field is selected for typing over";
    EXPECT_FALSE(ScriptedCore::StoredInt(u"NewPage"_qs, u"DspCnt"_qs).has_value())
        << "nothing is written";
    general->NewCountBox()->setValue(50);
    general->UnreadBox()->setChecked(false);
    EXPECT_EQ(SendOk(general), 1);
    EXPECT_EQ(ScriptedCore::StoredInt(u"NewPage"_qs, u"DspCnt"_qs), 50);
    EXPECT_EQ(ScriptedCore::StoredInt(u"NewPage"_qs, u"DspUnRead"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"General"_qs, u"Logoff"_qs), 1);

    // The absent status may not mean off line; "OnNet" is stored as "on".
    presence->TimeBox()->setValue(121);
    AnswerNextBox(true);
    EXPECT_EQ(SendOk(presence), 0);
    presence->TimeBox()->setValue(120);
    presence->StatusEdit()->setText(u"OffNet"_qs);
    AnswerNextBox(true);
    EXPECT_EQ(SendOk(presence), 0);
    EXPECT_EQ(presence->StatusEdit()->selectedText(), u"OffNet"_qs);
    presence->StatusEdit()->setText(u"OnNet"_qs);
    presence->ColumnBox()->setValue(49);
    AnswerNextBox(true);
    EXPECT_EQ(SendOk(presence), 0);
    presence->ColumnBox()->setValue(5000);
    EXPECT_EQ(SendOk(presence), 1);
    EXPECT_EQ(ScriptedCore::StoredString(u"PresencePage"_qs, u"Status"_qs), u"on"_qs);
    EXPECT_EQ(ScriptedCore::StoredInt(u"PresencePage"_qs, u"Time"_qs), 120);
    EXPECT_EQ(ScriptedCore::StoredInt(u"PresencePage"_qs, u"MemColSize"_qs), 5000);
    // Without the chat module a double-click only writes a message.
    EXPECT_EQ(ScriptedCore::StoredInt(u"PresencePage"_qs, u"DBClick"_qs), 0);
    EXPECT_TRUE(Window().IsIdleTimerRunning());

    // With absent handling off the time is not checked and the timer stops.
    presence->ChangeStatusBox()->setChecked(false);
    EXPECT_FALSE(presence->TimeBox()->isEnabled());
    presence->TimeBox()->setValue(0);
    EXPECT_EQ(SendOk(presence), 1);
    EXPECT_FALSE(Window().IsIdleTimerRunning());
    app->OnKillOption();
    EXPECT_EQ(app->GeneralPage(), nullptr);
}

TEST_F(AvalinWindowTest, DefaultThenOkResetsTheLayoutAndTonesButOkAloneNeverDoes) {
    ScriptedCore::SetModulePresent(ObrixModule::Chat, true);
    LogOn();
    app->Model().Toggle(app->Model().FindGroupRow(u"dev"_qs));
    ASSERT_TRUE(QFile::exists(app->DataPath(u"DeployGrpID.zin"_qs)));
    Window().SelectTab(2);
    app->OnBeginOption();
    ScriptedCore::ClearCalls();
    EXPECT_EQ(SendOk(app->GeneralPage()), 1);
    EXPECT_EQ(Window().CurrentTab(), 2);
    EXPECT_TRUE(ScriptedCore::CallsOf(u"Begin"_qs).isEmpty());

    CWndMessageEvent defaults(ZeltaMsg::OptionDefault);
    QApplication::sendEvent(app->GeneralPage(), &defaults);
    EXPECT_EQ(app->GeneralPage()->NewCountBox()->value(), 10);
    EXPECT_EQ(SendOk(app->GeneralPage()), 1);
    EXPECT_EQ(Window().CurrentTab(), 0);
    EXPECT_FALSE(QFile::exists(app->DataPath(u"DeployGrpID.zin"_qs)));
    EXPECT_FALSE(app->Model().IsExpanded(app->Model().FindGroupRow(u"dev"_qs)));
    EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs),
              (QStringList{"Begin\t4\t10\t0", "Begin\t5\t3\t0"}));
    app->OnKillOption();
}

TEST_F(AvalinWindowTest, SoundWindowOkSetsOrClearsTheEntryAndTellsTheOtherModules) {
    ScriptedCore::SetModulePresent(ObrixModule::Chat, true);
    ScriptedCore::AddMember(u"aoki"_qs, u"青木"_qs, QString(), QString());
    LogOn();
    const QString wav = root.filePath(u"aoki.WAV"_qs);

    // Set: the entry is stored and saved, the message module learns the path.
    app->OpenSoundDialog(u"aoki"_qs);
    CSettingSoundDlg* dlg = app->SoundDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(dlg->ChooseButton()->isEnabled());
    app->OpenSoundDialog(u"baba"_qs);
    EXPECT_EQ(app->SoundDialog(), dlg) << "one sound window at a time";
    dlg->OwnSoundBox()->setChecked(true);
    EXPECT_TRUE(dlg->ChooseButton()->isEnabled());
    EXPECT_FALSE(dlg->PlayButton()->isEnabled());
    EXPECT_FALSE(dlg->DropFile(root.filePath(u"song.mp3"_qs)));
    EXPECT_TRUE(dlg->DropFile(wav));
    EXPECT_TRUE(dlg->PlayButton()->isEnabled());
    ScriptedCore::ClearCalls();
    dlg->accept();
    ASSERT_NE(app->Sounds().GetIMSndData(u"aoki"_qs), nullptr);
    EXPECT_EQ(app->Sounds().GetIMSndData(u"aoki"_qs)->GetPath(), wav);
    EXPECT_TRUE(QFile::exists(CIMSndInfo::FilePath()));
    EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs),
              (QStringList{"Begin\t4\t8\t1", "Begin\t5\t1\t1"}));
    QApplication::processEvents();

    // Cleared: unchecking deletes the entry even with a path shown.
    app->OpenSoundDialog(u"aoki"_qs);
    dlg = app->SoundDialog();
    EXPECT_TRUE(dlg->OwnSoundBox()->isChecked());
    EXPECT_EQ(dlg->PathField()->text(), wav);
    dlg->OwnSoundBox()->setChecked(false);
    ScriptedCore::ClearCalls();
    dlg->accept();
    EXPECT_EQ(app->Sounds().GetIMSndData(u"aoki"_qs), nullptr);
    EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs),
              (QStringList{"Begin\t4\t9\t1", "Begin\t5\t2\t1"}));
    QApplication::processEvents();

    // Gone: the core no longer knows the member; only a warning.
    CIMSndInfo sounds;
    EXPECT_EQ(CSettingSoundDlg::Store(sounds, false, u"x"_qs, true, wav), CSettingSoundDlg::MemberGone);
    EXPECT_EQ(sounds.GetCount(), 0);
    app->OpenSoundDialog(u"ghost"_qs);
    dlg = app->SoundDialog();
    dlg->OwnSoundBox()->setChecked(true);
    dlg->DropFile(wav);
    ScriptedCore::ClearCalls();
    AnswerNextBox(true);
    dlg->accept();
    EXPECT_EQ(app->Sounds().GetIMSndData(u"ghost"_qs), nullptr);
    EXPECT_TRUE(ScriptedCore::CallsOf(u"Begin"_qs).isEmpty());
}

TEST_F(AvalinWindowTest, PropertyWindowsShowTheMemberAndTheGroupsAdministrators) {
    ScriptedCore::AddMember(u"me"_qs, u"自分"_qs, QString(), QString());
    ScriptedCore::AddMember(u"aoki"_qs, u"青木"_qs, QString(), u"太郎"_qs);
    ScriptedCore::AddMembership(u"dev"_qs, u"baba"_qs, u"馬場"_qs, u"on"_qs, 2);
    ScriptedCore::AddMembership(u"dev"_qs, u"chiba"_qs, u"千葉"_qs, u"on"_qs, 2);
    LogOn();
    {
        CMemberPropDlg own(*app, u"me"_qs, &Window());
        EXPECT_FALSE(own.SoundButton()->isEnabled()) << "no own sound for the user";
        EXPECT_EQ(own.IdField()->text(), u"me"_qs);
        CMemberPropDlg other(*app, u"aoki"_qs, &Window());
        EXPECT_TRUE(other.SoundButton()->isEnabled());
        EXPECT_TRUE(other.windowTitle().contains(u"青木  太郎"_qs));
    }
    {
        CGroupPropDlg dev(*app, u"dev"_qs, &Window());
        EXPECT_EQ(dev.AdminField()->text(), u"baba,chiba"_qs) << "ids where the core has no name";
        EXPECT_EQ(dev.CountField()->text(), u"3"_qs);
        ScriptedCore::ClearCalls();
        dev.MessageButton()->click();
        EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs), QStringList{"Begin\t4\t1\t1"});
        CGroupPropDlg sales(*app, u"sales"_qs, &Window());
        EXPECT_TRUE(sales.AdminField()->text().isEmpty());
        EXPECT_FALSE(sales.MessageButton()->isEnabled());
    }
    // Logged off, the message button only warns.
    ScriptedCore::SetLogonState(ObrixLogon::LoggedOff);
    CGroupPropDlg dev(*app, u"dev"_qs, &Window());
    QString warning;
    AnswerNextBox(true, &warning);
    ScriptedCore::ClearCalls();
    dev.MessageButton()->click();
    EXPECT_TRUE(warning.contains(app->Text(199)));
    EXPECT_TRUE(ScriptedCore::CallsOf(u"Begin"_qs).isEmpty());
}

TEST_F(AvalinWindowTest, AUserWithoutPresetsStartsFromTheInstalledTemplate) {
    const QString templatePath = root.filePath(u"app/plugin/im/Preset.zin"_qs);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(templatePath).path()));
    QFile file(templatePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(CPresetList::Template().Bytes());
    file.close();

    LogOn();
    EXPECT_EQ(app->Presets().At(1).GetStatus(), u"会議中"_qs);
    EXPECT_EQ(app->Presets().At(10).GetBkColor(), AvalinColour::Red);
    // Every template preset is shown in all of the user's groups.
    for (int i = 0; i < CPresetList::kCount; ++i)
        EXPECT_EQ(app->Presets().At(i).GetGroup(), u"sales"_qs) << i;
    ASSERT_TRUE(QFile::exists(app->DataPath(u"Preset.zin"_qs)));

    // The user's own file wins over the template from then on.
    CIMPreset edited = app->Presets().At(1);
    edited.SetStatus(u"来客中"_qs);
    app->StorePreset(1, edited);
    app->OnLogoff(1);
    LogOn();
    EXPECT_EQ(app->Presets().At(1).GetStatus(), u"来客中"_qs);
}

TEST_F(AvalinWindowTest, TheSubjectColumnTakesTheFreeRoomUntilTheUserSizesAColumn) {
    CMessageList* list = Window().NewPage()->List();
    list->resize(500, 300);
    QApplication::processEvents();
    const int room = list->viewport()->width() - 200;
    EXPECT_EQ(list->columnWidth(0), std::max(100, room));
    // The user's own widths are kept, and come back as stored.
    list->header()->resizeSection(1, 150);
    list->resize(600, 300);
    QApplication::processEvents();
    EXPECT_EQ(list->columnWidth(0), std::max(100, room));
    list->ApplyColumnSizes(u"180:90:80"_qs);
    list->resize(700, 300);
    EXPECT_EQ(list->ColumnSizes(), u"180:90:80"_qs);
}

TEST_F(AvalinWindowTest, IdleSendsTheAbsentStatusToTheUsersGroupsAndInputSendsTheOwnBack) {
    ScriptedCore::SetInt(u"PresencePage"_qs, u"Time"_qs, 1);
    ScriptedCore::SetInt(u"PresencePage"_qs, u"ReturnOnNet"_qs, 1);
    ScriptedCore::SetString(u"PresencePage"_qs, u"Status"_qs, u"昼休み"_qs);
    ScriptedCore::AddMembership(u"dev"_qs, u"me"_qs, u"自分"_qs, u"on"_qs);
    uint32_t tick = 0xFFFFFF00u; // about to wrap
    app->IdleWatch().SetTick([&tick] { return tick; });
    LogOn();
    ASSERT_TRUE(Window().IsIdleTimerRunning());
    // A chosen status with a colour of its own; "Reservation" 1 would keep it, so allow all.
    CIMPreset busy = app->Presets().At(0);
    busy.SetStatus(u"会議中"_qs);
    busy.SetIcon(u"2-1"_qs);
    busy.SetBkColor(AvalinColour::Yellow);
    app->SendStatus(busy);
    tick += 60000;
    app->OnIdleTick();
    EXPECT_EQ(ScriptedCore::SentStatuses().size(), 1) << "not from 会議中 with reservation 1";
    ScriptedCore::SetInt(u"PresencePage"_qs, u"Reservation"_qs, 0);
    app->OnBeginOption();
    EXPECT_EQ(SendOk(app->StatusPage()), 1); // applies the presence settings again
    app->OnKillOption();
    tick += 60000;
    app->OnIdleTick();
    ASSERT_EQ(ScriptedCore::SentStatuses().size(), 2);
    const CIMPreset away = ScriptedCore::SentStatuses().back();
    EXPECT_EQ(away.GetStatus(), u"昼休み"_qs);
    EXPECT_EQ(away.GetBkColor(), AvalinColour::Red);
    EXPECT_EQ(away.GetGroup(), u"sales,dev"_qs);
    EXPECT_EQ(app->OwnStatus().status, u"会議中"_qs) << "the own status stays";
    app->OnIdleTick();
    EXPECT_EQ(ScriptedCore::SentStatuses().size(), 2);

    // Input anywhere: back as "OnNet" with the icon and colour the user had.
    QEvent input(QEvent::Type(ZeltaMsg::ActivityInput));
    QApplication::sendEvent(&Window(), &input);
    ASSERT_EQ(ScriptedCore::SentStatuses().size(), 3);
    EXPECT_EQ(ScriptedCore::SentStatuses().back().GetStatus(), u"on"_qs);
    EXPECT_EQ(ScriptedCore::SentStatuses().back().GetIcon(), u"2-1"_qs);
    EXPECT_EQ(ScriptedCore::SentStatuses().back().GetBkColor(), AvalinColour::Yellow);
    app->OnLogoff(1);
    EXPECT_FALSE(Window().IsIdleTimerRunning());
}

TEST_F(AvalinWindowTest, AMissingOrForeignActivityHookIsLoggedAndTheWindowWorksWithoutIt) {
    app->LoadHook();
    EXPECT_FALSE(app->Hook().IsLoaded());
    ASSERT_FALSE(ScriptedCore::LogLines().isEmpty());
    EXPECT_TRUE(ScriptedCore::LogLines().front().startsWith(
        u"1\t0\tAvalinH.DLL LoadLibrary Error: GetLastError="_qs))
        << ScriptedCore::LogLines().front().toStdString();

    // A library without the hook's exports.
    const QString hook = root.filePath(u"app/plugin/im/AvalinH.so"_qs);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(hook).path()));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("ZELTA_OUT_DIR") + u"/libObrix.so"_qs, hook));
    app->LoadHook();
    EXPECT_FALSE(app->Hook().IsLoaded());
    EXPECT_TRUE(ScriptedCore::LogLines().back().startsWith(
        u"1\t0\tAvalinH_SetHook GetProcAddress Error: GetLastError="_qs))
        << ScriptedCore::LogLines().back().toStdString();
    LogOn();
    EXPECT_TRUE(ButtonEnabled(NewMessageButton));
}

} // namespace
