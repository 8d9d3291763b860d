#include "plugin/im/pingel/CStaticEx.h"

#include <QFont>

CStaticEx::CStaticEx(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFocusPolicy(Qt::NoFocus);
    ApplyColors();
}

void CStaticEx::SetTextColor(COLORREF color) {
    m_text = color;
    ApplyColors();
}

void CStaticEx::SetBackColor(COLORREF color) {
    m_back = color;
    ApplyColors();
}

void CStaticEx::SetPreviewFont(const QString& face, int points) {
    QFont f = font();
    f.setFamilies({face});
    if (points > 0)
        f.setPointSize(points);
    setFont(f);
}

void CStaticEx::ApplyColors() {
    QPalette p = palette();
    p.setColor(QPalette::Window,
               QColor(ZGetRValue(m_back), ZGetGValue(m_back), ZGetBValue(m_back)));
    p.setColor(QPalette::WindowText,
               QColor(ZGetRValue(m_text), ZGetGValue(m_text), ZGetBValue(m_text)));
    setPalette(p);
    update();
}
