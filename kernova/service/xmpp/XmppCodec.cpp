#include "kernova/service/xmpp/XmppCodec.h"

#include "kernova/service/ServiceRules.h"

#include <QRegularExpression>
#include <QSet>

namespace Xmpp {

namespace {

// The characters a JID's local part cannot hold, with their escapes.
constexpr std::pair<char16_t, const char*> kEscapes[] = {
    {u'\\', "\\5c"}, {u' ', "\\20"}, {u'"', "\\22"}, {u'&', "\\26"}, {u'\'', "\\27"},
    {u'/', "\\2f"},  {u':', "\\3a"}, {u'<', "\\3c"}, {u'>', "\\3e"}, {u'@', "\\40"},
};

QString Num(qint64 v) {
    return QString::number(v);
}

uint32_t UInt(const XmppNode& n, const char* key, bool* ok) {
    const QString text = n.Attr(QLatin1String(key));
    if (text.isEmpty())
        return 0;
    bool good = false;
    const uint v = text.toUInt(&good);
    if (!good)
        *ok = false;
    return v;
}

int Int(const XmppNode& n, const char* key, bool* ok) {
    const QString text = n.Attr(QLatin1String(key));
    if (text.isEmpty())
        return 0;
    bool good = false;
    const int v = text.toInt(&good);
    if (!good)
        *ok = false;
    return v;
}

void PutPresence(XmppNode& n, const SvcPresence& p) {
    n.SetAttr(QStringLiteral("status"), p.status);
    if (!p.icon.isEmpty())
        n.SetAttr(QStringLiteral("icon"), p.icon);
    n.SetAttr(QStringLiteral("bk"), Num(p.bkColor));
}

SvcPresence GetPresence(const XmppNode& n) {
    bool ok = true;
    SvcPresence p{n.Attr(QStringLiteral("status")), n.Attr(QStringLiteral("icon")),
                  UInt(n, "bk", &ok)};
    return Svc::Normalized(p);
}

QString DestToAddress(const QString& dest, const QString& domain, XmppNode& address) {
    if (dest.startsWith(Svc::kGroupPrefix, Qt::CaseInsensitive))
        address.SetAttr(QStringLiteral("uri"), QStringLiteral("zelta:") + dest);
    else
        address.SetAttr(QStringLiteral("jid"), BareJid(dest, domain));
    return dest;
}

QString AddressToDest(const XmppNode& address, const QString& domain) {
    const QString uri = address.Attr(QStringLiteral("uri"));
    if (uri.startsWith(QStringLiteral("zelta:")))
        return uri.mid(6);
    return MemberOfJid(address.Attr(QStringLiteral("jid")), domain);
}

} // namespace

QString EscapeNode(const QString& id) {
    QString out;
    out.reserve(id.size());
    for (QChar c : id) {
        const auto* e = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                     [c](const auto& p) { return p.first == c.unicode(); });
        if (e != std::end(kEscapes))
            out += QLatin1String(e->second);
        else
            out += c;
    }
    return out;
}

QString UnescapeNode(const QString& node) {
    QString out;
    out.reserve(node.size());
    for (qsizetype i = 0; i < node.size(); ++i) {
        if (node[i] == QLatin1Char('\\') && i + 2 < node.size()) {
            const QString seq = node.mid(i, 3).toLower();
            const auto* e =
                std::find_if(std::begin(kEscapes), std::end(kEscapes),
                             [&](const auto& p) { return seq == QLatin1String(p.second); });
            if (e != std::end(kEscapes)) {
                out += QChar(e->first);
                i += 2;
                continue;
            }
        }
        out += node[i];
    }
    return out;
}

QString BareJid(const QString& memberId, const QString& domain) {
    return EscapeNode(memberId) + QLatin1Char('@') + domain;
}

QString Bare(const QString& jid) {
    const qsizetype slash = jid.indexOf(QLatin1Char('/'));
    return (slash < 0 ? jid : jid.left(slash)).toLower();
}

QString MemberOfJid(const QString& jid, const QString& domain) {
    const qsizetype slash = jid.indexOf(QLatin1Char('/'));
    const QString bare = slash < 0 ? jid : jid.left(slash);
    const qsizetype at = bare.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || bare.mid(at + 1).compare(domain, Qt::CaseInsensitive) != 0)
        return {};
    return UnescapeNode(bare.left(at));
}

// ---- Directory items ----

int BucketOf(const QString& id) {
    // FNV-1a over the UTF-8 bytes: the same on every machine and in every version.
    quint32 h = 2166136261u;
    for (const char c : id.toUtf8()) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    return int(h % quint32(kDirectoryBuckets));
}

QString MemberBucketId(int bucket) {
    return QStringLiteral("members:") + Num(bucket);
}

QString GroupBucketId(int bucket) {
    return QStringLiteral("groups:") + Num(bucket);
}

std::pair<ItemKind, int> ParseItemId(const QString& itemId) {
    if (itemId == kRolesItemId)
        return {ItemKind::Roles, -1};
    const qsizetype colon = itemId.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {ItemKind::Unknown, -1};
    const QString digits = itemId.mid(colon + 1);
    bool ok = false;
    const int bucket = digits.toInt(&ok);
    // One spelling per bucket: "members:07" or "members:+7" would be a second item.
    if (!ok || bucket < 0 || bucket >= kDirectoryBuckets || Num(bucket) != digits)
        return {ItemKind::Unknown, -1};
    const QStringView kind = QStringView(itemId).left(colon);
    if (kind == u"members")
        return {ItemKind::Members, bucket};
    if (kind == u"groups")
        return {ItemKind::Groups, bucket};
    return {ItemKind::Unknown, -1};
}

XmppNode EncodeMember(const SvcMember& m) {
    XmppNode n(QStringLiteral("member"), kNsDirectory);
    n.SetAttr(QStringLiteral("id"), m.id);
    n.SetAttr(QStringLiteral("alias"), m.alias);
    n.SetAttr(QStringLiteral("sex"), Num(m.sex));
    if (m.birth.isValid())
        n.SetAttr(QStringLiteral("birth"), m.birth.toString(Qt::ISODate));
    n.SetAttr(QStringLiteral("tel"), m.telephone);
    n.SetAttr(QStringLiteral("email"), m.email);
    n.SetAttr(QStringLiteral("memo"), m.memo);
    for (int set = 0; set < 2; ++set) {
        XmppNode& name = n.Add(QStringLiteral("name"));
        name.SetAttr(QStringLiteral("set"), Num(set));
        name.SetAttr(QStringLiteral("family"), m.familyName[set]);
        name.SetAttr(QStringLiteral("first"), m.firstName[set]);
        name.SetAttr(QStringLiteral("middle"), m.middleName[set]);
    }
    return n;
}

std::optional<SvcMember> DecodeMember(const XmppNode& n) {
    if (n.name != QStringLiteral("member") || n.ns != kNsDirectory)
        return std::nullopt;
    bool ok = true;
    SvcMember m;
    m.id = n.Attr(QStringLiteral("id"));
    m.alias = n.Attr(QStringLiteral("alias"));
    m.sex = UInt(n, "sex", &ok);
    if (n.HasAttr(QStringLiteral("birth")))
        m.birth = QDate::fromString(n.Attr(QStringLiteral("birth")), Qt::ISODate);
    m.telephone = n.Attr(QStringLiteral("tel"));
    m.email = n.Attr(QStringLiteral("email"));
    m.memo = n.Attr(QStringLiteral("memo"));
    for (const XmppNode& name : n.children) {
        if (name.name != QStringLiteral("name"))
            continue;
        const int set = Int(name, "set", &ok);
        if (set < 0 || set > 1)
            return std::nullopt;
        m.familyName[set] = name.Attr(QStringLiteral("family"));
        m.firstName[set] = name.Attr(QStringLiteral("first"));
        m.middleName[set] = name.Attr(QStringLiteral("middle"));
    }
    if (!ok || Svc::CheckMember(m).IsError())
        return std::nullopt;
    return m;
}

XmppNode EncodeGroup(const DirectoryGroup& d) {
    XmppNode n(QStringLiteral("group"), kNsDirectory);
    n.SetAttr(QStringLiteral("id"), d.group.id);
    if (!d.group.parentId.isEmpty())
        n.SetAttr(QStringLiteral("parent"), d.group.parentId);
    n.SetAttr(QStringLiteral("name"), d.group.name);
    n.SetAttr(QStringLiteral("position"), Num(d.group.position));
    PutPresence(n, d.group.presence);
    for (const SvcMembership& m : d.members) {
        XmppNode& c = n.Add(QStringLiteral("member"));
        c.SetAttr(QStringLiteral("id"), m.memberId);
        c.SetAttr(QStringLiteral("name"), m.name);
        c.SetAttr(QStringLiteral("role"), Num(m.role));
        c.SetAttr(QStringLiteral("position"), Num(m.position));
    }
    return n;
}

std::optional<DirectoryGroup> DecodeGroup(const XmppNode& n) {
    if (n.name != QStringLiteral("group") || n.ns != kNsDirectory)
        return std::nullopt;
    bool ok = true;
    DirectoryGroup d;
    d.group.id = n.Attr(QStringLiteral("id"));
    d.group.parentId = n.Attr(QStringLiteral("parent"));
    d.group.name = n.Attr(QStringLiteral("name"));
    d.group.position = Int(n, "position", &ok);
    d.group.presence = GetPresence(n);
    if (!Svc::IsValidId(d.group.id) ||
        (!d.group.parentId.isEmpty() && !Svc::IsValidId(d.group.parentId)) ||
        Svc::CheckField("name", d.group.name).IsError())
        return std::nullopt;
    for (const XmppNode& c : n.children) {
        if (c.name != QStringLiteral("member"))
            continue;
        SvcMembership m;
        m.groupId = d.group.id;
        m.memberId = c.Attr(QStringLiteral("id"));
        m.name = c.Attr(QStringLiteral("name"));
        m.role = Int(c, "role", &ok);
        m.position = Int(c, "position", &ok);
        m.presence = {Svc::kStatusOff, {}, Svc::kColorOff};
        if (!Svc::IsValidId(m.memberId) || Svc::CheckField("name", m.name).IsError())
            return std::nullopt;
        d.members.append(m);
    }
    if (!ok)
        return std::nullopt;
    return d;
}

XmppNode EncodeMemberBucket(const QList<SvcMember>& members) {
    XmppNode n(QStringLiteral("members"), kNsDirectory);
    for (const SvcMember& m : members)
        n.Add(EncodeMember(m));
    return n;
}

XmppNode EncodeGroupBucket(const QList<DirectoryGroup>& groups) {
    XmppNode n(QStringLiteral("groups"), kNsDirectory);
    for (const DirectoryGroup& g : groups)
        n.Add(EncodeGroup(g));
    return n;
}

std::optional<QList<SvcMember>> DecodeMemberBucket(const XmppNode& n, int bucket) {
    if (n.name != QStringLiteral("members") || n.ns != kNsDirectory)
        return std::nullopt;
    QList<SvcMember> members;
    QSet<QString> seen;
    for (const XmppNode& c : n.children) {
        const auto m = DecodeMember(c);
        if (!m || BucketOf(m->id) != bucket || seen.contains(m->id))
            return std::nullopt;
        seen.insert(m->id);
        members.append(*m);
    }
    return members;
}

std::optional<QList<DirectoryGroup>> DecodeGroupBucket(const XmppNode& n, int bucket) {
    if (n.name != QStringLiteral("groups") || n.ns != kNsDirectory)
        return std::nullopt;
    QList<DirectoryGroup> groups;
    QSet<QString> seen;
    for (const XmppNode& c : n.children) {
        const auto g = DecodeGroup(c);
        if (!g || BucketOf(g->group.id) != bucket || seen.contains(g->group.id) ||
            g->group.parentId == g->group.id)
            return std::nullopt;
        seen.insert(g->group.id);
        groups.append(*g);
    }
    return groups;
}

XmppNode EncodeRoles(const QList<SvcRole>& roles) {
    XmppNode n(QStringLiteral("roles"), kNsDirectory);
    for (const SvcRole& r : roles) {
        XmppNode& c = n.Add(QStringLiteral("role"));
        c.SetAttr(QStringLiteral("n"), Num(r.role));
        c.SetAttr(QStringLiteral("name"), r.name);
    }
    return n;
}

std::optional<QList<SvcRole>> DecodeRoles(const XmppNode& n) {
    if (n.name != QStringLiteral("roles") || n.ns != kNsDirectory)
        return std::nullopt;
    bool ok = true;
    QList<SvcRole> roles;
    for (const XmppNode& c : n.children)
        if (c.name == QStringLiteral("role"))
            roles.append({Int(c, "n", &ok), c.Attr(QStringLiteral("name"))});
    if (!ok)
        return std::nullopt;
    return roles;
}

// ---- Presence ----

XmppNode EncodePresence(const PresenceMap& presence) {
    XmppNode p(QStringLiteral("presence"));
    // Other clients see the status of the first group (or of all) as a standard presence.
    SvcPresence shown = presence.value(Svc::kAllGroups);
    if (!presence.contains(Svc::kAllGroups) && !presence.isEmpty())
        shown = presence.begin().value();
    if (shown.status != Svc::kStatusOn && !shown.status.isEmpty())
        p.Add(QStringLiteral("show")).SetText(QStringLiteral("away"));
    p.Add(QStringLiteral("status")).SetText(shown.status);
    XmppNode& z = p.Add(QStringLiteral("zelta"), kNsPresence);
    QStringList groups = presence.keys();
    groups.sort();
    for (const QString& g : groups) {
        if (g == Svc::kAllGroups) {
            PutPresence(z.Add(QStringLiteral("all")), presence[g]);
        } else {
            XmppNode& c = z.Add(QStringLiteral("group"));
            c.SetAttr(QStringLiteral("id"), g);
            PutPresence(c, presence[g]);
        }
    }
    return p;
}

PresenceMap DecodePresence(const XmppNode& stanza) {
    PresenceMap map;
    if (stanza.Attr(QStringLiteral("type")) == QStringLiteral("unavailable")) {
        map.insert(Svc::kAllGroups, {Svc::kStatusOff, {}, Svc::kColorOff});
        return map;
    }
    const XmppNode* z = stanza.Child(QStringLiteral("zelta"), kNsPresence);
    if (!z) {
        map.insert(Svc::kAllGroups, {Svc::kStatusOn, {}, Svc::kColorOn});
        return map;
    }
    for (const XmppNode& c : z->children) {
        if (Svc::CheckPresence(GetPresence(c)).IsError())
            continue;
        if (c.name == QStringLiteral("all"))
            map.insert(Svc::kAllGroups, GetPresence(c));
        else if (c.name == QStringLiteral("group") && Svc::IsValidId(c.Attr(QStringLiteral("id"))))
            map.insert(c.Attr(QStringLiteral("id")), GetPresence(c));
    }
    if (map.isEmpty())
        map.insert(Svc::kAllGroups, {Svc::kStatusOn, {}, Svc::kColorOn});
    return map;
}

// ---- Messages ----

QString Stamp(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime StampOf(const XmppNode& stanza, const QString& authorBareJid) {
    QDateTime any;
    for (const XmppNode& c : stanza.children) {
        if (c.name != QStringLiteral("delay") || c.ns != kNsDelay)
            continue;
        QDateTime t = QDateTime::fromString(c.Attr(QStringLiteral("stamp")), Qt::ISODateWithMs);
        if (!t.isValid())
            continue;
        t = t.toUTC();
        if (Bare(c.Attr(QStringLiteral("from"))) == authorBareJid)
            return t;
        if (!any.isValid())
            any = t;
    }
    return any;
}

QString PlainText(const QString& html) {
    QString text = html;
    static const QRegularExpression breaks(QStringLiteral("<\\s*(br|/p|/div|/li)\\b[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9a-fA-F]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = numeric.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        bool ok = false;
        const uint code = m.captured(2).toUInt(&ok, m.captured(1).isEmpty() ? 10 : 16);
        if (ok && code > 0 && code <= 0x10FFFF)
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    out.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    out.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    out.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    out.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    out.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return out.trimmed();
}

XmppNode EncodeMessage(const SvcMessage& m, const QString& recipientId, Svc::DestList recipientList,
                       const QString& domain) {
    XmppNode s(QStringLiteral("message"));
    s.SetAttr(QStringLiteral("type"), QStringLiteral("normal"));
    s.SetAttr(QStringLiteral("to"), BareJid(recipientId, domain));
    s.SetAttr(QStringLiteral("id"), m.messageId);
    s.Add(QStringLiteral("subject")).SetText(m.subject);
    s.Add(QStringLiteral("body")).SetText(PlainText(m.body));
    XmppNode& addresses = s.Add(QStringLiteral("addresses"), kNsAddress);
    for (int list : {Svc::DST_TO, Svc::DST_CC}) {
        for (const SvcDestination& d : m.dest[list]) {
            XmppNode a(QStringLiteral("address"));
            a.SetAttr(QStringLiteral("type"),
                      list == Svc::DST_TO ? QStringLiteral("to") : QStringLiteral("cc"));
            DestToAddress(d.id, domain, a);
            addresses.Add(std::move(a));
        }
    }
    if (recipientList == Svc::DST_BCC) {
        XmppNode a(QStringLiteral("address"));
        a.SetAttr(QStringLiteral("type"), QStringLiteral("bcc"));
        DestToAddress(recipientId, domain, a);
        addresses.Add(std::move(a));
    }
    s.Add(QStringLiteral("delay"), kNsDelay)
        .SetAttr(QStringLiteral("from"), BareJid(m.fromId, domain))
        .SetAttr(QStringLiteral("stamp"), Stamp(m.sendTime));
    s.Add(QStringLiteral("origin-id"), kNsOriginId).SetAttr(QStringLiteral("id"), m.messageId);
    s.Add(QStringLiteral("request"), kNsReceipts);
    s.Add(QStringLiteral("markable"), kNsMarkers);
    XmppNode& z = s.Add(QStringLiteral("zelta"), kNsMessage);
    z.SetAttr(QStringLiteral("from-name"), m.fromName);
    z.SetAttr(QStringLiteral("priority"), Num(m.priority));
    z.SetAttr(QStringLiteral("flags"), Num(m.flags));
    z.SetAttr(QStringLiteral("reply-mode"), Num(m.replyMode));
    z.SetAttr(QStringLiteral("reply-to"), m.replyTo);
    z.SetAttr(QStringLiteral("reference"), m.referenceId);
    z.SetAttr(QStringLiteral("pic-number"), Num(m.picNumber));
    z.SetAttr(QStringLiteral("pic-version"), Num(m.picVersion));
    z.SetAttr(QStringLiteral("bg-color"), Num(m.bgColor));
    z.SetAttr(QStringLiteral("type"), m.type);
    z.SetAttr(QStringLiteral("type-value"), m.typeValue);
    z.Add(QStringLiteral("html")).SetText(m.body);
    for (const SvcAttachment& f : m.attachments) {
        XmppNode& file = z.Add(QStringLiteral("file"));
        file.SetAttr(QStringLiteral("name"), f.name);
        file.SetAttr(QStringLiteral("size"), Num(f.data.isEmpty() ? f.size : f.data.size()));
        file.SetText(QString::fromLatin1(f.data.toBase64()));
    }
    return s;
}

std::optional<SvcMessage> DecodeMessage(const XmppNode& s, const QString& fromId,
                                        const QString& domain, QString* why) {
    auto refuse = [why](const QString& reason) -> std::optional<SvcMessage> {
        *why = reason;
        return std::nullopt;
    };
    SvcMessage m;
    m.fromId = fromId;
    const XmppNode* origin = s.Child(QStringLiteral("origin-id"), kNsOriginId);
    m.messageId = origin ? origin->Attr(QStringLiteral("id")) : s.Attr(QStringLiteral("id"));
    m.subject = s.ChildText(QStringLiteral("subject"));
    m.sendTime = StampOf(s, BareJid(fromId, domain).toLower());
    if (!m.sendTime.isValid())
        m.sendTime = QDateTime::currentDateTimeUtc();
    if (const XmppNode* addresses = s.Child(QStringLiteral("addresses"), kNsAddress)) {
        for (const XmppNode& a : addresses->children) {
            const QString type = a.Attr(QStringLiteral("type"));
            const QString dest = AddressToDest(a, domain);
            if (dest.isEmpty())
                continue;
            if (type == QStringLiteral("to"))
                m.AddDest(Svc::DST_TO, dest);
            else if (type == QStringLiteral("cc"))
                m.AddDest(Svc::DST_CC, dest);
            else if (type == QStringLiteral("bcc"))
                m.AddDest(Svc::DST_BCC, dest);
        }
    }
    const XmppNode* z = s.Child(QStringLiteral("zelta"), kNsMessage);
    if (z) {
        bool ok = true;
        m.fromName = z->Attr(QStringLiteral("from-name"));
        m.priority = UInt(*z, "priority", &ok);
        m.flags = UInt(*z, "flags", &ok);
        m.replyMode = UInt(*z, "reply-mode", &ok);
        m.replyTo = z->Attr(QStringLiteral("reply-to"));
        m.referenceId = z->Attr(QStringLiteral("reference"));
        m.picNumber = UInt(*z, "pic-number", &ok);
        m.picVersion = UInt(*z, "pic-version", &ok);
        m.bgColor = UInt(*z, "bg-color", &ok);
        m.type = z->Attr(QStringLiteral("type"));
        m.typeValue = z->Attr(QStringLiteral("type-value"));
        const XmppNode* html = z->Child(QStringLiteral("html"));
        if (!ok || !html)
            return refuse(QStringLiteral("malformed Zelta message element"));
        m.body = html->text;
        for (const XmppNode& f : z->children) {
            if (f.name != QStringLiteral("file"))
                continue;
            SvcAttachment a;
            a.name = f.Attr(QStringLiteral("name"));
            if (f.HasAttr(QStringLiteral("url"))) {
                // Uploaded: the bytes are fetched from the address before the message counts.
                bool good = false;
                a.size = f.Attr(QStringLiteral("size")).toLongLong(&good);
                if (!good || a.size < 0 || a.size > Svc::kMaxAttachmentBytes)
                    return refuse(QStringLiteral("attached file of no usable size"));
                m.attachments.append(a);
                continue;
            }
            const auto decoded = QByteArray::fromBase64Encoding(
                f.text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return refuse(QStringLiteral("attached file is not base64"));
            a.data = *decoded;
            a.size = a.data.size();
            m.attachments.append(a);
        }
    } else {
        // Another client's message: its plain text, shown as typed.
        QString html = s.ChildText(QStringLiteral("body")).toHtmlEscaped();
        html.replace(QLatin1Char('\n'), QStringLiteral("<BR>"));
        m.body = QStringLiteral("<P>") + html + QStringLiteral("</P>");
    }
    // A message without an address list (other clients) went to its recipient alone.
    if (m.dest[Svc::DST_TO].isEmpty() && m.dest[Svc::DST_CC].isEmpty() &&
        m.dest[Svc::DST_BCC].isEmpty()) {
        const QString to = MemberOfJid(s.Attr(QStringLiteral("to")), domain);
        if (to.isEmpty())
            return refuse(QStringLiteral("no destination"));
        m.AddDest(Svc::DST_TO, to);
    }
    if (const CServiceError e = Svc::CheckOutgoing(m); e.IsError())
        return refuse(e.EnglishText());
    if (const CServiceError e = Svc::CheckAttachments(m.attachments, Svc::kMaxAttachmentBytes);
        e.IsError())
        return refuse(e.EnglishText());
    return m;
}

// ---- Receipts ----

XmppNode EncodeReceipt(int kind, const QString& messageId, const QString& toJid,
                       const QDateTime& time, const QString& fromJid) {
    XmppNode s(QStringLiteral("message"));
    s.SetAttr(QStringLiteral("type"), QStringLiteral("normal"));
    s.SetAttr(QStringLiteral("to"), toJid);
    if (kind == Svc::RECEIPT_READ)
        s.Add(QStringLiteral("displayed"), kNsMarkers).SetAttr(QStringLiteral("id"), messageId);
    else
        s.Add(QStringLiteral("received"), kNsReceipts).SetAttr(QStringLiteral("id"), messageId);
    s.Add(QStringLiteral("delay"), kNsDelay)
        .SetAttr(QStringLiteral("from"), fromJid)
        .SetAttr(QStringLiteral("stamp"), Stamp(time));
    // Kept for an absent sender like any message (offline storage).
    s.Add(QStringLiteral("store"), QStringLiteral("urn:xmpp:hints"));
    return s;
}

std::optional<SvcReceipt> DecodeReceipt(const XmppNode& s, const QString& fromId) {
    SvcReceipt r;
    const XmppNode* mark = s.Child(QStringLiteral("received"), kNsReceipts);
    r.kind = Svc::RECEIPT_RECEIVED;
    if (!mark) {
        mark = s.Child(QStringLiteral("displayed"), kNsMarkers);
        r.kind = Svc::RECEIPT_READ;
    }
    if (!mark)
        return std::nullopt;
    r.messageId = mark->Attr(QStringLiteral("id"));
    r.memberId = fromId;
    return r;
}

QStringList FileUrls(const XmppNode& stanza) {
    QStringList urls;
    if (const XmppNode* z = stanza.Child(QStringLiteral("zelta"), kNsMessage))
        for (const XmppNode& f : z->children)
            if (f.name == QStringLiteral("file") && f.HasAttr(QStringLiteral("url")))
                urls.append(f.Attr(QStringLiteral("url")));
    return urls;
}

void SetFileUrls(XmppNode& stanza, const QStringList& urls) {
    for (XmppNode& z : stanza.children) {
        if (z.name != QStringLiteral("zelta") || z.ns != kNsMessage)
            continue;
        int i = 0;
        for (XmppNode& f : z.children)
            if (f.name == QStringLiteral("file") && i < urls.size()) {
                f.SetAttr(QStringLiteral("url"), urls[i++]);
                f.text.clear();
            }
    }
}

} // namespace Xmpp
