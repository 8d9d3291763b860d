// The message box window: the folder tree beside the message list over the preview, with a
// toolbar and a status bar that carries the load's progress. Closing it hides it; the
// application object owns it and destroys it at log-off and at the end of the program.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <functional>

class CTrovaneListModel;
class CTrovaneMessage;
class CTrovanePreview;
class CTrovaneStore;
class CTrovaneTreeModel;
class QLabel;
class QProgressBar;
class QSplitter;
class QTableView;
class QTreeView;

// What the window asks of the application object (and through it of the core).
struct CTrovaneFrameActions {
    // The body of an entry, fetched from the core when the entry does not hold it.
    std::function<QString(CTrovaneMessage&)> body;
    // Asks the core to mark a received message read; the flags come back as a change.
    std::function<void(const CTrovaneMessage&)> markRead;
    // Opens a new message window of the message plug-in.
    std::function<void()> newMessage;
    // The core's message directory (attachments lie below it).
    std::function<QString()> messageDir;
    // Opens an entry in the message plug-in (a draft for editing again).
    std::function<void(CTrovaneMessage&)> open;
    // Turns an entry's dog-ear mark on or off.
    std::function<void(CTrovaneMessage&, bool on)> setDogear;
};

// Where the window and its panes were, as the settings keep it.
struct CTrovanePlacement {
    QRect window{0, 0, 640, 460};
    int treeWidth = 200;
    int listHeight = 140;
};

class CTrovaneFrame : public QMainWindow {
    Q_OBJECT
public:
    // Commands of the toolbar and menus.
    enum Command {
        CmdFind = 32700,
        CmdNewMessage = 32708,
        CmdTransferSetting = 32734,
        CmdDelete = 32735,
        CmdForward = 32737,
        CmdReply = 32718,
        CmdThreadTree = 32739,
    };

    CTrovaneFrame(CTrovaneStore& store, void* resources, CTrovaneFrameActions actions,
                  QWidget* parent = nullptr);
    ~CTrovaneFrame() override;

    // Called whenever the user closes or the program hides the window in an orderly way.
    void SetOnHidden(std::function<void()> onHidden) { m_onHidden = std::move(onHidden); }

    // A new entry of the box; shown when its folder is the one displayed.
    void AddEntry(CTrovaneMessage* entry);
    // Re-reads the tree and the rows after entries or folders changed.
    void Refresh();
    // Repaints weights, marks and counts after flags changed.
    void RefreshFlags();
    // Hides the window as an orderly close does.
    void HideOrderly();
    // Shows a folder in the list (selecting it in the tree).
    void SelectFolder(uint32_t folderId);
    uint32_t CurrentFolder() const;
    void SetPlacement(const CTrovanePlacement& placement);
    CTrovanePlacement Placement() const;

    QProgressBar* LoadProgress() const { return m_progress; }
    QTreeView* Tree() const { return m_tree; }
    QTableView* List() const { return m_list; }
    CTrovaneListModel* ListModel() const { return m_listModel; }
    CTrovaneTreeModel* TreeModel() const { return m_treeModel; }
    CTrovanePreview* Preview() const { return m_preview; }
    QString StatusText() const;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    void OnFolderChosen();
    void OnRowChosen();
    void OnHeaderClicked(int column);
    void MoveSelectionToTrash();
    void UpdateStatus();
    QList<CTrovaneMessage*> SelectedEntries() const;

    CTrovaneStore& m_store;
    void* m_resources;
    CTrovaneFrameActions m_actions;
    CTrovaneTreeModel* m_treeModel = nullptr;
    CTrovaneListModel* m_listModel = nullptr;
    QTreeView* m_tree = nullptr;
    QTableView* m_list = nullptr;
    CTrovanePreview* m_preview = nullptr;
    QSplitter* m_split = nullptr;
    QSplitter* m_rightSplit = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QAction* m_deleteAction = nullptr;
    std::function<void()> m_onHidden;
};
