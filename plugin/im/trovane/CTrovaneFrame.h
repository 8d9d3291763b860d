// The message box window: the folder tree beside the message list over the preview, with
// menus, accelerators, context menus, a toolbar and a status bar that carries the load's
// progress. Closing it hides it; the application object owns it and destroys it at log-off and
// at the end of the program.
#pragma once

#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovaneFindDialog.h"
#include "plugin/im/trovane/CTrovaneThreadDialog.h"
#include "plugin/im/trovane/CTrovaneTransCondDialog.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <functional>
#include <optional>

class CTrovaneFrameDrag;
class CTrovaneListModel;
class CTrovaneMessage;
class CTrovanePreview;
class CTrovaneStore;
class CTrovaneTransCondList;
class CTrovaneTreeModel;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTableView;
class QTextDocument;
class QTreeView;

// What the window asks of the application object (and through it of the core), and the
// questions it asks the user (tests answer them).
struct CTrovaneFrameActions {
    // The body of an entry, fetched from the core when the entry does not hold it.
    std::function<QString(CTrovaneMessage&)> body;
    // Asks the core to mark a received message read; the flags come back as a change.
    std::function<void(const CTrovaneMessage&)> markRead;
    // The core's message directory (attachments lie below it).
    std::function<QString()> messageDir;
    // A request of the message plug-in: new message (no entry), reply, reply to all, forward,
    // open, edit again (a draft then leaves the core and the box).
    std::function<void(int kind, CTrovaneMessage* entry)> beginMessage;
    // Turns an entry's dog-ear mark on or off.
    std::function<void(CTrovaneMessage&, bool on)> setDogear;
    // Removes an entry's message from the core for good (the box entry is the caller's).
    std::function<void(const CTrovaneMessage&)> removeFromCore;
    // The message properties module, help and the version window.
    std::function<void(const CTrovaneMessage&)> property;
    std::function<void()> help;
    std::function<void()> version;
    // Rebuilds the index from the core's message directory.
    std::function<void()> restore;
    // Export and import of messages.
    std::function<void()> exportMessages;
    std::function<void()> importMessages;
    // Names of members and groups for dropped member text; nothing when unknown.
    std::function<std::optional<QString>(const QString&)> memberName;
    std::function<std::optional<QString>(const QString&)> groupName;
    // OK / Cancel question, warning and information boxes (title, text).
    std::function<bool(const QString&, const QString&)> question;
    std::function<void(const QString&, const QString&)> warn;
    std::function<void(const QString&, const QString&)> inform;
    // A file to save to (title, proposed path, filter); empty when cancelled.
    std::function<QString(const QString&, const QString&, const QString&)> savePath;
    // Opens a file with the desktop's program for it.
    std::function<void(const QString& path)> openFile;
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
    CTrovaneFrame(CTrovaneStore& store, CTrovaneTransCondList& conditions, void* resources,
                  CTrovaneFrameActions actions, QWidget* parent = nullptr);
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
    // Makes an entry's folder current and selects the entry (find and thread windows).
    void ShowEntry(uint32_t localNumber);
    uint32_t CurrentFolder() const;
    void SetPlacement(const CTrovanePlacement& placement);
    CTrovanePlacement Placement() const;

    // Runs a command as its menu item, accelerator or button does.
    void Execute(int command);
    // What the enabled state of the commands depends on, as it is now.
    CTrovaneCommands::Context MenuContext() const;
    bool IsCommandEnabled(int command) const;
    // The action of a command in the main menu or the accelerator table (null for none).
    QAction* Action(int command) const { return m_commandActions.value(command); }
    // A context menu as the window builds it (the caller owns it).
    QMenu* BuildMenu(CTrovaneCommands::Menu menu, QWidget* parent);
    // Whether the find or thread window holds the box; warns when it does.
    bool Busy();
    // The page the print commands print, for the entry on show; false with none.
    bool BuildPrintDocument(QTextDocument& document) const;
    // The temporary directory through which attachments leave the box.
    QString TempDir() const { return m_tempDir; }
    // The attachments chosen in the attachment list, copied into the temporary directory;
    // empty (after a warning) when one of them is missing.
    QStringList CopySelectedAttachments();

    QProgressBar* LoadProgress() const { return m_progress; }
    QTreeView* Tree() const { return m_tree; }
    QTableView* List() const { return m_list; }
    CTrovaneListModel* ListModel() const { return m_listModel; }
    CTrovaneTreeModel* TreeModel() const { return m_treeModel; }
    CTrovanePreview* Preview() const { return m_preview; }
    CTrovaneTransCondDialog* TransCondDialog() const { return m_transCond; }
    CTrovaneFindDialog* FindDialog() const { return m_find; }
    // The find window on the current folder (raised when one is open already).
    void OpenFind();
    // Messages and folders dragged onto the tree.
    CTrovaneFrameDrag* Drag() const { return m_drag; }
    // The thread window of the one selected row.
    void OpenThread();
    CTrovaneThreadDialog* ThreadDialog() const { return m_thread; }
    // The transfer setting window for the current folder or for the selected rows.
    void OpenTransCondDialog(bool forMessages);
    QString StatusText() const;
    QList<CTrovaneMessage*> SelectedEntries() const;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString Text(uint32_t id) const;
    void BuildMenus();
    void BuildAccelerators();
    void BuildToolBar();
    QAction* CommandAction(int command, const QString& text, QObject* owner);
    void UpdateMenuState(QMenu* menu);
    void UpdateToolBar();
    void OnFolderChosen();
    void OnRowChosen();
    void OnHeaderClicked(int column);
    void ShowMarkSortMenu();
    void ShowTreeMenu(const QPoint& at);
    void ShowListMenu(const QPoint& at);
    void ApplyColumnState();
    void UpdateStatus();
    bool Confirm(uint32_t text);
    void Warn(uint32_t text);
    CTrovaneMessage* OneSelected() const;

    // Folder commands.
    void NewFolder();
    void RenameFolder();
    void FolderToTrash();
    void DeleteFolderForGood(uint32_t folderId);
    void EmptyTrash();
    void TransferFolder();
    // Message commands.
    void MessagesToTrash();
    void DeleteMessagesForGood();
    void DeleteKey();
    void BeginMessage(int kind);
    void OpenSelected();
    void OpenEntry(CTrovaneMessage* entry);
    void SelectAll();
    void Copy();
    void NextPane();
    // Attachments.
    void OpenAttachment();
    void SaveAttachment();
    void DragAttachments();
    void Print(bool preview);
    // Removes from the core the messages of a folder's subtree.
    void RemoveSubtreeFromCore(uint32_t folderId);

    CTrovaneStore& m_store;
    CTrovaneTransCondList& m_conditions;
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
    QHash<int, QAction*> m_commandActions;
    QList<QAction*> m_toolActions;
    QPointer<CTrovaneTransCondDialog> m_transCond;
    QPointer<CTrovaneFindDialog> m_find;
    QPointer<CTrovaneThreadDialog> m_thread;
    CTrovaneFrameDrag* m_drag = nullptr;
    QString m_tempDir;
    bool m_applyingColumns = false;
    std::function<void()> m_onHidden;
};
