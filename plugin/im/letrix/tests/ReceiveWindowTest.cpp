// The receive side over the scripted core: the receive window (read marking, bars by box,
// answers, deletion, flag, attachments), arrival notices (raising, opening, closing) and the
// ring tones that announce them.
#include "LetrixTestSupport.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CAddressEdit.h"
#include "plugin/im/letrix/CAttachedListCtrl.h"
#include "plugin/im/letrix/CEditMenus.h"
#include "plugin/im/letrix/CElidedLabel.h"
#include "plugin/im/letrix/CIMMesEditFrame.h"
#include "plugin/im/letrix/CIMMesNoticeWnd.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/CIMMesRecvContent.h"
#include "plugin/im/letrix/CIMMesRecvFrame.h"
#include "plugin/im/letrix/CLetrixApp.h"
#include "plugin/im/letrix/CMessageEditView.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

class ReceiveSide : public LetrixAppTest {
protected:
    void BeforeLogon() override {
        ASSERT_TRUE(root.isValid());
        ScriptedCore::SetRoot(root.path());
        app->SetTonePlayer([this](const QString& path) { played << path; });
    }

    // A message from taro to the user (and hana in Cc, a blind copy to sales), unread.
    static CLetrix Message(const QString& id, const QString& subject = QStringLiteral("報告")) {
        CLetrix m;
        m.SetMessageID(id);
        m.SetFromID(QStringLiteral("taro"));
        m.SetFromName(QStringLiteral("山田太郎"));
        m.AddDst(CLetrix::DST_TO, QStringLiteral("me"));
        m.AddDst(CLetrix::DST_CC, QStringLiteral("hana"));
        m.AddDst(CLetrix::DST_BCC, QStringLiteral("all@sales"));
        m.SetSubject(subject);
        m.SetPriority(1);
        m.SetMessage(QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\"><FONT face=\"x\" size=\"3\">"
                                    "お疲れさまです。<BR>詳細は https://example.org/a を。"
                                    "</FONT></BODY><OBJECT>表.csv</OBJECT>"));
        return m;
    }
    CIMMesRecvFrame* Open(int32_t box, const CLetrix& m) {
        const tagMESBEGIN data{uint32_t(box), m.Record()};
        app->OnBegin(MessageBegin::Open, intptr_t(&data));
        const QList<CIMMesRecvFrame*> open = app->ReceiveWindows();
        return open.isEmpty() ? nullptr : open.back();
    }
    QString AppSound(const QString& name) {
        QDir(root.path()).mkpath(QStringLiteral("app/plugin/im"));
        return WriteTestFile(root, QStringLiteral("app/plugin/im/") + name, "RIFF");
    }

    QTemporaryDir root;
    QStringList played;
};

} // namespace

TEST_F(ReceiveSide, OpeningMarksAnUnreadMessageReadOnceAndKeepsOneWindowPerMessage) {
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-1")));
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, Message(QStringLiteral("m-1")));
    ASSERT_TRUE(frame);
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("SetReadMessage")),
              QStringList({QStringLiteral("SetReadMessage\t2\tm-1")}));
    // A second request brings up the same window.
    EXPECT_EQ(Open(ObrixBox::Received, Message(QStringLiteral("m-1"))), frame);
    EXPECT_EQ(app->ReceiveWindows().size(), 1);
    frame->close();
    QTest::qWait(0);
    EXPECT_TRUE(app->ReceiveWindows().isEmpty());
    // Opened again: the core's copy is read now, whatever the request's record says.
    ASSERT_TRUE(Open(ObrixBox::Received, Message(QStringLiteral("m-1"))));
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("SetReadMessage")).size(), 1);
    EXPECT_EQ(ScriptedCore::OutstandingMessages(), 0);
}

TEST_F(ReceiveSide, WindowShowsTheMessageAndBccOnlyForSentMessages) {
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, Message(QStringLiteral("m-2")));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("報告"));
    EXPECT_EQ(frame->SenderLabel()->FullText(), QStringLiteral("山田太郎 [taro]"));
    EXPECT_EQ(frame->ToText()->text(), kMe);
    EXPECT_EQ(frame->CcText()->text(), kHana);
    EXPECT_FALSE(frame->CcBar()->isHidden());
    EXPECT_TRUE(frame->BccBar()->isHidden()) << "a received message never shows Bcc";
    EXPECT_FALSE(frame->ImportanceMark()->isHidden());
    EXPECT_TRUE(frame->ReplyButton()->isEnabled());
    EXPECT_TRUE(frame->Body()->isReadOnly());
    EXPECT_EQ(frame->Body()->toPlainText(),
              QStringLiteral("お疲れさまです。\n詳細は https://example.org/a を。"));
    // The address in the body is a link.
    QTextCursor at(frame->Body()->document());
    at.setPosition(frame->Body()->toPlainText().indexOf(u'h') + 2);
    EXPECT_EQ(at.charFormat().anchorHref(), QStringLiteral("https://example.org/a"));
    // The file that came with it, under the core's files folder.
    ASSERT_EQ(frame->AttachListCtrl()->count(), 1);
    EXPECT_EQ(frame->AttachListCtrl()->item(0)->text(), QStringLiteral("表.csv"));
    EXPECT_FALSE(frame->AttachBar()->isHidden());

    CLetrix sent = Message(QStringLiteral("s-1"), QStringLiteral("   "));
    sent.SetPriority(0);
    sent.SetMessage(QStringLiteral("<BODY>x</BODY>"));
    CIMMesRecvFrame* own = Open(ObrixBox::Sent, sent);
    ASSERT_TRUE(own);
    EXPECT_FALSE(own->BccBar()->isHidden());
    EXPECT_EQ(own->BccText()->text(), kSales);
    EXPECT_FALSE(own->ReplyButton()->isEnabled());
    EXPECT_FALSE(own->ReplyAllButton()->isEnabled());
    EXPECT_TRUE(own->TransferButton()->isEnabled());
    EXPECT_TRUE(own->ImportanceMark()->isHidden());
    EXPECT_TRUE(own->AttachBar()->isHidden());
    // A blank subject shows the "no subject" text, as subject and title.
    EXPECT_EQ(own->SubjectLabel()->FullText(), QStringLiteral("（件名なし）"));
    EXPECT_EQ(own->windowTitle(), QStringLiteral("（件名なし）"));
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("SetReadMessage")).isEmpty())
        << "the user's own sent message is not marked read, nor one the core has not stored";
}

TEST_F(ReceiveSide, FieldsOfEveryRowStartInOneColumnWhateverTheCaption) {
    // The attachment caption is the widest; its list must still line up with the fields above.
    CIMMesRecvFrame* frame = Open(ObrixBox::Sent, Message(QStringLiteral("m-20")));
    ASSERT_TRUE(frame);
    frame->show();
    frame->AttachBar()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    const auto left = [frame](const QWidget* w) { return w->mapTo(frame, QPoint()).x(); };
    const int column = left(frame->ToText());
    EXPECT_EQ(left(frame->SubjectLabel()), column);
    EXPECT_EQ(left(frame->SenderLabel()), column);
    EXPECT_EQ(left(frame->CcText()), column);
    EXPECT_EQ(left(frame->BccText()), column);
    EXPECT_EQ(left(frame->AttachListCtrl()), column);
}

TEST_F(ReceiveSide, LongSubjectEndsInAnEllipsisAndKeepsTheWindowsWidth) {
    const QString subject = QString(120, u'長') + QStringLiteral("い件名");
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, Message(QStringLiteral("m-21"), subject));
    ASSERT_TRUE(frame);
    const int width = frame->width();
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    EXPECT_EQ(frame->width(), width);
    const QString shown = frame->SubjectLabel()->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(frame->SubjectLabel()->fontMetrics().horizontalAdvance(shown),
              frame->SubjectLabel()->width());
    EXPECT_EQ(frame->SubjectLabel()->toolTip(), subject);
}

TEST_F(ReceiveSide, AnswersFetchTheMessageAgainAndCloseTheWindow) {
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-3")));
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, Message(QStringLiteral("m-3")));
    ASSERT_TRUE(frame);
    ScriptedCore::ClearCalls();
    frame->ReplyAllButton()->click();
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("Begin")),
              QStringList({QStringLiteral("Begin\t4\t3\t1")}));
    EXPECT_EQ(ScriptedCore::OutstandingMessages(), 0);
    QTest::qWait(0);
    EXPECT_TRUE(app->ReceiveWindows().isEmpty());

    // A message the core no longer has: nothing happens.
    CIMMesRecvFrame* gone = Open(ObrixBox::Received, Message(QStringLiteral("m-gone")));
    ASSERT_TRUE(gone);
    ScriptedCore::ClearCalls();
    EXPECT_FALSE(gone->Answer(MessageBegin::Forward));
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("Begin")).isEmpty());
    EXPECT_EQ(app->ReceiveWindows().size(), 1);
}

TEST_F(ReceiveSide, DeleteAsksFirstAndFlagFollowsTheCheckBox) {
    CLetrix flagged = Message(QStringLiteral("m-4"));
    flagged.SetFlags(LETRIX_FLAG_DOGEAR | LETRIX_FLAG_READ);
    ScriptedCore::AddMessage(ObrixBox::Received, flagged);
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, flagged);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->FlagCheck()->isChecked());
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("SetDogearMessage")).isEmpty())
        << "showing the flag does not set it";
    frame->FlagCheck()->click();
    frame->FlagCheck()->click();
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("SetDogearMessage")),
              QStringList({QStringLiteral("SetDogearMessage\t2\tm-4\t0"),
                           QStringLiteral("SetDogearMessage\t2\tm-4\t1")}));

    answer = QMessageBox::Cancel;
    EXPECT_FALSE(frame->Delete());
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("Begin")).isEmpty());
    answer = QMessageBox::Ok;
    EXPECT_TRUE(frame->Delete());
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("Begin")),
              QStringList({QStringLiteral("Begin\t6\t2\t1")}));
    EXPECT_EQ(prompts, QList<uint32_t>({870, 870}));
    QTest::qWait(0);
    EXPECT_TRUE(app->ReceiveWindows().isEmpty());
}

TEST_F(ReceiveSide, NoticeOpensItsMessageAndClosesWithItsMessage) {
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-5"), QString()));
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-6")));
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-7")));
    EXPECT_EQ(app->OnRecvMessage(u"m-5"), 0);
    app->OnRecvMessage(u"m-5");
    app->OnRecvMessage(u"m-6");
    app->OnRecvMessage(u"m-7");
    app->OnRecvMessage(u"unknown");
    QList<CIMMesNoticeWnd*> notices = app->Notices();
    ASSERT_EQ(notices.size(), 4);
    EXPECT_EQ(notices[0]->SubjectText(), QStringLiteral("（件名なし）"));
    EXPECT_EQ(notices[0]->SenderText(), QStringLiteral("山田太郎 [taro]"));
    EXPECT_EQ(notices[0]->windowTitle(), QStringLiteral("新着メッセージ"));
    EXPECT_EQ(notices[0]->size(), QSize(280, 80));
    EXPECT_TRUE(ScriptedCore::CallsOf(QStringLiteral("SetReadMessage")).isEmpty());

    // A click opens the message and closes both of its notices.
    QTest::mouseClick(notices[0], Qt::LeftButton, {}, QPoint(140, 40));
    ASSERT_EQ(app->ReceiveWindows().size(), 1);
    EXPECT_EQ(app->ReceiveWindows()[0]->MessageId(), QStringLiteral("m-5"));
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("SetReadMessage")),
              QStringList({QStringLiteral("SetReadMessage\t2\tm-5")}));
    notices = app->Notices();
    ASSERT_EQ(notices.size(), 2);
    EXPECT_EQ(notices[0]->MessageId(), QStringLiteral("m-6"));

    // Removing a message closes its notice; log-off closes the rest and the windows.
    app->OnRemoveMessage(ObrixBox::Received, u"m-6");
    ASSERT_EQ(app->Notices().size(), 1);
    EXPECT_EQ(app->Notices()[0]->MessageId(), QStringLiteral("m-7"));
    app->OnLogoff(1);
    EXPECT_TRUE(app->Notices().isEmpty());
    EXPECT_TRUE(app->ReceiveWindows().isEmpty());

    // Nothing is raised unless logged on.
    ScriptedCore::SetLogonState(4);
    app->OnRecvMessage(u"m-7");
    EXPECT_TRUE(app->Notices().isEmpty());
}

TEST_F(ReceiveSide, NoticesCascadeFromTheLeftTopCornerOfTheWorkArea) {
    ScriptedCore::SetInt(QStringLiteral("DefaultSetting"), QStringLiteral("NoticePosition"), 2);
    app->OnLogon(1);
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-8")));
    app->OnRecvMessage(u"m-8");
    app->OnRecvMessage(u"m-8");
    const QList<CIMMesNoticeWnd*> notices = app->Notices();
    ASSERT_EQ(notices.size(), 2);
    const QRect area = notices[0]->screen()->availableGeometry();
    EXPECT_EQ(notices[0]->pos(), area.topLeft());
    EXPECT_EQ(notices[1]->pos().x(), area.left());
    EXPECT_GT(notices[1]->pos().y(), area.top());
}

TEST_F(ReceiveSide, RingToneIsTheMembersOwnThenTheOptionsAndMissingFilesStaySilent) {
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-9")));
    // The built-in tone from the program's plug-in folder, when it is there.
    app->OnRecvMessage(u"m-9");
    EXPECT_TRUE(played.isEmpty()) << "no tone file: nothing plays";
    const QString builtIn = AppSound(QStringLiteral("MessageArrival.wav"));
    app->OnRecvMessage(u"m-9");
    EXPECT_EQ(played, QStringList({builtIn}));

    // A member's own tone wins, even over "no tone".
    ScriptedCore::SetInt(QStringLiteral("DefaultSetting"), QStringLiteral("RingToneSetType"), 2);
    app->OnLogon(1);
    const QString own = WriteTestFile(root, QStringLiteral("taro.wav"), "RIFF");
    const QString other = WriteTestFile(root, QStringLiteral("taro2.wav"), "RIFF");
    for (const QString& path : {own, other}) {
        const QString id = QStringLiteral("taro");
        const tagMESBEGINTONE tone{u16(id), u16(path)};
        app->OnBegin(MessageBegin::SetMemberTone, intptr_t(&tone));
    }
    played.clear();
    app->OnRecvMessage(u"m-9");
    EXPECT_EQ(played, QStringList({other}));
    app->OnBegin(MessageBegin::ClearMemberTone, intptr_t(u"taro"));
    app->OnRecvMessage(u"m-9");
    EXPECT_EQ(played.size(), 1) << "cleared: the option says no tone";

    const tagMESBEGINTONE missing{u"taro", u"/nowhere/taro.wav"};
    app->OnBegin(MessageBegin::SetMemberTone, intptr_t(&missing));
    app->OnRecvMessage(u"m-9");
    EXPECT_EQ(played.size(), 1) << "a missing file plays nothing";
    app->OnBegin(MessageBegin::ClearAllTones, 0);
    EXPECT_EQ(app->MemberTones().GetCount(), 0);
}

TEST_F(ReceiveSide, MessagesWithoutABackgroundTakeTheBodysColourOrWhite) {
    CLetrix plain = Message(QStringLiteral("m-10"));
    plain.SetMessage(QStringLiteral("plain text of another client"));
    EXPECT_EQ(
        CIMMesRecvContent::Build(core, ObrixBox::Received, plain, QString(), QString()).background,
        0xFFFFFFu);
    // A black background that the body asks for stays black; others are kept as they are.
    CLetrix black = Message(QStringLiteral("m-11"));
    black.SetMessage(QStringLiteral("<BODY BGCOLOR=\"#000000\"><FONT color=\"#FFFFFF\">x</FONT>"
                                    "</BODY>"));
    EXPECT_EQ(
        CIMMesRecvContent::Build(core, ObrixBox::Received, black, QString(), QString()).background,
        0u);
    black.SetBgColor(uint32_t(0xCCFFFF));
    EXPECT_EQ(
        CIMMesRecvContent::Build(core, ObrixBox::Received, black, QString(), QString()).background,
        0xCCFFFFu);
    // A client that fills in the body's colour but not the record's: the body's colour, read
    // as #RRGGBB into the record's 0x00BBGGRR.
    CLetrix named = Message(QStringLiteral("m-15"));
    named.SetMessage(QStringLiteral("<body bgcolor=\"#FFFFFF\">x</body>"));
    EXPECT_EQ(
        CIMMesRecvContent::Build(core, ObrixBox::Received, named, QString(), QString()).background,
        0xFFFFFFu);
    named.SetMessage(QStringLiteral("<BODY BGCOLOR=\"#FFEEDD\">x</BODY>"));
    EXPECT_EQ(
        CIMMesRecvContent::Build(core, ObrixBox::Received, named, QString(), QString()).background,
        0xDDEEFFu);
}

TEST_F(ReceiveSide, UnloadingRightAfterLogOffLeavesNoWindowBehind) {
    // Windows closed at log-off are deleted later by the event loop; unloading the plug-in
    // before that turn must still delete them, as their code goes with the library.
    ScriptedCore::AddMessage(ObrixBox::Received, Message(QStringLiteral("m-12")));
    app->OnRecvMessage(u"m-12");
    const QPointer<CIMMesNoticeWnd> notice = app->Notices().value(0);
    const QPointer<CIMMesRecvFrame> frame = Open(ObrixBox::Sent, Message(QStringLiteral("m-13")));
    ASSERT_TRUE(notice && frame);
    app->OnLogoff(1);
    EXPECT_TRUE(notice && frame) << "still waiting for the event loop";
    app->OnKill();
    EXPECT_FALSE(notice);
    EXPECT_FALSE(frame);
}

TEST_F(ReceiveSide, KeyboardReachesEveryControlAndEscapeCloses) {
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, Message(QStringLiteral("m-14")));
    ASSERT_TRUE(frame);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    EXPECT_EQ(QApplication::focusWidget(), frame->Body()) << "reading starts in the body";
    frame->ToText()->setFocus();
    QList<QWidget*> seen;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget();
    }
    EXPECT_EQ(seen,
              QList<QWidget*>({frame->CcText(), frame->AttachListCtrl(), frame->Body(),
                               frame->FlagCheck(), frame->ReplyButton(), frame->ReplyAllButton(),
                               frame->TransferButton(), frame->CloseButton(), frame->ToText()}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::qWait(0);
    EXPECT_TRUE(app->ReceiveWindows().isEmpty());
}

namespace {

// The commands of a field's pop-up menu, read while it is open and then closed.
QStringList PopUpTexts(QLineEdit* field) {
    QStringList texts;
    QTimer::singleShot(0, field, [&texts] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    texts << a->text();
            menu->close();
        }
    });
    emit field->customContextMenuRequested(QPoint(2, 2));
    return texts;
}

QStringList Texts(const QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

} // namespace

TEST_F(ReceiveSide, PopUpMenusSpeakJapaneseAndAddressFieldsTakeNoPaste) {
    CIMMesRecvFrame* frame = Open(ObrixBox::Received, Message(QStringLiteral("m-15")));
    ASSERT_TRUE(frame);
    EXPECT_EQ(PopUpTexts(frame->ToText()),
              QStringList({QStringLiteral("コピー"), QStringLiteral("すべて選択")}));
    // Over the link of a read message: open it outside, or copy its address.
    CMessageEditView* body = frame->Body();
    QTextCursor link(body->document());
    link.setPosition(body->toPlainText().indexOf(QStringLiteral("https")) + 3);
    const QPoint over = body->cursorRect(link).center();
    std::unique_ptr<QMenu> reading(CEditMenus::BodyMenu(body, Resources(), over, true));
    EXPECT_EQ(Texts(reading.get()),
              QStringList({QStringLiteral("リンクを開く(&O)"),
                           QStringLiteral("リンクのアドレスをコピー(&L)"), QStringLiteral("コピー"),
                           QStringLiteral("すべて選択")}));

    app->OnBegin(MessageBegin::New, 0);
    ASSERT_EQ(app->ComposeWindows().size(), 1);
    CIMMesEditFrame* compose = app->ComposeWindows()[0];
    // Entries come from requests and drops only: no Paste, no Cut.
    EXPECT_EQ(PopUpTexts(compose->ToEdit()),
              QStringList({QStringLiteral("コピー"), QStringLiteral("すべて選択")}));
    EXPECT_EQ(PopUpTexts(compose->SubjectEdit()),
              QStringList({QStringLiteral("元に戻す"), QStringLiteral("切り取り"),
                           QStringLiteral("コピー"), QStringLiteral("貼り付け"),
                           QStringLiteral("すべて選択")}));
    std::unique_ptr<QMenu> editing(
        CEditMenus::BodyMenu(compose->Body(), Resources(), QPoint(1, 1), false));
    EXPECT_EQ(Texts(editing.get()), PopUpTexts(compose->SubjectEdit()));
}

TEST_F(ReceiveSide, QuestionBoxesNameTheirButtonsInJapanese) {
    // The real box, not the test's handler: read its buttons while it is open, then cancel it.
    CIMMesPrompt::SetHandler(nullptr);
    QStringList names;
    QTimer::singleShot(0, [&names] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        for (QAbstractButton* b : box->buttons())
            names << b->text();
        box->button(QMessageBox::Cancel)->click();
    });
    const QMessageBox::StandardButton pressed = CIMMesPrompt::Show(
        nullptr, Resources(), 875, {}, QMessageBox::Question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(pressed, QMessageBox::Cancel);
    names.sort();
    QStringList expected{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                         QStringLiteral("キャンセル")};
    expected.sort();
    EXPECT_EQ(names, expected);
}
