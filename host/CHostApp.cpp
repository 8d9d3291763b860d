#include "host/CHostApp.h"

#include "host/CLogoDlg.h"
#include "host/CTerminationSignals.h"
#include "host/CVersionDlg.h"
#include "host/TaskTrayWire.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

CHostApp::CHostApp() {
    m_core.SetApp(this);
}

CHostApp::~CHostApp() {
    m_core.SetApp(nullptr);
}

int CHostApp::Run(const QStringList& arguments) {
    switch (InitInstance(arguments)) {
    case Outcome::SecondInstance:
        return ExitNormal;
    case Outcome::NoCoreModule:
        ExitInstance();
        return ExitNoCoreModule;
    case Outcome::Running:
        break;
    }
    QApplication::exec();
    ExitInstance();
    return ExitNormal;
}

CHostApp::Outcome CHostApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(QStringLiteral("Tovar"));
    // The session ends through COREAPI_Kill (or a termination signal), never because the
    // modules happen to have no window open.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!m_hMutex.Acquire()) {
        CSingleInstance::ActivateRunning(ZeltaTaskTray::serverPath());
        return Outcome::SecondInstance;
    }
    m_signals = std::make_unique<CTerminationSignals>();

    m_pLogoWnd = std::make_unique<CLogoDlg>([this] {
        m_modules.Notify(ZeltaCoreType::All, CCoreModuleList::Notification::Kill);
        m_pLogoWnd->hide();
        Kill();
    });
    m_pLogoWnd->show();

    m_core.ComputePaths();
    m_core.DetermineOSVersion();
    m_core.Log().RemoveStale();
    m_hResModule.Load(m_core.AppDir() + QStringLiteral("lang/Japanese.so"));
    // The program's own path is left out: a folder called "d1" must not switch on debugging.
    const QString commandLine = arguments.join(u' ');
    if (!commandLine.isEmpty())
        m_nDebugFlags = CHostCore::ParseDebugFlags(commandLine);
    m_core.SetDebugFlags(m_nDebugFlags);
    m_core.Log().Write(ZeltaCoreType::Host, ZeltaLogLevel::Notice,
                       QStringLiteral("Starting Zelta"));

    m_modules.SetStatusSink([this](const QString& text, int32_t mode) { SetLogoInfo(text, mode); });
    m_modules.SetLoadedSink([this](const QString& path) {
        m_core.Log().Write(ZeltaCoreType::Host, ZeltaLogLevel::Notice,
                           path + QStringLiteral(" Loaded."));
    });
    // A module left out (a missing symbol after a partial update, say) is otherwise silent.
    m_modules.SetSkippedSink([this](const QString& path, const QString& reason) {
        m_core.Log().Write(ZeltaCoreType::Host, ZeltaLogLevel::Warning,
                           QStringLiteral("%1 not loaded: %2").arg(path, reason));
    });
    m_core.SetModules(&m_modules);
    if (!m_modules.Load(m_core.PluginDir())) {
        m_core.Log().Write(ZeltaCoreType::Host, ZeltaLogLevel::Error,
                           QStringLiteral("No core module was found in ") + m_core.PluginDir());
        TellNoCoreModule();
        return Outcome::NoCoreModule;
    }
    qApp->installEventFilter(this);
    m_bFiltering = true;

    m_modules.Notify(ZeltaCoreType::All, CCoreModuleList::Notification::Init);
    m_pLogoWnd->HideForGood();
    m_modules.Notify(ZeltaCoreType::All, CCoreModuleList::Notification::Start);

    m_pVersionDlg = new CVersionDlg(m_modules, m_hResModule.String(ZeltaLangId::VersionTitle),
                                    m_core.GetMainWnd());
    m_pVersionDlg->hide();
    return Outcome::Running;
}

void CHostApp::ExitInstance() {
    if (!m_modules.Modules().empty()) {
        m_core.Log().Write(ZeltaCoreType::Host, ZeltaLogLevel::Notice,
                           QStringLiteral("Zelta will die."));
        m_modules.Notify(ZeltaCoreType::All, CCoreModuleList::Notification::Kill);
    }
    if (m_bFiltering) {
        qApp->removeEventFilter(this);
        m_bFiltering = false;
    }
    m_hResModule.Free();
    // Windows go before the libraries: a module may have left a window of its own below one
    // of them, and that window's code must still be there when it is destroyed.
    delete m_pVersionDlg.data();
    m_pLogoWnd.reset();
    m_core.SetModules(nullptr);
    m_modules.Release();
    m_core.Log().Write(ZeltaCoreType::Host, ZeltaLogLevel::Notice,
                       QStringLiteral("Zelta is terminated."));
    m_signals.reset();
    m_hMutex.Release();
}

void CHostApp::TellNoCoreModule() {
    QString format = m_hResModule.String(ZeltaLangId::NoCoreModule);
    if (format.isEmpty())
        format = QStringLiteral("コアモジュールが見つかりませんでした。\n検索したフォルダ: %s");
    const QString text = CLangModule::Format(format, m_core.PluginDir());
    // Tests and scripted runs have no one to close a box: the text goes to stderr instead.
    const bool noDialogs = QGuiApplication::platformName() == u"offscreen" ||
                           qEnvironmentVariable("ZELTA_NO_DIALOGS") == u"1";
    if (noDialogs) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return;
    }
    m_pLogoWnd->hide();
    QMessageBox::critical(nullptr, QStringLiteral("Zelta"), text);
}

void CHostApp::Kill() {
    // Posted, so that a module may ask for it before the event loop runs.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void CHostApp::SetLogoInfo(const QString& text, int32_t mode) {
    QString line;
    switch (mode) {
    case 0:
        line = text;
        break;
    case 1:
        line = CLangModule::Format(m_hResModule.String(ZeltaLangId::Loading), text);
        break;
    case 2:
        line = CLangModule::Format(m_hResModule.String(ZeltaLangId::Loaded), text);
        break;
    default:
        break;
    }
    if (m_pLogoWnd)
        m_pLogoWnd->SetStatusText(line);
}

QWidget* CHostApp::RealMainWnd() const {
    return m_pLogoWnd.get();
}

void CHostApp::DispVersion() {
    if (m_pVersionDlg)
        m_pVersionDlg->show();
}

bool CHostApp::eventFilter(QObject* watched, QEvent* event) {
    MSG msg{watched, event};
    m_modules.Notify(ZeltaCoreType::All, CCoreModuleList::Notification::PreTranslate,
                     reinterpret_cast<intptr_t>(&msg));
    return false;
}
