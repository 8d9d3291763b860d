// The messaging core: loads and drives the IM plug-ins, answers their OBRIX_ calls (paths,
// settings, files, directory, messages, control), runs the log-on state machine on top of the
// messaging service and turns the service's events into IMCBK_ calls, all on the UI thread.
// Windows (log-on dialog, option sheet, tray) are thin views created on demand.
#pragma once

#include "kernova/CChatDesk.h"
#include "kernova/CDirectoryTree.h"
#include "kernova/CEventPacer.h"
#include "kernova/CHostServices.h"
#include "kernova/CImPluginSet.h"
#include "kernova/CLogonDlg.h"
#include "kernova/CMessageDesk.h"
#include "kernova/COptionSheet.h"
#include "kernova/service/CMessagingService.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

struct tagIMSTATUS;
class CTaskTray;

class CKernovaCore : public QObject {
    Q_OBJECT
public:
    // Settings of the core itself: unit 0 (general), these sections and keys.
    static constexpr const char16_t* kLogonSection = u"LOGON";
    static constexpr const char16_t* kServiceSection = u"SERVICE";

    explicit CKernovaCore(CHostServices& host, QObject* parent = nullptr);
    ~CKernovaCore() override;

    // The core the OBRIX_ exports serve (the one the module created; tests set their own).
    static CKernovaCore* Instance();
    static void SetInstance(CKernovaCore* core);

    // ---- Plug-ins ----
    CImPluginSet& Plugins() { return m_plugins; }
    // Loads <program dir>plugin/im/*.zpm (sorted by file name) and identifies each.
    void LoadPlugins();
    // IMCBK_OnInit of every plug-in, then IMCBK_OnStart of the presence plug-in, the tray and
    // the automatic log-on.
    void Start();
    // Logs off quietly, IMCBK_OnKill of every plug-in (last loaded first), unloads them.
    void Shutdown();
    int32_t PreTranslate(MSG* msg);
    // The version dialog's line `index`: one per plug-in; false past the last.
    bool EnumModule(int32_t index, QString* fileName, QString* version, QString* localName,
                    QString* company) const;

    // ---- Paths (each ends in "/"; the directory is created when asked for) ----
    QString AppDir();
    QString UserDir();
    QString AccountDir();
    QString ModuleDir(int32_t module);
    QString MessageDir();
    // Stable UTF-16 copies for the C exports: valid until the same value is asked again.
    const char16_t* Hold(qint64 slot, const QString& text);

    // ---- Host and resources ----
    CHostServices& Host() { return m_host; }
    void* IMResHandle();
    void Log(int32_t level, const QString& text);

    // ---- Control and options ----
    int32_t Begin(int32_t module, int32_t kind, intptr_t data);
    int32_t Option(int32_t module);
    int32_t ShowOption(bool withPlugins = true);
    int32_t AddOptionPage(HWND* pages, int32_t count);
    COptionSheet* OptionSheet() const { return m_sheet; }

    // ---- Log-on ----
    int32_t LogonState() const { return m_state; }
    QString UserID() const { return m_user; }
    // Asks for a log-on: the log-on dialog (or the stored automatic log-on).
    int32_t RequestLogon();
    int32_t RequestLogoff();
    // Logs on with these credentials; false with LastLogonError() on failure.
    bool LogonWith(const QString& memberId, const QString& password);
    QString LastLogonError() const { return m_logonError; }
    // Remembered ID and automatic log-on as the general page and the log-on dialog edit them.
    QString RememberedID();
    bool IsRememberID();
    bool IsAutoLogon();
    void SetLogonPreferences(const QString& memberId, bool rememberId, bool autoLogon,
                             const QString& password);
    // After the service lost the session (no heartbeat in time), the core logs on again by
    // itself with the session's credentials, waiting firstMs, then twice as long after each
    // failure up to maxMs.
    void SetReconnectDelays(int firstMs, int maxMs);
    bool IsReconnecting() const { return m_reconnectTimer.isActive(); }
    // The log-on dialog while it is open (tests look at it).
    CLogonDlg* LogonDialog() const { return m_logonDlg; }
    // ZELTA_SERVICE_DIR, else the core's "SERVICE"/"Dir" setting, else the default.
    QString ServiceDir();
    CMessagingService* Service() const { return m_service.get(); }
    // The service's events on their way to the plug-ins.
    CEventPacer& Events() { return m_events; }

    // ---- Directory and presence ----
    // Presence changes are patched in; any other change has it rebuilt from the service on its
    // first use afterwards, so that a burst of such events costs one rebuild. Records handed out
    // stay valid until control returns to the event loop.
    CDirectoryTree& Directory() {
        if (m_directoryStale)
            RefreshDirectory();
        return m_directory;
    }
    int32_t SendStatus(const tagIMSTATUS* status);

    // ---- Messages ----
    CMessageDesk& Messages() { return m_desk; }
    int32_t SendMessage(const tagLETRIX* record);
    int32_t SaveDraft(const tagLETRIX* record, char16_t* idBuffer, int32_t bufferChars);
    // The most bytes the attached files of one message may hold: the core's "SERVICE"
    // "AttachmentLimit" setting (decimal text, a 64-bit count), 50 MiB when absent or invalid.
    qint64 AttachmentLimit();
    void SetAttachmentLimit(qint64 bytes);
    // What OBRIX_QueryMTS reports: the setting, or the service's own maximum when lower.
    qint64 SendableAttachmentBytes();
    // Export and import of stored messages (ids grouped drafts, sent, received).
    bool ExportMessages(const QString& path, const std::array<QStringList, 3>& ids);
    bool ImportMessages(const QString& path, std::array<QStringList, 3>* ids);

    // ---- Chats ----
    CChatDesk& Chats() { return m_chats; }
    // Limits from the application data: "PARLO" "MAXCREATEWND" and "MAXMEMBERS", default 5.
    int32_t ChatCreate();
    int32_t ChatInvite(int32_t chat, const QString& memberId);

    // ---- Authorisation (stored messages while logged off) ----
    // Asks for the password of the remembered member; the answer, or nothing when cancelled.
    using PasswordPrompt = std::function<std::optional<QString>(const QString& memberId)>;
    // Replaces the password dialog (tests, scripted runs); an empty function restores it.
    void SetPasswordPrompt(PasswordPrompt prompt) { m_prompt = std::move(prompt); }
    // 1 when the user is logged on or proved to be the remembered member; the access lasts
    // until the next log-on or the end of the program, when IMCBK_OnEndAuthorize is called.
    int32_t Authorize();
    bool IsAuthorized() const { return m_authorized; }
    // Logged on, off line with the session's messages, or authorised.
    bool HasMessageAccess() const;

    // ---- Protection of small secrets with the core's sealing key ----
    QByteArray Seal(const QByteArray& data);
    std::optional<QByteArray> Unseal(const QByteArray& sealed);

    // ---- Settings (scope, the caller's module number, section, value) ----
    static QString SubKey(const QString& section);
    int32_t ReadRegInt(int32_t scope, int32_t module, const QString& section, const QString& name,
                       int32_t defaultValue);
    QString ReadRegString(int32_t scope, int32_t module, const QString& section,
                          const QString& name, const QString& defaultText);
    QByteArray ReadRegBinary(int32_t scope, int32_t module, const QString& section,
                             const QString& name);
    bool WriteRegInt(int32_t scope, int32_t module, const QString& section, const QString& name,
                     int32_t value);
    bool WriteRegString(int32_t scope, int32_t module, const QString& section, const QString& name,
                        const QString& text);
    bool WriteRegBinary(int32_t scope, int32_t module, const QString& section, const QString& name,
                        const QByteArray& data);

    // ---- Whole files (a relative path lies below the user directory) ----
    static constexpr qint64 kMaxReadBytes = 256LL * 1024 * 1024;
    QString ResolvePath(const QString& path);
    bool ReadWholeFile(const QString& path, QByteArray* bytes);
    bool WriteWholeFile(const QString& path, const QByteArray& bytes, bool createDirs);

signals:
    void LogonStateChanged(int32_t state);
    // Something the user is told through the tray (a balloon, or a message box where the
    // desktop has no tray): the number of the text and the text as shown.
    void UserNotified(uint32_t textId, const QString& text);

private:
    void SetState(int32_t state);
    bool EnsureService();
    void ConnectService();
    void RefreshDirectory();
    // Tells the plug-ins which profile fields of a member changed.
    void TellProfileChanges(const SvcMember& before, const SvcMember& after);
    void EndSession(int32_t nextState);
    void AutoLogonAtStart();
    void ShowLogonDialog(const QString& reason = {}, const QString& memberId = {});
    // Why the last log-on failed, in words for the user.
    QString LogonFailureText();
    void Notify(uint32_t textId, const QString& text);
    void OnSessionEnded(int reason);
    void Reconnect();
    // Tells the user once per run that received messages cannot be stored.
    void TellUnwritableOnce(const QString& dir);
    void UpdateTray();
    void ShowOwnTrayMenu();
    QString AccountId() const;
    QString KeyPath();
    // The check value of the member's password, kept so that an authorisation needs no
    // session: <account dir>logon.check (salt, iterations, PBKDF2 hash; mode 0600).
    QString PasswordCheckPath(const QString& memberId);
    void StorePasswordCheck(const QString& memberId, const QString& password);
    bool VerifyPasswordCheck(const QString& memberId, const QString& password);
    void EndAuthorization();

    CHostServices& m_host;
    CImPluginSet m_plugins;
    CDirectoryTree m_directory;
    bool m_directoryStale = false;
    CEventPacer m_events;
    int m_sessionEnds = 0;
    CMessageDesk m_desk;
    CChatDesk m_chats;
    PasswordPrompt m_prompt;
    bool m_authorized = false;
    std::unique_ptr<CMessagingService> m_service;
    QString m_serviceDir;
    int32_t m_state = 0;
    QString m_user;
    QString m_lastUser;
    QString m_logonError;
    int m_logonErrorCode = 0;
    // The credentials of the session, kept in memory to log on again after a lost session.
    QString m_password;
    QString m_reconnectId;
    QString m_reconnectPassword;
    QTimer m_reconnectTimer;
    int m_reconnectFirstMs = 2000;
    int m_reconnectMaxMs = 60000;
    int m_reconnectDelayMs = 0;
    bool m_toldUnwritable = false;
    QIcon m_trayIcon;
    QPointer<QWidget> m_noticeBox;
    void* m_imRes = nullptr;
    bool m_imResTried = false;
    bool m_started = false;
    bool m_inOptions = false;
    QHash<qint64, QString> m_held;
    QPointer<CLogonDlg> m_logonDlg;
    QPointer<COptionSheet> m_sheet;
    std::unique_ptr<CTaskTray> m_tray;
};
