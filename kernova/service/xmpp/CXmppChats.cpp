// Chats over multi-user chat rooms (XEP-0045). A chat is the room "zelta-chat-N" on the chat
// service, N being the chat number, so that every participant knows it by the same number. The
// creator makes it members-only, non-anonymous and not persistent; invitations are mediated
// invitations (the room makes the invitee a member), declines are mediated declines with Zelta's
// chat element telling a time-out from a refusal. Every chat event is a group-chat message with
// the chat element <chat xmlns="urn:x-zelta:chat:0" type member [other] id> (the HTML of a talk
// as its text) and a plain body for other clients. A client applies events as the room hands
// them out, its own included, so that every participant sees one order; the room's history
// brings a member who joins what came before.
#include "kernova/service/xmpp/CXmppService.h"

#include "kernova/service/ServiceRules.h"

#include <QEventLoop>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>
#include <QUuid>

namespace {

const QString kNsChat = QStringLiteral("urn:x-zelta:chat:0");
const QString kNsMuc = QStringLiteral("http://jabber.org/protocol/muc");
const QString kNsMucUser = QStringLiteral("http://jabber.org/protocol/muc#user");
const QString kNsMucOwner = QStringLiteral("http://jabber.org/protocol/muc#owner");
const QString kRoomPrefix = QStringLiteral("zelta-chat-");
// Events a room keeps for members who join later.
constexpr int kRoomHistory = 1000;

QString ResourceOfJid(const QString& jid) {
    const qsizetype slash = jid.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : jid.mid(slash + 1);
}

bool HasStatus(const XmppNode& x, const char* code) {
    for (const XmppNode& c : x.children)
        if (c.name == QStringLiteral("status") &&
            c.Attr(QStringLiteral("code")) == QLatin1String(code))
            return true;
    return false;
}

void AddField(XmppNode& form, const QString& var, const QString& value) {
    XmppNode& f = form.Add(QStringLiteral("field"));
    f.SetAttr(QStringLiteral("var"), var);
    f.Add(QStringLiteral("value")).SetText(value);
}

} // namespace

// ---- Rooms and states ----

QString CXmppService::RoomJid(int chat) const {
    return kRoomPrefix + QString::number(chat) + QLatin1Char('@') + m_location.mucJid.toLower();
}

bool CXmppService::IsRoomJid(const QString& jid) const {
    const QString bare = Xmpp::Bare(jid);
    const qsizetype at = bare.indexOf(QLatin1Char('@'));
    return at > 0 && bare.mid(at + 1) == m_location.mucJid.toLower();
}

int CXmppService::ChatOfRoom(const QString& jid) const {
    const QString bare = Xmpp::Bare(jid);
    static const QRegularExpression name(QStringLiteral("^zelta-chat-([1-9][0-9]{0,9})@(.+)$"));
    const auto match = name.match(bare);
    if (!match.hasMatch() || match.captured(2) != m_location.mucJid.toLower())
        return 0;
    bool ok = false;
    const int chat = match.captured(1).toInt(&ok);
    return ok ? chat : 0;
}

QString CXmppService::DisplayNameOf(const QString& memberId) const {
    const auto m = m_directory.Member(memberId);
    return m ? m->DisplayName() : memberId;
}

int CXmppService::ChatStateOf(const ChatRoom& room, const QString& memberId) const {
    for (const SvcChatMember& m : room.members)
        if (m.memberId == memberId)
            return m.state;
    return -1;
}

void CXmppService::SetChatState(ChatRoom& room, const QString& memberId, int state,
                                const QString& inviter) {
    for (SvcChatMember& m : room.members) {
        if (m.memberId == memberId) {
            m.state = state;
            if (state == Svc::CHAT_INVITED)
                m.inviterId = inviter;
            return;
        }
    }
    room.members.append({memberId, state, inviter});
}

CXmppService::ChatRoom* CXmppService::ChatForAction(int chat, int neededState,
                                                    CServiceError::Code otherwise) {
    if (!RequireLogon())
        return nullptr;
    const auto it = m_chats.find(chat);
    if (it == m_chats.end()) {
        Fail(CServiceError(CServiceError::UnknownChat, QString::number(chat)));
        return nullptr;
    }
    if (it->closed) {
        Fail(CServiceError(CServiceError::ChatClosed, QString::number(chat)));
        return nullptr;
    }
    if (ChatStateOf(*it, m_user) != neededState) {
        Fail(CServiceError(otherwise, QString::number(chat)));
        return nullptr;
    }
    return &*it;
}

// ---- Entering and leaving rooms ----

bool CXmppService::EnterRoom(int chat, bool create) {
    const QString room = RoomJid(chat);
    XmppNode presence(QStringLiteral("presence"));
    presence.SetAttr(QStringLiteral("to"), room + QLatin1Char('/') + m_user);
    presence.Add(QStringLiteral("x"), kNsMuc)
        .Add(QStringLiteral("history"))
        .SetAttr(QStringLiteral("maxstanzas"), QString::number(create ? 0 : kRoomHistory));
    QEventLoop loop;
    m_roomWait = {room, &loop, false, false, {}};
    m_link.Send(presence);
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(m_chatTimeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const RoomWait got = m_roomWait;
    m_roomWait = {};
    if (!IsLoggedOn())
        return Fail(CServiceError(CServiceError::NotLoggedOn));
    if (!got.entered)
        return Fail(got.error.isEmpty()
                        ? CServiceError(CServiceError::NoAnswer, m_location.mucJid)
                        : CServiceError(CServiceError::NoService,
                                        QStringLiteral("%1: %2").arg(room, got.error)));
    if (create && !got.created) {
        // Somebody else's room of the same number: leave it to them.
        XmppNode leave(QStringLiteral("presence"));
        leave.SetAttr(QStringLiteral("to"), room + QLatin1Char('/') + m_user);
        leave.SetAttr(QStringLiteral("type"), QStringLiteral("unavailable"));
        m_link.Send(leave);
        return Fail(CServiceError(CServiceError::AlreadyInChat, QString::number(chat)));
    }
    return true;
}

bool CXmppService::ConfigureRoom(int chat) {
    XmppNode iq(QStringLiteral("iq"));
    iq.SetAttr(QStringLiteral("type"), QStringLiteral("set"));
    iq.SetAttr(QStringLiteral("to"), RoomJid(chat));
    XmppNode& form = iq.Add(QStringLiteral("query"), kNsMucOwner)
                         .Add(QStringLiteral("x"), Xmpp::kNsDataForms)
                         .SetAttr(QStringLiteral("type"), QStringLiteral("submit"));
    AddField(form, QStringLiteral("FORM_TYPE"),
             QStringLiteral("http://jabber.org/protocol/muc#roomconfig"));
    AddField(form, QStringLiteral("muc#roomconfig_membersonly"), QStringLiteral("1"));
    AddField(form, QStringLiteral("muc#roomconfig_whois"), QStringLiteral("anyone"));
    AddField(form, QStringLiteral("muc#roomconfig_persistentroom"), QStringLiteral("0"));
    AddField(form, QStringLiteral("muc#roomconfig_publicroom"), QStringLiteral("0"));
    AddField(form, QStringLiteral("muc#roomconfig_allowinvites"), QStringLiteral("1"));
    // Every participant may invite (the room then makes the invitee a member).
    AddField(form, QStringLiteral("{http://prosody.im/protocol/muc}roomconfig_allowmemberinvites"),
             QStringLiteral("1"));
    AddField(form, QStringLiteral("muc#roomconfig_historylength"), QString::number(kRoomHistory));
    AddField(form, QStringLiteral("muc#roomconfig_defaulthistorymessages"),
             QString::number(kRoomHistory));
    QEventLoop loop;
    XmppNode answer;
    bool answered = false;
    m_link.Request(iq, [&](const XmppNode& a) {
        answer = a;
        answered = true;
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(m_chatTimeoutMs);
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!answered) {
        // The frame goes; a late answer must find nothing of it. A server that does not answer
        // is taken as lost, and the session ends as such.
        m_link.Abort();
        return Fail(CServiceError(CServiceError::NoAnswer, m_location.mucJid));
    }
    if (answer.Attr(QStringLiteral("type")) != QStringLiteral("result"))
        return Fail(
            CServiceError(CServiceError::NoService,
                          QStringLiteral("%1 refused the room's settings").arg(RoomJid(chat))));
    return true;
}

void CXmppService::ExitRoom(ChatRoom& room) {
    if (!room.joined)
        return;
    room.joined = false;
    XmppNode leave(QStringLiteral("presence"));
    leave.SetAttr(QStringLiteral("to"), room.room + QLatin1Char('/') + m_user);
    leave.SetAttr(QStringLiteral("type"), QStringLiteral("unavailable"));
    m_link.Send(leave);
}

void CXmppService::PostChatEvent(const ChatRoom& room, int type, const QString& memberId,
                                 const QString& otherId, const QString& html) {
    XmppNode m(QStringLiteral("message"));
    m.SetAttr(QStringLiteral("type"), QStringLiteral("groupchat"));
    m.SetAttr(QStringLiteral("to"), room.room);
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m.SetAttr(QStringLiteral("id"), id);
    const QString text = type == Svc::CHAT_TALK ? Xmpp::PlainText(html)
                                                : Svc::ChatNoticeText(type, DisplayNameOf(memberId),
                                                                      DisplayNameOf(otherId));
    m.Add(QStringLiteral("body")).SetText(text);
    XmppNode& chat = m.Add(QStringLiteral("chat"), kNsChat);
    chat.SetAttr(QStringLiteral("type"), QString::number(type));
    chat.SetAttr(QStringLiteral("member"), memberId);
    chat.SetAttr(QStringLiteral("id"), id);
    if (!otherId.isEmpty())
        chat.SetAttr(QStringLiteral("other"), otherId);
    if (type == Svc::CHAT_TALK)
        chat.SetText(html);
    m_link.Send(m);
}

// ---- Events from rooms ----

void CXmppService::ApplyChatEvent(int chat, int type, const QString& memberId,
                                  const QString& otherId, const QString& html,
                                  const QDateTime& time, const QString& id) {
    auto it = m_chats.find(chat);
    if (it == m_chats.end())
        return;
    ChatRoom& room = *it;
    if (room.parted)
        return;
    if (!id.isEmpty()) {
        if (room.seen.contains(id))
            return; // the room's history repeats what was seen live
        room.seen.insert(id);
    }
    const bool wasIn = ChatStateOf(room, m_user) == Svc::CHAT_IN;
    const QString text = type == Svc::CHAT_TALK ? html
                                                : Svc::ChatNoticeText(type, DisplayNameOf(memberId),
                                                                      DisplayNameOf(otherId));
    room.events.append({++m_chatSeq, chat, type, memberId, text,
                        time.isValid() ? time : QDateTime::currentDateTimeUtc()});
    if (type == Svc::CHAT_NOTICE) {
        if (ChatStateOf(room, otherId) != Svc::CHAT_IN)
            SetChatState(room, otherId, Svc::CHAT_INVITED, memberId);
    } else if (type == Svc::CHAT_JOINED) {
        SetChatState(room, memberId, Svc::CHAT_IN, {});
    } else if (type >= Svc::CHAT_LEFT) {
        SetChatState(room, memberId, Svc::CHAT_GONE, {});
    }
    // The user's own farewell has come back through the room: now the occupant goes.
    if (memberId == m_user && type >= Svc::CHAT_LEFT) {
        room.parted = true;
        ExitRoom(room);
    }
    const bool anyoneIn =
        std::any_of(room.members.begin(), room.members.end(),
                    [](const SvcChatMember& m) { return m.state == Svc::CHAT_IN; });
    if (!anyoneIn && type >= Svc::CHAT_LEFT) {
        room.closed = true;
        ExitRoom(room);
    }
    if (wasIn || memberId == m_user || otherId == m_user)
        emit ChatChanged(chat);
}

void CXmppService::HandleRoomMessage(const XmppNode& stanza) {
    const QString from = stanza.Attr(QStringLiteral("from"));
    const int chat = ChatOfRoom(from);
    const QString type = stanza.Attr(QStringLiteral("type"));
    if (type == QStringLiteral("error")) {
        qCWarning(lcXmpp) << "Chat room" << Xmpp::Bare(from) << "refused a stanza";
        return;
    }
    const XmppNode* x = stanza.Child(QStringLiteral("x"), kNsMucUser);
    if (x && type != QStringLiteral("groupchat")) {
        if (const XmppNode* invite = x->Child(QStringLiteral("invite"))) {
            const QString inviter = MemberOf(invite->Attr(QStringLiteral("from")));
            if (inviter.isEmpty() || chat == 0 || inviter == m_user) {
                qCWarning(lcXmpp) << "Chat invitation from outside the directory ignored:"
                                  << invite->Attr(QStringLiteral("from")) << from;
                return;
            }
            ChatRoom& room = m_chats[chat];
            const int state = ChatStateOf(room, m_user);
            if (state == Svc::CHAT_INVITED || state == Svc::CHAT_IN)
                return; // asked twice: answered once
            room.room = Xmpp::Bare(from);
            room.closed = false;
            room.parted = false;
            if (ChatStateOf(room, inviter) < 0)
                SetChatState(room, inviter, Svc::CHAT_IN, {});
            SetChatState(room, m_user, Svc::CHAT_INVITED, inviter);
            emit ChatInvited(chat, inviter, invite->ChildText(QStringLiteral("reason")));
            return;
        }
        if (const XmppNode* decline = x->Child(QStringLiteral("decline"))) {
            const QString who = MemberOf(decline->Attr(QStringLiteral("from")));
            const auto it = m_chats.find(chat);
            if (who.isEmpty() || it == m_chats.end() ||
                ChatStateOf(*it, who) != Svc::CHAT_INVITED ||
                ChatStateOf(*it, m_user) != Svc::CHAT_IN) {
                qCInfo(lcXmpp) << "Decline of a chat invitation ignored:" << from;
                return;
            }
            const XmppNode* marker = stanza.Child(QStringLiteral("chat"), kNsChat);
            const bool timedOut =
                marker && marker->Attr(QStringLiteral("type")).toInt() == Svc::CHAT_TIMED_OUT;
            // Only the inviter hears of it: the inviter tells the room.
            PostChatEvent(*it, timedOut ? Svc::CHAT_TIMED_OUT : Svc::CHAT_DECLINED, who);
            return;
        }
    }
    if (type != QStringLiteral("groupchat") || chat == 0 || !m_chats.contains(chat))
        return;
    const QString nick = ResourceOfJid(from);
    if (nick.isEmpty())
        return; // the room's own subject and notices
    const QString speaker = m_directory.MemberForNode(nick);
    QDateTime time;
    for (const XmppNode& c : stanza.children)
        if (c.name == QStringLiteral("delay") && c.ns == Xmpp::kNsDelay)
            time =
                QDateTime::fromString(c.Attr(QStringLiteral("stamp")), Qt::ISODateWithMs).toUTC();
    const XmppNode* event = stanza.Child(QStringLiteral("chat"), kNsChat);
    if (!event) {
        // Another client's talk in the room.
        if (speaker.isEmpty())
            return;
        ApplyChatEvent(chat, Svc::CHAT_TALK, speaker, {},
                       stanza.ChildText(QStringLiteral("body")).toHtmlEscaped(), time,
                       stanza.Attr(QStringLiteral("id")));
        return;
    }
    bool ok = false;
    const int kind = event->Attr(QStringLiteral("type")).toInt(&ok);
    const QString member = m_directory.MemberForNode(event->Attr(QStringLiteral("member")));
    const QString other = m_directory.MemberForNode(event->Attr(QStringLiteral("other")));
    // A participant speaks, joins and leaves only for itself; notices of invitations and
    // declines name another member.
    const bool ownAct = kind == Svc::CHAT_TALK || kind == Svc::CHAT_JOINED ||
                        kind == Svc::CHAT_LEFT || kind == Svc::CHAT_LOGGED_OFF;
    if (!ok || kind < Svc::CHAT_TALK || kind > Svc::CHAT_REMOVED || member.isEmpty() ||
        speaker.isEmpty() || (ownAct && member != speaker) ||
        (kind == Svc::CHAT_NOTICE && other.isEmpty())) {
        qCWarning(lcXmpp) << "Chat event refused in" << Xmpp::Bare(from) << "from" << nick;
        return;
    }
    if (kind == Svc::CHAT_TALK && event->text.toUtf8().size() > Svc::kMaxBodyBytes) {
        qCWarning(lcXmpp) << "Oversized chat talk refused in" << Xmpp::Bare(from);
        return;
    }
    ApplyChatEvent(chat, kind, member, other, event->text, time, event->Attr(QStringLiteral("id")));
}

void CXmppService::HandleRoomPresence(const XmppNode& stanza) {
    const QString from = stanza.Attr(QStringLiteral("from"));
    const QString bare = Xmpp::Bare(from);
    const QString type = stanza.Attr(QStringLiteral("type"));
    const QString nick = ResourceOfJid(from);
    if (m_roomWait.loop && bare == m_roomWait.roomJid) {
        if (type == QStringLiteral("error")) {
            const XmppNode* error = stanza.Child(QStringLiteral("error"));
            m_roomWait.error = error && !error->children.isEmpty() ? error->children.first().name
                                                                   : QStringLiteral("error");
            m_roomWait.loop->quit();
            return;
        }
        const XmppNode* x = stanza.Child(QStringLiteral("x"), kNsMucUser);
        if (type.isEmpty() && (nick == m_user || (x && HasStatus(*x, "110")))) {
            m_roomWait.entered = true;
            m_roomWait.created = x && HasStatus(*x, "201");
            m_roomWait.loop->quit();
            return;
        }
    }
    const int chat = ChatOfRoom(from);
    const auto it = m_chats.find(chat);
    if (it == m_chats.end() || type != QStringLiteral("unavailable"))
        return;
    const QString member = m_directory.MemberForNode(nick);
    if (member.isEmpty() || member == m_user)
        return;
    // Gone without a word: the session ended (a parting participant says so first).
    if (ChatStateOf(*it, member) == Svc::CHAT_IN)
        ApplyChatEvent(chat, Svc::CHAT_LOGGED_OFF, member, {}, {}, {}, {});
}

void CXmppService::EndChatParts(int type) {
    for (ChatRoom& room : m_chats) {
        if (room.closed)
            continue;
        const int state = ChatStateOf(room, m_user);
        if (state == Svc::CHAT_IN && room.joined) {
            PostChatEvent(room, type, m_user);
            ExitRoom(room);
        }
    }
}

// ---- Calls ----

int CXmppService::CreateChat(int maxOpenChats) {
    if (!RequireLogon())
        return 0;
    int open = 0;
    for (const ChatRoom& room : std::as_const(m_chats))
        if (!room.closed && ChatStateOf(room, m_user) == Svc::CHAT_IN)
            ++open;
    if (open >= maxOpenChats) {
        Fail(CServiceError(CServiceError::ChatRoomLimit, QString::number(maxOpenChats)));
        return 0;
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int chat = int(QRandomGenerator::global()->bounded(1, 2000000000));
        if (m_chats.contains(chat))
            continue;
        m_chats.insert(chat, ChatRoom{RoomJid(chat), {}, {}, {}, false, false, false});
        if (!EnterRoom(chat, true)) {
            m_chats.remove(chat);
            if (m_error.code() == CServiceError::AlreadyInChat)
                continue;
            return 0;
        }
        if (!IsLoggedOn() || !m_chats.contains(chat))
            return 0;
        m_chats[chat].joined = true;
        if (!ConfigureRoom(chat)) {
            if (m_chats.contains(chat))
                ExitRoom(m_chats[chat]);
            m_chats.remove(chat);
            return 0;
        }
        ChatRoom& room = m_chats[chat];
        SetChatState(room, m_user, Svc::CHAT_IN, {});
        PostChatEvent(room, Svc::CHAT_JOINED, m_user);
        return chat;
    }
    Fail(CServiceError(CServiceError::NoService, m_location.mucJid));
    return 0;
}

bool CXmppService::InviteToChat(int chat, const QString& memberId, const QString& text,
                                int maxMembers) {
    if (!RequireLogon())
        return false;
    if (auto e = Svc::CheckInvitation(memberId, text); e.IsError())
        return Fail(e);
    ChatRoom* room = ChatForAction(chat, Svc::CHAT_IN, CServiceError::NotInChat);
    if (!room)
        return false;
    if (!m_directory.HasMember(memberId))
        return Fail(CServiceError(CServiceError::UnknownMember, memberId));
    if (!m_directory.IsOnline(memberId))
        return Fail(CServiceError(CServiceError::MemberOffline, memberId));
    const int state = ChatStateOf(*room, memberId);
    if (state == Svc::CHAT_IN || state == Svc::CHAT_INVITED)
        return Fail(CServiceError(CServiceError::AlreadyInChat, memberId));
    const auto counted =
        std::count_if(room->members.begin(), room->members.end(),
                      [](const SvcChatMember& m) { return m.state != Svc::CHAT_GONE; });
    if (counted + 1 > maxMembers)
        return Fail(CServiceError(CServiceError::ChatMemberLimit, QString::number(maxMembers)));
    XmppNode m(QStringLiteral("message"));
    m.SetAttr(QStringLiteral("to"), room->room);
    m.Add(QStringLiteral("x"), kNsMucUser)
        .Add(QStringLiteral("invite"))
        .SetAttr(QStringLiteral("to"), Jid(memberId))
        .Add(QStringLiteral("reason"))
        .SetText(text);
    m_link.Send(m);
    // Counted from now on, before the room tells everyone.
    SetChatState(*room, memberId, Svc::CHAT_INVITED, m_user);
    PostChatEvent(*room, Svc::CHAT_NOTICE, m_user, memberId);
    return true;
}

bool CXmppService::JoinChat(int chat) {
    if (!ChatForAction(chat, Svc::CHAT_INVITED, CServiceError::NotInvited))
        return false;
    if (!EnterRoom(chat, false))
        return false;
    const auto it = m_chats.find(chat);
    if (it == m_chats.end())
        return Fail(CServiceError(CServiceError::NotLoggedOn));
    it->joined = true;
    SetChatState(*it, m_user, Svc::CHAT_IN, {});
    PostChatEvent(*it, Svc::CHAT_JOINED, m_user);
    return true;
}

bool CXmppService::DeclineChat(int chat, bool refused) {
    ChatRoom* room = ChatForAction(chat, Svc::CHAT_INVITED, CServiceError::NotInvited);
    if (!room)
        return false;
    QString inviter;
    for (const SvcChatMember& m : room->members)
        if (m.memberId == m_user)
            inviter = m.inviterId;
    XmppNode m(QStringLiteral("message"));
    m.SetAttr(QStringLiteral("to"), room->room);
    m.Add(QStringLiteral("x"), kNsMucUser)
        .Add(QStringLiteral("decline"))
        .SetAttr(QStringLiteral("to"), Jid(inviter));
    // Zelta's marker: a decline by time-out is told apart from a refusal.
    m.Add(QStringLiteral("chat"), kNsChat)
        .SetAttr(QStringLiteral("type"),
                 QString::number(refused ? Svc::CHAT_DECLINED : Svc::CHAT_TIMED_OUT))
        .SetAttr(QStringLiteral("member"), m_user);
    m_link.Send(m);
    SetChatState(*room, m_user, Svc::CHAT_GONE, {});
    return true;
}

bool CXmppService::TalkInChat(int chat, const QString& html) {
    if (!RequireLogon())
        return false;
    if (html.size() > Svc::kMaxBodyBytes / 3 && html.toUtf8().size() > Svc::kMaxBodyBytes)
        return Fail(
            CServiceError(CServiceError::BodyTooLarge, QString::number(Svc::kMaxBodyBytes)));
    ChatRoom* room = ChatForAction(chat, Svc::CHAT_IN, CServiceError::NotInChat);
    if (!room)
        return false;
    PostChatEvent(*room, Svc::CHAT_TALK, m_user, {}, html);
    return true;
}

bool CXmppService::LeaveChat(int chat) {
    if (!RequireLogon())
        return false;
    const auto it = m_chats.find(chat);
    if (it == m_chats.end())
        return Fail(CServiceError(CServiceError::UnknownChat, QString::number(chat)));
    const int state = ChatStateOf(*it, m_user);
    if (state == Svc::CHAT_INVITED)
        return DeclineChat(chat, true);
    if (state != Svc::CHAT_IN || it->closed)
        return Fail(CServiceError(CServiceError::NotInChat, QString::number(chat)));
    // Taking part ends now; the occupant leaves once the farewell has come back.
    SetChatState(*it, m_user, Svc::CHAT_GONE, {});
    PostChatEvent(*it, Svc::CHAT_LEFT, m_user);
    return true;
}

QList<SvcChatEvent> CXmppService::GetChatEvents(int chat, qint64 afterSeq) {
    QList<SvcChatEvent> events;
    if (!RequireLogon())
        return events;
    const auto it = m_chats.find(chat);
    if (it == m_chats.end()) {
        Fail(CServiceError(CServiceError::UnknownChat, QString::number(chat)));
        return events;
    }
    for (const SvcChatEvent& e : it->events)
        if (e.seq > afterSeq)
            events.append(e);
    return events;
}

QList<SvcChatMember> CXmppService::GetChatMembers(int chat) {
    if (!RequireLogon())
        return {};
    const auto it = m_chats.find(chat);
    if (it == m_chats.end()) {
        Fail(CServiceError(CServiceError::NotInChat, QString::number(chat)));
        return {};
    }
    return it->members;
}
