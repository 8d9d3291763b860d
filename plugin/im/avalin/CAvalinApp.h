// The presence plug-in's application object: the user's groups and members with their
// presence, the own status and the eleven presets, and the IM window that shows them. It
// runs the window's commands, so that the window itself stays a view.
#pragma once

#include "imframe/CIMPluginApp.h"
#include "obrix/CIMSndInfo.h"
#include "plugin/im/avalin/CAvalinCommands.h"
#include "plugin/im/avalin/CAvalinDirectory.h"
#include "plugin/im/avalin/CAvalinDlg.h"
#include "plugin/im/avalin/CAvalinHook.h"
#include "plugin/im/avalin/CAvalinSettings.h"
#include "plugin/im/avalin/CIdleWatch.h"
#include "plugin/im/avalin/CPresetList.h"
#include "plugin/im/avalin/CStatusIcons.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class CAvalinDlg;
class CMemberTreeModel;
class COptionGeneralPage;
class COptionStatusPage;
class CSettingSoundDlg;
class QWidget;

struct AvalinOwnStatus {
    QString status;
    QString icon;
    uint32_t colour;
};

class CAvalinApp : public CIMPluginApp {
public:
    CAvalinApp();
    ~CAvalinApp() override;

    void OnInit() override;
    void OnStart() override;
    void OnKill() override;
    int32_t OnPreTranslateMessage(MSG* msg) override;
    void OnBegin(int32_t kind, intptr_t data) override;
    void OnOption() override;
    void OnBeginOption() override;
    void OnKillOption() override;
    void OnLogon(int32_t flag) override;
    void OnLogoff(int32_t flag) override;
    void OnChangeMemPresence(const char16_t* groupId, const char16_t* memberId,
                             const char16_t* previousStatus) override;
    void OnAddGrpMember(const char16_t* groupId, const char16_t* memberId,
                        const char16_t* name) override;
    int32_t OnRemoveGrp(const char16_t* groupId) override;
    void OnRemoveGrpMember(const char16_t* groupId, const char16_t* memberId) override;
    void OnChangeGrpName(const char16_t* groupId) override;
    int32_t OnRecvMessage(const char16_t* messageId) override;
    intptr_t OnSendMessage(const char16_t* messageId) override;
    void OnRemoveMessage(int32_t box, const char16_t* messageId) override;
    void OnChangeMessageFlags(int32_t box, const char16_t* messageId, uint32_t flags) override;

    // ---- what the window asks of the application ----
    void* Resources() const;
    QString Text(uint32_t id) const;
    bool IsLoggedOn() const { return m_loggedOn; }
    bool IsChatPresent() const;
    QString UserID() const;
    CMemberTreeModel& Model() const { return *m_model; }
    const CAvalinDirectory& Directory() const { return m_dir; }
    const CStatusIcons& StatusIcons() const { return m_icons; }
    const CPresetList& Presets() const { return m_presets; }
    const AvalinOwnStatus& OwnStatus() const { return m_own; }
    const CAvalinSettings& Settings() const { return m_settings; }
    CAvalinDlg* Window() const { return m_dlg; }
    // The command's condition, for the given selection of the tab.
    AvalinCommandState CommandState(int tab, const QList<int>& selectedRows) const;

    // Runs a command of the window's menus, toolbar, buttons and accelerators; a command
    // whose condition does not hold is ignored.
    void RunCommand(int command);
    // Member tree actions.
    void ActivateMember(int row);
    void OpenUrl(const QString& url);
    void SendFiles(const QString& targetId, const QStringList& paths);
    void SaveExpandedGroups();
    // Both message lists after their settings changed: trimmed, read messages dropped.
    void RefreshMessageLists();

    // ---- options ----
    // Takes the values of an option page and writes the groups named (0 general, 1 presence,
    // 2 new messages, 3 sent messages).
    void StoreOptions(const CAvalinSettings& settings, const QList<int>& groups);
    // Makes the stored values of a group take effect; the reset flag of group 0 puts the
    // window's layout, the expanded groups and the sounds back to their defaults, that of
    // group 4 the presets.
    void ApplyOptions(int group, bool reset);
    COptionGeneralPage* GeneralPage() const;
    COptionStatusPage* StatusPage() const;

    // ---- member, group and sound windows ----
    int32_t LogonState() const;
    void OpenMemberProperty(const QString& memberId);
    void OpenGroupProperty(const QString& groupId);
    // Brings the open sound window forward, or opens one for the member.
    void OpenSoundDialog(const QString& memberId);
    CSettingSoundDlg* SoundDialog() const;
    CIMSndInfo& Sounds() { return m_sounds; }
    // Saves the sounds and tells the message and chat modules of a member's own sound (an
    // empty path: none any more).
    void SoundChanged(const QString& memberId, const QString& path);
    // The warning of a button that needs a log-on.
    void WarnNotLoggedOn(QWidget* over, const QString& buttonCaption);
    // A new message to these destinations.
    void MessageTo(const QStringList& to) { BeginMessage(1, to); }

    // ---- absent handling ----
    // The window asks the hook to report input to it, and stops that when it goes.
    void ArmHook(CAvalinDlg* window);
    void DisarmHook();
    // Starts (or stops, by the settings) the inactivity timer of the window.
    void StartIdleTimer();
    void OnIdleTick();
    void OnActivity();
    CIdleWatch& IdleWatch() { return m_idle; }
    const CAvalinHook& Hook() const { return m_hook; }
    // Loads the hook from the program's plug-in folder (done at start).
    void LoadHook();

    // ---- status ----
    void ApplyPreset(int index);
    // Sends a status and takes it as the own status.
    void SendStatus(const CIMPreset& preset);
    // Stores an edited preset, saves the file and refreshes the menus.
    void StorePreset(int index, const CIMPreset& preset);
    void ResetPresets();
    int LastPreset() const { return m_lastPreset; }
    // The user's groups in tree order (ids and names), for the status dialog.
    QList<std::pair<QString, QString>> UserGroups() const;

    // Settings files of the account, below its module directory.
    QString DataPath(const QString& fileName) const;

private:
    bool ReadFile(const QString& path, QByteArray& bytes) const;
    bool WriteFile(const QString& path, const QByteArray& bytes) const;
    void ReplaceTree();
    QStringList ReadExpandedGroups() const;
    void LoadPresets();
    void SavePresets();
    void ReconcileAndSavePresets();
    void LoadStatusIcons();
    void TakeOwnStatusFromTree();
    void RebuildList();
    void BeginMessage(int32_t kind, const QStringList& to);
    void BeginChat(const QStringList& members);
    void LogonCommand();
    // A status for the user's groups, red for the absent status.
    CIMPreset UserPreset(const QString& status, const QString& icon, uint32_t colour) const;
    void Log(const QString& text) const;
    const tagIMGRPMEMBER* FetchMembership(const QString& groupId, const QString& memberId) const;

    bool m_loggedOn = false;
    bool m_optionOpen = false;
    CAvalinDirectory m_dir;
    std::unique_ptr<CMemberTreeModel> m_model;
    CPresetList m_presets;
    int m_lastPreset = 0;
    CIMSndInfo m_sounds;
    CStatusIcons m_icons;
    CAvalinSettings m_settings;
    AvalinOwnStatus m_own;
    QPointer<CAvalinDlg> m_dlg;
    QPointer<COptionGeneralPage> m_generalPage;
    QPointer<COptionStatusPage> m_statusPage;
    QPointer<CSettingSoundDlg> m_soundDlg;
    CAvalinHook m_hook;
    CIdleWatch m_idle;
};
