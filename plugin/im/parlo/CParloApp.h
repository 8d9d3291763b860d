// The chat plug-in's application object: starts chats and answers invitations through the
// core, hands each chat's events to its window, and owns the chat windows, the invitation
// windows and the option dialog.
#pragma once

#include "imframe/CIMChatPluginApp.h"
#include "obrix/CIMSndInfo.h"
#include "plugin/im/letrix/CIMMesNoticePlacement.h"
#include "plugin/im/parlo/CChatEntryWnd.h"
#include "plugin/im/parlo/CMainFrame.h"
#include "plugin/im/parlo/CParloDoc.h"
#include "plugin/im/parlo/CParloOptionDlg.h"
#include "plugin/im/parlo/CParloSettings.h"
#include "plugin/im/parlo/CParloTone.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <deque>
#include <functional>

class QWidget;

// Milliseconds since the epoch; tests move it by hand.
using ParloClock = std::function<qint64()>;

class CParloApp : public CIMChatPluginApp {
public:
    CParloApp();
    ~CParloApp() override;

    void OnInit() override;
    void OnKill() override;
    int32_t OnPreTranslateMessage(MSG* msg) override;
    void OnBegin(int32_t kind, intptr_t data) override;
    void OnOption() override;
    void OnLogon(int32_t flag) override;
    void OnLogoff(int32_t flag) override;
    void OnChatCreate(int32_t chat, int32_t result) override;
    void OnChatUpdate(int32_t chat, const tagCHATEVENT* event) override;
    void OnChatAllLog(int32_t chat, const tagCHATEVENT* event) override;
    void OnChatInvite(int32_t chat, const char16_t* inviterId, const char16_t* text) override;

    // ---- for the windows ----
    void* Resources() const;
    QString Text(uint32_t id) const;
    const CParloSettings& Settings() const { return m_settings; }
    const CParloLimits& Limits() const { return m_limits; }
    QString UserId() const;
    qint64 Now() const { return m_clock ? m_clock() : 0; }
    std::optional<CParloDoc::MemberInfo> LookupMember(const QString& id) const;
    CParloDoc::MemberLookup Lookup() const;

    // Invites members into a window's chat; fromDrop applies the member limit to the offer.
    void Invite(CMainFrame* frame, const QStringList& ids, bool fromDrop);
    // Sends what the window's input line holds.
    void Talk(CMainFrame* frame);
    // The close path of a chat window (once): leave the chat, save the log as the options say.
    void CloseChat(CMainFrame* frame);
    // Saves a window's log: asks for a file, or into the folder when folder is not empty.
    bool SaveLog(CMainFrame* frame, const QString& folder = QString());
    // Answers of an invitation window.
    void AcceptInvitation(CChatEntryWnd* wnd);
    void DeclineInvitation(CChatEntryWnd* wnd, bool refused);
    void PlayTone(const QString& memberId, CParloTone::Kind kind);

    // ---- state, for tests ----
    const QList<QPointer<CMainFrame>>& Windows() const { return m_windows; }
    const QList<QPointer<CChatEntryWnd>>& Invitations() const { return m_invitations; }
    CParloOptionDlg* OptionDialog() const { return m_option; }
    int PendingRequests() const { return int(m_pending.size()); }
    CMainFrame* FindWindow(int32_t chat) const;
    int OpenWindows() const;
    void SetClock(ParloClock clock) { m_clock = std::move(clock); }
    // Where sounds go (tests record the paths instead of playing them).
    void SetTonePlayer(std::function<void(const QString&)> player) {
        m_tonePlayer = std::move(player);
    }
    // The save dialog's answer (tests name the file instead); empty means cancelled.
    using SavePathChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
    void SetSavePathChooser(SavePathChooser chooser) { m_chooseSavePath = std::move(chooser); }
    // Writes the dialog's values.
    void StoreSettings(const CParloSettings& values);

private:
    bool IsLoggedOn() const;
    CMainFrame* OpenWindow(int32_t chat);
    void OnEvent(int32_t chat, const tagCHATEVENT* event, bool live);
    void CloseInvitations();
    void DropWindow(QWidget* w);
    void DestroyAll();

    CParloSettings m_settings;
    CParloLimits m_limits;
    CIMSndInfo m_tones;
    std::deque<QStringList> m_pending;
    QList<QPointer<CMainFrame>> m_windows;
    QList<QPointer<CChatEntryWnd>> m_invitations;
    QPointer<CParloOptionDlg> m_option;
    CIMMesNoticePlacement m_placement;
    ParloClock m_clock;
    std::function<void(const QString&)> m_tonePlayer;
    SavePathChooser m_chooseSavePath;
    QString m_lastSaveDir; // of the last log saved through the dialog
};
