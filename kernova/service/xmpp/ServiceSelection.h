// Which messaging service a location names: "xmpp://..." is the network service on an XMPP
// server (CXmppLocation), anything else the directory of a local service.
#pragma once

#include "kernova/service/CMessagingService.h"

#include <memory>

namespace Svc {

bool IsNetworkLocation(const QString& location);
// The network service keeps what the server does not under stateDir.
std::unique_ptr<CMessagingService> CreateService(const QString& location, const QString& stateDir);
// The location of the network service from the option page's parts.
QString NetworkLocation(const QString& host, int port, const QString& domain);

} // namespace Svc
