// The member tree as rows of one flat list: for each group a group row followed, while the
// group is expanded, by its member rows. The on-line members group is always the first
// group. Rows point at the groups and memberships of the plug-in's directory (never copies),
// so a presence event that patched the directory only has to touch the rows it concerns:
// events insert, remove and move single rows and never reset the model.
#pragma once

#include "obrix/CIMGroup.h"
#include "obrix/CMemberDragText.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

class CMemberTreeModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ExpanderColumn = 0, NameColumn = 1, StatusColumn = 2, ColumnCount = 3 };
    enum Kind { NoRow = -1, GroupRow = 0, MemberRow = 1, OwnRow = 2 };
    enum SortKey { ByName = 0, ByOnOff = 1, ByStatus = 2, ByID = 3 };
    enum Role {
        KindRole = Qt::UserRole + 1, // Kind
        ExpanderRole,                // 1 expanded, 2 collapsed (group rows), 0 member rows
        IconKeyRole,                 // status icon key of a member row ("1-4" when off line)
        BkColorRole,                 // background colour 0x00BBGGRR of a member row
        IsUrlRole,                   // the status of a member row is a web address
        IdRole,                      // group or member id
    };

    explicit CMemberTreeModel(QObject* parent = nullptr);

    void SetUserID(const QString& userId) { m_userId = userId; }
    QString UserID() const { return m_userId; }

    // Rows for the on-line members group and then every group of the tree (sub-groups after
    // their parent). The on-line members group is expanded and lists only members that are
    // not off line; another group is expanded when its id is in the set (any case).
    void Build(CIMGroup* onNetters, CIMGroup* first, const QStringList& expanded);
    void Clear();

    // A member changed in a group. With the member given (the on-line members group), its
    // row leaves when it went off line and a member that came on line is inserted while the
    // group is expanded; without it only the texts change. The row then takes its place in
    // the sort order.
    void UpdateMember(const QString& groupId, const QString& memberId, CIMGrpMember* member);
    // The group row of that id (any case) shows the group's current name.
    void RenameGroup(const QString& groupId);
    // Expands or collapses a group row; false for other rows.
    bool Toggle(int row);
    void CollapseAll();

    // Sorts each run of member rows on its own; group rows never move.
    void Sort(SortKey key, bool ascending);
    SortKey SortColumn() const { return m_sortKey; }
    bool SortAscending() const { return m_ascending; }

    Kind RowKind(int row) const;
    CIMGroup* GroupAt(int row) const;      // the group of a group row, or the group of a member row
    CIMGrpMember* MemberAt(int row) const; // null for group rows
    bool IsExpanded(int row) const;
    // The ids of expanded groups, as kept in the expanded-groups file.
    QStringList ExpandedGroups() const { return m_expanded; }
    int FindGroupRow(const QString& groupId) const;
    int FindMemberRow(const QString& groupId, const QString& memberId) const;

    // The selection as drag text: "M" member rows, "G" group rows, "O" the first row.
    CMemberDragText DragText(const QList<int>& rows) const;
    // Chat is offered only for a selection of other members that are on line.
    bool IsChatSelection(const QList<int>& rows) const;
    // Ids of the destinations of a message to the selected rows, in row order.
    QStringList MessageTargets(const QList<int>& rows) const;
    // Ids of other on-line members among the selected rows (ordered, each once).
    QStringList ChatMembers(const QList<int>& rows) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The set of expanded groups changed by a toggle (the caller saves the file).
    void ExpandedChanged();

private:
    struct Row {
        CIMGroup* group;
        CIMGrpMember* member;  // null for a group row
        bool expanded = false; // group rows
    };
    // The user's own row for display (exact id) and for sorting (any case).
    bool IsOwn(const CIMGrpMember* member) const;
    bool IsUser(const CIMGrpMember* member) const;
    // Whether row a sorts before row b under the current sort state.
    bool Before(const CIMGrpMember* a, const CIMGrpMember* b) const;
    void AppendGroup(CIMGroup* group, bool expanded, bool skipOffline);
    // Member rows of a group as they are inserted below it.
    std::vector<Row> MemberRows(CIMGroup* group, bool skipOffline) const;
    // The run of member rows that contains or follows row, as [begin, end).
    std::pair<int, int> RunAround(int row) const;
    // Moves one row to its place in its otherwise sorted run.
    void Settle(int row);
    int InsertPosition(int begin, int end, const CIMGrpMember* member) const;
    void SetExpandedId(const QString& groupId, bool expanded);

    std::vector<Row> m_rows;
    QStringList m_expanded;
    QString m_userId;
    SortKey m_sortKey = ByName;
    bool m_ascending = true;
};
