#include "kernova/service/xmpp/XmppNode.h"

#include <QXmlStreamWriter>

QString XmppNode::Attr(const QString& key) const {
    for (const auto& [k, v] : attrs)
        if (k == key)
            return v;
    return {};
}

bool XmppNode::HasAttr(const QString& key) const {
    return std::any_of(attrs.begin(), attrs.end(), [&](const auto& a) { return a.first == key; });
}

XmppNode& XmppNode::SetAttr(const QString& key, const QString& value) {
    for (auto& a : attrs) {
        if (a.first == key) {
            a.second = value;
            return *this;
        }
    }
    attrs.append({key, value});
    return *this;
}

XmppNode& XmppNode::Add(XmppNode child) {
    children.append(std::move(child));
    return children.last();
}

const XmppNode* XmppNode::Child(const QString& childName, const QString& childNs) const {
    for (const XmppNode& c : children)
        if (c.name == childName && (childNs.isEmpty() || c.ns == childNs))
            return &c;
    return nullptr;
}

QString XmppNode::ChildText(const QString& childName, const QString& childNs) const {
    const XmppNode* c = Child(childName, childNs);
    return c ? c->text : QString();
}

namespace {

void Write(QXmlStreamWriter& w, const XmppNode& n, const QString& parentNs) {
    w.writeStartElement(Xmpp::XmlSafe(n.name));
    if (!n.ns.isEmpty() && n.ns != parentNs)
        w.writeDefaultNamespace(Xmpp::XmlSafe(n.ns));
    for (const auto& [k, v] : n.attrs)
        w.writeAttribute(Xmpp::XmlSafe(k), Xmpp::XmlSafe(v));
    if (!n.text.isEmpty())
        w.writeCharacters(Xmpp::XmlSafe(n.text));
    const QString ns = n.ns.isEmpty() ? parentNs : n.ns;
    for (const XmppNode& c : n.children)
        Write(w, c, ns);
    w.writeEndElement();
}

} // namespace

QByteArray XmppNode::ToXml() const {
    QByteArray out;
    QXmlStreamWriter w(&out);
    // Stanzas of a client stream are in jabber:client; children inherit it unless they say
    // otherwise.
    Write(w, *this, QStringLiteral("jabber:client"));
    return out;
}

QString Xmpp::XmlSafe(const QString& text) {
    auto allowed = [](char32_t c) {
        return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
               (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    };
    bool clean = true;
    for (QChar c : text)
        if (c.isSurrogate() || !allowed(c.unicode())) {
            clean = false;
            break;
        }
    if (clean)
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(text[++i]);
        } else if (!c.isSurrogate() && allowed(c.unicode())) {
            out.append(c);
        }
    }
    return out;
}
