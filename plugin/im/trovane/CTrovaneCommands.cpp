#include "plugin/im/trovane/CTrovaneCommands.h"

#include "plugin/im/trovane/CTrovaneMessage.h"
#include "plugin/im/trovane/CTrovaneStore.h"

#include <QHash>

using namespace TrovaneBox;
namespace Cmd = TrovaneCmd;

namespace CTrovaneCommands {

Category CategoryOf(const CTrovaneFolder& f) {
    if ((f.nFlags & InTrash) || (f.nFlags & TrashKind))
        return TrashSubtree;
    if ((f.nFlags & InDrafts) || (f.nFlags & DraftsKind))
        return DraftsSubtree;
    if (f.nFlags & ListsReceived)
        return ReceivedStyle;
    if (f.nFlags & ListsSent)
        return SentStyle;
    return NoFolder;
}

RowKind RowKindOf(const CTrovaneMessage& entry) {
    switch (entry.Kind()) {
    case KindDraft:
        return DraftRow;
    case KindSent:
        return SentRow;
    case KindReceived:
        return ReceivedRow;
    default:
        return NoRow;
    }
}

bool FolderMenuEnabled(const Context& c) {
    return c.category != NoFolder && (c.listRows == 0 || c.treeFocus);
}

bool IsEnabled(int command, const Context& c) {
    const bool node = c.category != NoFolder;
    const bool styled = c.category == ReceivedStyle || c.category == SentStyle;
    const bool user = c.folderId >= FirstUserFolder;
    const bool one = c.selectedRows == 1;
    switch (command) {
    case Cmd::NewFolder:
        return styled;
    case Cmd::RenameFolder:
    case Cmd::FolderTransferSetting:
        return styled && user;
    case Cmd::FolderToTrash:
        return node && (user || c.category == TrashSubtree);
    case Cmd::EmptyTrash:
        return c.folderId == TrashFolder;
    case Cmd::DeleteFolder:
        return c.category == TrashSubtree && c.folderId != TrashFolder;
    case Cmd::Transfer:
        return styled && c.folderHasChildren;
    case Cmd::Export:
        return c.anyOutsideTrash;
    case Cmd::Print:
    case Cmd::PrintPreview:
        return c.previewShows;
    case Cmd::Copy:
        return (c.previewFocus && c.previewShows && c.previewHasSelection) ||
               (c.attachmentFocus && c.attachmentSelected);
    case Cmd::SelectAll:
        return c.previewFocus || c.attachmentFocus || (c.listFocus && c.listRows > 0);
    case Cmd::Reply:
    case Cmd::ReplyAll:
        return one && c.oneRow == ReceivedRow;
    case Cmd::Forward:
    case Cmd::ThreadTree:
        return one && (c.oneRow == ReceivedRow || c.oneRow == SentRow);
    case Cmd::ReEdit:
        return one && (c.oneRow == SentRow || c.oneRow == DraftRow);
    case Cmd::MessageTransferSetting:
        return c.listFocus && one && (c.oneRow == ReceivedRow || c.oneRow == SentRow);
    case Cmd::MessageProperty:
        return one && c.oneRow != NoRow && c.oneRow != DraftRow;
    case Cmd::MessagesToTrash:
        return c.listFocus && c.selectedRows > 0;
    case Cmd::DeleteMessages:
        return c.selectedRows > 0 && c.category == TrashSubtree;
    case Cmd::OpenMessage:
        return one;
    case Cmd::OpenAttachment:
    case Cmd::SaveAttachment:
        return c.attachmentSelected;
    default:
        return true;
    }
}

QList<int> MenuItems(Menu menu) {
    using namespace TrovaneCmd;
    switch (menu) {
    case ReceivedFolderMenu:
    case SentFolderMenu:
        return {NewFolder, Separator, Transfer};
    case ReceivedStyleMenu:
    case SentStyleMenu:
        return {NewFolder, RenameFolder, FolderToTrash, Separator, Transfer,
                FolderTransferSetting};
    case DraftsMenu:
        return {NewMessage};
    case TrashMenu:
        return {EmptyTrash};
    case InTrashFolderMenu:
        return {DeleteFolder};
    case MarkSortMenu:
        return {PrioritySort, CheckSort, UnreadSort, ReplySort, ForwardSort, AttachSort, ReadSort};
    case ReceivedRowMenu:
        return {OpenMessage, Separator, Reply,   ReplyAll, Forward, Separator, ThreadTree,
                MessageTransferSetting, MessageProperty, Separator, MessagesToTrash};
    case SentRowMenu:
        return {OpenMessage, Separator,       ReEdit,    Forward, Separator,
                ThreadTree,  MessageTransferSetting, MessageProperty, Separator, MessagesToTrash};
    case DraftRowMenu:
        return {ReEdit, Separator, MessagesToTrash};
    case TrashRowMenu:
        return {OpenMessage, Separator, MessageProperty, Separator, DeleteMessages};
    case RowsMenu:
        return {MessagesToTrash};
    case TrashRowsMenu:
        return {DeleteMessages};
    case PreviewMenu:
        return {Copy, FindEdit, SelectAll};
    case AttachmentMenu:
        return {OpenAttachment, SaveAttachment, Separator, Copy};
    case FindResultMenu:
        return {MessageTransferSetting, MessageProperty};
    case NoMenu:
        break;
    }
    return {};
}

QList<MainMenu> MainMenus() {
    using namespace TrovaneCmd;
    return {
        {1100,
         {FolderSubmenu, Import, Export, Restore, Separator, Print, PrintPreview, Separator, Exit}},
        {1113, {Copy, Separator, FindEdit, Separator, SelectAll}},
        {1117,
         {NewMessage, Reply, Forward, ReEdit, ReplyAll, ThreadTree, MessageTransferSetting,
          MessageProperty, Separator, MessagesToTrash}},
        {1125, {Help, Version}},
    };
}

QList<int> FolderSubmenuItems() {
    using namespace TrovaneCmd;
    return {NewFolder, RenameFolder, FolderToTrash, Separator, Transfer, FolderTransferSetting};
}

uint32_t TextOf(int command) {
    static const QHash<int, uint32_t> texts = {
        {Cmd::NewFolder, 1102},
        {Cmd::RenameFolder, 1103},
        {Cmd::FolderToTrash, 1104},
        {Cmd::MessagesToTrash, 1104},
        {Cmd::Transfer, 1105},
        {Cmd::FolderTransferSetting, 1106},
        {Cmd::MessageTransferSetting, 1106},
        {Cmd::Import, 1107},
        {Cmd::Export, 1108},
        {Cmd::Restore, 1109},
        {Cmd::Print, 1110},
        {Cmd::PrintPreview, 1111},
        {Cmd::Exit, 1112},
        {Cmd::Copy, 1114},
        {Cmd::FindEdit, 1115},
        {Cmd::SelectAll, 1116},
        {Cmd::NewMessage, 1118},
        {Cmd::Reply, 1119},
        {Cmd::Forward, 1120},
        {Cmd::ReEdit, 1121},
        {Cmd::ReplyAll, 1122},
        {Cmd::ThreadTree, 1123},
        {Cmd::MessageProperty, 1124},
        {Cmd::Help, 1125},
        {Cmd::Version, 1126},
        {Cmd::DeleteFolder, 1127},
        {Cmd::DeleteMessages, 1127},
        {Cmd::EmptyTrash, 1128},
        {Cmd::OpenAttachment, 1129},
        {Cmd::SaveAttachment, 1130},
        {Cmd::PrioritySort, 1131},
        {Cmd::CheckSort, 1132},
        {Cmd::UnreadSort, 1133},
        {Cmd::ReplySort, 1134},
        {Cmd::ForwardSort, 1135},
        {Cmd::AttachSort, 1136},
        {Cmd::ReadSort, 1137},
        {Cmd::OpenMessage, 1141},
    };
    return texts.value(command, 0);
}

Menu FolderMenu(const CTrovaneFolder& f) {
    switch (f.nID) {
    case ReceivedFolder:
        return ReceivedFolderMenu;
    case SentFolder:
        return SentFolderMenu;
    case TrashFolder:
        return TrashMenu;
    default:
        break;
    }
    switch (CategoryOf(f)) {
    case DraftsSubtree:
        return DraftsMenu;
    case TrashSubtree:
        return InTrashFolderMenu;
    case ReceivedStyle:
        return ReceivedStyleMenu;
    case SentStyle:
        return SentStyleMenu;
    case NoFolder:
        break;
    }
    return NoMenu;
}

Menu RowMenu(int selectedRows, const CTrovaneMessage* oneRow) {
    if (selectedRows <= 0 || !oneRow)
        return NoMenu;
    const bool inTrash = oneRow->BoxFlags() & InTrash;
    if (selectedRows > 1)
        return inTrash ? TrashRowsMenu : RowsMenu;
    if (inTrash)
        return TrashRowMenu;
    switch (RowKindOf(*oneRow)) {
    case ReceivedRow:
        return ReceivedRowMenu;
    case SentRow:
        return SentRowMenu;
    case DraftRow:
        return DraftRowMenu;
    case NoRow:
        break;
    }
    return NoMenu;
}

bool NameTaken(const CTrovaneStore& store, uint32_t parentId, const QString& name,
               uint32_t except) {
    const QList<CTrovaneFolder*> siblings = store.ChildrenOf(parentId);
    return store.WithFolders([&] {
        for (const CTrovaneFolder* f : siblings)
            if (f->nID != except && f->strName.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    });
}

QString FreeFolderName(const CTrovaneStore& store, uint32_t parentId, const QString& name,
                       uint32_t except) {
    if (!NameTaken(store, parentId, name, except))
        return name;
    for (int n = 1;; ++n) {
        const QString candidate = name + QString::number(n);
        if (!NameTaken(store, parentId, candidate, except))
            return candidate;
    }
}

bool CanRename(const CTrovaneFolder& f) {
    return f.nID >= FirstUserFolder && !(f.nFlags & (InTrash | InDrafts | TrashKind | DraftsKind));
}

} // namespace CTrovaneCommands
