// A small owned copy of an XML element as it travels in an XMPP stream: the service builds
// stanzas as these, and every stanza the library hands over is copied into one before it leaves
// the library's callback. Mixed content is not needed by anything this client speaks, so an
// element keeps its text in one string.
#pragma once

#include <QList>
#include <QString>
#include <utility>

struct XmppNode {
    QString name;
    QString ns; // written only where it differs from the parent's
    QString text;
    QList<std::pair<QString, QString>> attrs;
    QList<XmppNode> children;

    XmppNode() = default;
    explicit XmppNode(QString elementName, QString elementNs = {})
        : name(std::move(elementName)), ns(std::move(elementNs)) {}

    bool IsNull() const { return name.isEmpty(); }
    QString Attr(const QString& key) const;
    bool HasAttr(const QString& key) const;
    XmppNode& SetAttr(const QString& key, const QString& value);
    XmppNode& SetText(const QString& value) {
        text = value;
        return *this;
    }
    // Appends a child and returns it, so that nested elements read top-down.
    XmppNode& Add(XmppNode child);
    XmppNode& Add(const QString& childName, const QString& childNs = {}) {
        return Add(XmppNode(childName, childNs));
    }
    // First child with this name (and namespace, when given); nullptr when there is none.
    const XmppNode* Child(const QString& childName, const QString& childNs = {}) const;
    QString ChildText(const QString& childName, const QString& childNs = {}) const;

    // The element as XML text. Characters that XML 1.0 cannot carry (control characters, lone
    // surrogates, U+FFFE/U+FFFF) are dropped: one of them would make the server close the stream.
    QByteArray ToXml() const;
};

namespace Xmpp {
// Removes the characters that an XML 1.0 document cannot hold.
QString XmlSafe(const QString& text);
} // namespace Xmpp
