#include "resources/gen/CArtwork.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>
#include <cmath>

namespace {

QPen outlinePen(const QColor& c, qreal width = 1.0) {
    QPen pen(c, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QPen roundPen(const QColor& c, qreal width) {
    QPen pen(c, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// Fills a shape with a colour and gives it a white halo, so that an overlay stays readable
// on whatever it lies on.
void haloFill(QPainter& p, const QPainterPath& shape, const QColor& color) {
    p.save();
    p.setPen(roundPen(Qt::white, 2.0));
    p.setBrush(Qt::white);
    p.drawPath(shape);
    p.setPen(outlinePen(color.darker(125), 0.8));
    p.setBrush(color);
    p.drawPath(shape);
    p.restore();
}

QPolygonF straightArrow(const QRectF& b) {
    // Pointing right: shaft of a third of the height, head of half the width.
    const qreal cy = b.center().y();
    const qreal t = std::max<qreal>(2.0, b.height() * 0.36);
    const qreal head = std::min(b.width() * 0.55, b.height() * 0.75);
    const qreal hx = b.right() - head;
    return QPolygonF({{b.left(), cy - t / 2},
                      {hx, cy - t / 2},
                      {hx, b.top()},
                      {b.right(), cy},
                      {hx, b.bottom()},
                      {hx, cy + t / 2},
                      {b.left(), cy + t / 2}});
}

} // namespace

QColor CArtwork::ink() {
    return QColor(0x3B, 0x48, 0x56);
}
QColor CArtwork::paper() {
    return QColor(0xFF, 0xFF, 0xFF);
}
QColor CArtwork::shade() {
    return QColor(0xDD, 0xE5, 0xEE);
}
QColor CArtwork::blue() {
    return QColor(0x2B, 0x7B, 0xD6);
}
QColor CArtwork::green() {
    return QColor(0x2E, 0x9E, 0x48);
}
QColor CArtwork::red() {
    return QColor(0xD6, 0x42, 0x3B);
}
QColor CArtwork::amber() {
    return QColor(0xEE, 0xA5, 0x1C);
}
QColor CArtwork::orange() {
    return QColor(0xF0, 0x7D, 0x1A);
}
QColor CArtwork::grey() {
    return QColor(0x8C, 0x96, 0xA1);
}
QColor CArtwork::purple() {
    return QColor(0x7A, 0x5B, 0xC6);
}
QColor CArtwork::teal() {
    return QColor(0x1F, 0x9A, 0x9A);
}

qreal CArtwork::snap(qreal v) {
    return std::floor(v) + 0.5;
}

QRectF CArtwork::snapped(const QRectF& r) {
    const qreal l = std::round(r.left()), t = std::round(r.top());
    const qreal w = std::round(r.width()), h = std::round(r.height());
    return QRectF(l + 0.5, t + 0.5, w - 1, h - 1);
}

QImage CArtwork::render(int width, int height, int scale,
                        const std::function<void(QPainter&)>& draw) {
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

void CArtwork::envelope(QPainter& p, const QRectF& box, bool open, QColor outline) {
    p.save();
    const QRectF r = snapped(box);
    const qreal cx = r.center().x();
    p.setPen(outlinePen(outline));
    if (!open) {
        p.setBrush(paper());
        p.drawRect(r);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({r.topLeft(), {cx, r.top() + r.height() * 0.58}, r.topRight()}));
        p.restore();
        return;
    }
    const qreal bodyTop = snap(box.top() + box.height() * 0.42);
    p.setBrush(shade());
    p.drawPolygon(QPolygonF({{r.left(), bodyTop}, {cx, r.top()}, {r.right(), bodyTop}}));
    // The letter peeking out of the open envelope.
    const QRectF sheet(snap(box.left() + box.width() * 0.2), snap(box.top() + box.height() * 0.2),
                       std::round(box.width() * 0.6) - 1, bodyTop - snap(box.top()) + 2);
    p.setPen(outlinePen(grey()));
    p.setBrush(paper());
    p.drawRect(sheet);
    p.setPen(outlinePen(QColor(0x9F, 0xB8, 0xD6)));
    for (qreal y = sheet.top() + 2; box.height() >= 18 && y < bodyTop; y += 2)
        p.drawLine(QPointF(sheet.left() + 1.5, y), QPointF(sheet.right() - 1.5, y));
    p.setPen(outlinePen(outline));
    p.setBrush(paper());
    const qreal vy = bodyTop + (r.bottom() - bodyTop) * 0.55;
    p.drawPolygon(QPolygonF(
        {{r.left(), bodyTop}, {cx, vy}, {r.right(), bodyTop}, r.bottomRight(), r.bottomLeft()}));
    p.restore();
}

void CArtwork::arrow(QPainter& p, const QRectF& box, Arrow kind, QColor color) {
    QPainterPath shape;
    if (kind == Arrow::Reply) {
        // A left-pointing head on a shaft that bends down to the lower right.
        const qreal t = std::max<qreal>(1.8, box.height() * 0.26);
        const qreal head = box.width() * 0.45;
        const qreal y = box.top() + box.height() * 0.36;
        QPainterPath shaft;
        shaft.moveTo(box.left() + head - 0.5, y);
        shaft.cubicTo(box.right() - t / 2, y, box.right() - t / 2, y, box.right() - t / 2,
                      box.bottom());
        QPainterPathStroker stroker;
        stroker.setWidth(t);
        stroker.setCapStyle(Qt::FlatCap);
        shape = stroker.createStroke(shaft);
        QPainterPath tip;
        tip.addPolygon(QPolygonF({{box.left(), y},
                                  {box.left() + head, box.top()},
                                  {box.left() + head, std::min(box.bottom(), 2 * y - box.top())}}));
        tip.closeSubpath();
        shape = shape.united(tip).simplified();
    } else {
        qreal angle = 0;
        QRectF b = box;
        if (kind == Arrow::Up || kind == Arrow::Down) {
            // Lay the box on its side, draw pointing right, then turn it.
            b = QRectF(0, 0, box.height(), box.width());
            b.moveCenter(box.center());
            angle = kind == Arrow::Up ? -90 : 90;
        } else if (kind == Arrow::Back) {
            angle = 180;
        }
        shape.addPolygon(straightArrow(b));
        shape.closeSubpath();
        QTransform t;
        t.translate(box.center().x(), box.center().y());
        t.rotate(angle);
        t.translate(-box.center().x(), -box.center().y());
        shape = t.map(shape);
    }
    haloFill(p, shape, color);
}

void CArtwork::person(QPainter& p, const QRectF& box, QColor color) {
    p.save();
    const qreal w = box.width(), h = box.height();
    const qreal headR = std::min(w, h) * 0.23;
    const QPointF head(box.center().x(), box.top() + headR + 0.5);
    p.setPen(outlinePen(color.darker(140), 1.0));
    p.setBrush(color.lighter(115));
    QPainterPath body;
    const QRectF shoulders(box.left() + 0.5, box.top() + h * 0.56, w - 1, h * 0.9);
    body.addEllipse(shoulders);
    QPainterPath clipBox;
    clipBox.addRect(QRectF(box.left() - 1, box.top(), w + 2, h - 0.5));
    p.drawPath(body.intersected(clipBox));
    p.setBrush(color);
    p.drawEllipse(head, headR, headR);
    p.restore();
}

void CArtwork::people(QPainter& p, const QRectF& box) {
    const qreal w = box.width(), h = box.height();
    person(p, QRectF(box.left() + w * 0.38, box.top(), w * 0.62, h * 0.86),
           QColor(0x7F, 0xA9, 0xD9));
    person(p, QRectF(box.left(), box.top() + h * 0.14, w * 0.64, h * 0.86), blue());
}

void CArtwork::groupCard(QPainter& p, const QRectF& box) {
    p.save();
    const QRectF r = snapped(box);
    p.setPen(outlinePen(ink()));
    p.setBrush(shade());
    p.drawRoundedRect(r, 2.5, 2.5);
    p.restore();
    const qreal w = box.width(), h = box.height();
    const QRectF inner(box.left() + w * 0.14, box.top() + h * 0.2, w * 0.72, h * 0.74);
    people(p, inner);
}

void CArtwork::bubbles(QPainter& p, const QRectF& box) {
    p.save();
    const qreal w = box.width(), h = box.height();
    auto bubble = [&](const QRectF& r, bool tailLeft, const QColor& c) {
        QPainterPath path;
        path.addRoundedRect(r, r.height() * 0.32, r.height() * 0.32);
        QPainterPath tail;
        const qreal tx = tailLeft ? r.left() + r.width() * 0.22 : r.right() - r.width() * 0.22;
        const qreal dir = tailLeft ? -1 : 1;
        tail.addPolygon(QPolygonF({{tx - 2.5 * dir, r.bottom() - 1},
                                   {tx + 2.0 * dir, r.bottom() - 1},
                                   {tx - 2.5 * dir, r.bottom() + r.height() * 0.32}}));
        tail.closeSubpath();
        path = path.united(tail).simplified();
        p.setPen(outlinePen(c.darker(140)));
        p.setBrush(c);
        p.drawPath(path);
    };
    bubble(QRectF(box.left() + w * 0.36 + 0.5, box.top() + 0.5, w * 0.62, h * 0.5), false,
           QColor(0x8C, 0xCF, 0x9C));
    const QRectF front(box.left() + 0.5, box.top() + h * 0.34 + 0.5, w * 0.7, h * 0.46);
    bubble(front, true, blue());
    const qreal cy = front.center().y();
    for (int i = -1; i <= 1; ++i)
        dot(p, QPointF(front.center().x() + i * front.width() * 0.24, cy),
            std::max<qreal>(0.9, h * 0.055), Qt::white);
    p.restore();
}

void CArtwork::gear(QPainter& p, const QRectF& box) {
    p.save();
    const QPointF c = box.center();
    const qreal outer = std::min(box.width(), box.height()) / 2 - 0.5;
    const qreal inner = outer * 0.72;
    QPolygonF poly;
    const int teeth = 8;
    for (int i = 0; i < teeth; ++i) {
        const qreal a0 = (i * 360.0 / teeth) * M_PI / 180.0;
        const qreal step = (360.0 / teeth) * M_PI / 180.0;
        const qreal offs[4] = {-0.30, -0.17, 0.17, 0.30};
        const qreal rad[4] = {inner, outer, outer, inner};
        for (int k = 0; k < 4; ++k)
            poly << QPointF(c.x() + rad[k] * std::cos(a0 + offs[k] * step * 2),
                            c.y() + rad[k] * std::sin(a0 + offs[k] * step * 2));
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, outer * 0.36, outer * 0.36);
    path = path.subtracted(hole);
    p.setPen(outlinePen(QColor(0x4A, 0x58, 0x68)));
    p.setBrush(QColor(0x7D, 0x8C, 0x9C));
    p.drawPath(path);
    p.restore();
}

void CArtwork::tray(QPainter& p, const QRectF& box, QColor color) {
    p.save();
    const QRectF r = snapped(box);
    const qreal mid = snap(box.top() + box.height() * 0.45);
    const qreal w = r.width();
    p.setPen(outlinePen(ink()));
    p.setBrush(shade());
    p.drawPolygon(QPolygonF({{r.left(), mid},
                             {r.left() + w * 0.16, r.top()},
                             {r.right() - w * 0.16, r.top()},
                             {r.right(), mid}}));
    p.setBrush(color);
    p.drawPolygon(QPolygonF({{r.left(), mid},
                             {r.left() + w * 0.3, mid},
                             {r.left() + w * 0.36, mid + (r.bottom() - mid) * 0.45},
                             {r.right() - w * 0.36, mid + (r.bottom() - mid) * 0.45},
                             {r.right() - w * 0.3, mid},
                             {r.right(), mid},
                             r.bottomRight(),
                             r.bottomLeft()}));
    p.restore();
}

void CArtwork::door(QPainter& p, const QRectF& box) {
    p.save();
    const QRectF r = snapped(box);
    p.setPen(outlinePen(ink()));
    p.setBrush(QColor(0xB9, 0x8B, 0x5E));
    p.drawRect(r);
    p.setBrush(QColor(0xD9, 0xB0, 0x84));
    p.drawRect(r.adjusted(2, 2, -2, 0));
    dot(p, QPointF(r.right() - r.width() * 0.3, r.center().y() + 1),
        std::max<qreal>(0.9, r.width() * 0.09), ink());
    p.restore();
}

void CArtwork::pencil(QPainter& p, const QRectF& box) {
    p.save();
    const qreal len = std::hypot(box.width(), box.height());
    const qreal t = std::max<qreal>(3.0, len * 0.24);
    p.translate(box.bottomLeft());
    p.rotate(-45);
    // Along the x axis: tip at 0, eraser at len.
    const QRectF bodyR(t * 0.9, -t / 2, len - t * 0.9 - t * 0.55, t);
    p.setPen(outlinePen(QColor(0x8A, 0x5A, 0x10), 0.8));
    p.setBrush(amber());
    p.drawRect(bodyR);
    p.setBrush(QColor(0xF4, 0xD7, 0xA6));
    p.drawPolygon(QPolygonF({{0, 0}, {t * 0.9, -t / 2}, {t * 0.9, t / 2}}));
    p.setBrush(ink());
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({{0, 0}, {t * 0.35, -t * 0.2}, {t * 0.35, t * 0.2}}));
    p.setPen(outlinePen(QColor(0x8A, 0x5A, 0x10), 0.8));
    p.setBrush(QColor(0xE8, 0x8A, 0x9A));
    p.drawRect(QRectF(bodyR.right(), -t / 2, t * 0.55, t));
    p.restore();
}

void CArtwork::star(QPainter& p, const QRectF& box, QColor color) {
    QPolygonF poly;
    const QPointF c = box.center();
    const qreal ro = std::min(box.width(), box.height()) / 2;
    const qreal ri = ro * 0.45;
    for (int i = 0; i < 10; ++i) {
        const qreal a = (-90 + i * 36) * M_PI / 180.0;
        const qreal rr = (i % 2) ? ri : ro;
        poly << QPointF(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a) + ro * 0.1);
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    haloFill(p, path, color);
}

void CArtwork::clip(QPainter& p, const QRectF& box) {
    p.save();
    // Drawn on a 7 x 14 grid: inner leg, small bottom bend, long left side, top bend, right
    // side, wide bottom bend, and the short outer leg.
    const qreal ux = box.width() / 7.0, uy = box.height() / 14.0;
    auto at = [&](qreal x, qreal y) { return QPointF(box.left() + x * ux, box.top() + y * uy); };
    QPainterPath path;
    path.moveTo(at(4.5, 4.5));
    path.lineTo(at(4.5, 10));
    path.cubicTo(at(4.5, 11.4), at(2.5, 11.4), at(2.5, 10));
    path.lineTo(at(2.5, 3));
    path.cubicTo(at(2.5, 0.8), at(5.5, 0.8), at(5.5, 3));
    path.lineTo(at(5.5, 11));
    path.cubicTo(at(5.5, 13.6), at(1.5, 13.6), at(1.5, 11));
    path.lineTo(at(1.5, 5.5));
    p.setPen(roundPen(QColor(0x4F, 0x5C, 0x6A), std::max<qreal>(0.9, ux * 0.9)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

void CArtwork::dogEar(QPainter& p, const QRectF& box) {
    p.save();
    QPainterPath path;
    path.addPolygon(QPolygonF({box.topLeft(), box.topRight(), box.bottomRight()}));
    path.closeSubpath();
    p.setPen(outlinePen(orange().darker(135), 0.8));
    p.setBrush(orange());
    p.drawPath(path);
    p.restore();
}

void CArtwork::exclamation(QPainter& p, const QRectF& box, QColor color) {
    p.save();
    const qreal w = std::min(box.width(), box.height() * 0.4);
    const qreal x = box.center().x() - w / 2;
    const qreal barH = box.height() * 0.64;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    QPainterPath bar;
    bar.moveTo(x, box.top());
    bar.lineTo(x + w, box.top());
    bar.lineTo(x + w * 0.78, box.top() + barH);
    bar.lineTo(x + w * 0.22, box.top() + barH);
    bar.closeSubpath();
    p.drawPath(bar);
    p.drawRect(QRectF(x + w * 0.15, box.bottom() - w * 0.8, w * 0.7, w * 0.8));
    p.restore();
}

void CArtwork::cross(QPainter& p, const QRectF& box, QColor color) {
    QPainterPathStroker stroker;
    stroker.setWidth(std::max<qreal>(1.8, box.width() * 0.28));
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath lines;
    const QRectF b = box.adjusted(1, 1, -1, -1);
    lines.moveTo(b.topLeft());
    lines.lineTo(b.bottomRight());
    lines.moveTo(b.topRight());
    lines.lineTo(b.bottomLeft());
    haloFill(p, stroker.createStroke(lines).simplified(), color);
}

void CArtwork::listLines(QPainter& p, const QRectF& box) {
    p.save();
    page(p, box);
    const qreal step = std::max<qreal>(2.0, std::round(box.height() * 0.18));
    p.setPen(outlinePen(QColor(0x6F, 0x8F, 0xB8)));
    for (qreal y = snap(box.top() + step * 1.4); y < box.bottom() - step * 0.6; y += step)
        p.drawLine(QPointF(box.left() + box.width() * 0.22, y),
                   QPointF(box.right() - box.width() * 0.3, y));
    p.restore();
}

void CArtwork::magnifier(QPainter& p, const QRectF& box) {
    p.save();
    const qreal s = std::min(box.width(), box.height());
    const QPointF c(box.left() + s * 0.4, box.top() + s * 0.4);
    const qreal radius = s * 0.31;
    p.setPen(roundPen(ink(), std::max<qreal>(2.0, s * 0.14)));
    p.drawLine(QPointF(c.x() + radius * 0.75, c.y() + radius * 0.75),
               QPointF(box.left() + s - 1.2, box.top() + s - 1.2));
    p.setPen(outlinePen(ink(), std::max<qreal>(1.0, s * 0.08)));
    p.setBrush(QColor(0xCF, 0xE5, 0xFA));
    p.drawEllipse(c, radius, radius);
    p.restore();
}

void CArtwork::funnel(QPainter& p, const QRectF& box) {
    p.save();
    const QRectF r = snapped(box);
    const qreal w = r.width();
    p.setPen(outlinePen(QColor(0x1E, 0x5E, 0xA8)));
    p.setBrush(QColor(0x6A, 0xA8, 0xE8));
    p.drawPolygon(QPolygonF({r.topLeft(),
                             r.topRight(),
                             {r.right() - w * 0.38, r.top() + r.height() * 0.5},
                             {r.right() - w * 0.38, r.bottom() - r.height() * 0.12},
                             {r.left() + w * 0.38, r.bottom()},
                             {r.left() + w * 0.38, r.top() + r.height() * 0.5}}));
    p.restore();
}

void CArtwork::threadTree(QPainter& p, const QRectF& box) {
    p.save();
    const qreal w = box.width(), h = box.height();
    const qreal nodeW = std::round(w * 0.42), nodeH = std::round(h * 0.24);
    const QRectF top(box.left(), box.top(), nodeW, nodeH);
    const QRectF mid(box.left() + std::round(w * 0.34), box.top() + std::round(h * 0.38), nodeW,
                     nodeH);
    const QRectF low(box.left() + std::round(w * 0.34), box.bottom() - nodeH, nodeW, nodeH);
    p.setPen(outlinePen(ink()));
    const qreal x = snap(top.left() + nodeW * 0.4);
    p.drawLine(QPointF(x, top.bottom()), QPointF(x, snap(low.center().y())));
    p.drawLine(QPointF(x, snap(mid.center().y())), QPointF(mid.left(), snap(mid.center().y())));
    p.drawLine(QPointF(x, snap(low.center().y())), QPointF(low.left(), snap(low.center().y())));
    envelope(p, top, false, blue().darker(130));
    envelope(p, mid, false);
    envelope(p, low, false);
    p.restore();
}

void CArtwork::trash(QPainter& p, const QRectF& box) {
    p.save();
    const qreal w = box.width(), h = box.height();
    const QRectF lid =
        snapped(QRectF(box.left(), box.top() + h * 0.12, w, std::max<qreal>(2, h * 0.14)));
    const QRectF body = snapped(QRectF(box.left() + w * 0.12, lid.bottom() + 0.5, w * 0.76,
                                       box.bottom() - lid.bottom() - 0.5));
    p.setPen(outlinePen(QColor(0x4F, 0x5B, 0x67)));
    p.setBrush(QColor(0xB4, 0xBE, 0xC8));
    p.drawRect(body);
    p.setBrush(QColor(0x8E, 0x9A, 0xA6));
    p.drawRect(lid);
    p.drawRect(snapped(QRectF(box.center().x() - w * 0.16, box.top(), w * 0.32, h * 0.14 + 1)));
    for (int i = 1; i <= 2; ++i) {
        const qreal x = snap(body.left() + body.width() * i / 3.0);
        p.drawLine(QPointF(x, body.top() + 2), QPointF(x, body.bottom() - 2));
    }
    p.restore();
}

void CArtwork::folder(QPainter& p, const QRectF& box, bool open) {
    p.save();
    const QRectF r = snapped(box);
    const qreal w = r.width(), h = r.height();
    const QColor body(0xF2, 0xC1, 0x4E), edge(0xB0, 0x84, 0x1C);
    p.setPen(outlinePen(edge));
    p.setBrush(body.darker(108));
    p.drawPolygon(QPolygonF({{r.left(), r.top() + h * 0.12},
                             {r.left() + w * 0.38, r.top() + h * 0.12},
                             {r.left() + w * 0.46, r.top() + h * 0.26},
                             {r.right(), r.top() + h * 0.26},
                             r.bottomRight(),
                             r.bottomLeft()}));
    if (open) {
        // A sheet standing in the open folder, and the front flap tilted towards the viewer.
        p.setPen(outlinePen(grey()));
        p.setBrush(paper());
        p.drawRect(QRectF(snap(r.left() + w * 0.16), snap(r.top() + h * 0.2), std::round(w * 0.66),
                          std::round(h * 0.5)));
        p.setPen(outlinePen(edge));
        p.setBrush(body.lighter(112));
        p.drawPolygon(QPolygonF({{r.left() + w * 0.24, r.top() + h * 0.48},
                                 {r.right() + 0.5, r.top() + h * 0.48},
                                 {r.right() - w * 0.14, r.bottom()},
                                 r.bottomLeft()}));
    } else {
        p.setBrush(body);
        const qreal front = snap(r.top() + h * 0.38);
        p.drawRect(QRectF(r.left(), front, w, r.bottom() - front));
    }
    p.restore();
}

void CArtwork::page(QPainter& p, const QRectF& box) {
    p.save();
    const QRectF r = snapped(box);
    const qreal fold = std::round(std::min(r.width(), r.height()) * 0.3);
    p.setPen(outlinePen(ink()));
    p.setBrush(paper());
    p.drawPolygon(QPolygonF({r.topLeft(),
                             {r.right() - fold, r.top()},
                             {r.right(), r.top() + fold},
                             r.bottomRight(),
                             r.bottomLeft()}));
    p.setBrush(shade());
    p.drawPolygon(QPolygonF({{r.right() - fold, r.top()},
                             {r.right() - fold, r.top() + fold},
                             {r.right(), r.top() + fold}}));
    p.restore();
}

void CArtwork::triangle(QPainter& p, const QRectF& box, Arrow direction, QColor color) {
    p.save();
    QPolygonF poly;
    const QRectF b = box;
    switch (direction) {
    case Arrow::Up:
        poly << QPointF(b.left(), b.bottom()) << QPointF(b.center().x(), b.top())
             << QPointF(b.right(), b.bottom());
        break;
    case Arrow::Down:
        poly << b.topLeft() << b.topRight() << QPointF(b.center().x(), b.bottom());
        break;
    case Arrow::Back:
        poly << b.topRight() << b.bottomRight() << QPointF(b.left(), b.center().y());
        break;
    default:
        poly << b.topLeft() << b.bottomLeft() << QPointF(b.right(), b.center().y());
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(poly);
    p.restore();
}

void CArtwork::dot(QPainter& p, QPointF centre, qreal radius, QColor color) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

void CArtwork::swatch(QPainter& p, const QRectF& box, QColor color) {
    p.save();
    p.setPen(outlinePen(QColor(0x5A, 0x66, 0x72)));
    p.setBrush(color);
    p.drawRect(snapped(box));
    p.restore();
}

void CArtwork::badge(QPainter& p, const QRectF& box, Status status) {
    p.save();
    QColor fill;
    switch (status) {
    case Status::OnLine:
        fill = green();
        break;
    case Status::Busy:
        fill = red();
        break;
    case Status::Away:
        fill = amber();
        break;
    case Status::OffLine:
        fill = QColor(0xF1, 0xF3, 0xF5);
        break;
    case Status::Meeting:
        fill = purple();
        break;
    case Status::Phone:
        fill = blue();
        break;
    case Status::Break:
        fill = QColor(0xA8, 0x6B, 0x3C);
        break;
    case Status::Out:
        fill = teal();
        break;
    case Status::Trip:
        fill = QColor(0x3A, 0x9A, 0xD9);
        break;
    case Status::Remote:
        fill = QColor(0x4C, 0x9A, 0x2A);
        break;
    case Status::Focus:
        fill = QColor(0x47, 0x4B, 0xB0);
        break;
    case Status::BackSoon:
        fill = orange();
        break;
    }
    const QPointF c = box.center();
    const qreal R = std::min(box.width(), box.height()) / 2 - 0.5;
    const qreal u = R / 7.0; // glyph unit: a 14-pixel badge has 2 units per pixel
    auto at = [&](qreal x, qreal y) { return QPointF(c.x() + x * u, c.y() + y * u); };
    p.setPen(outlinePen(status == Status::OffLine ? grey() : fill.darker(135),
                        status == Status::OffLine ? 1.4 : 1.0));
    p.setBrush(fill);
    p.drawEllipse(c, R, R);
    const QColor g = Qt::white;
    QPen glyph = roundPen(g, std::max<qreal>(1.5, u * 2.0));
    p.setBrush(Qt::NoBrush);
    switch (status) {
    case Status::OnLine:
        p.setPen(glyph);
        p.drawPolyline(QPolygonF({at(-3.4, 0.2), at(-0.9, 2.8), at(3.4, -2.4)}));
        break;
    case Status::Busy:
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(QRectF(at(-4, -1.1), at(4, 1.1)));
        break;
    case Status::Away:
        p.setPen(roundPen(g, std::max<qreal>(1.3, u * 1.8)));
        p.drawPolyline(QPolygonF({at(0, -4.2), at(0, 0), at(3.0, 1.6)}));
        break;
    case Status::OffLine:
        p.setPen(roundPen(grey(), std::max<qreal>(1.2, u * 1.6)));
        p.drawLine(at(-3, 0), at(3, 0));
        break;
    case Status::Meeting:
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(at(-2.4, -1.8), u * 1.7, u * 1.7);
        p.drawEllipse(at(2.4, -1.8), u * 1.7, u * 1.7);
        p.drawChord(QRectF(at(-5.2, 0.8), at(0.4, 6.2)), 0, 180 * 16);
        p.drawChord(QRectF(at(-0.4, 0.8), at(5.2, 6.2)), 0, 180 * 16);
        break;
    case Status::Phone: {
        // A handset: a bent grip with an ear pad and a mouth pad.
        QPainterPath handset;
        handset.moveTo(at(-2.6, -3.4));
        handset.cubicTo(at(-4.6, -0.6), at(0.6, 4.6), at(3.4, 2.6));
        p.setPen(roundPen(g, u * 1.7));
        p.drawPath(handset);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        for (const QPointF& end : {at(-2.7, -3.0), at(3.0, 2.7)}) {
            p.save();
            p.translate(end);
            p.rotate(45);
            p.drawRoundedRect(QRectF(-u * 2.3, -u * 1.3, u * 4.6, u * 2.6), u, u);
            p.restore();
        }
        break;
    }
    case Status::Break:
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(at(-3.6, -2.4), at(1.8, 3.6)), u * 0.8, u * 0.8);
        p.setPen(roundPen(g, u * 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(at(0.6, -1.2), at(4.0, 2.2)));
        break;
    case Status::Out:
        p.setPen(roundPen(g, u * 1.4));
        p.drawPolyline(QPolygonF({at(-0.5, -4), at(-3.8, -4), at(-3.8, 4), at(-0.5, 4)}));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPolygon(QPolygonF({at(-1.6, -0.9), at(1.2, -0.9), at(1.2, -3.2), at(4.6, 0),
                                 at(1.2, 3.2), at(1.2, 0.9), at(-1.6, 0.9)}));
        break;
    case Status::Trip:
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPolygon(
            QPolygonF({at(-4.6, -0.7), at(-1.0, -0.7), at(1.8, -4.6), at(3.0, -4.6), at(1.6, -0.7),
                       at(4.2, -0.7), at(4.8, 0), at(4.2, 0.7), at(1.6, 0.7), at(3.0, 4.6),
                       at(1.8, 4.6), at(-1.0, 0.7), at(-4.6, 0.7)}));
        break;
    case Status::Remote:
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPolygon(QPolygonF({at(0, -4.6), at(4.6, -0.6), at(3.2, -0.6), at(3.2, 4.0),
                                 at(0.9, 4.0), at(0.9, 1.2), at(-0.9, 1.2), at(-0.9, 4.0),
                                 at(-3.2, 4.0), at(-3.2, -0.6), at(-4.6, -0.6)}));
        break;
    case Status::Focus: {
        QPainterPath moon;
        moon.addEllipse(at(0, 0), u * 4.2, u * 4.2);
        QPainterPath bite;
        bite.addEllipse(at(2.2, -1.8), u * 3.6, u * 3.6);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(moon.subtracted(bite));
        break;
    }
    case Status::BackSoon:
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPolygon(QPolygonF(
            {at(-3.2, -4.4), at(3.2, -4.4), at(0.7, 0), at(3.2, 4.4), at(-3.2, 4.4), at(-0.7, 0)}));
        p.setBrush(fill);
        p.drawPolygon(QPolygonF({at(-1.6, -3.2), at(1.6, -3.2), at(0, -1.4)}));
        break;
    }
    p.restore();
}

void CArtwork::noDrop(QPainter& p, const QRectF& box) {
    p.save();
    const QPointF c = box.center();
    const qreal R = std::min(box.width(), box.height()) / 2 - 0.75;
    const qreal t = std::max<qreal>(2.0, R * 0.32);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(c, R + 0.75, R + 0.75);
    p.setPen(QPen(red(), t));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, R - t / 2, R - t / 2);
    const qreal d = (R - t / 2) * std::cos(M_PI / 4);
    p.setPen(QPen(red(), t, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
    p.restore();
}

void CArtwork::pointer(QPainter& p, QPointF tip, qreal height) {
    p.save();
    const qreal u = height / 17.0;
    auto at = [&](qreal x, qreal y) { return QPointF(tip.x() + x * u, tip.y() + y * u); };
    p.setPen(outlinePen(Qt::black, 1.0));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({at(0.5, 0.5), at(0.5, 14.5), at(4.0, 11.2), at(6.6, 16.6),
                             at(8.8, 15.6), at(6.3, 10.4), at(10.8, 10.4)}));
    p.restore();
}

void CArtwork::appMark(QPainter& p, const QRectF& box) {
    p.save();
    const qreal s = std::min(box.width(), box.height());
    // The outline grows with the mark; it stays inside the box at every size.
    const qreal outline = std::max<qreal>(1.0, s / 32);
    const QRectF r = box.adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x3D, 0x8E, 0xF0));
    g.setColorAt(1, QColor(0x16, 0x9C, 0x9C));
    p.setPen(outlinePen(QColor(0x17, 0x5A, 0x9E), outline));
    p.setBrush(g);
    p.drawRoundedRect(r, s * 0.22, s * 0.22);
    // A speech bubble carrying a Z.
    const QRectF bub(box.left() + s * 0.16, box.top() + s * 0.18, s * 0.68, s * 0.52);
    QPainterPath bubble;
    bubble.addRoundedRect(bub, s * 0.16, s * 0.16);
    QPainterPath tail;
    tail.addPolygon(QPolygonF({{bub.left() + s * 0.14, bub.bottom() - 1},
                               {bub.left() + s * 0.34, bub.bottom() - 1},
                               {bub.left() + s * 0.1, bub.bottom() + s * 0.16}}));
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail).simplified());
    const qreal zx = bub.center().x(), zy = bub.center().y();
    const qreal zw = s * 0.2, zh = s * 0.16;
    p.setPen(roundPen(QColor(0x1F, 0x6F, 0xC8), std::max<qreal>(1.4, s * 0.085)));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF(
        {{zx - zw, zy - zh}, {zx + zw, zy - zh}, {zx - zw, zy + zh}, {zx + zw, zy + zh}}));
    p.restore();
}

void CArtwork::bell(QPainter& p, const QRectF& box) {
    p.save();
    const qreal w = box.width(), h = box.height();
    QPainterPath path;
    const qreal l = box.left() + w * 0.14, r = box.right() - w * 0.14;
    const qreal b = box.top() + h * 0.78;
    path.moveTo(box.left() + 0.5, b);
    path.lineTo(l, b - h * 0.12);
    path.lineTo(l, box.top() + h * 0.42);
    path.cubicTo(l, box.top() + h * 0.08, r, box.top() + h * 0.08, r, box.top() + h * 0.42);
    path.lineTo(r, b - h * 0.12);
    path.lineTo(box.right() - 0.5, b);
    path.closeSubpath();
    p.setPen(outlinePen(QColor(0xA8, 0x6A, 0x00)));
    p.setBrush(amber());
    p.drawPath(path);
    dot(p, QPointF(box.center().x(), b + h * 0.1), std::max<qreal>(1.0, w * 0.12),
        QColor(0xA8, 0x6A, 0x00));
    p.restore();
}
