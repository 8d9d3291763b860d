// The rows of a message list (new or sent messages): the messages in arrival order, shown in
// the order of the current sort, with the subject, a second column (sender or destinations)
// and the date. Holds no widget; the clock is the model's own so that the date texts can be
// checked at any hour.
#pragma once

#include "obrix/CLetrix.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QDateTime>
#include <QList>

#include <functional>
#include <memory>
#include <vector>

class CMessageListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { SubjectColumn = 0, SecondColumn = 1, DateColumn = 2 };
    // The sort keys; the View menu lists them as positions 1 (date), 2 (second), 3 (subject).
    enum SortKey { SortBySubject = 0, SortBySecond = 1, SortByDate = 2 };
    // The local time now.
    using Clock = std::function<QDateTime()>;

    explicit CMessageListModel(QObject* parent = nullptr);
    ~CMessageListModel() override;

    void SetClock(Clock clock);
    void SetHeaders(const QStringList& headers) { m_headers = headers; }
    // The date text of a message sent the day before today.
    void SetYesterdayText(const QString& text) { m_yesterday = text; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Takes a message in, at the row the current sort gives it; false (and the message is
    // dropped) when a message with that id is listed already. The oldest messages beyond
    // `limit` then leave the list, whatever rows they stand on.
    bool Add(std::unique_ptr<CLetrix> message, const QString& second, int limit);
    bool Contains(const QString& messageId) const { return RowOf(messageId) >= 0; }
    // The row of a message id (compared without regard to case), -1 when none.
    int RowOf(const QString& messageId) const;
    CLetrix* At(int row) const;
    // Messages in arrival order, oldest first.
    QStringList ArrivalOrder() const;

    // Drops the oldest messages beyond `limit`; how many left.
    int Trim(int limit);
    // New flags of a listed message; false when the id is not listed.
    bool SetFlags(const QString& messageId, uint32_t flags);
    bool Remove(const QString& messageId);
    void RemoveRows(QList<int> rows);
    // Drops every message that is read (flags bit 0); how many left.
    int RemoveRead();
    void Clear();

    SortKey Key() const { return m_key; }
    bool Ascending() const { return m_ascending; }
    // Sorts the whole list; rows keep no order of their own beyond the sort.
    void Sort(SortKey key, bool ascending);
    // A header click: the sorted column turns round, another column sorts ascending.
    void SortByColumn(int column);
    // The sort as one word: key in the low 16 bits, ascending flag in the high 16 bits.
    uint32_t SortWord() const { return uint32_t(m_key) | (m_ascending ? 0x10000u : 0u); }

    // The date shown for a message sent at `sentLocal` as seen on `today`: the time on the
    // same day, the yesterday text on the day before, else the date.
    static QString DateText(const QDateTime& sentLocal, const QDate& today,
                            const QString& yesterday);
    // Looks at the clock; on a new day the date column is drawn again. True when the day
    // changed.
    bool RefreshDates();
    QDate Today() const { return m_today; }

private:
    struct Entry;
    bool Before(const Entry& a, const Entry& b) const;
    int Compare(const Entry& a, const Entry& b) const;
    int InsertPosition(const Entry& entry) const;
    void RemoveEntry(const Entry* entry);

    Clock m_clock;
    QDate m_today;
    QString m_yesterday;
    QStringList m_headers;
    // Arrival order (owned) and display order.
    std::vector<std::unique_ptr<Entry>> m_entries;
    QList<Entry*> m_rows;
    SortKey m_key = SortByDate;
    bool m_ascending = true;
};
