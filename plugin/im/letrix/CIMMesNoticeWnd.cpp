#include "plugin/im/letrix/CIMMesNoticeWnd.h"

#include "obrix/CResourceLoader.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>

namespace {

constexpr uint32_t kCaption = 494, kSenderLabel = 495;

} // namespace

CIMMesNoticeWnd::CIMMesNoticeWnd(void* resources, const QString& messageId, const QString& subject,
                                 const QString& sender)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_messageId(messageId), m_subject(subject), m_sender(sender) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(CResourceLoader::LoadString(resources, kCaption));
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxInformation)
                        .pixmap(QSize(32, 32), devicePixelRatio()));
    icon->setAlignment(Qt::AlignCenter);
    m_subjectLabel = new QLabel(this);
    m_subjectLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_subjectLabel->font();
    bold.setBold(true);
    m_subjectLabel->setFont(bold);
    auto* label = new QLabel(CResourceLoader::LoadString(resources, kSenderLabel), this);
    m_senderLabel = new QLabel(this);
    m_senderLabel->setTextFormat(Qt::PlainText);
    for (QLabel* l : {m_subjectLabel, m_senderLabel}) {
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setMinimumWidth(1);
    }

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->addWidget(icon, 0, 0);
    grid->addWidget(m_subjectLabel, 0, 1);
    grid->addWidget(label, 1, 0);
    grid->addWidget(m_senderLabel, 1, 1);
    grid->setColumnStretch(1, 1);
    setObjectName(QStringLiteral("notice"));
    Elide();
}

void CIMMesNoticeWnd::Elide() {
    // Single lines that end in an ellipsis when they do not fit; the whole text is the tip.
    const std::pair<QLabel*, const QString*> lines[] = {{m_subjectLabel, &m_subject},
                                                        {m_senderLabel, &m_sender}};
    for (const auto& [label, text] : lines) {
        const int width = std::max(label->width(), 1);
        label->setText(label->fontMetrics().elidedText(*text, Qt::ElideRight, width));
        label->setToolTip(*text);
    }
}

void CIMMesNoticeWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Elide();
}

void CIMMesNoticeWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OpenRequested(m_messageId);
}
