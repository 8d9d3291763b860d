// The thread window: the conversation of one message as a tree, the first message at the top
// and each reply below the message it answers. Selecting a message shows it in the message
// box. While the window is open it holds the name "CTrovaneThreadDialog", and the message box
// refuses to delete, move or open messages. It refreshes itself whenever it is activated and
// when the message box asks after changes.
#pragma once

#include "plugin/im/trovane/CTrovaneNamedMutex.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <functional>

class CTrovaneStore;
class CTrovaneThreadModel;
class QTreeView;

class CTrovaneThreadDialog : public QDialog {
    Q_OBJECT
public:
    // `show` makes an entry's folder current in the message box and selects the entry there.
    CTrovaneThreadDialog(CTrovaneStore& store, void* resources, const QList<QIcon>& marks,
                         std::function<void(uint32_t localNumber)> show, QWidget* parent = nullptr);
    ~CTrovaneThreadDialog() override;

    // False when another thread window holds the name; such a window must not be shown.
    bool IsHeld() const { return m_hold.Held(); }

    // Builds the thread of an entry and selects the entry's node.
    void Open(uint32_t localNumber);
    // Brings the tree up to date after messages moved or left the box.
    void Refresh();

    QTreeView* Tree() const { return m_view; }
    CTrovaneThreadModel* Model() const { return m_model; }
    // The entry of the selected node; 0 with none.
    uint32_t Selected() const;

protected:
    bool event(QEvent* event) override;

private:
    void OnSelection();
    void ExpandAsTree(bool collapseOnly = false);

    CTrovaneNamedMutex::CHold m_hold;
    CTrovaneThreadModel* m_model = nullptr;
    QTreeView* m_view = nullptr;
    std::function<void(uint32_t)> m_show;
    // Set while the tree is rebuilt, so that the rebuilding does not drive the message box.
    bool m_rebuilding = false;
};
