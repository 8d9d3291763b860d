#include "kernova/CTaskTray.h"

#include "host/TaskTrayWire.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
constexpr int32_t kRightButtonDown = 0x204;
} // namespace

CTaskTray::CTaskTray(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

CTaskTray::~CTaskTray() {
    while (!m_clients.isEmpty())
        Drop(m_clients.first());
    if (m_server)
        m_server->close();
}

bool CTaskTray::Listen(const QString& serverPath) {
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &CTaskTray::OnConnection);
    }
    // Only one instance runs per user (the host's single-instance lock), so a socket left at
    // this path belongs to an instance that died.
    QLocalServer::removeServer(serverPath);
    return m_server->listen(serverPath);
}

QString CTaskTray::ServerPath() const {
    return m_server ? m_server->fullServerName() : QString();
}

void CTaskTray::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Whoever opens connections and sends nothing must not hold descriptors: the oldest
        // goes when too many wait, and each goes when its time is up.
        while (m_clients.size() >= kMaxClients)
            Drop(m_clients.first());
        m_clients.append(socket);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            // At most one message is read per connection; more bytes are not kept.
            buffer->append(socket->read(ZeltaTaskTray::MessageBytes - buffer->size()));
            int32_t message = 0, lParam = 0;
            if (ZeltaTaskTray::decode(*buffer, &message, &lParam)) {
                Drop(socket);
                HandleMessage(message, lParam);
            }
        });
        QTimer::singleShot(m_clientTimeoutMs, socket, [this, socket] { Drop(socket); });
    }
}

void CTaskTray::Drop(QLocalSocket* socket) {
    if (!m_clients.removeOne(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

bool CTaskTray::HandleMessage(int32_t message, int32_t lParam) {
    if (message != ZeltaMsg::TaskTray)
        return false;
    if (lParam == ZeltaMsg::LButtonDown)
        m_handler(Restore);
    else if (lParam == kRightButtonDown)
        m_handler(Menu);
    else
        return false;
    return true;
}

void CTaskTray::ShowIcon(const QIcon& icon, const QString& tip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick)
                        m_handler(Restore);
                    else if (reason == QSystemTrayIcon::Context)
                        m_handler(Menu);
                });
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(tip);
    m_icon->show();
}

bool CTaskTray::ShowMessage(const QString& title, const QString& text) {
    if (!m_icon || !m_icon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return false;
    m_icon->showMessage(title, text, QSystemTrayIcon::Information);
    return true;
}

void CTaskTray::SetTip(const QString& tip) {
    if (m_icon)
        m_icon->setToolTip(tip);
}
