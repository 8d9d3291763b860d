// The tray icon and the local server "ZeltaIMTaskTray" through which a second start of the
// program reaches this one. Both turn into two requests: restore the IM window (left click,
// or the message 0x9000 with lParam 0x201) and show the tray menu (right click, or 0x9000
// with lParam 0x204).
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
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

    // One received window message; false when it asks for nothing.
    bool HandleMessage(int32_t message, int32_t lParam);

private:
    void OnConnection();

    Handler m_handler;
    QLocalServer* m_server = nullptr;
    QSystemTrayIcon* m_icon = nullptr;
};
