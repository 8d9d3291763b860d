#include "tools/zeltactl/CDemoCommand.h"

#include "kernova/service/xmpp/testing/CProsodyServer.h"
#include "tools/zeltactl/CCommandArgs.h"
#include "tools/zeltactl/CCtlError.h"
#include "tools/zeltactl/CDemoOrganisation.h"
#include "tools/zeltactl/CDemoPeer.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <signal.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop reads the pipe.
void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool ProcessAlive(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void Print(QTextStream& out, const QJsonObject& o) {
    out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) << u'\n';
    out.flush();
}

} // namespace

CDemoCommand::CDemoCommand(const QString& dir, QTextStream& out) : m_dir(dir), m_out(out) {}

int CDemoCommand::Run(const QStringList& words) {
    CCommandArgs args(words);
    const auto untilPid = args.TakeOption(QStringLiteral("until-pid"));
    const auto paceText = args.TakeOption(QStringLiteral("pace"));
    const bool seedOnly = args.TakeFlag(QStringLiteral("seed-only"));
    const bool noSeed = args.TakeFlag(QStringLiteral("no-seed"));
    const bool network = args.TakeFlag(QStringLiteral("network"));
    const auto locationFile = args.TakeOption(QStringLiteral("location-file"));
    args.Finish(0, 0, {});
    qint64 pid = 0;
    if (untilPid) {
        pid = CCommandArgs::ToInt(QStringLiteral("--until-pid"), *untilPid);
        if (pid <= 0)
            throw CCtlError::BadNumber(QStringLiteral("--until-pid"), *untilPid);
    }
    double pace = 1.0;
    if (paceText) {
        bool ok = false;
        pace = paceText->toDouble(&ok);
        if (!ok || pace <= 0 || pace > 100)
            throw CCtlError::BadNumber(QStringLiteral("--pace"), *paceText);
    }

    // The network demo: a private prosody on loopback, living as long as this command, with
    // the organisation on it; its location goes to the output and to the location file.
    CProsodyServer server;
    QString location = m_dir;
    QTemporaryDir state;
    if (network) {
        if (!CProsodyServer::Available())
            throw CCtlError(
                CCtlError::Failed,
                QStringLiteral("prosody がありません (scripts/bootstrap.sh で入ります)"),
                QStringLiteral("prosody is not installed (scripts/bootstrap.sh)"));
        if (!server.Start())
            throw CCtlError(CCtlError::Failed,
                            QStringLiteral("XMPP サーバーを起動できません: %1").arg(server.Error()),
                            QStringLiteral("cannot start the XMPP server: %1").arg(server.Error()));
        CDemoOrganisation::SeedNetwork(server);
        location = server.Location().ToString();
        Print(m_out, {{QStringLiteral("event"), QStringLiteral("demo-server")},
                      {QStringLiteral("service"), location}});
        if (locationFile) {
            QSaveFile f(*locationFile);
            if (!f.open(QIODevice::WriteOnly) || f.write(location.toUtf8() + '\n') < 0 ||
                !f.commit())
                throw CCtlError(CCtlError::Failed,
                                QStringLiteral("書き込めません: %1").arg(*locationFile),
                                QStringLiteral("cannot write %1").arg(*locationFile));
        }
    } else if (!noSeed) {
        const bool seeded = CDemoOrganisation::SeedIfEmpty(m_dir);
        Print(m_out, {{QStringLiteral("event"), QStringLiteral("demo-seed")},
                      {QStringLiteral("seeded"), seeded},
                      {QStringLiteral("service"), m_dir}});
    }
    if (seedOnly)
        return 0;
    if (pid && !ProcessAlive(pid))
        return 0;

    QEventLoop loop;
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw CCtlError(CCtlError::Failed, QStringLiteral("シグナルを受け取れません"),
                        QStringLiteral("cannot set up signal handling"));
    QSocketNotifier signalled(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalled, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    QTimer watch;
    if (pid) {
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            if (!ProcessAlive(pid))
                loop.quit();
        });
        watch.start(300);
    }

    const QStringList ids = CDemoOrganisation::PeerIds();
    std::vector<std::unique_ptr<CDemoPeer>> peers;
    for (int i = 0; i < ids.size(); ++i) {
        peers.push_back(
            std::make_unique<CDemoPeer>(location, state.path(), ids[i], ids, pace, m_out));
        peers.back()->SetGreeter(i == 0);
        // Not all at once: a living organisation comes on line one by one.
        peers.back()->Start(200 + 400 * i);
    }
    Print(m_out, {{QStringLiteral("event"), QStringLiteral("demo-started")},
                  {QStringLiteral("peers"), int(ids.size())}});
    loop.exec();

    for (auto& p : peers)
        p->Stop();
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    Print(m_out, {{QStringLiteral("event"), QStringLiteral("demo-stopped")}});
    return 0;
}
