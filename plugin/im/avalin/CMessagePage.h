// A message tab of the IM window: the list of the latest received (CNewPage) or sent
// (CSendPage) messages. It fetches each message from the core, keeps it in its list model and
// hands the commands on one message to the message module. Removing a row never deletes
// the message itself.
#pragma once

#include "obrix/ObrixApi.h"
#include "plugin/im/avalin/CMessageListModel.h"

#include <QString>
#include <QWidget>

class CLetrix;
class CMessageList;

class CMessagePage : public QWidget {
    Q_OBJECT

public:
    CMessagePage(const CObrixTable& core, void* resources, int32_t box, QWidget* parent);
    ~CMessagePage() override;

    // The box the page lists (ObrixBox::Received or Sent) and its settings section.
    int32_t Box() const { return m_box; }
    const char16_t* Section() const;
    CMessageListModel& Model() { return m_model; }
    CMessageList* List() const { return m_list; }

    // Fetches the message and lists it; an id listed already or unknown to the core does
    // nothing. At most `limit` messages stay listed. The listed message, or null.
    const CLetrix* AddMessage(const QString& messageId, int limit);
    // Flags of a listed message. Read messages leave the list unless `keepRead`.
    void ChangeFlags(const QString& messageId, uint32_t flags, bool keepRead);
    void RemoveMessage(const QString& messageId);
    // After the settings changed.
    void Refresh(int limit, bool keepRead);

    int SelectedCount() const;
    // Reply, reply all, re-edit, open, forward and property of the one selected message;
    // nothing unless exactly one row is selected.
    void RunMessageCommand(int command);
    void RemoveSelected();
    void RemoveAll();

    // Column widths and sort, from and to the page's settings.
    void LoadLayout();
    void SaveLayout() const;
    void ResetLayout();
    // View menu position 1 (date), 2 (second column), 3 (subject).
    void SortByPosition(int position, bool ascending);
    int SortPosition() const;
    bool Ascending() const { return m_model.Ascending(); }

signals:
    void ContextMenuWanted(const QPoint& globalPos);
    void SelectionChanged();

protected:
    // The second column of a message: the sender or the destinations.
    virtual QString SecondColumn(const CLetrix& message) const = 0;
    // The message module's kind for a command on this page, -1 when the page has none.
    virtual int32_t MessageKind(int command) const = 0;

    const CObrixTable& m_core;
    void* m_resources;

private:
    int32_t m_box;
    CMessageListModel m_model;
    CMessageList* m_list = nullptr;
};
