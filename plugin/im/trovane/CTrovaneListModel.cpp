#include "plugin/im/trovane/CTrovaneListModel.h"

#include "plugin/im/trovane/CTrovaneStore.h"

#include <QColor>
#include <QFont>

using namespace TrovaneBox;
namespace Rules = CTrovaneListRules;

CTrovaneListModel::CTrovaneListModel(CTrovaneStore& store, const QList<QIcon>& marks,
                                     const Texts& texts, QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_marks(marks), m_texts(texts) {}

uint32_t CTrovaneListModel::FolderFlags() const {
    return m_folderFlags;
}

void CTrovaneListModel::ShowFolder(uint32_t folderId) {
    beginResetModel();
    m_fixedRows = false;
    m_folderId = folderId;
    m_sort = Rules::SortState();
    m_folderFlags = 0;
    if (const CTrovaneFolder* f = m_store.FindFolder(folderId)) {
        m_store.WithFolders([&] {
            m_folderFlags = f->nFlags;
            m_sort.column = f->nSortColumn;
            m_sort.markSort = f->nMarkSort;
            m_sort.direction = f->aSortDirection;
        });
    }
    m_rows = m_store.EntriesOf(folderId);
    Rules::Sort(m_rows, m_sort, m_folderFlags);
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, Rules::kColumns - 1);
}

void CTrovaneListModel::ShowEntries(uint32_t folderFlags, const QList<CTrovaneMessage*>& entries) {
    beginResetModel();
    m_fixedRows = true;
    m_folderId = 0;
    m_folderFlags = folderFlags;
    m_rows = entries;
    Rules::Sort(m_rows, m_sort, m_folderFlags);
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, Rules::kColumns - 1);
}

void CTrovaneListModel::Reload() {
    beginResetModel();
    if (!m_fixedRows)
        m_rows = m_store.EntriesOf(m_folderId);
    Rules::Sort(m_rows, m_sort, m_folderFlags);
    endResetModel();
}

void CTrovaneListModel::AddEntry(CTrovaneMessage* entry) {
    if (!entry || entry->FolderID() != m_folderId || m_rows.contains(entry))
        return;
    const int at = int(Rules::InsertPosition(m_rows, *entry, m_sort, m_folderFlags));
    beginInsertRows({}, at, at);
    m_rows.insert(at, entry);
    endInsertRows();
}

void CTrovaneListModel::RefreshRows() {
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, Rules::kColumns - 1));
}

CTrovaneMessage* CTrovaneListModel::Entry(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows[row] : nullptr;
}

int CTrovaneListModel::RowOf(uint32_t localNumber) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i]->LocalNumber() == localNumber)
            return i;
    return -1;
}

void CTrovaneListModel::RememberSort() {
    if (CTrovaneFolder* f = m_store.FindFolder(m_folderId))
        m_store.WithFolders([&] {
            f->nSortColumn = m_sort.column;
            f->nMarkSort = m_sort.markSort;
            f->aSortDirection = m_sort.direction;
        });
}

void CTrovaneListModel::Resort() {
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QList<CTrovaneMessage*> entries;
    for (const QModelIndex& i : before)
        entries << Entry(i.row());
    Rules::Sort(m_rows, m_sort, m_folderFlags);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(int(m_rows.indexOf(entries[i])), before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged();
    RememberSort();
}

void CTrovaneListModel::SortByColumn(int column) {
    Rules::ClickColumn(m_sort, column);
    Resort();
}

void CTrovaneListModel::SortByMark(Rules::MarkSort sort) {
    Rules::ChooseMarkSort(m_sort, sort);
    Resort();
}

int CTrovaneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CTrovaneListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rules::kColumns;
}

QVariant CTrovaneListModel::EntryLook(const CTrovaneMessage& entry, int role, bool markColumn,
                                      const QList<QIcon>& marks) {
    switch (role) {
    case Qt::DecorationRole: {
        if (!markColumn)
            return {};
        const int image = Rules::MarkImage(entry);
        return image < marks.size() ? QVariant(marks[image]) : QVariant();
    }
    case Qt::ForegroundRole:
        return QColor::fromRgb(Rules::RowColor(entry));
    case Qt::FontRole: {
        QFont font;
        font.setBold(Rules::IsBold(entry));
        return font;
    }
    default:
        return {};
    }
}

QVariant CTrovaneListModel::data(const QModelIndex& index, int role) const {
    const CTrovaneMessage* e = Entry(index.row());
    if (!e)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case 1:
            return e->GetSubject();
        case 2:
            return Rules::PartyText(*e, m_folderFlags, m_texts.cc, m_texts.bcc);
        case 3:
            return e->GetSendTimeString(1);
        default:
            return {};
        }
    default:
        return EntryLook(*e, role, index.column() == 0, m_marks);
    }
}

QVariant CTrovaneListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 1 ||
        section >= Rules::kColumns)
        return {};
    return (m_folderFlags & ListsReceived) ? m_texts.receivedHeaders[section - 1]
                                           : m_texts.sentHeaders[section - 1];
}
