// The folder tree as a model over the store: one node per folder from the root, children by
// name, bold by the rules of the tree, and the unread and draft counts for the delegate that
// draws them after the names.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <cstdint>

class CTrovaneStore;
struct CTrovaneFolder;

class CTrovaneTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        FolderIdRole = Qt::UserRole + 1,
        UnreadCountRole, // unread entries directly in the folder
        DraftCountRole,  // entries of the drafts folder
    };

    // rootLabel: shown for the root, whose own name is empty.
    CTrovaneTreeModel(CTrovaneStore& store, const QList<QIcon>& icons, const QString& rootLabel,
                      QObject* parent = nullptr);

    // Re-reads the whole tree (after folders were added, moved or deleted).
    void Reload();
    // Re-reads counts and weights of every node.
    void RefreshCounts();
    QModelIndex IndexOf(uint32_t folderId) const;
    uint32_t FolderId(const QModelIndex& index) const;
    // Keeps the folder's expanded flag, which also decides its weight.
    void SetExpanded(const QModelIndex& index, bool expanded);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // User folders outside the trash and the drafts can be renamed in place.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A new name: empty keeps the old one; a sibling's name (in any letter case) is refused
    // with RenameRefused; otherwise the folder takes it and Renamed follows.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void RenameRefused(uint32_t folderId);
    void Renamed(uint32_t folderId);

private:
    struct Node {
        uint32_t id = 0;
        int parent = -1; // index into m_nodes
        QList<int> children;
        int row = 0;
    };
    void AddNode(CTrovaneFolder* folder, int parent);
    const CTrovaneFolder* Folder(const QModelIndex& index) const;

    CTrovaneStore& m_store;
    QString m_rootLabel;
    QList<QIcon> m_icons; // root, folder, trash, received, sent, drafts, open folder
    QList<Node> m_nodes;
};
