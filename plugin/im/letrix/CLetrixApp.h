// The message plug-in's application object: opens compose and receive windows on request,
// raises arrival notices with their ring tones, keeps the members' own tones and the option
// dialog, and closes its windows at log-on, log-off and unloading.
#pragma once

#include "imframe/CIMPluginApp.h"
#include "obrix/CIMSndInfo.h"
#include "plugin/im/letrix/CIMMesNoticePlacement.h"
#include "plugin/im/letrix/CIMMesSettings.h"

#include <QList>
#include <QPointer>
#include <functional>

class CIMMesEditFrame;
class CIMMesNoticeWnd;
class CIMMesPropDialog;
class CIMMesRecvFrame;
class CLetrix;

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
    int32_t OnRecvMessage(const char16_t* messageId) override;
    void OnRemoveMessage(int32_t box, const char16_t* messageId) override;

    // The open windows in opening order, and the option dialog (null when closed).
    QList<CIMMesEditFrame*> ComposeWindows() const;
    QList<CIMMesRecvFrame*> ReceiveWindows() const;
    QList<CIMMesNoticeWnd*> Notices() const;
    CIMMesPropDialog* OptionDialog() const;
    const CIMSndInfo& MemberTones() const { return m_tones; }

    // Opens the receive window of a message (a window already open for it comes to the top)
    // and closes the notices of that message.
    CIMMesRecvFrame* OpenReceived(uint32_t box, const CLetrix& message);
    // The same for a received message known only by its id; null when the core lacks it.
    CIMMesRecvFrame* OpenReceived(const QString& messageId);

    // Plays a tone file; tests listen instead of playing.
    void SetTonePlayer(std::function<void(const QString&)> player);

    // The options as the core holds them now.
    CIMMesSettings ReadSettings() const;

private:
    void* Resources() const;
    void ShowOptionDialog();
    void CloseComposeWindows();
    void CloseReceiveWindows();
    void CloseNotices(const QString& messageId = QString());
    void RaiseNotice(const CLetrix& message);
    void PlayTone(const QString& senderId);
    void BeginTone(int32_t kind, intptr_t data);

    QList<QPointer<CIMMesEditFrame>> m_frames;
    QList<QPointer<CIMMesRecvFrame>> m_recvFrames;
    QList<QPointer<CIMMesNoticeWnd>> m_notices;
    QPointer<CIMMesPropDialog> m_dlg;
    CIMMesSettings m_settings;
    CIMSndInfo m_tones;
    CIMMesNoticePlacement m_placement;
    std::function<void(const QString&)> m_tonePlayer;
};
