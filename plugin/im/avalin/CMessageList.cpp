#include "plugin/im/avalin/CMessageList.h"

#include "plugin/im/avalin/CMessageListModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QResizeEvent>

#include "obrix/CResourceLoader.h"

#include <QPainter>

namespace {
const QString kDefaultSizes = QStringLiteral("100:100:100");
constexpr uint32_t kSortArrows = 101; // 8 x 8: up (ascending), down (descending)

// The header with the sort arrow of the resource module at the right of the sorted column.
class CSortHeader : public QHeaderView {
public:
    CSortHeader(const QList<QPixmap>& arrows, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), m_arrows(arrows) {
        setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        if (logicalIndex != sortIndicatorSection() || m_arrows.size() < 2)
            return;
        const QPixmap& arrow = m_arrows[sortIndicatorOrder() == Qt::AscendingOrder ? 0 : 1];
        const QSize size = arrow.deviceIndependentSize().toSize();
        // The style leaves the painter clipped and blended for its own drawing.
        painter->save();
        painter->setClipRect(rect);
        painter->setOpacity(1);
        painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter->drawPixmap(QPoint(rect.right() - size.width() - 6,
                                   rect.top() + (rect.height() - size.height()) / 2),
                            arrow);
        painter->restore();
    }
    QSize sectionSizeFromContents(int logicalIndex) const override {
        // Room for the arrow beside the caption.
        return QHeaderView::sectionSizeFromContents(logicalIndex) + QSize(14, 0);
    }

private:
    QList<QPixmap> m_arrows;
};

} // namespace

CMessageList::CMessageList(CMessageListModel* model, void* resources, QWidget* parent)
    : QTreeView(parent), m_model(model) {
    const QList<QPixmap> arrows =
        CResourceLoader::LoadBitmapTiles(resources, kSortArrows, devicePixelRatioF());
    if (arrows.size() >= 2)
        setHeader(new CSortHeader(arrows, this));
    setModel(model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsClickable(true);
    // The drawn arrow stands in for the style's own mark when the resource module has one.
    header()->setSortIndicatorShown(arrows.size() < 2);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!m_sizing)
            m_fitSubject = false; // the user's own widths stay as they are
    });
    ApplyColumnSizes(kDefaultSizes);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_model->SortByColumn(column);
        ShowSortMark();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { emit OpenWanted(); });
    ShowSortMark();
}

QList<int> CMessageList::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString CMessageList::ColumnSizes() const {
    QStringList widths;
    for (int c = 0; c < 3; ++c)
        widths.append(QString::number(columnWidth(c)));
    return widths.join(u':');
}

void CMessageList::ApplyColumnSizes(const QString& sizes) {
    const QStringList parts = sizes.split(u':');
    if (parts.size() != 3)
        return;
    QList<int> widths;
    for (const QString& part : parts) {
        bool ok = false;
        const int w = part.toInt(&ok);
        if (!ok || w < 0 || w > 10000)
            return;
        widths.append(w);
    }
    m_sizing = true;
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, widths[c]);
    m_sizing = false;
    m_fitSubject = sizes == kDefaultSizes;
    FitSubject();
}

void CMessageList::FitSubject() {
    if (!m_fitSubject)
        return;
    const int room = viewport()->width() - columnWidth(1) - columnWidth(2);
    m_sizing = true;
    setColumnWidth(0, std::max(100, room));
    m_sizing = false;
}

void CMessageList::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    FitSubject();
}

void CMessageList::ShowSortMark() {
    header()->setSortIndicator(int(m_model->Key()),
                               m_model->Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CMessageList::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // From the keyboard the menu opens at the current row, not where the mouse rests.
        const QRect row = visualRect(currentIndex());
        const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
        emit ContextMenuWanted(viewport()->mapToGlobal(at));
        return;
    }
    const QModelIndex at = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (at.isValid() && !selectionModel()->isRowSelected(at.row(), {}))
        selectionModel()->select(at, QItemSelectionModel::ClearAndSelect |
                                         QItemSelectionModel::Rows);
    emit ContextMenuWanted(event->globalPos());
}
