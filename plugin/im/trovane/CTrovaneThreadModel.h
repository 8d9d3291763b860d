// The thread window's tree as a model: one row per message of the thread, with its mark image
// and subject, its sender's name and its send time. Rows follow the in-place updates of
// CTrovaneThreadTree, so that a refresh keeps the view's selection and scroll position.
#pragma once

#include "plugin/im/trovane/CTrovaneThreads.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>

class CTrovaneStore;

class CTrovaneThreadModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Headers: subject, sender, date.
    CTrovaneThreadModel(CTrovaneStore& store, const QList<QIcon>& marks, const QStringList& headers,
                        QObject* parent = nullptr);

    CTrovaneThreadTree& Tree() { return m_tree; }
    uint32_t LocalNumber(const QModelIndex& index) const;
    QModelIndex IndexOf(uint32_t localNumber) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    using Node = CTrovaneThreadTree::Node;
    QModelIndex IndexOfNode(Node* node) const;
    static Node* NodeOf(const QModelIndex& index);

    CTrovaneStore& m_store;
    CTrovaneThreadTree m_tree;
    QList<QIcon> m_marks;
    QStringList m_headers;
};
