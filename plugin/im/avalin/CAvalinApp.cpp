#include "plugin/im/avalin/CAvalinApp.h"

#include "host/CoreApi.h"
#include "imframe/CImFrame.h"
#include "imframe/ChatRequests.h"
#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CAvalinDlg.h"
#include "plugin/im/avalin/CExpandedGroups.h"
#include "plugin/im/avalin/CGroupWalk.h"
#include "plugin/im/avalin/CMemberTreeModel.h"
#include "plugin/im/avalin/CGroupPropDlg.h"
#include "plugin/im/avalin/CMemberPropDlg.h"
#include "plugin/im/avalin/CNewPage.h"
#include "plugin/im/avalin/CPresenceList.h"
#include "plugin/im/avalin/COptionGeneralPage.h"
#include "plugin/im/avalin/COptionStatusPage.h"
#include "plugin/im/avalin/CSettingSoundDlg.h"
#include "plugin/im/avalin/CSendPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QUrl>

#include <cstdlib>
#include <vector>

namespace {

QString FromUtf16(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

const char16_t* U16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

const QString kPresetFile = QStringLiteral("Preset.zin");
// The origin word of a message started in this window.
constexpr uint32_t kMessageFromIMWindow = 5;
const QString kWebSite = QStringLiteral("https://www.tovar.example/zelta/");

// Pointers to the strings of a list, valid while the list lives.
std::vector<const char16_t*> Pointers(const QStringList& texts) {
    std::vector<const char16_t*> pointers;
    pointers.reserve(size_t(texts.size()));
    for (const QString& text : texts)
        pointers.push_back(U16(text));
    return pointers;
}

} // namespace

CAvalinApp::CAvalinApp()
    : CIMPluginApp(ImModules::Presence),
      m_model(std::make_unique<CMemberTreeModel>()), m_own{AvalinStatus::kOnNet,
                                                           AvalinStatus::kDefaultIcon,
                                                           AvalinColour::Green} {}

CAvalinApp::~CAvalinApp() {
    // The core calls OnKill before it unloads the plug-in; this covers a host that did not.
    if (QCoreApplication::instance())
        delete m_dlg.data();
}

void* CAvalinApp::Resources() const {
    return Obrix().GetIMResHandle ? Obrix().GetIMResHandle() : nullptr;
}

QString CAvalinApp::Text(uint32_t id) const {
    return CResourceLoader::LoadString(Resources(), id);
}

bool CAvalinApp::IsChatPresent() const {
    return Obrix().IsExistModule && Obrix().IsExistModule(ObrixModule::Chat, u"") != 0;
}

QString CAvalinApp::UserID() const {
    return Obrix().GetUserID ? FromUtf16(Obrix().GetUserID()) : QString();
}

// ---- life cycle ----

void CAvalinApp::OnInit() {
    // Tests of absent handling shorten the minute so that "Time" 1 passes in seconds.
    m_idle.SetMinute(uint32_t(qEnvironmentVariableIntValue("ZELTA_AVALIN_MINUTE_MS")));
    LoadHook();
}

void CAvalinApp::OnStart() {
    if (!m_dlg)
        m_dlg = new CAvalinDlg(*this);
    m_dlg->show();
}

void CAvalinApp::OnKill() {
    delete m_dlg.data();
    m_hook.Unload();
}

int32_t CAvalinApp::OnPreTranslateMessage(MSG* msg) {
    return m_dlg && m_dlg->PreTranslate(msg) ? 1 : 0;
}

void CAvalinApp::OnBegin(int32_t kind, intptr_t arg) {
    if (!m_dlg)
        return;
    switch (kind) {
    case 0:
        m_dlg->RestoreAndRaise();
        break;
    case 2:
        if (m_loggedOn && arg)
            OpenMemberProperty(FromUtf16(reinterpret_cast<const char16_t*>(arg)));
        break;
    case 1: {
        const int32_t state = Obrix().GetLogonState ? Obrix().GetLogonState() : 0;
        if (m_optionOpen || m_dlg->IsStatusDialogOpen() || state == ObrixLogon::LoggingOn ||
            state == ObrixLogon::LoggingOff)
            return;
        m_dlg->ShowTrayMenu();
        break;
    }
    default:
        break;
    }
}

void CAvalinApp::OnOption() {
    if (Obrix().ShowOption)
        Obrix().ShowOption();
}

void CAvalinApp::OnLogon(int32_t flag) {
    if (!flag)
        return;
    m_loggedOn = true;
    m_model->SetUserID(UserID());
    ReplaceTree();
    m_settings = CAvalinSettings::Read(Obrix(), IsChatPresent(), Text(AvalinRes::TextAbsentStatus));
    LoadPresets();
    m_sounds.ReadSndInfo();
    LoadStatusIcons();
    if (m_dlg)
        m_dlg->OnLoggedOn();
    StartIdleTimer();
    TakeOwnStatusFromTree();
    RebuildList();
}

void CAvalinApp::OnLogoff(int32_t flag) {
    if (!flag)
        return;
    m_loggedOn = false;
    m_idle.Stop();
    delete m_soundDlg.data();
    if (m_dlg) {
        m_dlg->SetIdleTimer(false);
        m_dlg->OnLoggedOff();
    }
    // Rows point into the directory: empty the list first.
    m_model->Clear();
    m_dir.Clear();
    m_presets.Clear();
    m_sounds.AllClearIMSndData();
}

// ---- directory events ----

const tagIMGRPMEMBER* CAvalinApp::FetchMembership(const QString& groupId,
                                                  const QString& memberId) const {
    return Obrix().GetGroupMembers ? Obrix().GetGroupMembers(U16(groupId), U16(memberId)) : nullptr;
}

void CAvalinApp::OnChangeMemPresence(const char16_t* groupId, const char16_t* memberId,
                                     const char16_t*) {
    if (!m_loggedOn)
        return;
    const QString member = FromUtf16(memberId);
    // Only the member's membership records are read: the rest of the copy stays as it is.
    const CAvalinDirectory::PresenceChange change =
        m_dir.ApplyPresence(FromUtf16(groupId), member, [this](const QString& g, const QString& m) {
            return FetchMembership(g, m);
        });
    if (change.onNetMember)
        m_model->UpdateMember(CAvalinDirectory::kOnNettersID, member, change.onNetMember);
    for (const QString& group : change.groupIds)
        m_model->UpdateMember(group, member, nullptr);
}

void CAvalinApp::OnAddGrpMember(const char16_t*, const char16_t*, const char16_t*) {
    if (!m_loggedOn)
        return;
    ReplaceTree();
    ReconcileAndSavePresets();
    RebuildList();
}

int32_t CAvalinApp::OnRemoveGrp(const char16_t* groupId) {
    if (!m_loggedOn)
        return 0;
    ReplaceTree();
    ReconcileAndSavePresets();
    QStringList expanded = m_model->ExpandedGroups();
    expanded.removeIf([id = FromUtf16(groupId)](const QString& e) {
        return e.compare(id, Qt::CaseInsensitive) == 0;
    });
    WriteFile(DataPath(QString::fromUtf16(CExpandedGroups::kFileName)),
              CExpandedGroups::ToBytes(expanded));
    RebuildList();
    return 1;
}

void CAvalinApp::OnRemoveGrpMember(const char16_t*, const char16_t* memberId) {
    if (!m_loggedOn)
        return;
    ReplaceTree();
    ReconcileAndSavePresets();
    const QString member = FromUtf16(memberId);
    // A member who is still in another group keeps its own sounds.
    bool stillListed = false;
    ForEachGroup(m_dir.Groups(),
                 [&](const CIMGroup& g) { stillListed = stillListed || g.GetMember(member); });
    if (!stillListed && !member.isEmpty() && m_sounds.GetIMSndData(member)) {
        m_sounds.ClearIMSndData(member);
        SoundChanged(member, QString());
    }
    RebuildList();
}

void CAvalinApp::OnChangeGrpName(const char16_t* groupId) {
    const QString id = FromUtf16(groupId);
    if (!m_loggedOn || id.compare(CAvalinDirectory::kAllGroups, Qt::CaseInsensitive) == 0)
        return;
    if (m_dir.ApplyGroupName(id, Obrix().GetGroup ? Obrix().GetGroup(groupId) : nullptr))
        m_model->RenameGroup(id);
}

// ---- options ----

void CAvalinApp::OnBeginOption() {
    m_optionOpen = true;
    if (LogonState() != ObrixLogon::LoggedOn)
        return;
    m_settings = CAvalinSettings::Read(Obrix(), IsChatPresent(), Text(AvalinRes::TextAbsentStatus));
    if (!m_generalPage) {
        m_generalPage = new COptionGeneralPage(*this);
        m_generalPage->CreatePage(Text(312));
    }
    if (!m_statusPage) {
        m_statusPage = new COptionStatusPage(*this);
        m_statusPage->CreatePage(Text(313));
    }
    HWND pages[2] = {m_generalPage, m_statusPage};
    if (Obrix().AddOptionPage)
        Obrix().AddOptionPage(pages, 2);
}

void CAvalinApp::OnKillOption() {
    m_optionOpen = false;
    delete m_generalPage.data();
    delete m_statusPage.data();
}

COptionGeneralPage* CAvalinApp::GeneralPage() const {
    return m_generalPage;
}

COptionStatusPage* CAvalinApp::StatusPage() const {
    return m_statusPage;
}

CSettingSoundDlg* CAvalinApp::SoundDialog() const {
    return m_soundDlg;
}

void CAvalinApp::StoreOptions(const CAvalinSettings& settings, const QList<int>& groups) {
    m_settings = settings;
    for (int group : groups)
        m_settings.Write(Obrix(), group);
}

void CAvalinApp::ApplyOptions(int group, bool reset) {
    switch (group) {
    case 0:
        if (!reset)
            break;
        if (m_dlg)
            m_dlg->ResetLayout();
        m_model->CollapseAll();
        QFile::remove(DataPath(QString::fromUtf16(CExpandedGroups::kFileName)));
        m_sounds.InitSndInfo();
        if (Obrix().Begin) {
            Obrix().Begin(ObrixModule::Message, MessageBegin::ClearAllTones, 0);
            if (IsChatPresent())
                Obrix().Begin(ObrixModule::Chat, ChatBegin::ClearAllTones, 0);
        }
        break;
    case 1:
        StartIdleTimer();
        if (m_dlg)
            m_dlg->PresenceList()->SetMemberColumnWidth(m_settings.memberColumn);
        break;
    case 2:
    case 3:
        RefreshMessageLists();
        break;
    case 4:
        if (reset) {
            ResetPresets();
            SavePresets();
            if (m_dlg)
                m_dlg->RefreshStatusMenus();
        }
        break;
    default:
        break;
    }
}

// ---- member, group and sound windows ----

int32_t CAvalinApp::LogonState() const {
    return Obrix().GetLogonState ? Obrix().GetLogonState() : ObrixLogon::LoggedOff;
}

void CAvalinApp::OpenMemberProperty(const QString& memberId) {
    auto* dlg = new CMemberPropDlg(*this, memberId, m_dlg);
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void CAvalinApp::OpenGroupProperty(const QString& groupId) {
    auto* dlg = new CGroupPropDlg(*this, groupId, m_dlg);
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void CAvalinApp::OpenSoundDialog(const QString& memberId) {
    if (!m_soundDlg) {
        m_soundDlg = new CSettingSoundDlg(*this, memberId, m_dlg);
        m_soundDlg->show();
    }
    m_soundDlg->raise();
    m_soundDlg->activateWindow();
}

void CAvalinApp::SoundChanged(const QString& memberId, const QString& path) {
    if (!m_sounds.WriteSndInfo())
        Log(QStringLiteral("Avalin: SndData.zin not written"));
    if (!Obrix().Begin)
        return;
    if (path.isEmpty()) {
        Obrix().Begin(ObrixModule::Message, MessageBegin::ClearMemberTone, intptr_t(U16(memberId)));
    } else {
        tagMESBEGINTONE message{U16(memberId), U16(path)};
        Obrix().Begin(ObrixModule::Message, MessageBegin::SetMemberTone, intptr_t(&message));
    }
    if (IsChatPresent()) {
        tagCHATBEGINTONE chat{U16(memberId), U16(path)};
        Obrix().Begin(ObrixModule::Chat,
                      path.isEmpty() ? ChatBegin::ClearMemberTone : ChatBegin::MemberTone,
                      intptr_t(&chat));
    }
}

void CAvalinApp::WarnNotLoggedOn(QWidget* over, const QString& buttonCaption) {
    if (m_dlg)
        m_dlg->Warn(over->windowTitle(),
                    CResourceLoader::Format(Resources(), AvalinRes::TextNeedsLogon,
                                            {QString(buttonCaption).remove(u'&')}),
                    over);
}

// ---- absent handling ----

void CAvalinApp::Log(const QString& text) const {
    if (Obrix().SaveLog)
        Obrix().SaveLog(1, 0, U16(text));
}

void CAvalinApp::LoadHook() {
    const QString appDir = Obrix().GetAppDir ? FromUtf16(Obrix().GetAppDir()) : QString();
    m_hook.Load(appDir + QStringLiteral("plugin/im/AvalinH.so"),
                [this](const QString& text) { Log(text); });
}

void CAvalinApp::ArmHook(CAvalinDlg* window) {
    m_hook.Arm(window, [this](const QString& text) { Log(text); });
}

void CAvalinApp::DisarmHook() {
    m_hook.Disarm();
}

void CAvalinApp::StartIdleTimer() {
    const bool running =
        m_idle.Start(m_settings.changeStatus, m_settings.idleMinutes, m_settings.reservation);
    if (m_dlg)
        m_dlg->SetIdleTimer(running);
}

CIMPreset CAvalinApp::UserPreset(const QString& status, const QString& icon,
                                 uint32_t colour) const {
    CIMPreset preset;
    preset.SetStatus(status);
    preset.SetIcon(icon);
    preset.SetBkColor(colour);
    const QList<std::pair<QString, QString>> groups = UserGroups();
    preset.SetMaxGroup(unsigned(groups.size()));
    for (const auto& group : groups)
        preset.AddGroup(group.first);
    return preset;
}

void CAvalinApp::OnIdleTick() {
    if (!m_idle.OnTick(m_loggedOn, m_own.status, m_own.colour))
        return;
    // The own status stays: it is what the user comes back to.
    const CIMPreset away = UserPreset(m_settings.absentStatus, m_settings.absentIcon, AvalinColour::Red);
    if (Obrix().SendStatus)
        Obrix().SendStatus(away);
}

void CAvalinApp::OnActivity() {
    if (!m_idle.OnActivity(m_loggedOn))
        return;
    if (m_settings.returnOnNet)
        m_own.status = AvalinStatus::kOnNet;
    const CIMPreset back =
        UserPreset(AvalinStatus::ToSend(m_own.status), m_own.icon, m_own.colour);
    if (Obrix().SendStatus)
        Obrix().SendStatus(back);
}

// ---- message lists ----

int32_t CAvalinApp::OnRecvMessage(const char16_t* messageId) {
    if (m_loggedOn && m_dlg)
        m_dlg->NewPage()->AddMessage(FromUtf16(messageId), m_settings.newCount);
    return 0;
}

intptr_t CAvalinApp::OnSendMessage(const char16_t* messageId) {
    // The answer is the record of the listed message (valid while it is listed).
    const CLetrix* listed = m_loggedOn && m_dlg ? m_dlg->SendPage()->AddMessage(
                                                      FromUtf16(messageId), m_settings.sendCount)
                                                : nullptr;
    return listed ? intptr_t(listed->Record()) : 0;
}

void CAvalinApp::OnRemoveMessage(int32_t box, const char16_t* messageId) {
    if (!m_dlg)
        return;
    if (box == ObrixBox::Received)
        m_dlg->NewPage()->RemoveMessage(FromUtf16(messageId));
    else if (box == ObrixBox::Sent)
        m_dlg->SendPage()->RemoveMessage(FromUtf16(messageId));
}

void CAvalinApp::OnChangeMessageFlags(int32_t box, const char16_t* messageId, uint32_t flags) {
    if (!m_dlg)
        return;
    if (box == ObrixBox::Received)
        m_dlg->NewPage()->ChangeFlags(FromUtf16(messageId), flags, m_settings.newKeepRead);
    else if (box == ObrixBox::Sent)
        m_dlg->SendPage()->ChangeFlags(FromUtf16(messageId), flags, true);
}

void CAvalinApp::RefreshMessageLists() {
    if (!m_dlg)
        return;
    m_dlg->NewPage()->Refresh(m_settings.newCount, m_settings.newKeepRead);
    m_dlg->SendPage()->Refresh(m_settings.sendCount, true);
}

void CAvalinApp::ReplaceTree() {
    m_model->Clear();
    m_dir.Replace(Obrix().GetGroupAll ? Obrix().GetGroupAll() : nullptr);
}

void CAvalinApp::RebuildList() {
    // Rows come sorted by the current sort state.
    m_model->Build(&m_dir.OnNetters(), m_dir.Groups(), ReadExpandedGroups());
}

QStringList CAvalinApp::ReadExpandedGroups() const {
    QByteArray bytes;
    if (!ReadFile(DataPath(QString::fromUtf16(CExpandedGroups::kFileName)), bytes))
        return {};
    return CExpandedGroups::FromBytes(bytes);
}

void CAvalinApp::SaveExpandedGroups() {
    if (!WriteFile(DataPath(QString::fromUtf16(CExpandedGroups::kFileName)),
                   CExpandedGroups::ToBytes(m_model->ExpandedGroups())))
        CImFrame::Instance().SaveLog(ZeltaLogLevel::Error,
                                     QStringLiteral("Avalin: DeployGrpID.zin not written"));
}

// ---- files ----

QString CAvalinApp::DataPath(const QString& fileName) const {
    if (!Obrix().GetModuleDir)
        return QString();
    const char16_t* dir = Obrix().GetModuleDir(ObrixModule::Presence);
    return dir ? FromUtf16(dir) + QStringLiteral("data/") + fileName : QString();
}

bool CAvalinApp::ReadFile(const QString& path, QByteArray& bytes) const {
    if (path.isEmpty() || !Obrix().ReadFile)
        return false;
    uint8_t* buffer = nullptr;
    uint32_t length = 0;
    if (!Obrix().ReadFile(U16(path), &buffer, &length))
        return false;
    bytes = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(length));
    std::free(buffer);
    return true;
}

bool CAvalinApp::WriteFile(const QString& path, const QByteArray& bytes) const {
    return !path.isEmpty() && Obrix().WriteFile &&
           Obrix().WriteFile(U16(path), reinterpret_cast<const uint8_t*>(bytes.constData()),
                             uint32_t(bytes.size()), 1) != 0;
}

// ---- presets and status ----

QList<std::pair<QString, QString>> CAvalinApp::UserGroups() const {
    QList<std::pair<QString, QString>> groups;
    const QString user = UserID();
    ForEachGroup(m_dir.Groups(), [&](const CIMGroup& g) {
        if (g.GetMember(user))
            groups.append({g.GetID(), g.GetName()});
    });
    return groups;
}

void CAvalinApp::LoadPresets() {
    QByteArray bytes;
    if (!ReadFile(DataPath(kPresetFile), bytes) || !m_presets.Load(bytes)) {
        ResetPresets();
        SavePresets();
    }
    ReconcileAndSavePresets();
}

void CAvalinApp::ResetPresets() {
    QFile::remove(DataPath(kPresetFile));
    QByteArray bytes;
    const QString appDir = Obrix().GetAppDir ? FromUtf16(Obrix().GetAppDir()) : QString();
    const QString templatePath =
        appDir.isEmpty() ? QString() : appDir + QStringLiteral("plugin/im/") + kPresetFile;
    QFile templateFile(templatePath);
    if (!templatePath.isEmpty() && templateFile.open(QIODevice::ReadOnly) &&
        m_presets.Load(templateFile.readAll())) {
        SavePresets();
    } else {
        m_presets.FillDefaults(CPresetList::UserGroups(m_dir.Groups(), UserID()));
    }
    m_presets.Reconcile(m_dir.Groups(), UserID());
}

void CAvalinApp::SavePresets() {
    if (!WriteFile(DataPath(kPresetFile), m_presets.Bytes()))
        CImFrame::Instance().SaveLog(ZeltaLogLevel::Error,
                                     QStringLiteral("Avalin: Preset.zin not written"));
}

void CAvalinApp::ReconcileAndSavePresets() {
    if (m_presets.IsEmpty())
        return;
    if (m_presets.Reconcile(m_dir.Groups(), UserID()))
        SavePresets();
    if (m_dlg)
        m_dlg->RefreshStatusMenus();
}

void CAvalinApp::ApplyPreset(int index) {
    if (!m_loggedOn || index < 0 || index >= m_presets.Count())
        return;
    m_lastPreset = index;
    SendStatus(m_presets.At(index));
}

void CAvalinApp::SendStatus(const CIMPreset& preset) {
    m_own = {AvalinStatus::Normalised(preset.GetStatus()), preset.GetIcon(), preset.GetBkColor()};
    if (Obrix().SendStatus)
        Obrix().SendStatus(preset);
}

void CAvalinApp::StorePreset(int index, const CIMPreset& preset) {
    if (index < 0 || index >= m_presets.Count())
        return;
    m_lastPreset = index;
    m_presets.Set(index, preset);
    SavePresets();
    if (m_dlg)
        m_dlg->RefreshStatusMenus();
}

void CAvalinApp::LoadStatusIcons() {
    QStringList paths;
    if (Obrix().GetModuleDir && Obrix().GetModuleDir(ObrixModule::Presence))
        paths.append(FromUtf16(Obrix().GetModuleDir(ObrixModule::Presence)) +
                     QStringLiteral("res/status.bmp"));
    if (Obrix().GetAppDir && Obrix().GetAppDir())
        paths.append(FromUtf16(Obrix().GetAppDir()) + QStringLiteral("plugin/im/status.bmp"));
    const qreal ratio = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                            ? qGuiApp->devicePixelRatio()
                            : 1.0;
    m_icons.Load(paths, ratio);
}

void CAvalinApp::TakeOwnStatusFromTree() {
    m_own = {AvalinStatus::kOnNet, AvalinStatus::kDefaultIcon, AvalinColour::Green};
    const QString user = UserID();
    bool found = false;
    ForEachGroup(m_dir.Groups(), [&](const CIMGroup& g) {
        const CIMGrpMember* own = found ? nullptr : g.GetMember(user);
        if (!own)
            return;
        found = true;
        m_own = {AvalinStatus::Normalised(own->GetStatus()), own->GetIcon(), own->GetBkColor()};
    });
}

// ---- commands ----

AvalinCommandState CAvalinApp::CommandState(int tab, const QList<int>& rows) const {
    AvalinCommandState s;
    s.loggedOn = m_loggedOn;
    s.chatPresent = IsChatPresent();
    s.tab = tab;
    if (tab != AvalinCommandState::MembersTab) {
        s.selected = int(rows.size());
        s.propertyRow = rows.size() == 1;
        return s;
    }
    s.selected = int(rows.size());
    const int one = rows.size() == 1 ? rows.front() : -1;
    const CMemberTreeModel::Kind kind = m_model->RowKind(one);
    s.propertyRow = one > 0 && kind != CMemberTreeModel::NoRow;
    s.chatSelection = m_model->IsChatSelection(rows);
    s.oneOtherMember = kind == CMemberTreeModel::MemberRow;
    if (kind == CMemberTreeModel::GroupRow) {
        for (const CIMGrpMember* m = m_model->GroupAt(one)->GetMember(); m; m = m->GetBros())
            s.groupHasOnline = s.groupHasOnline || !AvalinStatus::IsOff(m->GetStatus());
    }
    return s;
}

void CAvalinApp::BeginMessage(int32_t kind, const QStringList& to) {
    if (!Obrix().Begin)
        return;
    if (to.isEmpty()) {
        Obrix().Begin(ObrixModule::Message, MessageBegin::New, 0);
        return;
    }
    CLetrix letrix;
    letrix.AddDst(CLetrix::DST_TO, to.join(u','));
    tagMESBEGIN record{kMessageFromIMWindow, letrix};
    Obrix().Begin(ObrixModule::Message, kind, intptr_t(&record));
}

void CAvalinApp::BeginChat(const QStringList& members) {
    if (!Obrix().Begin || !IsChatPresent())
        return;
    const std::vector<const char16_t*> ids = Pointers(members);
    tagCHATBEGINMEMBERS record{ids.data(), int32_t(ids.size())};
    Obrix().Begin(ObrixModule::Chat, ChatBegin::StartChat,
                  members.isEmpty() ? 0 : intptr_t(&record));
}

void CAvalinApp::SendFiles(const QString& targetId, const QStringList& paths) {
    if (!m_loggedOn || paths.isEmpty() || !Obrix().Begin)
        return;
    const std::vector<const char16_t*> files = Pointers(paths);
    tagMESBEGINMEMBER record{U16(targetId), files.data(), int32_t(files.size())};
    Obrix().Begin(ObrixModule::Message, MessageBegin::NewToMember, intptr_t(&record));
}

void CAvalinApp::ActivateMember(int row) {
    const CIMGrpMember* member = m_model->MemberAt(row);
    if (!m_loggedOn || !member)
        return;
    const bool off = AvalinStatus::IsOff(member->GetStatus());
    const bool own = m_model->RowKind(row) == CMemberTreeModel::OwnRow;
    bool chat = false;
    switch (m_settings.doubleClick) {
    case CAvalinSettings::DoubleClickChat:
        if (off && !m_dlg->Ask(Text(AvalinRes::TextMembersTab), Text(AvalinRes::TextOfflineNoChat)))
            return;
        chat = !off;
        break;
    case CAvalinSettings::DoubleClickAsk:
        if (!off && !own) {
            const int choice = m_dlg->ChooseMessageOrChat(member->GetName());
            if (choice < 0)
                return;
            chat = choice == 1;
        }
        break;
    default:
        break;
    }
    if (chat && !own)
        BeginChat({member->GetID()});
    else
        BeginMessage(MessageBegin::NewToSameRecipients, {member->GetID()});
}

void CAvalinApp::OpenUrl(const QString& url) {
    if (m_settings.preCheckUrl &&
        !m_dlg->Ask(Text(AvalinRes::TextUrlCaption),
                    CResourceLoader::Format(Resources(), AvalinRes::TextUrlQuestion, {url})))
        return;
    QDesktopServices::openUrl(QUrl(url));
}

void CAvalinApp::LogonCommand() {
    const int32_t state = Obrix().GetLogonState ? Obrix().GetLogonState() : 0;
    if (state == ObrixLogon::LoggingOn || state == ObrixLogon::LoggingOff) {
        m_dlg->Warn(Text(AvalinRes::TextImWindow),
                    CResourceLoader::Format(
                        Resources(), AvalinRes::TextBusy,
                        {Text(state == ObrixLogon::LoggingOn ? AvalinRes::TextLogoff
                                                             : AvalinRes::TextLogon),
                         Text(m_loggedOn ? AvalinRes::TextLogoff : AvalinRes::TextLogon)}));
        return;
    }
    if (state != ObrixLogon::LoggedOff && state != ObrixLogon::LoggedOn &&
        state != ObrixLogon::Offline)
        return;
    if (m_loggedOn) {
        if (CAvalinSettings::ReadInt(Obrix(), u"General", u"Logoff", 1) &&
            !m_dlg->Ask(Text(AvalinRes::TextImWindow), Text(AvalinRes::TextLogoffQuestion)))
            return;
        if (Obrix().Logoff)
            Obrix().Logoff(0, 0);
    } else if (Obrix().Logon) {
        Obrix().Logon(0, 0);
    }
}

void CAvalinApp::RunCommand(int command) {
    using namespace AvalinCmd;
    const QList<int> rows = m_dlg ? m_dlg->SelectedRows() : QList<int>();
    if (!AvalinCommands::IsEnabled(command, CommandState(m_dlg ? m_dlg->CurrentTab() : 0, rows)))
        return;
    const CObrixTable& core = Obrix();
    if (const int preset = PresetIndex(command); preset >= 0) {
        ApplyPreset(preset);
        return;
    }
    switch (command) {
    case NewMessage:
    case NewMessageButton:
        BeginMessage(MessageBegin::New, {});
        break;
    case MessageBox:
    case MessageBoxButton:
        if (core.Begin)
            core.Begin(ObrixModule::MessageBox, 0, 0);
        break;
    case Chat:
    case ChatButton:
        BeginChat({});
        break;
    case Logon:
        LogonCommand();
        break;
    case OptionGeneral:
        if (core.Option)
            core.Option(ObrixModule::General);
        break;
    case OptionPresence:
        OnOption();
        break;
    case OptionMessage:
        if (core.Option)
            core.Option(ObrixModule::Message);
        break;
    case OptionChat:
        if (core.Option)
            core.Option(ObrixModule::Chat);
        break;
    case OptionNotify:
        if (core.Option)
            core.Option(ObrixModule::Notify);
        break;
    case Exit:
        if (core.Kill)
            core.Kill();
        break;
    case SelectChat:
        BeginChat(m_model->ChatMembers(rows));
        break;
    case SelectMessage: {
        QStringList to;
        for (int row : rows) {
            const QString id = m_model->index(row, 0).data(CMemberTreeModel::IdRole).toString();
            // Groups are addressed as "all@" and their id, as the message module expects.
            to.append(m_model->RowKind(row) == CMemberTreeModel::GroupRow
                          ? QStringLiteral("all@") + id
                          : id);
        }
        BeginMessage(MessageBegin::NewToSameRecipients, to);
        break;
    }
    case OnNettersMessage: {
        QStringList to;
        if (CIMGroup* group = rows.size() == 1 ? m_model->GroupAt(rows.front()) : nullptr) {
            for (const CIMGrpMember* m = group->GetMember(); m; m = m->GetBros()) {
                if (!AvalinStatus::IsOff(m->GetStatus()))
                    to.append(m->GetID());
            }
        }
        if (!to.isEmpty())
            BeginMessage(MessageBegin::NewToSameRecipients, to);
        break;
    }
    case Reply:
    case ReplyAll:
    case ReEdit:
    case Open:
    case Transfer:
        if (CMessagePage* page = m_dlg->MessagePage(m_dlg->CurrentTab()))
            page->RunMessageCommand(command);
        break;
    case Property:
        if (CMessagePage* page = m_dlg->MessagePage(m_dlg->CurrentTab())) {
            page->RunMessageCommand(command);
        } else if (rows.size() == 1) {
            const QString id =
                m_model->index(rows.front(), 0).data(CMemberTreeModel::IdRole).toString();
            if (m_model->RowKind(rows.front()) == CMemberTreeModel::GroupRow)
                OpenGroupProperty(id);
            else
                OpenMemberProperty(id);
        }
        break;
    case MyProperty:
        OpenMemberProperty(UserID());
        break;
    case SettingSound:
        if (rows.size() == 1)
            OpenSoundDialog(
                m_model->index(rows.front(), 0).data(CMemberTreeModel::IdRole).toString());
        break;
    case Clear:
    case ClearAll:
        if (CMessagePage* page = m_dlg->MessagePage(m_dlg->CurrentTab())) {
            if (!m_dlg->Ask(Text(AvalinRes::TextNewTab),
                            Text(command == Clear ? AvalinRes::TextClearQuestion
                                                  : AvalinRes::TextClearAllQuestion)))
                break;
            if (command == Clear)
                page->RemoveSelected();
            else
                page->RemoveAll();
        }
        break;
    case Help:
        if (core.Help)
            core.Help();
        break;
    case Version:
        if (core.Version)
            core.Version();
        break;
    case WebSite:
        QDesktopServices::openUrl(QUrl(kWebSite));
        break;
    default:
        break;
    }
}
