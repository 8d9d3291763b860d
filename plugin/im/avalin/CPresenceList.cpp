#include "plugin/im/avalin/CPresenceList.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CMemberTreeModel.h"
#include "plugin/im/avalin/CStatusIcons.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

#include <set>

namespace {

QColor Colour(uint32_t value) {
    return QColor(ZGetRValue(value), ZGetGValue(value), ZGetBValue(value));
}

int Kind(const QModelIndex& index) {
    return index.data(CMemberTreeModel::KindRole).toInt();
}

} // namespace

// ---- the view ----

CPresenceList::CPresenceList(CMemberTreeModel* model, const CStatusIcons* icons, void* resources,
                             QWidget* parent)
    : QTreeView(parent), m_model(model), m_resources(resources) {
    setModel(model);
    setItemDelegate(new CPresenceDelegate(icons, resources, this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setAcceptDrops(true);
    setMouseTracking(true);
    header()->hide();
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(kExpanderWidth);
    setColumnWidth(CMemberTreeModel::ExpanderColumn, kExpanderWidth);
    setColumnWidth(CMemberTreeModel::NameColumn, 100);
    setColumnWidth(CMemberTreeModel::StatusColumn, 70);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(model, &QAbstractItemModel::modelReset, this, &CPresenceList::SpanGroupRows);
}

void CPresenceList::SpanGroupRows() {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->RowKind(row) == CMemberTreeModel::GroupRow)
            setFirstColumnSpanned(row, QModelIndex(), true);
    }
}

QList<int> CPresenceList::SelectedRows() const {
    std::set<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.insert(index.row());
    return QList<int>(rows.begin(), rows.end());
}

QString CPresenceList::ColumnSizes() const {
    QStringList widths;
    for (int c = 0; c < CMemberTreeModel::ColumnCount; ++c)
        widths.append(QString::number(columnWidth(c)));
    return widths.join(u':');
}

void CPresenceList::ApplyColumnSizes(const QString& text) {
    if (text.isEmpty())
        return;
    const QStringList widths = text.split(u':');
    for (int c = 0; c < CMemberTreeModel::ColumnCount && c < widths.size(); ++c) {
        bool ok = false;
        const int width = widths[c].toInt(&ok);
        if (ok && width > 0)
            setColumnWidth(c, width);
    }
    FitLastColumn();
}

void CPresenceList::SetMemberColumnWidth(int width) {
    setColumnWidth(CMemberTreeModel::NameColumn, width);
    FitLastColumn();
}

void CPresenceList::FitLastColumn() {
    const int rest = viewport()->width() - columnWidth(CMemberTreeModel::ExpanderColumn) -
                     columnWidth(CMemberTreeModel::NameColumn);
    setColumnWidth(CMemberTreeModel::StatusColumn, std::max(kMinStatusWidth, rest));
}

void CPresenceList::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    FitLastColumn();
}

void CPresenceList::SetAcceptFiles(bool accept) {
    m_acceptFiles = accept;
}

bool CPresenceList::IsWindowActive() const {
    return window()->isActiveWindow();
}

void CPresenceList::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mousePressEvent(event);
    viewport()->update();
    if (event->button() != Qt::LeftButton || !index.isValid())
        return;
    // The expander column of a group row toggles it.
    if (Kind(index) == CMemberTreeModel::GroupRow &&
        event->position().x() < columnViewportPosition(1))
        m_model->Toggle(index.row());
}

void CPresenceList::mouseReleaseEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    viewport()->update();
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
        index.isValid() && index.column() == CMemberTreeModel::StatusColumn &&
        index.data(CMemberTreeModel::IsUrlRole).toBool())
        emit UrlClicked(index.data().toString().trimmed());
}

void CPresenceList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        QTreeView::mouseDoubleClickEvent(event);
        return;
    }
    if (Kind(index) == CMemberTreeModel::GroupRow) {
        // The first click of the pair already toggled a press on the expander.
        if (event->position().x() >= columnViewportPosition(1))
            m_model->Toggle(index.row());
    } else {
        emit MemberActivated(index.row());
    }
}

void CPresenceList::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const bool group = current.isValid() && Kind(current) == CMemberTreeModel::GroupRow;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current.isValid()) {
            if (group)
                m_model->Toggle(current.row());
            else
                emit MemberActivated(current.row());
            return;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Minus:
        if (group && m_model->IsExpanded(current.row())) {
            m_model->Toggle(current.row());
            return;
        }
        break;
    case Qt::Key_Right:
    case Qt::Key_Plus:
        if (group && !m_model->IsExpanded(current.row())) {
            m_model->Toggle(current.row());
            return;
        }
        break;
    default:
        break;
    }
    QTreeView::keyPressEvent(event);
}

void CPresenceList::contextMenuEvent(QContextMenuEvent* event) {
    int row = -1;
    if (event->reason() == QContextMenuEvent::Mouse) {
        row = indexAt(event->pos()).row();
    } else if (currentIndex().isValid()) {
        row = currentIndex().row();
    }
    const QList<int> selected = SelectedRows();
    if (row < 0 || selected.size() != 1 || selected.front() != row)
        return;
    QPoint at = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse)
        at = viewport()->mapToGlobal(visualRect(m_model->index(row, 1)).bottomLeft());
    emit ContextMenuWanted(row, at);
}

int CPresenceList::TextWidth(int row, int column) const {
    if (m_model->RowKind(row) == CMemberTreeModel::GroupRow)
        return columnWidth(CMemberTreeModel::NameColumn) +
               columnWidth(CMemberTreeModel::StatusColumn) - 6;
    // The name cell also holds the status icon.
    return columnWidth(column) - (column == CMemberTreeModel::NameColumn ? 24 : 6);
}

bool CPresenceList::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTreeView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    QModelIndex index = indexAt(help->pos());
    if (index.isValid() && m_model->RowKind(index.row()) == CMemberTreeModel::GroupRow)
        index = m_model->index(index.row(), CMemberTreeModel::NameColumn);
    const QString text =
        index.isValid() && index.column() > 0 ? index.data().toString() : QString();
    if (text.isEmpty() ||
        fontMetrics().horizontalAdvance(text) <= TextWidth(index.row(), index.column())) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), text.left(kToolTipChars), viewport());
    return true;
}

void CPresenceList::startDrag(Qt::DropActions) {
    const CMemberDragText text = m_model->DragText(SelectedRows());
    if (text.IsEmpty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(text.ToMimeData());
    const QList<QPixmap> images =
        CResourceLoader::LoadBitmapTiles(m_resources, AvalinRes::DragImages, devicePixelRatioF());
    if (text.Kind() < images.size()) {
        drag->setPixmap(images[text.Kind()]);
        drag->setHotSpot(QPoint(-8, -8));
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

int CPresenceList::FileTarget(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!m_acceptFiles || !index.isValid())
        return -1;
    const CMemberTreeModel::Kind kind = m_model->RowKind(index.row());
    return kind == CMemberTreeModel::GroupRow || kind == CMemberTreeModel::MemberRow ? index.row()
                                                                                     : -1;
}

void CPresenceList::dragEnterEvent(QDragEnterEvent* event) {
    if (m_acceptFiles && event->mimeData()->hasUrls() && event->source() != this) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void CPresenceList::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() != this && event->mimeData()->hasUrls() &&
        FileTarget(event->position().toPoint()) >= 0) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void CPresenceList::dropEvent(QDropEvent* event) {
    const int row = FileTarget(event->position().toPoint());
    if (row < 0 || event->source() == this) {
        event->ignore();
        return;
    }
    std::set<QString> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        const QFileInfo file(url.toLocalFile());
        if (url.isLocalFile() && file.exists() && !file.isDir())
            paths.insert(file.absoluteFilePath());
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!paths.empty())
        emit FilesDropped(m_model->index(row, 0).data(CMemberTreeModel::IdRole).toString(),
                          QStringList(paths.begin(), paths.end()));
}

// ---- drawing ----

CPresenceDelegate::CPresenceDelegate(const CStatusIcons* icons, void* resources,
                                     CPresenceList* list)
    : QStyledItemDelegate(list), m_icons(icons), m_list(list),
      m_expander(CResourceLoader::LoadBitmapTiles(resources, AvalinRes::ExpanderImages)) {}

QSize CPresenceDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(0, std::max(option.fontMetrics.height() + 4, 18));
}

void CPresenceDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool highlighted =
        option.state.testFlag(QStyle::State_Selected) && m_list->IsWindowActive();
    painter->save();
    if (Kind(index) == CMemberTreeModel::GroupRow)
        PaintGroup(painter, option, index, highlighted);
    else
        PaintMemberCell(painter, option, index, highlighted);
    // A one-pixel line in the window colour under every cell.
    painter->setPen(option.palette.color(QPalette::Base));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
}

void CPresenceDelegate::PaintGroup(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index, bool highlighted) const {
    const QRect row = option.rect;
    painter->fillRect(row, highlighted ? option.palette.color(QPalette::Highlight)
                                       : Colour(AvalinColour::GroupRow));
    const int expanderWidth = m_list->columnWidth(CMemberTreeModel::ExpanderColumn);
    const int image = index.data(CMemberTreeModel::ExpanderRole).toInt();
    if (image < m_expander.size()) {
        const QPixmap& pixmap = m_expander[image];
        const QSize size = pixmap.deviceIndependentSize().toSize();
        painter->drawPixmap(row.left() + (expanderWidth - size.width()) / 2,
                            row.top() + (row.height() - size.height()) / 2, pixmap);
    }
    const QString name =
        index.model()->index(index.row(), CMemberTreeModel::NameColumn).data().toString();
    const QRect text = row.adjusted(expanderWidth + 3, 0, -3, 0);
    painter->setPen(option.palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(name, Qt::ElideRight, text.width()));
    if (option.state.testFlag(QStyle::State_HasFocus) && m_list->hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.rect = row.adjusted(0, 0, -1, -1);
        focus.palette = option.palette;
        m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
    }
}

void CPresenceDelegate::PaintMemberCell(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index, bool highlighted) const {
    const QRect cell = option.rect;
    const QPalette& palette = option.palette;
    const QColor textColour =
        palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text);
    switch (index.column()) {
    case CMemberTreeModel::ExpanderColumn:
        painter->fillRect(cell, palette.color(QPalette::Base));
        return;
    case CMemberTreeModel::NameColumn: {
        painter->fillRect(cell, palette.color(highlighted ? QPalette::Highlight : QPalette::Base));
        int x = cell.left() + 3;
        if (!m_icons->IsEmpty()) {
            const QPixmap icon =
                m_icons->Icon(index.data(CMemberTreeModel::IconKeyRole).toString());
            painter->drawPixmap(cell.left() + 2, cell.top() + (cell.height() - 16) / 2, icon);
            x = cell.left() + 22;
        }
        const QRect text(x, cell.top(), cell.right() - x - 2, cell.height());
        painter->setPen(textColour);
        painter->drawText(
            text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width()));
        break;
    }
    case CMemberTreeModel::StatusColumn: {
        const uint32_t colour = index.data(CMemberTreeModel::BkColorRole).toUInt();
        painter->fillRect(cell, highlighted ? palette.color(QPalette::Highlight) : Colour(colour));
        QFont font = option.font;
        // Black text, or white on a dark colour, so that any stored colour stays readable.
        QColor pen = highlighted                        ? textColour
                     : Colour(colour).lightness() < 110 ? QColor(Qt::white)
                                                        : QColor(Qt::black);
        if (index.data(CMemberTreeModel::IsUrlRole).toBool()) {
            font.setUnderline(true);
            if (!highlighted)
                pen = Colour(0x00FF0000);
        }
        painter->setFont(font);
        painter->setPen(pen);
        const QRect text = cell.adjusted(3, 0, -3, 0);
        painter->drawText(
            text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
            QFontMetrics(font).elidedText(index.data().toString(), Qt::ElideRight, text.width()));
        // The focus frame covers the row from the name on.
        if (option.state.testFlag(QStyle::State_HasFocus) && m_list->hasFocus()) {
            QStyleOptionFocusRect focus;
            const int left = m_list->columnViewportPosition(CMemberTreeModel::NameColumn);
            focus.rect = QRect(left, cell.top(), cell.right() - left, cell.height() - 1);
            focus.palette = palette;
            m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
        }
        break;
    }
    default:
        break;
    }
}
