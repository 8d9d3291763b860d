#include "kernova/service/xmpp/CXmppLocation.h"

#include <QHostAddress>
#include <QUrl>
#include <QUrlQuery>

bool CXmppLocation::IsLoopback(const QString& host) {
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

std::optional<CXmppLocation> CXmppLocation::Parse(const QString& text, QString* error) {
    auto fail = [error](const char* why) -> std::optional<CXmppLocation> {
        if (error)
            *error = QString::fromLatin1(why);
        return std::nullopt;
    };
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QStringLiteral("xmpp"))
        return fail("not an xmpp:// location");
    CXmppLocation l;
    l.host = url.host();
    if (l.host.isEmpty())
        return fail("no server host");
    const int port = url.port(5222);
    if (port <= 0 || port > 65535)
        return fail("bad port");
    l.port = quint16(port);
    l.domain = url.path().mid(1).toLower();
    if (l.domain.isEmpty())
        l.domain = l.host.toLower();
    if (l.domain.contains(QLatin1Char('/')) || l.domain.contains(QLatin1Char('@')))
        return fail("bad domain");
    const QUrlQuery query(url);
    const QString tls = query.queryItemValue(QStringLiteral("tls"));
    if (tls.isEmpty() || tls == QStringLiteral("verify"))
        l.tls = Tls::Verify;
    else if (tls == QStringLiteral("trust"))
        l.tls = Tls::Trust;
    else if (tls == QStringLiteral("off"))
        l.tls = Tls::Off;
    else
        return fail("tls must be verify, trust or off");
    // Passwords never cross a network in plain text: that mode exists for loopback tests.
    if (l.tls == Tls::Off && !IsLoopback(l.host))
        return fail("tls=off is only allowed to a loopback address");
    l.caFile = query.queryItemValue(QStringLiteral("ca"), QUrl::FullyDecoded);
    l.pubsubJid = query.queryItemValue(QStringLiteral("pubsub"));
    if (l.pubsubJid.isEmpty())
        l.pubsubJid = QStringLiteral("pubsub.") + l.domain;
    l.uploadJid = query.queryItemValue(QStringLiteral("upload"));
    if (l.uploadJid.isEmpty())
        l.uploadJid = QStringLiteral("upload.") + l.domain;
    l.mucJid = query.queryItemValue(QStringLiteral("muc"));
    if (l.mucJid.isEmpty())
        l.mucJid = QStringLiteral("conference.") + l.domain;
    if (const QString node = query.queryItemValue(QStringLiteral("node")); !node.isEmpty())
        l.directoryNode = node;
    if (const QString limit = query.queryItemValue(QStringLiteral("stanza-limit"));
        !limit.isEmpty()) {
        bool ok = false;
        l.stanzaLimit = limit.toInt(&ok);
        if (!ok || l.stanzaLimit < 4096)
            return fail("stanza-limit must be a number of at least 4096");
    }
    return l;
}

QString CXmppLocation::ToString() const {
    QUrl url;
    url.setScheme(QStringLiteral("xmpp"));
    url.setHost(host);
    url.setPort(port);
    url.setPath(QLatin1Char('/') + domain);
    QUrlQuery query;
    if (tls != Tls::Verify)
        query.addQueryItem(QStringLiteral("tls"),
                           tls == Tls::Trust ? QStringLiteral("trust") : QStringLiteral("off"));
    if (!caFile.isEmpty())
        query.addQueryItem(QStringLiteral("ca"), caFile);
    if (pubsubJid != QStringLiteral("pubsub.") + domain)
        query.addQueryItem(QStringLiteral("pubsub"), pubsubJid);
    if (!uploadJid.isEmpty() && uploadJid != QStringLiteral("upload.") + domain)
        query.addQueryItem(QStringLiteral("upload"), uploadJid);
    if (!mucJid.isEmpty() && mucJid != QStringLiteral("conference.") + domain)
        query.addQueryItem(QStringLiteral("muc"), mucJid);
    if (directoryNode != QStringLiteral("zelta-directory"))
        query.addQueryItem(QStringLiteral("node"), directoryNode);
    if (stanzaLimit != 256 * 1024)
        query.addQueryItem(QStringLiteral("stanza-limit"), QString::number(stanzaLimit));
    url.setQuery(query);
    return url.toString();
}
