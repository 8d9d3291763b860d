#include "plugin/im/pingel/CColorButton.h"

#include <QPainter>

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
}

void CColorButton::SetColor(COLORREF color) {
    m_color = color;
    update();
}

QSize CColorButton::sizeHint() const {
    return QSize(40, QPushButton::sizeHint().height());
}

void CColorButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(6, 5, -6, -5);
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.setBrush(isEnabled()
                         ? QColor(ZGetRValue(m_color), ZGetGValue(m_color), ZGetBValue(m_color))
                         : palette().color(QPalette::Disabled, QPalette::Button));
    painter.drawRect(swatch);
}
