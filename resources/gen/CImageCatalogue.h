// The numbered images of the core's resource module and how each is drawn: bitmaps are
// horizontal strips of equal tiles, icons come in several pixel sizes, cursors carry a hot
// spot. The status icon strip is a file of its own, cut by column and row.
#pragma once

#include <QList>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <functional>

struct CImageSpec {
    uint32_t kind = 0; // ZELTARES_CURSOR, ZELTARES_BITMAP or ZELTARES_ICON
    uint32_t id = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    int tileCount = 1;
    int hotSpotX = 0;
    int hotSpotY = 0;
    uint32_t maskColor = 0xFFFFFFFFu;
    QList<int> iconSizes; // icons only
    QString role;
    // Draws tile number `tile` into `cell` (pixels at 100 %; icons: the cell is the icon).
    std::function<void(QPainter&, int tile, const QRectF& cell)> draw;
};

class CImageCatalogue {
public:
    // Every numbered image, in ascending kind and number.
    static QList<CImageSpec> all();
    // The status icon strip "status.bmp": tiles of 16 x 16 addressed "column-row".
    static CImageSpec statusStrip();
    static int statusColumns();
    static int statusRows();
};
