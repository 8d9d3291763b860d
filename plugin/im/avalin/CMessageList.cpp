#include "plugin/im/avalin/CMessageList.h"

#include "plugin/im/avalin/CMessageListModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>

CMessageList::CMessageList(CMessageListModel* model, QWidget* parent)
    : QTreeView(parent), m_model(model) {
    setModel(model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    ApplyColumnSizes(QStringLiteral("100:100:100"));
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
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, widths[c]);
}

void CMessageList::ShowSortMark() {
    header()->setSortIndicator(int(m_model->Key()),
                               m_model->Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CMessageList::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex at = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (at.isValid() && !selectionModel()->isRowSelected(at.row(), {}))
        selectionModel()->select(at, QItemSelectionModel::ClearAndSelect |
                                         QItemSelectionModel::Rows);
    emit ContextMenuWanted(event->globalPos());
}
