#include "tools/zeltactl/CPeerScript.h"

#include "tools/zeltactl/CCommandArgs.h"
#include "tools/zeltactl/CCtlError.h"

#include "kernova/service/AttachmentNames.h"
#include "kernova/service/CLocalService.h"
#include "kernova/service/xmpp/ServiceSelection.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <cerrno>
#include <unistd.h>

namespace {

QString L(const char* s) {
    return QString::fromUtf8(s);
}

QString Iso(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QJsonObject Event(const char* name,
                  std::initializer_list<std::pair<const char*, QJsonValue>> fields) {
    QJsonObject o;
    o.insert(QStringLiteral("event"), QString::fromLatin1(name));
    for (const auto& [key, value] : fields)
        o.insert(QString::fromLatin1(key), value);
    return o;
}

QJsonObject MessageObject(const char* name, const SvcMessage& m) {
    auto list = [&](Svc::DestList l) { return QJsonArray::fromStringList(m.DestIds(l)); };
    return Event(name, {{"id", m.messageId},
                        {"from", m.fromId},
                        {"fromName", m.fromName},
                        {"to", list(Svc::DST_TO)},
                        {"cc", list(Svc::DST_CC)},
                        {"bcc", list(Svc::DST_BCC)},
                        {"subject", m.subject},
                        {"priority", qint64(m.priority)},
                        {"reference", m.referenceId},
                        {"sendTime", Iso(m.sendTime)},
                        {"body", m.body}});
}

QJsonObject ChatEventObject(const char* name, const SvcChatEvent& e) {
    return Event(name, {{"chat", e.chat},
                        {"seq", e.seq},
                        {"type", e.type},
                        {"member", e.memberId},
                        {"text", e.text},
                        {"time", Iso(e.time)}});
}

QStringList SplitList(const QStringList& values) {
    QStringList ids;
    for (const QString& v : values)
        for (const QString& id : v.split(u','))
            ids.append(id.trimmed());
    return ids;
}

} // namespace

CPeerScript::CPeerScript(const QString& location, const QString& stateDir, const QString& memberId,
                         const QString& password, QTextStream& out, QTextStream& err)
    : m_service(Svc::CreateService(location, stateDir)), m_member(memberId), m_password(password),
      m_out(out), m_err(err) {
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] {
        const QString event = m_wait ? m_wait->event : QString();
        m_err << L("zeltactl: ")
              << CCtlError(CCtlError::Failed,
                           L("待ち時間内にイベントが届きませんでした: %1").arg(event),
                           L("timed out waiting for: %1").arg(event))
                     .Line()
              << u'\n';
        m_err.flush();
        Finish(CCtlError::Failed);
    });

    CMessagingService* s = m_service.get();
    connect(s, &CMessagingService::MessageArrived, this, &CPeerScript::OnMessage);
    connect(s, &CMessagingService::ReceiptArrived, this, [this](const SvcReceipt& r) {
        Record(Event("receipt", {{"kind", r.kind},
                                 {"message", r.messageId},
                                 {"member", r.memberId},
                                 {"time", Iso(r.time)}}));
    });
    connect(s, &CMessagingService::MemberPresenceChanged, this,
            [this](const QString& group, const QString& member, const QString& previous) {
                QString status;
                for (const SvcMembership& m : m_service->GetMemberships()) {
                    if (m.memberId == member && (group == Svc::kAllGroups || m.groupId == group)) {
                        status = m.presence.status;
                        break;
                    }
                }
                Record(Event("presence", {{"group", group},
                                          {"member", member},
                                          {"previous", previous},
                                          {"status", status}}));
            });
    auto group = [this](const char* name) {
        return [this, name](const QString& g) { Record(Event(name, {{"group", g}})); };
    };
    auto groupMember = [this](const char* name) {
        return [this, name](const QString& g, const QString& m) {
            Record(Event(name, {{"group", g}, {"member", m}}));
        };
    };
    auto member = [this](const char* name) {
        return [this, name](const QString& m) { Record(Event(name, {{"member", m}})); };
    };
    connect(s, &CMessagingService::GroupAdded, this, group("group-added"));
    connect(s, &CMessagingService::GroupRemoved, this, group("group-removed"));
    connect(s, &CMessagingService::GroupRenamed, this,
            [this](const QString& g, const QString& previous) {
                const auto now = m_service->GetGroup(g);
                Record(Event(
                    "group-renamed",
                    {{"group", g}, {"previous", previous}, {"name", now ? now->name : QString()}}));
            });
    connect(s, &CMessagingService::GroupMemberAdded, this, groupMember("group-member-added"));
    connect(s, &CMessagingService::GroupMemberRemoved, this, groupMember("group-member-removed"));
    connect(s, &CMessagingService::GroupMemberChanged, this, groupMember("group-member-changed"));
    connect(s, &CMessagingService::MemberAdded, this, member("member-added"));
    connect(s, &CMessagingService::MemberRemoved, this, member("member-removed"));
    connect(s, &CMessagingService::MemberChanged, this, member("member-changed"));
    connect(
        s, &CMessagingService::ChatInvited, this,
        [this](int chat, const QString& inviter, const QString& text) {
            m_lastInvitation = chat;
            Record(Event("chat-invite", {{"chat", chat}, {"inviter", inviter}, {"text", text}}));
        });
    connect(s, &CMessagingService::ChatChanged, this, &CPeerScript::OnChatChanged);
    connect(s, &CMessagingService::SessionEnded, this, [this](int reason) {
        Record(Event("session-ended", {{"reason", reason}}));
        m_err << L("zeltactl: ")
              << CCtlError(CCtlError::Failed, L("サービスによってログオフされました"),
                           L("logged off by the service"))
                     .Line()
              << u'\n';
        m_err.flush();
        Finish(CCtlError::Failed);
    });
}

void CPeerScript::SetHeartbeat(int intervalMs, int timeoutMs) {
    if (auto* local = qobject_cast<CLocalService*>(m_service.get()))
        local->SetHeartbeat(intervalMs, timeoutMs);
}

void CPeerScript::SetSafetyPoll(int ms) {
    if (auto* local = qobject_cast<CLocalService*>(m_service.get()))
        local->SetSafetyPollInterval(ms);
}

void CPeerScript::SetAttachmentLimit(qint64 bytes) {
    m_service->SetAttachmentLimit(bytes);
}

void CPeerScript::SetCommands(const QStringList& lines) {
    m_queue = lines;
    m_inputDone = true;
}

void CPeerScript::ReadStandardInput() {
    m_inputDone = false;
    m_input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    connect(m_input.get(), &QSocketNotifier::activated, this, &CPeerScript::OnInput);
}

void CPeerScript::OnInput() {
    char buffer[65536];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n > 0) {
        m_partialLine.append(buffer, n);
        qsizetype end;
        while ((end = m_partialLine.indexOf('\n')) >= 0) {
            m_queue.append(QString::fromUtf8(m_partialLine.left(end)));
            m_partialLine.remove(0, end + 1);
        }
    } else {
        if (!m_partialLine.isEmpty())
            m_queue.append(QString::fromUtf8(m_partialLine));
        m_partialLine.clear();
        m_inputDone = true;
        m_input->setEnabled(false);
    }
    ScheduleNext();
}

int CPeerScript::Run() {
    if (!m_service->Logon(m_member, m_password))
        throw CCtlError::From(m_service->LastError());
    Print(Event("logon", {{"member", m_member}}));
    ScheduleNext();
    m_loop.exec();
    return m_exit;
}

void CPeerScript::ScheduleNext() {
    if (m_nextScheduled || m_finished)
        return;
    m_nextScheduled = true;
    QTimer::singleShot(0, this, &CPeerScript::Next);
}

void CPeerScript::Next() {
    m_nextScheduled = false;
    while (!m_busy && !m_finished) {
        if (m_queue.isEmpty()) {
            if (m_inputDone)
                Finish(0);
            return;
        }
        const QString line = m_queue.takeFirst();
        try {
            Execute(line);
        } catch (const CCtlError& e) {
            m_err << L("zeltactl: ") << e.Line() << u'\n';
            m_err.flush();
            Finish(e.exit());
        }
    }
}

void CPeerScript::Finish(int exitCode) {
    if (m_finished)
        return;
    m_finished = true;
    m_exit = exitCode;
    m_waitTimer.stop();
    if (m_input)
        m_input->setEnabled(false);
    if (m_service->IsLoggedOn()) {
        m_service->Logoff();
        Print(Event("logoff", {{"member", m_member}}));
    }
    m_loop.quit();
}

void CPeerScript::Print(const QJsonObject& object) {
    m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << u'\n';
    m_out.flush();
}

void CPeerScript::Record(const QJsonObject& object) {
    Print(object);
    m_seen.append({object, false});
    CheckWait();
}

void CPeerScript::Check(bool ok) {
    if (!ok)
        throw CCtlError::From(m_service->LastError());
}

void CPeerScript::OnMessage(const SvcMessage& message) {
    // Like the core: once the message is taken in, it counts as received.
    m_service->MarkReceived({message.messageId});
    m_inbox.append({message.messageId, false});
    QJsonObject o = MessageObject("message", message);
    o.insert(QStringLiteral("attachments"), SaveAttachments(message));
    Record(o);
}

QJsonArray CPeerScript::SaveAttachments(const SvcMessage& message) {
    QJsonArray files;
    QStringList names;
    for (const SvcAttachment& a : message.attachments)
        names.append(a.name);
    const QStringList safe = Svc::SafeAttachmentNames(names);
    for (int i = 0; i < message.attachments.size(); ++i) {
        QJsonObject f;
        f.insert(QStringLiteral("name"), message.attachments[i].name);
        f.insert(QStringLiteral("size"), message.attachments[i].size);
        f.insert(QStringLiteral("safeName"), safe[i]);
        if (!m_filesDir.isEmpty()) {
            const auto data = m_service->GetAttachmentData(message.messageId, i);
            const QString path = QDir(m_filesDir).filePath(message.messageId + safe[i]);
            QSaveFile out(path);
            if (data && QDir().mkpath(m_filesDir) && out.open(QIODevice::WriteOnly) &&
                out.write(*data) == data->size() && out.commit())
                f.insert(QStringLiteral("file"), path);
            else
                f.insert(QStringLiteral("error"),
                         data ? out.errorString() : m_service->LastError().EnglishText());
        }
        files.append(f);
    }
    return files;
}

void CPeerScript::OnChatChanged(int chat) {
    const QList<SvcChatEvent> events = m_service->GetChatEvents(chat, m_chatSeq.value(chat));
    for (const SvcChatEvent& e : events) {
        m_chatSeq[chat] = e.seq;
        Record(ChatEventObject("chat", e));
    }
}

void CPeerScript::Execute(const QString& line) {
    QStringList words;
    if (!CCommandArgs::SplitLine(line, &words))
        throw CCtlError::Usage(L("引用符が閉じていません: %1").arg(line),
                               L("unterminated quote: %1").arg(line));
    if (words.isEmpty() || words[0].startsWith(u'#'))
        return;
    const QString command = words.takeFirst();
    CCommandArgs args(words);
    if (command == L("status")) {
        Status(args);
    } else if (command == L("send")) {
        Send(args);
    } else if (command == L("list")) {
        args.Finish(0, 0, {});
        List();
    } else if (command == L("read")) {
        Read(args.Finish(1, 1, {L("MESSAGE-ID")})[0]);
    } else if (ExecuteChat(command, args)) {
    } else if (command == L("directory")) {
        args.Finish(0, 0, {});
        Directory();
    } else if (command == L("wait")) {
        const QString event = args.Subcommand();
        if (event.isEmpty())
            throw CCtlError::MissingArgument(L("EVENT"));
        StartWait(event, args);
    } else if (command.startsWith(L("wait-"))) {
        StartWait(command.mid(5), args);
    } else if (command == L("sleep")) {
        const int ms =
            CCommandArgs::ToMilliseconds(L("sleep"), args.Finish(1, 1, {L("SECONDS")})[0]);
        m_busy = true;
        QTimer::singleShot(ms, this, [this] {
            m_busy = false;
            ScheduleNext();
        });
    } else if (command == L("echo")) {
        Print(Event("echo", {{"text", args.Finish(0, 99, {}).join(u' ')}}));
    } else if (command == L("logoff")) {
        args.Finish(0, 0, {});
        if (m_service->IsLoggedOn()) {
            m_service->Logoff();
            Print(Event("logoff", {{"member", m_member}}));
        }
    } else if (command == L("logon")) {
        args.Finish(0, 0, {});
        Check(m_service->Logon(m_member, m_password));
        m_inbox.clear();
        Print(Event("logon", {{"member", m_member}}));
    } else {
        throw CCtlError::Usage(L("不明なコマンドです: %1").arg(command),
                               L("unknown command: %1").arg(command));
    }
}

void CPeerScript::Status(CCommandArgs& args) {
    const auto icon = args.TakeOption(L("icon"));
    const auto color = args.TakeOption(L("color"));
    const QStringList groups = SplitList(args.TakeOptions(L("group")));
    const QString text = args.Finish(1, 1, {L("STATUS")})[0];
    SvcPresence p{text, icon.value_or(QString()),
                  text == Svc::kStatusOn ? Svc::kColorOn : 0x00CCFFFFu};
    if (color)
        p.bkColor = CCommandArgs::ToUInt(L("--color"), *color);
    Check(m_service->SetPresence(p, groups));
}

void CPeerScript::Send(CCommandArgs& args) {
    SvcMessage m;
    const char* lists[] = {"to", "cc", "bcc"};
    for (int l = Svc::DST_TO; l <= Svc::DST_BCC; ++l) {
        const QStringList values = args.TakeOptions(QString::fromLatin1(lists[l]));
        if (!values.isEmpty())
            for (const QString& id : SplitList(values))
                m.AddDest(Svc::DestList(l), id);
    }
    m.subject = args.TakeOption(L("subject")).value_or(QString());
    m.body = args.TakeOption(L("body")).value_or(QString());
    if (auto file = args.TakeOption(L("body-file"))) {
        QFile f(*file);
        if (!f.open(QIODevice::ReadOnly))
            throw CCtlError(CCtlError::Failed, L("ファイルを開けません: %1").arg(*file),
                            L("cannot open file: %1").arg(*file));
        // One byte more than the limit is enough for the service to refuse it.
        m.body = QString::fromUtf8(f.read(Svc::kMaxBodyBytes + 1));
    }
    if (auto p = args.TakeOption(L("priority")))
        m.priority = CCommandArgs::ToUInt(L("--priority"), *p);
    m.referenceId = args.TakeOption(L("reference")).value_or(QString());
    const QStringList attach = args.TakeOptionRuns(L("attach"));
    const QStringList attachNames = args.TakeOptionRuns(L("attach-name"));
    for (int i = 0; i < attach.size(); ++i) {
        QFile f(attach[i]);
        if (!f.open(QIODevice::ReadOnly))
            throw CCtlError(CCtlError::Failed, L("ファイルを開けません: %1").arg(attach[i]),
                            L("cannot open file: %1").arg(attach[i]));
        // One byte more than the largest file the service takes is enough to be refused.
        m.attachments.append(
            {i < attachNames.size() ? attachNames[i] : QFileInfo(attach[i]).fileName(), 0,
             f.read(Svc::kMaxAttachmentBytes + 1)});
    }
    // As a client sends them: one element per file after the body, naming the file as the
    // receiver will store it.
    QStringList names;
    for (const SvcAttachment& a : m.attachments)
        names.append(a.name);
    for (const QString& name : Svc::SafeAttachmentNames(names))
        m.body += QStringLiteral("<OBJECT>") + name + QStringLiteral("</OBJECT>");
    m.messageId = args.TakeOption(L("id")).value_or(
        L("%1-%2-%3").arg(m_member).arg(QDateTime::currentMSecsSinceEpoch()).arg(++m_sent));
    args.Finish(0, 0, {});
    m.sendTime = QDateTime::currentDateTimeUtc();
    QStringList unknown;
    Check(m_service->SendMessage(m, &unknown));
    Print(Event("sent", {{"id", m.messageId}, {"unknown", QJsonArray::fromStringList(unknown)}}));
}

void CPeerScript::StartWait(const QString& event, CCommandArgs& args) {
    Wait w;
    w.event = event;
    int timeout = kDefaultWaitMs;
    if (auto t = args.TakeOption(L("timeout")))
        timeout = CCommandArgs::ToMilliseconds(L("--timeout"), *t);
    if (auto c = args.TakeOption(L("count")))
        w.count = std::max(1, CCommandArgs::ToInt(L("--count"), *c));
    // Every other "--key value" must equal the event's field of that name.
    w.filters = args.TakeAllOptions();
    const bool named = event == args.Subcommand();
    args.Finish(named ? 1 : 0, named ? 1 : 0, {});
    m_wait = w;
    m_busy = true;
    m_waitTimer.start(timeout);
    CheckWait();
}

void CPeerScript::CheckWait() {
    if (!m_wait)
        return;
    QList<int> matches;
    for (int i = 0; i < m_seen.size() && matches.size() < m_wait->count; ++i) {
        const Seen& s = m_seen[i];
        if (s.consumed || s.data.value(QStringLiteral("event")).toString() != m_wait->event)
            continue;
        bool ok = true;
        for (auto it = m_wait->filters.cbegin(); ok && it != m_wait->filters.cend(); ++it)
            ok = s.data.value(it.key()).toVariant().toString() == it.value();
        if (ok)
            matches.append(i);
    }
    if (matches.size() < m_wait->count)
        return;
    for (int i : matches)
        m_seen[i].consumed = true;
    m_wait.reset();
    m_waitTimer.stop();
    m_busy = false;
    ScheduleNext();
}

void CPeerScript::Read(const QString& messageId) {
    Check(m_service->MarkRead(messageId));
    const auto m = m_service->GetMessage(messageId);
    Check(m.has_value());
    for (auto& [id, read] : m_inbox)
        if (id == messageId)
            read = true;
    Print(MessageObject("read", *m));
}

void CPeerScript::List() {
    for (const auto& [id, read] : m_inbox) {
        const auto m = m_service->GetMessage(id);
        if (!m)
            continue;
        Print(Event("listed",
                    {{"id", id}, {"from", m->fromId}, {"subject", m->subject}, {"read", read}}));
    }
}

void CPeerScript::Directory() {
    for (const SvcMember& m : m_service->GetMembers())
        Print(Event("member", {{"id", m.id}, {"name", m.DisplayName()}, {"online", m.online}}));
    const QList<SvcMembership> all = m_service->GetMemberships();
    for (const SvcGroup& g : m_service->GetGroups()) {
        QJsonArray members;
        for (const SvcMembership& m : all) {
            if (m.groupId != g.id)
                continue;
            QJsonObject o;
            o.insert(QStringLiteral("id"), m.memberId);
            o.insert(QStringLiteral("name"), m.name);
            o.insert(QStringLiteral("role"), m.role);
            o.insert(QStringLiteral("status"), m.presence.status);
            o.insert(QStringLiteral("icon"), m.presence.icon);
            o.insert(QStringLiteral("color"), qint64(m.presence.bkColor));
            members.append(o);
        }
        Print(
            Event("group",
                  {{"id", g.id}, {"parent", g.parentId}, {"name", g.name}, {"members", members}}));
    }
}

int CPeerScript::ChatOption(CCommandArgs& args, int fallback) {
    const auto chat = args.TakeOption(L("chat"));
    const int number = chat ? CCommandArgs::ToInt(L("--chat"), *chat) : fallback;
    if (number <= 0)
        throw CCtlError::MissingArgument(L("--chat"));
    return number;
}

bool CPeerScript::ExecuteChat(const QString& command, CCommandArgs& args) {
    if (command == L("chat-create")) {
        const auto rooms = args.TakeOption(L("max-rooms"));
        args.Finish(0, 0, {});
        const int chat =
            m_service->CreateChat(rooms ? CCommandArgs::ToInt(L("--max-rooms"), *rooms) : 5);
        Check(chat > 0);
        m_currentChat = chat;
        Print(Event("chat-created", {{"chat", chat}}));
    } else if (command == L("chat-invite")) {
        const int chat = ChatOption(args, m_currentChat);
        const QString text = args.TakeOption(L("text")).value_or(QString());
        const auto most = args.TakeOption(L("max-members"));
        const int maxMembers = most ? CCommandArgs::ToInt(L("--max-members"), *most) : 5;
        for (const QString& member : SplitList(args.Finish(1, 99, {L("MEMBER")}))) {
            Check(m_service->InviteToChat(chat, member, text, maxMembers));
            Print(Event("chat-invited", {{"chat", chat}, {"member", member}}));
        }
    } else if (command == L("chat-join")) {
        const int chat = ChatOption(args, m_lastInvitation);
        args.Finish(0, 0, {});
        Check(m_service->JoinChat(chat));
        m_currentChat = chat;
        Print(Event("chat-joined", {{"chat", chat}}));
    } else if (command == L("chat-decline")) {
        const int chat = ChatOption(args, m_lastInvitation);
        const bool timedOut = args.TakeFlag(L("timed-out"));
        args.Finish(0, 0, {});
        Check(m_service->DeclineChat(chat, !timedOut));
        Print(Event("chat-declined", {{"chat", chat}, {"refused", !timedOut}}));
    } else if (command == L("chat-talk")) {
        const int chat = ChatOption(args, m_currentChat);
        const QString html = args.Finish(1, 1, {L("TEXT")})[0];
        Check(m_service->TalkInChat(chat, html));
        Print(Event("chat-said", {{"chat", chat}}));
    } else if (command == L("chat-leave")) {
        const int chat = ChatOption(args, m_currentChat);
        args.Finish(0, 0, {});
        Check(m_service->LeaveChat(chat));
        Print(Event("chat-left", {{"chat", chat}}));
    } else if (command == L("chat-log")) {
        const int chat = ChatOption(args, m_currentChat);
        args.Finish(0, 0, {});
        const QList<SvcChatEvent> events = m_service->GetChatEvents(chat);
        Check(!events.isEmpty() || !m_service->LastError().IsError());
        for (const SvcChatEvent& e : events)
            Print(ChatEventObject("chat-log", e));
    } else {
        return false;
    }
    return true;
}
