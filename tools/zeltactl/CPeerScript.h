// The scripted peer of zeltactl: logs on as a member and runs commands one after another,
// from the command line or, line by line as they come, from standard input. Everything the
// service reports is printed at once as one JSON object per line, so that a test or a demo can
// follow along; "wait" commands block the script (not the event loop) until a matching event
// has arrived, each event satisfying one wait only.
#pragma once

#include "kernova/service/CMessagingService.h"

#include <QEventLoop>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <memory>
#include <optional>

class CCommandArgs;

class CPeerScript : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultWaitMs = 10000;

    // location: the local service's directory, or a network service ("xmpp://...", whose
    // client keeps what the server does not under stateDir).
    CPeerScript(const QString& location, const QString& stateDir, const QString& memberId,
                const QString& password, QTextStream& out, QTextStream& err);

    // The local service's heartbeat and change-feed polling (the network service has its own
    // keep-alive and needs no polling: these do nothing there).
    void SetHeartbeat(int intervalMs, int timeoutMs);
    void SetSafetyPoll(int ms);
    void SetAttachmentLimit(qint64 bytes);
    // Received files are written to dir/<message id><safe name>, as the core does.
    void SetFilesDirectory(const QString& dir) { m_filesDir = dir; }
    // Commands given on the command line; the script then ends after them.
    void SetCommands(const QStringList& lines);
    // Takes the commands from standard input instead, until it ends.
    void ReadStandardInput();

    // Logs on, runs the script and logs off. Returns the exit status. Throws CCtlError when
    // the log-on fails.
    int Run();

private:
    struct Wait {
        QString event;
        QHash<QString, QString> filters;
        int count = 1;
    };
    struct Seen {
        QJsonObject data;
        bool consumed = false;
    };

    void Next();
    void ScheduleNext();
    void Execute(const QString& line);
    void Finish(int exitCode);
    void Print(const QJsonObject& object);
    void Record(const QJsonObject& object);
    void CheckWait();
    void OnInput();
    void OnMessage(const SvcMessage& message);
    void OnChatChanged(int chat);
    QJsonArray SaveAttachments(const SvcMessage& message);

    void Status(CCommandArgs& args);
    void Send(CCommandArgs& args);
    void StartWait(const QString& event, CCommandArgs& args);
    void Read(const QString& messageId);
    void List();
    void Directory();
    void Check(bool ok);
    // Chat commands ("chat-create", "chat-invite", ...); false when command is none of them.
    bool ExecuteChat(const QString& command, CCommandArgs& args);
    int ChatOption(CCommandArgs& args, int fallback);

    std::unique_ptr<CMessagingService> m_service;
    QString m_member;
    QString m_password;
    QTextStream& m_out;
    QTextStream& m_err;

    QStringList m_queue;
    QByteArray m_partialLine;
    bool m_inputDone = true;
    std::unique_ptr<QSocketNotifier> m_input;

    bool m_busy = false;
    bool m_finished = false;
    bool m_nextScheduled = false;
    int m_exit = 0;
    int m_sent = 0;
    QEventLoop m_loop;
    std::optional<Wait> m_wait;
    QTimer m_waitTimer;
    QList<Seen> m_seen;
    QList<std::pair<QString, bool>> m_inbox; // message id, read
    QString m_filesDir;
    int m_currentChat = 0;        // the last chat created or joined
    int m_lastInvitation = 0;     // the chat of the last invitation received
    QHash<int, qint64> m_chatSeq; // last chat event printed, per chat
};
