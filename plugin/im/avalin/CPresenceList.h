// The member tree's view: a flat list of group and member rows in three columns (expander,
// name, status) drawn by hand, with drag out of members and groups, file drops on a member
// or group, group expansion by click or double-click, tool tips for cut-off text and a
// click on a web-address status.
#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <QTreeView>

class CMemberTreeModel;
class CStatusIcons;

class CPresenceList : public QTreeView {
    Q_OBJECT

public:
    CPresenceList(CMemberTreeModel* model, const CStatusIcons* icons, void* resources,
                  QWidget* parent = nullptr);

    // Selected rows in display order.
    QList<int> SelectedRows() const;
    // Column widths as "19:100:70", and applying such a text (empty changes nothing).
    QString ColumnSizes() const;
    void ApplyColumnSizes(const QString& text);
    // The name column takes the given width, the status column the rest (at least 50).
    void SetMemberColumnWidth(int width);
    // Files are accepted only while logged on.
    void SetAcceptFiles(bool accept);
    // Whether the IM window is active: selected rows are highlighted only then.
    bool IsWindowActive() const;

    static constexpr int kExpanderWidth = 19;
    static constexpr int kMinStatusWidth = 50;
    static constexpr int kToolTipChars = 80;

signals:
    // A double-click or Enter on a member row.
    void MemberActivated(int row);
    // A click on a status that is a web address.
    void UrlClicked(const QString& url);
    // Existing files (no directories) dropped on a group or another member.
    void FilesDropped(const QString& targetId, const QStringList& paths);
    void ContextMenuWanted(int row, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SpanGroupRows();
    void FitLastColumn();
    // The row a file drop lands on when it may take files, else -1.
    int FileTarget(const QPoint& pos) const;
    // The visible width of a cell's text (group names run across name and status).
    int TextWidth(int row, int column) const;

    CMemberTreeModel* m_model;
    void* m_resources;
    bool m_acceptFiles = false;
};

// Draws the cells of the member tree.
class CPresenceDelegate : public QStyledItemDelegate {
public:
    CPresenceDelegate(const CStatusIcons* icons, void* resources, CPresenceList* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void PaintGroup(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                    bool highlighted) const;
    void PaintMemberCell(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index, bool highlighted) const;

    const CStatusIcons* m_icons;
    CPresenceList* m_list;
    QList<QPixmap> m_expander;
};
