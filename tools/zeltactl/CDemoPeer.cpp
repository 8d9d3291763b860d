#include "tools/zeltactl/CDemoPeer.h"

#include "kernova/service/xmpp/ServiceSelection.h"
#include "tools/zeltactl/CDemoOrganisation.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace {

struct Status {
    const char16_t* text;
    uint32_t color;
};

// "on" shows as OnNet; the colours are the presence colours green, yellow and red.
const Status kStatuses[] = {
    {u"on", 0x00CCFFCC},     {u"会議中", 0x00CCFFFF}, {u"外出中", 0x00CCCCFF},
    {u"休憩中", 0x00CCFFFF}, {u"電話中", 0x00CCFFFF}, {u"在席", 0x00CCFFCC},
};

const char16_t* const kMessageAnswers[] = {
    u"ご連絡ありがとうございます。内容を確認しました。",
    u"承知しました。後ほど詳しくお返事します。",
    u"ありがとうございます。その件、明日の会議で相談しましょう。",
    u"了解です。資料を準備しておきます。",
};

const char16_t* const kChatAnswers[] = {
    u"なるほど、いいですね。", u"賛成です。",         u"少し考えさせてください。",
    u"それで進めましょう。",   u"資料を共有します。",
};

// A body in the form Zelta's own compose window writes: the receive window reads only the
// tags of that form and shows any other tag (an HTML or P element) as text.
QString Html(const QString& text) {
    return QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">") + text.toHtmlEscaped() +
           QStringLiteral("</BODY>");
}

} // namespace

CDemoPeer::CDemoPeer(const QString& location, const QString& stateDir, const QString& memberId,
                     const QStringList& peers, double pace, QTextStream& out, QObject* parent)
    : QObject(parent), m_service(Svc::CreateService(location, stateDir)), m_member(memberId),
      m_peers(peers.begin(), peers.end()), m_pace(pace), m_out(out),
      m_random(quint32(qHash(memberId)) ^ quint32(QDateTime::currentMSecsSinceEpoch())) {
    connect(m_service.get(), &CMessagingService::MessageArrived, this, &CDemoPeer::OnMessage);
    connect(m_service.get(), &CMessagingService::ChatInvited, this,
            [this](int chat, const QString& inviter, const QString&) { OnInvited(chat, inviter); });
    connect(m_service.get(), &CMessagingService::ChatChanged, this, &CDemoPeer::OnChatChanged);
    connect(m_service.get(), &CMessagingService::MemberPresenceChanged, this,
            [this](const QString&, const QString& member, const QString& previous) {
                if (member == CDemoOrganisation::kDemoUser && previous == Svc::kStatusOff)
                    Greet();
            });
    connect(m_service.get(), &CMessagingService::SessionEnded, this, [this](int reason) {
        Report("demo-peer-ended", {{"reason", reason}});
    });
}

void CDemoPeer::After(int minMs, int maxMs, std::function<void()> fn) {
    const int ms = int(m_random.bounded(minMs, maxMs + 1) * m_pace);
    QTimer::singleShot(ms, this, [this, fn = std::move(fn)] {
        if (m_service->IsLoggedOn())
            fn();
    });
}

void CDemoPeer::Report(const char* event, const QJsonObject& fields) {
    QJsonObject o = fields;
    o.insert(QStringLiteral("event"), QString::fromLatin1(event));
    o.insert(QStringLiteral("member"), m_member);
    m_out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) << u'\n';
    m_out.flush();
}

void CDemoPeer::Start(int delayMs) {
    QTimer::singleShot(int(delayMs * m_pace), this, [this] {
        if (!m_service->Logon(m_member, CDemoOrganisation::kPassword)) {
            Report("demo-peer-failed", {{"error", m_service->LastError().EnglishText()}});
            return;
        }
        Report("demo-peer-online", {});
        const auto demo = m_service->GetMember(CDemoOrganisation::kDemoUser);
        if (demo && demo->online)
            Greet();
        After(20000, 60000, [this] { ChangeStatus(); });
    });
}

void CDemoPeer::Greet() {
    if (!m_greeter || m_greeted)
        return;
    m_greeted = true;
    After(1500, 3000, [this] {
        SvcMessage m;
        m.AddDest(Svc::DST_TO, CDemoOrganisation::kDemoUser);
        m.subject = QStringLiteral("ようこそ");
        m.body = Html(QStringLiteral("デモへようこそ。何でも気軽にメッセージや会議で"
                                     "話しかけてください。"));
        // One id per demo service: the service refuses it again at the next start.
        m.messageId = QStringLiteral("demo-welcome-") + m_member;
        Send(m);
    });
}

void CDemoPeer::Stop() {
    m_service->Logoff();
}

void CDemoPeer::ChangeStatus() {
    const Status& s = kStatuses[m_random.bounded(int(std::size(kStatuses)))];
    m_service->SetPresence({QString::fromUtf16(s.text), {}, s.color});
    After(20000, 60000, [this] { ChangeStatus(); });
}

void CDemoPeer::OnMessage(const SvcMessage& message) {
    // As the core does: once taken in, the message counts as received.
    m_service->MarkReceived({message.messageId});
    const QString id = message.messageId;
    After(2000, 5000, [this, id] { m_service->MarkRead(id); });
    if (!IsScripted(message.fromId))
        After(4000, 8000, [this, message] { Reply(message); });
}

void CDemoPeer::Reply(const SvcMessage& message) {
    SvcMessage m;
    m.AddDest(Svc::DST_TO, message.fromId);
    m.subject = message.subject.startsWith(QLatin1String("Re:"))
                    ? message.subject
                    : QStringLiteral("Re: ") + message.subject;
    m.subject = m.subject.left(Svc::kMaxSubjectLength);
    m.referenceId = message.messageId;
    m.flags = 0x2; // a reply
    m.body = Html(
        QString::fromUtf16(kMessageAnswers[m_random.bounded(int(std::size(kMessageAnswers)))]));
    Send(m);
}

void CDemoPeer::Send(SvcMessage m) {
    // The same form as the message ids the client makes: UTC time to the millisecond, "-", id.
    m.sendTime = QDateTime::currentDateTimeUtc();
    if (m.messageId.isEmpty())
        m.messageId = m.sendTime.toString(QStringLiteral("yyyyMMddhhmmsszzz")) + u'-' + m_member +
                      QString::number(++m_sent);
    if (m_service->SendMessage(m))
        Report("demo-sent", {{"id", m.messageId}, {"to", m.dest[Svc::DST_TO].first().id}});
}

void CDemoPeer::OnInvited(int chat, const QString& inviter) {
    After(1000, 3000, [this, chat, inviter] {
        if (!m_service->JoinChat(chat))
            return; // withdrawn meanwhile
        Report("demo-chat-joined", {{"chat", chat}, {"inviter", inviter}});
        After(1000, 2000, [this, chat] {
            m_service->TalkInChat(chat, QStringLiteral("よろしくお願いします。"));
        });
    });
}

void CDemoPeer::OnChatChanged(int chat) {
    const QList<SvcChatEvent> events = m_service->GetChatEvents(chat, m_chatSeq.value(chat));
    bool talkToAnswer = false;
    for (const SvcChatEvent& e : events) {
        m_chatSeq[chat] = e.seq;
        talkToAnswer = talkToAnswer || (e.type == Svc::CHAT_TALK && !IsScripted(e.memberId) &&
                                        e.memberId != m_member);
    }
    int others = 0;
    for (const SvcChatMember& m : m_service->GetChatMembers(chat))
        others += m.memberId != m_member && m.state != Svc::CHAT_GONE ? 1 : 0;
    if (others == 0) {
        m_service->LeaveChat(chat);
        m_chatSeq.remove(chat);
        return;
    }
    if (!talkToAnswer || m_answering.contains(chat))
        return;
    m_answering.insert(chat);
    After(1000, 3000, [this, chat] {
        m_answering.remove(chat);
        m_service->TalkInChat(
            chat, QString::fromUtf16(kChatAnswers[m_random.bounded(int(std::size(kChatAnswers)))]));
    });
}
