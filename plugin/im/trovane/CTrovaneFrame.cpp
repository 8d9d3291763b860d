#include "plugin/im/trovane/CTrovaneFrame.h"

#include "imframe/ImPrint.h"
#include "imframe/MessageRequests.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneNamedMutex.h"
#include "plugin/im/trovane/CTrovanePreview.h"
#include "plugin/im/trovane/CTrovanePreviewPage.h"
#include "plugin/im/trovane/CTrovaneProgressEvent.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondDialog.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"
#include "plugin/im/trovane/CTrovaneFrameDrag.h"
#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <memory>

using namespace TrovaneBox;
namespace Cmd = TrovaneCmd;
namespace Commands = CTrovaneCommands;

namespace {

constexpr uint32_t kTitleText = 823;
constexpr uint32_t kMissingFileText = 827;
constexpr uint32_t kStatusText = 828;
constexpr uint32_t kNewFolderText = 883;
constexpr uint32_t kNameTakenText = 884;
constexpr uint32_t kEmptyTrashText = 486;
constexpr uint32_t kDeleteFolderText = 487;
constexpr uint32_t kDeleteMessagesText = 488;
constexpr uint32_t kFolderToTrashText = 489;
constexpr uint32_t kMessagesToTrashText = 490;
constexpr uint32_t kTransferDoneText = 491;
constexpr uint32_t kBusyText = 910;
constexpr uint32_t kSaveTitleText = 1138;
constexpr uint32_t kAllFilesText = 1139;
constexpr uint32_t kPageFooterText = 1140;
constexpr uint32_t kListMarks = 811;
constexpr uint32_t kTreeImages = 812;
constexpr uint32_t kToolImages = 819;

// The accelerator table of the window.
struct Accelerator {
    QKeyCombination key;
    int command;
};
const Accelerator kAccelerators[] = {
    {QKeyCombination(Qt::Key_Delete), Cmd::DeleteKey},
    {Qt::CTRL | Qt::Key_F, Cmd::Find},
    {Qt::CTRL | Qt::Key_A, Cmd::SelectAllKey},
    {QKeyCombination(Qt::Key_Tab), Cmd::NextPane},
    {Qt::CTRL | Qt::Key_D, Cmd::TransferSettingKey},
    {Qt::CTRL | Qt::Key_C, Cmd::Copy},
    {QKeyCombination(Qt::Key_F3), Cmd::NoHandlerF3},
    {QKeyCombination(Qt::Key_F4), Cmd::NoHandlerF4},
    {Qt::CTRL | Qt::Key_P, Cmd::Print},
    {QKeyCombination(Qt::Key_Insert), Cmd::NewFolder},
    {QKeyCombination(Qt::Key_F2), Cmd::RenameFolder},
    {QKeyCombination(Qt::Key_F1), Cmd::Help},
    {Qt::CTRL | Qt::Key_W, Cmd::Forward},
    {Qt::CTRL | Qt::Key_N, Cmd::NewMessage},
    {Qt::ALT | Qt::Key_Return, Cmd::MessageProperty},
    {Qt::CTRL | Qt::Key_E, Cmd::ReEdit},
    {Qt::CTRL | Qt::Key_R, Cmd::Reply},
    {Qt::CTRL | Qt::Key_O, Cmd::OpenAttachment},
    {Qt::CTRL | Qt::Key_S, Cmd::SaveAttachment},
};

// The key of a command in the accelerator table, shown beside its menu item.
QString KeyHint(int command) {
    if (command == Cmd::FindEdit)
        command = Cmd::Find;
    for (const Accelerator& a : kAccelerators)
        if (a.command == command)
            return QKeySequence(a.key).toString(QKeySequence::NativeText);
    return {};
}

// The mark sort of a menu command, -1 for none.
int MarkSortOf(int command) {
    switch (command) {
    case Cmd::PrioritySort:
        return CTrovaneListRules::PrioritySort;
    case Cmd::CheckSort:
        return CTrovaneListRules::CheckSort;
    case Cmd::UnreadSort:
        return CTrovaneListRules::UnreadSort;
    case Cmd::ReplySort:
        return CTrovaneListRules::ReplySort;
    case Cmd::ForwardSort:
        return CTrovaneListRules::ForwardSort;
    case Cmd::AttachSort:
        return CTrovaneListRules::AttachSort;
    case Cmd::ReadSort:
        return CTrovaneListRules::ReadSort;
    default:
        return -1;
    }
}

QList<QIcon> Icons(void* resources, uint32_t bitmap) {
    QList<QIcon> icons;
    for (const QPixmap& tile : CResourceLoader::LoadBitmapTiles(resources, bitmap))
        icons << QIcon(tile);
    return icons;
}

bool Within(const QWidget* widget, const QWidget* pane) {
    return widget && pane && (widget == pane || pane->isAncestorOf(widget));
}

// Draws "(n)" unread in blue and, for the drafts folder, "[n]" drafts in green after a
// folder's name.
class CountDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        QString unread, drafts;
        if (const int n = index.data(CTrovaneTreeModel::UnreadCountRole).toInt())
            unread = QStringLiteral("(%1)").arg(n);
        if (const int n = index.data(CTrovaneTreeModel::DraftCountRole).toInt())
            drafts = QStringLiteral("[%1]").arg(n);
        if (unread.isEmpty() && drafts.isEmpty())
            return;
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        const int x = text.left() + opt.fontMetrics.horizontalAdvance(opt.text) + 6;
        painter->save();
        painter->setFont(option.font);
        QRect at(x, text.top() + 1, option.rect.right() - x, text.height());
        if (!unread.isEmpty()) {
            painter->setPen(QColor::fromRgb(CTrovaneListRules::kUnreadCountColor));
            painter->drawText(at, Qt::AlignLeft | Qt::AlignVCenter, unread);
            at.setLeft(at.left() + painter->fontMetrics().horizontalAdvance(unread) + 4);
        }
        if (!drafts.isEmpty()) {
            painter->setPen(QColor::fromRgb(CTrovaneListRules::kDraftCountColor));
            painter->drawText(at, Qt::AlignLeft | Qt::AlignVCenter, drafts);
        }
        painter->restore();
    }

    // While a folder's name is edited every key belongs to the editor, not to the window's
    // accelerators (Delete, Insert, F2, Tab, Ctrl+A, ...).
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->installEventFilter(const_cast<CountDelegate*>(this));
        return editor;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return false;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int n = index.data(CTrovaneTreeModel::UnreadCountRole).toInt() +
                      index.data(CTrovaneTreeModel::DraftCountRole).toInt();
        if (n)
            size.rwidth() += option.fontMetrics.horizontalAdvance(QStringLiteral("(0000) [000]"));
        return size;
    }
};

} // namespace

CTrovaneFrame::CTrovaneFrame(CTrovaneStore& store, CTrovaneTransCondList& conditions,
                             void* resources, CTrovaneFrameActions actions, QWidget* parent)
    : QMainWindow(parent), m_store(store), m_conditions(conditions), m_resources(resources),
      m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("TrovaneFrame"));
    const QString title = Text(kTitleText);
    setWindowTitle(title);

    m_treeModel = new CTrovaneTreeModel(m_store, Icons(m_resources, kTreeImages), title, this);
    CTrovaneListModel::Texts listTexts{
        {Text(392), Text(391), Text(393)}, {Text(395), Text(394), Text(396)}, Text(832), Text(833)};
    m_listModel = new CTrovaneListModel(m_store, Icons(m_resources, kListMarks), listTexts, this);

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("FolderTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setModel(m_treeModel);
    m_tree->setItemDelegate(new CountDelegate(m_tree));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);

    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("MessageList"));
    m_list->setModel(m_listModel);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setSectionsClickable(true);
    m_list->setIconSize(QSize(32, 16));

    const CTrovanePreviewPage::Labels labels{Text(391), Text(392), Text(393), Text(394),
                                             Text(395), Text(396), Text(832), Text(833)};
    m_preview = new CTrovanePreview(labels, this);
    m_preview->Body()->setContextMenuPolicy(Qt::CustomContextMenu);
    m_preview->AttachmentList()->setContextMenuPolicy(Qt::CustomContextMenu);
    // "app:" names of the page: the window's commands that make sense from a message.
    m_preview->Body()->SetCommandTable({{QStringLiteral("reply"), Cmd::Reply},
                                        {QStringLiteral("replyall"), Cmd::ReplyAll},
                                        {QStringLiteral("forward"), Cmd::Forward},
                                        {QStringLiteral("find"), Cmd::Find},
                                        {QStringLiteral("print"), Cmd::Print},
                                        {QStringLiteral("newmessage"), Cmd::NewMessage}});
    connect(m_preview->Body(), &CTrovaneHtmlView::Command, this,
            [this](int command) { QTimer::singleShot(0, this, [this, command] { Execute(command); }); });

    m_rightSplit = new QSplitter(Qt::Vertical, this);
    m_rightSplit->addWidget(m_list);
    m_rightSplit->addWidget(m_preview);
    m_rightSplit->setSizes({140, 300});
    m_rightSplit->setChildrenCollapsible(false);
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->addWidget(m_tree);
    m_split->addWidget(m_rightSplit);
    m_split->setSizes({200, 440});
    m_split->setStretchFactor(1, 1);
    m_split->setChildrenCollapsible(false);
    setCentralWidget(m_split);

    BuildMenus();
    BuildAccelerators();
    BuildToolBar();
    m_status = new QLabel(this);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(100);
    m_progress->hide();
    statusBar()->addWidget(m_status, 1);
    statusBar()->addPermanentWidget(m_progress);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OnFolderChosen(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { OnRowChosen(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateToolBar(); });
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CTrovaneFrame::OnHeaderClicked);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                CTrovaneFolder* f = m_store.FindFolder(CurrentFolder());
                if (m_applyingColumns || !f || column < 0 || column >= CTrovaneFolder::kColumns)
                    return;
                m_store.WithFolders([&] { f->aColumnWidth[size_t(column)] = uint32_t(width); });
            });
    connect(m_tree, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { m_treeModel->SetExpanded(i, true); });
    connect(m_tree, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { m_treeModel->SetExpanded(i, false); });
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CTrovaneFrame::ShowTreeMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CTrovaneFrame::ShowListMenu);
    connect(m_preview->Body(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                m_preview->Body()->setFocus();
                std::unique_ptr<QMenu> menu(BuildMenu(Commands::PreviewMenu, this));
                menu->exec(m_preview->Body()->viewport()->mapToGlobal(at));
            });
    connect(m_preview->AttachmentList(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                m_preview->AttachmentList()->setFocus();
                std::unique_ptr<QMenu> menu(BuildMenu(Commands::AttachmentMenu, this));
                menu->exec(m_preview->AttachmentList()->viewport()->mapToGlobal(at));
            });
    connect(m_preview->AttachmentList(), &QListWidget::itemActivated, this,
            [this] { OpenAttachment(); });
    connect(m_preview->AttachmentList(), &CTrovaneAttachList::DragRequested, this,
            &CTrovaneFrame::DragAttachments);
    connect(m_treeModel, &CTrovaneTreeModel::RenameRefused, this, [this] {
        QTimer::singleShot(0, this, [this] { Warn(kNameTakenText); });
    });
    connect(m_treeModel, &CTrovaneTreeModel::Renamed, this, [this](uint32_t id) {
        // The siblings are sorted by name again.
        QTimer::singleShot(0, this, [this, id] {
            Refresh();
            SelectFolder(id);
        });
    });
    connect(m_listModel, &QAbstractItemModel::rowsInserted, this, [this] { UpdateStatus(); });
    // Double click or Enter opens the entry; a click on the mark toggles the dog-ear.
    connect(m_list, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { OpenEntry(m_listModel->Entry(index.row())); });
    connect(m_list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        CTrovaneMessage* entry = m_listModel->Entry(index.row());
        if (index.column() != 0 || !entry || !m_actions.setDogear)
            return;
        m_actions.setDogear(*entry, !entry->IsDogear());
        RefreshFlags();
    });

    // Attachments leave the box through a directory of this user's alone.
    m_tempDir = QDir::tempPath() + QStringLiteral("/ZTEMP.DIR-") +
                QString::fromLocal8Bit(qgetenv("USER")) + u'/';
    QDir().mkpath(m_tempDir);
    QFile::setPermissions(m_tempDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ExeOwner);

    m_drag = new CTrovaneFrameDrag(*this, m_store, m_resources,
                                   [this](uint32_t text) { return Confirm(text); });
    Refresh();
    SelectFolder(ReceivedFolder);
    resize(640, 460);
}

CTrovaneFrame::~CTrovaneFrame() {
    delete m_transCond.data();
    delete m_find.data();
    delete m_thread.data();
}

void CTrovaneFrame::OpenThread() {
    CTrovaneMessage* entry = OneSelected();
    if (!entry)
        return;
    if (m_thread) {
        m_thread->Open(entry->LocalNumber());
        m_thread->showNormal();
        m_thread->raise();
        m_thread->activateWindow();
        return;
    }
    if (CTrovaneNamedMutex::Exists(CTrovaneNamedMutex::kThreadDialog))
        return;
    m_thread = new CTrovaneThreadDialog(m_store, m_resources, Icons(m_resources, kListMarks),
                                        [this](uint32_t n) { ShowEntry(n); }, this);
    if (!m_thread->IsHeld()) {
        delete m_thread.data();
        return;
    }
    m_thread->setAttribute(Qt::WA_DeleteOnClose);
    m_thread->Open(entry->LocalNumber());
    m_thread->showNormal();
}

void CTrovaneFrame::OpenFind() {
    if (m_find) {
        m_find->raise();
        m_find->activateWindow();
        return;
    }
    if (!CurrentFolder() || CTrovaneNamedMutex::Exists(CTrovaneNamedMutex::kFindDialog))
        return;
    CTrovaneFindDialog::Hooks hooks;
    hooks.body = m_actions.body;
    hooks.show = [this](uint32_t localNumber) { ShowEntry(localNumber); };
    hooks.command = [this](int command) {
        if (command == Cmd::MessageTransferSetting)
            OpenTransCondDialog(true);
        else if (command == Cmd::MessageProperty)
            Execute(command);
    };
    m_find = new CTrovaneFindDialog(m_store, m_resources, CurrentFolder(), std::move(hooks), this);
    if (!m_find->IsHeld()) {
        delete m_find.data();
        return;
    }
    m_find->setAttribute(Qt::WA_DeleteOnClose);
    m_find->show();
}

QString CTrovaneFrame::Text(uint32_t id) const {
    return CResourceLoader::LoadString(m_resources, id);
}

// ---- Menus, accelerators and toolbar ----

QAction* CTrovaneFrame::CommandAction(int command, const QString& text, QObject* owner) {
    auto* action = new QAction(text, owner);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { Execute(command); });
    return action;
}

QMenu* CTrovaneFrame::BuildMenu(Commands::Menu which, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const Commands::Context context = MenuContext();
    const int markSort = m_listModel->SortState().column == 0 ? m_listModel->SortState().markSort
                                                               : -1;
    for (int command : Commands::MenuItems(which)) {
        if (command == Cmd::Separator) {
            menu->addSeparator();
            continue;
        }
        QString text = Text(Commands::TextOf(command));
        const QString key = KeyHint(command);
        if (!key.isEmpty())
            text += u'\t' + key;
        QAction* action = CommandAction(command, text, menu);
        action->setEnabled(Commands::IsEnabled(command, context));
        if (which == Commands::MarkSortMenu) {
            action->setCheckable(true);
            action->setChecked(MarkSortOf(command) == markSort && markSort >= 0);
            action->setEnabled(m_listModel->FolderId() != 0);
        }
        menu->addAction(action);
    }
    return menu;
}

void CTrovaneFrame::BuildMenus() {
    for (const Commands::MainMenu& main : Commands::MainMenus()) {
        QMenu* menu = menuBar()->addMenu(Text(main.title));
        for (int command : main.items) {
            if (command == Cmd::Separator) {
                menu->addSeparator();
            } else if (command == Commands::FolderSubmenu) {
                QMenu* folder = menu->addMenu(Text(1101));
                folder->setObjectName(QStringLiteral("FolderMenu"));
                for (int item : Commands::FolderSubmenuItems()) {
                    if (item == Cmd::Separator) {
                        folder->addSeparator();
                        continue;
                    }
                    QString text = Text(Commands::TextOf(item));
                    if (const QString key = KeyHint(item); !key.isEmpty())
                        text += u'\t' + key;
                    QAction* action = CommandAction(item, text, folder);
                    folder->addAction(action);
                    m_commandActions.insert(item, action);
                }
                connect(folder, &QMenu::aboutToShow, this, [this, folder] { UpdateMenuState(folder); });
            } else {
                QString text = Text(Commands::TextOf(command));
                if (const QString key = KeyHint(command); !key.isEmpty())
                    text += u'\t' + key;
                QAction* action = CommandAction(command, text, menu);
                menu->addAction(action);
                m_commandActions.insert(command, action);
            }
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenuState(menu); });
    }
}

void CTrovaneFrame::BuildAccelerators() {
    for (const Accelerator& a : kAccelerators) {
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(a.key));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(a.command);
        const int command = a.command;
        connect(action, &QAction::triggered, this, [this, command] { Execute(command); });
        addAction(action);
        m_commandActions.insert(-command, action); // by the negated number: the key's own action
    }
}

void CTrovaneFrame::UpdateMenuState(QMenu* menu) {
    const Commands::Context context = MenuContext();
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            if (sub->objectName() == u"FolderMenu")
                action->setEnabled(Commands::FolderMenuEnabled(context));
            continue;
        }
        if (!action->isSeparator())
            action->setEnabled(Commands::IsEnabled(action->data().toInt(), context));
    }
}

void CTrovaneFrame::BuildToolBar() {
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("TrovaneToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    const QList<QIcon> icons = Icons(m_resources, kToolImages);
    const struct {
        int command;
        uint32_t tip;
    } buttons[] = {{Cmd::NewMessage, 1118}, {Cmd::Reply, 1119},      {Cmd::Forward, 1120},
                   {Cmd::Find, 1115},       {Cmd::TransferSettingKey, 1106},
                   {Cmd::ThreadTree, 1123}, {Cmd::DeleteKey, 1104}};
    for (int i = 0; i < 7; ++i) {
        QString tip = Text(buttons[i].tip);
        tip.remove(QStringLiteral("...")).remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        QAction* action = bar->addAction(i < icons.size() ? icons[i] : QIcon(), tip);
        action->setData(buttons[i].command);
        const int command = buttons[i].command;
        connect(action, &QAction::triggered, this, [this, command] { Execute(command); });
        m_toolActions << action;
    }
}

void CTrovaneFrame::UpdateToolBar() {
    const Commands::Context context = MenuContext();
    for (QAction* action : std::as_const(m_toolActions)) {
        const int command = action->data().toInt();
        switch (command) {
        case Cmd::TransferSettingKey:
            action->setEnabled(Commands::IsEnabled(Cmd::FolderTransferSetting, context) ||
                               (context.selectedRows == 1 &&
                                (context.oneRow == Commands::ReceivedRow ||
                                 context.oneRow == Commands::SentRow)));
            break;
        case Cmd::DeleteKey:
            action->setEnabled(context.selectedRows > 0 ||
                               Commands::IsEnabled(Cmd::FolderToTrash, context));
            break;
        default:
            action->setEnabled(Commands::IsEnabled(command, context));
        }
    }
}

Commands::Context CTrovaneFrame::MenuContext() const {
    Commands::Context c;
    const QWidget* focus = focusWidget();
    c.treeFocus = Within(focus, m_tree);
    c.listFocus = Within(focus, m_list);
    c.attachmentFocus = Within(focus, m_preview->AttachmentList());
    c.previewFocus = !c.attachmentFocus && Within(focus, m_preview);
    if (const CTrovaneFolder* f = m_store.FindFolder(m_treeModel->FolderId(m_tree->currentIndex()))) {
        m_store.WithFolders([&] {
            c.category = Commands::CategoryOf(*f);
            c.folderId = f->nID;
            c.folderHasChildren = !f->children.isEmpty();
        });
    }
    c.listRows = m_listModel->rowCount();
    const QList<CTrovaneMessage*> selected = SelectedEntries();
    c.selectedRows = int(selected.size());
    if (selected.size() == 1) {
        c.oneRow = Commands::RowKindOf(*selected[0]);
        c.oneRowInTrash = selected[0]->BoxFlags() & InTrash;
    }
    c.previewShows = m_preview->Shown() != 0;
    c.previewHasSelection = m_preview->Body()->textCursor().hasSelection() ||
                            m_preview->Header()->textCursor().hasSelection();
    c.attachmentSelected = !m_preview->AttachmentList()->selectedItems().isEmpty() &&
                           m_preview->AttachmentList()->isVisible();
    // Counted from the folders, so that a large box costs nothing per selection.
    int inTrash = 0;
    std::function<void(uint32_t)> count = [&](uint32_t id) {
        inTrash += m_store.EntryCountOf(id);
        for (const CTrovaneFolder* child : m_store.ChildrenOf(id))
            count(m_store.WithFolders([&] { return child->nID; }));
    };
    count(TrashFolder);
    c.anyOutsideTrash = m_store.EntryCount() > inTrash;
    return c;
}

bool CTrovaneFrame::IsCommandEnabled(int command) const {
    return Commands::IsEnabled(command, MenuContext());
}

void CTrovaneFrame::ShowTreeMenu(const QPoint& at) {
    const QModelIndex index = m_tree->indexAt(at);
    if (!index.isValid())
        return;
    m_tree->setFocus();
    m_tree->setCurrentIndex(index);
    const CTrovaneFolder* f = m_store.FindFolder(m_treeModel->FolderId(index));
    if (!f)
        return;
    const Commands::Menu which = m_store.WithFolders([&] { return Commands::FolderMenu(*f); });
    if (which == Commands::NoMenu)
        return;
    std::unique_ptr<QMenu> menu(BuildMenu(which, this));
    menu->exec(m_tree->viewport()->mapToGlobal(at));
}

void CTrovaneFrame::ShowListMenu(const QPoint& at) {
    const QModelIndex index = m_list->indexAt(at);
    if (!index.isValid())
        return;
    m_list->setFocus();
    if (!m_list->selectionModel()->isRowSelected(index.row(), {}))
        m_list->selectRow(index.row());
    const QList<CTrovaneMessage*> selected = SelectedEntries();
    const Commands::Menu which =
        Commands::RowMenu(int(selected.size()), selected.isEmpty() ? nullptr : selected[0]);
    if (which == Commands::NoMenu)
        return;
    std::unique_ptr<QMenu> menu(BuildMenu(which, this));
    menu->exec(m_list->viewport()->mapToGlobal(at));
}

void CTrovaneFrame::ShowMarkSortMenu() {
    QHeaderView* header = m_list->horizontalHeader();
    std::unique_ptr<QMenu> menu(BuildMenu(Commands::MarkSortMenu, this));
    const QPoint at(header->sectionViewportPosition(0), header->height());
    menu->exec(header->mapToGlobal(at));
}

// ---- Commands ----

void CTrovaneFrame::Execute(int command) {
    if (const int sort = MarkSortOf(command); sort >= 0) {
        m_listModel->SortByMark(CTrovaneListRules::MarkSort(sort));
        m_list->horizontalHeader()->setSortIndicatorShown(false);
        if (m_list->currentIndex().isValid())
            m_list->scrollTo(m_list->currentIndex());
        return;
    }
    switch (command) {
    case Cmd::DeleteKey:
        return DeleteKey();
    case Cmd::SelectAllKey:
    case Cmd::SelectAll:
        return SelectAll();
    case Cmd::NextPane:
        return NextPane();
    case Cmd::TransferSettingKey:
        if (MenuContext().treeFocus) {
            if (IsCommandEnabled(Cmd::FolderTransferSetting))
                OpenTransCondDialog(false);
        } else if (SelectedEntries().size() == 1 &&
                   Commands::RowKindOf(*SelectedEntries()[0]) != Commands::DraftRow) {
            OpenTransCondDialog(true);
        } else if (IsCommandEnabled(Cmd::FolderTransferSetting)) {
            OpenTransCondDialog(false);
        }
        return;
    case Cmd::Help:
        if (m_actions.help)
            m_actions.help();
        return;
    case Cmd::Version:
        if (m_actions.version)
            m_actions.version();
        return;
    case Cmd::Exit:
        close();
        return;
    case Cmd::Restore:
        if (m_actions.restore)
            m_actions.restore();
        return;
    case Cmd::NewMessage:
        return BeginMessage(MessageBegin::New);
    case Cmd::Find:
    case Cmd::FindMenu:
    case Cmd::FindEdit:
        return OpenFind();
    case Cmd::OpenMessage:
        return OpenSelected();
    default:
        break;
    }
    if (!IsCommandEnabled(command))
        return;
    switch (command) {
    case Cmd::NewFolder:
        return NewFolder();
    case Cmd::RenameFolder:
        return RenameFolder();
    case Cmd::FolderToTrash:
        return FolderToTrash();
    case Cmd::DeleteFolder:
        return DeleteFolderForGood(CurrentFolder());
    case Cmd::EmptyTrash:
        return EmptyTrash();
    case Cmd::Transfer:
        return TransferFolder();
    case Cmd::FolderTransferSetting:
        return OpenTransCondDialog(false);
    case Cmd::MessageTransferSetting:
        return OpenTransCondDialog(true);
    case Cmd::MessagesToTrash:
        return MessagesToTrash();
    case Cmd::DeleteMessages:
        return DeleteMessagesForGood();
    case Cmd::Reply:
        return BeginMessage(MessageBegin::Reply);
    case Cmd::ReplyAll:
        return BeginMessage(MessageBegin::ReplyToAll);
    case Cmd::Forward:
        return BeginMessage(MessageBegin::Forward);
    case Cmd::ReEdit:
        if (!Busy())
            BeginMessage(MessageBegin::EditDraft);
        return;
    case Cmd::MessageProperty:
        if (CTrovaneMessage* e = OneSelected(); e && m_actions.property)
            m_actions.property(*e);
        return;
    case Cmd::Copy:
        return Copy();
    case Cmd::OpenAttachment:
        return OpenAttachment();
    case Cmd::SaveAttachment:
        return SaveAttachment();
    case Cmd::Print:
        return Print(false);
    case Cmd::PrintPreview:
        return Print(true);
    case Cmd::ThreadTree:
        return OpenThread();
    case Cmd::Export:
        if (m_actions.exportMessages)
            m_actions.exportMessages();
        return;
    case Cmd::Import:
        if (CurrentFolder() && m_actions.importMessages)
            m_actions.importMessages();
        return;
    default:
        return; // F3, F4 and the windows that are not part of this build
    }
}

bool CTrovaneFrame::Busy() {
    if (!CTrovaneNamedMutex::Exists(CTrovaneNamedMutex::kFindDialog) &&
        !CTrovaneNamedMutex::Exists(CTrovaneNamedMutex::kThreadDialog))
        return false;
    if (m_actions.warn)
        m_actions.warn(windowTitle(), Text(kBusyText));
    return true;
}

bool CTrovaneFrame::Confirm(uint32_t text) {
    return m_actions.question && m_actions.question(Text(kTitleText), Text(text));
}

void CTrovaneFrame::Warn(uint32_t text) {
    if (m_actions.warn)
        m_actions.warn(Text(kTitleText), Text(text));
}

CTrovaneMessage* CTrovaneFrame::OneSelected() const {
    const QList<CTrovaneMessage*> selected = SelectedEntries();
    return selected.size() == 1 ? selected[0] : nullptr;
}

void CTrovaneFrame::NewFolder() {
    const uint32_t parentId = m_treeModel->FolderId(m_tree->currentIndex());
    const CTrovaneFolder* parent = m_store.FindFolder(parentId);
    if (!parent)
        return;
    CTrovaneFolder folder;
    folder.nID = m_store.NewFolderID();
    folder.nParentID = parentId;
    m_store.WithFolders([&] {
        folder.nIconKind = parent->nIconKind;
        folder.nFlags = parent->nFlags & ~SystemFolder;
    });
    folder.strName = Commands::FreeFolderName(m_store, parentId, Text(kNewFolderText));
    if (!m_store.AddFolder(folder))
        return;
    Refresh();
    SelectFolder(folder.nID);
    m_tree->setFocus();
    m_tree->edit(m_tree->currentIndex());
}

void CTrovaneFrame::RenameFolder() {
    const QModelIndex index = m_tree->currentIndex();
    if (index.isValid() && (m_treeModel->flags(index) & Qt::ItemIsEditable)) {
        m_tree->setFocus();
        m_tree->edit(index);
    }
}

void CTrovaneFrame::RemoveSubtreeFromCore(uint32_t folderId) {
    if (!m_actions.removeFromCore)
        return;
    for (const CTrovaneMessage* e : m_store.EntriesOf(folderId))
        m_actions.removeFromCore(*e);
    for (const CTrovaneFolder* child : m_store.ChildrenOf(folderId))
        RemoveSubtreeFromCore(m_store.WithFolders([&] { return child->nID; }));
}

void CTrovaneFrame::FolderToTrash() {
    const uint32_t id = CurrentFolder();
    if (id == TrashFolder)
        return EmptyTrash();
    if (m_store.IsInSubtree(id, TrashFolder))
        return DeleteFolderForGood(id);
    if (id < FirstUserFolder || Busy() || !Confirm(kFolderToTrashText))
        return;
    CTrovaneFolder* folder = m_store.FindFolder(id);
    if (!folder)
        return; // gone while the question was open
    // The trash keeps every name once, as any folder does.
    const QString name = m_store.WithFolders([&] { return folder->strName; });
    const QString free = Commands::FreeFolderName(m_store, TrashFolder, name, id);
    if (!m_store.MoveFolder(TrashFolder, id))
        return;
    m_store.WithFolders([&] { folder->strName = free; });
    Refresh();
    SelectFolder(RootFolder);
}

void CTrovaneFrame::DeleteFolderForGood(uint32_t id) {
    if (id == TrashFolder || !m_store.IsInSubtree(id, TrashFolder) || Busy() ||
        !Confirm(kDeleteFolderText))
        return;
    const CTrovaneFolder* folder = m_store.FindFolder(id);
    if (!folder)
        return;
    const uint32_t parent = m_store.WithFolders([&] { return folder->nParentID; });
    RemoveSubtreeFromCore(id);
    m_store.DeleteFolder(id);
    Refresh();
    SelectFolder(parent);
}

void CTrovaneFrame::EmptyTrash() {
    if (Busy() || !Confirm(kEmptyTrashText))
        return;
    RemoveSubtreeFromCore(TrashFolder);
    m_store.DeleteFolderContents(TrashFolder);
    Refresh();
    SelectFolder(TrashFolder);
}

void CTrovaneFrame::TransferFolder() {
    const uint32_t id = CurrentFolder();
    if (!id || Busy())
        return;
    for (CTrovaneMessage* e : m_store.EntriesOf(id)) {
        const uint32_t target = m_conditions.Match(*e);
        if (target != 0 && target != id && m_store.FindFolder(target))
            m_store.MoveEntry(target, e->LocalNumber());
    }
    Refresh();
    if (m_actions.inform)
        m_actions.inform(Text(kTitleText), Text(kTransferDoneText));
}

void CTrovaneFrame::OpenTransCondDialog(bool forMessages) {
    if (m_transCond) {
        m_transCond->raise();
        m_transCond->activateWindow();
        return;
    }
    CTrovaneTransCondDialog::Names names{m_actions.memberName, m_actions.groupName};
    if (forMessages) {
        if (CTrovaneTransCondEditor::Targets(m_store).isEmpty()) {
            Warn(912);
            return;
        }
        m_transCond = new CTrovaneTransCondDialog(m_store, m_conditions, m_resources, 0,
                                                  SelectedEntries(), names, this);
    } else {
        m_transCond = new CTrovaneTransCondDialog(m_store, m_conditions, m_resources,
                                                  CurrentFolder(), {}, names, this);
    }
    m_transCond->setAttribute(Qt::WA_DeleteOnClose);
    m_transCond->show();
}

void CTrovaneFrame::MessagesToTrash() {
    if (m_store.IsInSubtree(CurrentFolder(), TrashFolder))
        return DeleteMessagesForGood();
    const QList<CTrovaneMessage*> selected = SelectedEntries();
    if (selected.isEmpty() || Busy() || !Confirm(kMessagesToTrashText))
        return;
    QList<uint32_t> numbers;
    for (const CTrovaneMessage* e : selected)
        numbers << e->LocalNumber();
    for (uint32_t n : numbers)
        m_store.MoveEntry(TrashFolder, n);
    Refresh();
}

void CTrovaneFrame::DeleteMessagesForGood() {
    const QList<CTrovaneMessage*> selected = SelectedEntries();
    if (selected.isEmpty() || Busy() || !Confirm(kDeleteMessagesText))
        return;
    QList<uint32_t> numbers;
    for (const CTrovaneMessage* e : selected)
        if (e->BoxFlags() & InTrash)
            numbers << e->LocalNumber();
    for (uint32_t n : numbers) {
        CTrovaneMessage* e = m_store.FindEntry(n);
        if (!e)
            continue;
        if (m_actions.removeFromCore)
            m_actions.removeFromCore(*e);
        m_store.DeleteEntry(e);
    }
    m_preview->Clear();
    Refresh();
}

void CTrovaneFrame::DeleteKey() {
    if (MenuContext().treeFocus) {
        if (IsCommandEnabled(Cmd::FolderToTrash))
            FolderToTrash();
        return;
    }
    if (SelectedEntries().isEmpty())
        return;
    if (m_store.IsInSubtree(CurrentFolder(), TrashFolder))
        DeleteMessagesForGood();
    else
        MessagesToTrash();
}

void CTrovaneFrame::BeginMessage(int kind) {
    if (!m_actions.beginMessage)
        return;
    if (kind == MessageBegin::New) {
        m_actions.beginMessage(kind, nullptr);
        return;
    }
    if (CTrovaneMessage* e = OneSelected())
        m_actions.beginMessage(kind, e);
}

void CTrovaneFrame::OpenSelected() {
    OpenEntry(OneSelected());
}

void CTrovaneFrame::OpenEntry(CTrovaneMessage* e) {
    if (!e || Busy() || !m_actions.beginMessage)
        return;
    m_actions.beginMessage(e->IsDraft() ? MessageBegin::EditDraft : MessageBegin::Open, e);
}

void CTrovaneFrame::SelectAll() {
    const Commands::Context c = MenuContext();
    if (c.previewFocus)
        m_preview->Body()->selectAll();
    else if (c.attachmentFocus)
        m_preview->AttachmentList()->selectAll();
    else if (c.listFocus)
        m_list->selectAll();
}

void CTrovaneFrame::Copy() {
    const Commands::Context c = MenuContext();
    if (c.attachmentFocus) {
        const QStringList copies = CopySelectedAttachments();
        if (copies.isEmpty())
            return;
        auto* data = new QMimeData;
        QList<QUrl> urls;
        QByteArray gnome("cut");
        for (const QString& path : copies) {
            urls << QUrl::fromLocalFile(path);
            gnome += '\n' + QUrl::fromLocalFile(path).toEncoded();
        }
        data->setUrls(urls);
        // Pasting moves the temporary copies.
        data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
        QApplication::clipboard()->setMimeData(data);
    } else if (c.previewFocus) {
        if (m_preview->Header()->hasFocus())
            m_preview->Header()->copy();
        else
            m_preview->Body()->copy();
    }
}

void CTrovaneFrame::NextPane() {
    QWidget* panes[] = {m_tree, m_list, m_preview->Body()};
    const QWidget* focus = focusWidget();
    int at = -1;
    for (int i = 0; i < 3; ++i)
        if (Within(focus, panes[i]))
            at = i;
    for (int step = 1; step <= 3; ++step) {
        QWidget* next = panes[(at + step) % 3];
        if (next->isVisible()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// ---- Attachments ----

QStringList CTrovaneFrame::CopySelectedAttachments() {
    const QList<CTrovanePreviewPage::Attachment> chosen = m_preview->AttachmentList()->Selected();
    for (const CTrovanePreviewPage::Attachment& a : chosen)
        if (!QFileInfo(a.path).isFile()) {
            Warn(kMissingFileText);
            return {};
        }
    QStringList copies;
    QDir().mkpath(m_tempDir);
    for (const CTrovanePreviewPage::Attachment& a : chosen) {
        const QString target = m_tempDir + a.name;
        QFile::remove(target);
        if (QFile::copy(a.path, target))
            copies << target;
    }
    return copies;
}

void CTrovaneFrame::OpenAttachment() {
    const QList<CTrovanePreviewPage::Attachment> chosen = m_preview->AttachmentList()->Selected();
    if (chosen.isEmpty())
        return;
    if (Busy())
        return;
    for (const CTrovanePreviewPage::Attachment& a : chosen) {
        if (!QFileInfo(a.path).isFile()) {
            Warn(kMissingFileText);
            return;
        }
        if (m_actions.openFile)
            m_actions.openFile(a.path);
    }
}

void CTrovaneFrame::SaveAttachment() {
    const QList<CTrovanePreviewPage::Attachment> chosen = m_preview->AttachmentList()->Selected();
    if (chosen.isEmpty())
        return;
    const CTrovanePreviewPage::Attachment& a = chosen.first();
    if (!QFileInfo(a.path).isFile()) {
        Warn(kMissingFileText);
        return;
    }
    if (!m_actions.savePath)
        return;
    const QString path = m_actions.savePath(Text(kSaveTitleText), a.name, Text(kAllFilesText));
    if (path.isEmpty())
        return;
    QFile in(a.path);
    QSaveFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        Warn(kMissingFileText);
        return;
    }
    while (!in.atEnd())
        out.write(in.read(1 << 20));
    if (!out.commit())
        Warn(kMissingFileText);
}

void CTrovaneFrame::DragAttachments() {
    const QStringList copies = CopySelectedAttachments();
    if (copies.isEmpty())
        return;
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : copies)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    auto* drag = new QDrag(m_preview->AttachmentList());
    drag->setMimeData(data);
    // A copy leaves the temporary files behind for nobody; a move took them away.
    if (drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction) == Qt::CopyAction)
        for (const QString& path : copies)
            QFile::remove(path);
}

// ---- Printing ----

bool CTrovaneFrame::BuildPrintDocument(QTextDocument& document) const {
    CTrovaneMessage* entry = m_store.FindEntry(m_preview->Shown());
    if (!entry)
        return false;
    const CTrovanePreviewPage::Labels labels{Text(391), Text(392), Text(393), Text(394),
                                             Text(395), Text(396), Text(832), Text(833)};
    const QString body = m_actions.body ? m_actions.body(*entry) : entry->GetMessage();
    document.setHtml(CTrovanePreviewPage::PrintPage(body, *entry, labels));
    return true;
}

void CTrovaneFrame::Print(bool preview) {
    QTextDocument document;
    if (!BuildPrintDocument(document))
        return;
    const CTrovaneMessage* entry = m_store.FindEntry(m_preview->Shown());
    const QString title = entry ? entry->GetSubject() : windowTitle();
    const ImPrint::CPageOptions options{Text(kPageFooterText)};
    if (preview)
        ImPrint::Preview(document, this, title, options);
    else
        ImPrint::PrintWithDialog(document, this, title, options);
}

// ---- Folders, rows and placement ----

uint32_t CTrovaneFrame::CurrentFolder() const {
    return m_listModel->FolderId();
}

void CTrovaneFrame::SetPlacement(const CTrovanePlacement& placement) {
    setGeometry(placement.window);
    m_split->setSizes(
        {placement.treeWidth, qMax(1, placement.window.width() - placement.treeWidth)});
    m_rightSplit->setSizes(
        {placement.listHeight, qMax(1, placement.window.height() - placement.listHeight)});
}

CTrovanePlacement CTrovaneFrame::Placement() const {
    CTrovanePlacement placement;
    placement.window = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.treeWidth = m_split->sizes().value(0, placement.treeWidth);
    placement.listHeight = m_rightSplit->sizes().value(0, placement.listHeight);
    return placement;
}

void CTrovaneFrame::SelectFolder(uint32_t folderId) {
    const QModelIndex index = m_treeModel->IndexOf(folderId);
    if (index.isValid())
        m_tree->setCurrentIndex(index);
}

void CTrovaneFrame::ShowEntry(uint32_t localNumber) {
    const CTrovaneMessage* entry = m_store.FindEntry(localNumber);
    if (!entry)
        return;
    SelectFolder(m_store.WithFolders([&] { return entry->FolderID(); }));
    const int row = m_listModel->RowOf(localNumber);
    if (row >= 0) {
        m_list->selectRow(row);
        m_list->scrollTo(m_listModel->index(row, 0));
    }
}

void CTrovaneFrame::ApplyColumnState() {
    const CTrovaneFolder* f = m_store.FindFolder(CurrentFolder());
    if (!f)
        return;
    const auto widths = m_store.WithFolders([&] { return f->aColumnWidth; });
    m_applyingColumns = true;
    for (int c = 0; c < CTrovaneFolder::kColumns; ++c)
        m_list->setColumnWidth(c, int(widths[size_t(c)]));
    m_applyingColumns = false;
    QHeaderView* header = m_list->horizontalHeader();
    const CTrovaneListRules::SortState& sort = m_listModel->SortState();
    header->setSortIndicatorShown(sort.column >= 1);
    if (sort.column >= 1)
        header->setSortIndicator(sort.column, sort.direction[size_t(sort.column)] == 1
                                                  ? Qt::AscendingOrder
                                                  : Qt::DescendingOrder);
}

void CTrovaneFrame::OnFolderChosen() {
    const uint32_t id = m_treeModel->FolderId(m_tree->currentIndex());
    m_preview->Clear();
    m_listModel->ShowFolder(id);
    ApplyColumnState();
    if (const CTrovaneFolder* f = m_store.FindFolder(id)) {
        const uint32_t selected = m_store.WithFolders([&] { return f->nSelected; });
        const int row = m_listModel->RowOf(selected);
        if (row >= 0)
            m_list->selectRow(row);
    }
    UpdateStatus();
}

void CTrovaneFrame::OnRowChosen() {
    CTrovaneMessage* entry = m_listModel->Entry(m_list->currentIndex().row());
    if (!entry) {
        m_preview->Clear();
        UpdateToolBar();
        return;
    }
    if (CTrovaneFolder* f = m_store.FindFolder(CurrentFolder()))
        m_store.WithFolders([&] { f->nSelected = entry->LocalNumber(); });
    const QString body = m_actions.body ? m_actions.body(*entry) : entry->GetMessage();
    m_preview->Show(*entry, body, m_actions.messageDir ? m_actions.messageDir() : QString());
    if (entry->IsUnreadEntry() && m_actions.markRead)
        m_actions.markRead(*entry);
    UpdateToolBar();
}

void CTrovaneFrame::OnHeaderClicked(int column) {
    if (column == 0) {
        ShowMarkSortMenu();
        return;
    }
    m_listModel->SortByColumn(column);
    ApplyColumnState();
    if (m_list->currentIndex().isValid())
        m_list->scrollTo(m_list->currentIndex());
}

QList<CTrovaneMessage*> CTrovaneFrame::SelectedEntries() const {
    QList<CTrovaneMessage*> entries;
    for (const QModelIndex& row : m_list->selectionModel()->selectedRows())
        if (CTrovaneMessage* e = m_listModel->Entry(row.row()))
            entries << e;
    return entries;
}

void CTrovaneFrame::AddEntry(CTrovaneMessage* entry) {
    m_listModel->AddEntry(entry);
    m_treeModel->RefreshCounts();
    UpdateStatus();
    if (m_thread)
        m_thread->Tree()->viewport()->update();
}

void CTrovaneFrame::Refresh() {
    const uint32_t shown = m_preview->Shown();
    // Folders may have been added, moved or removed: the tree is rebuilt and re-expanded.
    const uint32_t folder = CurrentFolder();
    m_treeModel->Reload();
    std::function<void(const QModelIndex&)> expand = [&](const QModelIndex& parent) {
        for (int r = 0; r < m_treeModel->rowCount(parent); ++r) {
            const QModelIndex child = m_treeModel->index(r, 0, parent);
            const CTrovaneFolder* f = m_store.FindFolder(m_treeModel->FolderId(child));
            if (f && (f->nExpanded || f->nID == RootFolder))
                m_tree->expand(child);
            expand(child);
        }
    };
    expand({});
    if (folder && m_store.FindFolder(folder))
        SelectFolder(folder);
    else if (folder)
        SelectFolder(RootFolder);
    m_listModel->Reload();
    const int row = m_listModel->RowOf(shown);
    if (row >= 0)
        m_list->selectRow(row);
    else
        m_preview->Clear();
    UpdateStatus();
    if (m_thread)
        m_thread->Refresh();
}

void CTrovaneFrame::RefreshFlags() {
    m_listModel->RefreshRows();
    m_treeModel->RefreshCounts();
    UpdateStatus();
}

QString CTrovaneFrame::StatusText() const {
    return m_status->text();
}

void CTrovaneFrame::UpdateStatus() {
    const CTrovaneFolder* f = m_store.FindFolder(CurrentFolder());
    if (!f) {
        m_status->clear();
    } else {
        const int unread = int(m_store.WithFolders([&] { return f->nUnreadHere; }));
        m_status->setText(CResourceLoader::Format(m_resources, kStatusText,
                                                  {unread, m_store.EntryCountOf(f->nID)}));
    }
    UpdateToolBar();
}

void CTrovaneFrame::HideOrderly() {
    if (isVisible())
        hide();
    if (m_onHidden)
        m_onHidden();
}

bool CTrovaneFrame::event(QEvent* event) {
    if (event->type() == CTrovaneProgressEvent::kProgress ||
        event->type() == CTrovaneProgressEvent::kDone) {
        const auto* progress = static_cast<CTrovaneProgressEvent*>(event);
        const bool done = event->type() == CTrovaneProgressEvent::kDone;
        m_progress->setRange(0, int(progress->LParam()));
        m_progress->setValue(int(qMin(progress->WParam(), progress->LParam())));
        m_progress->setVisible(!done);
        m_listModel->Reload();
        m_treeModel->RefreshCounts();
        UpdateStatus();
        return true;
    }
    return QMainWindow::event(event);
}

void CTrovaneFrame::closeEvent(QCloseEvent* event) {
    // Closing hides: the window lives until log-off.
    event->ignore();
    HideOrderly();
}

void CTrovaneFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
}
