#include "kernova/service/xmpp/testing/CProsodyServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>

namespace {

quint16 FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString LuaString(const QString& s) {
    QString out = s;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

CProsodyServer::CProsodyServer() = default;

CProsodyServer::~CProsodyServer() {
    Stop();
}

bool CProsodyServer::Available() {
    return !QStandardPaths::findExecutable(QStringLiteral("prosody")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("prosodyctl")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty();
}

bool CProsodyServer::Fail(const QString& why) {
    m_error = why;
    return false;
}

QString CProsodyServer::CertificateFile() const {
    return m_dir ? m_dir->filePath(QStringLiteral("certs/") + m_options.domain +
                                   QStringLiteral(".crt"))
                 : QString();
}

QString CProsodyServer::Log() const {
    if (!m_dir)
        return {};
    QFile f(m_dir->filePath(QStringLiteral("prosody.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool CProsodyServer::Start(const Options& options) {
    Stop();
    m_options = options;
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid())
        return Fail(QStringLiteral("no temporary directory"));
    QDir(m_dir->path()).mkpath(QStringLiteral("data"));
    QDir(m_dir->path()).mkpath(QStringLiteral("certs"));
    m_port = FreePort();
    m_httpPort = FreePort();
    if (!m_port || !m_httpPort || m_port == m_httpPort)
        return Fail(QStringLiteral("no free port"));
    if (!MakeCertificate() || !WriteConfig())
        return false;
    return AddAccount(AdminId(), AdminPassword()) && Launch();
}

bool CProsodyServer::MakeCertificate() {
    const QString base = m_dir->filePath(QStringLiteral("certs/") + m_options.domain);
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=") + m_options.domain, QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=DNS:%1,DNS:*.%1").arg(m_options.domain),
                   QStringLiteral("-keyout"), base + QStringLiteral(".key"), QStringLiteral("-out"),
                   base + QStringLiteral(".crt")});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        return Fail(QStringLiteral("openssl: ") +
                    QString::fromLocal8Bit(openssl.readAllStandardError()));
    return true;
}

bool CProsodyServer::WriteConfig() {
    const QString dir = m_dir->path();
    const QString key =
        m_dir->filePath(QStringLiteral("certs/") + m_options.domain + QStringLiteral(".key"));
    QString c;
    // The test process may run as root; prosody refuses that unless told.
    c += QStringLiteral("run_as_root = true\n");
    c += QStringLiteral("pidfile = %1\n").arg(LuaString(dir + QStringLiteral("/prosody.pid")));
    c += QStringLiteral("data_path = %1\n").arg(LuaString(dir + QStringLiteral("/data")));
    c += QStringLiteral("certificates = %1\n").arg(LuaString(dir + QStringLiteral("/certs")));
    c += QStringLiteral("log = { info = %1 }\n")
             .arg(LuaString(dir + QStringLiteral("/prosody.log")));
    c += QStringLiteral("interfaces = { \"127.0.0.1\" }\nlocal_interfaces = { \"127.0.0.1\" }\n"
                        "c2s_interfaces = { \"127.0.0.1\" }\n");
    c += QStringLiteral("c2s_ports = { %1 }\n").arg(m_port);
    c += QStringLiteral("c2s_direct_tls_ports = { }\ns2s_ports = { }\nhttps_ports = { }\n");
    // Attached files: the file share's plain HTTP on another loopback port.
    if (m_options.upload)
        c += QStringLiteral("http_ports = { %1 }\nhttp_interfaces = { \"127.0.0.1\" }\n"
                            "http_external_url = \"http://127.0.0.1:%1/\"\n")
                 .arg(m_httpPort);
    else
        c += QStringLiteral("http_ports = { }\n");
    c += QStringLiteral("admins = { %1 }\n")
             .arg(LuaString(AdminId() + QLatin1Char('@') + m_options.domain));
    // No rate limits: a test logs on many members at once.
    c += QStringLiteral("modules_enabled = { \"roster\", \"saslauth\", \"tls\", \"disco\", "
                        "\"ping\", \"posix\", \"offline\", \"admin_adhoc\" }\n");
    c += QStringLiteral("modules_disabled = { \"s2s\" }\n");
    c += QStringLiteral("authentication = \"internal_hashed\"\n");
    // SQLite: the file store rewrites a whole publish-subscribe node (and an offline queue) on
    // every change, which makes publishing the directory quadratic. Accounts stay in files, so
    // that the command-line tool can make several at once.
    c += QStringLiteral("default_storage = \"sql\"\nstorage = { accounts = \"internal\" }\n"
                        "sql = { driver = \"SQLite3\", database = %1 }\n")
             .arg(LuaString(dir + QStringLiteral("/data/prosody.sqlite")));
    c += QStringLiteral("c2s_require_encryption = %1\n")
             .arg(m_options.allowPlainText ? QStringLiteral("false") : QStringLiteral("true"));
    // Passwords only through SCRAM: a log-on that succeeds here did not send one in clear.
    c += QStringLiteral("disable_sasl_mechanisms = { \"PLAIN\", \"X-OAUTH2\" }\n");
    c += QStringLiteral("c2s_stanza_size_limit = %1\n").arg(m_options.stanzaLimit);
    c += QStringLiteral("pubsub_max_items = 100000\n");
    c += QStringLiteral("VirtualHost %1\n").arg(LuaString(m_options.domain));
    c += QStringLiteral("  ssl = { key = %1, certificate = %2 }\n")
             .arg(LuaString(key), LuaString(CertificateFile()));
    c += QStringLiteral("Component %1 \"pubsub\"\n")
             .arg(LuaString(QStringLiteral("pubsub.") + m_options.domain));
    if (m_options.upload)
        c += QStringLiteral("Component %1 \"http_file_share\"\n"
                            "  http_host = \"127.0.0.1\"\n"
                            "  http_file_share_size_limit = %2\n"
                            "  http_file_share_daily_quota = %3\n")
                 .arg(LuaString(QStringLiteral("upload.") + m_options.domain))
                 .arg(m_options.uploadLimit)
                 .arg(qint64(m_options.uploadLimit) * 100);
    // Chats: rooms that only invited members enter, removed when the last one leaves.
    c += QStringLiteral("Component %1 \"muc\"\n  restrict_room_creation = \"local\"\n")
             .arg(LuaString(QStringLiteral("conference.") + m_options.domain));
    QFile f(m_dir->filePath(QStringLiteral("prosody.cfg.lua")));
    if (!f.open(QIODevice::WriteOnly) || f.write(c.toUtf8()) < 0)
        return Fail(QStringLiteral("cannot write the configuration"));
    return true;
}

bool CProsodyServer::RunCtl(const QList<QStringList>& commands) {
    std::vector<std::unique_ptr<QProcess>> running;
    for (const QStringList& args : commands) {
        auto ctl = std::make_unique<QProcess>();
        ctl->start(QStringLiteral("prosodyctl"),
                   QStringList{QStringLiteral("--config"),
                               m_dir->filePath(QStringLiteral("prosody.cfg.lua"))} +
                       args);
        running.push_back(std::move(ctl));
    }
    bool ok = true;
    for (size_t i = 0; i < running.size(); ++i) {
        QProcess& ctl = *running[i];
        if (!ctl.waitForFinished(30000) || ctl.exitCode() != 0)
            ok = Fail(QStringLiteral("prosodyctl %1: %2%3")
                          .arg(commands[int(i)].join(QLatin1Char(' ')),
                               QString::fromLocal8Bit(ctl.readAllStandardOutput()),
                               QString::fromLocal8Bit(ctl.readAllStandardError())));
    }
    return ok;
}

bool CProsodyServer::AddAccount(const QString& user, const QString& password) {
    return AddAccounts({{user, password}});
}

bool CProsodyServer::AddAccounts(const QList<std::pair<QString, QString>>& accounts) {
    if (!m_dir)
        return Fail(QStringLiteral("not started"));
    QList<QStringList> commands;
    for (const auto& [user, password] : accounts)
        commands.append({QStringLiteral("register"), user, m_options.domain, password});
    return RunCtl(commands);
}

bool CProsodyServer::Launch() {
    QFile::remove(m_dir->filePath(QStringLiteral("prosody.pid")));
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    // The server goes with the test even when the test dies without stopping it.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->setStandardOutputFile(m_dir->filePath(QStringLiteral("prosody.out")),
                                     QIODevice::Append);
    m_process->start(QStringLiteral("prosody"),
                     {QStringLiteral("--config"),
                      m_dir->filePath(QStringLiteral("prosody.cfg.lua")), QStringLiteral("-F")});
    if (!m_process->waitForStarted(10000))
        return Fail(QStringLiteral("prosody did not start"));
    // Ready when the pid file is written (the configuration was accepted) and the port answers.
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running)
            return Fail(QStringLiteral("prosody stopped: ") + Log());
        if (QFile::exists(m_dir->filePath(QStringLiteral("prosody.pid")))) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(200)) {
                probe.abort();
                if (Log().contains(QStringLiteral("\terror\t")))
                    return Fail(QStringLiteral("prosody reported an error: ") + Log());
                return true;
            }
        }
        QThread::msleep(20);
    }
    return Fail(QStringLiteral("prosody did not open its port: ") + Log());
}

bool CProsodyServer::Resume() {
    if (!m_dir)
        return Fail(QStringLiteral("never started"));
    if (IsRunning())
        return true;
    return Launch();
}

bool CProsodyServer::IsRunning() const {
    return m_process && m_process->state() == QProcess::Running;
}

bool CProsodyServer::Freeze() {
    return IsRunning() && ::kill(pid_t(m_process->processId()), SIGSTOP) == 0;
}

void CProsodyServer::Thaw() {
    if (IsRunning())
        ::kill(pid_t(m_process->processId()), SIGCONT);
}

void CProsodyServer::Stop() {
    if (!m_process)
        return;
    Thaw(); // a frozen server would not take its end
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(2000);
        }
    }
    m_process.reset();
}

CXmppLocation CProsodyServer::Location() const {
    CXmppLocation l;
    l.host = QStringLiteral("127.0.0.1");
    l.port = m_port;
    l.domain = m_options.domain;
    l.tls = m_options.allowPlainText ? CXmppLocation::Tls::Off : CXmppLocation::Tls::Trust;
    l.pubsubJid = QStringLiteral("pubsub.") + m_options.domain;
    l.mucJid = QStringLiteral("conference.") + m_options.domain;
    l.uploadJid = QStringLiteral("upload.") + m_options.domain;
    l.stanzaLimit = m_options.stanzaLimit;
    return l;
}
