#include "plugin/im/letrix/CIMMesNoticeWnd.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/letrix/CElidedLabel.h"

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
    m_subjectLabel = new CElidedLabel(this);
    QFont bold = m_subjectLabel->font();
    bold.setBold(true);
    m_subjectLabel->setFont(bold);
    auto* label = new QLabel(CResourceLoader::LoadString(resources, kSenderLabel), this);
    m_senderLabel = new CElidedLabel(this);

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
    m_subjectLabel->SetFullText(m_subject);
    m_senderLabel->SetFullText(m_sender);
}

void CIMMesNoticeWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OpenRequested(m_messageId);
}
