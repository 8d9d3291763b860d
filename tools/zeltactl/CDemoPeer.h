// One scripted member of the demo: comes on line, changes its status now and then, takes in
// and reads what it receives (so the sender sees receipts), answers messages and chat talk of
// members who are not scripted themselves, accepts chat invitations and leaves a chat once
// it is alone in it. Every delay is multiplied by the pace, so tests can run it fast.
#pragma once

#include "kernova/service/CMessagingService.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>
#include <functional>
#include <memory>

class CDemoPeer : public QObject {
    Q_OBJECT
public:
    // location: the local service's directory, or a network service ("xmpp://...", keeping
    // what the server does not under stateDir).
    CDemoPeer(const QString& location, const QString& stateDir, const QString& memberId,
              const QStringList& peers, double pace, QTextStream& out, QObject* parent = nullptr);

    // Logs on after delayMs (times the pace); reports failures on the output and gives up.
    void Start(int delayMs);
    // Sends the welcome message to the demo user when it first comes on line, once for the
    // life of the demo service.
    void SetGreeter(bool greeter) { m_greeter = greeter; }
    bool IsOnline() const { return m_service->IsLoggedOn(); }
    void Stop();

private:
    void After(int minMs, int maxMs, std::function<void()> fn);
    void Report(const char* event, const QJsonObject& fields);
    void Greet();
    void ChangeStatus();
    void OnMessage(const SvcMessage& message);
    void Reply(const SvcMessage& message);
    void Send(SvcMessage message);
    void OnInvited(int chat, const QString& inviter);
    void OnChatChanged(int chat);
    bool IsScripted(const QString& memberId) const { return m_peers.contains(memberId); }

    std::unique_ptr<CMessagingService> m_service;
    QString m_member;
    QSet<QString> m_peers;
    double m_pace;
    QTextStream& m_out;
    QRandomGenerator m_random;
    bool m_greeter = false;
    bool m_greeted = false;
    int m_sent = 0;
    QHash<int, qint64> m_chatSeq;
    QSet<int> m_answering; // chats with an answer on its way
};
