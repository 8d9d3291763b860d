#include "plugin/im/pingel/CPingelApp.h"

#include "host/CoreApi.h"
#include "imframe/CImFrame.h"
#include "plugin/im/pingel/CPingelOptionDlg.h"
#include "plugin/im/pingel/CPingelWnd.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {

QString Text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

} // namespace

CPingelApp::CPingelApp()
    : CIMPluginApp(ImModules::Notify), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
}

CPingelApp::~CPingelApp() {
    // The core calls OnKill before it unloads the plug-in; this only covers a host that
    // did not, while widgets can still be deleted.
    if (QCoreApplication::instance())
        DestroyWindows();
}

CPingelWnd* CPingelApp::Window() const {
    return m_wnd && !m_wnd->IsClosing() ? m_wnd.data() : nullptr;
}

CPingelOptionDlg* CPingelApp::OptionDialog() const {
    return m_dlg && m_dlg->isVisible() ? m_dlg.data() : nullptr;
}

CPingelSettings CPingelApp::ReadSettings() const {
    CPingelSettings settings;
    settings.Read(Obrix());
    return settings;
}

void* CPingelApp::Resources() const {
    return Obrix().GetIMResHandle ? Obrix().GetIMResHandle() : nullptr;
}

void CPingelApp::OnKill() {
    DestroyWindows();
}

void CPingelApp::OnLogon(int32_t flag) {
    if (flag)
        m_loggedOn = true;
}

void CPingelApp::OnLogoff(int32_t flag) {
    if (!flag)
        return;
    DestroyWindows();
    m_loggedOn = false;
}

void CPingelApp::OnChangeMemPresence(const char16_t* groupId, const char16_t* memberId,
                                     const char16_t* previousStatus) {
    const CPingelSettings settings = ReadSettings();
    const CPingelLineBuilder builder(Obrix(), Resources(),
                                     QDateTime::fromMSecsSinceEpoch(m_clock()));
    Append(builder.Presence(settings, Text(groupId), Text(memberId), Text(previousStatus)),
           settings);
}

void CPingelApp::OnRecvNotify(int32_t kind, const char16_t* messageId, const char16_t* memberId) {
    const CPingelSettings settings = ReadSettings();
    const CPingelLineBuilder builder(Obrix(), Resources(),
                                     QDateTime::fromMSecsSinceEpoch(m_clock()));
    Append(builder.Receipt(settings, kind, Text(messageId), Text(memberId)), settings);
}

void CPingelApp::Append(const QList<PingelLine>& lines, const CPingelSettings& settings) {
    // The window opens only for a line to show: an event that yields none leaves no empty
    // window behind.
    if (lines.isEmpty())
        return;
    const CPingelSettings usable = settings.Usable();
    if (!Window()) {
        auto* wnd = new CPingelWnd(usable, m_clock);
        QObject::connect(wnd, &CPingelWnd::Closing, wnd, [this](CPingelWnd* closing) {
            if (m_wnd == closing)
                m_wnd = nullptr;
            Retire(closing);
        });
        m_wnd = wnd;
    }
    for (const PingelLine& line : lines)
        m_wnd->AppendLine(usable, line);
}

void CPingelApp::OnOption() {
    if (CPingelOptionDlg* open = OptionDialog()) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    // A dialog closed since is still waiting for the event loop to delete it.
    delete m_dlg.data();
    auto* dlg = new CPingelOptionDlg(Resources(), ReadSettings());
    QObject::connect(dlg, &CPingelOptionDlg::Stored, dlg,
                     [this](const CPingelSettings& values) { Store(values); });
    m_dlg = dlg;
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void CPingelApp::Store(const CPingelSettings& values) {
    if (!values.Write(Obrix()))
        CImFrame::Instance().SaveLog(ZeltaLogLevel::Error,
                                     QStringLiteral("Pingel: notification settings not written"));
    if (CPingelWnd* wnd = Window())
        wnd->ApplySettings(values.Usable());
}

int32_t CPingelApp::OnPreTranslateMessage(MSG* msg) {
    CPingelOptionDlg* dlg = OptionDialog();
    return dlg && dlg->PreTranslate(msg) ? 1 : 0;
}

void CPingelApp::Retire(QWidget* widget) {
    widget->hide();
    widget->deleteLater();
    m_retired.removeAll(nullptr);
    m_retired.append(widget);
}

void CPingelApp::DestroyWindows() {
    delete m_wnd.data();
    delete m_dlg.data();
    for (const QPointer<QWidget>& w : std::as_const(m_retired))
        delete w.data();
    m_retired.clear();
}
