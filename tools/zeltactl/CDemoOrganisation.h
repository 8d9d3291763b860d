// The demonstration organisation of "zeltactl demo": three groups of a small company with
// Japanese names, twelve members (one of them in two groups), leaders, administrators and a
// guest, and the demo user "demo". Every member's password is kPassword.
#pragma once

#include <QString>
#include <QStringList>

class CProsodyServer;

class CDemoOrganisation {
public:
    static inline const QString kPassword = QStringLiteral("demo");
    static inline const QString kDemoUser = QStringLiteral("demo");
    static constexpr int kAdminRole = 3;

    // The members the scripted peers act as (everyone but the demo user).
    static QStringList PeerIds();

    // Creates the service when there is none and fills it when it has no member yet.
    // Returns true when it seeded, false when members were there already. Throws CCtlError.
    static bool SeedIfEmpty(const QString& dir);
    // The same organisation on a fresh XMPP server: an account for everyone (the server's own
    // tool) and the directory published by the server's administrator. Throws CCtlError.
    static void SeedNetwork(CProsodyServer& server);
};
