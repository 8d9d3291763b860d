// The compose window over the scripted core: filling, sending, drafts, closing questions,
// attachments, address fields and keys.
#include "LetrixTestSupport.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "obrix/CMemberDragText.h"
#include "plugin/im/letrix/CAddressEdit.h"
#include "plugin/im/letrix/CAttachedListCtrl.h"
#include "plugin/im/letrix/CIMMesEditFrame.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/CIMMesPropDialog.h"
#include "plugin/im/letrix/CLetrixApp.h"
#include "plugin/im/letrix/CMessageEditView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

class ComposeWindow : public LetrixAppTest {
protected:
    void SetUp() override {
        promptCaption = 867;
        LetrixAppTest::SetUp();
    }
    CIMMesEditFrame* Open(int32_t kind, intptr_t data = 0) {
        app->OnBegin(kind, data);
        const QList<CIMMesEditFrame*> open = app->ComposeWindows();
        return open.isEmpty() ? nullptr : open.back();
    }
    QString MakeFile(const QString& name, int bytes) {
        return WriteTestFile(dir, name, QByteArray(bytes, 'x'));
    }
    void Type(CIMMesEditFrame* frame, const QString& text) {
        frame->Body()->setFocus();
        frame->Body()->insertPlainText(text);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ComposeWindow, ReplyIsFilledQuotedAndSentWithTheReplyMark) {
    CLetrix earlier;
    earlier.SetMessageID(QStringLiteral("m-1"));
    earlier.SetFromID(QStringLiteral("taro"));
    earlier.SetSubject(QStringLiteral("予定"));
    earlier.SetMessage(QStringLiteral("<BODY><FONT face=\"x\" size=\"3\">一<BR>二</FONT></BODY>"));
    const tagMESBEGIN data{ObrixBox::Received, earlier.Record()};
    CIMMesEditFrame* frame = Open(MessageBegin::Reply, intptr_t(&data));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("RE: 予定"));
    EXPECT_EQ(frame->ToEdit()->text(), kTaro);
    EXPECT_EQ(frame->ToEdit()->cursorPosition(), 0) << "a long list shows its first members";
    EXPECT_EQ(frame->Body()->toPlainText(), QStringLiteral("\n\n> 一\n> 二"));
    EXPECT_EQ(frame->Body()->textCursor().position(), 0);
    EXPECT_EQ(frame->focusWidget(), frame->Body()) << "the answer is typed above the quote";
    EXPECT_TRUE(frame->SendButton()->isEnabled());

    frame->ImportantCheck()->setChecked(true);
    ASSERT_TRUE(frame->Send());
    EXPECT_TRUE(prompts.isEmpty());
    const QList<CLetrix> sent = ScriptedCore::SentMessages();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].GetSubject(), QStringLiteral("RE: 予定"));
    EXPECT_EQ(sent[0].GetReferenceID(), QStringLiteral("m-1"));
    EXPECT_EQ(sent[0].GetPriority(), 1u);
    EXPECT_TRUE(sent[0].GetMessage().startsWith(QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">")));
    EXPECT_EQ(ScriptedCore::CallsOf(QStringLiteral("SetReplyMessage")),
              QStringList({QStringLiteral("SetReplyMessage\t2\tm-1")}));
    QTest::qWait(0);
    EXPECT_TRUE(app->ComposeWindows().isEmpty());
}

TEST_F(ComposeWindow, FailedChecksKeepTheWindowAndConfirmationFollowsTheOption) {
    CIMMesEditFrame* frame = Open(MessageBegin::New);
    ASSERT_TRUE(frame);
    EXPECT_FALSE(frame->SendButton()->isEnabled());
    EXPECT_FALSE(frame->Send());
    frame->ToEdit()->setText(kHana);
    EXPECT_FALSE(frame->SendButton()->isEnabled()) << "no body and no file";
    Type(frame, QStringLiteral("本文"));
    EXPECT_TRUE(frame->SendButton()->isEnabled());
    frame->SubjectEdit()->setText(QString(257, u'x'));
    EXPECT_FALSE(frame->Send());
    EXPECT_EQ(prompts, QList<uint32_t>({873, 918}));
    EXPECT_EQ(app->ComposeWindows().size(), 1);
    EXPECT_TRUE(ScriptedCore::SentMessages().isEmpty());

    ScriptedCore::SetInt(QStringLiteral("DefaultSetting"), QStringLiteral("CheckItem1"), 1);
    CIMMesEditFrame* second = Open(MessageBegin::New);
    second->ToEdit()->setText(kHana);
    Type(second, QStringLiteral("x"));
    prompts.clear();
    ASSERT_TRUE(second->Send());
    EXPECT_EQ(prompts, QList<uint32_t>({869}));
}

TEST_F(ComposeWindow, DraftEditingShowsItsBarsAndPutInDraftTellsTheMessageBox) {
    CLetrix draft;
    draft.SetMessageID(QStringLiteral("d-1"));
    draft.AddDst(CLetrix::DST_TO, QStringLiteral("taro"));
    draft.AddDst(CLetrix::DST_BCC, QStringLiteral("hana"));
    draft.SetSubject(QStringLiteral("下書き"));
    draft.SetMessage(QStringLiteral("<BODY>a<BR>b</BODY>"));
    const tagMESBEGIN data{ObrixBox::Draft, draft.Record()};
    CIMMesEditFrame* frame = Open(MessageBegin::EditDraft, intptr_t(&data));
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->CcBar()->isHidden());
    EXPECT_FALSE(frame->BccBar()->isHidden());
    EXPECT_EQ(frame->BccEdit()->text(), kHana);
    EXPECT_EQ(frame->Body()->toPlainText(), QStringLiteral("a\nb"));

    answer = QMessageBox::Cancel;
    EXPECT_FALSE(frame->PutInDraft());
    EXPECT_TRUE(ScriptedCore::SavedDrafts().isEmpty());
    answer = QMessageBox::Ok;
    ASSERT_TRUE(frame->PutInDraft());
    ASSERT_EQ(ScriptedCore::SavedDrafts().size(), 1);
    EXPECT_EQ(ScriptedCore::SavedDrafts()[0].GetMessageID(), QStringLiteral("d-1"));
    EXPECT_EQ(ScriptedCore::SavedDrafts()[0].GetDstString(CLetrix::DST_BCC),
              QStringLiteral("hana"));
    const QStringList begins = ScriptedCore::CallsOf(QStringLiteral("Begin"));
    ASSERT_EQ(begins.size(), 1);
    EXPECT_TRUE(begins[0].startsWith(QStringLiteral("Begin\t6\t1"))) << begins[0].toStdString();
    EXPECT_EQ(prompts, QList<uint32_t>({875, 875}));
}

TEST_F(ComposeWindow, ClosingAsksOnlyWhenSomethingWouldBeLost) {
    CIMMesEditFrame* empty = Open(MessageBegin::New);
    empty->close();
    EXPECT_TRUE(prompts.isEmpty());

    CIMMesEditFrame* frame = Open(MessageBegin::New);
    frame->ToEdit()->setText(kTaro);
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(frame->close()) << "cancel keeps the window while logged on";
    answer = QMessageBox::Yes;
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(ScriptedCore::SavedDrafts().size(), 1);
    EXPECT_EQ(prompts, QList<uint32_t>({875, 875}));

    // Off line, cancel closes anyway.
    ScriptedCore::SetLogonState(4);
    frame = Open(MessageBegin::New);
    Type(frame, QStringLiteral("x"));
    EXPECT_FALSE(frame->SendButton()->isEnabled());
    answer = QMessageBox::Cancel;
    EXPECT_TRUE(frame->close());
}

TEST_F(ComposeWindow, DroppedFilesStopAtTheFirstRefusalAndFoldersAreSkipped) {
    ScriptedCore::SetAttachmentLimit(1000);
    CIMMesEditFrame* frame = Open(MessageBegin::New);
    const QString a = MakeFile(QStringLiteral("a.txt"), 10);
    const QString empty = MakeFile(QStringLiteral("empty.txt"), 0);
    const QString c = MakeFile(QStringLiteral("c"), 10);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    frame->AddDroppedFiles({dir.filePath(QStringLiteral("folder")), a, empty, c});
    EXPECT_EQ(frame->Attachments().Paths(), QStringList({a}));
    EXPECT_EQ(prompts, QList<uint32_t>({904}));
    EXPECT_FALSE(frame->AttachBar()->isHidden());
    EXPECT_EQ(frame->AttachListCtrl()->count(), 1);

    // A file alone makes the message sendable; the attachment travels after the body.
    frame->ToEdit()->setText(kTaro);
    EXPECT_TRUE(frame->SendButton()->isEnabled());
    frame->AttachListCtrl()->item(0)->setSelected(true);
    frame->RemoveSelectedAttachments();
    EXPECT_TRUE(frame->AttachBar()->isHidden());
    EXPECT_FALSE(frame->SendButton()->isEnabled());
    ASSERT_TRUE(frame->AddAttachment(c));
    ASSERT_TRUE(frame->Send());
    EXPECT_TRUE(ScriptedCore::SentMessages()[0].GetMessage().endsWith(
        QStringLiteral("</BODY><OBJECT>") + c + QStringLiteral("</OBJECT>")));
}

TEST_F(ComposeWindow, AddressFieldsTakeNoTypingLoseWholeEntriesAndAcceptMembers) {
    CIMMesEditFrame* frame = Open(MessageBegin::New);
    CAddressEdit* to = frame->ToEdit();
    to->setFocus();
    QTest::keyClicks(to, QStringLiteral("abc"));
    EXPECT_EQ(to->text(), QString());
    ASSERT_TRUE(to->DropMembers(CMemberDragText({{CMemberDragText::Member, QStringLiteral("taro")},
                                                 {CMemberDragText::Group, QStringLiteral("sales")}})
                                    .Text()));
    EXPECT_EQ(to->text(), kTaro + u',' + kSales);
    to->setCursorPosition(3);
    QTest::keyClick(to, Qt::Key_Backspace);
    EXPECT_EQ(to->text(), kSales);
    QTest::keyClick(to, Qt::Key_Delete);
    EXPECT_EQ(to->text(), QString());
}

TEST_F(ComposeWindow, FieldsOfEveryRowStartInOneColumnWhateverTheCaption) {
    CIMMesEditFrame* frame = Open(MessageBegin::New);
    frame->show();
    for (QWidget* bar : {frame->CcBar(), frame->BccBar(), frame->AttachBar()})
        bar->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    const auto left = [frame](const QWidget* w) { return w->mapTo(frame, QPoint()).x(); };
    const int column = left(frame->ToEdit());
    EXPECT_EQ(left(frame->CcEdit()), column);
    EXPECT_EQ(left(frame->BccEdit()), column);
    EXPECT_EQ(left(frame->SubjectEdit()), column);
    EXPECT_EQ(left(frame->AttachListCtrl()), column);
}

TEST_F(ComposeWindow, TabCyclesSubjectFontListsBodyAndButtons) {
    CIMMesEditFrame* frame = Open(MessageBegin::New);
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    EXPECT_EQ(QApplication::focusWidget(), frame->SubjectEdit()) << "a new message starts there";
    QList<QWidget*> seen;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget();
    }
    // Send is off (nothing to send), so the body is followed by Close.
    EXPECT_EQ(seen, QList<QWidget*>({frame->FaceList(), frame->SizeList(), frame->Body(),
                                     frame->CloseButton(), frame->SubjectEdit()}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), frame->CloseButton());
}

TEST_F(ComposeWindow, OptionDialogOpensOnceAndOnlyWhileLoggedOn) {
    app->OnOption();
    CIMMesPropDialog* first = app->OptionDialog();
    ASSERT_TRUE(first);
    app->OnOption();
    EXPECT_EQ(app->OptionDialog(), first);
    first->close();
    ScriptedCore::SetLogonState(4);
    app->OnOption();
    EXPECT_FALSE(app->OptionDialog());
    // Requests are ignored while logged off.
    ScriptedCore::SetLogonState(0);
    EXPECT_FALSE(Open(MessageBegin::New));
}
