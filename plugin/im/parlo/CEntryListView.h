// The participant list of a chat window: one row per participant, its name drawn in its
// colour. Members dragged from the member tree may be dropped on it; only the member items
// ("M") of the drag text are taken, each once.
#pragma once

#include <QListWidget>
#include <QStringList>
#include <functional>

class CEntryListView : public QListWidget {
public:
    explicit CEntryListView(QWidget* parent = nullptr);

    // Called with the member ids of a drop that holds any.
    void SetDropHandler(std::function<void(const QStringList&)> handler) {
        m_onDrop = std::move(handler);
    }
    // The member ids a drag text offers: members only, each once, in order.
    static QStringList DroppedMembers(const QString& dragText);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::function<void(const QStringList&)> m_onDrop;
};
