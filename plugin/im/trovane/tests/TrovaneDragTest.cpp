// Dragging inside the message box window over a scripted core: messages dropped onto a folder,
// into the trash after a question, not onto their own folder; folders dropped onto folders,
// renamed beside a sibling of the same name and never into their own subtree; the candidate
// under the mouse and a collapsed folder that opens when the mouse rests on it.
#include "TrovaneAppFixture.h"
#include "imframe/CImFrame.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneFrameDrag.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace TrovaneBox;

namespace {

class TrovaneDragTest : public TrovaneAppFixture {
protected:
    void SetUp() override {
        TrovaneAppFixture::SetUp();
        ScriptedCore::AddMember(u"sato"_qs, u"佐藤"_qs, QString(), u"花子"_qs);
        LogOn();
        for (int i = 1; i <= 3; ++i) {
            CLetrix m;
            m.SetMessageID(QStringLiteral("m%1").arg(i));
            m.SetFromID(u"sato"_qs);
            m.SetSubject(QStringLiteral("連絡 %1").arg(i));
            ScriptedCore::AddMessage(ObrixBox::Received, m);
            const QString id = m.GetMessageID();
            app->OnRecvMessage(reinterpret_cast<const char16_t*>(id.utf16()));
        }
        app->OnBegin(0, 0);
        frame = app->Frame();
        frame->show();
        res = CImFrame::Instance().Obrix().GetIMResHandle();
    }
    CTrovaneFolder* Folder(uint32_t id, uint32_t parent, const QString& name) {
        CTrovaneFolder f;
        f.nID = id;
        f.nParentID = parent;
        f.strName = name;
        f.nFlags = app->Store().FindFolder(parent)->nFlags & 0xFF7F;
        CTrovaneFolder* added = app->Store().AddFolder(f);
        frame->Refresh();
        return added;
    }
    uint32_t Number(const QString& id) { return app->Store().FindEntry(id, true)->LocalNumber(); }
    uint32_t FolderOf(const QString& id) { return app->Store().FindEntry(id, true)->FolderID(); }
    QString T(uint32_t id) { return CResourceLoader::LoadString(res, id); }
    // A drop of mime data onto a folder's node, as the tree's viewport receives it.
    bool DropOn(uint32_t folder, QMimeData& data) {
        frame->Tree()->expandAll();
        QWidget* viewport = frame->Tree()->viewport();
        const QPoint at = frame->Tree()->visualRect(frame->TreeModel()->IndexOf(folder)).center();
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        const bool accepted = move.isAccepted();
        QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        return accepted;
    }

    CTrovaneFrame* frame = nullptr;
    void* res = nullptr;
};

} // namespace

TEST_F(TrovaneDragTest, MessagesDroppedOnAFolderMoveAndTheTrashAsksFirst) {
    Folder(16, ReceivedFolder, u"案件"_qs);
    CTrovaneFrameDrag* drag = frame->Drag();
    ASSERT_NE(drag, nullptr);
    frame->SelectFolder(ReceivedFolder);
    ASSERT_EQ(frame->ListModel()->rowCount(), 3);

    // Onto their own folder nothing happens.
    EXPECT_FALSE(drag->DropMessages(ReceivedFolder, {Number(u"m1"_qs)}, ReceivedFolder));
    EXPECT_TRUE(questions.isEmpty());

    EXPECT_TRUE(drag->DropMessages(ReceivedFolder, {Number(u"m1"_qs), Number(u"m2"_qs)}, 16));
    EXPECT_EQ(FolderOf(u"m1"_qs), 16u);
    EXPECT_EQ(FolderOf(u"m2"_qs), 16u);
    EXPECT_EQ(frame->CurrentFolder(), ReceivedFolder);
    EXPECT_EQ(frame->ListModel()->rowCount(), 1); // the rows left the list
    EXPECT_TRUE(questions.isEmpty());

    answer = false;
    EXPECT_FALSE(drag->DropMessages(ReceivedFolder, {Number(u"m3"_qs)}, TrashFolder));
    EXPECT_EQ(FolderOf(u"m3"_qs), ReceivedFolder);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].endsWith(T(490)));
    answer = true;
    EXPECT_TRUE(drag->DropMessages(ReceivedFolder, {Number(u"m3"_qs)}, TrashFolder));
    EXPECT_EQ(FolderOf(u"m3"_qs), TrashFolder);
}

TEST_F(TrovaneDragTest, TheTreeTakesMessageDropsOnlyOnOtherFolders) {
    Folder(16, ReceivedFolder, u"案件"_qs);
    frame->SelectFolder(ReceivedFolder);
    QMimeData data;
    data.setData(QString::fromLatin1(CTrovaneFrameDrag::kMessagesMime),
                 QByteArray::number(ReceivedFolder) + ',' + QByteArray::number(Number(u"m1"_qs)));
    EXPECT_FALSE(DropOn(ReceivedFolder, data));
    EXPECT_EQ(FolderOf(u"m1"_qs), ReceivedFolder);
    EXPECT_TRUE(DropOn(16, data));
    EXPECT_EQ(FolderOf(u"m1"_qs), 16u);
    EXPECT_EQ(frame->Drag()->Candidate(), 0u);
}

TEST_F(TrovaneDragTest, FoldersDropOutsideTheirSubtreeAndTakeAFreeName) {
    Folder(16, ReceivedFolder, u"案件"_qs);
    Folder(17, 16, u"見積"_qs);
    Folder(18, SentFolder, u"案件"_qs);
    CTrovaneFrameDrag* drag = frame->Drag();
    EXPECT_FALSE(drag->DropFolder(16, 17));
    EXPECT_FALSE(drag->DropFolder(16, DraftsFolder));
    EXPECT_FALSE(drag->DropFolder(ReceivedFolder, 18));

    QMimeData data;
    data.setData(QString::fromLatin1(CTrovaneFrameDrag::kFolderMime), QByteArray::number(18));
    EXPECT_TRUE(DropOn(ReceivedFolder, data));
    EXPECT_EQ(app->Store().FindFolder(18)->nParentID, ReceivedFolder);
    EXPECT_EQ(app->Store().FindFolder(18)->strName, u"案件1"_qs);
    EXPECT_EQ(frame->CurrentFolder(), 18u);
    EXPECT_TRUE(frame->TreeModel()->IndexOf(18).isValid());

    answer = false;
    EXPECT_FALSE(drag->DropFolder(16, TrashFolder));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].endsWith(T(489)));
    answer = true;
    EXPECT_TRUE(drag->DropFolder(16, TrashFolder));
    EXPECT_TRUE(app->Store().IsInSubtree(17, TrashFolder));
}

TEST_F(TrovaneDragTest, ACollapsedFolderOpensWhenTheDragRestsOnIt) {
    Folder(16, ReceivedFolder, u"案件"_qs);
    Folder(17, 16, u"見積"_qs);
    const QModelIndex node = frame->TreeModel()->IndexOf(16);
    frame->Tree()->collapse(node);
    CTrovaneFrameDrag* drag = frame->Drag();
    drag->HoverOver(16);
    EXPECT_EQ(drag->Candidate(), 16u);
    EXPECT_TRUE(drag->ExpandPending());
    // Moving on to another folder restarts the wait; a folder without subfolders has none.
    drag->HoverOver(17);
    EXPECT_FALSE(drag->ExpandPending());
    drag->HoverOver(16);
    QTest::qWait(CTrovaneFrameDrag::kExpandDelayMs / 2);
    EXPECT_FALSE(frame->Tree()->isExpanded(node));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->Tree()->isExpanded(node); },
                                CTrovaneFrameDrag::kExpandDelayMs * 2));
    drag->HoverOver(0);
}
