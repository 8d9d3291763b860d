// Where an XMPP service is and how to reach it, written as one location text:
//   xmpp://HOST[:PORT]/DOMAIN[?tls=verify|trust|off][&ca=FILE][&pubsub=JID][&node=NAME]
//                            [&muc=JID][&upload=JID][&stanza-limit=BYTES]
// tls=verify (the default) requires TLS and a certificate that names the domain, checked
// against the system's authorities or the ca file; tls=trust requires TLS but accepts any
// certificate (test servers with a certificate made on the spot); tls=off allows a plain-text
// stream, and only to a loopback address.
#pragma once

#include <QString>
#include <optional>

struct CXmppLocation {
    enum class Tls { Verify, Trust, Off };

    QString host;
    quint16 port = 5222;
    QString domain;
    Tls tls = Tls::Verify;
    QString caFile;
    QString pubsubJid; // default: "pubsub." + domain
    QString mucJid;    // the multi-user chat service; default: "conference." + domain
    QString uploadJid; // the HTTP file upload service; default: "upload." + domain
    QString directoryNode = QStringLiteral("zelta-directory");
    int stanzaLimit = 256 * 1024; // bytes the server accepts in one stanza

    // nullopt for text that is no usable location; *error (when given) says why in English.
    static std::optional<CXmppLocation> Parse(const QString& text, QString* error = nullptr);
    QString ToString() const;
    static bool IsLoopback(const QString& host);
};
