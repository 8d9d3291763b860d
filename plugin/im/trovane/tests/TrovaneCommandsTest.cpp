// The message box window's commands over a scripted core: folder and message commands with
// their questions, the busy guard of the find and thread windows, sorting from the header,
// the transfer setting window, attachments and printing, with pictures of the windows.
#include "TrovaneAppFixture.h"
#include "imframe/CImFrame.h"
#include "imframe/ImPrint.h"
#include "obrix/CLetrix.h"
#include "obrix/CMemberDragText.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovaneFindDialog.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneNamedMutex.h"
#include "plugin/im/trovane/CTrovanePreview.h"
#include "plugin/im/trovane/CTrovaneTransCondDialog.h"
#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace TrovaneBox;
namespace Cmd = TrovaneCmd;

namespace {

CLetrix Message(const QString& id, const QString& subject, int minute, const QString& body = {},
                uint32_t flags = 0) {
    CLetrix m;
    m.SetMessageID(id);
    m.SetFromID(u"sato"_qs);
    m.SetFromName(u"佐藤  花子"_qs);
    m.AddDst(CLetrix::DST_TO, u"me"_qs);
    m.SetSubject(subject);
    m.SetMessage(body.isEmpty() ? u"<P>"_qs + subject + u"</P>"_qs : body);
    m.SetFlags(flags);
    m.SetSendTime(QStringLiteral("202612071030%1").arg(minute, 2, 10, QLatin1Char('0')), 0);
    return m;
}

QString Scale() {
    return qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_qs) == u"2"_qs ? u"200"_qs : u"100"_qs;
}

void SaveShot(QWidget* w, const QString& name) {
    const QString artifacts = qEnvironmentVariable("ZELTA_TEST_DIR") + u"/artifacts"_qs;
    QDir().mkpath(artifacts);
    QTest::qWait(30);
    EXPECT_TRUE(w->grab().save(artifacts + u'/' + name + u'-' + Scale() + u".png"_qs));
}

class TrovaneCommandsTest : public TrovaneAppFixture {
protected:
    void SetUp() override {
        TrovaneAppFixture::SetUp();
        ScriptedCore::AddMember(u"me"_qs, u"山田"_qs, QString(), u"太郎"_qs);
        ScriptedCore::AddMember(u"sato"_qs, u"佐藤"_qs, QString(), u"花子"_qs);
        app->SetWarning([this](const QString& title, const QString& text) {
            warnings << title + u'|' + text;
        });
        app->SetSavePath([this](const QString&, const QString& proposed, const QString&) {
            proposals << proposed;
            return savePath;
        });
        LogOn();
        res = CImFrame::Instance().Obrix().GetIMResHandle();
    }
    QString T(uint32_t id) { return CResourceLoader::LoadString(res, id); }
    void Receive(const CLetrix& m) {
        ScriptedCore::AddMessage(ObrixBox::Received, m);
        const QString id = m.GetMessageID();
        app->OnRecvMessage(reinterpret_cast<const char16_t*>(id.utf16()));
    }
    CTrovaneFrame* Shown() {
        app->OnBegin(0, 0);
        return app->Frame();
    }
    CTrovaneFolder* UserFolder(uint32_t id, uint32_t parent, const QString& name) {
        CTrovaneFolder f;
        f.nID = id;
        f.nParentID = parent;
        f.strName = name;
        f.nFlags = app->Store().FindFolder(parent)->nFlags & 0xFF7F;
        CTrovaneFolder* added = app->Store().AddFolder(f);
        if (app->Frame())
            app->Frame()->Refresh();
        return added;
    }
    QStringList Questions() {
        QStringList texts;
        for (const QString& q : questions)
            texts << q.section(u'|', 1);
        return texts;
    }
    QStringList ChildNames(uint32_t parent) {
        QStringList names;
        for (const CTrovaneFolder* f : app->Store().ChildrenOf(parent))
            names << f->strName;
        names.sort();
        return names;
    }

    void* res = nullptr;
    QStringList warnings;
    QStringList proposals;
    QString savePath;
};

} // namespace

TEST_F(TrovaneCommandsTest, FolderCommandsNameAskAndMoveThroughTheTrash) {
    CTrovaneFrame* frame = Shown();
    const QString base = T(883);
    for (int i = 0; i < 3; ++i) {
        frame->SelectFolder(ReceivedFolder);
        frame->Tree()->setFocus();
        frame->Execute(Cmd::NewFolder);
    }
    EXPECT_EQ(ChildNames(ReceivedFolder), QStringList({base, base + u"1"_qs, base + u"2"_qs}));
    ASSERT_NE(app->Store().FindFolder(16), nullptr);
    EXPECT_EQ(app->Store().FindFolder(16)->nFlags & 0xFFFF, uint32_t(ListsReceived))
        << "the parent's kind without the system bit";

    // Renaming to a sibling's name in other letter case is refused; the old name stays.
    UserFolder(20, ReceivedFolder, u"Projects"_qs);
    CTrovaneTreeModel* tree = frame->TreeModel();
    EXPECT_FALSE(tree->setData(tree->IndexOf(16), u"PROJECTS"_qs, Qt::EditRole));
    QCoreApplication::processEvents();
    EXPECT_EQ(app->Store().FindFolder(16)->strName, base);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], T(823) + u'|' + T(884));
    EXPECT_FALSE(tree->setData(tree->IndexOf(16), u""_qs, Qt::EditRole)) << "empty keeps the name";
    EXPECT_TRUE(tree->setData(tree->IndexOf(16), u"案件"_qs, Qt::EditRole));
    EXPECT_EQ(app->Store().FindFolder(16)->strName, u"案件"_qs);
    EXPECT_FALSE(tree->flags(tree->IndexOf(ReceivedFolder)) & Qt::ItemIsEditable);

    // Moving into the trash asks first; Cancel changes nothing.
    Receive(Message(u"m1"_qs, u"見積"_qs, 1));
    app->Store().MoveEntry(16, app->Store().FindEntry(u"m1"_qs, true)->LocalNumber());
    frame->Refresh();
    frame->SelectFolder(16);
    answer = false;
    frame->Execute(Cmd::FolderToTrash);
    EXPECT_EQ(Questions(), QStringList({T(489)}));
    EXPECT_EQ(app->Store().FindFolder(16)->nParentID, ReceivedFolder);
    answer = true;
    frame->Execute(Cmd::FolderToTrash);
    EXPECT_EQ(app->Store().FindFolder(16)->nParentID, TrashFolder);
    EXPECT_EQ(frame->CurrentFolder(), RootFolder);
    EXPECT_TRUE(app->Store().FindEntry(u"m1"_qs, true)->BoxFlags() & InTrash);

    // In the trash the same command deletes for good, messages of the core included.
    frame->SelectFolder(16);
    questions.clear();
    frame->Execute(Cmd::FolderToTrash);
    EXPECT_EQ(Questions(), QStringList({T(487)}));
    EXPECT_EQ(app->Store().FindFolder(16), nullptr);
    EXPECT_EQ(app->Store().FindEntry(u"m1"_qs, true), nullptr);
    EXPECT_EQ(ScriptedCore::CallsOf(u"RemoveMessage"_qs),
              QStringList({u"RemoveMessage\t2\tm1"_qs}));

    // Emptying the trash takes folders and messages below it.
    frame->SelectFolder(20);
    frame->Execute(Cmd::FolderToTrash);
    Receive(Message(u"m2"_qs, u"昼食"_qs, 2));
    app->Store().MoveEntry(TrashFolder, app->Store().FindEntry(u"m2"_qs, true)->LocalNumber());
    frame->Refresh();
    frame->SelectFolder(TrashFolder);
    questions.clear();
    frame->Execute(Cmd::FolderToTrash);
    EXPECT_EQ(Questions(), QStringList({T(486)}));
    EXPECT_TRUE(app->Store().ChildrenOf(TrashFolder).isEmpty());
    EXPECT_EQ(app->Store().EntryCountOf(TrashFolder), 0);
    EXPECT_EQ(ScriptedCore::CallsOf(u"RemoveMessage"_qs).size(), 2);
}

TEST_F(TrovaneCommandsTest, MessagesGoToTheTrashThenAwayForGoodAndWaitWhileFindIsOpen) {
    Receive(Message(u"a"_qs, u"一"_qs, 1));
    Receive(Message(u"b"_qs, u"二"_qs, 2));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    frame->List()->setFocus();
    frame->List()->selectAll();
    ASSERT_EQ(frame->SelectedEntries().size(), 2);

    {
        // While the find window holds the box, nothing is moved.
        CTrovaneNamedMutex::CHold find(CTrovaneNamedMutex::kFindDialog);
        frame->Execute(Cmd::DeleteKey);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_EQ(warnings[0], frame->windowTitle() + u'|' + T(910));
        EXPECT_TRUE(questions.isEmpty());
        EXPECT_EQ(app->Store().EntryCountOf(ReceivedFolder), 2);
    }

    frame->Execute(Cmd::DeleteKey);
    EXPECT_EQ(Questions(), QStringList({T(490)}));
    EXPECT_EQ(app->Store().EntryCountOf(TrashFolder), 2);
    EXPECT_TRUE(ScriptedCore::CallsOf(u"RemoveMessage"_qs).isEmpty());

    frame->SelectFolder(TrashFolder);
    frame->List()->setFocus();
    frame->List()->selectRow(0);
    questions.clear();
    answer = false;
    frame->Execute(Cmd::DeleteKey);
    EXPECT_EQ(Questions(), QStringList({T(488)}));
    EXPECT_EQ(app->Store().EntryCountOf(TrashFolder), 2) << "Cancel keeps them";
    answer = true;
    frame->Execute(Cmd::DeleteKey);
    EXPECT_EQ(app->Store().EntryCountOf(TrashFolder), 1);
    EXPECT_EQ(ScriptedCore::CallsOf(u"RemoveMessage"_qs),
              QStringList({u"RemoveMessage\t2\tb"_qs})) << "the newer one was first";
    EXPECT_EQ(frame->StatusText(), CResourceLoader::Format(res, 828, {1, 1})) << "a is unread";
}

TEST_F(TrovaneCommandsTest, RepliesPropertiesAndTheMenuStateFollowTheSelectedRow) {
    Receive(Message(u"r"_qs, u"相談"_qs, 1));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    EXPECT_FALSE(frame->IsCommandEnabled(Cmd::Reply));
    frame->List()->setFocus();
    frame->List()->selectRow(0);
    EXPECT_TRUE(frame->IsCommandEnabled(Cmd::Reply));
    EXPECT_TRUE(frame->IsCommandEnabled(Cmd::MessageTransferSetting));
    EXPECT_FALSE(frame->IsCommandEnabled(Cmd::ReEdit));
    ScriptedCore::ClearCalls();
    frame->Execute(Cmd::Reply);
    frame->Execute(Cmd::ReplyAll);
    frame->Execute(Cmd::Forward);
    frame->Execute(Cmd::ReEdit); // not for a received message
    frame->Execute(Cmd::MessageProperty);
    frame->Execute(Cmd::NewMessage);
    EXPECT_EQ(ScriptedCore::CallsOf(u"Begin"_qs),
              QStringList({u"Begin\t4\t2\t1"_qs, u"Begin\t4\t3\t1"_qs, u"Begin\t4\t6\t1"_qs,
                           u"Begin\t2\t2\t1"_qs, u"Begin\t4\t0\t1"_qs}));

    // The main menu has its four menus; items are enabled as the menu opens.
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), T(1100));
    QMenu* message = menus[2]->menu();
    emit message->aboutToShow();
    EXPECT_TRUE(frame->Action(Cmd::Reply)->isEnabled());
    EXPECT_FALSE(frame->Action(Cmd::ReEdit)->isEnabled());
    EXPECT_TRUE(frame->Action(Cmd::Reply)->text().endsWith(u"\tCtrl+R"_qs));
    // The accelerators are the window's own.
    EXPECT_EQ(frame->Action(-Cmd::NewFolder)->shortcut(), QKeySequence(Qt::Key_Insert));
    EXPECT_EQ(frame->Action(-Cmd::NextPane)->shortcut(), QKeySequence(Qt::Key_Tab));
}

TEST_F(TrovaneCommandsTest, HeaderClicksFlipTheDateAndTheMarkMenuSortsUnreadFirst) {
    Receive(Message(u"old"_qs, u"古い"_qs, 1));
    Receive(Message(u"mid"_qs, u"中"_qs, 2, {}, LETRIX_FLAG_READ));
    Receive(Message(u"new"_qs, u"新しい"_qs, 3, {}, LETRIX_FLAG_READ));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    CTrovaneListModel* list = frame->ListModel();
    auto ids = [&] {
        QStringList out;
        for (int r = 0; r < list->rowCount(); ++r)
            out << list->Entry(r)->GetMessageID();
        return out;
    };
    EXPECT_EQ(ids(), QStringList({u"new"_qs, u"mid"_qs, u"old"_qs}));
    QHeaderView* header = frame->List()->horizontalHeader();
    emit header->sectionClicked(3);
    EXPECT_EQ(ids(), QStringList({u"old"_qs, u"mid"_qs, u"new"_qs}));
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    emit header->sectionClicked(3);
    EXPECT_EQ(ids(), QStringList({u"new"_qs, u"mid"_qs, u"old"_qs}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    std::unique_ptr<QMenu> marks(frame->BuildMenu(CTrovaneCommands::MarkSortMenu, frame));
    ASSERT_EQ(marks->actions().size(), 7);
    EXPECT_FALSE(marks->actions()[2]->isChecked());
    marks->actions()[2]->trigger(); // unread first
    EXPECT_EQ(ids(), QStringList({u"old"_qs, u"new"_qs, u"mid"_qs}));
    std::unique_ptr<QMenu> again(frame->BuildMenu(CTrovaneCommands::MarkSortMenu, frame));
    EXPECT_TRUE(again->actions()[2]->isChecked());
    // A new arrival takes its place in the mark sort in force.
    Receive(Message(u"newest"_qs, u"最新"_qs, 4));
    EXPECT_EQ(ids(), QStringList({u"newest"_qs, u"old"_qs, u"new"_qs, u"mid"_qs}));

    // Each folder keeps its column widths.
    frame->List()->setColumnWidth(1, 222);
    frame->SelectFolder(SentFolder);
    EXPECT_EQ(frame->List()->columnWidth(1), 128);
    frame->SelectFolder(ReceivedFolder);
    EXPECT_EQ(frame->List()->columnWidth(1), 222);
}

TEST_F(TrovaneCommandsTest, TheTransferSettingWindowAddsConditionsAndTakesDroppedMembers) {
    CTrovaneFrame* frame = Shown();
    Receive(Message(u"r"_qs, u"【案件】見積"_qs, 1));
    frame->SelectFolder(ReceivedFolder);
    frame->List()->setFocus();
    frame->List()->selectRow(0);
    frame->Execute(Cmd::MessageTransferSetting);
    EXPECT_EQ(frame->TransCondDialog(), nullptr);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], T(823) + u'|' + T(912)) << "no folder can take conditions yet";

    UserFolder(16, ReceivedFolder, u"案件"_qs);
    frame->SelectFolder(ReceivedFolder);
    frame->List()->setFocus();
    frame->List()->selectRow(0);
    frame->Execute(Cmd::MessageTransferSetting);
    CTrovaneTransCondDialog* dialog = frame->TransCondDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->FolderBox()->count(), 1);
    EXPECT_EQ(dialog->FolderBox()->itemText(0), T(384) + u"/案件"_qs);
    dialog->ScopeBox()->setCurrentIndex(2); // subject: the message's subject is offered
    EXPECT_EQ(dialog->KeywordBox()->itemText(0), u"【案件】見積"_qs);
    EXPECT_FALSE(dialog->AddButton()->isEnabled());
    dialog->KeywordBox()->setEditText(u"【案件】"_qs);
    ASSERT_TRUE(dialog->AddButton()->isEnabled());
    QTest::mouseClick(dialog->AddButton(), Qt::LeftButton);
    ASSERT_EQ(app->TransConds().Count(), 1);
    EXPECT_EQ(app->TransConds().Conditions()[0].nFolder, 16u);
    EXPECT_EQ(dialog->ConditionList()->count(), 1);
    EXPECT_EQ(dialog->ConditionList()->item(0)->text(),
              CResourceLoader::Format(res, 493, {T(476), T(838), u"【案件】"_qs, T(481)}));
    EXPECT_FALSE(dialog->AddButton()->isEnabled()) << "the same condition again";

    // Members dropped on the keyword box become items; the first one is chosen.
    dialog->ScopeBox()->setCurrentIndex(0);
    dialog->DropMemberText(u"M,sato,M,nobody"_qs);
    EXPECT_EQ(dialog->KeywordBox()->currentText(), u"佐藤  花子 [sato]"_qs);
    dialog->ConditionList()->setCurrentRow(0);
    EXPECT_EQ(dialog->KeywordBox()->currentText(), u"【案件】"_qs);
    dialog->NotExistButton()->setChecked(true);
    ASSERT_TRUE(dialog->ExchangeButton()->isEnabled());
    SaveShot(dialog, u"trovane-transfer-setting"_qs);
    QTest::mouseClick(dialog->ExchangeButton(), Qt::LeftButton);
    EXPECT_EQ(app->TransConds().Conditions()[0].nMode, uint32_t(CTrovaneTransCond::ModeNotExists));
    dialog->ConditionList()->setCurrentRow(0);
    QTest::mouseClick(dialog->DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(app->TransConds().Count(), 0);

    // One window at a time.
    frame->Execute(Cmd::MessageTransferSetting);
    EXPECT_EQ(frame->TransCondDialog(), dialog);
}

TEST_F(TrovaneCommandsTest, AttachmentsAreSavedCopiedOrReportedMissingAndPagesPrint) {
    const QString files = dir.filePath(u"account/message/files/"_qs);
    QDir().mkpath(files);
    QFile file(files + u"att1見積書.txt"_qs);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("quote");
    file.close();
    Receive(Message(u"att1"_qs, u"見積書の送付"_qs, 1,
                    u"<BODY><P>ご確認ください。</P><OBJECT>見積書.txt</OBJECT>"
                    u"<OBJECT>なし.txt</OBJECT></BODY>"_qs));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    frame->List()->selectRow(0);
    CTrovaneAttachList* attachments = frame->Preview()->AttachmentList();
    ASSERT_EQ(attachments->count(), 2);

    attachments->setFocus();
    attachments->item(0)->setSelected(true);
    savePath = dir.filePath(u"saved.txt"_qs);
    frame->Execute(Cmd::SaveAttachment);
    EXPECT_EQ(proposals, QStringList({u"見積書.txt"_qs}));
    QFile saved(savePath);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("quote"));

    frame->Execute(Cmd::Copy);
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    ASSERT_NE(clip, nullptr);
    ASSERT_EQ(clip->urls().size(), 1);
    EXPECT_EQ(clip->urls()[0].toLocalFile(), frame->TempDir() + u"見積書.txt"_qs);
    EXPECT_TRUE(clip->data(u"x-special/gnome-copied-files"_qs).startsWith("cut\n"));
    EXPECT_TRUE(QFile::exists(frame->TempDir() + u"見積書.txt"_qs));

    // A missing file can be neither opened, saved nor copied.
    attachments->clearSelection();
    attachments->item(1)->setSelected(true);
    frame->Execute(Cmd::OpenAttachment);
    frame->Execute(Cmd::SaveAttachment);
    EXPECT_EQ(warnings, QStringList(2, T(823) + u'|' + T(827)));
    EXPECT_EQ(proposals.size(), 1);

    // The printed page: header lines, then the text.
    EXPECT_TRUE(frame->IsCommandEnabled(Cmd::Print));
    QTextDocument page;
    ASSERT_TRUE(frame->BuildPrintDocument(page));
    const QString pdf = dir.filePath(u"page.pdf"_qs);
    ASSERT_TRUE(ImPrint::WritePdf(page, pdf, {T(1140)}));
    QProcess text;
    text.start(u"pdftotext"_qs, {u"-layout"_qs, pdf, u"-"_qs});
    ASSERT_TRUE(text.waitForFinished(20000));
    // The PDF's text layer names some ideographs by their radicals; NFKC folds them back.
    const QString printed =
        QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    const qsizetype from = printed.indexOf(T(391) + u": 佐藤 花子"_qs);
    const qsizetype subject = printed.indexOf(T(392) + u": 見積書の送付"_qs);
    const qsizetype body = printed.indexOf(u"ご確認ください。"_qs);
    ASSERT_GE(from, 0) << printed.toStdString();
    EXPECT_LT(from, subject);
    EXPECT_LT(subject, body);
    EXPECT_FALSE(printed.contains(u"見積書.txt"_qs)) << "objects are not printed";
    EXPECT_TRUE(printed.contains(CResourceLoader::Format(res, 1140, {1})));
}

TEST_F(TrovaneCommandsTest, PicturesOfTheMenusAndTheWindowWithAFolderBeingNamed) {
    Receive(Message(u"r"_qs, u"会議の議事録"_qs, 1));
    CTrovaneFrame* frame = Shown();
    frame->resize(760, 520);
    frame->SelectFolder(ReceivedFolder);
    frame->List()->setFocus();
    frame->List()->selectRow(0);
    std::unique_ptr<QMenu> rowMenu(frame->BuildMenu(CTrovaneCommands::ReceivedRowMenu, frame));
    rowMenu->popup(frame->mapToGlobal(QPoint(200, 120)));
    SaveShot(rowMenu.get(), u"trovane-row-menu"_qs);
    rowMenu->hide();
    QMenu* file = frame->menuBar()->actions()[0]->menu();
    file->popup(frame->mapToGlobal(QPoint(0, 20)));
    SaveShot(file, u"trovane-file-menu"_qs);
    file->hide();
    frame->Tree()->setFocus();
    frame->Execute(Cmd::NewFolder);
    SaveShot(frame, u"trovane-frame-new-folder"_qs);
    EXPECT_EQ(ChildNames(ReceivedFolder), QStringList({T(883)}));
}

TEST_F(TrovaneCommandsTest, TheFindWindowSearchesTheFolderAndHoldsTheBoxWhileOpen) {
    Receive(Message(u"f1"_qs, u"定例会議の議事録"_qs, 1, u"<BODY>来週の予定</BODY>"_qs));
    Receive(Message(u"f2"_qs, u"昼食"_qs, 2, u"<BODY>会議室は 3 階です</BODY>"_qs));
    Receive(Message(u"f3"_qs, u"連絡"_qs, 3, u"<BODY><A HREF=\"x\">会議</A>なし</BODY>"_qs));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    frame->Execute(Cmd::Find);
    CTrovaneFindDialog* find = frame->FindDialog();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->windowTitle().startsWith(T(826) + u" :  "_qs));
    frame->Execute(Cmd::FindEdit);
    EXPECT_EQ(frame->FindDialog(), find) << "one find window at a time";

    find->WordsEdit()->setText(u"会議"_qs);
    find->TargetButton(CTrovaneFinder::BodyAndSubject)->setChecked(true);
    QSignalSpy finished(find, &CTrovaneFindDialog::SearchFinished);
    QTest::mouseClick(find->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(find->ResultModel()->rowCount(), 3) << "a two-character word in subjects and bodies";
    EXPECT_EQ(find->StatusText(), CResourceLoader::Format(res, 1150, {3}));

    find->WordByWord()->setChecked(true);
    find->StartSearch();
    ASSERT_TRUE(finished.wait(10000));
    // As a whole word it is in none of them: "定例会議の", "会議室は" and, with the tags taken
    // out, "会議なし" all run on.
    QStringList ids;
    for (int r = 0; r < find->ResultModel()->rowCount(); ++r)
        ids << find->ResultModel()->Entry(r)->GetMessageID();
    EXPECT_TRUE(ids.isEmpty()) << ids.join(u',').toStdString();

    find->WordByWord()->setChecked(false);
    find->TargetButton(CTrovaneFinder::SubjectOnly)->setChecked(true);
    find->StartSearch();
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(find->ResultModel()->rowCount(), 1);
    find->resize(720, 420);
    SaveShot(find, u"trovane-find"_qs);

    // Choosing a hit shows it in the window; meanwhile nothing is deleted or moved.
    frame->SelectFolder(SentFolder);
    find->Results()->selectRow(0);
    EXPECT_EQ(frame->CurrentFolder(), ReceivedFolder);
    ASSERT_EQ(frame->SelectedEntries().size(), 1);
    EXPECT_EQ(frame->SelectedEntries()[0]->GetMessageID(), u"f1"_qs);
    frame->List()->setFocus();
    frame->Execute(Cmd::DeleteKey);
    EXPECT_EQ(warnings, QStringList({frame->windowTitle() + u'|' + T(910)}));
    find->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->FindDialog(), nullptr);
    EXPECT_FALSE(CTrovaneNamedMutex::Exists(CTrovaneNamedMutex::kFindDialog));
}

TEST_F(TrovaneCommandsTest, KeysReachTheWindowsCommandsButNotWhileAFolderIsNamed) {
    Receive(Message(u"k"_qs, u"鍵"_qs, 1));
    CTrovaneFrame* frame = Shown();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    frame->SelectFolder(ReceivedFolder);
    frame->List()->setFocus();
    frame->List()->selectRow(0);
    QTest::keyClick(frame->List(), Qt::Key_Delete);
    EXPECT_EQ(Questions(), QStringList({T(490)}));
    EXPECT_EQ(app->Store().EntryCountOf(TrashFolder), 1);

    // Tab moves between the panes.
    frame->Tree()->setFocus();
    QTest::keyClick(frame->Tree(), Qt::Key_Tab);
    EXPECT_TRUE(frame->List()->hasFocus());

    // Insert makes a folder and opens its name for editing; keys then go to the editor.
    frame->SelectFolder(ReceivedFolder);
    frame->Tree()->setFocus();
    QTest::keyClick(frame->Tree(), Qt::Key_Insert);
    ASSERT_EQ(ChildNames(ReceivedFolder), QStringList({T(883)}));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, u"ab"_qs);
    QTest::keyClick(editor, Qt::Key_Insert);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(ChildNames(ReceivedFolder), QStringList({u"ab"_qs})) << "one folder, renamed";
}

TEST_F(TrovaneCommandsTest, ALongSearchCanBeStoppedAndTheWindowAnswersMeanwhile) {
    const QString body = u"<BODY>"_qs + QString(4000, u'文') + u"</BODY>"_qs;
    for (int i = 0; i < 3000; ++i)
        Receive(Message(QStringLiteral("s%1").arg(i), u"件名"_qs, i % 60, body));
    CTrovaneFrame* frame = Shown();
    frame->SelectFolder(ReceivedFolder);
    frame->Execute(Cmd::Find);
    CTrovaneFindDialog* find = frame->FindDialog();
    ASSERT_NE(find, nullptr);
    find->WordsEdit()->setText(u"見つからない語"_qs);
    find->TargetButton(CTrovaneFinder::BodyOnly)->setChecked(true);
    QTest::mouseClick(find->SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(find->IsSearching());
    EXPECT_EQ(find->SearchButton()->text(), T(1149));
    QCoreApplication::processEvents(); // the window keeps handling events
    QTest::mouseClick(find->SearchButton(), Qt::LeftButton);
    EXPECT_FALSE(find->IsSearching());
    EXPECT_EQ(find->SearchButton()->text(), T(470));
    // The next search runs to its end.
    QSignalSpy finished(find, &CTrovaneFindDialog::SearchFinished);
    find->StartSearch();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(find->ResultModel()->rowCount(), 0);
    EXPECT_EQ(find->StatusText(), CResourceLoader::Format(res, 1150, {0}));
}
