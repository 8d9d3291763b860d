// The window's command rules without the window: when menu items are enabled, which context
// menu a folder or a selection gets, the names of new folders, the transfer setting window's
// working copy and the printed page.
#include "TrovaneTestSupport.h"
#include "obrix/CMemberDragText.h"
#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovanePreviewPage.h"
#include "plugin/im/trovane/CTrovaneTransCondEditor.h"

using namespace TrovaneBox;
namespace Cmd = TrovaneCmd;
namespace C = CTrovaneCommands;

TEST(TrovaneCommands, TheMenuStateFollowsTheNodeTheRowsAndTheFocus) {
    C::Context c;
    c.category = C::ReceivedStyle;
    c.folderId = ReceivedFolder;
    EXPECT_TRUE(C::IsEnabled(Cmd::NewFolder, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::RenameFolder, c)) << "system folders keep their names";
    EXPECT_FALSE(C::IsEnabled(Cmd::FolderToTrash, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::Transfer, c)) << "no subfolders";
    c.folderHasChildren = true;
    EXPECT_TRUE(C::IsEnabled(Cmd::Transfer, c));
    c.folderId = 16;
    EXPECT_TRUE(C::IsEnabled(Cmd::RenameFolder, c));
    EXPECT_TRUE(C::IsEnabled(Cmd::FolderTransferSetting, c));
    EXPECT_TRUE(C::IsEnabled(Cmd::FolderToTrash, c));

    // The folder submenu needs the tree's focus once the list has rows.
    c.listRows = 3;
    EXPECT_FALSE(C::FolderMenuEnabled(c));
    c.treeFocus = true;
    EXPECT_TRUE(C::FolderMenuEnabled(c));

    c.category = C::TrashSubtree;
    c.folderId = 17;
    EXPECT_FALSE(C::IsEnabled(Cmd::NewFolder, c));
    EXPECT_TRUE(C::IsEnabled(Cmd::FolderToTrash, c)) << "deletes for good inside the trash";
    EXPECT_TRUE(C::IsEnabled(Cmd::DeleteFolder, c));
    c.category = C::DraftsSubtree;
    c.folderId = DraftsFolder;
    EXPECT_FALSE(C::IsEnabled(Cmd::NewFolder, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::FolderToTrash, c));

    // Rows: one received row allows replies; a draft only editing again.
    c.selectedRows = 1;
    c.oneRow = C::ReceivedRow;
    EXPECT_TRUE(C::IsEnabled(Cmd::Reply, c));
    EXPECT_TRUE(C::IsEnabled(Cmd::ThreadTree, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::ReEdit, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::MessageTransferSetting, c)) << "needs the list's focus";
    EXPECT_FALSE(C::IsEnabled(Cmd::MessagesToTrash, c));
    c.listFocus = true;
    EXPECT_TRUE(C::IsEnabled(Cmd::MessageTransferSetting, c));
    EXPECT_TRUE(C::IsEnabled(Cmd::MessagesToTrash, c));
    c.oneRow = C::DraftRow;
    EXPECT_FALSE(C::IsEnabled(Cmd::Reply, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::Forward, c));
    EXPECT_TRUE(C::IsEnabled(Cmd::ReEdit, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::MessageProperty, c));
    c.selectedRows = 2;
    EXPECT_FALSE(C::IsEnabled(Cmd::ReEdit, c)) << "one row only";
    EXPECT_TRUE(C::IsEnabled(Cmd::MessagesToTrash, c));

    // Printing needs an entry on show; copying a selection in the focused pane.
    EXPECT_FALSE(C::IsEnabled(Cmd::Print, c));
    c.previewShows = true;
    EXPECT_TRUE(C::IsEnabled(Cmd::PrintPreview, c));
    c.previewFocus = true;
    EXPECT_FALSE(C::IsEnabled(Cmd::Copy, c));
    c.previewHasSelection = true;
    EXPECT_TRUE(C::IsEnabled(Cmd::Copy, c));
    EXPECT_FALSE(C::IsEnabled(Cmd::Export, c));
    c.anyOutsideTrash = true;
    EXPECT_TRUE(C::IsEnabled(Cmd::Export, c));
}

TEST_F(TrovaneStoreTest, ContextMenusFollowTheFolderAndTheRowKind) {
    AddFolder(16, ReceivedFolder);
    CTrovaneFolder sent;
    sent.nID = 17;
    sent.nParentID = SentFolder;
    sent.nFlags = ListsSent;
    store.AddFolder(sent);
    AddFolder(18, 16);
    ASSERT_TRUE(store.MoveFolder(TrashFolder, 18));
    auto menu = [&](uint32_t id) { return C::FolderMenu(*store.FindFolder(id)); };
    EXPECT_EQ(menu(ReceivedFolder), C::ReceivedFolderMenu);
    EXPECT_EQ(menu(SentFolder), C::SentFolderMenu);
    EXPECT_EQ(menu(DraftsFolder), C::DraftsMenu);
    EXPECT_EQ(menu(TrashFolder), C::TrashMenu);
    EXPECT_EQ(menu(16), C::ReceivedStyleMenu);
    EXPECT_EQ(menu(17), C::SentStyleMenu);
    EXPECT_EQ(menu(18), C::InTrashFolderMenu);

    CTrovaneMessage* received = AddReceived(u"r"_qs, ReceivedFolder);
    CTrovaneMessage* draft = store.AddEntry(
        Entry(MakeMessage(u"d"_qs, u"me"_qs, u"b"_qs, u"x"_qs), Draft, DraftsFolder));
    EXPECT_EQ(C::RowMenu(1, received), C::ReceivedRowMenu);
    EXPECT_EQ(C::RowMenu(1, draft), C::DraftRowMenu);
    EXPECT_EQ(C::RowMenu(2, received), C::RowsMenu);
    EXPECT_EQ(C::RowMenu(0, nullptr), C::NoMenu);
    ASSERT_TRUE(store.MoveEntry(TrashFolder, draft->LocalNumber()));
    EXPECT_EQ(C::RowMenu(1, draft), C::TrashRowMenu);
    EXPECT_EQ(C::RowMenu(3, draft), C::TrashRowsMenu);
    EXPECT_EQ(C::RowKindOf(*draft), C::DraftRow) << "the kind it had before the trash";
    // Every menu item has a text, and the mark sort menu has the seven sorts in order.
    for (C::Menu m : {C::ReceivedRowMenu, C::SentRowMenu, C::DraftRowMenu, C::TrashRowMenu,
                      C::PreviewMenu, C::AttachmentMenu, C::ReceivedStyleMenu, C::TrashMenu})
        for (int command : C::MenuItems(m))
            EXPECT_TRUE(command == Cmd::Separator || C::TextOf(command) != 0) << command;
    EXPECT_EQ(C::MenuItems(C::MarkSortMenu),
              QList<int>({Cmd::PrioritySort, Cmd::CheckSort, Cmd::UnreadSort, Cmd::ReplySort,
                          Cmd::ForwardSort, Cmd::AttachSort, Cmd::ReadSort}));
}

TEST_F(TrovaneStoreTest, NewFolderNamesCountUpAndRenamingIgnoresLetterCase) {
    const QString base = u"新しいフォルダー"_qs;
    QStringList names;
    for (uint32_t id = 16; id < 19; ++id) {
        const QString name = C::FreeFolderName(store, ReceivedFolder, base);
        names << name;
        AddFolder(id, ReceivedFolder, name);
    }
    EXPECT_EQ(names, QStringList({base, base + u"1"_qs, base + u"2"_qs}));

    AddFolder(20, ReceivedFolder, u"Projects"_qs);
    EXPECT_TRUE(C::NameTaken(store, ReceivedFolder, u"PROJECTS"_qs));
    EXPECT_FALSE(C::NameTaken(store, ReceivedFolder, u"PROJECTS"_qs, 20)) << "its own name";
    EXPECT_FALSE(C::NameTaken(store, SentFolder, u"Projects"_qs)) << "only siblings count";
    EXPECT_TRUE(C::CanRename(*store.FindFolder(20)));
    EXPECT_FALSE(C::CanRename(*store.FindFolder(ReceivedFolder)));
    ASSERT_TRUE(store.MoveFolder(TrashFolder, 20));
    EXPECT_FALSE(C::CanRename(*store.FindFolder(20))) << "folders in the trash keep their names";
}

TEST_F(TrovaneStoreTest, TheTransferSettingEditsTheMasterListAtOnce) {
    store.FindFolder(ReceivedFolder)->strName = u"受信箱"_qs;
    AddFolder(16, ReceivedFolder, u"案件"_qs);
    AddFolder(17, 16, u"見積"_qs);
    AddFolder(18, ReceivedFolder, u"古い"_qs);
    ASSERT_TRUE(store.MoveFolder(TrashFolder, 18));
    CTrovaneTransCondEditor editor(conditions);
    editor.SetFolder(17);
    EXPECT_EQ(CTrovaneTransCondEditor::FolderPath(store, 17), u"受信箱/案件/見積"_qs);

    CTrovaneTransCondEditor::Values v;
    v.scope = CTrovaneTransCond::ScopeSubject;
    EXPECT_FALSE(editor.CanAdd(v)) << "no keyword";
    v.keyword = u"見積"_qs;
    ASSERT_TRUE(editor.Add(v));
    EXPECT_FALSE(editor.CanAdd(v)) << "the same condition twice";
    ASSERT_EQ(conditions.Count(), 1);
    EXPECT_EQ(conditions.Conditions()[0].nFolder, 17u);

    v.keyword = u"請求"_qs;
    v.mode = CTrovaneTransCond::ModeNotExists;
    ASSERT_TRUE(editor.Exchange(v, 0));
    ASSERT_EQ(conditions.Count(), 1);
    EXPECT_EQ(conditions.Conditions()[0].strKeyword, u"請求"_qs);
    EXPECT_EQ(conditions.Conditions()[0].nMode, uint32_t(CTrovaneTransCond::ModeNotExists));

    CTrovaneTransCondEditor::Texts texts{{u"受信"_qs, u"送信"_qs},
                                         {u"差出人"_qs, u"宛先"_qs, u"件名"_qs, u"本文"_qs},
                                         {u"含む"_qs, u"含まない"_qs},
                                         u"[%s] %sに「%s」を%s"_qs};
    EXPECT_EQ(editor.RowText(0, texts), u"[受信] 件名に「請求」を含まない"_qs);
    ASSERT_TRUE(editor.Delete(0));
    EXPECT_EQ(conditions.Count(), 0);
    EXPECT_TRUE(editor.Rows().isEmpty());
    EXPECT_FALSE(editor.Exchange(v, 0)) << "no row to exchange";

    // Only user folders outside the trash and the drafts can be targets.
    QStringList paths;
    for (const auto& t : CTrovaneTransCondEditor::Targets(store))
        paths << t.path;
    EXPECT_EQ(paths, QStringList({u"受信箱/案件"_qs, u"受信箱/案件/見積"_qs}));
}

TEST_F(TrovaneStoreTest, KeywordValuesAndDroppedMembersBecomeItemsOnce) {
    core.AddMember(u"sato"_qs, u"佐藤"_qs);
    core.AddMember(u"me"_qs, u"山田"_qs);
    core.AddGroup(u"g1"_qs, u"営業部"_qs);
    CTrovaneMessage a = Entry(MakeMessage(u"a"_qs, u"sato"_qs, u"me"_qs, u"見積"_qs), Received);
    CTrovaneMessage b = Entry(MakeMessage(u"b"_qs, u"sato"_qs, u"me"_qs, u"請求"_qs), Received);
    a.SetFromName(u"佐藤"_qs);
    b.SetFromName(u"佐藤"_qs);
    const QList<CTrovaneMessage*> both{&a, &b};
    EXPECT_EQ(CTrovaneTransCondEditor::KeywordValues(both, CTrovaneTransCond::ScopeSender),
              QStringList({u"佐藤 [sato]"_qs}));
    EXPECT_EQ(CTrovaneTransCondEditor::KeywordValues(both, CTrovaneTransCond::ScopeSubject),
              QStringList({u"見積"_qs, u"請求"_qs}));
    EXPECT_EQ(CTrovaneTransCondEditor::KeywordValues(both, CTrovaneTransCond::ScopeDestinations),
              QStringList({u"山田 [me]"_qs}));
    EXPECT_TRUE(CTrovaneTransCondEditor::KeywordValues(both, CTrovaneTransCond::ScopeBody).isEmpty());

    auto member = [&](const QString& id) { return core.MemberName(id); };
    auto group = [&](const QString& id) { return core.GroupName(id); };
    EXPECT_EQ(CTrovaneTransCondEditor::DropItems(u"M,sato,G,g1"_qs, member, group),
              QStringList({u"佐藤 [sato]"_qs, u"営業部 [g1]"_qs}));
    EXPECT_EQ(CTrovaneTransCondEditor::DropItems(u"M,nobody,O,x"_qs, member, group),
              QStringList({u"OnNetMembers [OnNetters]"_qs}))
        << "an unknown member gives nothing";
}

TEST_F(TrovaneStoreTest, ThePrintedPageCarriesTheHeaderLinesWhereTheTextBegins) {
    core.AddMember(u"b"_qs, u"鈴木"_qs);
    CLetrix m = MakeMessage(u"m"_qs, u"a"_qs, u"b"_qs, u"件名 <重要>"_qs);
    m.SetMessage(u"<BODY BGCOLOR=\"#FFFFFF\">本文</BODY>"_qs);
    const CTrovanePreviewPage::Labels labels{u"差出人"_qs, u"件名"_qs,  u"日時"_qs, u"宛先"_qs,
                                             u"S件名"_qs,  u"S日時"_qs, u"Cc"_qs,   u"Bcc"_qs};
    const CTrovaneMessage entry = Entry(m, Received);
    const QString page = CTrovanePreviewPage::PrintPage(m.GetMessage(), entry, labels);
    const qsizetype date = page.indexOf(u"<DT>日時: "_qs);
    const qsizetype sender = page.indexOf(u"<DT>差出人: A</DT>"_qs);
    const qsizetype to = page.indexOf(u"<DT>宛先: 鈴木</DT>"_qs);
    const qsizetype subject = page.indexOf(u"<DT>件名: 件名 &lt;重要&gt;</DT><HR><PRE>本文"_qs);
    ASSERT_GT(date, page.indexOf(u"<BODY BGCOLOR"_qs));
    EXPECT_LT(date, sender);
    EXPECT_LT(sender, to);
    EXPECT_LT(to, subject);
    EXPECT_FALSE(page.contains(u"<DT>Cc"_qs)) << "empty Cc and Bcc lines are left out";

    // An old-form body (no body tag) is wrapped in one; the header follows it.
    m.SetMessage(u"本文"_qs);
    const QString bare = CTrovanePreviewPage::PrintPage(m.GetMessage(), Entry(m, Sent), labels);
    EXPECT_TRUE(bare.contains(u"</HEAD><BODY><DT>S日時: "_qs)) << bare.toStdString();
}
