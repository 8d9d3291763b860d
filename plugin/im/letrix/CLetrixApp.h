// The message plug-in's application object: opens compose windows on request, keeps the
// option dialog, and closes its windows at log-on, log-off and unloading.
#pragma once

#include "imframe/CIMPluginApp.h"
#include "plugin/im/letrix/CIMMesSettings.h"

#include <QList>
#include <QPointer>

class CIMMesEditFrame;
class CIMMesPropDialog;

class CLetrixApp : public CIMPluginApp {
public:
    CLetrixApp();
    ~CLetrixApp() override;

    void OnKill() override;
    int32_t OnPreTranslateMessage(MSG* msg) override;
    void OnBegin(int32_t kind, intptr_t data) override;
    void OnOption() override;
    void OnLogon(int32_t flag) override;
    void OnLogoff(int32_t flag) override;

    // The open compose windows in opening order, and the option dialog (null when closed).
    QList<CIMMesEditFrame*> ComposeWindows() const;
    CIMMesPropDialog* OptionDialog() const;

    // The options as the core holds them now.
    CIMMesSettings ReadSettings() const;

private:
    void* Resources() const;
    void ShowOptionDialog();
    void CloseComposeWindows();

    QList<QPointer<CIMMesEditFrame>> m_frames;
    QPointer<CIMMesPropDialog> m_dlg;
};
