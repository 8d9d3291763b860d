#include "plugin/im/letrix/CLetrixApp.h"

#include "host/CoreApi.h"
#include "imframe/CImFrame.h"
#include "imframe/MessageRequests.h"
#include "plugin/im/letrix/CEnterPressesButton.h"
#include "plugin/im/letrix/CIMMesComposeRequest.h"
#include "plugin/im/letrix/CIMMesEditFrame.h"
#include "plugin/im/letrix/CIMMesPropDialog.h"

#include <QCoreApplication>

CLetrixApp::CLetrixApp() : CIMPluginApp(ImModules::Message) {}

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
    QList<CIMMesEditFrame*> open;
    for (const QPointer<CIMMesEditFrame>& f : m_frames)
        if (f && f->isVisible())
            open << f.data();
    return open;
}

CIMMesPropDialog* CLetrixApp::OptionDialog() const {
    return m_dlg && m_dlg->isVisible() ? m_dlg.data() : nullptr;
}

void CLetrixApp::OnBegin(int32_t kind, intptr_t data) {
    const int32_t state = Obrix().GetLogonState ? Obrix().GetLogonState() : 0;
    if (state != ObrixLogon::LoggedOn && state != ObrixLogon::Offline)
        return;
    // Reading a received message and ring tones are the receive side's.
    if (kind == MessageBegin::Open || kind > MessageBegin::NewToMember)
        return;
    const std::optional<CIMMesComposeRequest> request =
        CIMMesComposeRequest::Build(Obrix(), kind, data);
    if (!request)
        return;
    auto* frame = new CIMMesEditFrame(Obrix(), ReadSettings());
    QObject::connect(frame, &CIMMesEditFrame::OptionRequested, frame,
                     [this] { ShowOptionDialog(); });
    QObject::connect(frame, &CIMMesEditFrame::Closed, frame,
                     [this](CIMMesEditFrame* closed) { m_frames.removeAll(closed); });
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
    });
    m_dlg = dlg;
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void CLetrixApp::CloseComposeWindows() {
    for (const QPointer<CIMMesEditFrame>& f : QList(m_frames))
        if (f)
            f->close();
}

void CLetrixApp::OnLogon(int32_t flag) {
    if (flag)
        CloseComposeWindows();
}

void CLetrixApp::OnLogoff(int32_t flag) {
    if (flag)
        CloseComposeWindows();
}

int32_t CLetrixApp::OnPreTranslateMessage(MSG* msg) {
    if (CIMMesPropDialog* dlg = OptionDialog(); dlg && dlg->PreTranslate(msg))
        return 1;
    for (CIMMesEditFrame* frame : ComposeWindows())
        if (EnterPressesButton(msg, frame))
            return 1;
    return 0;
}

void CLetrixApp::OnKill() {
    for (const QPointer<CIMMesEditFrame>& f : QList(m_frames))
        delete f.data();
    m_frames.clear();
    delete m_dlg.data();
}
