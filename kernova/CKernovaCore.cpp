#include "kernova/CKernovaCore.h"

#include "host/CoreApi.h"
#include "host/TaskTrayWire.h"
#include "kernova/CAuthorizeDlg.h"
#include "kernova/CGeneralPage.h"
#include "kernova/CLogonDlg.h"
#include "kernova/CMessagePorter.h"
#include "kernova/COptionSheet.h"
#include "kernova/CPasswordVault.h"
#include "kernova/CTaskTray.h"
#include "kernova/KernovaText.h"
#include "kernova/PrivateFiles.h"
#include "kernova/service/CLocalService.h"
#include "kernova/service/xmpp/ServiceSelection.h"
#include "kernova/service/CPasswordHash.h"
#include "obrix/CIMPreset.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <algorithm>

namespace {

CKernovaCore* g_instance = nullptr;

const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

QString WithSlash(QString dir) {
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QString Ensured(const QString& dir) {
    PrivateFiles::MakeDir(dir);
    return dir;
}

bool ValidScope(int32_t scope) {
    return scope == 0 || scope == 1;
}

// Account folder used before anybody has logged on; no member id starts with ".".
const QString kNoAccount = QStringLiteral(".none");
const QString kMemberIdKey = QStringLiteral("MemberID");
const QString kRememberKey = QStringLiteral("RememberID");
const QString kAutoKey = QStringLiteral("AutoLogon");
const QString kPasswordKey = QStringLiteral("Password");
const QString kAttachmentLimitKey = QStringLiteral("AttachmentLimit");
const QByteArray kCheckMagic = QByteArrayLiteral("ZPC1");

} // namespace

CKernovaCore::CKernovaCore(CHostServices& host, QObject* parent)
    : QObject(parent), m_host(host),
      m_desk(m_plugins, [this](int32_t level, const QString& text) { Log(level, text); }),
      m_chats(m_plugins) {
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &CKernovaCore::Reconnect);
    m_desk.SetStoreFailureHandler([this] { TellUnwritableOnce(m_desk.Files().Directory()); });
}

CKernovaCore::~CKernovaCore() {
    delete m_logonDlg.data();
    delete m_sheet.data();
    m_tray.reset();
    if (m_service && m_service->IsLoggedOn())
        m_service->Logoff();
    m_service.reset();
    m_plugins.Clear();
    if (m_imRes)
        CResourceLoader::CloseModule(m_imRes);
    if (g_instance == this)
        g_instance = nullptr;
}

CKernovaCore* CKernovaCore::Instance() {
    return g_instance;
}
void CKernovaCore::SetInstance(CKernovaCore* core) {
    g_instance = core;
}

// ---- Plug-ins ----

void CKernovaCore::LoadPlugins() {
    const QString dir = AppDir() + QStringLiteral("plugin/im/");
    for (const QString& problem : m_plugins.LoadDirectory(dir))
        Log(ZeltaLogLevel::Error, QStringLiteral("IM plug-in not loaded: ") + problem);
    for (const auto& plugin : m_plugins.Plugins())
        Log(ZeltaLogLevel::Notice, QStringLiteral("IM plug-in %1 (module %2) loaded.")
                                       .arg(plugin->FileName())
                                       .arg(plugin->Module()));
}

void CKernovaCore::Start() {
    if (m_started)
        return;
    m_started = true;
    // Files that an earlier run left readable by others become the user's alone.
    const QString userDir = UserDir();
    QFile::setPermissions(userDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    int unchanged = 0;
    for (const char* tree : {"account", "settings"})
        unchanged += PrivateFiles::FixTree(userDir + QLatin1String(tree));
    if (unchanged)
        Log(ZeltaLogLevel::Warning, QStringLiteral("%1 files below %2 could not be made private.")
                                        .arg(unchanged)
                                        .arg(userDir));
    m_plugins.Broadcast(&CImPlugin::OnInit);
    if (CImPlugin* presence = m_plugins.Find(ObrixModule::Presence))
        CImPluginSet::Invoke(presence->OnStart);

    m_tray = std::make_unique<CTaskTray>([this](CTaskTray::Request request) {
        if (!Begin(ObrixModule::Presence, request == CTaskTray::Restore ? 0 : 1, 0) &&
            request == CTaskTray::Menu)
            ShowOwnTrayMenu();
    });
    if (!m_tray->Listen(ZeltaTaskTray::serverPath()))
        Log(ZeltaLogLevel::Warning,
            QStringLiteral("ZeltaIMTaskTray could not listen at ") + ZeltaTaskTray::serverPath());
    // The program mark, as on the IM window; dimmed while no session runs.
    m_trayIcon = CResourceLoader::LoadIcon(IMResHandle(), 102);
    UpdateTray();
    QTimer::singleShot(0, this, &CKernovaCore::AutoLogonAtStart);
}

void CKernovaCore::Shutdown() {
    m_reconnectTimer.stop();
    delete m_logonDlg.data();
    if (m_sheet)
        m_sheet->reject();
    if (m_state == ObrixLogon::LoggedOn)
        RequestLogoff();
    EndAuthorization();
    if (m_started)
        m_plugins.BroadcastReverse(&CImPlugin::OnKill);
    m_started = false;
    m_tray.reset();
    m_plugins.Clear();
}

int32_t CKernovaCore::PreTranslate(MSG* msg) {
    if (!msg || !msg->event)
        return 0;
    if (int(msg->event->type()) == ZeltaMsg::TaskTray && m_tray) {
        if (auto* wm = dynamic_cast<CWndMessageEvent*>(msg->event))
            if (m_tray->HandleMessage(wm->message(), int32_t(wm->lParam())))
                return 1;
    }
    for (const auto& plugin : m_plugins.Plugins())
        if (int32_t handled = CImPluginSet::Invoke(plugin->OnPreTranslateMessage, msg))
            return handled;
    return 0;
}

bool CKernovaCore::EnumModule(int32_t index, QString* fileName, QString* version,
                              QString* localName, QString* company) const {
    const auto& plugins = m_plugins.Plugins();
    if (index < 0 || size_t(index) >= plugins.size())
        return false;
    const CImPlugin& plugin = *plugins[size_t(index)];
    *fileName = plugin.FileName();
    *version = plugin.VersionText();
    *localName = plugin.LocalName();
    *company = plugin.Company();
    return true;
}

// ---- Paths ----

QString CKernovaCore::AppDir() {
    return WithSlash(m_host.AppDir());
}

QString CKernovaCore::UserDir() {
    QString dir = WithSlash(m_host.UserDir());
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/Tovar/");
    return Ensured(dir);
}

QString CKernovaCore::AccountId() const {
    if (!m_user.isEmpty())
        return m_user;
    if (!m_lastUser.isEmpty())
        return m_lastUser;
    return kNoAccount;
}

QString CKernovaCore::AccountDir() {
    QString id = AccountId();
    if (id == kNoAccount) {
        const QString remembered = RememberedID();
        if (CMessageFiles::IsSafeId(remembered))
            id = remembered;
    }
    return Ensured(UserDir() + QStringLiteral("account/") + id + u'/');
}

QString CKernovaCore::ModuleDir(int32_t module) {
    return Ensured(AccountDir() + QStringLiteral("im/") + QString::number(module) + u'/');
}

QString CKernovaCore::MessageDir() {
    const QString dir = AccountDir() + QStringLiteral("message/");
    for (const char* box : {"recv", "send", "draft", "files"})
        PrivateFiles::MakeDir(dir + QLatin1String(box));
    return dir;
}

const char16_t* CKernovaCore::Hold(qint64 slot, const QString& text) {
    QString& held = m_held[slot];
    if (held != text)
        held = text;
    return Utf16(held);
}

void CKernovaCore::ShowOwnTrayMenu() {
    // Without the presence plug-in nobody else offers a way to log on or off, or to quit.
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool on = m_state == ObrixLogon::LoggedOn;
    menu->addAction(
        CResourceLoader::LoadString(IMResHandle(), on ? KernovaText::Logoff : KernovaText::Logon),
        this, [this, on] { on ? RequestLogoff() : RequestLogon(); });
    menu->addAction(CResourceLoader::LoadString(IMResHandle(), KernovaText::Exit), this,
                    [this] { m_host.Kill(); });
    menu->popup(QCursor::pos());
}

// ---- Host and resources ----

void* CKernovaCore::IMResHandle() {
    if (!m_imResTried) {
        m_imResTried = true;
        m_imRes = CResourceLoader::OpenModule(CResourceLoader::ModulePath(AppDir()));
        if (!m_imRes)
            Log(ZeltaLogLevel::Error, QStringLiteral("Resource module not found: ") +
                                          CResourceLoader::ModulePath(AppDir()));
    }
    return m_imRes;
}

void CKernovaCore::Log(int32_t level, const QString& text) {
    m_host.SaveLog(ZeltaCoreType::Set, level, text);
}

// ---- Control and options ----

int32_t CKernovaCore::Begin(int32_t module, int32_t kind, intptr_t data) {
    CImPlugin* plugin = m_plugins.Find(module);
    if (!plugin || !plugin->OnBegin)
        return 0;
    CImPluginSet::Invoke(plugin->OnBegin, kind, data);
    return 1;
}

int32_t CKernovaCore::Option(int32_t module) {
    if (module == ObrixModule::General)
        return ShowOption(false);
    CImPlugin* plugin = m_plugins.Find(module);
    if (!plugin || !plugin->OnOption)
        return 0;
    CImPluginSet::Invoke(plugin->OnOption);
    return 1;
}

int32_t CKernovaCore::ShowOption(bool withPlugins) {
    if (m_sheet) {
        m_sheet->raise();
        m_sheet->activateWindow();
        return 1;
    }
    m_sheet = new COptionSheet(IMResHandle(), m_host.MainWnd());
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<CGeneralPage> general = new CGeneralPage(*this);
    m_sheet->AddPage(general);
    if (withPlugins) {
        m_inOptions = true;
        m_plugins.Broadcast(&CImPlugin::OnBeginOption);
        // The settings the user asked for come first; the general page stays reachable.
        if (m_sheet->Pages().size() > 1)
            m_sheet->SelectPage(1);
    }
    connect(m_sheet, &COptionSheet::Closed, this, [this, general, withPlugins] {
        if (withPlugins)
            m_plugins.Broadcast(&CImPlugin::OnKillOption);
        m_inOptions = false;
        delete general.data();
        // The closed sheet goes on its own; a new request makes a new one.
        m_sheet = nullptr;
    });
    m_sheet->show();
    return 1;
}

int32_t CKernovaCore::AddOptionPage(HWND* pages, int32_t count) {
    if (!m_inOptions || !m_sheet || !pages || count <= 0)
        return 0;
    for (int32_t i = 0; i < count; ++i)
        m_sheet->AddPage(pages[i]);
    return 1;
}

// ---- Log-on ----

void CKernovaCore::SetState(int32_t state) {
    if (m_state == state)
        return;
    m_state = state;
    if (state != ObrixLogon::Offline)
        m_reconnectTimer.stop();
    UpdateTray();
    emit LogonStateChanged(state);
}

void CKernovaCore::UpdateTray() {
    if (!m_tray)
        return;
    QString tip;
    if (m_state == ObrixLogon::LoggedOn)
        tip = CResourceLoader::Format(IMResHandle(), KernovaText::TrayLoggedOn, {m_user});
    else if (m_state == ObrixLogon::Offline)
        tip = CResourceLoader::LoadString(IMResHandle(), KernovaText::TrayOffline);
    else
        tip = CResourceLoader::LoadString(IMResHandle(), KernovaText::TrayLoggedOff);
    QIcon icon = m_trayIcon;
    if (m_state != ObrixLogon::LoggedOn && !m_trayIcon.isNull()) {
        icon = QIcon();
        for (const QSize& size : m_trayIcon.availableSizes())
            icon.addPixmap(m_trayIcon.pixmap(size, QIcon::Disabled));
    }
    m_tray->ShowIcon(icon, tip);
}

void CKernovaCore::Notify(uint32_t textId, const QString& text) {
    Log(ZeltaLogLevel::Notice, QStringLiteral("Told the user (%1): %2").arg(textId).arg(text));
    const QString title = CResourceLoader::LoadString(IMResHandle(), KernovaText::NoticeTitle);
    if (!m_tray || !m_tray->ShowMessage(title, text)) {
        // A desktop without a tray still hears of it, in one box that the next notice reuses.
        auto* box = qobject_cast<QMessageBox*>(m_noticeBox.data());
        if (!box) {
            box = new QMessageBox(QMessageBox::Information, title, QString(), QMessageBox::Ok,
                                  m_host.MainWnd());
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setWindowModality(Qt::NonModal);
            m_noticeBox = box;
        }
        box->setText(text);
        box->show();
    }
    emit UserNotified(textId, text);
}

void CKernovaCore::TellUnwritableOnce(const QString& dir) {
    if (std::exchange(m_toldUnwritable, true))
        return;
    Notify(KernovaText::UserDirUnwritable,
           CResourceLoader::Format(IMResHandle(), KernovaText::UserDirUnwritable,
                                   {QDir::toNativeSeparators(dir)}));
}

void CKernovaCore::SetReconnectDelays(int firstMs, int maxMs) {
    m_reconnectFirstMs = qMax(1, firstMs);
    m_reconnectMaxMs = qMax(m_reconnectFirstMs, maxMs);
}

void CKernovaCore::OnSessionEnded(int reason) {
    Log(ZeltaLogLevel::Warning, QStringLiteral("The service ended the session (%1).").arg(reason));
    const QString member = m_user;
    const QString password = std::exchange(m_password, {});
    EndSession(ObrixLogon::Offline);
    switch (reason) {
    case Svc::END_EXPIRED:
        // The process stalled or the machine slept: the member did not ask to leave.
        m_reconnectId = member;
        m_reconnectPassword = password;
        m_reconnectDelayMs = m_reconnectFirstMs;
        m_reconnectTimer.start(m_reconnectDelayMs);
        Notify(KernovaText::SessionLost,
               CResourceLoader::LoadString(IMResHandle(), KernovaText::SessionLost));
        break;
    case Svc::END_REPLACED:
        // Logging on again would end the other session in turn, back and forth.
        Notify(KernovaText::LoggedOnElsewhere,
               CResourceLoader::Format(IMResHandle(), KernovaText::LoggedOnElsewhere, {member}));
        break;
    default:
        Notify(KernovaText::MemberRemoved,
               CResourceLoader::Format(IMResHandle(), KernovaText::MemberRemoved, {member}));
        break;
    }
}

void CKernovaCore::Reconnect() {
    if (m_state != ObrixLogon::Offline || m_reconnectId.isEmpty())
        return;
    if (LogonWith(m_reconnectId, m_reconnectPassword)) {
        m_reconnectPassword.clear();
        Notify(KernovaText::Reconnected,
               CResourceLoader::Format(IMResHandle(), KernovaText::Reconnected, {m_user}));
        return;
    }
    if (m_logonErrorCode == CServiceError::BadLogon) {
        // The password changed meanwhile: only the user can go on.
        m_reconnectPassword.clear();
        ShowLogonDialog(LogonFailureText(), m_reconnectId);
        return;
    }
    m_reconnectDelayMs = qMin(m_reconnectMaxMs, m_reconnectDelayMs * 2);
    Log(ZeltaLogLevel::Notice,
        QStringLiteral("Next log-on attempt in %1 ms.").arg(m_reconnectDelayMs));
    m_reconnectTimer.start(m_reconnectDelayMs);
}

QString CKernovaCore::ServiceDir() {
    // ZELTA_SERVICE names a network service ("xmpp://host:port/domain") and wins over all.
    if (const QString network = qEnvironmentVariable("ZELTA_SERVICE"); !network.isEmpty())
        return network;
    const QString env = qEnvironmentVariable("ZELTA_SERVICE_DIR");
    if (!env.isEmpty())
        return env;
    const QString section = QString::fromUtf16(kServiceSection);
    if (ReadRegString(1, ObrixModule::General, section, QStringLiteral("Kind"), QString()) ==
        QStringLiteral("network"))
        return Svc::NetworkLocation(
            ReadRegString(1, ObrixModule::General, section, QStringLiteral("Host"), QString()),
            ReadRegString(1, ObrixModule::General, section, QStringLiteral("Port"), QString())
                .toInt(),
            ReadRegString(1, ObrixModule::General, section, QStringLiteral("Domain"), QString()));
    const QString setting =
        ReadRegString(1, ObrixModule::General, QString::fromUtf16(kServiceSection),
                      QStringLiteral("Dir"), QString());
    if (!setting.isEmpty())
        return setting;
    return UserDir() + QStringLiteral("service/");
}

bool CKernovaCore::EnsureService() {
    const QString dir = ServiceDir();
    if (m_service && m_serviceDir == dir)
        return true;
    m_service.reset();
    m_serviceDir = dir;
    m_service = Svc::CreateService(dir, UserDir() + QStringLiteral("xmpp/"));
    ConnectService();
    return true;
}

void CKernovaCore::ConnectService() {
    CMessagingService* s = m_service.get();
    // Events reach the plug-ins through the pacer, in the order the service reported them. The
    // end of the session needs no pacing: ending it hands on whatever still waits first.
    connect(s, &CMessagingService::MemberPresenceChanged, this,
            [this](const QString& g, const QString& m, const QString& previous,
                   const SvcPresence& presence) {
                m_events.Post([this, g, m, previous, presence] {
                    // Patched where it changed: the plug-ins read the member's records at
                    // once, and a rebuild per event would cost the whole directory each time.
                    if (!m_directoryStale && !m_directory.PatchPresence(g, m, presence))
                        m_directoryStale = true;
                    m_plugins.Broadcast(&CImPlugin::OnChangeMemPresence, Utf16(g), Utf16(m),
                                        Utf16(previous));
                });
            });
    connect(s, &CMessagingService::GroupAdded, this, [this](const QString& g) {
        m_events.Post([this, g] {
            m_directoryStale = true;
            const std::optional<SvcGroup> group = m_service->GetGroup(g);
            const QString parent = group ? group->parentId : QString();
            const QString name = group ? group->name : QString();
            m_plugins.Broadcast(&CImPlugin::OnAddGrp, Utf16(g), Utf16(parent), Utf16(name));
        });
    });
    connect(s, &CMessagingService::GroupRemoved, this, [this](const QString& g) {
        m_events.Post([this, g] {
            m_directoryStale = true;
            m_plugins.Broadcast(&CImPlugin::OnRemoveGrp, Utf16(g));
        });
    });
    connect(s, &CMessagingService::GroupRenamed, this, [this](const QString& g, const QString&) {
        m_events.Post([this, g] {
            m_directoryStale = true;
            m_plugins.Broadcast(&CImPlugin::OnChangeGrpName, Utf16(g));
        });
    });
    connect(
        s, &CMessagingService::GroupMemberAdded, this, [this](const QString& g, const QString& m) {
            m_events.Post([this, g, m] {
                m_directoryStale = true;
                QString name;
                if (const tagIMGRPMEMBER* ms = Directory().Members(g, m); ms && ms->pszName)
                    name = QString::fromUtf16(ms->pszName);
                m_plugins.Broadcast(&CImPlugin::OnAddGrpMember, Utf16(g), Utf16(m), Utf16(name));
            });
        });
    connect(s, &CMessagingService::GroupMemberRemoved, this,
            [this](const QString& g, const QString& m) {
                m_events.Post([this, g, m] {
                    m_directoryStale = true;
                    m_plugins.Broadcast(&CImPlugin::OnRemoveGrpMember, Utf16(g), Utf16(m));
                });
            });
    connect(s, &CMessagingService::GroupMemberChanged, this,
            [this](const QString& g, const QString& m) {
                m_events.Post([this, g, m] {
                    m_directoryStale = true;
                    m_plugins.Broadcast(&CImPlugin::OnChangeMemRole, Utf16(g), Utf16(m));
                });
            });
    connect(s, &CMessagingService::MemberAdded, this,
            [this](const QString&) { m_events.Post([this] { m_directoryStale = true; }); });
    connect(s, &CMessagingService::MemberRemoved, this,
            [this](const QString&) { m_events.Post([this] { m_directoryStale = true; }); });
    connect(s, &CMessagingService::MemberChanged, this, [this](const QString& m) {
        m_events.Post([this, m] {
            const std::optional<SvcMember> before = Directory().Profile(m);
            RefreshDirectory();
            const std::optional<SvcMember> after = m_directory.Profile(m);
            if (before && after)
                TellProfileChanges(*before, *after);
        });
    });
    connect(s, &CMessagingService::MessageArrived, this, [this](const SvcMessage& message) {
        m_events.Post([this, message] { m_desk.OnMessageArrived(message); });
    });
    connect(s, &CMessagingService::ReceiptArrived, this, [this](const SvcReceipt& receipt) {
        m_events.Post([this, receipt] { m_desk.OnReceipt(receipt); });
    });
    connect(s, &CMessagingService::ChatInvited, this,
            [this](int chat, const QString& inviter, const QString& text) {
                m_events.Post(
                    [this, chat, inviter, text] { m_chats.OnInvited(chat, inviter, text); });
            });
    // Talk reaches the chat window at once instead of at the plug-in's next poll.
    connect(s, &CMessagingService::ChatChanged, this,
            [this](int chat) { m_events.Post([this, chat] { m_chats.OnChanged(chat); }); });
    connect(s, &CMessagingService::SessionEnded, this, &CKernovaCore::OnSessionEnded);
}

void CKernovaCore::RefreshDirectory() {
    m_directoryStale = false;
    if (!m_service || !m_service->IsLoggedOn()) {
        m_directory.Clear();
        return;
    }
    m_directory.Rebuild(m_service->GetGroups(), m_service->GetMemberships(),
                        m_service->GetMembers());
}

void CKernovaCore::TellProfileChanges(const SvcMember& before, const SvcMember& after) {
    const char16_t* id = Utf16(after.id);
    const auto tell = [&](bool changed, IMCBK_OnChangeAlias_t CImPlugin::*callback) {
        if (changed)
            m_plugins.Broadcast(callback, id);
    };
    tell(before.alias != after.alias, &CImPlugin::OnChangeAlias);
    tell(before.birth != after.birth, &CImPlugin::OnChangeBirth);
    tell(before.email != after.email, &CImPlugin::OnChangeEmail);
    tell(before.familyName[0] != after.familyName[0] || before.familyName[1] != after.familyName[1],
         &CImPlugin::OnChangeFamilyName);
    tell(before.firstName[0] != after.firstName[0] || before.firstName[1] != after.firstName[1],
         &CImPlugin::OnChangeFirstName);
    tell(before.memo != after.memo, &CImPlugin::OnChangeMemo);
    tell(before.sex != after.sex, &CImPlugin::OnChangeSex);
    tell(before.telephone != after.telephone, &CImPlugin::OnChangeTelephone);
    for (int32_t set = 0; set < 2; ++set)
        if (before.middleName[set] != after.middleName[set])
            m_plugins.Broadcast(&CImPlugin::OnChangeMiddleName, id, set);
}

bool CKernovaCore::LogonWith(const QString& memberId, const QString& password) {
    m_logonError.clear();
    m_logonErrorCode = CServiceError::None;
    if (m_state == ObrixLogon::LoggingOn || m_state == ObrixLogon::LoggingOff ||
        m_state == ObrixLogon::LoggedOn) {
        m_logonError = CServiceError(CServiceError::Busy).Text();
        return false;
    }
    const int32_t previous = m_state;
    SetState(ObrixLogon::LoggingOn);
    EnsureService();
    if (!m_service->Logon(memberId, password)) {
        m_logonError = m_service->LastError().Text();
        m_logonErrorCode = m_service->LastError().code();
        Log(ZeltaLogLevel::Warning, QStringLiteral("Log-on as %1 failed: %2")
                                        .arg(memberId, m_service->LastError().EnglishText()));
        SetState(previous);
        return false;
    }
    EndAuthorization();
    m_user = m_service->GetUserID();
    m_lastUser = m_user;
    m_password = password;
    StorePasswordCheck(m_user, password);
    const QString messageDir = MessageDir();
    m_desk.SetDirectory(messageDir);
    // Received messages stay at the service until they are stored; say early why they wait.
    if (!QFileInfo(messageDir + QStringLiteral("recv")).isWritable())
        TellUnwritableOnce(messageDir);
    RefreshDirectory();
    SetState(ObrixLogon::LoggedOn);
    Log(ZeltaLogLevel::Notice, QStringLiteral("Logged on as %1.").arg(m_user));
    m_desk.SetAttachmentLimit(AttachmentLimit());
    m_desk.SetService(m_service.get());
    m_chats.SetService(m_service.get());
    m_plugins.Broadcast(&CImPlugin::OnLogon, int32_t(1));
    return true;
}

int32_t CKernovaCore::RequestLogon() {
    switch (m_state) {
    case ObrixLogon::LoggingOn:
    case ObrixLogon::LoggingOff:
        return 0;
    case ObrixLogon::LoggedOn:
        return 1;
    default:
        ShowLogonDialog();
        return 1;
    }
}

void CKernovaCore::EndSession(int32_t nextState) {
    // What came in the session reaches the plug-ins before they hear of its end. A step handed
    // on here may end the session itself (a plug-in that logs off); then it is over already.
    const int ends = m_sessionEnds;
    m_events.Flush();
    if (m_sessionEnds != ends)
        return;
    ++m_sessionEnds;
    SetState(ObrixLogon::LoggingOff);
    m_plugins.Broadcast(&CImPlugin::OnLogoff, int32_t(1));
    m_desk.SetService(nullptr);
    m_chats.SetService(nullptr);
    if (m_service && m_service->IsLoggedOn())
        m_service->Logoff();
    m_events.Clear();
    m_directory.Clear();
    Log(ZeltaLogLevel::Notice, QStringLiteral("Logged off %1.").arg(m_user));
    m_user.clear();
    m_password.clear();
    SetState(nextState);
}

int32_t CKernovaCore::RequestLogoff() {
    switch (m_state) {
    case ObrixLogon::LoggingOn:
    case ObrixLogon::LoggingOff:
        return 0;
    case ObrixLogon::LoggedOn:
        EndSession(ObrixLogon::LoggedOff);
        return 1;
    default:
        m_reconnectTimer.stop();
        SetState(ObrixLogon::LoggedOff);
        return 1;
    }
}

QString CKernovaCore::RememberedID() {
    return ReadRegString(1, ObrixModule::General, QString::fromUtf16(kLogonSection), kMemberIdKey,
                         QString());
}

bool CKernovaCore::IsRememberID() {
    return ReadRegInt(1, ObrixModule::General, QString::fromUtf16(kLogonSection), kRememberKey,
                      0) != 0;
}

bool CKernovaCore::IsAutoLogon() {
    return ReadRegInt(1, ObrixModule::General, QString::fromUtf16(kLogonSection), kAutoKey, 0) != 0;
}

void CKernovaCore::SetLogonPreferences(const QString& memberId, bool rememberId, bool autoLogon,
                                       const QString& password) {
    const QString section = QString::fromUtf16(kLogonSection);
    const QString subKey = SubKey(section);
    WriteRegInt(1, ObrixModule::General, section, kRememberKey, rememberId || autoLogon);
    WriteRegInt(1, ObrixModule::General, section, kAutoKey, autoLogon);
    if (rememberId || autoLogon)
        WriteRegString(1, ObrixModule::General, section, kMemberIdKey, memberId);
    else
        m_host.RemoveRegValue(1, ObrixModule::General, subKey, kMemberIdKey);
    if (!autoLogon) {
        m_host.RemoveRegValue(1, ObrixModule::General, subKey, kPasswordKey);
    } else if (!password.isEmpty()) {
        CPasswordVault vault(KeyPath());
        const QByteArray sealed = vault.Seal(password);
        if (sealed.isEmpty())
            Log(ZeltaLogLevel::Warning, QStringLiteral("The log-on key could not be written."));
        else
            WriteRegBinary(1, ObrixModule::General, section, kPasswordKey, sealed);
    }
}

void CKernovaCore::AutoLogonAtStart() {
    QString id = qEnvironmentVariable("ZELTA_AUTOLOGON_ID");
    std::optional<QString> password;
    if (!id.isEmpty()) {
        password = qEnvironmentVariable("ZELTA_AUTOLOGON_PASSWORD");
    } else {
        if (!IsAutoLogon())
            return;
        id = RememberedID();
        const QByteArray sealed =
            ReadRegBinary(1, ObrixModule::General, QString::fromUtf16(kLogonSection), kPasswordKey);
        password = CPasswordVault(KeyPath()).Open(sealed);
    }
    if (password && LogonWith(id, *password))
        return;
    // The user learns why and can put it right in the dialog.
    const QString reason = password ? LogonFailureText() : QString();
    Log(ZeltaLogLevel::Error,
        QStringLiteral("Automatic log-on as %1 failed: %2")
            .arg(id, password ? m_logonError : QStringLiteral("no password")));
    ShowLogonDialog(reason, id);
}

QString CKernovaCore::LogonFailureText() {
    QString reason = m_logonError;
    switch (m_logonErrorCode) {
    case CServiceError::NoService:
    case CServiceError::Database:
    case CServiceError::Unreachable:
    case CServiceError::BadCertificate:
    case CServiceError::NoAnswer:
    case CServiceError::NoDirectory:
        reason = CResourceLoader::Format(IMResHandle(), KernovaText::ServiceUnreachable,
                                         {QDir::toNativeSeparators(m_serviceDir), m_logonError});
        break;
    default:
        break;
    }
    return CResourceLoader::Format(IMResHandle(), KernovaText::LogonFailed, {reason});
}

void CKernovaCore::ShowLogonDialog(const QString& reason, const QString& memberId) {
    if (m_logonDlg) {
        if (!reason.isEmpty())
            m_logonDlg->ShowError(reason);
        m_logonDlg->raise();
        m_logonDlg->activateWindow();
        return;
    }
    CLogonDlg::Values initial;
    initial.rememberId = IsRememberID();
    initial.autoLogon = IsAutoLogon();
    if (!memberId.isEmpty())
        initial.memberId = memberId;
    else if (initial.rememberId || initial.autoLogon)
        initial.memberId = RememberedID();
    auto submit = [this](const CLogonDlg::Values& v, QString* reason) {
        if (!LogonWith(v.memberId, v.password)) {
            *reason = LogonFailureText();
            return false;
        }
        SetLogonPreferences(v.memberId, v.rememberId, v.autoLogon,
                            v.autoLogon ? v.password : QString());
        return true;
    };
    m_logonDlg = new CLogonDlg(IMResHandle(), initial, submit, m_host.MainWnd());
    m_logonDlg->setAttribute(Qt::WA_DeleteOnClose);
    if (!reason.isEmpty())
        m_logonDlg->ShowError(reason);
    m_logonDlg->show();
}

// ---- Presence ----

int32_t CKernovaCore::SendStatus(const tagIMSTATUS* status) {
    if (!status || m_state != ObrixLogon::LoggedOn || !m_service)
        return 0;
    SvcPresence presence;
    presence.status = status->pszStatus ? QString::fromUtf16(status->pszStatus) : QString();
    presence.icon = status->pszIcon ? QString::fromUtf16(status->pszIcon) : QString();
    presence.bkColor = status->dwBkColor;
    const QStringList own = Directory().GroupsOf(m_user);
    QStringList groups;
    bool named = false;
    if (status->pszGroup) {
        for (const QString& id :
             QString::fromUtf16(status->pszGroup).split(u',', Qt::SkipEmptyParts)) {
            named = true;
            // A preset may still name groups the user has left; those are passed over.
            if (own.contains(id.trimmed()) && !groups.contains(id.trimmed()))
                groups.append(id.trimmed());
        }
    }
    if (named && groups.isEmpty())
        return 0;
    if (!m_service->SetPresence(presence, groups)) {
        Log(ZeltaLogLevel::Warning,
            QStringLiteral("SendStatus refused: ") + m_service->LastError().EnglishText());
        return 0;
    }
    return 1;
}

// ---- Messages ----

int32_t CKernovaCore::SendMessage(const tagLETRIX* record) {
    if (!record || m_state != ObrixLogon::LoggedOn)
        return 0;
    CLetrix message(record);
    message.SetFromID(m_user);
    if (message.GetFromName().isEmpty() && m_service)
        if (const std::optional<SvcMember> me = m_service->GetMember(m_user))
            message.SetFromName(me->DisplayName());
    if (message.GetMessageID().isEmpty())
        message.CreateMessageID();
    m_desk.SetAttachmentLimit(AttachmentLimit());
    return m_desk.Send(message) ? 1 : 0;
}

qint64 CKernovaCore::AttachmentLimit() {
    bool ok = false;
    const qint64 limit = ReadRegString(1, ObrixModule::General, QString::fromUtf16(kServiceSection),
                                       kAttachmentLimitKey, QString())
                             .trimmed()
                             .toLongLong(&ok);
    return ok && limit >= 0 ? limit : Svc::kDefaultAttachmentLimit;
}

qint64 CKernovaCore::SendableAttachmentBytes() {
    const qint64 setting = AttachmentLimit();
    const qint64 service = m_service ? m_service->ServiceAttachmentMaximum() : 0;
    return service > 0 ? std::min(setting, service) : setting;
}

void CKernovaCore::SetAttachmentLimit(qint64 bytes) {
    WriteRegString(1, ObrixModule::General, QString::fromUtf16(kServiceSection),
                   kAttachmentLimitKey, QString::number(qMax<qint64>(0, bytes)));
    m_desk.SetAttachmentLimit(AttachmentLimit());
}

bool CKernovaCore::ExportMessages(const QString& path, const std::array<QStringList, 3>& ids) {
    if (!HasMessageAccess())
        return false;
    QString error;
    if (CMessagePorter(m_desk.Files()).Export(ResolvePath(path), ids, &error))
        return true;
    Log(ZeltaLogLevel::Warning, QStringLiteral("Export to %1 failed: %2").arg(path, error));
    return false;
}

bool CKernovaCore::ImportMessages(const QString& path, std::array<QStringList, 3>* ids) {
    if (!HasMessageAccess())
        return false;
    QString error;
    if (CMessagePorter(m_desk.Files()).Import(ResolvePath(path), ids, &error))
        return true;
    Log(ZeltaLogLevel::Warning, QStringLiteral("Import of %1 refused: %2").arg(path, error));
    return false;
}

bool CKernovaCore::HasMessageAccess() const {
    return m_state == ObrixLogon::LoggedOn || m_state == ObrixLogon::Offline || m_authorized;
}

// ---- Chats ----

int32_t CKernovaCore::ChatCreate() {
    const int32_t maxOpen =
        m_host.GetAppDataInt(QStringLiteral("PARLO"), QStringLiteral("MAXCREATEWND"), 1, 5);
    const int32_t chat = m_chats.Create(maxOpen);
    if (!chat && m_service && m_state == ObrixLogon::LoggedOn)
        Log(ZeltaLogLevel::Notice,
            QStringLiteral("Chat not created: ") + m_service->LastError().EnglishText());
    return chat;
}

int32_t CKernovaCore::ChatInvite(int32_t chat, const QString& memberId) {
    if (m_state != ObrixLogon::LoggedOn || !m_service)
        return 0;
    const int32_t maxMembers =
        m_host.GetAppDataInt(QStringLiteral("PARLO"), QStringLiteral("MAXMEMBERS"), 1, 5);
    // The invitation carries the inviter's display name, as the invited member sees it.
    const std::optional<SvcMember> me = m_service->GetMember(m_user);
    const QString text = me ? me->DisplayName() : m_user;
    if (m_chats.Invite(chat, memberId, text, maxMembers))
        return 1;
    Log(ZeltaLogLevel::Notice, QStringLiteral("Invitation of %1 to chat %2 refused: %3")
                                   .arg(memberId)
                                   .arg(chat)
                                   .arg(m_service->LastError().EnglishText()));
    return 0;
}

// ---- Authorisation ----

QString CKernovaCore::KeyPath() {
    return UserDir() + QStringLiteral("account/logon.key");
}

QString CKernovaCore::PasswordCheckPath(const QString& memberId) {
    return UserDir() + QStringLiteral("account/") + memberId + QStringLiteral("/logon.check");
}

void CKernovaCore::StorePasswordCheck(const QString& memberId, const QString& password) {
    if (!CMessageFiles::IsSafeId(memberId))
        return;
    // The password itself is never kept: a salted, slow hash is enough to recognise it.
    const CPasswordHash hash = CPasswordHash::Make(password);
    QByteArray bytes = kCheckMagic;
    QByteArray number(4, '\0');
    for (const qsizetype n : {qsizetype(hash.iterations), hash.salt.size(), hash.hash.size()}) {
        qToLittleEndian<quint32>(quint32(n), number.data());
        bytes += number;
    }
    bytes += hash.salt + hash.hash;
    const QString path = PasswordCheckPath(memberId);
    PrivateFiles::MakeDir(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size() || !file.commit())
        Log(ZeltaLogLevel::Warning, QStringLiteral("Password check not stored: ") + path);
}

bool CKernovaCore::VerifyPasswordCheck(const QString& memberId, const QString& password) {
    constexpr qint64 kMaxCheckBytes = 1024;
    QFile file(PasswordCheckPath(memberId));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCheckBytes)
        return false;
    const QByteArray bytes = file.readAll();
    const qsizetype head = kCheckMagic.size() + 12;
    if (bytes.size() < head || !bytes.startsWith(kCheckMagic))
        return false;
    const char* p = bytes.constData() + kCheckMagic.size();
    CPasswordHash hash;
    const quint32 iterations = qFromLittleEndian<quint32>(p);
    const quint32 saltBytes = qFromLittleEndian<quint32>(p + 4);
    const quint32 hashBytes = qFromLittleEndian<quint32>(p + 8);
    if (iterations == 0 || iterations > quint32(CPasswordHash::kMaxIterations) || hashBytes == 0 ||
        qint64(saltBytes) + hashBytes != bytes.size() - head)
        return false;
    hash.iterations = int(iterations);
    hash.salt = bytes.mid(head, saltBytes);
    hash.hash = bytes.mid(head + saltBytes);
    return hash.Verify(password);
}

int32_t CKernovaCore::Authorize() {
    if (m_state == ObrixLogon::LoggedOn || m_authorized)
        return 1;
    if (m_state != ObrixLogon::LoggedOff && m_state != ObrixLogon::Offline)
        return 0;
    const QString id = m_lastUser.isEmpty() ? RememberedID() : m_lastUser;
    if (!CMessageFiles::IsSafeId(id) || !QFile::exists(PasswordCheckPath(id)))
        return 0;
    std::optional<QString> password;
    if (m_prompt) {
        password = m_prompt(id);
    } else {
        CAuthorizeDlg dlg(IMResHandle(), id, m_host.MainWnd());
        if (dlg.exec() == QDialog::Accepted)
            password = dlg.Password();
    }
    if (!password)
        return 0;
    if (!VerifyPasswordCheck(id, *password)) {
        Log(ZeltaLogLevel::Warning, QStringLiteral("Authorisation of %1 refused.").arg(id));
        return 0;
    }
    m_authorized = true;
    m_lastUser = id;
    m_desk.SetDirectory(MessageDir());
    Log(ZeltaLogLevel::Notice, QStringLiteral("Stored messages of %1 opened.").arg(id));
    return 1;
}

void CKernovaCore::EndAuthorization() {
    if (!std::exchange(m_authorized, false))
        return;
    m_plugins.Broadcast(&CImPlugin::OnEndAuthorize);
}

QByteArray CKernovaCore::Seal(const QByteArray& data) {
    return CPasswordVault(KeyPath()).SealBytes(data);
}

std::optional<QByteArray> CKernovaCore::Unseal(const QByteArray& sealed) {
    return CPasswordVault(KeyPath()).OpenBytes(sealed);
}

int32_t CKernovaCore::SaveDraft(const tagLETRIX* record, char16_t* idBuffer, int32_t bufferChars) {
    if (!record)
        return 0;
    const QString id = m_desk.SaveDraft(CLetrix(record), m_user.isEmpty() ? m_lastUser : m_user);
    if (id.isEmpty())
        return 0;
    if (idBuffer && bufferChars > 0) {
        // The caller needs the whole id; a buffer too small for it gets nothing.
        if (id.size() >= bufferChars) {
            idBuffer[0] = 0;
            return 0;
        }
        std::copy_n(Utf16(id), id.size() + 1, idBuffer);
    }
    return 1;
}

// ---- Settings ----

QString CKernovaCore::SubKey(const QString& section) {
    return section.isEmpty() ? QStringLiteral("IM") : QStringLiteral("IM\\") + section;
}

int32_t CKernovaCore::ReadRegInt(int32_t scope, int32_t module, const QString& section,
                                 const QString& name, int32_t defaultValue) {
    if (!ValidScope(scope))
        return defaultValue;
    return m_host.ReadRegInt(scope, module, SubKey(section), name, defaultValue);
}

QString CKernovaCore::ReadRegString(int32_t scope, int32_t module, const QString& section,
                                    const QString& name, const QString& defaultText) {
    if (!ValidScope(scope))
        return defaultText;
    return m_host.ReadRegString(scope, module, SubKey(section), name, defaultText);
}

QByteArray CKernovaCore::ReadRegBinary(int32_t scope, int32_t module, const QString& section,
                                       const QString& name) {
    if (!ValidScope(scope))
        return {};
    return m_host.ReadRegBinary(scope, module, SubKey(section), name);
}

bool CKernovaCore::WriteRegInt(int32_t scope, int32_t module, const QString& section,
                               const QString& name, int32_t value) {
    return ValidScope(scope) && m_host.WriteRegInt(scope, module, SubKey(section), name, value);
}

bool CKernovaCore::WriteRegString(int32_t scope, int32_t module, const QString& section,
                                  const QString& name, const QString& text) {
    return ValidScope(scope) && m_host.WriteRegString(scope, module, SubKey(section), name, text);
}

bool CKernovaCore::WriteRegBinary(int32_t scope, int32_t module, const QString& section,
                                  const QString& name, const QByteArray& data) {
    return ValidScope(scope) && m_host.WriteRegBinary(scope, module, SubKey(section), name, data);
}

// ---- Whole files ----

QString CKernovaCore::ResolvePath(const QString& path) {
    QString p = path;
    p.replace(u'\\', u'/');
    return QDir::isRelativePath(p) ? UserDir() + p : p;
}

bool CKernovaCore::ReadWholeFile(const QString& path, QByteArray* bytes) {
    if (path.isEmpty())
        return false;
    QFile file(ResolvePath(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxReadBytes)
        return false;
    *bytes = file.readAll();
    return true;
}

bool CKernovaCore::WriteWholeFile(const QString& path, const QByteArray& bytes, bool createDirs) {
    if (path.isEmpty())
        return false;
    const QString resolved = ResolvePath(path);
    const QString parent = QFileInfo(resolved).absolutePath();
    if (createDirs)
        PrivateFiles::MakeDir(parent);
    else if (!QFileInfo(parent).isDir())
        return false;
    QSaveFile file(resolved);
    return file.open(QIODevice::WriteOnly) && PrivateFiles::Restrict(file) &&
           file.write(bytes) == bytes.size() && file.commit();
}
