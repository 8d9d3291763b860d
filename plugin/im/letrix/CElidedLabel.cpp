#include "plugin/im/letrix/CElidedLabel.h"

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setMinimumWidth(1);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void CElidedLabel::SetFullText(const QString& text) {
    m_full = text;
    setToolTip(text);
    Elide();
}

void CElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void CElidedLabel::Elide() {
    setText(fontMetrics().elidedText(m_full, Qt::ElideRight, std::max(width(), 1)));
}
