// A private prosody for tests and benchmarks: configuration, data and a certificate made on the
// spot in a temporary directory, listening on a free loopback port only, accounts created with
// the server's own command-line tool, and the publish-subscribe component. It runs as an
// ordinary child process from Start until Stop (or the destructor).
#pragma once

#include "kernova/service/xmpp/CXmppLocation.h"

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

class CProsodyServer {
public:
    struct Options {
        QString domain = QStringLiteral("example.test");
        bool allowPlainText = false; // streams without TLS (loopback only)
        int stanzaLimit = 8 * 1024 * 1024;
        bool upload = true;                 // the file share for attached files (HTTP upload)
        qint64 uploadLimit = 64 * 1024 * 1024; // bytes of one file
    };

    CProsodyServer();
    ~CProsodyServer();

    // Whether prosody, prosodyctl and openssl are installed.
    static bool Available();

    bool Start(const Options& options);
    bool Start() { return Start(Options()); }
    // Stops the process; data, configuration and port stay for Resume.
    void Stop();
    // Starts the server again on the same port with the same data (a server restart).
    bool Resume();
    bool IsRunning() const;
    // Stops the process without ending it (SIGSTOP): connections stay open, nothing answers,
    // as with a hung server; Thaw lets it go on.
    bool Freeze();
    void Thaw();

    bool AddAccount(const QString& user, const QString& password);
    // Several accounts at once (the tool runs for each in parallel).
    bool AddAccounts(const QList<std::pair<QString, QString>>& accounts);
    // The location members use: TLS with the test certificate trusted.
    CXmppLocation Location() const;
    QString AdminId() const { return QStringLiteral("zelta-admin"); }
    QString AdminPassword() const { return QStringLiteral("admin-secret"); }
    QString CertificateFile() const;
    const QString& Error() const { return m_error; }
    QString Log() const;

private:
    bool Fail(const QString& why);
    bool WriteConfig();
    bool MakeCertificate();
    bool Launch();
    bool RunCtl(const QList<QStringList>& commands);

    Options m_options;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    quint16 m_httpPort = 0;
    QString m_error;
};
