#include "plugin/im/parlo/CParloApp.h"

#include "imframe/ChatRequests.h"
#include "imframe/ImSound.h"
#include "obrix/CHtmlTagString.h"
#include "obrix/CIMGroup.h"
#include "obrix/CIMGrpMember.h"
#include "obrix/CIMMember.h"
#include "obrix/CIMSndData.h"
#include "obrix/CResourceLoader.h"
#include "obrix/RecordText.h"
#include "plugin/im/letrix/CEnterPressesButton.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/richtext/CHtmlBodyWriter.h"
#include "plugin/im/parlo/CChatEntryWnd.h"
#include "plugin/im/parlo/CMainFrame.h"
#include "plugin/im/parlo/CMessageEditCtrl.h"
#include "plugin/im/parlo/CParloLogName.h"
#include "plugin/im/parlo/CParloOptionDlg.h"
#include "plugin/im/parlo/ParloText.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTimeZone>

namespace {

// The sent-data record goes to the chat category at the lowest level.
constexpr int32_t kLogCategory = 5;
constexpr int32_t kLogLevel = 0;

const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

QDateTime LocalTime(const SYSTEMTIME& utc) {
    const QDateTime t(QDate(utc.wYear, utc.wMonth, utc.wDay),
                      QTime(utc.wHour, utc.wMinute, utc.wSecond, utc.wMilliseconds),
                      QTimeZone::utc());
    return t.isValid() ? t.toLocalTime() : QDateTime::currentDateTime();
}

} // namespace

CParloApp::CParloApp() : CIMChatPluginApp(ImModules::Chat) {
    m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    m_tonePlayer = [](const QString& path) { ImSound::Play(path); };
    m_chooseSavePath = [this](QWidget* parent, const QString& proposed) {
        return QFileDialog::getSaveFileName(parent, Text(ParloText::SaveTitle), proposed,
                                            Text(ParloText::AllFiles));
    };
}

CParloApp::~CParloApp() {
    DestroyAll();
}

void* CParloApp::Resources() const {
    return Obrix().GetIMResHandle ? Obrix().GetIMResHandle() : nullptr;
}

QString CParloApp::Text(uint32_t id) const {
    return CResourceLoader::LoadString(Resources(), id);
}

QString CParloApp::UserId() const {
    return Obrix().GetUserID ? RecordText::FromField(Obrix().GetUserID()) : QString();
}

bool CParloApp::IsLoggedOn() const {
    return Obrix().GetLogonState && Obrix().GetLogonState() == ObrixLogon::LoggedOn;
}

// ---- life cycle ----

void CParloApp::OnInit() {
    m_limits.Read(Obrix());
}

void CParloApp::OnKill() {
    m_pending.clear();
    CloseInvitations();
    DestroyAll();
}

void CParloApp::DestroyAll() {
    for (const QPointer<CChatEntryWnd>& w : m_invitations)
        delete w.data();
    m_invitations.clear();
    for (const QPointer<CMainFrame>& w : m_windows)
        delete w.data();
    m_windows.clear();
    delete m_option.data();
}

int32_t CParloApp::OnPreTranslateMessage(MSG* msg) {
    if (!msg)
        return 0;
    for (const QPointer<CMainFrame>& w : m_windows)
        if (w && EnterPressesButton(msg, w))
            return 1;
    for (const QPointer<CChatEntryWnd>& w : m_invitations)
        if (w && EnterPressesButton(msg, w))
            return 1;
    if (m_option && EnterPressesButton(msg, m_option))
        return 1;
    return 0;
}

void CParloApp::OnLogon(int32_t flag) {
    if (!flag)
        return;
    m_settings = CParloSettings();
    m_settings.Read(Obrix());
    m_tones.ReadSndInfo();
}

void CParloApp::OnLogoff(int32_t flag) {
    if (!flag)
        return;
    for (const QPointer<CMainFrame>& w : QList<QPointer<CMainFrame>>(m_windows))
        if (w)
            w->close();
    m_windows.removeAll(nullptr);
    m_pending.clear();
    CloseInvitations();
}

void CParloApp::CloseInvitations() {
    for (const QPointer<CChatEntryWnd>& w : QList<QPointer<CChatEntryWnd>>(m_invitations))
        if (w)
            w->Dismiss();
    m_invitations.clear();
}

// ---- requests of other plug-ins ----

void CParloApp::OnBegin(int32_t kind, intptr_t data) {
    switch (kind) {
    case ChatBegin::StartChat: {
        if (!IsLoggedOn())
            return;
        if (OpenWindows() >= m_limits.maxCreateWnd) {
            CIMMesPrompt::Show(nullptr, Resources(), ParloText::TooManyRooms,
                               {m_limits.maxCreateWnd}, QMessageBox::Information, QMessageBox::Ok,
                               ParloText::Caption);
            return;
        }
        if (!m_pending.empty())
            return;
        QStringList ids;
        if (const auto* record = reinterpret_cast<const tagCHATBEGINMEMBERS*>(data))
            for (int32_t i = 0; i < record->nMembers && record->ppszMembers; ++i)
                ids << RecordText::FromField(record->ppszMembers[i]);
        // Queued before the call: the core may answer from inside it.
        m_pending.push_back(ids);
        if (Obrix().ChatCreate)
            Obrix().ChatCreate();
        else
            m_pending.pop_front();
        break;
    }
    case ChatBegin::MemberTone: {
        const auto* tone = reinterpret_cast<const tagCHATBEGINTONE*>(data);
        if (!tone)
            return;
        const QString id = RecordText::FromField(tone->pszMemberID);
        const QString path = RecordText::FromField(tone->pszFilePath);
        if (path.isEmpty()) {
            m_tones.ClearIMSndData(id);
            return;
        }
        CIMSndData entry;
        entry.SetMemberID(id);
        entry.SetPath(path);
        if (m_tones.GetIMSndData(id))
            m_tones.SetIMSndData(entry);
        else
            m_tones.AddIMSndData(entry);
        break;
    }
    case ChatBegin::ClearMemberTone:
        if (const auto* tone = reinterpret_cast<const tagCHATBEGINTONE*>(data))
            m_tones.ClearIMSndData(RecordText::FromField(tone->pszMemberID));
        break;
    case ChatBegin::ClearAllTones:
        m_tones.AllClearIMSndData();
        break;
    default:
        break;
    }
}

// ---- the core's answers ----

void CParloApp::OnChatCreate(int32_t chat, int32_t result) {
    if (!IsLoggedOn() || m_pending.empty())
        return;
    const QStringList ids = m_pending.front();
    m_pending.pop_front();
    if (result == 0) {
        CIMMesPrompt::Show(nullptr, Resources(), ParloText::NoRoom, {}, QMessageBox::Warning,
                           QMessageBox::Ok, ParloText::Caption);
        return;
    }
    CMainFrame* frame = OpenWindow(chat);
    Invite(frame, QStringList{UserId()} + ids, false);
}

CMainFrame* CParloApp::OpenWindow(int32_t chat) {
    // The font bar and the input line take the options as they are now.
    m_settings.Read(Obrix());
    auto* frame = new CMainFrame(*this, chat);
    m_windows.removeAll(nullptr);
    m_windows.append(frame);
    frame->show();
    frame->raise();
    frame->activateWindow();
    frame->Input()->setFocus();
    return frame;
}

int CParloApp::OpenWindows() const {
    // A window on its way out (closed, not yet deleted) no longer holds a room.
    int open = 0;
    for (const QPointer<CMainFrame>& w : m_windows)
        open += w && !w->Doc().IsClosing() ? 1 : 0;
    return open;
}

CMainFrame* CParloApp::FindWindow(int32_t chat) const {
    for (const QPointer<CMainFrame>& w : m_windows)
        if (w && w->Doc().Chat() == chat && w->isVisible() && !w->Doc().IsClosing())
            return w;
    return nullptr;
}

std::optional<CParloDoc::MemberInfo> CParloApp::LookupMember(const QString& id) const {
    if (id.isEmpty())
        return std::nullopt;
    std::optional<CParloDoc::MemberInfo> info;
    if (Obrix().GetGroupAll) {
        if (const tagIMGROUP* record = Obrix().GetGroupAll()) {
            CIMGroup tree;
            tree = record;
            // The member's first membership in the tree tells its presence.
            const std::function<const CIMGrpMember*(const CIMGroup*)> find =
                [&](const CIMGroup* g) -> const CIMGrpMember* {
                for (; g; g = g->GetBros()) {
                    if (const CIMGrpMember* m = g->GetMember(id))
                        return m;
                    if (const CIMGrpMember* m = find(g->GetChild()))
                        return m;
                }
                return nullptr;
            };
            if (const CIMGrpMember* m = find(&tree))
                info = CParloDoc::MemberInfo{
                    QString(), m->GetStatus().compare(u"off", Qt::CaseInsensitive) == 0};
        }
    }
    // The user is on line whatever the tree says, and takes part even when no group lists them.
    if (id == UserId())
        info = CParloDoc::MemberInfo{QString(), false};
    if (!info)
        return std::nullopt;
    if (Obrix().GetMember)
        if (const tagIMMEMBER* member = Obrix().GetMember(Utf16(id)))
            info->name = CIMMember::DisplayName(member);
    if (info->name.isEmpty())
        info->name = id;
    return info;
}

CParloDoc::MemberLookup CParloApp::Lookup() const {
    return [this](const QString& id) { return LookupMember(id); };
}

void CParloApp::Invite(CMainFrame* frame, const QStringList& ids, bool fromDrop) {
    if (!frame || !IsLoggedOn())
        return;
    CParloDoc& doc = frame->Doc();
    bool refused = false;
    const QStringList invite = doc.Invite(ids, fromDrop, m_limits.maxMembers, Lookup(), &refused);
    if (refused) {
        CIMMesPrompt::Show(frame, Resources(), ParloText::TooManyMembers, {m_limits.maxMembers},
                           QMessageBox::Information, QMessageBox::Ok, ParloText::Caption);
        return;
    }
    if (doc.Chat() != CParloDoc::kNoChat && Obrix().ChatInvite)
        for (const QString& id : invite)
            Obrix().ChatInvite(doc.Chat(), Utf16(id));
    frame->RefreshParticipants();
}

void CParloApp::OnChatUpdate(int32_t chat, const tagCHATEVENT* event) {
    OnEvent(chat, event, true);
}

void CParloApp::OnChatAllLog(int32_t chat, const tagCHATEVENT* event) {
    OnEvent(chat, event, false);
}

void CParloApp::OnEvent(int32_t chat, const tagCHATEVENT* event, bool live) {
    if (!event || !IsLoggedOn())
        return;
    CMainFrame* frame = FindWindow(chat);
    if (!frame)
        return;
    CParloDoc& doc = frame->Doc();
    doc.NoteEventTime(LocalTime(event->stTime));
    const QString member = RecordText::FromField(event->pszMemberID);
    const QString text = RecordText::FromField(event->pszText);
    if (live && !frame->isActiveWindow()) {
        frame->Flash();
        PlayTone(member, CParloTone::Talk);
    }
    const CParloDoc::EventOutcome out = doc.ApplyEvent(event->nType, member, Lookup());
    if (out.append)
        frame->AppendEvent(event->nType, member, text);
    if (out.listChanged)
        frame->RefreshParticipants();
}

// ---- talk ----

void CParloApp::Talk(CMainFrame* frame) {
    if (!frame || frame->Doc().Chat() == CParloDoc::kNoChat || !IsLoggedOn())
        return;
    if (frame->Input()->document()->isEmpty())
        return;
    QString html;
    CHtmlBodyWriter::WriteChat(*frame->Input()->document(), html);
    CHtmlTagString::ReplaceMarkC2S(html);
    if (Obrix().SaveLog)
        Obrix().SaveLog(kLogCategory, kLogLevel, Utf16(QStringLiteral("SendData: %1").arg(html)));
    if (Obrix().ChatTalk)
        Obrix().ChatTalk(frame->Doc().Chat(), Utf16(html));
    frame->PollTimer().start();
    frame->ResetInput();
}

// ---- closing and saving ----

void CParloApp::CloseChat(CMainFrame* frame) {
    const int32_t chat = frame->Doc().Chat();
    if (chat == CParloDoc::kNoChat)
        return;
    frame->PollTimer().stop();
    if (Obrix().ChatClose)
        Obrix().ChatClose(chat);
    if (frame->Log().IsEmpty() || !frame->isVisible())
        return;
    if (m_settings.logSave != 0) {
        if (CIMMesPrompt::Show(frame, Resources(), ParloText::SaveQuestion, {},
                               QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
                               ParloText::Caption) == QMessageBox::Ok)
            SaveLog(frame);
        return;
    }
    const QString folder = m_settings.logSavePath;
    if (folder.isEmpty())
        return;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return;
    SaveLog(frame, folder);
}

bool CParloApp::SaveLog(CMainFrame* frame, const QString& folder) {
    if (!frame)
        return false;
    const CParloDoc& doc = frame->Doc();
    const QDateTime start = doc.StartTime().value_or(QDateTime::currentDateTime());
    const QString proposed = CParloLogName::Default(start, doc.Participants().JoinedNames());
    QString path;
    if (folder.isEmpty()) {
        // The dialog opens where the last log went, at first in the user's documents folder,
        // never in whatever folder the program happened to be started from.
        const QString startDir =
            m_lastSaveDir.isEmpty()
                ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                : m_lastSaveDir;
        path = m_chooseSavePath ? m_chooseSavePath(frame, QDir(startDir).filePath(proposed))
                                : QString();
        if (path.isEmpty())
            return false;
        m_lastSaveDir = QFileInfo(path).absolutePath();
    } else {
        const QDir dir(folder);
        path = dir.filePath(CParloLogName::FreeName(
            proposed, [&dir](const QString& name) { return dir.exists(name); }));
    }
    const CParloLog::Header header{Text(ParloText::HeaderStart), CParloLog::StartTimeText(start),
                                   Text(ParloText::HeaderMembers),
                                   doc.Participants().JoinedNames()};
    QString error;
    if (frame->Log().SaveRtf(path, header, &error))
        return true;
    CIMMesPrompt::Show(frame, Resources(), ParloText::SaveFailed, {path + u'\n' + error},
                       QMessageBox::Warning, QMessageBox::Ok, ParloText::Caption);
    return false;
}

// ---- invitations ----

void CParloApp::OnChatInvite(int32_t chat, const char16_t* inviterId, const char16_t* text) {
    if (!IsLoggedOn())
        return;
    // The window's own settings are read afresh, as the options may have changed.
    m_settings.Read(Obrix());
    const QString inviter = RecordText::FromField(inviterId);
    const auto info = LookupMember(inviter);
    QString name = info ? info->name : QString();
    if (name.isEmpty() && Obrix().GetMember)
        if (const tagIMMEMBER* member = Obrix().GetMember(inviterId))
            name = CIMMember::DisplayName(member);
    if (name.isEmpty())
        name = inviter;
    auto* wnd = new CChatEntryWnd(*this, chat, inviter, name, RecordText::FromField(text));
    // Placed once shown, when the frame around it is known, so the frame stays on the screen.
    wnd->show();
    m_placement.PlaceOnScreen(m_settings.messagePosition, wnd);
    m_invitations.removeAll(nullptr);
    m_invitations.append(wnd);
    PlayTone(inviter, CParloTone::Invitation);
}

void CParloApp::AcceptInvitation(CChatEntryWnd* wnd) {
    m_invitations.removeAll(wnd);
    if (!IsLoggedOn())
        return;
    // As every chat window, it lists the user first; the others come with the chat's events.
    CMainFrame* frame = OpenWindow(wnd->Chat());
    Invite(frame, {UserId()}, false);
    if (Obrix().ChatJoin)
        Obrix().ChatJoin(wnd->Chat());
}

void CParloApp::DeclineInvitation(CChatEntryWnd* wnd, bool refused) {
    m_invitations.removeAll(wnd);
    if (Obrix().ChatDecline)
        Obrix().ChatDecline(wnd->Chat(), refused ? 1 : 0);
}

void CParloApp::PlayTone(const QString& memberId, CParloTone::Kind kind) {
    const QString appDir =
        Obrix().GetAppDir ? RecordText::FromField(Obrix().GetAppDir()) : QString();
    const QString path = CParloTone::PathFor(m_tones, memberId, kind, m_settings, appDir);
    if (!path.isEmpty() && QFileInfo(path).isReadable() && m_tonePlayer)
        m_tonePlayer(path);
}

// ---- options ----

void CParloApp::OnOption() {
    if (m_option) {
        m_option->raise();
        m_option->activateWindow();
        return;
    }
    m_settings.Read(Obrix());
    m_option = new CParloOptionDlg(*this, m_settings);
    m_option->show();
}

void CParloApp::StoreSettings(const CParloSettings& values) {
    m_settings = values;
    m_settings.Write(Obrix());
    for (const QPointer<CMainFrame>& w : m_windows)
        if (w)
            w->ApplyListSide(m_settings.memberListPosition);
}
