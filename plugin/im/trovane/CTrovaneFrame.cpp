#include "plugin/im/trovane/CTrovaneFrame.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovanePreview.h"
#include "plugin/im/trovane/CTrovaneProgressEvent.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QTreeView>

using namespace TrovaneBox;

namespace {

constexpr uint32_t kTitleText = 823;
constexpr uint32_t kStatusText = 828;
constexpr uint32_t kListMarks = 811;
constexpr uint32_t kTreeImages = 812;
constexpr uint32_t kToolImages = 819;

QList<QIcon> Icons(void* resources, uint32_t bitmap) {
    QList<QIcon> icons;
    for (const QPixmap& tile : CResourceLoader::LoadBitmapTiles(resources, bitmap))
        icons << QIcon(tile);
    return icons;
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

CTrovaneFrame::CTrovaneFrame(CTrovaneStore& store, void* resources, CTrovaneFrameActions actions,
                             QWidget* parent)
    : QMainWindow(parent), m_store(store), m_resources(resources), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("TrovaneFrame"));
    const QString title = CResourceLoader::LoadString(m_resources, kTitleText);
    setWindowTitle(title);

    auto text = [this](uint32_t id) { return CResourceLoader::LoadString(m_resources, id); };
    m_treeModel = new CTrovaneTreeModel(m_store, Icons(m_resources, kTreeImages), title, this);
    CTrovaneListModel::Texts listTexts{
        {text(392), text(391), text(393)}, {text(395), text(394), text(396)}, text(832), text(833)};
    m_listModel = new CTrovaneListModel(m_store, Icons(m_resources, kListMarks), listTexts, this);

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("FolderTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setModel(m_treeModel);
    m_tree->setItemDelegate(new CountDelegate(m_tree));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("MessageList"));
    m_list->setModel(m_listModel);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setIconSize(QSize(32, 16));
    const int widths[] = {39, 128, 96, 120};
    for (int c = 0; c < 4; ++c)
        m_list->setColumnWidth(c, widths[c]);

    const CTrovanePreviewPage::Labels labels{text(391), text(392), text(393), text(394),
                                             text(395), text(396), text(832), text(833)};
    m_preview = new CTrovanePreview(labels, this);

    m_rightSplit = new QSplitter(Qt::Vertical, this);
    m_rightSplit->addWidget(m_list);
    m_rightSplit->addWidget(m_preview);
    m_rightSplit->setSizes({140, 300});
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->addWidget(m_tree);
    m_split->addWidget(m_rightSplit);
    m_split->setSizes({200, 440});
    m_split->setStretchFactor(1, 1);
    setCentralWidget(m_split);

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
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CTrovaneFrame::OnHeaderClicked);
    connect(m_tree, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { m_treeModel->SetExpanded(i, true); });
    connect(m_tree, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { m_treeModel->SetExpanded(i, false); });
    connect(m_listModel, &QAbstractItemModel::rowsInserted, this, [this] { UpdateStatus(); });
    // Double click or Enter opens the entry; a click on the mark toggles the dog-ear.
    connect(m_list, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (CTrovaneMessage* entry = m_listModel->Entry(index.row()); entry && m_actions.open)
            m_actions.open(*entry);
    });
    connect(m_list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        CTrovaneMessage* entry = m_listModel->Entry(index.row());
        if (index.column() != 0 || !entry || !m_actions.setDogear)
            return;
        m_actions.setDogear(*entry, !entry->IsDogear());
        RefreshFlags();
    });

    Refresh();
    SelectFolder(ReceivedFolder);
    resize(640, 460);
}

CTrovaneFrame::~CTrovaneFrame() = default;

void CTrovaneFrame::BuildToolBar() {
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("TrovaneToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    const QList<QIcon> icons = Icons(m_resources, kToolImages);
    // Tooltips are the list's own headers and the window's commands as the core names them.
    const struct {
        Command command;
        uint32_t tip;
    } buttons[] = {{CmdNewMessage, 164},      {CmdReply, 0},      {CmdForward, 0}, {CmdFind, 826},
                   {CmdTransferSetting, 824}, {CmdThreadTree, 0}, {CmdDelete, 485}};
    for (int i = 0; i < 7; ++i) {
        QAction* action = bar->addAction(i < icons.size() ? icons[i] : QIcon(),
                                         CResourceLoader::LoadString(m_resources, buttons[i].tip));
        switch (buttons[i].command) {
        case CmdNewMessage:
            connect(action, &QAction::triggered, this, [this] {
                if (m_actions.newMessage)
                    m_actions.newMessage();
            });
            break;
        case CmdDelete:
            m_deleteAction = action;
            action->setShortcut(QKeySequence::Delete);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            connect(action, &QAction::triggered, this, &CTrovaneFrame::MoveSelectionToTrash);
            break;
        default:
            // Their windows (reply, forward, find, transfer setting, threads) are not here yet.
            action->setEnabled(false);
            break;
        }
    }
}

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

void CTrovaneFrame::OnFolderChosen() {
    const uint32_t id = m_treeModel->FolderId(m_tree->currentIndex());
    m_preview->Clear();
    m_listModel->ShowFolder(id);
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
        return;
    }
    if (CTrovaneFolder* f = m_store.FindFolder(CurrentFolder()))
        m_store.WithFolders([&] { f->nSelected = entry->LocalNumber(); });
    const QString body = m_actions.body ? m_actions.body(*entry) : entry->GetMessage();
    m_preview->Show(*entry, body, m_actions.messageDir ? m_actions.messageDir() : QString());
    if (entry->IsUnreadEntry() && m_actions.markRead)
        m_actions.markRead(*entry);
}

void CTrovaneFrame::OnHeaderClicked(int column) {
    if (column == 0)
        return; // the mark sorts come with the window's menus
    m_listModel->SortByColumn(column);
    m_list->horizontalHeader()->setSortIndicatorShown(true);
    m_list->horizontalHeader()->setSortIndicator(
        column, m_listModel->SortState().direction[size_t(column)] == 1 ? Qt::AscendingOrder
                                                                        : Qt::DescendingOrder);
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

void CTrovaneFrame::MoveSelectionToTrash() {
    bool moved = false;
    for (CTrovaneMessage* entry : SelectedEntries()) {
        if (entry->BoxFlags() & InTrash)
            continue; // deleting for good asks first; that belongs to the trash commands
        moved = m_store.MoveEntry(TrashFolder, entry->LocalNumber()) || moved;
    }
    if (moved)
        Refresh();
}

void CTrovaneFrame::AddEntry(CTrovaneMessage* entry) {
    m_listModel->AddEntry(entry);
    m_treeModel->RefreshCounts();
    UpdateStatus();
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
    if (folder)
        SelectFolder(folder);
    m_listModel->Reload();
    const int row = m_listModel->RowOf(shown);
    if (row >= 0)
        m_list->selectRow(row);
    else
        m_preview->Clear();
    UpdateStatus();
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
    int unread = 0;
    const int total = m_listModel->rowCount();
    for (int r = 0; r < total; ++r)
        unread += m_listModel->Entry(r)->IsUnreadEntry() ? 1 : 0;
    m_status->setText(CResourceLoader::Format(m_resources, kStatusText, {unread, total}));
    m_deleteAction->setEnabled(!(m_store.FindFolder(CurrentFolder()) &&
                                 m_store.IsInSubtree(CurrentFolder(), TrashFolder)));
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
    event->ignore();
    HideOrderly();
}
