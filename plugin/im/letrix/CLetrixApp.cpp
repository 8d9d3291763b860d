#include "plugin/im/letrix/CLetrixApp.h"

#include "host/CoreApi.h"
#include "imframe/CImFrame.h"
#include "imframe/ImSound.h"
#include "imframe/MessageRequests.h"
#include "obrix/CIMSndData.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/RecordText.h"
#include "plugin/im/letrix/CEnterPressesButton.h"
#include "plugin/im/letrix/CIMMesComposeRequest.h"
#include "plugin/im/letrix/CIMMesEditFrame.h"
#include "plugin/im/letrix/CIMMesNoticeWnd.h"
#include "plugin/im/letrix/CIMMesPropDialog.h"
#include "plugin/im/letrix/CIMMesRecvContent.h"
#include "plugin/im/letrix/CIMMesRecvFrame.h"
#include "plugin/im/letrix/CIMMesRingTone.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace {

constexpr uint32_t kNoSubject = 496;

template <typename T> QList<T*> Open(const QList<QPointer<T>>& windows) {
    QList<T*> open;
    for (const QPointer<T>& w : windows)
        if (w && w->isVisible())
            open << w.data();
    return open;
}

} // namespace

CLetrixApp::CLetrixApp()
    : CIMPluginApp(ImModules::Message),
      m_tonePlayer([](const QString& path) { ImSound::Play(path); }) {}

CLetrixApp::~CLetrixApp() {
    // The core calls OnKill before it unloads the plug-in; this only covers a host that did
    // not, while widgets can still be deleted.
    if (QCoreApplication::instance())
        OnKill();
}

void* CLetrixApp::Resources() const {
    return Obrix().GetIMResHandle ? Obrix().GetIMResHandle() : nullptr;
}

CIMMesSettings CLetrixApp::ReadSettings() const {
    CIMMesSettings settings;
    settings.Read(Obrix());
    return settings;
}

QList<CIMMesEditFrame*> CLetrixApp::ComposeWindows() const {
    return Open(m_frames);
}

QList<CIMMesRecvFrame*> CLetrixApp::ReceiveWindows() const {
    return Open(m_recvFrames);
}

QList<CIMMesNoticeWnd*> CLetrixApp::Notices() const {
    return Open(m_notices);
}

void CLetrixApp::SetTonePlayer(std::function<void(const QString&)> player) {
    m_tonePlayer = std::move(player);
}

CIMMesPropDialog* CLetrixApp::OptionDialog() const {
    return m_dlg && m_dlg->isVisible() ? m_dlg.data() : nullptr;
}

void CLetrixApp::OnBegin(int32_t kind, intptr_t data) {
    const int32_t state = Obrix().GetLogonState ? Obrix().GetLogonState() : 0;
    if (state != ObrixLogon::LoggedOn && state != ObrixLogon::Offline)
        return;
    if (kind >= MessageBegin::SetMemberTone) {
        BeginTone(kind, data);
        return;
    }
    if (kind == MessageBegin::Open) {
        const auto* request = reinterpret_cast<const tagMESBEGIN*>(data);
        if (request && request->pLetrix)
            OpenReceived(request->nBox, CLetrix(request->pLetrix));
        return;
    }
    const std::optional<CIMMesComposeRequest> request =
        CIMMesComposeRequest::Build(Obrix(), kind, data);
    if (!request)
        return;
    auto* frame = new CIMMesEditFrame(Obrix(), ReadSettings());
    QObject::connect(frame, &CIMMesEditFrame::OptionRequested, frame,
                     [this] { ShowOptionDialog(); });
    // Closed windows stay listed until they are gone, so that unloading deletes any whose
    // deferred deletion has not run yet.
    m_frames.removeAll(nullptr);
    m_frames.append(frame);
    frame->show();
    frame->raise();
    frame->activateWindow();
    frame->Open(*request);
}

void CLetrixApp::OnOption() {
    if (Obrix().GetLogonState && Obrix().GetLogonState() == ObrixLogon::LoggedOn)
        ShowOptionDialog();
}

void CLetrixApp::ShowOptionDialog() {
    if (CIMMesPropDialog* open = OptionDialog()) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    delete m_dlg.data(); // closed, waiting for the event loop to delete it
    auto* dlg = new CIMMesPropDialog(Resources(), ReadSettings());
    QObject::connect(dlg, &CIMMesPropDialog::Stored, dlg, [this](const CIMMesSettings& values) {
        if (!values.Write(Obrix()))
            CImFrame::Instance().SaveLog(ZeltaLogLevel::Error,
                                         QStringLiteral("Letrix: message options not written"));
        // A new notice position or tone counts from the next message on.
        m_settings = values;
    });
    m_dlg = dlg;
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void CLetrixApp::CloseComposeWindows() {
    for (CIMMesEditFrame* f : ComposeWindows())
        f->close();
}

void CLetrixApp::CloseReceiveWindows() {
    for (CIMMesRecvFrame* f : ReceiveWindows())
        f->close();
}

void CLetrixApp::CloseNotices(const QString& messageId) {
    for (const QPointer<CIMMesNoticeWnd>& n : QList(m_notices))
        if (n && (messageId.isEmpty() || n->MessageId() == messageId)) {
            n->hide();
            n->deleteLater();
        }
    m_notices.removeAll(nullptr);
}

void CLetrixApp::OnLogon(int32_t flag) {
    if (!flag)
        return;
    CloseComposeWindows();
    CloseReceiveWindows();
    m_settings = ReadSettings();
    m_tones.ReadSndInfo();
}

void CLetrixApp::OnLogoff(int32_t flag) {
    if (!flag)
        return;
    CloseNotices();
    CloseComposeWindows();
    CloseReceiveWindows();
}

CIMMesRecvFrame* CLetrixApp::OpenReceived(uint32_t box, const CLetrix& message) {
    const QString id = message.GetMessageID();
    for (CIMMesRecvFrame* open : ReceiveWindows()) {
        if (open->MessageId() == id) {
            open->showNormal();
            open->raise();
            open->activateWindow();
            CloseNotices(id);
            return open;
        }
    }
    auto* frame = new CIMMesRecvFrame(Obrix(), ReadSettings());
    frame->Open(box, message);
    m_recvFrames.removeAll(nullptr);
    m_recvFrames.append(frame);
    frame->show();
    frame->raise();
    frame->activateWindow();
    CloseNotices(id);
    return frame;
}

CIMMesRecvFrame* CLetrixApp::OpenReceived(const QString& messageId) {
    if (!Obrix().GetMessage)
        return nullptr;
    tagLETRIX* record = Obrix().GetMessage(ObrixBox::Received, RecordText::Field(messageId));
    if (!record) {
        // Removed meanwhile: the notice has nothing left to show.
        CloseNotices(messageId);
        return nullptr;
    }
    const CLetrix message(record);
    if (Obrix().CleanupLetrix)
        Obrix().CleanupLetrix(record);
    return OpenReceived(ObrixBox::Received, message);
}

int32_t CLetrixApp::OnRecvMessage(const char16_t* messageId) {
    if (!Obrix().GetLogonState || Obrix().GetLogonState() != ObrixLogon::LoggedOn ||
        !Obrix().GetMessage || !messageId)
        return 0;
    tagLETRIX* record = Obrix().GetMessage(ObrixBox::Received, messageId);
    if (!record)
        return 0;
    const CLetrix message(record);
    if (Obrix().CleanupLetrix)
        Obrix().CleanupLetrix(record);
    RaiseNotice(message);
    PlayTone(message.GetFromID());
    return 0;
}

void CLetrixApp::RaiseNotice(const CLetrix& message) {
    const QString subject = CIMMesRecvContent::DisplaySubject(
        message.GetSubject(), CResourceLoader::LoadString(Resources(), kNoSubject));
    auto* notice = new CIMMesNoticeWnd(Resources(), message.GetMessageID(), subject,
                                       message.GetFromNameAndID());
    QObject::connect(notice, &CIMMesNoticeWnd::OpenRequested, notice,
                     [this](const QString& id) { OpenReceived(id); });
    m_placement.PlaceOnScreen(m_settings.noticePosition, notice);
    notice->show();
    m_notices.removeAll(nullptr);
    m_notices.append(notice);
}

void CLetrixApp::PlayTone(const QString& senderId) {
    const QString appDir =
        Obrix().GetAppDir ? RecordText::FromField(Obrix().GetAppDir()) : QString();
    const QString path = CIMMesRingTone::PathFor(m_tones, senderId, m_settings, appDir);
    if (CIMMesRingTone::IsPlayable(path) && m_tonePlayer)
        m_tonePlayer(path);
}

void CLetrixApp::BeginTone(int32_t kind, intptr_t data) {
    switch (kind) {
    case MessageBegin::SetMemberTone: {
        const auto* tone = reinterpret_cast<const tagMESBEGINTONE*>(data);
        if (!tone || !tone->pszMemberID)
            return;
        const CIMSndData entry(RecordText::FromField(tone->pszMemberID),
                               RecordText::FromField(tone->pszFilePath));
        if (m_tones.GetIMSndData(entry.GetMemberID()))
            m_tones.SetIMSndData(entry);
        else
            m_tones.AddIMSndData(entry);
        return;
    }
    case MessageBegin::ClearMemberTone:
        if (data)
            m_tones.ClearIMSndData(RecordText::FromField(reinterpret_cast<const char16_t*>(data)));
        return;
    case MessageBegin::ClearAllTones:
        m_tones.AllClearIMSndData();
        return;
    default:
        return;
    }
}

void CLetrixApp::OnRemoveMessage(int32_t /*box*/, const char16_t* messageId) {
    if (messageId)
        CloseNotices(RecordText::FromField(messageId));
}

int32_t CLetrixApp::OnPreTranslateMessage(MSG* msg) {
    if (CIMMesPropDialog* dlg = OptionDialog(); dlg && dlg->PreTranslate(msg))
        return 1;
    for (CIMMesEditFrame* frame : ComposeWindows())
        if (EnterPressesButton(msg, frame))
            return 1;
    for (CIMMesRecvFrame* frame : ReceiveWindows())
        if (EnterPressesButton(msg, frame))
            return 1;
    return 0;
}

void CLetrixApp::OnKill() {
    for (const QPointer<CIMMesNoticeWnd>& n : QList(m_notices))
        delete n.data();
    m_notices.clear();
    for (const QPointer<CIMMesRecvFrame>& f : QList(m_recvFrames))
        delete f.data();
    m_recvFrames.clear();
    for (const QPointer<CIMMesEditFrame>& f : QList(m_frames))
        delete f.data();
    m_frames.clear();
    delete m_dlg.data();
}
