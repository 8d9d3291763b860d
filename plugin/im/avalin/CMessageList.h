// The list control of the two message tabs: full-row selection, columns sorted by a header
// click, the sort mark on the sorted column. What the rows say and how they look (bold for
// unread, red for a priority) comes from its CMessageListModel.
#pragma once

#include <QTreeView>

class CMessageListModel;

class CMessageList : public QTreeView {
    Q_OBJECT

public:
    // resources: the module whose bitmap 101 holds the header's sort arrows (up, down).
    CMessageList(CMessageListModel* model, void* resources, QWidget* parent = nullptr);

    QList<int> SelectedRows() const;
    // Column widths as "w:w:w" and back; a value that does not fit leaves the widths alone.
    // With the default widths the subject column also takes the room the others leave, until
    // the user sizes a column.
    QString ColumnSizes() const;
    void ApplyColumnSizes(const QString& sizes);
    // Shows the model's sort on the header.
    void ShowSortMark();

signals:
    void ContextMenuWanted(const QPoint& globalPos);
    void OpenWanted();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitSubject();

    CMessageListModel* m_model;
    bool m_fitSubject = false;
    bool m_sizing = false;
};
