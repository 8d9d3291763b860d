#include "kernova/service/xmpp/ServiceSelection.h"

#include "kernova/service/CLocalService.h"
#include "kernova/service/xmpp/CXmppService.h"

bool Svc::IsNetworkLocation(const QString& location) {
    return location.trimmed().startsWith(QStringLiteral("xmpp://"), Qt::CaseInsensitive);
}

std::unique_ptr<CMessagingService> Svc::CreateService(const QString& location,
                                                      const QString& stateDir) {
    if (!IsNetworkLocation(location))
        return std::make_unique<CLocalService>(location);
    return std::make_unique<CXmppService>(location, stateDir);
}

QString Svc::NetworkLocation(const QString& host, int port, const QString& domain) {
    CXmppLocation l;
    l.host = host.trimmed();
    l.port = port > 0 && port <= 65535 ? quint16(port) : quint16(5222);
    l.domain = domain.trimmed().isEmpty() ? l.host : domain.trimmed().toLower();
    l.pubsubJid = QStringLiteral("pubsub.") + l.domain;
    l.mucJid = QStringLiteral("conference.") + l.domain;
    l.uploadJid = QStringLiteral("upload.") + l.domain;
    return l.ToString();
}
