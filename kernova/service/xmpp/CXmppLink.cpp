#include "kernova/service/xmpp/CXmppLink.h"

#include <QMutex>
#include <QPointer>
#include <QSocketNotifier>
#include <QUuid>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <strophe.h>
#include <sys/socket.h>

struct CXmppLink::Event {
    enum Kind { Connected, Disconnected, Stanza } kind;
    XmppNode stanza;
    int error = 0;
    bool conflict = false;
    QString detail;
};

namespace {

// The library's certificate and socket callbacks carry no user data, only the connection.
QMutex g_linksLock;
QHash<xmpp_conn_t*, CXmppLink*> g_links;

CXmppLink* LinkOf(xmpp_conn_t* conn) {
    QMutexLocker lock(&g_linksLock);
    return g_links.value(conn);
}

XmppNode Copy(xmpp_stanza_t* s) {
    XmppNode n;
    if (const char* name = xmpp_stanza_get_name(s))
        n.name = QString::fromUtf8(name);
    if (const char* ns = xmpp_stanza_get_ns(s))
        n.ns = QString::fromUtf8(ns);
    const int count = xmpp_stanza_get_attribute_count(s);
    if (count > 0) {
        std::vector<const char*> pairs(size_t(count) * 2);
        const int got = xmpp_stanza_get_attributes(s, pairs.data(), count * 2);
        for (int i = 0; i + 1 < got; i += 2) {
            const QString key = QString::fromUtf8(pairs[size_t(i)]);
            if (key != QStringLiteral("xmlns"))
                n.attrs.append({key, QString::fromUtf8(pairs[size_t(i) + 1])});
        }
    }
    for (xmpp_stanza_t* c = xmpp_stanza_get_children(s); c; c = xmpp_stanza_get_next(c)) {
        if (xmpp_stanza_is_text(c)) {
            if (const char* t = xmpp_stanza_get_text_ptr(c))
                n.text += QString::fromUtf8(t);
        } else {
            XmppNode child = Copy(c);
            if (child.ns.isEmpty())
                child.ns = n.ns;
            n.children.append(std::move(child));
        }
    }
    return n;
}

} // namespace

struct CXmppLink::Callbacks {
    static void Connection(xmpp_conn_t* conn, xmpp_conn_event_t event, int error,
                           xmpp_stream_error_t* streamError, void* userdata) {
        auto* self = static_cast<CXmppLink*>(userdata);
        self->m_activity = true;
        Event e;
        if (event == XMPP_CONN_CONNECT) {
            e.kind = Event::Connected;
            if (const char* jid = xmpp_conn_get_bound_jid(conn))
                e.detail = QString::fromUtf8(jid);
        } else {
            e.kind = Event::Disconnected;
            e.error = error;
            if (streamError) {
                e.conflict = streamError->type == XMPP_SE_CONFLICT;
                if (streamError->text)
                    e.detail = QString::fromUtf8(streamError->text);
            }
        }
        self->m_events.append(std::move(e));
    }

    static int Stanza(xmpp_conn_t*, xmpp_stanza_t* stanza, void* userdata) {
        auto* self = static_cast<CXmppLink*>(userdata);
        self->m_activity = true;
        Event e;
        e.kind = Event::Stanza;
        e.stanza = Copy(stanza);
        self->m_events.append(std::move(e));
        return 1; // keep the handler
    }

    // The library tells why a connection failed only in its log: a refused certificate (its
    // certificate callback is not reached during the handshake) or refused credentials.
    static void Log(void* userdata, xmpp_log_level_t level, const char* area, const char* msg) {
        auto* self = static_cast<CXmppLink*>(userdata);
        if (std::strstr(msg, "certificate verify failed"))
            self->m_certificateRefused = true;
        if (std::strstr(msg, "auth failed") ||
            (level >= XMPP_LEVEL_ERROR && std::strcmp(area, "auth") == 0))
            self->m_authRefused = true;
        // ZELTA_XMPP_DEBUG=1 shows the library's own trace of the stream on standard error.
        static const bool trace = qEnvironmentVariableIntValue("ZELTA_XMPP_DEBUG") > 0;
        if (trace)
            std::fprintf(stderr, "%s %d %s\n", area, int(level), msg);
    }

    static int CertificateFailure(const xmpp_tlscert_t* cert, const char* const) {
        CXmppLink* self = LinkOf(xmpp_tlscert_get_conn(cert));
        if (!self)
            return 0;
        if (self->m_trustAnyCertificate)
            return 1;
        self->m_certificateRefused = true;
        return 0;
    }

    static int Socket(xmpp_conn_t* conn, void* sock) {
        if (CXmppLink* self = LinkOf(conn))
            self->m_fd = *static_cast<int*>(sock);
        return xmpp_sockopt_cb_keepalive(conn, sock);
    }
};

CXmppLink::CXmppLink(QObject* parent) : QObject(parent) {
    static const bool initialised = [] {
        xmpp_initialize();
        // A write to a connection the peer reset must fail, not end the program: the library
        // writes to its sockets without MSG_NOSIGNAL.
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    Q_UNUSED(initialised);
    m_idPrefix = QUuid::createUuid().toString(QUuid::Id128).left(8);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CXmppLink::Pump);
}

CXmppLink::~CXmppLink() {
    Release();
}

void CXmppLink::Release() {
    m_notifier.reset();
    m_fd = -1;
    m_timer.stop();
    if (m_conn) {
        {
            QMutexLocker lock(&g_linksLock);
            g_links.remove(m_conn);
        }
        xmpp_conn_release(m_conn);
        m_conn = nullptr;
    }
    if (m_ctx) {
        xmpp_ctx_free(m_ctx);
        m_ctx = nullptr;
    }
    m_open = false;
    m_connecting = false;
    m_closing = false;
    m_events.clear();
}

void CXmppLink::Open(const CXmppLocation& location, const QString& bareJid, const QString& resource,
                     const QString& password) {
    Release();
    m_log = std::make_unique<xmpp_log_t>(xmpp_log_t{&Callbacks::Log, this});
    m_ctx = xmpp_ctx_new(nullptr, m_log.get());
    m_conn = xmpp_conn_new(m_ctx);
    {
        QMutexLocker lock(&g_linksLock);
        g_links.insert(m_conn, this);
    }
    long flags = XMPP_CONN_FLAG_DISABLE_SM;
    m_trustAnyCertificate = location.tls == CXmppLocation::Tls::Trust;
    m_certificateRefused = false;
    m_authRefused = false;
    m_lost = false;
    if (location.tls == CXmppLocation::Tls::Off)
        flags |= XMPP_CONN_FLAG_DISABLE_TLS;
    else
        flags |= XMPP_CONN_FLAG_MANDATORY_TLS;
    if (m_trustAnyCertificate)
        flags |= XMPP_CONN_FLAG_TRUST_TLS;
    xmpp_conn_set_flags(m_conn, flags);
    xmpp_conn_set_jid(m_conn, (bareJid + QLatin1Char('/') + resource).toUtf8().constData());
    xmpp_conn_set_pass(m_conn, password.toUtf8().constData());
    if (!location.caFile.isEmpty())
        xmpp_conn_set_cafile(m_conn, location.caFile.toUtf8().constData());
    xmpp_conn_set_certfail_handler(m_conn, &Callbacks::CertificateFailure);
    xmpp_conn_set_sockopt_callback(m_conn, &Callbacks::Socket);
    xmpp_handler_add(m_conn, &Callbacks::Stanza, nullptr, nullptr, nullptr, this);
    m_connecting = true;
    m_pingOut = false;
    m_lastActivity.start();
    m_lastHeard.start();
    if (xmpp_connect_client(m_conn, location.host.toUtf8().constData(), location.port,
                            &Callbacks::Connection, this) != XMPP_EOK) {
        Event e;
        e.kind = Event::Disconnected;
        e.error = -1;
        m_events.append(e);
    }
    SchedulePump(0);
}

void CXmppLink::Close() {
    if (!m_conn)
        return;
    m_closing = true;
    if (m_open || m_connecting) {
        xmpp_disconnect(m_conn);
        SchedulePump(0);
    }
}

void CXmppLink::Abort() {
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
    SchedulePump(0);
}

QString CXmppLink::NewId() {
    return QStringLiteral("z%1-%2").arg(m_idPrefix).arg(++m_nextId);
}

void CXmppLink::Send(const XmppNode& stanza) {
    if (!m_conn || !m_open)
        return;
    const QByteArray xml = stanza.ToXml();
    xmpp_send_raw(m_conn, xml.constData(), size_t(xml.size()));
    m_lastActivity.start();
    SchedulePump(0);
}

void CXmppLink::Request(XmppNode iq, std::function<void(const XmppNode&)> done) {
    const QString id = NewId();
    iq.SetAttr(QStringLiteral("id"), id);
    if (!m_open) {
        QTimer::singleShot(0, this, [done] { done({}); });
        return;
    }
    m_requests.insert(id, std::move(done));
    Send(iq);
}

void CXmppLink::SchedulePump(int ms) {
    if (!m_ctx)
        return;
    if (!m_timer.isActive() || m_timer.remainingTime() > ms)
        m_timer.start(ms);
}

void CXmppLink::WatchSocket() {
    if (m_fd < 0 || (m_notifier && m_notifier->socket() == m_fd))
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &CXmppLink::Pump);
}

void CXmppLink::Pump() {
    if (!m_ctx || m_pumping)
        return;
    m_pumping = true;
    // Each round reads at most one chunk; go on while stanzas keep coming or bytes wait.
    for (int round = 0; round < 256 && m_ctx; ++round) {
        m_activity = false;
        xmpp_run_once(m_ctx, 0);
        WatchSocket();
        bool readable = false;
        if (m_fd >= 0) {
            pollfd p{m_fd, POLLIN, 0};
            readable = ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
        }
        if (m_activity) {
            m_lastActivity.start();
            m_lastHeard.start();
        }
        if (!m_activity && !readable)
            break;
        // The library does not take the end of a TLS connection without a closing record for
        // the end: a socket at end of file is a lost stream.
        char byte;
        if (readable && !m_activity && m_open && !m_lost &&
            ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
            m_lost = true;
            xmpp_disconnect(m_conn);
        }
    }
    m_pumping = false;
    Dispatch();
    if (!m_ctx)
        return;
    CheckAlive();
    // Soon after traffic (or while connecting) the library is run often, so that a TLS record
    // read only in part and queued writes move on; an idle stream needs only its keep-alive.
    const bool busy = m_connecting || m_closing || m_lastActivity.elapsed() < 1000;
    SchedulePump(busy ? 10 : 250);
}

void CXmppLink::SetKeepAlive(int intervalMs, int timeoutMs) {
    m_keepAliveMs = std::max(0, intervalMs);
    m_keepAliveTimeoutMs = std::max(1, timeoutMs);
}

void CXmppLink::CheckAlive() {
    if (!m_open || m_closing || m_lost || m_keepAliveMs <= 0)
        return;
    const qint64 silent = m_lastHeard.elapsed();
    if (m_pingOut && silent > m_keepAliveMs + m_keepAliveTimeoutMs) {
        // Nothing came back: the connection is dead even though the socket still looks open.
        m_lost = true;
        m_pingOut = false;
        if (m_fd >= 0)
            ::shutdown(m_fd, SHUT_RDWR);
        xmpp_disconnect(m_conn);
        SchedulePump(0);
        return;
    }
    if (!m_pingOut && silent > m_keepAliveMs) {
        m_pingOut = true;
        XmppNode ping(QStringLiteral("iq"));
        ping.SetAttr(QStringLiteral("type"), QStringLiteral("get"));
        if (const qsizetype at = m_boundJid.indexOf(QLatin1Char('@')); at >= 0)
            ping.SetAttr(QStringLiteral("to"),
                         m_boundJid.mid(at + 1).section(QLatin1Char('/'), 0, 0));
        ping.Add(QStringLiteral("ping"), QStringLiteral("urn:xmpp:ping"));
        // Any answer will do, an error included: the server is there.
        Request(ping, [this](const XmppNode&) { m_pingOut = false; });
    }
}

void CXmppLink::Dispatch() {
    QPointer<CXmppLink> alive(this);
    while (alive && !m_events.isEmpty()) {
        const Event e = m_events.takeFirst();
        switch (e.kind) {
        case Event::Connected:
            m_connecting = false;
            m_open = true;
            m_boundJid = e.detail;
            emit Opened();
            break;
        case Event::Stanza: {
            if (e.stanza.name == QStringLiteral("iq")) {
                const QString type = e.stanza.Attr(QStringLiteral("type"));
                if (type == QStringLiteral("result") || type == QStringLiteral("error")) {
                    auto done = m_requests.take(e.stanza.Attr(QStringLiteral("id")));
                    if (done) {
                        done(e.stanza);
                        break;
                    }
                }
            }
            emit StanzaReceived(e.stanza);
            break;
        }
        case Event::Disconnected: {
            const bool wasOpen = m_open;
            const bool requested = m_closing;
            Failure failure = Failure::Lost;
            if (e.conflict)
                failure = Failure::Replaced;
            else if (m_lost)
                failure = Failure::Lost;
            else if (requested)
                failure = Failure::None;
            else if (m_certificateRefused)
                failure = Failure::BadCertificate;
            else if (m_authRefused)
                failure = Failure::BadLogon;
            else if (!wasOpen)
                failure = Failure::Unreachable;
            auto pending = std::move(m_requests);
            m_requests.clear();
            const QString detail = e.detail.isEmpty() && e.error != 0
                                       ? QString::fromLocal8Bit(strerror(e.error))
                                       : e.detail;
            // The context goes once the library has returned; nothing is sent any more.
            QTimer::singleShot(0, this, [this] {
                if (!m_open && !m_connecting)
                    Release();
            });
            m_open = false;
            m_connecting = false;
            m_closing = false;
            m_notifier.reset();
            m_fd = -1;
            m_events.clear();
            for (auto& done : pending)
                done({});
            if (alive)
                emit Closed(failure, detail);
            return;
        }
        }
    }
}
