#include "plugin/im/letrix/CColorSwatch.h"

#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {

CColorSwatch::Chooser& ActiveChooser() {
    static CColorSwatch::Chooser chooser;
    return chooser;
}

} // namespace

CColorSwatch::CColorSwatch(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    SetColor(0);
}

void CColorSwatch::SetColor(COLORREF color) {
    m_color = color;
    const int side = fontMetrics().height();
    QPixmap swatch(side, side);
    swatch.fill(QColorFromColorRef(color));
    QPainter frame(&swatch);
    frame.setPen(palette().color(QPalette::WindowText));
    frame.drawRect(0, 0, side - 1, side - 1);
    frame.end();
    setIcon(QIcon(swatch));
    setIconSize(QSize(side, side));
    emit ColorChanged(color);
}

void CColorSwatch::SetChooser(Chooser chooser) {
    ActiveChooser() = std::move(chooser);
}

void CColorSwatch::Choose(const QString& title) {
    std::optional<COLORREF> chosen;
    if (ActiveChooser()) {
        chosen = ActiveChooser()(this, m_color, title);
    } else {
        const QColor c = QColorDialog::getColor(QColorFromColorRef(m_color), this, title);
        if (c.isValid())
            chosen = ColorRefFromQColor(c);
    }
    if (chosen)
        SetColor(*chosen);
}
