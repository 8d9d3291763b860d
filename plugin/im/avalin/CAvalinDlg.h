// The IM window: the member tree and the two message lists on three tabs, a toolbar and a
// menu bar per tab, four large buttons and the task-tray menu. It shows the application's
// state and hands every command to it; closing or minimising only hides it.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QBasicTimer>
#include <QHash>
#include <QKeyCombination>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class CAvalinApp;
class CMessagePage;
class CNewPage;
class CPresenceList;
class CSendPage;
class QAction;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QToolBar;
class QVBoxLayout;

class CAvalinDlg : public QWidget {
    Q_OBJECT

public:
    // Posted to the window to open the free-input status dialog.
    static constexpr int kFreeInputMessage = 0x9102;

    explicit CAvalinDlg(CAvalinApp& app, QWidget* parent = nullptr);
    ~CAvalinDlg() override;

    void OnLoggedOn();
    void OnLoggedOff();
    // The preset items of every status menu show the presets' current texts.
    void RefreshStatusMenus();
    void RestoreAndRaise();
    void ShowTrayMenu();
    bool IsStatusDialogOpen() const;

    // Accelerators of the current tab (and of the plug-in's dialogs) before normal delivery;
    // true when the event was used.
    bool PreTranslate(MSG* msg);
    // The command of a key in a tab's accelerator table, 0 when none.
    static int AcceleratorCommand(int tab, QKeyCombination key);

    int CurrentTab() const;
    void SelectTab(int tab);
    QList<int> SelectedRows() const;
    CPresenceList* PresenceList() const { return m_list; }
    CNewPage* NewPage() const { return m_newPage; }
    CSendPage* SendPage() const { return m_sendPage; }
    // The message page of a tab, null for the member tab.
    CMessagePage* MessagePage(int tab) const;
    // The layout of a new window: first size, centred, member tab, default columns and sorts.
    void ResetLayout();
    // Runs or stops the one-second inactivity timer.
    void SetIdleTimer(bool running);
    bool IsIdleTimerRunning() const { return m_idleTimer.isActive(); }
    // Looks at the clock: on a new day the date columns of both lists are drawn again.
    void RefreshDates();
    QMenuBar* MenuBar(int tab) const { return m_menuBars.value(tab); }
    QToolBar* ToolBar() const { return m_toolbar; }
    QPushButton* Button(int command) const;
    QMenu* TrayMenu() const { return m_trayMenu; }

    // Runs a command as the menus, toolbar, buttons and accelerators do.
    void OnCommand(int command);
    // Enables the toolbar and buttons from the current state.
    void UpdateCommandUi();

    // Modal questions owned by the window.
    bool Ask(const QString& caption, const QString& text);
    void Warn(const QString& caption, const QString& text, QWidget* over = nullptr,
              QMessageBox::Icon icon = QMessageBox::Warning);
    // 0 message, 1 chat, -1 neither.
    int ChooseMessageOrChat(const QString& memberName);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct MenuItem;
    void BuildMenus();
    QMenu* BuildMenu(const QString& title, const QList<MenuItem>& items);
    QAction* AddCommand(QMenu* menu, uint32_t text, int command, const QString& key = {});
    QMenu* NewStatusMenu();
    QMenu* NewSettingMenu();
    void PrepareMenu(QMenu* menu);
    void BuildToolbar(int tab);
    void BuildButtons(QWidget* area);
    void OnTabChanged(int tab);
    void SortBy(int position, bool ascending);
    void DropMenu(QMenu* menu, int command);
    void ShowMemberMenu(int row, const QPoint& at);
    void ShowMessageMenu(int tab, const QPoint& at);
    void OpenFreeInput();
    void OpenPresetList();
    void ApplyWinPos();
    void SaveLayout();
    QString TabTitle(int tab) const;

    CAvalinApp& m_app;
    QVBoxLayout* m_layout = nullptr;
    QList<QMenuBar*> m_menuBars;
    QToolBar* m_toolbar = nullptr;
    QTabWidget* m_tabs = nullptr;
    CPresenceList* m_list = nullptr;
    CNewPage* m_newPage = nullptr;
    CSendPage* m_sendPage = nullptr;
    QMenu* m_messageMenus[2] = {};
    QHash<int, QPushButton*> m_buttons;
    QMenu* m_trayMenu = nullptr;
    QMenu* m_settingDrop = nullptr;
    QMenu* m_memberMenus[3] = {};
    QList<QMenu*> m_statusMenus;
    QList<QMenu*> m_ownedMenus;
    QPointer<QWidget> m_statusDialog;
    QBasicTimer m_idleTimer;
    QSize m_initialSize;
};
