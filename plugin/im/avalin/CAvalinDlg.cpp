#include "plugin/im/avalin/CAvalinDlg.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CAvalinApp.h"
#include "plugin/im/avalin/CAvalinSettings.h"
#include "plugin/im/avalin/CChangeStatusDlg.h"
#include "plugin/im/avalin/CMemberTreeModel.h"
#include "plugin/im/avalin/CMessageList.h"
#include "plugin/im/avalin/CNewPage.h"
#include "plugin/im/avalin/CSendPage.h"
#include "plugin/im/avalin/CPresenceList.h"
#include "plugin/im/avalin/CStatusListDlg.h"
#include "plugin/im/avalin/CWinPos.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSizeGrip>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace {

using namespace AvalinCmd;

// A menu entry: a command with its caption number and key hint, a separator (command 0),
// or one of the shared submenus.
enum Submenu { NoSubmenu, StatusSubmenu, SettingSubmenu };

struct Accelerator {
    QKeyCombination key;
    int command;
};

QList<Accelerator> PresetKeys() {
    QList<Accelerator> keys;
    for (int i = 0; i < 11; ++i)
        keys.append({QKeyCombination(Qt::Key(Qt::Key_F2 + i)), PresetCommand(i)});
    return keys;
}

// Tables 4013 (members), 4014 (new messages) and 4015 (sent messages).
const QList<Accelerator>& AcceleratorTable(int tab) {
    static const QList<Accelerator> common = [] {
        QList<Accelerator> keys = PresetKeys();
        keys += {{Qt::CTRL | Qt::Key_S, FreeInput},
                 {Qt::Key_Return, PressFocused},
                 {Qt::Key_Enter, PressFocused},
                 {Qt::ALT | Qt::Key_X, Exit},
                 {Qt::CTRL | Qt::Key_B, MessageBox},
                 {Qt::CTRL | Qt::Key_N, NewMessage},
                 {Qt::Key_F1, Help},
                 {Qt::Key_Tab, NextControl},
                 {Qt::SHIFT | Qt::Key_Backtab, PrevControl},
                 {Qt::Key_Backtab, PrevControl}};
        return keys;
    }();
    static const QList<Accelerator> members = [] {
        QList<Accelerator> keys = common;
        keys += {{Qt::CTRL | Qt::Key_M, SelectMessage},
                 {Qt::ALT | Qt::Key_Return, Property},
                 {Qt::ALT | Qt::Key_Enter, Property},
                 {Qt::CTRL | Qt::Key_C, Chat}};
        return keys;
    }();
    return tab == 0 ? members : common;
}

QString KeyHint(const char* key) {
    return QKeySequence(QString::fromLatin1(key)).toString(QKeySequence::NativeText);
}

constexpr int kToolButton = 32;
constexpr int kToolImage = 24;

} // namespace

struct CAvalinDlg::MenuItem {
    uint32_t text = 0;
    int command = 0;
    const char* key = nullptr;
    Submenu submenu = NoSubmenu;
};

CAvalinDlg::CAvalinDlg(CAvalinApp& app, QWidget* parent) : QWidget(parent, Qt::Window), m_app(app) {
    setObjectName(QStringLiteral("ZeltaIMWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    const CObrixTable& core = app.Obrix();
    void* own = core.GetResHandle ? core.GetResHandle() : nullptr;
    QIcon icon = CResourceLoader::LoadIcon(own, AvalinRes::WindowIcon);
    if (icon.isNull())
        icon = CResourceLoader::LoadIcon(app.Resources(), AvalinRes::WindowIcon);
    setWindowIcon(icon);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(4);

    BuildMenus();

    m_toolbar = new QToolBar(this);
    m_toolbar->setIconSize(QSize(kToolImage, kToolImage));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_layout->addWidget(m_toolbar);

    m_tabs = new QTabWidget(this);
    const QList<QPixmap> tabImages = CResourceLoader::LoadBitmapTiles(
        app.Resources(), AvalinRes::TabImages, devicePixelRatioF());
    m_list = new CPresenceList(&app.Model(), &app.StatusIcons(), app.Resources());
    m_newPage = new CNewPage(core, app.Resources());
    m_sendPage = new CSendPage(core, app.Resources());
    const uint32_t tabTexts[3] = {AvalinRes::TextMembersTab, AvalinRes::TextNewTab,
                                  AvalinRes::TextSentTab};
    QWidget* pages[3] = {m_list, m_newPage, m_sendPage};
    for (int tab = 0; tab < 3; ++tab) {
        m_tabs->addTab(pages[tab], app.Text(tabTexts[tab]));
        if (tab < tabImages.size())
            m_tabs->setTabIcon(tab, QIcon(tabImages[tab]));
    }
    auto* tabArea = new QWidget(this);
    auto* tabLayout = new QVBoxLayout(tabArea);
    tabLayout->setContentsMargins(6, 0, 6, 0);
    tabLayout->addWidget(m_tabs);
    m_layout->addWidget(tabArea, 1);

    auto* buttonArea = new QWidget(this);
    BuildButtons(buttonArea);
    m_layout->addWidget(buttonArea);

    auto* gripRow = new QHBoxLayout;
    gripRow->setContentsMargins(0, 0, 0, 0);
    gripRow->addStretch(1);
    gripRow->addWidget(new QSizeGrip(this), 0, Qt::AlignBottom | Qt::AlignRight);
    m_layout->addLayout(gripRow);

    connect(m_tabs, &QTabWidget::currentChanged, this, &CAvalinDlg::OnTabChanged);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CAvalinDlg::UpdateCommandUi);
    connect(&app.Model(), &QAbstractItemModel::modelReset, this, &CAvalinDlg::UpdateCommandUi);
    connect(&app.Model(), &CMemberTreeModel::ExpandedChanged, this,
            [this] { m_app.SaveExpandedGroups(); });
    connect(m_list, &CPresenceList::MemberActivated, this,
            [this](int row) { m_app.ActivateMember(row); });
    connect(m_list, &CPresenceList::UrlClicked, this,
            [this](const QString& url) { m_app.OpenUrl(url); });
    connect(m_list, &CPresenceList::FilesDropped, this,
            [this](const QString& target, const QStringList& paths) {
                m_app.SendFiles(target, paths);
            });
    connect(m_list, &CPresenceList::ContextMenuWanted, this, &CAvalinDlg::ShowMemberMenu);
    for (int tab = 1; tab < 3; ++tab) {
        CMessagePage* page = MessagePage(tab);
        connect(page, &CMessagePage::SelectionChanged, this, &CAvalinDlg::UpdateCommandUi);
        connect(page, &CMessagePage::ContextMenuWanted, this,
                [this, tab](const QPoint& at) { ShowMessageMenu(tab, at); });
    }
    // A day can turn while nothing is drawn; the date columns follow within a minute.
    auto* dayCheck = new QTimer(this);
    connect(dayCheck, &QTimer::timeout, this, &CAvalinDlg::RefreshDates);
    dayCheck->start(60 * 1000);

    BuildToolbar(0);
    RefreshStatusMenus();
    UpdateCommandUi();
    setWindowTitle(TabTitle(0));

    // The first size is also the smallest the window may take.
    // Wide enough for the three tab names side by side.
    const int tabsWidth = m_tabs->tabBar()->sizeHint().width() + 2 * 6 + 8;
    const QSize initial = sizeHint().expandedTo(QSize(std::max(300, tabsWidth), 470));
    resize(initial);
    setMinimumSize(initial);
    m_initialSize = initial;
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    m_list->setFocus();
    m_app.ArmHook(this);
    if (core.SetMainWnd)
        core.SetMainWnd(this);
}

CAvalinDlg::~CAvalinDlg() {
    m_app.DisarmHook();
    m_idleTimer.stop();
    delete m_statusDialog.data();
    for (QMenu* menu : std::as_const(m_ownedMenus))
        delete menu;
}

// ---- menus ----

QAction* CAvalinDlg::AddCommand(QMenu* menu, uint32_t text, int command, const QString& key) {
    QString caption = m_app.Text(text);
    if (!key.isEmpty())
        caption += u'\t' + key;
    QAction* action = menu->addAction(caption);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    return action;
}

QMenu* CAvalinDlg::BuildMenu(const QString& title, const QList<MenuItem>& items) {
    auto* menu = new QMenu(title);
    m_ownedMenus.append(menu);
    for (const MenuItem& item : items) {
        if (item.submenu == StatusSubmenu) {
            menu->addMenu(NewStatusMenu());
        } else if (item.submenu == SettingSubmenu) {
            menu->addMenu(NewSettingMenu());
        } else if (item.command == 0) {
            menu->addSeparator();
        } else {
            AddCommand(menu, item.text, item.command, item.key ? KeyHint(item.key) : QString());
        }
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { PrepareMenu(menu); });
    return menu;
}

QMenu* CAvalinDlg::NewStatusMenu() {
    QList<MenuItem> items;
    for (int i = 0; i < 11; ++i)
        items.append({0, PresetCommand(i)});
    items += {{}, {1053, FreeInput, "Ctrl+S"}, {1054, PresetList}};
    auto* menu = new QMenu(m_app.Text(1046));
    m_ownedMenus.append(menu);
    for (const MenuItem& item : items) {
        if (item.command == 0)
            menu->addSeparator();
        else
            AddCommand(menu, item.text, item.command, item.key ? KeyHint(item.key) : QString());
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { PrepareMenu(menu); });
    m_statusMenus.append(menu);
    return menu;
}

QMenu* CAvalinDlg::NewSettingMenu() {
    return BuildMenu(m_app.Text(1044), {{1055, OptionGeneral},
                                        {1056, OptionPresence},
                                        {1057, OptionMessage},
                                        {1058, OptionChat},
                                        {1059, OptionNotify}});
}

void CAvalinDlg::BuildMenus() {
    const QList<MenuItem> file = {{1050, NewMessage, "Ctrl+N"},
                                  {1051, MessageBox, "Ctrl+B"},
                                  {1052, Chat, "Ctrl+C"},
                                  {},
                                  {0, 0, nullptr, StatusSubmenu},
                                  {},
                                  {AvalinRes::TextLogon, Logon},
                                  {},
                                  {1060, Close},
                                  {1061, Exit, "Alt+X"}};
    const QList<MenuItem> help = {{1084, Help, "F1"}, {1085, Version}, {1086, WebSite}};
    const QList<QList<MenuItem>> views = {
        {{1063, SortName},
         {1064, SortOnOff},
         {1065, SortStatus},
         {1066, SortID},
         {},
         {1062, Order}},
        {{1067, SortDate}, {1068, SortFrom}, {1070, SortSubject}, {}, {1062, Order}},
        {{1067, SortDate}, {1069, SortTo}, {1070, SortSubject}, {}, {1062, Order}}};
    const QList<MenuItem> messages[2] = {{{1077, Reply},
                                          {1079, ReplyAll},
                                          {1080, Open},
                                          {1081, Transfer},
                                          {},
                                          {1071, Property, "Alt+Return"},
                                          {},
                                          {1082, Clear},
                                          {1083, ClearAll}},
                                         {{1078, ReEdit},
                                          {1080, Open},
                                          {1081, Transfer},
                                          {},
                                          {1071, Property, "Alt+Return"},
                                          {},
                                          {1082, Clear},
                                          {1083, ClearAll}}};
    for (int tab = 0; tab < 3; ++tab) {
        auto* bar = new QMenuBar(this);
        bar->addMenu(BuildMenu(m_app.Text(1040), file));
        bar->addMenu(BuildMenu(m_app.Text(1041), views[tab]));
        if (tab == 0)
            bar->addMenu(BuildMenu(m_app.Text(1042), {{1074, SelectMessage, "Ctrl+M"},
                                                      {1073, SelectChat},
                                                      {1075, OnNettersMessage},
                                                      {},
                                                      {1071, Property, "Alt+Return"},
                                                      {1072, MyProperty},
                                                      {1076, SettingSound}}));
        else
            bar->addMenu(BuildMenu(m_app.Text(1043), messages[tab - 1]));
        bar->addMenu(NewSettingMenu());
        bar->addMenu(BuildMenu(m_app.Text(1045), help));
        bar->setVisible(tab == 0);
        m_menuBars.append(bar);
    }
    m_layout->setMenuBar(m_menuBars[0]);

    // Pop-ups of the member tree (group, member, own row) and of the task tray.
    m_memberMenus[0] = BuildMenu(m_app.Text(1047), {{1075, OnNettersMessage},
                                                    {1074, SelectMessage},
                                                    {},
                                                    {1071, Property, "Alt+Return"}});
    m_memberMenus[1] = BuildMenu(QString(), {{1074, SelectMessage, "Ctrl+M"},
                                             {1073, SelectChat},
                                             {},
                                             {1076, SettingSound},
                                             {1071, Property, "Alt+Return"}});
    m_memberMenus[2] = BuildMenu(m_app.Text(1048), {{0, 0, nullptr, StatusSubmenu},
                                                    {},
                                                    {1072, MyProperty}});
    m_trayMenu = BuildMenu(QString(), {{1087, OpenWindow},
                                       {},
                                       {0, 0, nullptr, StatusSubmenu},
                                       {},
                                       {1050, NewMessage},
                                       {1051, MessageBox},
                                       {1052, Chat},
                                       {},
                                       {0, 0, nullptr, SettingSubmenu},
                                       {},
                                       {AvalinRes::TextLogon, Logon},
                                       {1061, Exit}});
    m_settingDrop = NewSettingMenu();
    // Pop-ups of the message lists (4019, 4020).
    m_messageMenus[0] = BuildMenu(QString(), messages[0]);
    m_messageMenus[1] = BuildMenu(QString(), messages[1]);
}

void CAvalinDlg::PrepareMenu(QMenu* menu) {
    const AvalinCommandState state = m_app.CommandState(CurrentTab(), SelectedRows());
    const CMemberTreeModel& model = m_app.Model();
    for (QAction* action : menu->actions()) {
        const int command = action->data().toInt();
        if (command == 0)
            continue;
        action->setEnabled(AvalinCommands::IsEnabled(command, state));
        if (command == Logon)
            action->setText(
                m_app.Text(m_app.IsLoggedOn() ? AvalinRes::TextLogoff : AvalinRes::TextLogon));
        const int sortPosition = command == SortName     ? 1
                                 : command == SortOnOff  ? 2
                                 : command == SortStatus ? 3
                                 : command == SortID     ? 4
                                                         : 0;
        const int messageSort = command == SortDate                        ? 1
                                : command == SortFrom || command == SortTo ? 2
                                : command == SortSubject                   ? 3
                                                                           : 0;
        const CMessagePage* page = MessagePage(CurrentTab());
        if (sortPosition) {
            action->setCheckable(true);
            action->setChecked(model.SortColumn() == sortPosition - 1);
        } else if (messageSort && page) {
            action->setCheckable(true);
            action->setChecked(page->SortPosition() == messageSort);
        } else if (command == Order) {
            action->setCheckable(true);
            action->setChecked(page ? page->Ascending() : model.SortAscending());
        }
    }
}

void CAvalinDlg::RefreshStatusMenus() {
    const CPresetList& presets = m_app.Presets();
    for (QMenu* menu : std::as_const(m_statusMenus)) {
        for (QAction* action : menu->actions()) {
            const int index = PresetIndex(action->data().toInt());
            if (index < 0 || index >= presets.Count())
                continue;
            action->setText(
                AvalinStatus::MenuEscaped(AvalinStatus::Shown(presets.At(index).GetStatus())) +
                m_app.Text(AvalinRes::TextPresetKey + uint32_t(index)));
        }
    }
}

// ---- toolbar and buttons ----

void CAvalinDlg::BuildToolbar(int tab) {
    struct Tool {
        int command;
        uint32_t image;
        uint32_t tip;
    };
    const bool on = m_app.IsLoggedOn();
    const Tool logon{Logon, on ? 107u : 106u, on ? 262u : 261u};
    QList<Tool> tools = {{StatusMenu, 604, 290}};
    if (tab == 0)
        tools += {{SelectChat, 311, 336}, {SelectMessage, 110, 335}, {MessageBox, 303, 304}};
    else
        tools += {tab == 1 ? Tool{Reply, 111, 264} : Tool{ReEdit, 111, 1088},
                  {Open, 109, 266},
                  {Clear, 108, 267},
                  {Transfer, 113, 268}};
    tools += {{SettingMenu, 260, 263}, logon};
    m_toolbar->clear();
    for (const Tool& tool : tools) {
        QAction* action = m_toolbar->addAction(
            QIcon(CResourceLoader::LoadBitmap(m_app.Resources(), tool.image, devicePixelRatioF())),
            m_app.Text(tool.tip));
        action->setToolTip(m_app.Text(tool.tip));
        action->setData(tool.command);
        const int command = tool.command;
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
        if (QWidget* button = m_toolbar->widgetForAction(action))
            button->setFixedSize(kToolButton, kToolButton);
    }
    UpdateCommandUi();
}

void CAvalinDlg::BuildButtons(QWidget* area) {
    struct Big {
        int command;
        uint32_t text;
        uint32_t image;
    };
    const Big buttons[4] = {{StatusChangeButton, 307, 116},
                            {ChatButton, 166, 306},
                            {NewMessageButton, 164, 114},
                            {MessageBoxButton, 165, 115}};
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(6, 0, 6, 0);
    grid->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        auto* button =
            new QPushButton(QIcon(CResourceLoader::LoadBitmap(m_app.Resources(), buttons[i].image,
                                                              devicePixelRatioF())),
                            m_app.Text(buttons[i].text), area);
        button->setIconSize(QSize(kToolImage, kToolImage));
        button->setMinimumHeight(36);
        button->setAutoDefault(false);
        button->setAttribute(Qt::WA_Hover);
        const int command = buttons[i].command;
        connect(button, &QPushButton::clicked, this, [this, command] { OnCommand(command); });
        grid->addWidget(button, i / 2, i % 2);
        m_buttons.insert(command, button);
    }
}

QPushButton* CAvalinDlg::Button(int command) const {
    return m_buttons.value(command);
}

void CAvalinDlg::UpdateCommandUi() {
    if (!m_toolbar)
        return;
    const AvalinCommandState state = m_app.CommandState(CurrentTab(), SelectedRows());
    for (QAction* action : m_toolbar->actions())
        action->setEnabled(AvalinCommands::IsEnabled(action->data().toInt(), state));
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setEnabled(AvalinCommands::IsEnabled(it.key(), state));
}

// ---- tabs, sorting, layout ----

int CAvalinDlg::CurrentTab() const {
    return m_tabs ? m_tabs->currentIndex() : 0;
}

void CAvalinDlg::SelectTab(int tab) {
    if (tab >= 0 && tab < m_tabs->count())
        m_tabs->setCurrentIndex(tab);
}

QList<int> CAvalinDlg::SelectedRows() const {
    if (const CMessagePage* page = MessagePage(CurrentTab()))
        return page->List()->SelectedRows();
    return m_list && CurrentTab() == 0 ? m_list->SelectedRows() : QList<int>();
}

CMessagePage* CAvalinDlg::MessagePage(int tab) const {
    return tab == 1 ? static_cast<CMessagePage*>(m_newPage)
           : tab == 2 ? static_cast<CMessagePage*>(m_sendPage)
                      : nullptr;
}

void CAvalinDlg::RefreshDates() {
    if (m_newPage)
        m_newPage->Model().RefreshDates();
    if (m_sendPage)
        m_sendPage->Model().RefreshDates();
}

QString CAvalinDlg::TabTitle(int tab) const {
    const uint32_t names[3] = {AvalinRes::TextMembersTab, AvalinRes::TextNewTab,
                               AvalinRes::TextSentTab};
    return CResourceLoader::Format(m_app.Resources(), AvalinRes::TextWindowTitle,
                                   {m_app.Text(names[qBound(0, tab, 2)])});
}

void CAvalinDlg::OnTabChanged(int tab) {
    for (int i = 0; i < m_menuBars.size(); ++i)
        m_menuBars[i]->setVisible(i == tab);
    if (tab >= 0 && tab < m_menuBars.size())
        m_layout->setMenuBar(m_menuBars[tab]);
    BuildToolbar(tab);
    setWindowTitle(TabTitle(tab));
}

void CAvalinDlg::SortBy(int position, bool ascending) {
    if (position >= 1 && position <= 4)
        m_app.Model().Sort(CMemberTreeModel::SortKey(position - 1), ascending);
}

void CAvalinDlg::ApplyWinPos() {
    const auto pos = CWinPos::Parse(
        CAvalinSettings::ReadString(m_app.Obrix(), u"IMWINDOW", u"WinPos", QString()));
    if (!pos)
        return;
    setGeometry(QRect(pos->normal.topLeft(), pos->normal.size().expandedTo(minimumSize())));
    if (pos->showCommand == CWinPos::kMaximised)
        showMaximized();
    else
        showNormal();
}

void CAvalinDlg::OnLoggedOn() {
    const CObrixTable& core = m_app.Obrix();
    SelectTab(CAvalinSettings::ReadInt(core, u"IMWINDOW", u"TabSel", 0));
    m_list->ApplyColumnSizes(CAvalinSettings::ReadString(core, u"PresencePage", u"ColSize",
                                                         QStringLiteral("19:100:70")));
    m_list->SetMemberColumnWidth(m_app.Settings().memberColumn);
    SortBy(CAvalinSettings::ReadInt(core, u"PresencePage", u"SortIndex", 1),
           CAvalinSettings::ReadInt(core, u"PresencePage", u"SortAsc", 1) != 0);
    m_newPage->LoadLayout();
    m_sendPage->LoadLayout();
    ApplyWinPos();
    m_list->SetAcceptFiles(true);
    BuildToolbar(CurrentTab());
    RefreshStatusMenus();
}

void CAvalinDlg::SaveLayout() {
    const CObrixTable& core = m_app.Obrix();
    CAvalinSettings::WriteInt(core, u"IMWINDOW", u"TabSel", CurrentTab());
    CAvalinSettings::WriteString(core, u"PresencePage", u"ColSize", m_list->ColumnSizes());
    CAvalinSettings::WriteInt(core, u"PresencePage", u"SortIndex",
                              int(m_app.Model().SortColumn()) + 1);
    CAvalinSettings::WriteInt(core, u"PresencePage", u"SortAsc",
                              m_app.Model().SortAscending() ? 1 : 0);
    m_newPage->SaveLayout();
    m_sendPage->SaveLayout();
    CWinPos pos;
    pos.showCommand = isMaximized() ? CWinPos::kMaximised : isVisible() ? CWinPos::kNormal : 2;
    pos.normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    CAvalinSettings::WriteString(core, u"IMWINDOW", u"WinPos", pos.ToString());
}

void CAvalinDlg::OnLoggedOff() {
    SaveLayout();
    delete m_statusDialog.data();
    m_list->SetAcceptFiles(false);
    m_newPage->RemoveAll();
    m_sendPage->RemoveAll();
    BuildToolbar(CurrentTab());
}

// ---- commands ----

void CAvalinDlg::OnCommand(int command) {
    const AvalinCommandState state = m_app.CommandState(CurrentTab(), SelectedRows());
    if (!AvalinCommands::IsEnabled(command, state))
        return;
    switch (command) {
    case FreeInput:
    case StatusChangeButton:
        QCoreApplication::postEvent(this, new CWndMessageEvent(kFreeInputMessage));
        return;
    case PresetList:
        OpenPresetList();
        return;
    case Close:
        hide();
        return;
    case Order:
        if (CMessagePage* page = MessagePage(CurrentTab()))
            page->SortByPosition(page->SortPosition(), !page->Ascending());
        else
            SortBy(int(m_app.Model().SortColumn()) + 1, !m_app.Model().SortAscending());
        return;
    case SortDate:
    case SortFrom:
    case SortTo:
    case SortSubject:
        if (CMessagePage* page = MessagePage(CurrentTab()))
            page->SortByPosition(command == SortDate      ? 1
                                 : command == SortSubject ? 3
                                                          : 2,
                                 page->Ascending());
        return;
    case SortName:
    case SortOnOff:
    case SortStatus:
    case SortID:
        SortBy(command == SortName     ? 1
               : command == SortOnOff  ? 2
               : command == SortStatus ? 3
                                       : 4,
               m_app.Model().SortAscending());
        return;
    case OpenWindow:
        RestoreAndRaise();
        return;
    case StatusMenu:
        // The status submenu of the current tab's menu bar.
        DropMenu(m_statusMenus.value(CurrentTab()), StatusMenu);
        return;
    case SettingMenu:
        DropMenu(m_settingDrop, SettingMenu);
        return;
    case NextControl:
    case PrevControl:
        focusNextPrevChild(command == NextControl);
        return;
    default:
        m_app.RunCommand(command);
        UpdateCommandUi();
        return;
    }
}

void CAvalinDlg::DropMenu(QMenu* menu, int command) {
    if (!menu)
        return;
    QPoint at = QCursor::pos();
    for (QAction* action : m_toolbar->actions()) {
        if (action->data().toInt() == command) {
            if (QWidget* button = m_toolbar->widgetForAction(action))
                at = button->mapToGlobal(QPoint(0, button->height()));
        }
    }
    menu->exec(at);
}

void CAvalinDlg::ShowMessageMenu(int tab, const QPoint& at) {
    if (tab == 1 || tab == 2)
        m_messageMenus[tab - 1]->exec(at);
}

void CAvalinDlg::ShowMemberMenu(int row, const QPoint& at) {
    const CMemberTreeModel::Kind kind = m_app.Model().RowKind(row);
    if (kind == CMemberTreeModel::NoRow || !m_app.IsLoggedOn())
        return;
    m_memberMenus[kind]->exec(at);
}

bool CAvalinDlg::IsStatusDialogOpen() const {
    return m_statusDialog != nullptr;
}

void CAvalinDlg::OpenFreeInput() {
    if (!m_app.IsLoggedOn() || m_statusDialog)
        return;
    CChangeStatusDlg dlg(m_app, -1, this);
    m_statusDialog = &dlg;
    if (dlg.exec() == QDialog::Accepted)
        m_app.SendStatus(dlg.Result());
}

void CAvalinDlg::OpenPresetList() {
    if (m_statusDialog)
        return;
    CStatusListDlg dlg(m_app, this);
    m_statusDialog = &dlg;
    dlg.exec();
}

bool CAvalinDlg::event(QEvent* event) {
    if (int(event->type()) == kFreeInputMessage) {
        OpenFreeInput();
        return true;
    }
    if (int(event->type()) == ZeltaMsg::ActivityInput) {
        m_app.OnActivity();
        return true;
    }
    return QWidget::event(event);
}

void CAvalinDlg::closeEvent(QCloseEvent* event) {
    // The window lives on in the task tray; Exit ends the program.
    event->ignore();
    hide();
}

void CAvalinDlg::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
    else if (event->type() == QEvent::ActivationChange)
        m_list->viewport()->update();
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::LocaleChange)
        RefreshDates();
}

void CAvalinDlg::ResetLayout() {
    if (isMaximized())
        showNormal();
    resize(m_initialSize);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    SelectTab(0);
    m_list->ApplyColumnSizes(QStringLiteral("19:100:70"));
    SortBy(1, true);
    m_newPage->ResetLayout();
    m_sendPage->ResetLayout();
}

void CAvalinDlg::SetIdleTimer(bool running) {
    if (running)
        m_idleTimer.start(1000, this);
    else
        m_idleTimer.stop();
}

void CAvalinDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_idleTimer.timerId())
        m_app.OnIdleTick();
    else
        QWidget::timerEvent(event);
}

void CAvalinDlg::paintEvent(QPaintEvent* event) {
    RefreshDates();
    QWidget::paintEvent(event);
}

void CAvalinDlg::RestoreAndRaise() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void CAvalinDlg::ShowTrayMenu() {
    raise();
    activateWindow();
    m_trayMenu->exec(QCursor::pos());
}

// ---- keyboard ----

int CAvalinDlg::AcceleratorCommand(int tab, QKeyCombination key) {
    for (const Accelerator& accelerator : AcceleratorTable(tab)) {
        if (accelerator.key == key)
            return accelerator.command;
    }
    return 0;
}

bool CAvalinDlg::PreTranslate(MSG* msg) {
    if (!msg || !msg->event || msg->event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(msg->receiver);
    if (!widget || widget->window() != this || !isActiveWindow())
        return false;
    const auto* key = static_cast<QKeyEvent*>(msg->event);
    const int command = AcceleratorCommand(CurrentTab(), key->keyCombination());
    if (!command)
        return false;
    if (command == PressFocused) {
        // Enter presses a focused push button; elsewhere it keeps its own meaning.
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (!button || button->window() != this)
            return false;
        button->animateClick();
        return true;
    }
    OnCommand(command);
    return true;
}

// ---- questions ----

// Boxes with the buttons' texts from the resource module, like every other text.
bool CAvalinDlg::Ask(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, this);
    QPushButton* ok = box.addButton(m_app.Text(AvalinRes::TextOk), QMessageBox::AcceptRole);
    box.addButton(m_app.Text(AvalinRes::TextCancel), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

void CAvalinDlg::Warn(const QString& caption, const QString& text, QWidget* over,
                      QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, over ? over : this);
    box.setDefaultButton(box.addButton(m_app.Text(AvalinRes::TextOk), QMessageBox::AcceptRole));
    box.exec();
}

int CAvalinDlg::ChooseMessageOrChat(const QString& memberName) {
    QMessageBox box(QMessageBox::Question, m_app.Text(AvalinRes::TextMembersTab), memberName,
                    QMessageBox::NoButton, this);
    QPushButton* message = box.addButton(m_app.Text(164), QMessageBox::AcceptRole);
    QPushButton* chat = box.addButton(m_app.Text(166), QMessageBox::AcceptRole);
    box.addButton(m_app.Text(AvalinRes::TextCancel), QMessageBox::RejectRole);
    box.setDefaultButton(message);
    box.exec();
    if (box.clickedButton() == message)
        return 0;
    return box.clickedButton() == chat ? 1 : -1;
}
