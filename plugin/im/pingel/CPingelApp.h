// The notification plug-in's application object: turns presence and receipt events into
// lines of the one notification window and owns that window and the option dialog.
#pragma once

#include "imframe/CIMPluginApp.h"
#include "plugin/im/pingel/CPingelLineBuilder.h"
#include "plugin/im/pingel/CPingelSettings.h"
#include "plugin/im/pingel/CPingelTimeline.h"

#include <QList>
#include <QPointer>

class CPingelOptionDlg;
class CPingelWnd;
class QWidget;

class CPingelApp : public CIMPluginApp {
public:
    CPingelApp();
    ~CPingelApp() override;

    void OnKill() override;
    int32_t OnPreTranslateMessage(MSG* msg) override;
    void OnOption() override;
    void OnLogon(int32_t flag) override;
    void OnLogoff(int32_t flag) override;
    void OnRecvNotify(int32_t kind, const char16_t* messageId, const char16_t* memberId) override;
    void OnChangeMemPresence(const char16_t* groupId, const char16_t* memberId,
                             const char16_t* previousStatus) override;

    bool IsLoggedOn() const { return m_loggedOn; }
    // The open window and dialog, null when there is none.
    CPingelWnd* Window() const;
    CPingelOptionDlg* OptionDialog() const;

    // The clock of the window's timers and of the lines' times (milliseconds since the epoch).
    void SetClock(PingelClock clock) { m_clock = std::move(clock); }

private:
    CPingelSettings ReadSettings() const;
    void* Resources() const;
    void Append(const QList<PingelLine>& lines, const CPingelSettings& settings);
    // Writes the dialog's values and applies them to an open window.
    void Store(const CPingelSettings& values);
    // Hides a widget and deletes it from the event loop; OnKill deletes what is still left.
    void Retire(QWidget* widget);
    void DestroyWindows();

    bool m_loggedOn = false;
    QPointer<CPingelWnd> m_wnd;
    QPointer<CPingelOptionDlg> m_dlg;
    QList<QPointer<QWidget>> m_retired;
    PingelClock m_clock;
};
