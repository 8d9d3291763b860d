#include "plugin/im/avalin/CMessageListModel.h"

#include "obrix/ObrixTime.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <tuple>

struct CMessageListModel::Entry {
    std::unique_ptr<CLetrix> message;
    QString second;
    SYSTEMTIME sentUtc{};
    QDateTime sentLocal;
};

namespace {

QDateTime LocalDateTime(const SYSTEMTIME& utc) {
    if (!ObrixTime::IsNormalTime(utc))
        return {};
    const SYSTEMTIME t = ObrixTime::UtcToLocal(utc);
    return QDateTime(QDate(t.wYear, t.wMonth, t.wDay), QTime(t.wHour, t.wMinute, t.wSecond));
}

auto Fields(const SYSTEMTIME& t) {
    return std::tie(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

} // namespace

CMessageListModel::CMessageListModel(QObject* parent)
    : QAbstractTableModel(parent), m_clock([] { return QDateTime::currentDateTime(); }) {
    m_today = m_clock().date();
}

CMessageListModel::~CMessageListModel() = default;

void CMessageListModel::SetClock(Clock clock) {
    m_clock = std::move(clock);
    m_today = m_clock().date();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, DateColumn), index(rowCount() - 1, DateColumn));
}

int CMessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CMessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant CMessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Entry& e = *m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case SubjectColumn:
            return e.message->GetSubject();
        case SecondColumn:
            return e.second;
        case DateColumn:
            return role == Qt::ToolTipRole
                       ? ObrixTime::DateTimeText(e.sentLocal.date(), e.sentLocal.time(), false)
                       : DateText(e.sentLocal, m_today, m_yesterday);
        default:
            return {};
        }
    case Qt::ForegroundRole:
        // Messages with a priority stand out in red.
        return e.message->GetPriority() ? QVariant(QBrush(QColor(0xFF, 0, 0))) : QVariant();
    case Qt::FontRole:
        if (e.message->IsUnRead()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant CMessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString CMessageListModel::DateText(const QDateTime& sentLocal, const QDate& today,
                                    const QString& yesterday) {
    if (!sentLocal.isValid())
        return ObrixTime::SendTimePlaceholder();
    const QDate day = sentLocal.date();
    if (day == today)
        return sentLocal.time().toString(QStringLiteral("HH:mm"));
    if (day.addDays(1) == today)
        return yesterday;
    return ObrixTime::DateText(day);
}

bool CMessageListModel::RefreshDates() {
    const QDate today = m_clock().date();
    if (today == m_today)
        return false;
    m_today = today;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, DateColumn), index(rowCount() - 1, DateColumn));
    return true;
}

// ---- order ----

int CMessageListModel::Compare(const Entry& a, const Entry& b) const {
    switch (m_key) {
    case SortBySubject:
        return QString::compare(a.message->GetSubject(), b.message->GetSubject(),
                                Qt::CaseSensitive);
    case SortBySecond:
        return QString::compare(a.second, b.second, Qt::CaseSensitive);
    case SortByDate:
    default: {
        const auto fa = Fields(a.sentUtc);
        const auto fb = Fields(b.sentUtc);
        return fa < fb ? -1 : fb < fa ? 1 : 0;
    }
    }
}

bool CMessageListModel::Before(const Entry& a, const Entry& b) const {
    const int c = Compare(a, b);
    return m_ascending ? c < 0 : c > 0;
}

int CMessageListModel::InsertPosition(const Entry& entry) const {
    for (int row = 0; row < m_rows.size(); ++row) {
        if (Before(entry, *m_rows[row]))
            return row;
    }
    return int(m_rows.size());
}

void CMessageListModel::Sort(SortKey key, bool ascending) {
    m_key = key;
    m_ascending = ascending;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<Entry*> rowsBefore;
    for (const QModelIndex& i : before)
        rowsBefore.append(m_rows[i.row()]);
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Entry* a, const Entry* b) { return Before(*a, *b); });
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i)
        after.append(index(int(m_rows.indexOf(rowsBefore[i])), before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CMessageListModel::SortByColumn(int column) {
    const SortKey key = SortKey(qBound(0, column, 2));
    Sort(key, key == m_key ? !m_ascending : true);
}

// ---- content ----

int CMessageListModel::RowOf(const QString& messageId) const {
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row]->message->GetMessageID().compare(messageId, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

CLetrix* CMessageListModel::At(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows[row]->message.get() : nullptr;
}

QStringList CMessageListModel::ArrivalOrder() const {
    QStringList ids;
    for (const auto& e : m_entries)
        ids.append(e->message->GetMessageID());
    return ids;
}

bool CMessageListModel::Add(std::unique_ptr<CLetrix> message, const QString& second, int limit) {
    if (!message || Contains(message->GetMessageID()))
        return false;
    auto entry = std::make_unique<Entry>();
    entry->sentUtc = message->GetSendTime(0);
    entry->sentLocal = LocalDateTime(entry->sentUtc);
    entry->message = std::move(message);
    entry->second = second;
    Entry* added = entry.get();
    m_entries.push_back(std::move(entry));
    // The oldest go first, so that the new row's place is found among those that stay.
    Trim(limit);
    if (m_entries.empty() || m_entries.back().get() != added)
        return true; // a limit below one keeps nothing
    const int row = InsertPosition(*added);
    beginInsertRows({}, row, row);
    m_rows.insert(row, added);
    endInsertRows();
    return true;
}

void CMessageListModel::RemoveEntry(const Entry* entry) {
    const int row = int(m_rows.indexOf(entry));
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        endRemoveRows();
    }
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [entry](const auto& e) { return e.get() == entry; });
    if (it != m_entries.end())
        m_entries.erase(it);
}

int CMessageListModel::Trim(int limit) {
    int dropped = 0;
    while (!m_entries.empty() && int(m_entries.size()) > std::max(0, limit)) {
        RemoveEntry(m_entries.front().get());
        ++dropped;
    }
    return dropped;
}

bool CMessageListModel::SetFlags(const QString& messageId, uint32_t flags) {
    const int row = RowOf(messageId);
    if (row < 0)
        return false;
    m_rows[row]->message->SetFlags(flags);
    emit dataChanged(index(row, 0), index(row, 2));
    return true;
}

bool CMessageListModel::Remove(const QString& messageId) {
    const int row = RowOf(messageId);
    if (row < 0)
        return false;
    RemoveEntry(m_rows[row]);
    return true;
}

void CMessageListModel::RemoveRows(QList<int> rows) {
    QList<const Entry*> entries;
    for (int row : rows) {
        if (row >= 0 && row < m_rows.size() && !entries.contains(m_rows[row]))
            entries.append(m_rows[row]);
    }
    for (const Entry* e : entries)
        RemoveEntry(e);
}

int CMessageListModel::RemoveRead() {
    QList<const Entry*> read;
    for (const auto& e : m_entries) {
        if (!e->message->IsUnRead())
            read.append(e.get());
    }
    for (const Entry* e : read)
        RemoveEntry(e);
    return int(read.size());
}

void CMessageListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_entries.clear();
    endResetModel();
}
