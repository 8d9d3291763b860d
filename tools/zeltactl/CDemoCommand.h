// "zeltactl demo": seeds the demonstration organisation into an empty service and runs its
// members as scripted peers in this one process until SIGTERM or SIGINT arrives, or until a
// given process (the client the demo accompanies) has ended. With --network the service is a
// private XMPP server (prosody on loopback) started for the demo and stopped with it.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

class CDemoCommand {
public:
    CDemoCommand(const QString& dir, QTextStream& out);
    // words: the options after "demo". Returns the exit status; throws CCtlError.
    int Run(const QStringList& words);

private:
    QString m_dir;
    QTextStream& m_out;
};
