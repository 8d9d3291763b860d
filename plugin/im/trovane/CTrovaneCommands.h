// The message box window's commands without the window: their numbers, the menus and context
// menus they make up, when each is enabled, which context menu a folder or a selection gets,
// and the names of new and renamed folders. The frame builds its menus from these tables.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

class CTrovaneMessage;
class CTrovaneStore;
struct CTrovaneFolder;

namespace TrovaneCmd {
enum : int {
    Find = 32700,
    NewFolder = 32701,
    RenameFolder = 32702,
    FolderToTrash = 32703,
    Export = 32704,
    PrintPreview = 32705,
    NoHandlerF3 = 32706,
    SelectAll = 32707,
    NewMessage = 32708,
    ReEdit = 32709,
    Help = 32710,
    Version = 32711,
    FolderTransferSetting = 32712,
    MessageTransferSetting = 32713,
    MessagesToTrash = 32714,
    Transfer = 32715,
    NoHandlerF4 = 32716,
    Exit = 32717,
    Reply = 32718,
    Import = 32719,
    FindMenu = 32720,
    EmptyTrash = 32721,
    DeleteMessages = 32722,
    UnreadSort = 32724,
    ReplySort = 32725,
    CheckSort = 32726,
    PrioritySort = 32727,
    ForwardSort = 32728,
    ReadSort = 32729,
    AttachSort = 32730,
    DeleteFolder = 32732,
    SelectAllKey = 32733,
    TransferSettingKey = 32734,
    DeleteKey = 32735,
    NextPane = 32736,
    Forward = 32737,
    ReplyAll = 32738,
    ThreadTree = 32739,
    MessageProperty = 32740,
    Restore = 32741,
    OpenAttachment = 32742,
    SaveAttachment = 32743,
    Print = 57607,
    Copy = 57634,
    FindEdit = 57636,
    // Not a command of the tables: opening the selected message (Enter, double click).
    OpenMessage = 1,
    Separator = 0,
};
} // namespace TrovaneCmd

namespace CTrovaneCommands {

// Resource numbers of the context menus.
enum Menu : int {
    NoMenu = 0,
    ReceivedFolderMenu = 26015,
    MarkSortMenu = 26017,
    TrashMenu = 26021,
    DraftsMenu = 26025,
    ReceivedStyleMenu = 26026,
    SentStyleMenu = 26028,
    SentFolderMenu = 26029,
    ReceivedRowMenu = 26031,
    SentRowMenu = 26033,
    DraftRowMenu = 26035,
    TrashRowMenu = 26038,
    InTrashFolderMenu = 26040,
    PreviewMenu = 26043,
    AttachmentMenu = 26045,
    RowsMenu = 26050,
    TrashRowsMenu = 26051,
    FindResultMenu = 26061,
};

// What a folder is, for the menus.
enum Category { NoFolder, ReceivedStyle, SentStyle, DraftsSubtree, TrashSubtree };
Category CategoryOf(const CTrovaneFolder& folder);

// The kind of a row; a row in the trash keeps the kind it had before.
enum RowKind { NoRow, ReceivedRow, SentRow, DraftRow };
RowKind RowKindOf(const CTrovaneMessage& entry);

// Everything the enabled state depends on.
struct Context {
    Category category = NoFolder; // of the selected node
    uint32_t folderId = 0;
    bool folderHasChildren = false;
    bool treeFocus = false;
    bool listFocus = false;
    bool previewFocus = false;
    bool attachmentFocus = false;
    int listRows = 0;
    int selectedRows = 0;
    RowKind oneRow = NoRow; // the kind of the row when exactly one is selected
    bool oneRowInTrash = false;
    bool previewShows = false;
    bool previewHasSelection = false;
    bool attachmentSelected = false;
    bool anyOutsideTrash = false; // some entry of the box lies outside the trash
};

// Whether the "Folder" submenu opens.
bool FolderMenuEnabled(const Context& c);
// Whether a command of the menus is enabled.
bool IsEnabled(int command, const Context& c);

// Items of the menus (TrovaneCmd::Separator between groups).
QList<int> MenuItems(Menu menu);
// The main menu: the menus' titles (text numbers) and items; FolderSubmenu stands for the
// "Folder" submenu within "File".
inline constexpr int FolderSubmenu = -1;
struct MainMenu {
    uint32_t title;
    QList<int> items;
};
QList<MainMenu> MainMenus();
QList<int> FolderSubmenuItems();
// The text number of a command's menu item; 0 for none.
uint32_t TextOf(int command);

// The context menu of a folder's node, and of a selection of rows in a folder.
Menu FolderMenu(const CTrovaneFolder& folder);
Menu RowMenu(int selectedRows, const CTrovaneMessage* oneRow);

// Whether a sibling under parentId (other than `except`) has this name, regardless of case.
bool NameTaken(const CTrovaneStore& store, uint32_t parentId, const QString& name,
               uint32_t except = 0);
// The name itself when no sibling has it, else the first free "name1", "name2", ...
QString FreeFolderName(const CTrovaneStore& store, uint32_t parentId, const QString& name,
                       uint32_t except = 0);
// Whether a folder's name may be edited: user folders outside the trash and the drafts.
bool CanRename(const CTrovaneFolder& folder);

} // namespace CTrovaneCommands
