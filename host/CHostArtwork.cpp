#include "host/CHostArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Deep(0x12, 0x3a, 0x6b);
const QColor Bright(0x1f, 0x8f, 0xb8);
const QColor Accent(0x7c, 0xd9, 0x6b);

// The mark: a rounded square with a speech bubble holding a "Z".
void drawMark(QPainter& p, const QRectF& r) {
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, Bright);
    fill.setColorAt(1, Deep);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, r.width() * 0.22, r.height() * 0.22);

    const qreal u = r.width() / 16.0;
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(r.left() + 3 * u, r.top() + 3.2 * u, 10 * u, 7.6 * u), 2.2 * u,
                          2.2 * u);
    QPainterPath tail;
    tail.moveTo(r.left() + 5 * u, r.top() + 10.4 * u);
    tail.lineTo(r.left() + 4.4 * u, r.top() + 13 * u);
    tail.lineTo(r.left() + 7.6 * u, r.top() + 10.4 * u);
    tail.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail));

    QPen zPen(Deep, 1.3 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(zPen);
    p.setBrush(Qt::NoBrush);
    QPainterPath z;
    z.moveTo(r.left() + 5.6 * u, r.top() + 5.1 * u);
    z.lineTo(r.left() + 10.4 * u, r.top() + 5.1 * u);
    z.lineTo(r.left() + 5.6 * u, r.top() + 8.9 * u);
    z.lineTo(r.left() + 10.4 * u, r.top() + 8.9 * u);
    p.drawPath(z);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawEllipse(QPointF(r.right() - 2.6 * u, r.top() + 2.6 * u), 1.4 * u, 1.4 * u);
}

void drawBanner(QPainter& p, const QSize& size, bool light) {
    QLinearGradient back(0, 0, size.width(), size.height());
    if (light) {
        back.setColorAt(0, QColor(0xf4, 0xf8, 0xfc));
        back.setColorAt(1, QColor(0xdd, 0xea, 0xf5));
    } else {
        back.setColorAt(0, Deep);
        back.setColorAt(1, Bright);
    }
    p.fillRect(QRect(QPoint(0, 0), size), back);

    const int markSize = size.height() * 2 / 5;
    const QRectF mark(size.width() * 0.08, size.height() * 0.16, markSize, markSize);
    drawMark(p, mark);

    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(markSize * 2 / 3);
    title.setBold(true);
    p.setFont(title);
    p.setPen(light ? Deep : QColor(Qt::white));
    const QRectF text(mark.right() + size.width() * 0.05, mark.top(), size.width(), markSize);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zelta"));

    QFont line(QStringLiteral("Sans Serif"));
    line.setPixelSize(qMax(9, size.height() / 18));
    p.setFont(line);
    p.setPen(light ? Bright : Accent);
    p.drawText(QRectF(text.left(), mark.bottom(), size.width(), size.height() / 8.0),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Business Messenger"));

    p.setPen(QPen(light ? Bright : Accent, 2));
    p.drawLine(QPointF(size.width() * 0.08, size.height() * 0.7),
               QPointF(size.width() * 0.92, size.height() * 0.7));
}

QPixmap banner(const QSize& size, bool light) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawBanner(p, size, light);
    return pixmap;
}

} // namespace

QPixmap CHostArtwork::Bitmap130() {
    return banner(QSize(360, 220), false);
}

QPixmap CHostArtwork::Bitmap131() {
    return banner(QSize(420, 240), true);
}

QIcon CHostArtwork::Icon128() {
    QIcon icon;
    for (int side : {16, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        drawMark(p, QRectF(0, 0, side, side));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
