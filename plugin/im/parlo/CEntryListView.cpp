#include "plugin/im/parlo/CEntryListView.h"

#include "obrix/CMemberDragText.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

CEntryListView::CEntryListView(QWidget* parent) : QListWidget(parent) {
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

QStringList CEntryListView::DroppedMembers(const QString& dragText) {
    QStringList ids;
    for (const CMemberDragText::Item& item : CMemberDragText::Parse(dragText))
        if (item.kind == CMemberDragText::Member && !ids.contains(item.id))
            ids << item.id;
    return ids;
}

void CEntryListView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(CMemberDragText::kMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CEntryListView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(CMemberDragText::kMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CEntryListView::dropEvent(QDropEvent* event) {
    QString text;
    if (!CMemberDragText::FromMimeData(event->mimeData(), text)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QStringList ids = DroppedMembers(text);
    if (!ids.isEmpty() && m_onDrop)
        m_onDrop(ids);
}
