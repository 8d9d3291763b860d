// The tray icon and the local server "ZeltaIMTaskTray" through which a second start of the
// program reaches this one. Both turn into two requests: restore the IM window (left click,
// or the message 0x9000 with lParam 0x201) and show the tray menu (right click, or 0x9000
// with lParam 0x204).
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QSystemTrayIcon;

class CTaskTray : public QObject {
    Q_OBJECT
public:
    enum Request { Restore = 0, Menu = 1 };
    using Handler = std::function<void(Request)>;

    explicit CTaskTray(Handler handler, QObject* parent = nullptr);
    ~CTaskTray() override;

    // Listens at the given socket path (a stale socket of a dead instance is removed first).
    bool Listen(const QString& serverPath);
    QString ServerPath() const;
    // Shows the tray icon where the desktop has a tray.
    void ShowIcon(const QIcon& icon, const QString& tip);
    void SetTip(const QString& tip);
    // A balloon message from the tray icon; false where the desktop shows none.
    bool ShowMessage(const QString& title, const QString& text);

    // One received window message; false when it asks for nothing.
    bool HandleMessage(int32_t message, int32_t lParam);

    // A connection that has not sent a whole message after this long is closed; at most
    // kMaxClients are served at once, and a newer one closes the oldest.
    static constexpr int kMaxClients = 8;
    void SetClientTimeout(int ms) { m_clientTimeoutMs = ms; }
    qsizetype OpenClients() const { return m_clients.size(); }

private:
    void OnConnection();
    void Drop(QLocalSocket* socket);

    Handler m_handler;
    QLocalServer* m_server = nullptr;
    QList<QLocalSocket*> m_clients; // oldest first
    int m_clientTimeoutMs = 2000;
    QSystemTrayIcon* m_icon = nullptr;
};
