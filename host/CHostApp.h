// The application object: owns the process's run from the single-instance check to the last
// log record. Start-up and shutdown follow a fixed order (see InitInstance and ExitInstance);
// between them the core modules own the user interface.
#pragma once

#include "host/CCoreModuleList.h"
#include "host/CHostCore.h"
#include "host/CLangModule.h"
#include "host/CSingleInstance.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

class CLogoDlg;
class CVersionDlg;
class CTerminationSignals;

class CHostApp : public QObject {
    Q_OBJECT
public:
    // Exit codes of Run.
    enum { ExitNormal = 0, ExitNoCoreModule = 1 };

    CHostApp();
    ~CHostApp() override;

    // The whole run: start-up, the event loop, shutdown. `arguments` are the program's
    // arguments without the program path. Returns the process exit code.
    int Run(const QStringList& arguments);

    // COREAPI_ application services.
    void Kill();
    void SetLogoInfo(const QString& text, int32_t mode);
    QWidget* RealMainWnd() const;
    void* ResHandle() const { return m_hResModule.Handle(); }
    void DispVersion();

protected:
    // Offers every event of the user-interface thread to the core modules before its normal
    // delivery. A module that handles it hides it from the modules after it; the event is
    // still delivered normally, as the framework's own pre-translation has no say here.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Outcome { Running, SecondInstance, NoCoreModule };
    Outcome InitInstance(const QStringList& arguments);
    void ExitInstance();
    void TellNoCoreModule();

    CHostCore m_core;
    CCoreModuleList m_modules;
    std::unique_ptr<CLogoDlg> m_pLogoWnd;
    QPointer<CVersionDlg> m_pVersionDlg; // may belong to the registered main window
    CLangModule m_hResModule;
    CSingleInstance m_hMutex;
    std::unique_ptr<CTerminationSignals> m_signals;
    uint32_t m_nDebugFlags = 0;
    bool m_bFiltering = false;
};
