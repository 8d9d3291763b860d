// The window that asks whether to join a chat someone invites the user to: the inviter's
// name, the question, "はい" and "いいえ". Shown without taking the focus; unanswered, it
// declines by itself after ChatEntryTimeout seconds.
#pragma once

#include <QTimer>
#include <QWidget>

class CParloApp;
class QPushButton;

class CChatEntryWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 100;
    static constexpr int kTickMs = 500;

    CChatEntryWnd(CParloApp& app, int32_t chat, const QString& inviterId,
                  const QString& inviterName, const QString& text);

    int32_t Chat() const { return m_chat; }
    const QString& InviterId() const { return m_inviterId; }
    const QString& Text() const { return m_text; }
    QPushButton* YesButton() const { return m_yes; }
    QPushButton* NoButton() const { return m_no; }

    // One tick of the time-out check (every 500 ms).
    void CheckTimeout();
    // Closes without answering (log-off, the plug-in going away).
    void Dismiss();

private:
    // The invitation is answered once, by the user or the time-out: true for the first answer.
    bool Settle();

    CParloApp& m_app;
    int32_t m_chat;
    QString m_inviterId;
    QString m_text;
    qint64 m_created;
    QTimer m_tick;
    QPushButton* m_yes = nullptr;
    QPushButton* m_no = nullptr;
    bool m_answered = false;
};
