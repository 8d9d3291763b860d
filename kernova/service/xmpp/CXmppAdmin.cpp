#include "kernova/service/xmpp/CXmppAdmin.h"

#include "kernova/service/ServiceRules.h"

#include <QEventLoop>
#include <QTimer>

namespace {

XmppNode PubsubIq(const QString& type, const QString& to, const QString& ns = Xmpp::kNsPubsub) {
    XmppNode iq(QStringLiteral("iq"));
    iq.SetAttr(QStringLiteral("type"), type);
    iq.SetAttr(QStringLiteral("to"), to);
    iq.Add(QStringLiteral("pubsub"), ns);
    return iq;
}

void AddField(XmppNode& form, const QString& var, const QString& value) {
    XmppNode& f = form.Add(QStringLiteral("field"));
    f.SetAttr(QStringLiteral("var"), var);
    f.Add(QStringLiteral("value")).SetText(value);
}

bool IsResult(const XmppNode& answer) {
    return answer.Attr(QStringLiteral("type")) == QStringLiteral("result");
}

QString ErrorText(const XmppNode& answer) {
    if (answer.IsNull())
        return QStringLiteral("no answer");
    if (const XmppNode* e = answer.Child(QStringLiteral("error")))
        for (const XmppNode& c : e->children)
            if (c.ns == Xmpp::kNsStanzas)
                return c.name;
    return answer.Attr(QStringLiteral("type"));
}

} // namespace

CXmppAdmin::CXmppAdmin(const CXmppLocation& location) : m_location(location) {}

CXmppAdmin::~CXmppAdmin() {
    Disconnect();
}

bool CXmppAdmin::Connect(const QString& adminId, const QString& password, int timeoutMs) {
    Disconnect();
    m_timeoutMs = timeoutMs;
    CXmppLink::Failure failure = CXmppLink::Failure::None;
    QString detail;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&m_link, &CXmppLink::Opened, &loop, &QEventLoop::quit);
    QObject::connect(&m_link, &CXmppLink::Closed, &loop,
                     [&](CXmppLink::Failure f, const QString& d) {
                         failure = f;
                         detail = d;
                         loop.quit();
                     });
    // Another resource than members use, so that an administrator who is also a member keeps
    // both sessions.
    m_link.Open(m_location, Xmpp::BareJid(adminId, m_location.domain), QStringLiteral("admin"),
                password);
    limit.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(&m_link, nullptr, &loop, nullptr);
    if (!m_link.IsOpen())
        return Fail(failure == CXmppLink::Failure::BadLogon
                        ? CServiceError(CServiceError::BadLogon)
                        : CServiceError(CServiceError::NoService, QStringLiteral("%1:%2 %3")
                                                                      .arg(m_location.host)
                                                                      .arg(m_location.port)
                                                                      .arg(detail)));
    return EnsureNode();
}

void CXmppAdmin::Disconnect() {
    if (m_link.IsOpen()) {
        m_link.Close();
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        QObject::connect(&m_link, &CXmppLink::Closed, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    m_directory.Clear();
}

bool CXmppAdmin::Call(const QList<XmppNode>& requests, QList<XmppNode>* answers) {
    if (!m_link.IsOpen())
        return Fail(CServiceError(CServiceError::NotLoggedOn));
    QList<XmppNode> got(requests.size());
    int open = int(requests.size());
    QEventLoop loop;
    for (int i = 0; i < requests.size(); ++i)
        m_link.Request(requests[i], [&, i](const XmppNode& a) {
            got[i] = a;
            if (--open == 0)
                loop.quit();
        });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(m_timeoutMs);
    if (open > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (open > 0) {
        // Answers that come later must not touch this frame.
        m_link.Close();
        return Fail(CServiceError(CServiceError::NoService, QStringLiteral("no answer in time")));
    }
    if (answers)
        *answers = got;
    for (const XmppNode& a : got)
        if (!IsResult(a))
            return Fail(CServiceError(
                CServiceError::NoService,
                QStringLiteral("%1 refused: %2").arg(m_location.pubsubJid, ErrorText(a))));
    return true;
}

bool CXmppAdmin::EnsureNode() {
    XmppNode items = PubsubIq(QStringLiteral("get"), m_location.pubsubJid);
    items.children.first()
        .Add(QStringLiteral("items"))
        .SetAttr(QStringLiteral("node"), m_location.directoryNode);
    QList<XmppNode> answers;
    if (Call({items}, &answers)) {
        QList<CXmppDirectory::Change> ignored;
        if (const XmppNode* p = answers[0].Child(QStringLiteral("pubsub")))
            if (const XmppNode* list = p->Child(QStringLiteral("items")))
                for (const XmppNode& item : list->children)
                    if (!item.children.isEmpty())
                        m_directory.ApplyItem(item.Attr(QStringLiteral("id")),
                                              item.children.first(), &ignored);
        return true;
    }
    if (!m_link.IsOpen())
        return false;
    // A missing node is made: everyone on the server reads it, only its owner publishes.
    XmppNode create = PubsubIq(QStringLiteral("set"), m_location.pubsubJid);
    XmppNode& pubsub = create.children.first();
    pubsub.Add(QStringLiteral("create")).SetAttr(QStringLiteral("node"), m_location.directoryNode);
    XmppNode& form = pubsub.Add(QStringLiteral("configure"))
                         .Add(QStringLiteral("x"), Xmpp::kNsDataForms)
                         .SetAttr(QStringLiteral("type"), QStringLiteral("submit"));
    AddField(form, QStringLiteral("FORM_TYPE"),
             QStringLiteral("http://jabber.org/protocol/pubsub#node_config"));
    AddField(form, QStringLiteral("pubsub#access_model"), QStringLiteral("open"));
    AddField(form, QStringLiteral("pubsub#publish_model"), QStringLiteral("publishers"));
    AddField(form, QStringLiteral("pubsub#persist_items"), QStringLiteral("1"));
    AddField(form, QStringLiteral("pubsub#max_items"), QStringLiteral("max"));
    AddField(form, QStringLiteral("pubsub#notify_retract"), QStringLiteral("1"));
    AddField(form, QStringLiteral("pubsub#deliver_payloads"), QStringLiteral("1"));
    return Call({create});
}

XmppNode CXmppAdmin::PublishRequest(const QString& itemId, const XmppNode& payload) const {
    XmppNode iq = PubsubIq(QStringLiteral("set"), m_location.pubsubJid);
    iq.children.first()
        .Add(QStringLiteral("publish"))
        .SetAttr(QStringLiteral("node"), m_location.directoryNode)
        .Add(QStringLiteral("item"))
        .SetAttr(QStringLiteral("id"), itemId)
        .Add(payload);
    return iq;
}

XmppNode CXmppAdmin::RetractRequest(const QString& itemId) const {
    XmppNode iq = PubsubIq(QStringLiteral("set"), m_location.pubsubJid);
    iq.children.first()
        .Add(QStringLiteral("retract"))
        .SetAttr(QStringLiteral("node"), m_location.directoryNode)
        .SetAttr(QStringLiteral("notify"), QStringLiteral("true"))
        .Add(QStringLiteral("item"))
        .SetAttr(QStringLiteral("id"), itemId);
    return iq;
}

bool CXmppAdmin::Apply(const QList<XmppNode>& requests,
                       const QList<std::pair<QString, XmppNode>>& items,
                       const QStringList& retracted) {
    if (!Call(requests))
        return false;
    QList<CXmppDirectory::Change> ignored;
    for (const auto& [id, payload] : items)
        m_directory.ApplyItem(id, payload, &ignored);
    for (const QString& id : retracted)
        m_directory.Retract(id, &ignored);
    return true;
}

bool CXmppAdmin::PublishGroup(const Xmpp::DirectoryGroup& group) {
    const XmppNode payload = Xmpp::EncodeGroup(group);
    const QString id = Xmpp::GroupItemId(group.group.id);
    return Apply({PublishRequest(id, payload)}, {{id, payload}}, {});
}

bool CXmppAdmin::AddMember(const SvcMember& member) {
    if (auto e = Svc::CheckMember(member); e.IsError())
        return Fail(e);
    if (m_directory.HasMember(member.id))
        return Fail(CServiceError(CServiceError::DuplicateMember, member.id));
    const XmppNode payload = Xmpp::EncodeMember(member);
    const QString id = Xmpp::MemberItemId(member.id);
    return Apply({PublishRequest(id, payload)}, {{id, payload}}, {});
}

bool CXmppAdmin::UpdateMember(const SvcMember& member) {
    if (auto e = Svc::CheckMember(member); e.IsError())
        return Fail(e);
    if (!m_directory.HasMember(member.id))
        return Fail(CServiceError(CServiceError::UnknownMember, member.id));
    const XmppNode payload = Xmpp::EncodeMember(member);
    const QString id = Xmpp::MemberItemId(member.id);
    return Apply({PublishRequest(id, payload)}, {{id, payload}}, {});
}

bool CXmppAdmin::RemoveMember(const QString& memberId) {
    if (!m_directory.HasMember(memberId))
        return Fail(CServiceError(CServiceError::UnknownMember, memberId));
    for (const SvcMembership& m : m_directory.MembershipsOf(memberId))
        if (!RemoveMembership(m.groupId, memberId))
            return false;
    const QString id = Xmpp::MemberItemId(memberId);
    return Apply({RetractRequest(id)}, {}, {id});
}

bool CXmppAdmin::AddGroup(const SvcGroup& wanted) {
    if (auto e = Svc::CheckId(wanted.id); e.IsError())
        return Fail(e);
    if (m_directory.HasGroup(wanted.id))
        return Fail(CServiceError(CServiceError::DuplicateGroup, wanted.id));
    if (!wanted.parentId.isEmpty() && !m_directory.HasGroup(wanted.parentId))
        return Fail(CServiceError(CServiceError::UnknownGroup, wanted.parentId));
    Xmpp::DirectoryGroup g;
    g.group = wanted;
    if (g.group.name.isEmpty())
        g.group.name = g.group.id;
    if (auto e = Svc::CheckField("name", g.group.name); e.IsError())
        return Fail(e);
    int siblings = 0;
    for (const SvcGroup& other : m_directory.Groups())
        if (other.parentId == wanted.parentId)
            siblings = std::max(siblings, other.position + 1);
    g.group.position = siblings;
    return PublishGroup(g);
}

bool CXmppAdmin::RemoveGroup(const QString& groupId) {
    if (!m_directory.HasGroup(groupId))
        return Fail(CServiceError(CServiceError::UnknownGroup, groupId));
    // Children first, so that no member ever sees an orphan.
    QStringList doomed{groupId};
    for (int i = 0; i < doomed.size(); ++i)
        for (const SvcGroup& g : m_directory.Groups())
            if (g.parentId == doomed[i])
                doomed.append(g.id);
    QList<XmppNode> requests;
    QStringList ids;
    for (auto it = doomed.crbegin(); it != doomed.crend(); ++it) {
        ids.append(Xmpp::GroupItemId(*it));
        requests.append(RetractRequest(ids.last()));
    }
    return Apply(requests, {}, ids);
}

bool CXmppAdmin::RenameGroup(const QString& groupId, const QString& name) {
    if (!m_directory.HasGroup(groupId))
        return Fail(CServiceError(CServiceError::UnknownGroup, groupId));
    if (auto e = Svc::CheckField("name", name); e.IsError())
        return Fail(e);
    Xmpp::DirectoryGroup g = m_directory.GroupItem(groupId);
    g.group.name = name.isEmpty() ? groupId : name;
    return PublishGroup(g);
}

bool CXmppAdmin::AddMembership(const QString& groupId, const QString& memberId, int role,
                               const QString& name) {
    if (!m_directory.HasGroup(groupId))
        return Fail(CServiceError(CServiceError::UnknownGroup, groupId));
    const auto member = m_directory.Member(memberId);
    if (!member)
        return Fail(CServiceError(CServiceError::UnknownMember, memberId));
    if (auto e = Svc::CheckField("name", name); e.IsError())
        return Fail(e);
    Xmpp::DirectoryGroup g = m_directory.GroupItem(groupId);
    int position = 0;
    for (const SvcMembership& m : g.members) {
        if (m.memberId == memberId)
            return Fail(CServiceError(CServiceError::DuplicateMembership,
                                      groupId + QLatin1Char('/') + memberId));
        position = std::max(position, m.position + 1);
    }
    SvcMembership m;
    m.groupId = groupId;
    m.memberId = memberId;
    m.name = name.isEmpty() ? member->DisplayName() : name;
    m.role = role;
    m.position = position;
    g.members.append(m);
    return PublishGroup(g);
}

bool CXmppAdmin::RemoveMembership(const QString& groupId, const QString& memberId) {
    Xmpp::DirectoryGroup g = m_directory.GroupItem(groupId);
    const auto removed =
        g.members.removeIf([&](const SvcMembership& m) { return m.memberId == memberId; });
    if (!removed)
        return Fail(
            CServiceError(CServiceError::NoMembership, groupId + QLatin1Char('/') + memberId));
    return PublishGroup(g);
}

bool CXmppAdmin::SetMembership(const QString& groupId, const QString& memberId, int role,
                               const QString& name) {
    if (auto e = Svc::CheckField("name", name); e.IsError())
        return Fail(e);
    Xmpp::DirectoryGroup g = m_directory.GroupItem(groupId);
    for (SvcMembership& m : g.members) {
        if (m.memberId == memberId) {
            m.role = role;
            m.name = name;
            return PublishGroup(g);
        }
    }
    return Fail(CServiceError(CServiceError::NoMembership, groupId + QLatin1Char('/') + memberId));
}

bool CXmppAdmin::AddRole(int role, const QString& name) {
    if (auto e = Svc::CheckField("name", name); e.IsError())
        return Fail(e);
    QList<SvcRole> roles = m_directory.Roles();
    roles.removeIf([role](const SvcRole& r) { return r.role == role; });
    roles.append({role, name});
    const XmppNode payload = Xmpp::EncodeRoles(roles);
    return Apply({PublishRequest(Xmpp::kRolesItemId, payload)}, {{Xmpp::kRolesItemId, payload}},
                 {});
}

bool CXmppAdmin::PublishAll(const QList<SvcMember>& members,
                            const QList<Xmpp::DirectoryGroup>& groups,
                            const QList<SvcRole>& roles) {
    QList<XmppNode> requests;
    QList<std::pair<QString, XmppNode>> items;
    auto add = [&](const QString& id, const XmppNode& payload) {
        requests.append(PublishRequest(id, payload));
        items.append({id, payload});
    };
    for (const SvcMember& m : members)
        add(Xmpp::MemberItemId(m.id), Xmpp::EncodeMember(m));
    for (const Xmpp::DirectoryGroup& g : groups)
        add(Xmpp::GroupItemId(g.group.id), Xmpp::EncodeGroup(g));
    if (!roles.isEmpty())
        add(Xmpp::kRolesItemId, Xmpp::EncodeRoles(roles));
    return Apply(requests, items, {});
}
