#include "plugin/im/parlo/CChatEntryWnd.h"

#include "plugin/im/parlo/CParloApp.h"
#include "plugin/im/parlo/ParloText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CChatEntryWnd::CChatEntryWnd(CParloApp& app, int32_t chat, const QString& inviterId,
                             const QString& inviterName, const QString& text)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), m_app(app), m_chat(chat),
      m_inviterId(inviterId), m_text(text), m_created(app.Now()) {
    setObjectName(QStringLiteral("chatInvitation"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(app.Text(ParloText::InviteTitle));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    auto* question = new QLabel(inviterName + app.Text(ParloText::InviteQuestion));
    question->setObjectName(QStringLiteral("question"));
    question->setWordWrap(true);
    question->setTextFormat(Qt::PlainText);
    layout->addWidget(question, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_yes = new QPushButton(app.Text(ParloText::Yes));
    m_yes->setObjectName(QStringLiteral("yes"));
    m_no = new QPushButton(app.Text(ParloText::No));
    m_no->setObjectName(QStringLiteral("no"));
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    layout->addLayout(buttons);

    connect(m_yes, &QPushButton::clicked, this, [this] {
        if (Settle())
            m_app.AcceptInvitation(this);
        close();
    });
    connect(m_no, &QPushButton::clicked, this, [this] {
        if (Settle())
            m_app.DeclineInvitation(this, true);
        close();
    });
    // The window keeps the design's size unless its text needs more (large fonts, 200 %).
    resize(QSize(kWidth, kHeight).expandedTo(minimumSizeHint()));
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CChatEntryWnd::CheckTimeout);
    m_tick.start();
}

bool CChatEntryWnd::Settle() {
    if (m_answered)
        return false;
    m_answered = true;
    m_tick.stop();
    return true;
}

void CChatEntryWnd::CheckTimeout() {
    if (m_answered || m_app.Now() - m_created < qint64(m_app.Settings().chatEntryTimeout) * 1000)
        return;
    Settle();
    m_app.DeclineInvitation(this, false);
    close();
}

void CChatEntryWnd::Dismiss() {
    Settle();
    close();
}
