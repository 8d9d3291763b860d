// The message list of the folder on show: a virtual list over the folder's entries in the
// folder's sort order, with the mark image, colours and weight of each row.
#pragma once

#include "plugin/im/trovane/CTrovaneListRules.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <cstdint>

class CTrovaneMessage;
class CTrovaneStore;

class CTrovaneListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Texts by number: headers of both folder kinds and the Cc / Bcc labels.
    struct Texts {
        QString receivedHeaders[3]; // 392 subject, 391 sender, 393 date
        QString sentHeaders[3];     // 395 subject, 394 recipients, 396 date
        QString cc;                 // 832
        QString bcc;                // 833
    };

    CTrovaneListModel(CTrovaneStore& store, const QList<QIcon>& marks, const Texts& texts,
                      QObject* parent = nullptr);

    // The mark image (in the mark column), colour and weight of an entry's row: one look for
    // the list, the find results and the thread window. Null for other roles.
    static QVariant EntryLook(const CTrovaneMessage& entry, int role, bool markColumn,
                              const QList<QIcon>& marks);

    // Shows a folder's entries in its remembered sort order.
    void ShowFolder(uint32_t folderId);
    uint32_t FolderId() const { return m_folderId; }
    // Shows given entries (the hits of a search) as a folder of these flags would, sorted
    // the same way; they stay until the next call.
    void ShowEntries(uint32_t folderFlags, const QList<CTrovaneMessage*>& entries);
    // A new entry: inserted where the order puts it when its folder is on show.
    void AddEntry(CTrovaneMessage* entry);
    // Re-reads the rows of the folder on show (after moves and deletions).
    void Reload();
    // Rows repaint after flag changes.
    void RefreshRows();

    CTrovaneMessage* Entry(int row) const;
    int RowOf(uint32_t localNumber) const;
    const CTrovaneListRules::SortState& SortState() const { return m_sort; }
    // A header click on column 1 to 3.
    void SortByColumn(int column);
    void SortByMark(CTrovaneListRules::MarkSort sort);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    uint32_t FolderFlags() const;
    void Resort();
    void RememberSort();

    CTrovaneStore& m_store;
    QList<QIcon> m_marks;
    Texts m_texts;
    uint32_t m_folderId = 0;
    uint32_t m_folderFlags = 0;
    CTrovaneListRules::SortState m_sort;
    QList<CTrovaneMessage*> m_rows;
    bool m_fixedRows = false;
};
