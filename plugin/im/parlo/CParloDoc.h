// What one chat window knows, without the window: the chat number (-1 until the core assigns
// one), whether it is closing, when the chat started, its participants and the alone timer.
// Events and invitations are decided here; the window only shows the outcome.
#pragma once

#include "plugin/im/parlo/CParloParticipants.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class CParloDoc {
public:
    static constexpr int32_t kNoChat = -1;

    // What the directory says of a member: the display name, and whether it is off line.
    struct MemberInfo {
        QString name;
        bool offline = false;
    };
    using MemberLookup = std::function<std::optional<MemberInfo>(const QString& id)>;

    // Chat event types.
    enum EventType { Talk = 0, Notice = 1, Joined = 2, FirstGone = 3, LastGone = 7 };

    // What an event asks of the window.
    struct EventOutcome {
        bool append = false;      // show it in the log
        bool listChanged = false; // the participant list changed
    };

    explicit CParloDoc(QString userId) : m_userId(std::move(userId)) {}

    int32_t Chat() const { return m_chat; }
    void SetChat(int32_t chat) { m_chat = chat; }
    const QString& UserId() const { return m_userId; }

    // The close path runs once: the first call returns true, every later one false.
    bool BeginClosing();
    bool IsClosing() const { return m_closing; }

    // The first event sets the start time (local time).
    void NoteEventTime(const QDateTime& local);
    const std::optional<QDateTime>& StartTime() const { return m_start; }

    CParloParticipants& Participants() { return m_participants; }
    const CParloParticipants& Participants() const { return m_participants; }

    // An event of the chat; lookup names members who join without having been listed.
    EventOutcome ApplyEvent(int type, const QString& memberId, const MemberLookup& lookup);

    // Members offered for invitation (a start request, a drop or the window). For a drop the
    // whole offer is refused when the list would exceed maxMembers (duplicates, the user and
    // off-line members counted as offered); refused is then set and nothing changes. Otherwise
    // every member not yet listed and not off line is added; the members to invite through
    // the core (all added but the user) are returned.
    QStringList Invite(const QStringList& ids, bool fromDrop, int maxMembers,
                       const MemberLookup& lookup, bool* refused = nullptr);

    // The alone timer: running while the user is the only participant. now is in ms.
    void UpdateAloneTimer(qint64 now);
    bool AloneTimerRunning() const { return m_aloneSince.has_value(); }
    // True once timeoutSeconds have passed since the timer started; the timer then stops.
    bool AloneTimeoutReached(qint64 now, int timeoutSeconds);

private:
    int32_t m_chat = kNoChat;
    QString m_userId;
    bool m_closing = false;
    std::optional<QDateTime> m_start;
    CParloParticipants m_participants;
    std::optional<qint64> m_aloneSince;
};
