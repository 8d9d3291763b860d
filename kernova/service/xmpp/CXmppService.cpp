#include "kernova/service/xmpp/CXmppService.h"

#include "kernova/service/ServiceRules.h"

#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

Q_LOGGING_CATEGORY(lcXmpp, "zelta.xmpp")

namespace {

const SvcPresence kOn{Svc::kStatusOn, {}, Svc::kColorOn};

XmppNode Iq(const QString& type, const QString& to = {}) {
    XmppNode iq(QStringLiteral("iq"));
    iq.SetAttr(QStringLiteral("type"), type);
    if (!to.isEmpty())
        iq.SetAttr(QStringLiteral("to"), to);
    return iq;
}

XmppNode PresenceOfType(const QString& type, const QString& to = {}) {
    XmppNode p(QStringLiteral("presence"));
    p.SetAttr(QStringLiteral("type"), type);
    if (!to.isEmpty())
        p.SetAttr(QStringLiteral("to"), to);
    return p;
}

QString ResourceOf(const QString& jid) {
    const qsizetype slash = jid.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : jid.mid(slash + 1);
}

} // namespace

CXmppService::CXmppService(const CXmppLocation& location, const QString& stateDir, QObject* parent)
    : CMessagingService(parent), m_location(location), m_stateDir(stateDir) {
    connect(&m_link, &CXmppLink::Opened, this, &CXmppService::OnOpened);
    connect(&m_link, &CXmppLink::Closed, this, &CXmppService::OnClosed);
    connect(&m_link, &CXmppLink::StanzaReceived, this, &CXmppService::OnStanza);
}

CXmppService::CXmppService(const QString& location, const QString& stateDir, QObject* parent)
    : CXmppService(CXmppLocation(), stateDir, parent) {
    QString why;
    if (const auto parsed = CXmppLocation::Parse(location, &why))
        m_location = *parsed;
    else
        m_locationError = location + QStringLiteral(": ") + why;
}

CXmppService::~CXmppService() {
    Logoff();
}

bool CXmppService::RequireLogon() {
    ClearError();
    return IsLoggedOn() || Fail(CServiceError(CServiceError::NotLoggedOn));
}

QString CXmppService::Jid(const QString& memberId) const {
    return Xmpp::BareJid(memberId, m_location.domain);
}

QString CXmppService::MemberOf(const QString& jid) const {
    const QString node = Xmpp::MemberOfJid(jid, m_location.domain);
    return node.isEmpty() ? QString() : m_directory.MemberForNode(node);
}

void CXmppService::SetPhase(Phase phase) {
    m_phase = phase;
    if (m_wait && (phase == Phase::On || phase == Phase::Off))
        m_wait->quit();
}

// ---- Session ----

bool CXmppService::Logon(const QString& memberId, const QString& password) {
    Logoff();
    ClearError();
    if (auto e = Svc::CheckId(memberId); e.IsError())
        return Fail(e);
    if (auto e = Svc::CheckPassword(password); e.IsError())
        return Fail(e);
    if (!m_locationError.isEmpty())
        return Fail(CServiceError(CServiceError::NoService, m_locationError));
    const QString file = QDir(m_stateDir)
                             .filePath(Xmpp::EscapeNode(memberId).toLower() + QLatin1Char('@') +
                                       m_location.domain + QStringLiteral(".sqlite"));
    if (!m_store.Open(file))
        return Fail(m_store.LastError());

    m_user = memberId;
    m_logonError = {};
    m_directory.Clear();
    m_roster.clear();
    m_resources.clear();
    m_early.clear();
    m_announced.clear();
    m_directoryLoaded = m_rosterLoaded = m_uploadChecked = false;
    m_upload = Upload::Unknown;
    m_uploadMax = 0;
    SetPhase(Phase::Connecting);
    m_link.Open(m_location, Jid(memberId), Xmpp::kResource, password);

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(m_logonTimeoutMs);
    m_wait = &loop;
    if (m_phase != Phase::On && m_phase != Phase::Off)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_wait = nullptr;

    if (m_phase == Phase::On) {
        // What waited here for the member is handed on after the caller has seen the log-on.
        QTimer::singleShot(0, this, [this] {
            if (IsLoggedOn())
                AnnouncePending();
            if (IsLoggedOn())
                ResumeFetches();
        });
        return true;
    }
    const CServiceError error =
        m_logonError.IsError()
            ? m_logonError
            : CServiceError(CServiceError::NoAnswer,
                            QStringLiteral("%1:%2").arg(m_location.host).arg(m_location.port));
    StopSession();
    return Fail(error);
}

void CXmppService::StopSession() {
    m_phase = Phase::Off;
    StopTransfers();
    m_toSubscribe.clear();
    m_chats.clear();
    if (m_roomWait.loop)
        m_roomWait.loop->quit();
    m_link.Close();
    m_directory.Clear();
    m_roster.clear();
    m_resources.clear();
    m_early.clear();
    m_announced.clear();
    m_ownPresence.clear();
    m_store.Close();
    m_user.clear();
}

void CXmppService::Logoff() {
    if (m_phase == Phase::Off)
        return;
    if (m_link.IsOpen()) {
        EndChatParts(Svc::CHAT_LOGGED_OFF);
        m_link.Send(PresenceOfType(QStringLiteral("unavailable")));
        m_link.Close();
        // The end of the stream is written before the link goes; a short wait at most.
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&m_link, &CXmppLink::Closed, &loop, &QEventLoop::quit);
        limit.start(1000);
        if (m_link.IsOpen())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    StopSession();
}

bool CXmppService::Heartbeat() {
    // The stream has its own keep-alive; a lost one has already ended the session.
    return RequireLogon();
}

void CXmppService::OnOpened() {
    SetPhase(Phase::Loading);
    // Initial presence first: from here on the server delivers directory notifications (sent to
    // available sessions only), stored messages and the contacts' presence; what comes before
    // the directory is loaded waits in m_early. The server has taken the presence in before it
    // answers the requests below, so nothing published after the log-on can be missed.
    m_ownPresence = {{Svc::kAllGroups, kOn}};
    m_link.Send(Xmpp::EncodePresence(m_ownPresence));
    XmppNode roster = Iq(QStringLiteral("get"));
    roster.Add(QStringLiteral("query"), Xmpp::kNsRoster);
    m_link.Request(roster, [this](const XmppNode& a) { OnRosterLoaded(a); });

    // Changes are subscribed to before the items are read, so that none falls in between.
    XmppNode subscribe = Iq(QStringLiteral("set"), m_location.pubsubJid);
    subscribe.Add(QStringLiteral("pubsub"), Xmpp::kNsPubsub)
        .Add(QStringLiteral("subscribe"))
        .SetAttr(QStringLiteral("node"), m_location.directoryNode)
        .SetAttr(QStringLiteral("jid"), Jid(m_user));
    m_link.Request(subscribe, [](const XmppNode& a) {
        if (a.Attr(QStringLiteral("type")) != QStringLiteral("result"))
            qCWarning(lcXmpp) << "Subscription to the directory refused";
    });
    XmppNode items = Iq(QStringLiteral("get"), m_location.pubsubJid);
    items.Add(QStringLiteral("pubsub"), Xmpp::kNsPubsub)
        .Add(QStringLiteral("items"))
        .SetAttr(QStringLiteral("node"), m_location.directoryNode);
    m_link.Request(items, [this](const XmppNode& a) { OnDirectoryLoaded(a); });
    // Whether attached files can be uploaded, and how large.
    XmppNode disco = Iq(QStringLiteral("get"), m_location.uploadJid);
    disco.Add(QStringLiteral("query"), QStringLiteral("http://jabber.org/protocol/disco#info"));
    m_link.Request(disco, [this](const XmppNode& a) { OnUploadServiceInfo(a); });
}

void CXmppService::OnRosterLoaded(const XmppNode& answer) {
    if (const XmppNode* q = answer.Child(QStringLiteral("query"), Xmpp::kNsRoster))
        for (const XmppNode& item : q->children)
            m_roster.insert(Xmpp::Bare(item.Attr(QStringLiteral("jid"))),
                            item.Attr(QStringLiteral("ask")) == QStringLiteral("subscribe")
                                ? QStringLiteral("ask")
                                : item.Attr(QStringLiteral("subscription")));
    m_rosterLoaded = true;
    FinishLoading();
}

void CXmppService::OnDirectoryLoaded(const XmppNode& answer) {
    if (m_phase != Phase::Loading)
        return;
    if (answer.Attr(QStringLiteral("type")) != QStringLiteral("result")) {
        m_logonError = CServiceError(
            CServiceError::NoDirectory,
            QStringLiteral("%1 / %2").arg(m_location.pubsubJid, m_location.directoryNode));
        m_link.Close();
        SetPhase(Phase::Off);
        return;
    }
    QList<CXmppDirectory::Change> ignored;
    if (const XmppNode* pubsub = answer.Child(QStringLiteral("pubsub"), Xmpp::kNsPubsub))
        if (const XmppNode* items = pubsub->Child(QStringLiteral("items")))
            for (const XmppNode& item : items->children)
                if (item.name == QStringLiteral("item") && !item.children.isEmpty() &&
                    !m_directory.ApplyItem(item.Attr(QStringLiteral("id")), item.children.first(),
                                           &ignored))
                    qCWarning(lcXmpp)
                        << "Directory item refused:" << item.Attr(QStringLiteral("id"));
    m_directoryLoaded = true;
    FinishLoading();
}

void CXmppService::FinishLoading() {
    if (!m_directoryLoaded || !m_rosterLoaded || !m_uploadChecked || m_phase != Phase::Loading)
        return;
    // Only members of the directory take part; an account outside it is refused like a wrong
    // password.
    if (!m_directory.HasMember(m_user)) {
        m_logonError = CServiceError(CServiceError::BadLogon);
        m_link.Close();
        SetPhase(Phase::Off);
        return;
    }
    QList<CXmppDirectory::Change> ignored;
    m_directory.ApplyPresence(m_user, m_ownPresence, true, &ignored);
    SubscribeToMembers();
    SetPhase(Phase::On);
    const QList<XmppNode> early = std::exchange(m_early, {});
    for (const XmppNode& s : early)
        OnStanza(s);
}

void CXmppService::SubscribeToMembers() {
    for (const SvcMember& m : m_directory.Members()) {
        if (m.id == m_user)
            continue;
        const QString jid = Jid(m.id).toLower();
        const QString sub = m_roster.value(jid);
        if (sub == QStringLiteral("to") || sub == QStringLiteral("both") ||
            sub == QStringLiteral("ask"))
            continue;
        m_roster.insert(jid, QStringLiteral("ask"));
        m_toSubscribe.append(Jid(m.id));
    }
    SendSubscriptionSlice();
}

void CXmppService::SendSubscriptionSlice() {
    if (m_phase != Phase::On && m_phase != Phase::Loading) {
        m_toSubscribe.clear();
        return;
    }
    for (int i = 0; i < kSubscribeSlice && !m_toSubscribe.isEmpty(); ++i)
        m_link.Send(PresenceOfType(QStringLiteral("subscribe"), m_toSubscribe.takeFirst()));
    if (m_toSubscribe.isEmpty())
        return;
    if (!m_subscribeTimer) {
        m_subscribeTimer = new QTimer(this);
        m_subscribeTimer->setSingleShot(true);
        connect(m_subscribeTimer, &QTimer::timeout, this, &CXmppService::SendSubscriptionSlice);
    }
    // The next slice goes once the server has worked through this one (it answers the ping
    // after the stanzas before it): a slow server sets the pace, and never has more than one
    // slice of this client's requests ahead of everybody's messages.
    XmppNode ping(QStringLiteral("iq"));
    ping.SetAttr(QStringLiteral("type"), QStringLiteral("get"));
    ping.SetAttr(QStringLiteral("to"), m_location.domain);
    ping.Add(QStringLiteral("ping"), QStringLiteral("urn:xmpp:ping"));
    QPointer<QTimer> timer = m_subscribeTimer;
    m_link.Request(ping, [timer](const XmppNode& answer) {
        if (timer && !answer.IsNull())
            timer->start(kSubscribePauseMs);
    });
}

void CXmppService::OnClosed(CXmppLink::Failure failure, const QString& detail) {
    if (m_phase == Phase::Off)
        return;
    if (m_phase != Phase::On) {
        switch (failure) {
        case CXmppLink::Failure::BadLogon:
            m_logonError = CServiceError(CServiceError::BadLogon);
            break;
        case CXmppLink::Failure::BadCertificate:
            m_logonError = CServiceError(CServiceError::BadCertificate, m_location.domain);
            break;
        default:
            m_logonError = CServiceError(
                CServiceError::Unreachable,
                QStringLiteral("%1:%2 %3").arg(m_location.host).arg(m_location.port).arg(detail));
        }
        SetPhase(Phase::Off);
        return;
    }
    if (failure == CXmppLink::Failure::None) {
        // Closed on request (log-off): no session was lost.
        StopSession();
        return;
    }
    qCWarning(lcXmpp) << "Stream to" << m_location.host << "ended:" << int(failure) << detail;
    StopSession();
    emit SessionEnded(failure == CXmppLink::Failure::Replaced ? Svc::END_REPLACED
                                                              : Svc::END_EXPIRED);
}

// ---- Incoming stanzas ----

void CXmppService::OnStanza(const XmppNode& stanza) {
    if (m_phase == Phase::Loading) {
        if (stanza.name == QStringLiteral("iq"))
            HandleIq(stanza);
        else
            m_early.append(stanza);
        return;
    }
    if (m_phase != Phase::On)
        return;
    if (stanza.name == QStringLiteral("presence"))
        HandlePresence(stanza);
    else if (stanza.name == QStringLiteral("message"))
        HandleMessage(stanza);
    else if (stanza.name == QStringLiteral("iq"))
        HandleIq(stanza);
}

void CXmppService::HandleIq(const XmppNode& stanza) {
    const QString type = stanza.Attr(QStringLiteral("type"));
    if (type != QStringLiteral("get") && type != QStringLiteral("set"))
        return;
    const QString from = stanza.Attr(QStringLiteral("from"));
    XmppNode reply = Iq(QStringLiteral("result"), from);
    reply.SetAttr(QStringLiteral("id"), stanza.Attr(QStringLiteral("id")));
    const XmppNode* query = stanza.Child(QStringLiteral("query"), Xmpp::kNsRoster);
    const bool fromServer = from.isEmpty() || Xmpp::Bare(from) == Jid(m_user).toLower() ||
                            Xmpp::Bare(from) == m_location.domain;
    if (query && type == QStringLiteral("set") && fromServer) {
        for (const XmppNode& item : query->children)
            m_roster.insert(Xmpp::Bare(item.Attr(QStringLiteral("jid"))),
                            item.Attr(QStringLiteral("ask")) == QStringLiteral("subscribe")
                                ? QStringLiteral("ask")
                                : item.Attr(QStringLiteral("subscription")));
    } else if (!stanza.Child(QStringLiteral("ping"), QStringLiteral("urn:xmpp:ping"))) {
        reply.SetAttr(QStringLiteral("type"), QStringLiteral("error"));
        reply.Add(QStringLiteral("error"))
            .SetAttr(QStringLiteral("type"), QStringLiteral("cancel"))
            .Add(QStringLiteral("feature-not-implemented"), Xmpp::kNsStanzas);
    }
    m_link.Send(reply);
}

void CXmppService::HandlePresence(const XmppNode& stanza) {
    const QString from = stanza.Attr(QStringLiteral("from"));
    const QString type = stanza.Attr(QStringLiteral("type"));
    if (IsRoomJid(from)) {
        HandleRoomPresence(stanza);
        return;
    }
    const QString member = MemberOf(from);
    if (member.isEmpty()) {
        qCInfo(lcXmpp) << "Presence from outside the directory ignored:" << from << type;
        if (type == QStringLiteral("subscribe"))
            m_link.Send(PresenceOfType(QStringLiteral("unsubscribed"), Xmpp::Bare(from)));
        return;
    }
    if (type == QStringLiteral("subscribe")) {
        m_link.Send(PresenceOfType(QStringLiteral("subscribed"), Jid(member)));
        const QString sub = m_roster.value(Jid(member).toLower());
        if (sub != QStringLiteral("to") && sub != QStringLiteral("both") &&
            sub != QStringLiteral("ask")) {
            m_roster.insert(Jid(member).toLower(), QStringLiteral("ask"));
            m_link.Send(PresenceOfType(QStringLiteral("subscribe"), Jid(member)));
        }
        return;
    }
    if (!type.isEmpty() && type != QStringLiteral("unavailable"))
        return; // subscribed, unsubscribe(d), probe, error
    if (member == m_user && ResourceOf(from) == Xmpp::kResource)
        return; // our own presence, applied when it was set
    auto& resources = m_resources[member];
    if (type == QStringLiteral("unavailable"))
        resources.remove(ResourceOf(from));
    else
        resources.insert(ResourceOf(from), Xmpp::DecodePresence(stanza));
    // Zelta's own session speaks for the member; another client counts while it is alone.
    Xmpp::PresenceMap effective{{Svc::kAllGroups, {Svc::kStatusOff, {}, Svc::kColorOff}}};
    if (resources.contains(Xmpp::kResource))
        effective = resources.value(Xmpp::kResource);
    else if (!resources.isEmpty())
        effective = resources.begin().value();
    QList<CXmppDirectory::Change> changes;
    m_directory.ApplyPresence(member, effective, !resources.isEmpty(), &changes);
    Emit(changes);
}

void CXmppService::HandleMessage(const XmppNode& stanza) {
    const QString from = stanza.Attr(QStringLiteral("from"));
    if (Xmpp::Bare(from) == m_location.pubsubJid.toLower()) {
        if (const XmppNode* event = stanza.Child(QStringLiteral("event"), Xmpp::kNsPubsubEvent))
            HandleDirectoryEvent(*event);
        return;
    }
    if (IsRoomJid(from)) {
        HandleRoomMessage(stanza);
        return;
    }
    const QString fromId = MemberOf(from);
    if (fromId.isEmpty()) {
        qCWarning(lcXmpp) << "Message from outside the directory ignored:" << from;
        return;
    }
    if (stanza.Attr(QStringLiteral("type")) == QStringLiteral("error")) {
        HandleBounce(stanza, fromId);
        return;
    }
    if (const auto receipt = Xmpp::DecodeReceipt(stanza, fromId)) {
        SvcReceipt r = *receipt;
        r.time = Xmpp::StampOf(stanza, Jid(fromId).toLower());
        if (!r.time.isValid())
            r.time = QDateTime::currentDateTimeUtc();
        switch (m_store.ApplyReceipt(r.kind, r.messageId, fromId, r.time)) {
        case CXmppStore::ReceiptResult::Applied:
            emit ReceiptArrived(r);
            break;
        case CXmppStore::ReceiptResult::Duplicate:
            break;
        case CXmppStore::ReceiptResult::NotDestination:
            qCWarning(lcXmpp) << "Receipt ignored: message" << r.messageId << "did not reach"
                              << fromId;
            break;
        }
        return;
    }
    if (!stanza.Child(QStringLiteral("body")) &&
        !stanza.Child(QStringLiteral("zelta"), Xmpp::kNsMessage))
        return; // chat states and the like
    QString why;
    std::optional<SvcMessage> m = Xmpp::DecodeMessage(stanza, fromId, m_location.domain, &why);
    if (!m) {
        qCWarning(lcXmpp) << "Message from" << fromId << "refused:" << why;
        XmppNode error(QStringLiteral("message"));
        error.SetAttr(QStringLiteral("type"), QStringLiteral("error"));
        error.SetAttr(QStringLiteral("to"), from);
        error.SetAttr(QStringLiteral("id"), stanza.Attr(QStringLiteral("id")));
        error.Add(QStringLiteral("error"))
            .SetAttr(QStringLiteral("type"), QStringLiteral("modify"))
            .Add(QStringLiteral("not-acceptable"), Xmpp::kNsStanzas);
        m_link.Send(error);
        return;
    }
    if (m->fromName.isEmpty())
        if (const auto sender = m_directory.Member(fromId))
            m->fromName = sender->DisplayName();
    // A copy that addresses nobody else names the user as its To destination.
    Svc::DestList myList = Svc::DST_TO;
    if (m->DestIds(Svc::DST_BCC).contains(m_user) && !m->DestIds(Svc::DST_TO).contains(m_user) &&
        !m->DestIds(Svc::DST_CC).contains(m_user))
        myList = Svc::DST_BCC;
    else if (m->DestIds(Svc::DST_CC).contains(m_user) && !m->DestIds(Svc::DST_TO).contains(m_user))
        myList = Svc::DST_CC;
    if (m_store.HasIncoming(m->messageId))
        return; // offline storage and a resend can both bring it: once is enough
    if (const QStringList urls = Xmpp::FileUrls(stanza); !urls.isEmpty()) {
        if (urls.size() != m->attachments.size()) {
            qCWarning(lcXmpp) << "Message" << m->messageId << "refused: files without addresses";
            return;
        }
        FetchFiles(*m, myList, urls);
        return;
    }
    if (!m_store.AddIncoming(*m, myList)) {
        qCWarning(lcXmpp) << "Received message not kept:" << m_store.LastError().EnglishText();
        return;
    }
    m_announced.insert(m->messageId);
    emit MessageArrived(*LoadForUser(m->messageId));
}

void CXmppService::HandleBounce(const XmppNode& stanza, const QString& fromId) {
    const QString id = stanza.Attr(QStringLiteral("id"));
    if (!m_store.HasOutgoing(id))
        return;
    const XmppNode* error = stanza.Child(QStringLiteral("error"));
    const bool noAccount =
        error && (error->Child(QStringLiteral("service-unavailable"), Xmpp::kNsStanzas) ||
                  error->Child(QStringLiteral("item-not-found"), Xmpp::kNsStanzas) ||
                  error->Child(QStringLiteral("recipient-unavailable"), Xmpp::kNsStanzas));
    if (!noAccount) {
        qCWarning(lcXmpp) << "Message" << id << "refused by" << fromId;
        return;
    }
    // Only a member the message was sent to can bounce it.
    const std::optional<SvcMessage> sent = m_store.Outgoing(id);
    if (m_store.ApplyReceipt(Svc::RECEIPT_UNKNOWN_DEST, id, fromId, {}) ==
            CXmppStore::ReceiptResult::NotDestination ||
        !sent)
        return;
    emit ReceiptArrived({Svc::RECEIPT_UNKNOWN_DEST, id, fromId, QDateTime::currentDateTimeUtc()});
}

void CXmppService::HandleDirectoryEvent(const XmppNode& event) {
    const XmppNode* items = event.Child(QStringLiteral("items"));
    if (!items || items->Attr(QStringLiteral("node")) != m_location.directoryNode)
        return;
    QList<CXmppDirectory::Change> changes;
    for (const XmppNode& c : items->children) {
        const QString id = c.Attr(QStringLiteral("id"));
        if (c.name == QStringLiteral("item") && !c.children.isEmpty()) {
            if (!m_directory.ApplyItem(id, c.children.first(), &changes))
                qCWarning(lcXmpp) << "Directory item refused:" << id;
        } else if (c.name == QStringLiteral("retract")) {
            m_directory.Retract(id, &changes);
        }
    }
    Emit(changes);
    for (const auto& c : changes)
        if (c.kind == CXmppDirectory::Change::MemberAdded) {
            SubscribeToMembers();
            break;
        }
}

void CXmppService::Emit(const QList<CXmppDirectory::Change>& changes) {
    using C = CXmppDirectory::Change;
    for (const C& c : changes) {
        if (!IsLoggedOn())
            return;
        switch (c.kind) {
        case C::MemberAdded:
            emit MemberAdded(c.memberId);
            break;
        case C::MemberRemoved:
            emit MemberRemoved(c.memberId);
            break;
        case C::MemberChanged:
            emit MemberChanged(c.memberId);
            break;
        case C::GroupAdded:
            emit GroupAdded(c.groupId);
            break;
        case C::GroupRemoved:
            emit GroupRemoved(c.groupId);
            break;
        case C::GroupRenamed:
            emit GroupRenamed(c.groupId, c.detail);
            break;
        case C::GroupMemberAdded:
            emit GroupMemberAdded(c.groupId, c.memberId);
            break;
        case C::GroupMemberRemoved:
            emit GroupMemberRemoved(c.groupId, c.memberId);
            break;
        case C::GroupMemberChanged:
            emit GroupMemberChanged(c.groupId, c.memberId);
            break;
        case C::Presence:
            emit MemberPresenceChanged(c.groupId, c.memberId, c.detail, c.presence);
            break;
        }
    }
}

// ---- Directory ----

QList<SvcMember> CXmppService::GetMembers() {
    return RequireLogon() ? m_directory.Members() : QList<SvcMember>();
}

std::optional<SvcMember> CXmppService::GetMember(const QString& memberId) {
    if (!RequireLogon())
        return std::nullopt;
    auto m = m_directory.Member(memberId);
    if (!m)
        Fail(CServiceError(CServiceError::UnknownMember, memberId));
    return m;
}

QList<SvcGroup> CXmppService::GetGroups() {
    return RequireLogon() ? m_directory.Groups() : QList<SvcGroup>();
}

std::optional<SvcGroup> CXmppService::GetGroup(const QString& groupId) {
    if (!RequireLogon())
        return std::nullopt;
    auto g = m_directory.Group(groupId);
    if (!g)
        Fail(CServiceError(CServiceError::UnknownGroup, groupId));
    return g;
}

QList<SvcMembership> CXmppService::GetMemberships(const QString& groupId) {
    return RequireLogon() ? m_directory.Memberships(groupId) : QList<SvcMembership>();
}

QList<SvcRole> CXmppService::GetRoles() {
    return RequireLogon() ? m_directory.Roles() : QList<SvcRole>();
}

// ---- Presence ----

bool CXmppService::SetPresence(const SvcPresence& wanted, const QStringList& groupIds) {
    if (!RequireLogon())
        return false;
    if (auto e = Svc::CheckPresence(wanted); e.IsError())
        return Fail(e);
    const SvcPresence presence = Svc::Normalized(wanted);
    const QList<SvcMembership> own = m_directory.MembershipsOf(m_user);
    QStringList mine;
    for (const SvcMembership& m : own)
        mine.append(m.groupId);
    QStringList targets;
    for (const QString& g : groupIds) {
        if (auto e = Svc::CheckId(g); e.IsError())
            return Fail(e);
        if (!mine.contains(g))
            return Fail(CServiceError(m_directory.HasGroup(g) ? CServiceError::NotMember
                                                              : CServiceError::UnknownGroup,
                                      g));
        if (!targets.contains(g))
            targets.append(g);
    }
    Xmpp::PresenceMap next;
    if (groupIds.isEmpty() || targets.size() == mine.size()) {
        next.insert(Svc::kAllGroups, presence);
    } else {
        for (const QString& g : mine) {
            const auto it = std::find_if(own.begin(), own.end(),
                                         [&](const SvcMembership& m) { return m.groupId == g; });
            next.insert(g, targets.contains(g) ? presence : it->presence);
        }
    }
    m_ownPresence = next;
    m_link.Send(Xmpp::EncodePresence(next));
    QList<CXmppDirectory::Change> changes;
    m_directory.ApplyPresence(m_user, next, true, &changes);
    // Like every other event, the user's own change arrives from the event loop.
    QTimer::singleShot(0, this, [this, changes] { Emit(changes); });
    return true;
}

// ---- Messages ----

bool CXmppService::SendMessage(const SvcMessage& original, QStringList* unknownOut) {
    if (!RequireLogon())
        return false;
    if (auto e = Svc::CheckOutgoing(original); e.IsError())
        return Fail(e);
    if (auto e = Svc::CheckAttachments(original.attachments, m_attachmentLimit); e.IsError())
        return Fail(e);
    SvcMessage m = original;
    m.fromId = m_user;
    if (m.fromName.isEmpty()) {
        const auto me = m_directory.Member(m_user);
        m.fromName = me ? me->DisplayName() : m_user;
    }
    if (!m.sendTime.isValid())
        m.sendTime = QDateTime::currentDateTimeUtc();
    if (m_store.HasOutgoing(m.messageId))
        return Fail(CServiceError(CServiceError::DuplicateMessage, m.messageId));

    // Every destination expanded to members; the first (most visible) list reaching a member is
    // the one it receives the message through.
    QHash<QString, Svc::DestList> listOf;
    QStringList recipients;
    QStringList unknown;
    QList<std::pair<QString, QStringList>> reached;
    for (int list = Svc::DST_TO; list <= Svc::DST_BCC; ++list) {
        for (const SvcDestination& d : m.dest[list]) {
            QStringList members;
            bool known = true;
            if (d.id.startsWith(Svc::kGroupPrefix, Qt::CaseInsensitive)) {
                const QString group = d.id.mid(Svc::kGroupPrefix.size());
                if (group.compare(Svc::kOnNetters, Qt::CaseInsensitive) == 0) {
                    members = m_directory.OnlineMembers();
                } else if (m_directory.HasGroup(group)) {
                    for (const SvcMembership& ms : m_directory.Memberships(group))
                        members.append(ms.memberId);
                } else {
                    known = false;
                }
            } else if (m_directory.HasMember(d.id)) {
                members = {d.id};
            } else {
                known = false;
            }
            if (!known) {
                if (!unknown.contains(d.id))
                    unknown.append(d.id);
                continue;
            }
            reached.append({d.id, members});
            for (const QString& member : members)
                if (!listOf.contains(member)) {
                    listOf.insert(member, Svc::DestList(list));
                    recipients.append(member);
                }
        }
    }
    // Attached files go to the server's upload service; the stanzas carry their addresses.
    QStringList urls;
    SvcMessage onWire = m;
    if (!m.attachments.isEmpty()) {
        if (m_upload != Upload::Available)
            return Fail(CServiceError(CServiceError::NoUpload, m_location.uploadJid));
        for (const SvcAttachment& f : m.attachments)
            if (m_uploadMax > 0 && f.data.size() > m_uploadMax)
                return Fail(CServiceError(CServiceError::AttachmentsTooLarge,
                                          QString::number(m_uploadMax)));
        if (!recipients.isEmpty() && !UploadFiles(m.attachments, &urls))
            return false;
        for (SvcAttachment& f : onWire.attachments) {
            f.size = f.data.size();
            f.data.clear();
        }
    }
    QList<XmppNode> stanzas;
    for (const QString& r : recipients) {
        XmppNode s = Xmpp::EncodeMessage(onWire, r, listOf.value(r), m_location.domain);
        if (!urls.isEmpty())
            Xmpp::SetFileUrls(s, urls);
        // The server closes the stream of a client that sends more than it accepts.
        if (s.ToXml().size() > m_location.stanzaLimit)
            return Fail(m.attachments.isEmpty()
                            ? CServiceError(CServiceError::BodyTooLarge)
                            : CServiceError(CServiceError::AttachmentsTooLarge,
                                            QString::number(m_location.stanzaLimit * 3 / 4)));
        stanzas.append(std::move(s));
    }
    if (!m_store.AddOutgoing(m, reached))
        return Fail(m_store.LastError());
    for (const XmppNode& s : stanzas)
        m_link.Send(s);
    if (!unknown.isEmpty()) {
        const QString id = m.messageId;
        QTimer::singleShot(0, this, [this, id, unknown] {
            for (const QString& dest : unknown)
                if (IsLoggedOn())
                    emit ReceiptArrived(
                        {Svc::RECEIPT_UNKNOWN_DEST, id, dest, QDateTime::currentDateTimeUtc()});
        });
    }
    if (unknownOut)
        *unknownOut = unknown;
    return true;
}

std::optional<SvcMessage> CXmppService::LoadForUser(const QString& messageId) {
    if (auto sent = m_store.Outgoing(messageId)) {
        for (SvcAttachment& f : sent->attachments)
            f.data.clear();
        return sent;
    }
    if (auto received = m_store.Incoming(messageId)) {
        for (SvcAttachment& f : received->attachments)
            f.data.clear();
        return received;
    }
    Fail(CServiceError(CServiceError::UnknownMessage, messageId));
    return std::nullopt;
}

QList<SvcMessage> CXmppService::GetPendingMessages() {
    QList<SvcMessage> messages;
    if (!RequireLogon())
        return messages;
    for (const QString& id : m_store.PendingIds())
        if (auto m = LoadForUser(id))
            messages.append(*m);
    return messages;
}

void CXmppService::AnnouncePending() {
    for (const QString& id : m_store.PendingIds()) {
        if (m_announced.contains(id))
            continue;
        if (auto m = LoadForUser(id)) {
            m_announced.insert(id);
            emit MessageArrived(*m);
            if (!IsLoggedOn())
                return;
        }
    }
}

std::optional<SvcMessage> CXmppService::GetMessage(const QString& messageId) {
    if (!RequireLogon())
        return std::nullopt;
    return LoadForUser(messageId);
}

bool CXmppService::Mark(const QStringList& messageIds, bool read) {
    if (!RequireLogon())
        return false;
    for (const QString& id : messageIds)
        if (!m_store.HasIncoming(id))
            return Fail(CServiceError(CServiceError::UnknownMessage, id));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString& id : messageIds) {
        QList<int> kinds;
        if (!m_store.MarkIncoming(id, read, now, &kinds))
            return Fail(m_store.LastError());
        const auto m = m_store.Incoming(id);
        for (int kind : kinds)
            m_link.Send(Xmpp::EncodeReceipt(kind, id, Jid(m->fromId), now, Jid(m_user)));
        m_announced.remove(id);
    }
    return true;
}

bool CXmppService::MarkReceived(const QStringList& messageIds) {
    return Mark(messageIds, false);
}

bool CXmppService::MarkRead(const QString& messageId) {
    return Mark({messageId}, true);
}

std::optional<QByteArray> CXmppService::GetAttachmentData(const QString& messageId, int index) {
    if (!RequireLogon())
        return std::nullopt;
    std::optional<SvcMessage> m = m_store.Outgoing(messageId);
    if (!m)
        m = m_store.Incoming(messageId);
    if (!m || index < 0 || index >= m->attachments.size()) {
        Fail(CServiceError(CServiceError::UnknownAttachment,
                           QStringLiteral("%1/%2").arg(messageId).arg(index)));
        return std::nullopt;
    }
    return m->attachments[index].data;
}
