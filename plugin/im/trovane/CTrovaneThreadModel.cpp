#include "plugin/im/trovane/CTrovaneThreadModel.h"

#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneStore.h"

CTrovaneThreadModel::CTrovaneThreadModel(CTrovaneStore& store, const QList<QIcon>& marks,
                                         const QStringList& headers, QObject* parent)
    : QAbstractItemModel(parent), m_store(store), m_tree(store), m_marks(marks),
      m_headers(headers) {
    CTrovaneThreadTree::Observer observer;
    observer.beginRemove = [this](Node* parent, int first, int last) {
        beginRemoveRows(IndexOfNode(parent), first, last);
    };
    observer.endRemove = [this] { endRemoveRows(); };
    observer.beginInsert = [this](Node* parent, int first, int last) {
        beginInsertRows(IndexOfNode(parent), first, last);
    };
    observer.endInsert = [this] { endInsertRows(); };
    observer.beginReset = [this] { beginResetModel(); };
    observer.endReset = [this] { endResetModel(); };
    m_tree.SetObserver(std::move(observer));
}

CTrovaneThreadModel::Node* CTrovaneThreadModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex CTrovaneThreadModel::IndexOfNode(Node* node) const {
    return node ? createIndex(node->Row(), 0, node) : QModelIndex();
}

uint32_t CTrovaneThreadModel::LocalNumber(const QModelIndex& index) const {
    const Node* node = NodeOf(index);
    return node ? node->localNumber : 0;
}

QModelIndex CTrovaneThreadModel::IndexOf(uint32_t localNumber) const {
    return IndexOfNode(m_tree.Find(localNumber));
}

QModelIndex CTrovaneThreadModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= columnCount())
        return {};
    if (!parent.isValid()) {
        Node* root = const_cast<CTrovaneThreadTree&>(m_tree).RootNode();
        return row == 0 && root ? createIndex(0, column, root) : QModelIndex();
    }
    Node* node = NodeOf(parent);
    if (!node || size_t(row) >= node->children.size())
        return {};
    return createIndex(row, column, node->children[size_t(row)].get());
}

QModelIndex CTrovaneThreadModel::parent(const QModelIndex& child) const {
    const Node* node = NodeOf(child);
    return node ? IndexOfNode(node->parent) : QModelIndex();
}

int CTrovaneThreadModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return m_tree.RootNode() ? 1 : 0;
    if (parent.column() != 0)
        return 0;
    const Node* node = NodeOf(parent);
    return node ? int(node->children.size()) : 0;
}

int CTrovaneThreadModel::columnCount(const QModelIndex&) const {
    return 3;
}

QVariant CTrovaneThreadModel::data(const QModelIndex& index, int role) const {
    const Node* node = NodeOf(index);
    const CTrovaneMessage* e = node ? m_store.FindEntry(node->localNumber) : nullptr;
    if (!e)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case 0:
            return e->GetSubject();
        case 1:
            return e->GetFromName();
        default:
            return e->GetSendTimeString(1);
        }
    default:
        return CTrovaneListModel::EntryLook(*e, role, index.column() == 0, m_marks);
    }
}

QVariant CTrovaneThreadModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_headers.size())
        return {};
    return m_headers[section];
}
