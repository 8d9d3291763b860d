// Latency of the local service's change feed between two processes: from SendMessage in one
// to MessageArrived in the other, from SetPresence to MemberPresenceChanged, and from
// TalkInChat to the talk read after ChatChanged (the receiver joins when invited). The program
// starts a copy of itself as the sending process; both share one machine clock.
//
//   kernova_service_latency [COUNT]
#include "kernova/service/CLocalService.h"
#include "kernova/service/CLocalServiceAdmin.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>

namespace {

const QString kPassword = QStringLiteral("bench");

int Sender(const QString& dir, int count) {
    CLocalService s(dir);
    if (!s.Logon(QStringLiteral("s"), kPassword))
        return 1;
    // Start once the receiver is on line, so that nothing is measured from a queue.
    if (!QTest::qWaitFor([&] { return s.GetMember(QStringLiteral("r"))->online; }, 10000))
        return 1;
    for (int i = 0; i < count; ++i) {
        SvcMessage m;
        m.messageId = QStringLiteral("bench-%1").arg(i);
        m.AddDest(Svc::DST_TO, QStringLiteral("r"));
        m.subject = QStringLiteral("latency");
        m.sendTime = QDateTime::currentDateTimeUtc();
        if (!s.SendMessage(m))
            return 1;
        QTest::qWait(20);
        // The status text carries its own send time.
        s.SetPresence({QString::number(QDateTime::currentMSecsSinceEpoch()), {}, 0});
        QTest::qWait(20);
    }
    const int chat = s.CreateChat(5);
    if (chat <= 0 || !s.InviteToChat(chat, QStringLiteral("r"), {}, 5))
        return 1;
    if (!QTest::qWaitFor(
            [&] {
                const auto members = s.GetChatMembers(chat);
                return members.size() == 2 && members[1].state == Svc::CHAT_IN;
            },
            10000))
        return 1;
    for (int i = 0; i < count; ++i) {
        // The talk carries its own send time.
        if (!s.TalkInChat(chat, QString::number(QDateTime::currentMSecsSinceEpoch())))
            return 1;
        QTest::qWait(20);
    }
    QTest::qWait(500);
    return 0;
}

void Report(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%-28s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    std::printf("%-28s n=%zu  median %.2f ms  p95 %.2f ms  max %.2f ms\n", what, ms.size(), median,
                p95, ms.back());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--sender"))
        return Sender(args[2], args[3].toInt());

    const int count = args.size() > 1 ? std::max(1, args[1].toInt()) : 200;
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/service");
    CLocalServiceAdmin admin(dir);
    if (!admin.Create() || !admin.AddGroup({QStringLiteral("g"), {}, {}, 0, {}}))
        return 1;
    for (const char* id : {"s", "r"}) {
        SvcMember m;
        m.id = QString::fromLatin1(id);
        if (!admin.AddMember(m, kPassword) || !admin.AddMembership(QStringLiteral("g"), m.id, 0))
            return 1;
    }

    CLocalService r(dir);
    if (!r.Logon(QStringLiteral("r"), kPassword))
        return 1;
    std::vector<double> message, presence;
    QObject::connect(&r, &CMessagingService::MessageArrived, &r, [&](const SvcMessage& m) {
        message.push_back(double(m.sendTime.msecsTo(QDateTime::currentDateTimeUtc())));
        r.MarkReceived({m.messageId});
    });
    QObject::connect(&r, &CMessagingService::MemberPresenceChanged, &r,
                     [&](const QString&, const QString& member, const QString&) {
                         const auto list = r.GetMemberships(QStringLiteral("g"));
                         for (const SvcMembership& m : list) {
                             bool ok = false;
                             const qint64 sent = m.presence.status.toLongLong(&ok);
                             if (m.memberId == member && ok)
                                 presence.push_back(
                                     double(QDateTime::currentMSecsSinceEpoch() - sent));
                         }
                     });

    std::vector<double> talk;
    qint64 chatSeq = 0;
    QObject::connect(&r, &CMessagingService::ChatInvited, &r,
                     [&](int chat, const QString&, const QString&) { r.JoinChat(chat); });
    QObject::connect(&r, &CMessagingService::ChatChanged, &r, [&](int chat) {
        for (const SvcChatEvent& e : r.GetChatEvents(chat, chatSeq)) {
            chatSeq = e.seq;
            bool ok = false;
            const qint64 sent = e.text.toLongLong(&ok);
            if (e.type == Svc::CHAT_TALK && ok)
                talk.push_back(double(QDateTime::currentMSecsSinceEpoch() - sent));
        }
    });

    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedChannels);
    sender.start(app.applicationFilePath(),
                 {QStringLiteral("--sender"), dir, QString::number(count)});
    // A plain event loop: QTest::qWaitFor sleeps between rounds, which would be measured too.
    QEventLoop loop;
    QObject::connect(&sender, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000 + count * 300, &loop, &QEventLoop::quit);
    loop.exec();
    if (sender.state() != QProcess::NotRunning) {
        sender.kill();
        sender.waitForFinished();
    }
    std::printf("local service, two processes, %d messages\n", count);
    Report("send -> MessageArrived", message);
    Report("status -> PresenceChanged", presence);
    Report("chat talk -> ChatChanged", talk);
    return sender.exitCode() == 0 && int(message.size()) == count ? 0 : 1;
}
