// Latency through the real program: from a peer's send (zeltactl) to IMCBK_OnRecvMessage in
// the probe plug-in, and from a peer's presence change to IMCBK_OnChangeMemPresence. The
// probe's log is polled every millisecond, which bounds the resolution.
#include "kernova/tests/CZeltaRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>
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
                  QStringLiteral(ZELTA_TEST_DIR_DEFAULT "/fixtures/im/Probe.zpm"));
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
    Print("peer send -> IMCBK_OnRecvMessage", message);
    Print("peer status -> IMCBK_OnChangeMemPresence", presence);
    peer.closeWriteChannel();
    peer.waitForFinished(10000);
    run.Stop();
    return message.size() == size_t(kRounds) && presence.size() == size_t(kRounds) ? 0 : 1;
}
