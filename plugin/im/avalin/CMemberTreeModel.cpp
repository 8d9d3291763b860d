#include "plugin/im/avalin/CMemberTreeModel.h"

#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CGroupWalk.h"

#include <QColor>

#include <algorithm>
#include <numeric>
#include <set>

CMemberTreeModel::CMemberTreeModel(QObject* parent) : QAbstractTableModel(parent) {}

int CMemberTreeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CMemberTreeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

Qt::ItemFlags CMemberTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QVariant CMemberTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row& row = m_rows[size_t(index.row())];
    const CIMGrpMember* member = row.member;
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return member ? member->GetName() : row.group->GetName();
        if (index.column() == StatusColumn && member)
            return AvalinStatus::Shown(member->GetStatus());
        return QString();
    case KindRole:
        return RowKind(index.row());
    case ExpanderRole:
        return member ? 0 : row.expanded ? 1 : 2;
    case IconKeyRole:
        if (!member)
            return {};
        return AvalinStatus::IsOff(member->GetStatus()) ? AvalinStatus::kOffIcon
                                                        : member->GetIcon();
    case BkColorRole:
        return member ? QVariant(uint(member->GetBkColor())) : QVariant();
    case IsUrlRole:
        return member && AvalinStatus::IsUrl(member->GetStatus());
    case IdRole:
        return member ? member->GetID() : row.group->GetID();
    default:
        return {};
    }
}

bool CMemberTreeModel::IsOwn(const CIMGrpMember* member) const {
    return member && !m_userId.isEmpty() && member->GetID() == m_userId;
}

CMemberTreeModel::Kind CMemberTreeModel::RowKind(int row) const {
    if (row < 0 || row >= int(m_rows.size()))
        return NoRow;
    const Row& r = m_rows[size_t(row)];
    if (!r.member)
        return GroupRow;
    return IsOwn(r.member) ? OwnRow : MemberRow;
}

CIMGroup* CMemberTreeModel::GroupAt(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].group : nullptr;
}

CIMGrpMember* CMemberTreeModel::MemberAt(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].member : nullptr;
}

bool CMemberTreeModel::IsExpanded(int row) const {
    return RowKind(row) == GroupRow && m_rows[size_t(row)].expanded;
}

std::vector<CMemberTreeModel::Row> CMemberTreeModel::MemberRows(CIMGroup* group,
                                                                bool skipOffline) const {
    std::vector<Row> rows;
    rows.reserve(group->GetMembers());
    for (CIMGrpMember* m = group->GetMember(); m; m = m->GetBros()) {
        if (!(skipOffline && AvalinStatus::IsOff(m->GetStatus())))
            rows.push_back({group, m});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [this](const Row& a, const Row& b) { return Before(a.member, b.member); });
    return rows;
}

void CMemberTreeModel::AppendGroup(CIMGroup* group, bool expanded, bool skipOffline) {
    m_rows.push_back({group, nullptr, expanded});
    if (expanded) {
        const std::vector<Row> members = MemberRows(group, skipOffline);
        m_rows.insert(m_rows.end(), members.begin(), members.end());
    }
}

void CMemberTreeModel::Build(CIMGroup* onNetters, CIMGroup* first, const QStringList& expanded) {
    beginResetModel();
    m_rows.clear();
    m_expanded = expanded;
    if (onNetters)
        AppendGroup(onNetters, true, true);
    ForEachGroup(first, [&](CIMGroup& group) {
        AppendGroup(&group, expanded.contains(group.GetID(), Qt::CaseInsensitive), false);
    });
    endResetModel();
}

void CMemberTreeModel::Clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int CMemberTreeModel::FindGroupRow(const QString& groupId) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].member &&
            m_rows[i].group->GetID().compare(groupId, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int CMemberTreeModel::FindMemberRow(const QString& groupId, const QString& memberId) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].member || m_rows[i].group->GetID().compare(groupId, Qt::CaseInsensitive) != 0)
            continue;
        for (size_t j = i + 1; j < m_rows.size() && m_rows[j].member; ++j) {
            if (m_rows[j].member->GetID().compare(memberId, Qt::CaseInsensitive) == 0)
                return int(j);
        }
    }
    return -1;
}

bool CMemberTreeModel::IsUser(const CIMGrpMember* member) const {
    const QString id = member->GetID();
    return id.size() == m_userId.size() && id.compare(m_userId, Qt::CaseInsensitive) == 0;
}

bool CMemberTreeModel::Before(const CIMGrpMember* a, const CIMGrpMember* b) const {
    // The user's own row leads its run whatever the key and direction.
    const bool ownA = IsUser(a);
    const bool ownB = IsUser(b);
    if (ownA != ownB)
        return ownA;
    int order = 0;
    switch (m_sortKey) {
    case ByOnOff:
        // "off" < "on"
        order =
            int(!AvalinStatus::IsOff(a->GetStatus())) - int(!AvalinStatus::IsOff(b->GetStatus()));
        break;
    case ByStatus:
        order = QString::compare(AvalinStatus::Shown(a->GetStatus()),
                                 AvalinStatus::Shown(b->GetStatus()), Qt::CaseSensitive);
        break;
    case ByID:
        order = QString::compare(a->GetID(), b->GetID(), Qt::CaseSensitive);
        break;
    case ByName:
        order = QString::compare(a->GetName(), b->GetName(), Qt::CaseSensitive);
        break;
    }
    return m_ascending ? order < 0 : order > 0;
}

std::pair<int, int> CMemberTreeModel::RunAround(int row) const {
    int begin = row;
    while (begin > 0 && m_rows[size_t(begin - 1)].member)
        --begin;
    int end = row;
    while (end < int(m_rows.size()) && m_rows[size_t(end)].member)
        ++end;
    return {begin, end};
}

int CMemberTreeModel::InsertPosition(int begin, int end, const CIMGrpMember* member) const {
    // After the rows that do not sort after the member, so that equal rows keep their order.
    auto first = m_rows.begin() + begin;
    auto last = m_rows.begin() + end;
    auto at = std::upper_bound(first, last, member, [this](const CIMGrpMember* m, const Row& r) {
        return Before(m, r.member);
    });
    return int(at - m_rows.begin());
}

void CMemberTreeModel::Settle(int row) {
    const auto [begin, end] = RunAround(row);
    const CIMGrpMember* member = m_rows[size_t(row)].member;
    // Binary search among the run's other rows (the row itself skipped) for the first one
    // that sorts after the member: its position is where the row belongs.
    auto other = [row](int at) { return at < row ? at : at + 1; };
    int low = begin;
    int high = end - 1;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (Before(member, m_rows[size_t(other(mid))].member))
            high = mid;
        else
            low = mid + 1;
    }
    const int to = low;
    if (to == row)
        return;
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), to > row ? to + 1 : to);
    const Row moving = m_rows[size_t(row)];
    m_rows.erase(m_rows.begin() + row);
    m_rows.insert(m_rows.begin() + to, moving);
    endMoveRows();
}

void CMemberTreeModel::UpdateMember(const QString& groupId, const QString& memberId,
                                    CIMGrpMember* member) {
    const int row = FindMemberRow(groupId, memberId);
    if (row >= 0) {
        if (member && AvalinStatus::IsOff(m_rows[size_t(row)].member->GetStatus())) {
            beginRemoveRows(QModelIndex(), row, row);
            m_rows.erase(m_rows.begin() + row);
            endRemoveRows();
            return;
        }
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
        Settle(row);
        return;
    }
    if (!member || AvalinStatus::IsOff(member->GetStatus()) || m_rows.empty() ||
        !m_rows.front().expanded)
        return;
    const int to = InsertPosition(1, RunAround(1).second, member);
    beginInsertRows(QModelIndex(), to, to);
    m_rows.insert(m_rows.begin() + to, Row{m_rows.front().group, member});
    endInsertRows();
}

void CMemberTreeModel::RenameGroup(const QString& groupId) {
    const int row = FindGroupRow(groupId);
    if (row >= 0)
        emit dataChanged(index(row, NameColumn), index(row, NameColumn));
}

void CMemberTreeModel::SetExpandedId(const QString& groupId, bool expanded) {
    m_expanded.removeIf(
        [&](const QString& id) { return id.compare(groupId, Qt::CaseInsensitive) == 0; });
    if (expanded)
        m_expanded.append(groupId);
}

bool CMemberTreeModel::Toggle(int row) {
    if (RowKind(row) != GroupRow)
        return false;
    Row& group = m_rows[size_t(row)];
    if (group.expanded) {
        const int end = RunAround(row + 1).second;
        if (end > row + 1) {
            beginRemoveRows(QModelIndex(), row + 1, end - 1);
            m_rows.erase(m_rows.begin() + row + 1, m_rows.begin() + end);
            endRemoveRows();
        }
        m_rows[size_t(row)].expanded = false;
    } else {
        // Off-line members stay out of the on-line members group only.
        const std::vector<Row> members = MemberRows(group.group, row == 0);
        group.expanded = true;
        if (!members.empty()) {
            beginInsertRows(QModelIndex(), row + 1, row + int(members.size()));
            m_rows.insert(m_rows.begin() + row + 1, members.begin(), members.end());
            endInsertRows();
        }
    }
    SetExpandedId(m_rows[size_t(row)].group->GetID(), m_rows[size_t(row)].expanded);
    emit dataChanged(index(row, ExpanderColumn), index(row, ExpanderColumn));
    emit ExpandedChanged();
    return true;
}

void CMemberTreeModel::CollapseAll() {
    for (int row = int(m_rows.size()) - 1; row >= 0; --row) {
        if (IsExpanded(row))
            Toggle(row);
    }
    m_expanded.clear();
}

void CMemberTreeModel::Sort(SortKey key, bool ascending) {
    m_sortKey = key;
    m_ascending = ascending;
    if (m_rows.empty())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // New order as old row numbers, each run sorted on its own.
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    for (int begin = 0; begin < int(m_rows.size());) {
        if (!m_rows[size_t(begin)].member) {
            ++begin;
            continue;
        }
        const int end = RunAround(begin).second;
        std::stable_sort(order.begin() + begin, order.begin() + end, [this](int a, int b) {
            return Before(m_rows[size_t(a)].member, m_rows[size_t(b)].member);
        });
        begin = end;
    }
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(m_rows[size_t(order[i])]);
        newRowOf[size_t(order[i])] = int(i);
    }
    m_rows = std::move(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(newRowOf[size_t(old.row())], old.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

CMemberDragText CMemberTreeModel::DragText(const QList<int>& rows) const {
    CMemberDragText text;
    for (int row : rows) {
        switch (RowKind(row)) {
        case GroupRow:
            text.Add(row == 0 ? CMemberDragText::OnNetters : CMemberDragText::Group,
                     m_rows[size_t(row)].group->GetID());
            break;
        case MemberRow:
        case OwnRow:
            text.Add(CMemberDragText::Member, m_rows[size_t(row)].member->GetID());
            break;
        case NoRow:
            break;
        }
    }
    return text;
}

bool CMemberTreeModel::IsChatSelection(const QList<int>& rows) const {
    if (rows.isEmpty())
        return false;
    return std::all_of(rows.begin(), rows.end(), [this](int row) {
        return RowKind(row) == MemberRow &&
               !AvalinStatus::IsOff(m_rows[size_t(row)].member->GetStatus());
    });
}

QStringList CMemberTreeModel::MessageTargets(const QList<int>& rows) const {
    QStringList ids;
    for (int row : rows) {
        if (RowKind(row) != NoRow)
            ids.append(data(index(row, 0), IdRole).toString());
    }
    return ids;
}

QStringList CMemberTreeModel::ChatMembers(const QList<int>& rows) const {
    std::set<QString> ids;
    for (int row : rows) {
        if (RowKind(row) == MemberRow &&
            !AvalinStatus::IsOff(m_rows[size_t(row)].member->GetStatus()))
            ids.insert(m_rows[size_t(row)].member->GetID());
    }
    return QStringList(ids.begin(), ids.end());
}
