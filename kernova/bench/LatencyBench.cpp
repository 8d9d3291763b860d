// Latency through the real program: from a peer's send (zeltactl) to IMCBK_OnRecvMessage in
// the probe plug-in, from a peer's presence change to IMCBK_OnChangeMemPresence, and in one
// chat of the peer and the user: from the peer's talk to IMCBK_OnChatUpdate, and on to the
// peer hearing the probe's answer. The probe's log is polled every millisecond, which bounds
// the resolution.
#include "tests/support/CZeltaRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRounds = 25;

bool WaitForLine(const CZeltaRun& run, const QString& prefix, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        for (const QString& line : run.ProbeLines())
            if (line.startsWith(prefix))
                return true;
        QTest::qWait(1);
    }
    return false;
}

// Reads the peer's events until one satisfies pred.
bool WaitForPeer(QProcess& peer, QByteArray& pending,
                 const std::function<bool(const QJsonObject&)>& pred, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        pending += peer.readAllStandardOutput();
        for (qsizetype nl; (nl = pending.indexOf('\n')) >= 0;) {
            const QJsonObject o = QJsonDocument::fromJson(pending.left(nl)).object();
            pending.remove(0, nl + 1);
            if (pred(o))
                return true;
        }
        QTest::qWait(1);
    }
    return false;
}

void Print(const char* what, std::vector<double> v) {
    if (v.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    std::printf("%-44s median %7.1f ms   90%% %7.1f ms   max %7.1f ms   (%zu rounds)\n", what,
                v[v.size() / 2], v[v.size() * 9 / 10], v.back(), v.size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CZeltaRun run(QStringLiteral(ZELTA_OUT_DIR_DEFAULT),
                  QStringLiteral(ZELTA_TEST_DIR_DEFAULT "/fixtures/im/ProbeChat.zpm"));
    run.Env().insert(QStringLiteral("ZELTA_PROBE_CHAT_ANSWER"), QStringLiteral("1"));
    if (!run.SetupError().isEmpty() || !run.Start() ||
        !WaitForLine(run, QStringLiteral("OnLogon\t1"), 30000)) {
        std::fprintf(stderr, "the program did not log on: %s\n", qPrintable(run.SetupError()));
        return 1;
    }
    QProcess peer;
    if (!run.StartPeer(peer, QStringLiteral("b")) ||
        !WaitForLine(run, QStringLiteral("OnChangeMemPresence\tall\tb\toff"), 20000)) {
        std::fprintf(stderr, "the peer did not log on\n");
        return 1;
    }

    std::vector<double> message, presence;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer t;
        t.start();
        peer.write(QStringLiteral("send --to a --subject lat --id lat-%1\n").arg(i).toUtf8());
        if (WaitForLine(run, QStringLiteral("OnRecvMessage\tlat-%1").arg(i)))
            message.push_back(t.nsecsElapsed() / 1e6);
        peer.readAllStandardOutput();
    }
    for (int i = 0; i < kRounds; ++i) {
        const QString previous = i ? QStringLiteral("s%1").arg(i - 1) : QStringLiteral("on");
        QElapsedTimer t;
        t.start();
        peer.write(QStringLiteral("status s%1\n").arg(i).toUtf8());
        if (WaitForLine(run, QStringLiteral("OnChangeMemPresence\tall\tb\t") + previous))
            presence.push_back(t.nsecsElapsed() / 1e6);
        peer.readAllStandardOutput();
    }
    // One chat: the peer creates it and invites the user, whose probe joins and answers.
    std::vector<double> talk, answer;
    QByteArray pending;
    int chat = 0;
    peer.write("chat-create\nchat-invite a\n");
    WaitForPeer(peer, pending, [&](const QJsonObject& o) {
        if (o.value(QStringLiteral("event")) == QStringLiteral("chat-created"))
            chat = o.value(QStringLiteral("chat")).toInt();
        return chat > 0;
    });
    if (chat > 0 && WaitForLine(run, QStringLiteral("ChatJoin\t%1\t1").arg(chat))) {
        for (int i = 0; i < kRounds; ++i) {
            const QString said = QStringLiteral("t%1").arg(i);
            QElapsedTimer t;
            t.start();
            peer.write(QStringLiteral("chat-talk %1\n").arg(said).toUtf8());
            if (WaitForLine(run, QStringLiteral("OnChatUpdate\t%1\t0\tb\t%2").arg(chat).arg(said)))
                talk.push_back(t.nsecsElapsed() / 1e6);
            if (WaitForPeer(peer, pending, [&](const QJsonObject& o) {
                    return o.value(QStringLiteral("event")) == QStringLiteral("chat") &&
                           o.value(QStringLiteral("text")).toString() ==
                               QStringLiteral("re: ") + said;
                }))
                answer.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    Print("peer send -> IMCBK_OnRecvMessage", message);
    Print("peer status -> IMCBK_OnChangeMemPresence", presence);
    Print("peer chat talk -> IMCBK_OnChatUpdate", talk);
    Print("peer chat talk -> answer from the core heard", answer);
    peer.closeWriteChannel();
    peer.waitForFinished(10000);
    run.Stop();
    for (const auto* v : {&message, &presence, &talk, &answer})
        if (v->size() != size_t(kRounds))
            return 1;
    return 0;
}
