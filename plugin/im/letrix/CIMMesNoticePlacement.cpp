#include "plugin/im/letrix/CIMMesNoticePlacement.h"

#include "plugin/im/letrix/CIMMesSettings.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

QPoint CIMMesNoticePlacement::Place(int position, QSize notice, const Metrics& m) {
    if (position != m_lastPosition)
        m_counter = 0;
    m_lastPosition = position;
    const int w = notice.width(), h = notice.height();
    switch (position) {
    case CIMMesSettings::Center:
        return {m.screen.width() / 2 - w / 2, m.screen.height() / 2 - h / 2};
    case CIMMesSettings::LeftTopDown: {
        const int step = m.smallCaption + m.fixedFrame.height();
        if (m_counter * step + h >= m.screen.height())
            m_counter = 0;
        return {0, step * m_counter++};
    }
    case CIMMesSettings::LeftTopRight: {
        const int step = m.smallCaption + m.fixedFrame.width();
        if (m_counter * step + w >= m.screen.width())
            m_counter = 0;
        return {step * m_counter++, 0};
    }
    case CIMMesSettings::LeftBottom:
        return {0, m.caption + m.screen.height() - h};
    default:
        return {m.screen.width() - w, 0};
    }
}

void CIMMesNoticePlacement::PlaceOnScreen(int position, QWidget* window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window)
        return;
    const QRect area = screen->availableGeometry();
    const QStyle* style = QApplication::style();
    const int caption = style->pixelMetric(QStyle::PM_TitleBarHeight);
    const int frame = std::max(1, style->pixelMetric(QStyle::PM_DefaultFrameWidth));
    // The full-screen client area is the work area less one caption.
    const Metrics metrics{QSize(area.width(), area.height() - caption), caption, caption,
                          QSize(frame, frame)};
    window->move(area.topLeft() + Place(position, window->frameGeometry().size(), metrics));
}
