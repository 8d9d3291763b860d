// Drawing primitives of Zelta's own artwork. Every motif draws into a box given in pixels at
// 100 %; the painter carries the scale, so one drawing serves 100 % and 200 %. Outlines are
// one pixel at 100 % and snapped to pixel centres so that small sizes stay crisp.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <functional>

class CArtwork {
public:
    enum class Arrow { Reply, Forward, Back, Up, Down };
    enum class Status {
        OnLine,
        Busy,
        Away,
        OffLine,
        Meeting,
        Phone,
        Break,
        Out,
        Trip,
        Remote,
        Focus,
        BackSoon
    };

    // Palette shared by every image so that the set reads as one family.
    static QColor ink();
    static QColor paper();
    static QColor shade();
    static QColor blue();
    static QColor green();
    static QColor red();
    static QColor amber();
    static QColor orange();
    static QColor grey();
    static QColor purple();
    static QColor teal();

    // Renders a drawing of size (width x height at 100 %) at the given scale, transparent
    // outside what the drawing paints.
    static QImage render(int width, int height, int scale,
                         const std::function<void(QPainter&)>& draw);

    // Motifs. A box is the area at 100 % that the motif fills.
    static void envelope(QPainter& p, const QRectF& box, bool open, QColor outline = ink());
    static void arrow(QPainter& p, const QRectF& box, Arrow kind, QColor color);
    static void person(QPainter& p, const QRectF& box, QColor color);
    static void people(QPainter& p, const QRectF& box);
    static void groupCard(QPainter& p, const QRectF& box);
    static void bubbles(QPainter& p, const QRectF& box);
    static void gear(QPainter& p, const QRectF& box);
    static void tray(QPainter& p, const QRectF& box, QColor color);
    static void door(QPainter& p, const QRectF& box);
    static void pencil(QPainter& p, const QRectF& box);
    static void star(QPainter& p, const QRectF& box, QColor color);
    static void clip(QPainter& p, const QRectF& box);
    static void dogEar(QPainter& p, const QRectF& box);
    static void exclamation(QPainter& p, const QRectF& box, QColor color);
    static void cross(QPainter& p, const QRectF& box, QColor color);
    static void listLines(QPainter& p, const QRectF& box);
    static void magnifier(QPainter& p, const QRectF& box);
    static void funnel(QPainter& p, const QRectF& box);
    static void threadTree(QPainter& p, const QRectF& box);
    static void trash(QPainter& p, const QRectF& box);
    static void folder(QPainter& p, const QRectF& box, bool open);
    static void page(QPainter& p, const QRectF& box);
    static void triangle(QPainter& p, const QRectF& box, Arrow direction, QColor color);
    static void badge(QPainter& p, const QRectF& box, Status status);
    static void dot(QPainter& p, QPointF centre, qreal radius, QColor color);
    static void swatch(QPainter& p, const QRectF& box, QColor color);
    static void noDrop(QPainter& p, const QRectF& box);
    static void pointer(QPainter& p, QPointF tip, qreal height);
    static void appMark(QPainter& p, const QRectF& box);
    static void bell(QPainter& p, const QRectF& box);

    // Pixel-centre snapping for one-pixel outlines.
    static qreal snap(qreal v);
    static QRectF snapped(const QRectF& r);
};
