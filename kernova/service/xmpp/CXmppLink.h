// One client stream to an XMPP server through libstrophe, driven from the owning thread's Qt
// event loop: a socket notifier wakes it when the server sends, and a timer keeps the library's
// own timers (connect time-out, keep-alive) and partly read TLS records moving. The library's
// callbacks only copy what happened into a queue; the queue is handed on as signals after the
// library has returned, so a slot may send, close or even destroy the link.
#pragma once

#include "kernova/service/xmpp/CXmppLocation.h"
#include "kernova/service/xmpp/XmppNode.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

struct _xmpp_ctx_t;
struct _xmpp_conn_t;
struct _xmpp_stanza_t;
struct _xmpp_log_t;
class QSocketNotifier;

class CXmppLink : public QObject {
    Q_OBJECT
public:
    enum class Failure {
        None,           // closed on request
        Unreachable,    // no connection to the server could be made
        BadCertificate, // the server's certificate was refused
        BadLogon,       // the server refused the account or password
        Replaced,       // another session with the same resource took over
        Lost,           // the stream ended without being asked to
    };

    explicit CXmppLink(QObject* parent = nullptr);
    ~CXmppLink() override;

    // Starts connecting as bareJid + "/" + resource; Opened or Closed follows.
    void Open(const CXmppLocation& location, const QString& bareJid, const QString& resource,
              const QString& password);
    // Ends the stream (after what was queued has been written) and closes the connection.
    void Close();
    // Drops the connection at once, as a broken network would (tests).
    void Abort();
    bool IsOpen() const { return m_open; }
    // The full JID the server bound.
    const QString& BoundJid() const { return m_boundJid; }

    void Send(const XmppNode& stanza);
    // Sends an IQ with a fresh id; done gets the result or error stanza, or a null node when
    // the stream closed first.
    void Request(XmppNode iq, std::function<void(const XmppNode& answer)> done);
    QString NewId();

    // Runs the library now: writes what is queued and reads what has arrived.
    void Pump();

    // Keep-alive: after intervalMs without a stanza from the server the link pings it (XMPP
    // ping); when nothing at all comes back within timeoutMs the connection is taken as dead
    // (a cable pulled, a server hung or gone without closing) and the link closes as Lost.
    // 0 turns it off.
    void SetKeepAlive(int intervalMs, int timeoutMs);
    static constexpr int kDefaultKeepAliveMs = 30000;
    static constexpr int kDefaultKeepAliveTimeoutMs = 20000;

signals:
    void Opened();
    void Closed(CXmppLink::Failure failure, const QString& detail);
    void StanzaReceived(const XmppNode& stanza);

private:
    struct Event;
    struct Callbacks; // the library's C callbacks, which only fill m_events
    void Release();
    void Dispatch();
    void SchedulePump(int ms);
    void WatchSocket();
    void CheckAlive();

    _xmpp_ctx_t* m_ctx = nullptr;
    _xmpp_conn_t* m_conn = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_fd = -1;
    QTimer m_timer;
    QElapsedTimer m_lastActivity;
    QElapsedTimer m_lastHeard; // the last stanza or stream event from the server
    int m_keepAliveMs = kDefaultKeepAliveMs;
    int m_keepAliveTimeoutMs = kDefaultKeepAliveTimeoutMs;
    bool m_pingOut = false;
    bool m_pumping = false;
    bool m_activity = false;
    bool m_open = false;
    bool m_connecting = false;
    bool m_closing = false;
    bool m_certificateRefused = false;
    bool m_authRefused = false;
    bool m_lost = false;
    std::unique_ptr<_xmpp_log_t> m_log;
    bool m_trustAnyCertificate = false;
    QString m_boundJid;
    quint64 m_nextId = 0;
    QString m_idPrefix;
    QList<Event> m_events;
    QHash<QString, std::function<void(const XmppNode&)>> m_requests;
};
