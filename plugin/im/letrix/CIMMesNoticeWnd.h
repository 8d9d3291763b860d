// The arrival notice: a small always-on-top tool window with the subject and the sender of a
// new message. It appears without taking the focus; a click on it asks for the message to be
// opened.
#pragma once

#include <QWidget>

class CElidedLabel;

class CIMMesNoticeWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 280;
    static constexpr int kHeight = 80;

    CIMMesNoticeWnd(void* resources, const QString& messageId, const QString& subject,
                    const QString& sender);

    const QString& MessageId() const { return m_messageId; }
    QString SubjectText() const { return m_subject; }
    QString SenderText() const { return m_sender; }

signals:
    void OpenRequested(const QString& messageId);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_messageId;
    QString m_subject;
    QString m_sender;
    CElidedLabel* m_subjectLabel = nullptr;
    CElidedLabel* m_senderLabel = nullptr;
};
