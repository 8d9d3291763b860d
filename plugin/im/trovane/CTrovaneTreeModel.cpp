#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovaneListRules.h"
#include "plugin/im/trovane/CTrovaneStore.h"

#include <QFont>
#include <algorithm>
#include <tuple>

using namespace TrovaneBox;

namespace {

// Tiles of the tree's image strip.
int IconOf(const CTrovaneFolder& f) {
    switch (f.nID) {
    case RootFolder:
        return 0;
    case TrashFolder:
        return 2;
    case ReceivedFolder:
        return 3;
    case SentFolder:
        return 4;
    case DraftsFolder:
        return 5;
    default:
        return f.nIconKind == IconTrash ? 2 : 1;
    }
}

} // namespace

CTrovaneTreeModel::CTrovaneTreeModel(CTrovaneStore& store, const QList<QIcon>& icons,
                                     const QString& rootLabel, QObject* parent)
    : QAbstractItemModel(parent), m_store(store), m_rootLabel(rootLabel), m_icons(icons) {
    Reload();
}

void CTrovaneTreeModel::AddNode(CTrovaneFolder* folder, int parent) {
    const int self = int(m_nodes.size());
    Node node;
    node.id = folder->nID;
    node.parent = parent;
    node.row = parent < 0 ? 0 : int(m_nodes[parent].children.size());
    m_nodes.append(node);
    if (parent >= 0)
        m_nodes[parent].children.append(self);
    QList<CTrovaneFolder*> children = m_store.ChildrenOf(folder->nID);
    m_store.WithFolders([&] {
        std::stable_sort(children.begin(), children.end(),
                         [](const CTrovaneFolder* a, const CTrovaneFolder* b) {
                             return a->strName.localeAwareCompare(b->strName) < 0;
                         });
    });
    for (CTrovaneFolder* child : std::as_const(children))
        AddNode(child, self);
}

void CTrovaneTreeModel::Reload() {
    beginResetModel();
    m_nodes.clear();
    if (CTrovaneFolder* root = m_store.FindFolder(RootFolder))
        AddNode(root, -1);
    endResetModel();
}

void CTrovaneTreeModel::RefreshCounts() {
    if (!m_nodes.isEmpty())
        emit dataChanged(index(0, 0), index(0, 0));
    // Every node may change weight; the views repaint the visible ones.
    for (int i = 1; i < m_nodes.size(); ++i) {
        const QModelIndex at = createIndex(m_nodes[i].row, 0, quintptr(i));
        emit dataChanged(at, at);
    }
}

QModelIndex CTrovaneTreeModel::IndexOf(uint32_t folderId) const {
    for (int i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].id == folderId)
            return createIndex(m_nodes[i].row, 0, quintptr(i));
    return {};
}

uint32_t CTrovaneTreeModel::FolderId(const QModelIndex& index) const {
    return index.isValid() ? m_nodes[int(index.internalId())].id : 0;
}

const CTrovaneFolder* CTrovaneTreeModel::Folder(const QModelIndex& index) const {
    return m_store.FindFolder(FolderId(index));
}

void CTrovaneTreeModel::SetExpanded(const QModelIndex& index, bool expanded) {
    if (CTrovaneFolder* f = m_store.FindFolder(FolderId(index))) {
        m_store.WithFolders([&] { f->nExpanded = expanded ? 1 : 0; });
        emit dataChanged(index, index);
    }
}

QModelIndex CTrovaneTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 && !m_nodes.isEmpty() ? createIndex(0, 0, quintptr(0)) : QModelIndex();
    const Node& p = m_nodes[int(parent.internalId())];
    return row < p.children.size() ? createIndex(row, 0, quintptr(p.children[row])) : QModelIndex();
}

QModelIndex CTrovaneTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    const int p = m_nodes[int(child.internalId())].parent;
    return p < 0 ? QModelIndex() : createIndex(m_nodes[p].row, 0, quintptr(p));
}

int CTrovaneTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return m_nodes.isEmpty() ? 0 : 1;
    return int(m_nodes[int(parent.internalId())].children.size());
}

int CTrovaneTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CTrovaneTreeModel::data(const QModelIndex& index, int role) const {
    const CTrovaneFolder* f = Folder(index);
    if (!f)
        return {};
    const int entries =
        role == DraftCountRole || role == Qt::FontRole ? m_store.EntryCountOf(f->nID) : 0;
    return m_store.WithFolders([&]() -> QVariant {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole:
            return f->strName.isEmpty() && f->nID == RootFolder ? m_rootLabel : f->strName;
        case Qt::DecorationRole: {
            const int tile = IconOf(*f);
            return tile < m_icons.size() ? QVariant(m_icons[tile]) : QVariant();
        }
        case Qt::FontRole: {
            QFont font;
            font.setBold(CTrovaneListRules::IsFolderBold(*f, f->nExpanded != 0, entries));
            return font;
        }
        case FolderIdRole:
            return f->nID;
        case UnreadCountRole:
            return f->nUnreadHere;
        case DraftCountRole:
            return f->nID == DraftsFolder ? entries : 0;
        default:
            return {};
        }
    });
}

Qt::ItemFlags CTrovaneTreeModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    const CTrovaneFolder* f = Folder(index);
    if (f && m_store.WithFolders([&] { return CTrovaneCommands::CanRename(*f); }))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CTrovaneTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    CTrovaneFolder* f = m_store.FindFolder(FolderId(index));
    if (role != Qt::EditRole || !f || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString name = value.toString().trimmed();
    if (name.isEmpty())
        return false;
    const auto [id, parent, old] = m_store.WithFolders(
        [&] { return std::tuple<uint32_t, uint32_t, QString>(f->nID, f->nParentID, f->strName); });
    if (name == old)
        return false;
    if (CTrovaneCommands::NameTaken(m_store, parent, name, id)) {
        emit RenameRefused(id);
        return false;
    }
    m_store.WithFolders([&] { f->strName = name; });
    emit dataChanged(index, index);
    emit Renamed(id);
    return true;
}
