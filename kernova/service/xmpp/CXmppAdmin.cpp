#include "kernova/service/xmpp/CXmppAdmin.h"

#include "kernova/service/ServiceRules.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>

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
        return Fail(
            failure == CXmppLink::Failure::BadLogon ? CServiceError(CServiceError::BadLogon)
            : failure == CXmppLink::Failure::BadCertificate
                ? CServiceError(CServiceError::BadCertificate, m_location.domain)
            : failure == CXmppLink::Failure::None
                ? CServiceError(CServiceError::NoAnswer,
                                QStringLiteral("%1:%2").arg(m_location.host).arg(m_location.port))
                : CServiceError(CServiceError::Unreachable, QStringLiteral("%1:%2 %3")
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
    // Answers may come after this call gave up (or the stream closes later and fails what is
    // still open): they land in state shared with the callbacks, never in this frame.
    struct Pending {
        QList<XmppNode> got;
        int open = 0;
        QEventLoop* loop = nullptr;
    };
    auto pending = std::make_shared<Pending>();
    pending->got.resize(requests.size());
    pending->open = int(requests.size());
    QEventLoop loop;
    pending->loop = &loop;
    for (int i = 0; i < requests.size(); ++i)
        m_link.Request(requests[i], [pending, i](const XmppNode& a) {
            pending->got[i] = a;
            if (--pending->open == 0 && pending->loop)
                pending->loop->quit();
        });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(m_timeoutMs);
    if (pending->open > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    pending->loop = nullptr;
    if (pending->open > 0) {
        m_link.Close();
        return Fail(CServiceError(CServiceError::NoAnswer, m_location.pubsubJid));
    }
    if (answers)
        *answers = pending->got;
    for (const XmppNode& a : pending->got)
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
    // The server closes the stream of a client that sends more than it accepts.
    for (const XmppNode& r : requests)
        if (r.ToXml().size() > m_location.stanzaLimit)
            return Fail(CServiceError(CServiceError::BodyTooLarge,
                                      QString::number(m_location.stanzaLimit)));
    if (!Call(requests))
        return false;
    QList<CXmppDirectory::Change> ignored;
    for (const auto& [id, payload] : items)
        m_directory.ApplyItem(id, payload, &ignored);
    for (const QString& id : retracted)
        m_directory.Retract(id, &ignored);
    return true;
}

bool CXmppAdmin::PublishMembers(int bucket, const QList<SvcMember>& members) {
    const XmppNode payload = Xmpp::EncodeMemberBucket(members);
    const QString id = Xmpp::MemberBucketId(bucket);
    return Apply({PublishRequest(id, payload)}, {{id, payload}}, {});
}

bool CXmppAdmin::PublishGroups(int bucket, const QList<Xmpp::DirectoryGroup>& groups) {
    const XmppNode payload = Xmpp::EncodeGroupBucket(groups);
    const QString id = Xmpp::GroupBucketId(bucket);
    return Apply({PublishRequest(id, payload)}, {{id, payload}}, {});
}

bool CXmppAdmin::PublishGroup(const Xmpp::DirectoryGroup& group) {
    const int bucket = Xmpp::BucketOf(group.group.id);
    QList<Xmpp::DirectoryGroup> groups = m_directory.GroupsIn(bucket);
    groups.removeIf([&](const auto& g) { return g.group.id == group.group.id; });
    groups.append(group);
    return PublishGroups(bucket, groups);
}

bool CXmppAdmin::AddMember(const SvcMember& member) {
    if (auto e = Svc::CheckMember(member); e.IsError())
        return Fail(e);
    if (m_directory.HasMember(member.id))
        return Fail(CServiceError(CServiceError::DuplicateMember, member.id));
    const int bucket = Xmpp::BucketOf(member.id);
    QList<SvcMember> members = m_directory.MembersIn(bucket);
    members.append(member);
    return PublishMembers(bucket, members);
}

bool CXmppAdmin::UpdateMember(const SvcMember& member) {
    if (auto e = Svc::CheckMember(member); e.IsError())
        return Fail(e);
    if (!m_directory.HasMember(member.id))
        return Fail(CServiceError(CServiceError::UnknownMember, member.id));
    const int bucket = Xmpp::BucketOf(member.id);
    QList<SvcMember> members = m_directory.MembersIn(bucket);
    for (SvcMember& m : members)
        if (m.id == member.id)
            m = member;
    return PublishMembers(bucket, members);
}

bool CXmppAdmin::RemoveMember(const QString& memberId) {
    if (!m_directory.HasMember(memberId))
        return Fail(CServiceError(CServiceError::UnknownMember, memberId));
    // Memberships first, so that no member ever sees a membership of an unknown member.
    for (const SvcMembership& m : m_directory.MembershipsOf(memberId))
        if (!RemoveMembership(m.groupId, memberId))
            return false;
    const int bucket = Xmpp::BucketOf(memberId);
    QList<SvcMember> members = m_directory.MembersIn(bucket);
    members.removeIf([&](const SvcMember& m) { return m.id == memberId; });
    return PublishMembers(bucket, members);
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
    QStringList doomed{groupId};
    for (int i = 0; i < doomed.size(); ++i)
        for (const SvcGroup& g : m_directory.Groups())
            if (g.parentId == doomed[i])
                doomed.append(g.id);
    // The buckets of the deepest groups first, so that no member ever sees an orphan; a member
    // that reads the parent's bucket first drops the sub-groups with it.
    QList<int> order;
    for (auto it = doomed.crbegin(); it != doomed.crend(); ++it)
        if (!order.contains(Xmpp::BucketOf(*it)))
            order.append(Xmpp::BucketOf(*it));
    for (int bucket : order) {
        QList<Xmpp::DirectoryGroup> groups = m_directory.GroupsIn(bucket);
        groups.removeIf([&](const auto& g) { return doomed.contains(g.group.id); });
        if (!PublishGroups(bucket, groups))
            return false;
    }
    return true;
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
    QList<QList<SvcMember>> memberBuckets(Xmpp::kDirectoryBuckets);
    QList<QList<Xmpp::DirectoryGroup>> groupBuckets(Xmpp::kDirectoryBuckets);
    for (const SvcMember& m : members)
        memberBuckets[Xmpp::BucketOf(m.id)].append(m);
    for (const Xmpp::DirectoryGroup& g : groups)
        groupBuckets[Xmpp::BucketOf(g.group.id)].append(g);
    QList<XmppNode> requests;
    QList<std::pair<QString, XmppNode>> items;
    auto add = [&](const QString& id, const XmppNode& payload) {
        requests.append(PublishRequest(id, payload));
        items.append({id, payload});
    };
    // Members before the groups that name them; a bucket that held records before and holds
    // none now is published empty.
    for (int b = 0; b < Xmpp::kDirectoryBuckets; ++b)
        if (!memberBuckets[b].isEmpty() || !m_directory.MembersIn(b).isEmpty())
            add(Xmpp::MemberBucketId(b), Xmpp::EncodeMemberBucket(memberBuckets[b]));
    for (int b = 0; b < Xmpp::kDirectoryBuckets; ++b)
        if (!groupBuckets[b].isEmpty() || !m_directory.GroupsIn(b).isEmpty())
            add(Xmpp::GroupBucketId(b), Xmpp::EncodeGroupBucket(groupBuckets[b]));
    if (!roles.isEmpty())
        add(Xmpp::kRolesItemId, Xmpp::EncodeRoles(roles));
    return Apply(requests, items, {});
}

// ---- Accounts ----

bool CXmppAdmin::AdminCommand(const QString& node,
                              const QList<std::pair<QString, QString>>& fields) {
    static const QString kNsCommands = QStringLiteral("http://jabber.org/protocol/commands");
    XmppNode start(QStringLiteral("iq"));
    start.SetAttr(QStringLiteral("type"), QStringLiteral("set"));
    start.SetAttr(QStringLiteral("to"), m_location.domain);
    start.Add(QStringLiteral("command"), kNsCommands)
        .SetAttr(QStringLiteral("node"), node)
        .SetAttr(QStringLiteral("action"), QStringLiteral("execute"));
    QList<XmppNode> answers;
    if (!Call({start}, &answers))
        return false;
    const XmppNode* form = answers[0].Child(QStringLiteral("command"), kNsCommands);
    if (!form)
        return Fail(CServiceError(CServiceError::NoService, node));
    XmppNode submit(QStringLiteral("iq"));
    submit.SetAttr(QStringLiteral("type"), QStringLiteral("set"));
    submit.SetAttr(QStringLiteral("to"), m_location.domain);
    XmppNode& command =
        submit.Add(QStringLiteral("command"), kNsCommands)
            .SetAttr(QStringLiteral("node"), node)
            .SetAttr(QStringLiteral("sessionid"), form->Attr(QStringLiteral("sessionid")));
    XmppNode& x = command.Add(QStringLiteral("x"), Xmpp::kNsDataForms)
                      .SetAttr(QStringLiteral("type"), QStringLiteral("submit"));
    AddField(x, QStringLiteral("FORM_TYPE"), QStringLiteral("http://jabber.org/protocol/admin"));
    for (const auto& [var, value] : fields)
        AddField(x, var, value);
    if (!Call({submit}, &answers))
        return false;
    // The command answers with a note of type "error" when it did nothing.
    if (const XmppNode* done = answers[0].Child(QStringLiteral("command"), kNsCommands))
        for (const XmppNode& c : done->children)
            if (c.name == QStringLiteral("note") &&
                c.Attr(QStringLiteral("type")) == QStringLiteral("error"))
                return Fail(CServiceError(CServiceError::NoService, c.text));
    return true;
}

bool CXmppAdmin::CreateAccount(const QString& memberId, const QString& password) {
    if (auto e = Svc::CheckId(memberId); e.IsError())
        return Fail(e);
    if (auto e = Svc::CheckPassword(password); e.IsError())
        return Fail(e);
    const QString jid = Xmpp::BareJid(memberId, m_location.domain);
    return AdminCommand(QStringLiteral("http://jabber.org/protocol/admin#add-user"),
                        {{QStringLiteral("accountjid"), jid},
                         {QStringLiteral("password"), password},
                         {QStringLiteral("password-verify"), password}});
}

bool CXmppAdmin::SetAccountPassword(const QString& memberId, const QString& password) {
    if (auto e = Svc::CheckPassword(password); e.IsError())
        return Fail(e);
    return AdminCommand(QStringLiteral("http://jabber.org/protocol/admin#change-user-password"),
                        {{QStringLiteral("accountjid"), Xmpp::BareJid(memberId, m_location.domain)},
                         {QStringLiteral("password"), password}});
}

bool CXmppAdmin::DeleteAccount(const QString& memberId) {
    return AdminCommand(
        QStringLiteral("http://jabber.org/protocol/admin#delete-user"),
        {{QStringLiteral("accountjids"), Xmpp::BareJid(memberId, m_location.domain)}});
}
